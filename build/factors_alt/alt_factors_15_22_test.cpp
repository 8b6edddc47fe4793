#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "build/factors_alt/alternative_factors.h"
#include "platform/fs/file_failure.h"
#include "platform/text/cp932.h"

namespace volq {
namespace {

using Routine = std::string (AlternativeFactors::*)();

class AltFactors15To22Test : public testing::FactorTest {
 public:
  // A ride of a jockey's history file: data kind, race date, arrival order.
  static std::string Ride(const std::string& date, const std::string& order,
                          const std::string& kind = "7") {
    return Rec(555, {{2, kind}, {11, date}, {332, order}});
  }
  // A record of a results file: the key at 0, a text at an offset.
  static std::string Keyed(int length, const std::string& key, int offset,
                           const std::string& text) {
    return Rec(length, {{0, key}, {offset, text}});
  }
  // Record r of the horse's EX file is tagged "R<r>" at offset 0, so a test
  // sees which record the buffer holds after a routine.
  std::string Run(Routine routine) {
    AlternativeFactors alt(f());
    std::string code = (alt.*routine)();
    EXPECT_EQ(f().Ex(Slice{0, 2}), "R" + std::to_string(f().r)) << "buffer left off record r";
    return code;
  }
};

// --- Factor 15 ------------------------------------------------------------------

TEST_F(AltFactors15To22Test, BirthYearBandsOfDamAndHorse) {
  struct {
    const char* track;
    const char* dam;
    const char* born;
    const char* code;
  } cases[] = {
      {"10", "    ", "2015", "998015"}, {"10", "    ", "2005", "998001"},
      {"10", "    ", "1997", "998998"}, {"24", "1980", "2000", "983000"},
      {"00", "1990", "2001", "990001"}, {"49", "1999", "2011", "998011"},
      {"51", "    ", "2015", "199600"}, {"51", "1970", "2015", "197500"},
      {"-1", "1990", "2015", "199000"}, {"50", "1997", "2015", "199600"},
  };
  for (const auto& c : cases) {
    Horse("2015100001", {Ex({{0, "R1"}, {775, c.track}, {296, c.dam}, {196, c.born}})});
    EXPECT_EQ(Run(&AlternativeFactors::Factor15HahaBirthYearBand), c.code)
        << c.track << c.dam << c.born;
  }
  Horse("2015100001", {Ex({{0, "R1"}, {196, "2015"}})});
  EXPECT_THROW(AlternativeFactors(f()).Factor15HahaBirthYearBand(), Failure);
}

TEST_F(AltFactors15To22Test, WeightChangesPerDayAgainstTheRunBefore) {
  struct {
    Routine f;
    const char* date_before;
    const char* weight_before;
    const char* course_before;
    const char* weight;
    const char* course;
    const char* code;
  } cases[] = {
      // weight carried (tenths of a kilogram), race on 2020-03-01
      {&AlternativeFactors::Factor15FutanChangePerDay, "20200223", "560", "05", "560", "05",
       "100050"},
      {&AlternativeFactors::Factor15FutanChangePerDay, "20200223", "000", "05", "000", "05",
       "100050"},
      {&AlternativeFactors::Factor15FutanChangePerDay, "20200223", "570", "05", "550", "05",
       "100052"},
      {&AlternativeFactors::Factor15FutanChangePerDay, "20200223", "550", "05", "570", "05",
       "100047"},
      {&AlternativeFactors::Factor15FutanChangePerDay, "20200223", "500", "05", "560", "05",
       "100046"},
      {&AlternativeFactors::Factor15FutanChangePerDay, "20200229", "600", "05", "645", "05",
       "10005"},
      {&AlternativeFactors::Factor15FutanChangePerDay, "20200229", "900", "05", "400", "05",
       "100052"},
      {&AlternativeFactors::Factor15FutanChangePerDay, "20200229", "300", "05", "900", "05",
       "100052"},
      // body weight in kilograms, three times the change per day
      {&AlternativeFactors::Factor16BataijuChangePerDay, "20200216", "480", "05", "480", "06",
       "1250"},
      {&AlternativeFactors::Factor16BataijuChangePerDay, "20200216", "480", "05", "480", "05",
       "1150"},
      {&AlternativeFactors::Factor16BataijuChangePerDay, "20200216", "480", "05", "470", "05",
       "1152"},
      {&AlternativeFactors::Factor16BataijuChangePerDay, "20200223", "470", "05", "480", "08",
       "1247"},
      {&AlternativeFactors::Factor16BataijuChangePerDay, "20200216", "480", "05", "   ", "06",
       "1250"},
      {&AlternativeFactors::Factor16BataijuChangePerDayB, "20200216", "480", "05", "470", "06",
       "1152"},
      {&AlternativeFactors::Factor16BataijuChangePerDayB, "20200223", "470", "05", "480", "08",
       "1147"},
  };
  for (const auto& c : cases) {
    std::string before(c.date_before);
    Horse("2015100001",
          {Ex({{0, "R1"},
               {11, before},
               {605, c.weight_before},
               {671, c.weight_before},
               {19, c.course_before}}),
           Ex({{0, "R2"}, {11, "20200301"}, {605, c.weight}, {671, c.weight}, {19, c.course}})},
          2);
    EXPECT_EQ(Run(c.f), c.code) << before << " " << c.weight_before << " " << c.weight;
  }
  // First runs.
  Horse("2015100001", {Ex({{0, "R1"}, {11, "20200301"}, {605, "560"}, {671, "480"}})});
  EXPECT_EQ(Run(&AlternativeFactors::Factor15FutanChangePerDay), "100050");
  EXPECT_EQ(Run(&AlternativeFactors::Factor16BataijuChangePerDay), "1250");
  EXPECT_EQ(Run(&AlternativeFactors::Factor16BataijuChangePerDayB), "1250");
  // Two runs on one day leave nothing to divide by.
  Horse("2015100001",
        {Ex({{0, "R1"}, {11, "20200301"}, {605, "560"}, {671, "480"}}),
         Ex({{0, "R2"}, {11, "20200301"}, {605, "550"}, {671, "470"}})},
        2);
  for (Routine routine : {&AlternativeFactors::Factor15FutanChangePerDay,
                          &AlternativeFactors::Factor16BataijuChangePerDay,
                          &AlternativeFactors::Factor16BataijuChangePerDayB}) {
    AlternativeFactors alt(f());
    EXPECT_THROW((alt.*routine)(), Failure);
  }
}

TEST_F(AltFactors15To22Test, MonthCodeIsThePreviousPopularityOnTheFlat) {
  Horse("2015100001",
        {Ex({{0, "R1"}, {710, "07"}, {775, "10"}, {15, "0301"}}),
         Ex({{0, "R2"}, {710, "03"}, {775, "10"}, {15, "0315"}}),
         Ex({{0, "R3"}, {710, "03"}, {775, "51"}, {15, "0322"}})},
        2);
  EXPECT_EQ(Run(&AlternativeFactors::Factor15MonthCode), "07");
  At(1);
  EXPECT_EQ(Run(&AlternativeFactors::Factor15MonthCode), "00");
  At(3);
  EXPECT_EQ(Run(&AlternativeFactors::Factor15MonthCode), "03");
}

TEST_F(AltFactors15To22Test, JockeyHistoryCountsAYearOfRidesFromTheRaceDay) {
  // Rides on the race day and within 364 days after it count; earlier rides
  // and those 365 days on do not.
  WriteRecords("KISHUGOTOSETUP/01234.dat",
               {Ride("20200105", "01"), Ride("20200601", "03"), Ride("20210103", "05"),
                Ride("20210104", "01"), Ride("20191201", "01")});
  // Two of two: 10, held at 5.
  WriteRecords("KISHUGOTOSETUP/01235.dat", {Ride("20200105", "01"), Ride("20200106", "02")});
  // One ride in four in the top two: 2.5, rounded to even.
  WriteRecords("KISHUGOTOSETUP/05678.dat", {Ride("20200105", "02"), Ride("20200106", "04"),
                                            Ride("20200107", "05"), Ride("20200108", "06")});
  struct {
    const char* jockey;
    const char* track;
    const char* code;
  } cases[] = {
      {"01234", "10", "031"}, {"01234", "24", "031"}, {"01234", "22", "001"},
      {"01234", "51", "300"}, {"05678", "10", "021"}, {"01235", "10", "051"},
      {"09999", "10", "001"},
  };
  for (const auto& c : cases) {
    Horse("2015100001",
          {Ex({{0, "R1"}}), Ex({{0, "R2"}, {11, "20200105"}, {613, c.jockey}, {775, c.track}})}, 2);
    EXPECT_EQ(Run(&AlternativeFactors::Factor15KishuGotoHistory), c.code) << c.jockey << c.track;
  }
  EXPECT_FALSE(Exists("KISHUGOTOSETUP/09999.dat")) << "a jockey without a file has no rides";
  // A horse's only record: every digit "0".
  for (auto [track, code] : {std::pair{"10", "001"}, std::pair{"51", "000"}}) {
    Horse("2015100001", {Ex({{0, "R1"}, {11, "20200105"}, {613, "01234"}, {775, track}})});
    EXPECT_EQ(Run(&AlternativeFactors::Factor15KishuGotoHistory), code);
  }
  // No jockey code: an empty history, and no file named by blanks.
  Horse("2015100001", {Ex({{0, "R1"}}), Ex({{0, "R2"}, {11, "20200105"}, {775, "10"}})}, 2);
  EXPECT_EQ(Run(&AlternativeFactors::Factor15KishuGotoHistory), "001");
  EXPECT_EQ(Run(&AlternativeFactors::Factor20KishuGotoLookup), "00");
  EXPECT_EQ(Run(&AlternativeFactors::Factor20KishuGotoFlag), "00");
  EXPECT_FALSE(Exists("KISHUGOTOSETUP\\     .dat"));
  Horse("2015100001",
        {Ex({{0, "R1"}}), Ex({{0, "R2"}, {11, "20200105"}, {613, "../.."}, {775, "10"}})}, 2);
  EXPECT_THROW(AlternativeFactors(f()).Factor15KishuGotoHistory(), Failure);
}

TEST_F(AltFactors15To22Test, OwnerAndBreederRateDigits) {
  WriteRecords("BANUSISEISEI.dat",
               {Keyed(35, "111111", 6, "085000"), Keyed(35, "222222", 6, "007999"),
                Keyed(35, "333333", 6, "008999"), Keyed(35, "444444", 6, "009000"),
                Keyed(35, "222222", 6, "001000")});
  WriteRecords("BREEDERSEISEI.dat", {Keyed(35, "765432", 6, "003500")});
  struct {
    const char* owner;
    const char* f15;
    const char* f18;
  } cases[] = {
      {"111111", "8", "38"}, {"222222", "7", "37"}, {"333333", "8", "38"},
      {"444444", "8", "38"}, {"555555", "0", "30"},
  };
  for (const auto& c : cases) {
    Horse("2015100001", {Ex({{0, "R1"}, {539, c.owner}, {224, "76543210"}})});
    EXPECT_EQ(Run(&AlternativeFactors::Factor15BanushiSeiseki), c.f15) << c.owner;
    EXPECT_EQ(Run(&AlternativeFactors::Factor18BanusiBreeder), c.f18) << c.owner;
  }
  Horse("2015100001", {Ex({{0, "R1"}, {539, "222222"}, {224, "76543310"}})});
  EXPECT_EQ(Run(&AlternativeFactors::Factor18BanusiBreeder), "07");
}

// --- Factor 16 ------------------------------------------------------------------

TEST_F(AltFactors15To22Test, SymbolCodeAndWeatherWithGoing) {
  struct {
    const char* track;
    const char* code;
  } cases[] = {
      {"23", "2D"}, {"29", "2D"}, {"22", "2T"}, {"30", "2T"}, {"  ", "2T"},
  };
  for (const auto& c : cases) {
    Horse("2015100001",
          {Ex({{0, "R1"}, {527, "A1"}, {957, "2"}, {958, "T"}, {959, "D"}, {775, c.track}})});
    EXPECT_EQ(Run(&AlternativeFactors::Factor16WeatherGoing), c.code) << c.track;
    EXPECT_EQ(Run(&AlternativeFactors::Factor16CopyField), "A1");
  }
}

// --- Factor 17: the horse's earlier finishes -----------------------------------------

TEST_F(AltFactors15To22Test, PastFinishesByCourseType) {
  auto run = [](const char* tag, const char* track, const char* order,
                const char* distance = "1800") {
    return Ex({{0, tag}, {775, track}, {679, order}, {767, distance}, {748, "A12"}});
  };
  // Earlier turf runs 01, 04, 02 and one dirt run 03.
  std::vector<std::string> history = {run("R1", "10", "01"), run("R2", "10", "04"),
                                      run("R3", "24", "03"), run("R4", "15", "02")};
  struct {
    Routine f;
    const char* track;
    const char* code;
  } cases[] = {
      {&AlternativeFactors::Factor17PastPlaceRate, "10", "051"},
      {&AlternativeFactors::Factor17PastPlaceRate, "24", "003"},
      {&AlternativeFactors::Factor17PastPlaceRate, "22", "003"},
      {&AlternativeFactors::Factor17PastPlaceRate, "51", "A120"},
      {&AlternativeFactors::Factor17PastPlaceRateB, "10", "79"},
      {&AlternativeFactors::Factor17PastPlaceRateB, "24", "97"},
      {&AlternativeFactors::Factor17PastPlaceRateB, "51", "790"},
      {&AlternativeFactors::Factor17PastTop3Count, "10", "171"},
      {&AlternativeFactors::Factor17PastTop3Count, "22", "171"},
      {&AlternativeFactors::Factor17PastTop3Count, "24", "201"},
      {&AlternativeFactors::Factor17PastTop3Count, "51", "001"},
  };
  for (const auto& c : cases) {
    auto records = history;
    records.push_back(run("R5", c.track, "09"));
    Horse("2015100001", records, 5);
    EXPECT_EQ(Run(c.f), c.code) << c.track;
  }
  // Four turf runs, three in the top three: 75 / 4 rounds to 19.
  Horse("2015100001",
        {run("R1", "10", "01"), run("R2", "10", "03"), run("R3", "10", "02"), run("R4", "10", "05"),
         run("R5", "10", "01")},
        5);
  EXPECT_EQ(Run(&AlternativeFactors::Factor17PastTop3Count), "190");
  // A past steeplechase with track code 22 counts as steeplechase.
  Horse("2015100001", {run("R1", "22", "01"), run("R2", "10", "05")}, 2);
  EXPECT_EQ(Run(&AlternativeFactors::Factor17PastPlaceRateB), "00");
  EXPECT_EQ(Run(&AlternativeFactors::Factor17PastTop3Count), "200");
}

TEST_F(AltFactors15To22Test, FirstRunUsesItsOwnFinish) {
  // "only": the same record as the horse's only one, every digit the zero text.
  struct {
    Routine f;
    const char* track;
    const char* order;
    const char* code;
    const char* only;
  } cases[] = {
      {&AlternativeFactors::Factor17PastPlaceRate, "10", "02", "051", "001"},
      {&AlternativeFactors::Factor17PastPlaceRate, "10", "03", "001", "001"},
      {&AlternativeFactors::Factor17PastPlaceRate, "24", "01", "051", "001"},
      {&AlternativeFactors::Factor17PastPlaceRateB, "10", "03", "90", "00"},
      {&AlternativeFactors::Factor17PastPlaceRateB, "51", "03", "009", "000"},
      {&AlternativeFactors::Factor17PastTop3Count, "10", "03", "200", "000"},
      {&AlternativeFactors::Factor17PastTop3Count, "51", "01", "200", "000"},
      {&AlternativeFactors::Factor17PastPlaceRateByDistance, "10", "03", "99", "00"},
      {&AlternativeFactors::Factor17PastPlaceRateByDistance, "51", "03", "9", "0"},
  };
  for (const auto& c : cases) {
    std::string first = Ex({{0, "R1"}, {775, c.track}, {679, c.order}, {767, "1800"}});
    Horse("2015100001", {first, Ex({{0, "R2"}})}, 1);
    EXPECT_EQ(Run(c.f), c.code) << c.track << " " << c.order;
    Horse("2015100001", {first}, 1);
    EXPECT_EQ(Run(c.f), c.only) << c.track << " " << c.order;
  }
}

TEST_F(AltFactors15To22Test, PastFinishesByDistance) {
  auto run = [](const char* tag, const char* track, const char* order, const char* distance) {
    return Ex({{0, tag}, {775, track}, {679, order}, {767, distance}});
  };
  // Turf: long 2 of 2 (TL 9 after the cap), short 1 of 3 (TS 3); dirt: 1600
  // is long (DL 10 -> 9), 1400 short with no success (DS 0).
  std::vector<std::string> history = {run("R1", "10", "01", "2000"), run("R2", "11", "03", "1601"),
                                      run("R3", "10", "01", "1600"), run("R4", "10", "05", "1200"),
                                      run("R5", "10", "07", "1000"), run("R6", "24", "02", "1600"),
                                      run("R7", "23", "09", "1400"), run("R8", "22", "01", "    ")};
  struct {
    const char* track;
    const char* distance;
    const char* code;
  } cases[] = {
      {"10", "1700", "93"}, {"10", "1600", "39"}, {"24", "1600", "90"},
      {"24", "1599", "09"}, {"22", "1600", "90"}, {"51", "3000", "9"},
  };
  for (const auto& c : cases) {
    auto records = history;
    records.push_back(run("R9", c.track, "01", c.distance));
    Horse("2015100001", records, 9);
    EXPECT_EQ(Run(&AlternativeFactors::Factor17PastPlaceRateByDistance), c.code)
        << c.track << c.distance;
  }
  history.push_back(run("R9", "10", "01", "1800"));
  history[3].replace(767, 4, "    ");
  Horse("2015100001", history, 9);
  EXPECT_THROW(AlternativeFactors(f()).Factor17PastPlaceRateByDistance(), Failure);
}

// --- Factor 17: results rates of the horse and its sire ----------------------------

class AltFactors17LookupTest : public AltFactors15To22Test {
 public:
  void SetUp() override {
    AltFactors15To22Test::SetUp();
    // Horse 2015100001: overall 12.0 %, course lines 1..7 at 1..7 %
    // (line 6 at 100, line 7 at 106).
    std::string horse = Rec(228, {{0, "2015100001"},
                                  {10, "012000"},
                                  {70, "001000"},
                                  {76, "002000"},
                                  {82, "003000"},
                                  {88, "004000"},
                                  {94, "005000"},
                                  {100, "006000"},
                                  {106, "007000"}});
    std::string horse_a = horse;
    horse_a.replace(10, 6, "009900");
    horse_a.replace(70, 6, "021000");
    WriteRecords("OPTION1N/KYOSOBA.dat", {horse});
    WriteRecords("OPTION1N/KYOSOBAA.dat", {horse_a});
    // Sire 1000000001: overall 25.3 %, course lines 31..37 %, distance
    // bands 1..6 %, top-2 overall 4.9 %, top-2 line 7 at 8 %.
    WriteRecords("OPTION1N/STALLION.dat", {Rec(402, {{0, "1000000001"},
                                                     {10, "025300"},
                                                     {82, "031000"},
                                                     {88, "032000"},
                                                     {94, "033000"},
                                                     {100, "034000"},
                                                     {106, "035000"},
                                                     {112, "036000"},
                                                     {118, "037000"},
                                                     {196, "001000"},
                                                     {202, "002000"},
                                                     {208, "003000"},
                                                     {214, "004000"},
                                                     {220, "005000"},
                                                     {226, "006000"},
                                                     {232, "004900"},
                                                     {280, "008000"}})});
  }
  void Race(const char* horse, const char* sire, const char* track, const char* distance = "1800",
            const char* youngest = "703") {
    Horse("2015100001", {Ex({{0, "R1"},
                             {30, horse},
                             {252, sire},
                             {775, track},
                             {767, distance},
                             {764, youngest}})});
  }
};

TEST_F(AltFactors17LookupTest, HorseAndSireRates) {
  struct {
    Routine f;
    const char* horse;
    const char* sire;
    const char* track;
    const char* distance;
    const char* youngest;
    const char* code;
  } cases[] = {
      {&AlternativeFactors::Factor17KyosobaaValue, "2015100001", "", "10", "1800", "703", "211"},
      {&AlternativeFactors::Factor17KyosobaaValue, "2015100001", "", "23", "1800", "703", "61"},
      {&AlternativeFactors::Factor17KyosobaaValue, "2015100009", "", "23", "1800", "703", "10"},
      {&AlternativeFactors::Factor17KyosobaA, "2015100001", "", "10", "1800", "703", "91"},
      {&AlternativeFactors::Factor17KyosobaA, "2015100001", "", "51", "1800", "703", "116"},
      {&AlternativeFactors::Factor17KyosobaA, "2015100001", "", "10", "1800", "701", "10"},
      {&AlternativeFactors::Factor17StallionOverall, "", "1000000001", "51", "1800", "703", "116"},
      {&AlternativeFactors::Factor17StallionOverall, "", "1000000009", "51", "1800", "703", "10"},
      {&AlternativeFactors::Factor17StallionOverall, "", "1000000001", "10", "1800", "701", "10"},
      {&AlternativeFactors::Factor17KyosobaaStallion, "2015100001", "1000000001", "10", "1800",
       "703", "211"},
      {&AlternativeFactors::Factor17KyosobaaStallion, "2015100009", "1000000001", "17", "1800",
       "703", "322"},
      {&AlternativeFactors::Factor17KyosobaaStallion, "2015100009", "1000000001", "25", "1800",
       "703", "352"},
      {&AlternativeFactors::Factor17KyosobaaStallion, "2015100009", "1000000001", "51", "1800",
       "703", "372"},
      {&AlternativeFactors::Factor17KyosobaaStallion, "2015100009", "1000000009", "51", "1800",
       "703", "10"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "", "1000000001", "15", "1600", "703",
       "11"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "", "1000000001", "15", "1601", "703",
       "22"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "", "1000000001", "15", "0800", "703",
       "32"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "", "1000000001", "23", "1000", "703",
       "41"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "", "1000000001", "24", "2100", "703",
       "52"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "", "1000000001", "24", "2400", "703",
       "62"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "", "1000000001", "05", "1600", "703",
       "10"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "", "1000000001", "25", "1600", "703",
       "10"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "", "1000000001", "15", "1600", "701",
       "10"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "2015100001", "", "51", "3000", "703",
       "71"},
      {&AlternativeFactors::Factor17StallionTop2, "", "1000000001", "10", "1800", "703", "41"},
      {&AlternativeFactors::Factor17StallionTop2, "", "1000000001", "22", "1800", "703", "81"},
      {&AlternativeFactors::Factor17StallionTop2, "", "1000000009", "22", "1800", "703", "10"},
  };
  for (const auto& c : cases) {
    Race(c.horse, c.sire, c.track, c.distance, c.youngest);
    EXPECT_EQ(Run(c.f), c.code) << c.horse << c.sire << " " << c.track << " " << c.distance;
  }
  // Ten percent or more in the top two.
  WriteRecords("OPTION1N/STALLION.dat", {Rec(402, {{0, "1000000002"}, {232, "010000"}})});
  f().ClearLookups();
  Race("", "1000000002", "24");
  EXPECT_EQ(Run(&AlternativeFactors::Factor17StallionTop2), "19");
}

TEST_F(AltFactors17LookupTest, BlankTrackCodesFail) {
  // Routines that read the track code first fail whatever the files hold;
  // the others only once the horse or sire is found.
  Race("2015100001", "1000000001", "  ");
  for (Routine routine :
       {&AlternativeFactors::Factor17KyosobaA, &AlternativeFactors::Factor17StallionKyosobaDistance,
        &AlternativeFactors::Factor17KyosobaaValue, &AlternativeFactors::Factor17StallionOverall,
        &AlternativeFactors::Factor17StallionTop2}) {
    AlternativeFactors alt(f());
    EXPECT_THROW((alt.*routine)(), Failure);
  }
  Race("2015100009", "1000000009", "  ");
  EXPECT_EQ(Run(&AlternativeFactors::Factor17KyosobaaValue), "10");
  EXPECT_EQ(Run(&AlternativeFactors::Factor17StallionOverall), "10");
  EXPECT_EQ(Run(&AlternativeFactors::Factor17StallionTop2), "10");
}

// A results file is opened, and so created when missing, only where the
// routine looks a key up.
TEST_F(AltFactors15To22Test, LookupFilesOpenOnlyOnTheirPath) {
  struct {
    Routine f;
    const char* track;
    const char* made;    // the file the call looks into, or ""
    const char* absent;  // a file it must not look into
    const char* code;
  } cases[] = {
      {&AlternativeFactors::Factor17ChokyoSeisei, "10", "", "CHOKYOSEISEI.dat", "26"},
      {&AlternativeFactors::Factor20StallionLog, "10", "", "OPTION1N/STALLION.dat", "0"},
      {&AlternativeFactors::Factor17KyosobaA, "51", "OPTION1N/KYOSOBA.dat", "OPTION1N/KYOSOBAA.dat",
       "10"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "51", "OPTION1N/KYOSOBA.dat",
       "OPTION1N/STALLION.dat", "10"},
      {&AlternativeFactors::Factor17StallionKyosobaDistance, "05", "OPTION1N/STALLION.dat",
       "OPTION1N/KYOSOBA.dat", "10"},
      {&AlternativeFactors::Factor17KyosobaA, "10", "OPTION1N/KYOSOBAA.dat", "OPTION1N/KYOSOBA.dat",
       "10"},
  };
  for (const auto& c : cases) {
    for (const char* name : {"CHOKYOSEISEI.dat", "OPTION1N/STALLION.dat", "OPTION1N/KYOSOBA.dat",
                             "OPTION1N/KYOSOBAA.dat"}) {
      if (Exists(name)) f().dir().Delete(name);
    }
    f().ClearLookups();
    Horse("2015100001", {Ex({{0, "R1"},
                             {30, "2015100001"},
                             {252, "0000000000"},
                             {534, "00000"},
                             {775, c.track},
                             {764, "703"}})});
    EXPECT_EQ(Run(c.f), c.code) << c.track;
    if (*c.made) {
      EXPECT_TRUE(Reads(c.made, [&] { Run(c.f); })) << c.made;
    }
    EXPECT_FALSE(Reads(c.absent, [&] { Run(c.f); })) << c.absent << " " << c.track;
  }
}

TEST_F(AltFactors15To22Test, TrainerPrizePerStartBands) {
  // Flat: prize 89:9 over starts 107:6; steeplechase: 98:9 over 113:6.
  WriteRecords(
      "CHOKYOSEISEI.dat",
      {Rec(121,
           {{0, "01001"}, {89, "000100000"}, {107, "000100"}, {98, "000000000"}, {113, "000000"}}),
       Rec(121,
           {{0, "01002"}, {89, "000200000"}, {107, "000100"}, {98, "005000000"}, {113, "000010"}}),
       Rec(121,
           {{0, "01003"}, {89, "000000050"}, {107, "000100"}, {98, "000000000"}, {113, "000003"}}),
       Rec(121, {{0, "00000"}, {89, "000200000"}, {107, "000100"}})});
  struct {
    const char* trainer;
    const char* track;
    const char* code;
  } cases[] = {
      {"01001", "10", "29"},  // 1000 a start: 10 log10 1000 floors to 29
      {"01002", "29", "33"}, {"01002", "51", "36"},
      {"01001", "51", "26"}, {"01003", "10", "36"},  // under 1 a start: a negative class
      {"01009", "10", "26"}, {"00000", "10", "26"},
  };
  for (const auto& c : cases) {
    Horse("2015100001", {Ex({{0, "R1"}, {534, c.trainer}, {775, c.track}})});
    EXPECT_EQ(Run(&AlternativeFactors::Factor17ChokyoSeisei), c.code) << c.trainer << c.track;
  }
}

// --- Factors 18 to 20 ----------------------------------------------------------------

TEST_F(AltFactors15To22Test, CodesCopiedFromTheRecord) {
  Horse("2015100001", {Ex({{0, "R1"},
                           {224, "12345678"},
                           {534, "01234"},
                           {422, "1122334455"},
                           {388, "9988776655"}})});
  EXPECT_EQ(Run(&AlternativeFactors::Factor18SeisanshaCode), "12345678");
  EXPECT_EQ(Run(&AlternativeFactors::Factor19ChokyoshiCode), "01234");
  EXPECT_EQ(Run(&AlternativeFactors::Factor20PedigreeSlotCode), "111223344551");
  EXPECT_EQ(Run(&AlternativeFactors::Factor20PedigreeSlotCodeB), "199887766551");
  Horse("2015100001", {Ex({{0, "R1"}})});
  EXPECT_EQ(Run(&AlternativeFactors::Factor18SeisanshaCode), "393126");
  EXPECT_EQ(Run(&AlternativeFactors::Factor20PedigreeSlotCode), "1          1");
}

TEST_F(AltFactors15To22Test, TrainerTopThreeRateFromTheCountTable) {
  AlternativeFactors alt(f());
  auto& table = alt.TrainerResultCounts;
  table[7][0] = 1234;  // turf 7 of 20 (columns 1..6 and 13..18)
  table[7][1] = 3, table[7][14] = 4, table[7][4] = 10, table[7][18] = 3;
  table[7][7] = 15, table[7][8] = 0;   // dirt 15 of 15
  table[7][37] = 1, table[7][40] = 3;  // steeplechase 1 of 4: 6.25
  table[9][0] = 1234;                  // a later row of the same trainer is never used
  table[9][1] = 20;
  table[0][1] = 5, table[0][4] = 5;  // row 0 for trainers not in the table
  table[1501][0] = 4321;             // beyond the rows searched
  struct {
    const char* trainer;
    const char* track;
    const char* code;
  } cases[] = {
      {"01234", "10", "090"}, {"01234", "24", "200"}, {"01234", "51", "060"},
      {"04321", "10", "120"}, {"09999", "10", "120"}, {"09999", "24", "000"},
  };
  for (const auto& c : cases) {
    Horse("2015100001", {Ex({{0, "R1"}, {534, c.trainer}, {775, c.track}})});
    EXPECT_EQ(alt.Factor19ChokyoArray(), c.code) << c.trainer << c.track;
  }
  table[7][13] = 32767;  // counts beyond 16 bits fail
  Horse("2015100001", {Ex({{0, "R1"}, {534, "01234"}, {775, "10"}})});
  EXPECT_THROW(alt.Factor19ChokyoArray(), Failure);
  table[7][13] = 1400;  // so does 25 times the top-three count
  EXPECT_THROW(alt.Factor19ChokyoArray(), Failure);
  Horse("2015100001", {Ex({{0, "R1"}, {775, "10"}})});
  EXPECT_THROW(alt.Factor19ChokyoArray(), Failure);
  Horse("2015100001", {Ex({{0, "R1"}, {534, "01234"}, {775, "10"}})});
  EXPECT_EQ(AlternativeFactors(f()).Factor19ChokyoArray(), "000")
      << "a new window's table is empty";
}

TEST_F(AltFactors15To22Test, JockeyTopTwoRateFromTheJockeyFile) {
  // Lookup: the first 501 rides; 3 in the top two of 10 gives "03".
  std::vector<std::string> ten;
  for (const char* order : {"01", "02", "05", "02", "09", "04", "03", "06", "07", "08"}) {
    ten.push_back(Ride("20200101", order));
  }
  WriteRecords("KISHUGOTOSETUP/01001.dat", ten);
  // 100 of the first 501 give floor(1000 / 501) = 1; 500 or 502 rides would give 2.
  std::vector<std::string> many(100, Ride("20200101", "01"));
  many.resize(501, Ride("20200101", "05"));
  many.push_back(Ride("20200101", "01"));
  WriteRecords("KISHUGOTOSETUP/01002.dat", many);
  // Flag: rides of kind "7" only, newest first, 101 at most; 50 x rate.
  // 2 of the 101 newest give floor(100 / 101) = 0; one ride more would give 1.
  std::vector<std::string> flag;
  flag.push_back(Ride("20200101", "01"));  // the 102nd ride of kind 7 back: not read
  for (int i = 0; i < 101; ++i) flag.push_back(Ride("20200101", i < 2 ? "02" : "05"));
  flag.push_back(Ride("20200101", "01", "A"));
  WriteRecords("KISHUGOTOSETUP/01003.dat", flag);
  struct {
    Routine f;
    const char* jockey;
    const char* track;
    const char* code;
  } cases[] = {
      {&AlternativeFactors::Factor20KishuGotoLookup, "01001", "10", "03"},
      {&AlternativeFactors::Factor20KishuGotoLookup, "01002", "10", "01"},
      {&AlternativeFactors::Factor20KishuGotoLookup, "01009", "10", "00"},
      {&AlternativeFactors::Factor20KishuGotoFlag, "01001", "10", "15"},
      {&AlternativeFactors::Factor20KishuGotoFlag, "01001", "30", "10"},
      {&AlternativeFactors::Factor20KishuGotoFlag, "01003", "10", "00"},
      {&AlternativeFactors::Factor20KishuGotoFlag, "01009", "51", "00"},
  };
  for (const auto& c : cases) {
    Horse("2015100001", {Ex({{0, "R1"}}), Ex({{0, "R2"}, {613, c.jockey}, {775, c.track}})}, 2);
    EXPECT_EQ(Run(c.f), c.code) << c.jockey << c.track;
  }
  // 1 in 11: floor(50 / 11) = 4.
  std::vector<std::string> few(10, Ride("20200101", "05"));
  few.push_back(Ride("20200101", "02"));
  WriteRecords("KISHUGOTOSETUP/01004.dat", few);
  Horse("2015100001", {Ex({{0, "R1"}}), Ex({{0, "R2"}, {613, "01004"}, {775, "10"}})}, 2);
  EXPECT_EQ(Run(&AlternativeFactors::Factor20KishuGotoFlag), "04");
  // On a horse's only record both give "00".
  Horse("2015100001", {Ex({{0, "R1"}, {613, "01001"}, {775, "10"}})});
  EXPECT_EQ(Run(&AlternativeFactors::Factor20KishuGotoLookup), "00");
  EXPECT_EQ(Run(&AlternativeFactors::Factor20KishuGotoFlag), "00");
}

TEST_F(AltFactors15To22Test, SireMoneySumOnALogScale) {
  WriteRecords("OPTION1N/STALLION.dat", {Rec(402, {{0, "1000000001"}, {46, "012345678"}}),
                                         Rec(402, {{0, "1000000002"}, {46, "000000000"}}),
                                         Rec(402, {{0, "1000000001"}, {46, "000000010"}})});
  struct {
    const char* sire;
    const char* code;
  } cases[] = {
      {"1000000001", "70"},
      {"1000000002", "0"},
      {"1000000009", "0"},
      {"0000000000", "0"},
  };
  for (const auto& c : cases) {
    Horse("2015100001", {Ex({{0, "R1"}, {252, c.sire}})});
    EXPECT_EQ(Run(&AlternativeFactors::Factor20StallionLog), c.code) << c.sire;
  }
}

// --- Factor 22 --------------------------------------------------------------------------

TEST_F(AltFactors15To22Test, BirthMonthSexCountryAndSalePrice) {
  std::string ireland = Cp932("愛　アイルランド"), usa = Cp932("米　"), japan = Cp932("日高");
  struct {
    const char* month;
    const char* sex;
    std::string birthplace;
    const char* age;
    const char* price;
    const char* track;
    const char* ori2;
    const char* sanchi;
  } cases[] = {
      {"04", "1", ireland, " ", "          ", "51", "51", "5100"},
      {"04", "1", ireland, " ", "          ", "10", "041", "51041"},
      {"04", "2", usa, " ", "          ", "49", "042", "56042"},
      {"03", "3", japan, " ", "          ", "24", "031", "00031"},
      {"07", "1", usa, " ", "          ", "10", "010", "56010"},
      {"01", "2", usa, " ", "          ", "10", "010", "56010"},
      {"  ", "2", usa, " ", "          ", "10", "010", "56010"},
      {"02", "2", usa, "1", "0123456789", "10", "022", "17022"},
      {"06", "1", usa, "2", "0000500000", "10", "061", "26061"},
      {"06", "1", usa, "3", "0001000000", "10", "061",
       "35061"},  // the log of a million floors to 5
      {"06", "1", usa, "1", "0000012000", "51", "56", "1400"},
  };
  for (const auto& c : cases) {
    Horse("2015100001", {Ex({{0, "R1"},
                             {200, c.month},
                             {529, c.sex},
                             {232, c.birthplace},
                             {185, c.age},
                             {186, c.price},
                             {775, c.track}})});
    EXPECT_EQ(Run(&AlternativeFactors::Factor22ori2), c.ori2) << c.month << c.price << c.track;
    EXPECT_EQ(Run(&AlternativeFactors::Factor22SanchiBirthMonth), c.sanchi)
        << c.month << c.price << c.track;
  }
  Horse("2015100001", {Ex({{0, "R1"}, {200, "04"}})});
  EXPECT_THROW(AlternativeFactors(f()).Factor22ori2(), Failure);
  EXPECT_THROW(AlternativeFactors(f()).Factor22SanchiBirthMonth(), Failure);
}

TEST_F(AltFactors15To22Test, TimeDifferenceOfTheRaceTwoBack) {
  struct {
    const char* diff;
    const char* order;
    const char* code;
  } cases[] = {
      {"0000", "01", "0099"}, {"    ", "01", "0099"},
      {"+999", "01", "0099"}, {"-999", "01", "0099"},
      {"9999", "01", "0099"}, {"-000", "01", "0001"},
      {"-001", "01", "0002"}, {"-002", "01", "0003"},
      {"-003", "01", "0004"}, {"-004", "01", "0004"},
      {"-005", "01", "0005"}, {"-009", "01", "0005"},
      {"-010", "01", "0006"}, {"-998", "01", "0006"},
      {"+000", "02", "+HNA"}, {"+000", "03", "0007"},
      {"+001", "05", "0008"}, {"+002", "05", "0009"},  // "00" and two digits
      {"+003", "05", "0010"}, {"+026", "05", "0033"},
      {"+029", "05", "0036"}, {"+030", "05", "0037"},
      {"+045", "05", "0052"}, {"+050", "05", "0057"},
      {"+051", "05", "0099"}, {"+1 0", "05", "0099"},
  };
  for (const auto& c : cases) {
    Horse("2015100001",
          {Ex({{0, "R1"}, {740, c.diff}, {679, c.order}, {689, "HNA"}}),
           Ex({{0, "R2"}, {740, "-001"}, {679, "02"}}), Ex({{0, "R3"}, {740, "+000"}})},
          3);
    EXPECT_EQ(Run(&AlternativeFactors::Factor22TimeDiffPrev2), c.code) << c.diff;
  }
  for (int r : {1, 2}) {
    At(r);
    EXPECT_EQ(Run(&AlternativeFactors::Factor22TimeDiffPrev2), "0099");
  }
}

}  // namespace
}  // namespace volq
