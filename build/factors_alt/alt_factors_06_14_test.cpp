#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "build/factors_alt/alternative_factors.h"
#include "platform/fs/file_failure.h"

namespace volq {
namespace {

using Routine = std::string (AlternativeFactors::*)();

class AltFactors0614Test : public testing::FactorTest {
 public:
  // A horse of one record, the frame on it; the buffer holds something else,
  // so the routine must read record r itself.
  std::string One(Routine routine, std::initializer_list<std::pair<int, std::string>> fields) {
    Horse("2019100001", {Ex(fields)});
    f().ExRecord = std::string(kUmaExLength, '#');
    AlternativeFactors alt(f());
    return (alt.*routine)();
  }
  // Runs the routine on record r of the horse's records and checks that the buffer
  // holds record r afterwards.
  std::string OnRecord(Routine routine, const std::vector<std::string>& recs, int32_t r) {
    Horse("2019100001", recs, r);
    f().ExRecord = std::string(kUmaExLength, '#');
    AlternativeFactors alt(f());
    std::string code = (alt.*routine)();
    EXPECT_EQ(f().ExRecord, recs[static_cast<size_t>(r - 1)]) << "record r is left in the buffer";
    return code;
  }
};

// --- factor 6 ------------------------------------------------------------------

TEST_F(AltFactors0614Test, KishuCountTableRatesTheJockeysRowByCourseType) {
  Horse("2019100001", {Ex({{613, "01234"}, {775, "10"}})});
  AlternativeFactors alt(f());
  EXPECT_EQ(alt.Factor06KishuCountTable(), "000") << "nothing filled";

  auto& row = alt.JockeyResultCounts[7];
  row[0] = 1234;
  struct Case {
    const char* track;
    std::vector<std::pair<int, int16_t>> counts;
    const char* code;
  };
  const Case cases[] = {
      {"10", {{1, 1}, {2, 1}, {13, 1}, {4, 3}, {17, 4}}, "080"},  // 3 of 10: nearest(7.5) = 8
      {"22", {{3, 1}, {18, 1}}, "120"},                           // 1 of 2: nearest(12.5) = 12
      {"22", {{1, 5}}, "200"},                                    // 25 capped at 20
      {"30", {{7, 1}, {21, 1}, {12, 2}, {22, 6}}, "050"},         // dirt: 2 of 10
      {"30", {{1, 5}, {4, 5}}, "000"},                            // turf counts only
      {"51", {{39, 3}, {42, 3}, {1, 9}}, "120"},                  // jumps: 3 of 6
      {"-1", {{37, 1}, {40, 99}}, "000"},
  };
  for (const auto& c : cases) {
    row.fill(0);
    row[0] = 1234;
    for (auto [col, n] : c.counts) row[static_cast<size_t>(col)] = n;
    Horse("2019100001", {Ex({{613, "01234"}, {775, c.track}})});
    EXPECT_EQ(alt.Factor06KishuCountTable(), c.code) << c.track;
  }

  // Only rows 1 to 1500 are searched; a jockey found nowhere falls on row 0.
  row.fill(0);
  alt.JockeyResultCounts[1501] = {1234, 3, 0, 0, 0, 0, 0};
  alt.JockeyResultCounts[0] = {0, 1, 0, 0, 1};
  Horse("2019100001", {Ex({{613, "01234"}, {775, "10"}})});
  EXPECT_EQ(alt.Factor06KishuCountTable(), "120");
  // The first row of the jockey counts.
  alt.JockeyResultCounts[3] = {1234, 1, 0, 0, 3};
  alt.JockeyResultCounts[5] = {1234, 3};
  EXPECT_EQ(alt.Factor06KishuCountTable(), "060");
}

TEST_F(AltFactors0614Test, KishuCountTableFailsBeyondSixteenBits) {
  Horse("2019100001", {Ex({{613, "40000"}, {775, "10"}})});
  AlternativeFactors alt(f());
  EXPECT_THROW(alt.Factor06KishuCountTable(), Failure) << "jockey code above 32767";

  Horse("2019100001", {Ex({{613, "00001"}, {775, "10"}})});
  alt.JockeyResultCounts[1][0] = 1;
  alt.JockeyResultCounts[1][1] = 2000;  // 25 x 2000 is beyond 16 bits
  EXPECT_THROW(alt.Factor06KishuCountTable(), Failure);
  alt.JockeyResultCounts[1][1] = 30000;
  alt.JockeyResultCounts[1][2] = 3000;
  EXPECT_THROW(alt.Factor06KishuCountTable(), Failure) << "a sum beyond 16 bits";
}

TEST_F(AltFactors0614Test, KishuYearFlagsTheOldYearsOnTheFlat) {
  struct Case {
    const char* year;
    const char* track;
    const char* abnormal;
    const char* code;
  };
  const Case cases[] = {
      {"2005", "10", "0", "012341"}, {"2005", "10", "1", "012341"}, {"2005", "10", "4", "012344"},
      {"2005", "51", "0", "012340"}, {"2009", "10", "0", "012340"}, {"2000", "49", "0", "012341"},
      {"2008", "  ", "0", "012340"},  // blanks sort below "00"
      {"1999", "05", " ", "01234 "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(One(&AlternativeFactors::Factor06KishuYear,
                  {{11, c.year}, {613, "01234"}, {678, c.abnormal}, {775, c.track}}),
              c.code)
        << c.year << " " << c.track << " " << c.abnormal;
  }
}

TEST_F(AltFactors0614Test, KishuDonichiTakesTheDayRateOfTheRacecourse) {
  std::string donichi(127, ' ');
  donichi.replace(0, 5, "01234");
  for (int off = 5; off <= 119; off += 6) {
    donichi.replace(static_cast<size_t>(off), 6, std::to_string(1000000 + off * 100).substr(1));
  }
  donichi.replace(125, 2, "\r\n");
  WriteRecords("OPTION1N/DONICHI.dat", {donichi});
  WriteRecords("KISHUSEISEI.dat", {Rec(121, {{0, "01234"}, {41, "025300"}})});
  struct Case {
    const char* jockey;
    const char* course;
    const char* weekday;
    const char* track;
    const char* code;
  };
  const Case cases[] = {
      {"01234", "05", "1", "10", "16"},   // rate at 65: 006500
      {"01234", "06", "1", "30", "15"},   // rate at 53
      {"01234", "06", "2", "30", "25"},   // the other days' rate at 59
      {"01234", "01", "1", "10", "10"},   // 000500 is 0 %: "1" and "0"
      {"01234", "10", "0", "49", "211"},  // rate at 119: 011900
      {"01234", "11", "1", "10", "10"},
      {"01234", "01", "1", "51", "125"},  // jumps: KISHUSEISEI rate at 41
      {"09999", "01", "1", "10", "10"},
      {"09999", "01", "1", "99", "10"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(One(&AlternativeFactors::Factor06KishuDonichi,
                  {{613, c.jockey}, {19, c.course}, {42, c.weekday}, {775, c.track}}),
              c.code)
        << c.jockey << " " << c.course << " " << c.weekday << " " << c.track;
  }
}

TEST_F(AltFactors0614Test, KishuDonichiWithoutAJockeyOpensNoFile) {
  EXPECT_EQ(One(&AlternativeFactors::Factor06KishuDonichi, {{613, "00000"}, {775, "10"}}), "10");
  for (const char* file : {"OPTION1N/DONICHI.dat", "KISHUSEISEI.dat"}) {
    EXPECT_FALSE(Reads(file, [&] {
      One(&AlternativeFactors::Factor06KishuDonichi, {{613, "00000"}, {775, "10"}});
    })) << file;
  }
  EXPECT_THROW(One(&AlternativeFactors::Factor06KishuDonichi, {{613, "00000"}}), Failure)
      << "the track code is still read";
  EXPECT_EQ(One(&AlternativeFactors::Factor06KishuDonichi, {{613, "01234"}, {775, "10"}}), "10");
  EXPECT_TRUE(Reads("OPTION1N/DONICHI.dat", [&] {
    One(&AlternativeFactors::Factor06KishuDonichi, {{613, "01234"}, {775, "10"}});
  }));
  EXPECT_FALSE(Exists("OPTION1N/DONICHI.dat")) << "reading makes no file";
}

TEST_F(AltFactors0614Test, ConcatJoinsGradeHorseSymbolAndRaceSymbol) {
  EXPECT_EQ(One(&AlternativeFactors::Factor06Concat, {{744, "A"}, {527, "03"}, {748, "N21"}}),
            "A03N21");
  EXPECT_EQ(One(&AlternativeFactors::Factor06Concat, {}), "      ");
}

// --- factor 7 ------------------------------------------------------------------

TEST_F(AltFactors0614Test, RunBeforeCodesLookAtRecordRMinusOneWhateverItHolds) {
  const std::string prev =
      Ex({{679, "03"}, {702, "01"}, {704, "12"}, {681, "03"}, {678, "1"}, {706, "0035"}});
  auto now = [](const char* track) { return Ex({{775, track}, {679, "01"}, {678, "0"}}); };
  struct Case {
    Routine f;
    std::vector<std::string> recs;
    int32_t r;
    const char* code;
  };
  const Case cases[] = {
      {&AlternativeFactors::Factor07ChakujunClass, {now("10")}, 1, "0077"},
      {&AlternativeFactors::Factor07ChakujunClass, {prev, now("10")}, 2, "0317"},
      {&AlternativeFactors::Factor07ChakujunClass, {prev, now("29")}, 2, "0317"},
      {&AlternativeFactors::Factor07ChakujunClass, {prev, now("51")}, 2, "0377"},
      {&AlternativeFactors::Factor07ChakujunClass, {prev, now("30")}, 2, "0377"},
      // r-1 even when it is abnormal; r-2 is never looked at
      {&AlternativeFactors::Factor07ChakujunClass, {now("10"), prev, now("10")}, 3, "0317"},
      {&AlternativeFactors::Factor07PrevRunCodeOrder, {now("10")}, 1, "00000"},
      {&AlternativeFactors::Factor07PrevRunCodeOrder, {prev, now("10")}, 2, "03001"},
      {&AlternativeFactors::Factor07PrevFinishOdds, {now("10")}, 1, "9000"},
      {&AlternativeFactors::Factor07PrevFinishOdds, {prev, now("10")}, 2, "6030"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OnRecord(c.f, c.recs, c.r), c.code) << c.r << " " << c.code;
  }
}

TEST_F(AltFactors0614Test, PositionClasses) {
  struct Case {
    const char* pos;
    char cls;
  };
  const Case cases[] = {{"00", '7'}, {"99", '7'}, {"  ", '7'}, {"01", '1'}, {"05", '5'},
                        {"06", '6'}, {"08", '6'}, {"09", '7'}, {"1 ", '7'}, {"0A", '7'}};
  for (const auto& c : cases) {
    std::vector<std::string> recs = {Ex({{679, "02"}, {702, c.pos}, {704, "01"}}),
                                     Ex({{775, "00"}})};
    EXPECT_EQ(OnRecord(&AlternativeFactors::Factor07ChakujunClass, recs, 2),
              std::string("02") + c.cls + "1")
        << c.pos;
  }
}

TEST_F(AltFactors0614Test, PrevRunCodeOrderByFinalPlacing) {
  struct Case {
    const char* placing;
    const char* abnormal;
    const char* code;
  };
  const Case cases[] = {{"00", "3", "00003"}, {"01", "0", "01000"}, {"12", "0", "12000"},
                        {"13", "0", "13000"}, {"15", "4", "13004"}, {"  ", "0", "13000"},
                        {"1 ", "0", "1 000"}};  // "1 " sorts between "01" and "12"
  for (const auto& c : cases) {
    EXPECT_EQ(OnRecord(&AlternativeFactors::Factor07PrevRunCodeOrder,
                       {Ex({{681, c.placing}, {678, c.abnormal}}), Ex({})}, 2),
              c.code)
        << c.placing;
  }
}

TEST_F(AltFactors0614Test, PrevFinishOddsBandsThousandOverTheOddsText) {
  struct Case {
    const char* arrival;
    const char* odds;
    const char* code;
  };
  const Case cases[] = {
      {"02", "0035", "6020"},  // 1000 / 35 = 28
      {"01", "1500", "1010"},  // 0
      {"01", "0500", "2010"},  // 2
      {"03", "0250", "3030"},  // 4
      {"04", "0100", "4040"},  // 10
      {"08", "0050", "5080"},  // 20
      {"00", "0020", "7000"},  // 50
      {"10", "0015", "8090"},  // 66; arrival beyond 8 is "09"
      {"05", "0001", "8050"},  // 1000
      {"05", "0000", "9000"}, {"05", "    ", "9000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OnRecord(&AlternativeFactors::Factor07PrevFinishOdds,
                       {Ex({{679, c.arrival}, {706, c.odds}}), Ex({})}, 2),
              c.code)
        << c.arrival << " " << c.odds;
  }
  EXPECT_THROW(
      OnRecord(&AlternativeFactors::Factor07PrevFinishOdds, {Ex({{706, "0035"}}), Ex({})}, 2),
      Failure)
      << "a blank arrival order";
  // Odds worth 0 that are not "0000" or blanks divide by zero.
  for (const char* odds : {"00-A", " 000", "000 ", "-000"}) {
    EXPECT_THROW(OnRecord(&AlternativeFactors::Factor07PrevFinishOdds,
                          {Ex({{679, "01"}, {706, odds}}), Ex({})}, 2),
                 Failure)
        << odds;
  }
}

// --- factor 8 ------------------------------------------------------------------

TEST_F(AltFactors0614Test, BabaWeatherJoinsWeatherAndTheCourseTypesGoing) {
  struct Case {
    const char* weather;
    const char* track;
    const char* code;
  };
  const Case cases[] = {{"6", "10", "4200"}, {"1", "22", "1200"}, {"4", "23", "4300"},
                        {"0", "49", "4300"}, {" ", "51", "4200"}, {"3", "-1", "3200"}};
  for (const auto& c : cases) {
    EXPECT_EQ(One(&AlternativeFactors::Factor08BabaWeather,
                  {{957, c.weather}, {958, "2"}, {959, "3"}, {775, c.track}}),
              c.code)
        << c.weather << " " << c.track;
  }
}

TEST_F(AltFactors0614Test, StallionBabaTakesTheSiresGoingRateAndRebandsIt) {
  // Sire rates: turf goings at 124 (25.3 %), 130 (23.1 %), 136 (9.9 %),
  // 142 (45.0 %); dirt goings at 148 (31.0 %), 154 (0 %), 160, 166.
  WriteRecords("OPTION1N/STALLION.dat", {Rec(402, {{0, "1100000001"},
                                                   {124, "025300"},
                                                   {130, "023100"},
                                                   {136, "009900"},
                                                   {142, "045000"},
                                                   {148, "031000"},
                                                   {154, "000000"},
                                                   {160, "100000"},
                                                   {166, "002000"}})});
  struct Case {
    const char* sire;
    const char* track;
    const char* turf;
    const char* dirt;
    const char* code;
  };
  const Case cases[] = {
      {"1100000001", "10", "0", "9", "18"},  // 125 re-banded
      {"1100000001", "10", "1", "9", "18"},
      {"1100000001", "10", "2", "9", "28"},  // 223
      {"1100000001", "10", "3", "9", "38"},  // 39
      {"1100000001", "10", "4", "9", "445"},
      {"1100000001", "10", "5", "9", "10"},   // no such going
      {"1100000001", "30", "9", "1", "131"},  // dirt: 131 stays
      {"1100000001", "30", "9", "2", "20"},
      {"1100000001", "30", "9", "3", "3100"},
      {"1100000001", "30", "9", "4", "42"},
      {"1100000001", "51", "2", "1", "3200"},  // jumps: weather, turf going, "00"
      {"1100000009", "10", "1", "1", "10"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(One(&AlternativeFactors::Factor08StallionBaba,
                  {{252, c.sire}, {775, c.track}, {957, "3"}, {958, c.turf}, {959, c.dirt}}),
              c.code)
        << c.track << " " << c.turf << " " << c.dirt;
  }
}

TEST_F(AltFactors0614Test, StallionBabaRebandsOnlyItsRanges) {
  // Turf going "1" reads the rate at 124, "2" at 130, "3" at 136, "4" at 142.
  struct Case {
    const char* going;
    const char* rate;
    const char* code;
  };
  const Case cases[] = {{"1", "010000", "18"}, {"1", "030999", "18"},   {"1", "031000", "131"},
                        {"1", "009999", "18"}, {"1", "008000", "18"},   {"1", "009000", "18"},
                        {"1", "000000", "10"}, {"1", "100000", "1100"}, {"2", "031000", "231"},
                        {"2", "030000", "28"}, {"2", "009000", "28"},   {"2", "008000", "28"},
                        {"3", "012000", "38"}, {"3", "009500", "38"},   {"4", "030000", "48"},
                        {"4", "009000", "48"}, {"4", "031000", "431"},  {"4", "008999", "48"}};
  for (const auto& c : cases) {
    const int offset = 124 + 6 * (c.going[0] - '1');
    WriteRecords("OPTION1N/STALLION.dat", {Rec(402, {{0, "1100000001"}, {offset, c.rate}})});
    f().ClearLookups();
    EXPECT_EQ(One(&AlternativeFactors::Factor08StallionBaba,
                  {{252, "1100000001"}, {775, "00"}, {958, c.going}}),
              c.code)
        << c.going << " " << c.rate;
  }
}

TEST_F(AltFactors0614Test, KyosobaBabaReadsKyosobaOverFencesAndKyosobaaOnTheFlat) {
  // The going rate at 112 + 6i is (base + i) %: base 10 in KYOSOBA, 50 in
  // KYOSOBAA.
  auto rates = [](int base) {
    std::string rec = Rec(228, {{0, "2019100001"}});
    for (int i = 0; i < 12; ++i) {
      rec.replace(static_cast<size_t>(112 + 6 * i), 6, "0" + std::to_string(base + i) + "000");
    }
    return rec;
  };
  WriteRecords("OPTION1N/KYOSOBA.dat", {rates(10)});
  WriteRecords("OPTION1N/KYOSOBAA.dat", {rates(50)});
  struct Case {
    const char* pedigree;
    const char* track;
    const char* turf;
    const char* dirt;
    const char* code;
  };
  const Case cases[] = {
      {"2019100001", "51", "1", "4", "118"},  // KYOSOBA 160: 18 %
      {"2019100001", "-1", "4", "1", "421"},  // KYOSOBA 178
      {"2019100001", "10", "0", "4", "150"},  // KYOSOBAA 112
      {"2019100001", "22", "3", "4", "352"},  // KYOSOBAA 124
      {"2019100001", "23", "1", "2", "255"},  // KYOSOBAA 142
      {"2019100001", "49", "1", "4", "457"},  // KYOSOBAA 154
      {"2019100001", "10", "5", "1", "10"},   // no such going
      {"2019100002", "10", "1", "1", "10"},   // no record
      {"          ", "51", "1", "1", "11"},  {"          ", "10", "1", "1", "10"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(One(&AlternativeFactors::Factor08KyosobaBaba,
                  {{30, c.pedigree}, {775, c.track}, {958, c.turf}, {959, c.dirt}}),
              c.code)
        << c.pedigree << " " << c.track << " " << c.turf << " " << c.dirt;
  }
}

TEST_F(AltFactors0614Test, KyosobaDistanceAndSurfaceClassTheHorsesRates) {
  // Rates: 10 overall 52 %, 106 jumps 8 %, turf bands 184/190/196 and dirt
  // bands 202/208/214.
  WriteRecords("OPTION1N/KYOSOBAA.dat", {Rec(228, {{0, "2019100001"},
                                                   {10, "052000"},
                                                   {106, "008000"},
                                                   {184, "040000"},
                                                   {190, "000000"},
                                                   {196, "003999"},
                                                   {202, "100000"},
                                                   {208, "012000"},
                                                   {214, "020000"}})});
  struct Case {
    Routine f;
    const char* pedigree;
    const char* track;
    const char* distance;
    const char* code;
  };
  const Case cases[] = {
      {&AlternativeFactors::Factor08KyosobaDistance, "2019100001", "10", "1600", "110"},
      {&AlternativeFactors::Factor08KyosobaDistance, "2019100001", "10", "1601", "10"},  // "20"
      {&AlternativeFactors::Factor08KyosobaDistance, "2019100001", "22", "2201", "10"},  // "30"
      {&AlternativeFactors::Factor08KyosobaDistance, "2019100001", "23", "1000", "125"},
      {&AlternativeFactors::Factor08KyosobaDistance, "2019100001", "49", "2200", "23"},
      {&AlternativeFactors::Factor08KyosobaDistance, "2019100001", "30", "3000", "35"},
      {&AlternativeFactors::Factor08KyosobaDistance, "2019100001", "51", "    ", "12"},
      {&AlternativeFactors::Factor08KyosobaDistance, "2019100002", "10", "1200", "10"},
      {&AlternativeFactors::Factor08KyosobaDistance, "0000000000", "51", "1200", "11"},
      {&AlternativeFactors::Factor08KyosobaDistance, "          ", "10", "1200", "10"},
      {&AlternativeFactors::Factor08KyosobaSurface, "2019100001", "10", "", "113"},
      {&AlternativeFactors::Factor08KyosobaSurface, "2019100001", "49", "", "113"},
      {&AlternativeFactors::Factor08KyosobaSurface, "2019100001", "50", "", "12"},
      {&AlternativeFactors::Factor08KyosobaSurface, "2019100002", "50", "", "10"},
      {&AlternativeFactors::Factor08KyosobaSurface, "0000000000", "50", "", "11"},
      {&AlternativeFactors::Factor08KyosobaSurface, "          ", "00", "", "10"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(One(c.f, {{30, c.pedigree}, {775, c.track}, {767, c.distance}}), c.code)
        << c.pedigree << " " << c.track << " " << c.distance;
  }
  EXPECT_THROW(One(&AlternativeFactors::Factor08KyosobaDistance,
                   {{30, "2019100001"}, {775, "10"}, {767, "    "}}),
               Failure);
}

TEST_F(AltFactors0614Test, SurfaceTop3RatesCountTheEarlierRuns) {
  auto run = [](const char* track, const char* arrival) {
    return Ex({{775, track}, {679, arrival}});
  };
  using V = std::vector<std::string>;
  struct Case {
    V recs;
    int32_t r;
    const char* code;
    const char* code_b;
  };
  const Case cases[] = {
      {{run("10", "01")}, 1, "000", "000"},  // a single record
      {{run("51", "01")}, 1, "000", "000"},
      {{run("10", "01"), run("10", "05")}, 1, "200", "200"},
      {{run("30", "03"), run("10", "05")}, 1, "200", "200"},  // the first run's own place, dirt
      {{run("51", "04"), run("10", "05")}, 1, "000", "000"},
      // 1 of 2 on turf: nearest(12.5) = 12; no dirt runs
      {{run("10", "01"), run("22", "09"), run("10", "01")}, 3, "120", "120"},
      {{run("10", "05"), run("30", "02"), run("10", "01")}, 3, "001", "000"},
      {{run("10", "01"), run("30", "02"), run("30", "01")}, 3, "201", "200"},
      {{run("23", "06"), run("51", "02"), run("-5", "01")}, 3, "200", "200"},
      {{run("10", "03"), run("10", "02"), run("10", "04"), run("49", "01")}, 4, "001", "000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OnRecord(&AlternativeFactors::Factor08SurfaceTop3Rate, c.recs, c.r), c.code)
        << c.r << " " << c.code;
    EXPECT_EQ(OnRecord(&AlternativeFactors::Factor08SurfaceTop3RateB, c.recs, c.r), c.code_b)
        << c.r << " " << c.code;
  }
  EXPECT_THROW(
      OnRecord(&AlternativeFactors::Factor08SurfaceTop3Rate, {run("  ", "01"), run("10", "01")}, 2),
      Failure)
      << "an earlier record without a track code";
}

// --- factors 9 to 11 -------------------------------------------------------------

TEST_F(AltFactors0614Test, RaceCountCappedCountsFromTheSecondRun) {
  std::vector<std::string> recs(61, Ex({}));
  Horse("2019100001", recs);
  AlternativeFactors alt(f());
  struct Case {
    int32_t r;
    const char* code;
  };
  for (const Case& c :
       {Case{1, "001"}, Case{2, "001"}, Case{3, "002"}, Case{60, "059"}, Case{61, "060"}}) {
    At(c.r);
    EXPECT_EQ(alt.Factor09RaceCountCapped(), c.code) << c.r;
  }
  f().r = 62;
  EXPECT_THROW(alt.Factor09RaceCountCapped(), Failure) << "no record 62";
}

TEST_F(AltFactors0614Test, WeightClasses) {
  struct Case {
    Routine f;
    const char* carried;
    const char* body;
    const char* sex;
    const char* code;
  };
  const Case cases[] = {
      {&AlternativeFactors::Factor10FutanRatioOld, "550", "480", "1", "102"},  // 103 made even
      {&AlternativeFactors::Factor10FutanRatioOld, "550", "   ", "1", "100"},
      {&AlternativeFactors::Factor10FutanRatioOld, "000", "480", "1", "100"},
      {&AlternativeFactors::Factor10FutanRatioOld, "600", "380", "2", "114"},  // 136 capped
      {&AlternativeFactors::Factor10FutanRatioOld, "480", "560", "2", "096"},  // 79 raised
      {&AlternativeFactors::Factor10FutanRatioOld, "540", "500", "2", "096"},  // 97.4 + 0.5
      {&AlternativeFactors::Factor11SexBodyWeight, "", "480", "1", "90"},
      {&AlternativeFactors::Factor11SexBodyWeight, "", "480", "3", "90"},
      {&AlternativeFactors::Factor11SexBodyWeight, "", "480", "2", "60"},
      {&AlternativeFactors::Factor11SexBodyWeight, "", "400", "2", "50"},
      {&AlternativeFactors::Factor11SexBodyWeight, "", "423", "2", "52"},
      {&AlternativeFactors::Factor11SexBodyWeight, "", "000", "2", "50"},
      {&AlternativeFactors::Factor11SexBodyWeight, "", "   ", "1", "80"},
      {&AlternativeFactors::Factor11SexBodyWeight, "", "600", "1", "100"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(One(c.f, {{605, c.carried}, {671, c.body}, {529, c.sex}}), c.code)
        << c.carried << " " << c.body << " " << c.sex;
  }
  EXPECT_THROW(One(&AlternativeFactors::Factor11SexBodyWeight, {{671, "48A"}}), Failure)
      << "a body weight with a number in front but not a number";
}

// --- factor 13 -------------------------------------------------------------------

TEST_F(AltFactors0614Test, JockeyPrizeMoneyPerStartOnALogScale) {
  // Flat: 100 starts; jumps: 10 starts.
  auto jockey = [](const char* code, const char* flat, const char* jumps) {
    return Rec(121, {{0, code}, {89, flat}, {98, jumps}, {107, "000100"}, {113, "000010"}});
  };
  WriteRecords("KISHUSEISEI.dat", {jockey("00001", "000020000", "001000000"),  // 200, 100000
                                   jockey("00002", "000200000", "000000000"),  // 2000, 0
                                   jockey("00003", "010000000", "000000500"),  // 100000, 50
                                   Rec(121, {{0, "00004"}}),
                                   jockey("00001", "999999999", "999999999")});  // never found
  struct Case {
    const char* jockey;
    const char* track;
    const char* log;
    const char* seisei;
  };
  const Case cases[] = {
      {"00001", "10", "27", "23"},  // 10 log10 200 = 23.01
      {"00002", "29", "33", "33"}, {"00003", "00", "35", "50"},
      {"00001", "30", "35", "50"},  // jump money above 29
      {"00003", "-1", "27", "16"},  // "-1" sorts below "00": jumps, 50 per start
      {"00002", "51", "27", "00"},  // no jump money
      {"00004", "10", "27", "00"},  // no starts
      {"00009", "10", "27", "0"},   // not in the file
      {"00000", "10", "27", "00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(One(&AlternativeFactors::Factor13KishuSeisekiLog, {{613, c.jockey}, {775, c.track}}),
              c.log)
        << c.jockey << " " << c.track;
    EXPECT_EQ(One(&AlternativeFactors::Factor13KishuSeisei, {{613, c.jockey}, {775, c.track}}),
              c.seisei)
        << c.jockey << " " << c.track;
  }
  EXPECT_EQ(One(&AlternativeFactors::Factor13KishuSeisekiLog, {{613, "     "}}), "27")
      << "a blank jockey is not looked up, so the track code is not read";
  EXPECT_EQ(One(&AlternativeFactors::Factor13KishuSeisei, {{613, "00003"}, {775, "3 "}}), "16")
      << "track \"3 \" sorts above \"29\"";
  EXPECT_EQ(One(&AlternativeFactors::Factor13KishuSeisekiLog, {{613, "00003"}, {775, "3 "}}), "35")
      << "as a number track \"3 \" is flat";
}

TEST_F(AltFactors0614Test, JockeyResultsFileIsNotOpenedWithoutAJockey) {
  EXPECT_EQ(One(&AlternativeFactors::Factor13KishuSeisekiLog, {{613, "00000"}, {775, "10"}}), "27");
  EXPECT_EQ(One(&AlternativeFactors::Factor13KishuSeisekiLog, {{613, "     "}, {775, "10"}}), "27");
  EXPECT_EQ(One(&AlternativeFactors::Factor13KishuSeisei, {{613, "00000"}, {775, "10"}}), "00");
  EXPECT_FALSE(Reads("KISHUSEISEI.dat", [&] {
    One(&AlternativeFactors::Factor13KishuSeisekiLog, {{613, "00000"}, {775, "10"}});
    One(&AlternativeFactors::Factor13KishuSeisekiLog, {{613, "     "}, {775, "10"}});
    One(&AlternativeFactors::Factor13KishuSeisei, {{613, "00000"}, {775, "10"}});
  }));
  EXPECT_EQ(One(&AlternativeFactors::Factor13KishuSeisei, {{613, "     "}, {775, "10"}}), "0")
      << "a blank jockey is looked up";
  EXPECT_TRUE(Reads("KISHUSEISEI.dat", [&] {
    One(&AlternativeFactors::Factor13KishuSeisei, {{613, "     "}, {775, "10"}});
  }));
  EXPECT_FALSE(Exists("KISHUSEISEI.dat"));
}

TEST_F(AltFactors0614Test, StallionSurfaceIsTheOrderOfMagnitudeOfMoneyPerEarner) {
  WriteRecords("OPTION1N/STALLION.dat",
               {Rec(402, {{0, "1100000001"}, {22, "000100"}, {28, "000000"}, {64, "001500000"}}),
                Rec(402, {{0, "1100000002"}, {22, "000100"}, {28, "000003"}, {64, "000100000"}}),
                Rec(402, {{0, "1100000003"}, {22, "000007"}, {28, "000000"}, {64, "000000000"}})});
  struct Case {
    const char* sire;
    const char* track;
    const char* code;
  };
  const Case cases[] = {
      {"1100000001", "10", "4"},   // 15000
      {"1100000001", "51", "00"},  // no jump earners
      {"1100000002", "29", "2"},   // 1000: ln 1000 / ln 10 falls just below 3
      {"1100000002", "30", "4"},   // 33333
      {"1100000003", "10", "00"},  // no money
      {"1100000009", "10", "00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(One(&AlternativeFactors::Factor13StallionSurface, {{252, c.sire}, {775, c.track}}),
              c.code)
        << c.sire << " " << c.track;
  }
}

TEST_F(AltFactors0614Test, RaceDayCode) {
  struct Case {
    const char* track;
    const char* code;
  };
  for (const Case& c : {Case{"10", "03050"}, Case{"49", "03050"}, Case{"51", "03211"},
                        Case{"  ", "03211"}, Case{"-1", "03211"}}) {
    EXPECT_EQ(One(&AlternativeFactors::Factor13RaceDayCode,
                  {{775, c.track}, {23, "03"}, {15, "0512"}, {21, "02"}, {28, "11"}}),
              c.code)
        << c.track;
  }
}

TEST_F(AltFactors0614Test, KaisaiNichijiCountsDaysOverConsecutiveMeetings) {
  struct Case {
    const char* year;
    const char* course;
    const char* meeting;
    const char* day;
    const char* track;
    const char* code;
  };
  const Case cases[] = {
      {"2007", "01", "02", "05", "10", "130001"},
      {"2007", "01", "01", "05", "10", "050001"},
      {"2009", "01", "02", "09", "10", "170001"},  // 21 capped
      {"2009", "01", "02", "04", "10", "160001"},
      {"2007", "01", "04", "05", "10", "000001"},  // meeting not in the calendar
      {"2007", "01", "04", "  ", "10", "000001"},  // so the day is not read
      {"2008", "01", "07", "03", "10", "110001"},  // every later meeting of 2008 at "01"
      {"2008", "01", "  ", "03", "10", "110001"},
      {"2008", "02", "03", "03", "10", "000001"},
      {"2011", "09", "04", "02", "30", "060001"},
      {"2011", "08", "06", "01", "49", "090001"},
      {"2013", "02", "04", "01", "10", "170001"},  // 19
      {"2013", "10", "03", "01", "10", "000001"},
      {"2010", "06", "01", "01", "10", "090001"},
      {"2009", "04", "04", "01", "10", "170001"},  // 17
      {"2010", "10", "02", "03", "10", "110001"},
      {"2011", "05", "05", "02", "10", "110001"},
      {"2011", "10", "03", "01", "10", "130001"},
      {"2012", "08", "02", "01", "10", "080001"},
      {"2013", "02", "02", "01", "10", "070001"},
      {"2013", "05", "03", "01", "10", "130001"},
      {"2013", "08", "05", "01", "10", "100001"},
      {"2014", "01", "02", "05", "10", "0001"},
      {"2006", "01", "02", "05", "10", "0001"},
      {"2007", "11", "02", "05", "10", "0001"},
      {"2007", "01", "02", "05", "51", "0521 "},  // jumps: day, meeting digit, horse number
  };
  for (const auto& c : cases) {
    EXPECT_EQ(One(&AlternativeFactors::Factor13KaisaiNichiji, {{11, c.year},
                                                               {19, c.course},
                                                               {21, c.meeting},
                                                               {23, c.day},
                                                               {775, c.track},
                                                               {28, "1 "}}),
              c.code)
        << c.year << " " << c.course << " " << c.meeting << " " << c.day;
  }
  EXPECT_THROW(One(&AlternativeFactors::Factor13KaisaiNichiji,
                   {{11, "2007"}, {19, "01"}, {21, "02"}, {23, "  "}, {775, "10"}}),
               Failure);
  EXPECT_THROW(One(&AlternativeFactors::Factor13KaisaiNichiji, {{11, "2014"}}), Failure)
      << "the track code is read first";
}

// --- factor 14 -------------------------------------------------------------------

TEST_F(AltFactors0614Test, IntervalWeeksClassesTheLatestIntervals) {
  auto on = [](const char* date) {  // "yyyymmdd"
    std::string d(date);
    return Ex({{11, d.substr(0, 4)}, {15, d.substr(4, 4)}, {678, "9"}});
  };
  using V = std::vector<std::string>;
  struct Case {
    V recs;
    const char* code;
  };
  const Case cases[] = {
      {{on("20190105")}, "1020"},
      {{on("20190105"), on("20190209")}, "1050"},  // 5 weeks
      {{on("20190105"), on("20190112")}, "1010"},
      {{on("20190105"), on("20190108")}, "1020"},                  // 3 days: 0 weeks
      {{on("20190105"), on("20190109")}, "1010"},                  // 4 days
      {{on("20190105"), on("20190119"), on("20190202")}, "1020"},  // 2 after 2
      {{on("20180603"), on("20181230"), on("20190106")}, "1280"},  // 1 after 30
      {{on("20180101"), on("20190106"), on("20190120")}, "1310"},  // 2 after 53
      {{on("20170101"), on("20180101"), on("20180901"), on("20180915")}, "1300"},  // 2 after 35
      {{on("20170101"), on("20180101"), on("20180201"), on("20180215")},
       "1370"},  // 2 after 4 after 52
      {{on("20170601"), on("20180101"), on("20180201"), on("20180208")},
       "1340"},                                    // 1 after 4 after 31
      {{on("20170101"), on("20180101")}, "1520"},  // 52
      {{on("20170101"), on("20180624")}, "1520"},  // 77
      {{on("20170101"), on("20180630")}, "1520"},  // 78 is not capped: 52
      {{on("20170101"), on("20180707")}, "1780"},  // 79 capped
      {{on("20180101"), on("20180801")}, "1270"},  // 30
      {{on("20180101"), on("20180625")}, "1250"},  // 25
      {{on("20190209"), on("20190105")}, "1780"},  // backwards: 9965 days
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OnRecord(&AlternativeFactors::Factor14IntervalWeeks, c.recs,
                       static_cast<int32_t>(c.recs.size())),
              c.code)
        << c.recs.size() << " " << c.code;
  }
  EXPECT_THROW(
      OnRecord(&AlternativeFactors::Factor14IntervalWeeks, {on("20190230"), on("20190301")}, 2),
      Failure)
      << "not a date";
}

}  // namespace
}  // namespace volq
