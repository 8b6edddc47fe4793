#pragma once
// Earlier and other versions of the factor routines of the category window,
// kept beside the routines in use. No step calls them. Each works on the
// window's factor frame (record r of the open EX file, the EX and ITEM
// buffers, the loaded tables) exactly as the routines in use do, and returns
// its code; none sees the window itself.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "build/factors/factor_frame.h"

namespace volq {

class AlternativeFactors {
 public:
  explicit AlternativeFactors(FactorFrame& f) : f(f) {}

  // Support routines: a breeding number from the dam-line table, and the
  // whole-race and pace score sums.
  std::string FlTableValue();
  void ScoreSumB();
  void ScoreSumC2();

  // factors 1 to 2 (alt_factors_01_02.cpp)
  std::string Factor01YearMonthMeeting();
  std::string Factor01SeasonMonth();
  std::string Factor01KaisaiCode();
  std::string Factor01BirthMonthRace();
  std::string Factor01BirthMonthRace2();
  std::string Factor02VenueDistanceCode();
  std::string Factor02VenueCode();
  std::string Factor02CourseCode();
  std::string Factor02VenueTrackB();

  // factors 3 to 5 (alt_factors_03_05.cpp)
  std::string Factor03original();
  std::string Factor03Agari();
  std::string Factor03CornerOrder();
  std::string Factor04SexFutanCode();
  std::string Factor05PrizeAverage();
  std::string Factor05HahaUma();
  std::string Factor05Kyosoba();

  // factors 6 to 8 (alt_factors_06_08.cpp)
  std::string Factor06KishuCountTable();
  std::string Factor06KishuYear();
  std::string Factor06KishuDonichi();
  std::string Factor06Concat();
  std::string Factor07ChakujunClass();
  std::string Factor07PrevRunCodeOrder();
  std::string Factor07PrevFinishOdds();
  std::string Factor08BabaWeather();
  std::string Factor08StallionBaba();
  std::string Factor08KyosobaBaba();
  std::string Factor08KyosobaDistance();
  std::string Factor08SurfaceTop3Rate();
  std::string Factor08KyosobaSurface();
  std::string Factor08SurfaceTop3RateB();
  // Result counts by jockey, read by Factor06KishuCountTable: rows 0..2000;
  // column 0 the jockey code as a number, columns 1..42 seven groups of six
  // counts (the first three of a group places 1 to 3, all six the runs).
  // No step fills it; a filler must keep this layout.
  std::vector<std::array<int16_t, 43>> JockeyResultCounts =
      std::vector<std::array<int16_t, 43>>(2001);

  // factors 9 to 14 (alt_factors_09_14.cpp)
  std::string Factor09RaceCountCapped();
  std::string Factor10FutanRatioOld();
  std::string Factor11SexBodyWeight();
  std::string Factor13KishuSeisekiLog();
  std::string Factor13RaceDayCode();
  std::string Factor13KaisaiNichiji();
  std::string Factor13StallionSurface();
  std::string Factor13KishuSeisei();
  std::string Factor14IntervalWeeks();

  // factors 15 to 16 (alt_factors_15_16.cpp)
  std::string Factor15HahaBirthYearBand();
  std::string Factor15FutanChangePerDay();
  std::string Factor15MonthCode();
  std::string Factor15KishuGotoHistory();
  std::string Factor15BanushiSeiseki();
  std::string Factor16BataijuChangePerDay();
  std::string Factor16BataijuChangePerDayB();
  std::string Factor16CopyField();
  std::string Factor16WeatherGoing();

  // factor 17 (alt_factors_17.cpp)
  std::string Factor17StallionTop2();
  std::string Factor17PastPlaceRate();
  std::string Factor17PastPlaceRateB();
  std::string Factor17PastPlaceRateByDistance();
  std::string Factor17PastTop3Count();
  std::string Factor17KyosobaaValue();
  std::string Factor17KyosobaaStallion();
  std::string Factor17KyosobaA();
  std::string Factor17StallionKyosobaDistance();
  std::string Factor17StallionOverall();
  std::string Factor17ChokyoSeisei();

  // factors 18 to 22 (alt_factors_18_22.cpp)
  std::string Factor18SeisanshaCode();
  std::string Factor18BanusiBreeder();
  std::string Factor19ChokyoshiCode();
  std::string Factor19ChokyoArray();
  std::string Factor20PedigreeSlotCode();
  std::string Factor20KishuGotoLookup();
  std::string Factor20PedigreeSlotCodeB();
  std::string Factor20KishuGotoFlag();
  std::string Factor20StallionLog();
  std::string Factor22SanchiBirthMonth();
  std::string Factor22ori2();
  std::string Factor22TimeDiffPrev2();
  // Result counts by trainer, read by Factor19ChokyoArray: rows 0..2000;
  // column 0 the trainer code as a number, columns 1..42 seven groups of six
  // counts (turf 1..6 and 13..18, dirt 7..12 and 19..24, steeplechase
  // 37..42; the first three of a group places 1 to 3, all six the runs).
  // No step fills it; a filler must keep this layout.
  std::vector<std::array<int16_t, 43>> TrainerResultCounts =
      std::vector<std::array<int16_t, 43>>(2001);

  // factor 23 (alt_factors_23.cpp)
  std::string Factor23Original();
  std::string Factor23MeanTimeDiffClass();
  std::string Factor23StallionDistanceCheck();
  std::string Factor23StallionListB();
  std::string Factor23StallionListSiba();
  std::string Factor23StallionListDirt();
  std::string Factor23StallionBaba();

  // factors 24 to 28 (alt_factors_24_28.cpp)
  std::string Factor24HahaAgeAtBirth();
  std::string Factor24UmabanOld();
  std::string Factor25BirthYearAgeBand();
  std::string Factor25KishuRecentForm();
  std::string Factor25JokenCode();
  std::string Factor25LogValue();
  std::string Factor26PrevTimeDiffOld();
  std::string Factor27FlTableCode();
  std::string Factor27PrevFinishOdds();
  std::string Factor28RunnerCountCode();

  // factors 29 to 30 (alt_factors_29_30.cpp)
  std::string Factor29TimeDiffClass();
  std::string Factor29AgariDeviationOld();
  std::string Factor29AgariPaceRatio();
  std::string Factor29DistanceTimeIndex();
  std::string Factor29DistanceTimeIndexB();
  std::string Factor30BataijuChangePerDay();
  std::string Factor30BirthMonthSex();
  std::string Factor30RatioPairCode();
  std::string Factor30PrevPaceRatio();
  std::string Factor30BanusiBreeder();

  FactorFrame& f;
};

}  // namespace volq
