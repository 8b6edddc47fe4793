#pragma once
// The factor-category window: per course type the extraction of the course
// horses, the factor item build and the categorisation, with the tables it
// loads when it opens. The window has a factor frame (factor_frame.h), and
// the factor, speed and model routines are the frame's, not the window's;
// each group lives in its own file:
//
//   form_categorysetup2024zz.cpp  the constructor (captions), RunStep
//   model_load.cpp                Form_Load: horse list, dam-line table, models
//   course_extraction.cpp         Command1_Click (course horse list)
//   factor_item_build.cpp         Command2..4_Click (ITEM files, one routine)
//   categorisation.cpp            Command5..7_Click, SetItemCategoryGridTitles,
//                                 LookupCategoryIndexes, CategoryIndexOf
// and of the frame:
//   factor_frame.cpp              EX file and buffers, lookup tables, conversions
//   race_day.cpp                  race days and the day and week spans between them
//   factors_01_10.cpp             Factor01Year .. Factor10FutanRatio
//   factors_11_20.cpp             Factor11Bataiju .. Factor20StallionStat, not 17
//   factors_21_30.cpp             Factor21GradeRaceNo .. Factor30KyosobaValue, not 29
//   model_factors.cpp             Factor17PaceDeviation, Factor29AgariDeviation and
//                                 the model routines (ItemCategoryIndexAll, ScoreSum*)
//   speeds.cpp                    AgariSpeed, PaceSpeed, SohaSpeed
// The alternative factor routines are in build/factors_alt.
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "build/factors/factor_frame.h"
#include "build/step/step_frame.h"
#include "common/text_map.h"
#include "platform/fs/data_dir.h"
#include "platform/ui/window.h"

namespace volq {

class FormCATEGORYSETUP2024ZZ : public Window {
 public:
  explicit FormCATEGORYSETUP2024ZZ(DataDir& dir);

  // The frame the factor routines work in: the EX and ITEM buffers, the
  // tables the load fills, the lookups. The window's steps drive it; the
  // routines are its own (factor_frame.h).
  FactorFrame Factors;

  // --- Controls --------------------------------------------------------------
  Label Frame1{this, "Frame1"};
  OptionButton Option1{this, "Option1", "course"};
  OptionButton Option2{this, "Option2", "course"};
  OptionButton Option3{this, "Option3", "course"};
  Label Label1{this, "Label1"};
  TextBox Text1{this, "Text1"};
  CommandButton Command1{this, "Command1"};
  CommandButton Command2{this, "Command2"};
  CommandButton Command3{this, "Command3"};
  CommandButton Command4{this, "Command4"};
  CommandButton Command5{this, "Command5"};
  CommandButton Command6{this, "Command6"};
  CommandButton Command7{this, "Command7"};
  Grid ItemCategoryFG{this, "ItemCategoryFG"};

  // --- Steps ------------------------------------------------------------------
  // Loads the horse list, the dam-line table and the three models.
  void Form_Load() override;
  // Per course type: the month, the option, the extraction, the factor
  // build, the categorisation.
  std::string Guide() const override;
  // "抽出": the course horse list of the chosen course type since a month.
  void Command1_Click();
  // "芝因子設定", "ダ因子設定", "障因子設定": the factor item builds.
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  // "芝カテゴリー化", "ダカテゴリー化", "障カテゴリー化": the categorisations.
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();

  // Runs one step under a step frame: the end text it returns (UTF-8; none
  // when empty) goes to the status line, then what it skipped is reported.
  void RunStep(const std::string& button, const std::function<std::string(StepFrame&)>& step);

  // What the load could not read. The extraction goes through the horse
  // list, so it does not run when the list was missing or unreadable; the
  // factor item builds consult the dam-line table and the models, so they do
  // not run when one of those exists but could not be read (a missing one
  // reads as empty). Both stop through StopOnUnreadTables.
  int HorseListError = 0;       // errno of reading the horse list; ENOENT when missing
  std::string UnreadableTable;  // the first unreadable table, as reports name it
  void StopOnUnreadTables(bool walks_horse_list) const;

  // Course type of the last extraction: 0 until an option was chosen, then
  // 1 turf, 2 dirt, 3 steeplechase.
  int CourseChoice = 0;

  // --- Categorisation ----------------------------------------------------------
  // Column k = 1..30, position j = 1..count (index 0 unused).
  std::array<std::vector<std::string>, kFactorCount + 1> CategoryValues;
  std::array<std::vector<int32_t>, kFactorCount + 1> CategoryRecordCounts;
  // Categories of column k: none until a run counts the column.
  int32_t ColumnCategoryCounts(int k) const {
    const auto size = static_cast<int32_t>(CategoryValues[k].size());
    return size > 0 ? size - 1 : 0;
  }
  std::array<int16_t, kFactorCount + 1> RecordCategoryIndexes{};
  // Position of every value of CategoryValues[k], kept with the lists so that
  // a record's indexes cost one hash lookup a column, not a scan.
  std::array<TextMap<int32_t>, kFactorCount + 1> CategoryPositions;
  void SetItemCategoryGridTitles();
  void LookupCategoryIndexes();
  int32_t CategoryIndexOf(int k, std::string_view value);
};

}  // namespace volq
