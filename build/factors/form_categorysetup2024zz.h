#pragma once
// The factor-category window: per course type the extraction of the course
// horses, the factor item build and the categorisation, with the tables it
// loads when it opens. The factor and speed routines are members working on
// the window's frame (factor_frame.h); each group lives in its own file.
#include <string>

#include "build/factors/factor_frame.h"
#include "platform/fs/data_dir.h"
#include "platform/ui/window.h"

namespace volq {

class FormCATEGORYSETUP2024ZZ : public Window, public FactorFrame {
 public:
  explicit FormCATEGORYSETUP2024ZZ(DataDir& dir);

  // --- Controls --------------------------------------------------------------
  TextBox Text1{this, "Text1"};

  // --- Steps ------------------------------------------------------------------
  void Form_Load() override;

  // --- Speed routines: on whatever record the EX buffer holds ---------------
  std::string AgariSpeed();
  std::string PaceSpeed();
  std::string SohaSpeed();

  // --- Factor routines: the code of their factor for record r ---------------
  std::string Factor01Year();
  std::string Factor02VenueTrack();
  std::string Factor03PrevRunChange();
  std::string Factor04Futan();
  std::string Factor05PrizeLog();
  std::string Factor06RaceKigo();
  std::string Factor07KishuSeiseki();
  std::string Factor08KyosobaValue();
  std::string Factor09RaceCount();
  std::string Factor10FutanRatio();
  std::string Factor11Bataiju();
  std::string Factor12AgeMonths();
  std::string Factor13StallionLog();
  std::string Factor14Interval();
  std::string Factor15PrevOddsLog();
  std::string Factor16StallionValue();
  std::string Factor17PaceDeviation();
  std::string Factor18KishuAgeBand();
  std::string Factor19ChokyoSeiseki();
  std::string Factor20StallionStat();
  std::string Factor21GradeRaceNo();
  std::string Factor22DistanceCode();
  std::string Factor23StallionDistance();
  std::string Factor24Umaban();
  std::string Factor25UmaKigo();
  std::string Factor26PrevTimeDiff();
  std::string Factor27KaijiNichiji();
  std::string Factor28CountBand();
  std::string Factor29AgariDeviation();
  std::string Factor30KyosobaValue();

  // --- Model routines shared by factors 17 and 29 ---------------------------
  void ItemCategoryIndexAll();
  int32_t ModelCategoryIndexOf();
  void ScoreSumA();
  void ScoreSumC();
};

}  // namespace volq
