#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "build/factors_alt/alt_terms.h"
#include "build/factors_alt/alternative_factors.h"
#include "platform/fs/file_failure.h"

namespace volq {

namespace {

using Fields = std::vector<std::pair<int, std::string>>;

class AltFactors2330Test : public testing::FactorTest {
 protected:
  // An EX record tagged with its number at offset 0, so the tests can see
  // which record the buffer holds.
  static std::string Run(int number, const Fields& fields) {
    std::string rec = Ex({{0, "R" + std::to_string(number)}});
    for (const auto& [off, text] : fields) rec.replace(static_cast<size_t>(off), text.size(), text);
    return rec;
  }
  // A horse of the given runs with the frame on the last.
  void Runs(const std::vector<Fields>& runs) {
    std::vector<std::string> recs;
    for (size_t i = 0; i < runs.size(); ++i) recs.push_back(Run(static_cast<int>(i + 1), runs[i]));
    Horse("2019100001", recs, static_cast<int32_t>(recs.size()));
  }
  std::string Tag() { return std::string(f().Ex(Slice{0, 3})); }
  // Laps from lap 1 on, three characters each.
  static std::pair<int, std::string> Laps(const std::string& laps) { return {960, laps}; }
};

// --- Factor 23 ------------------------------------------------------------------

TEST_F(AltFactors2330Test, SireListsClassTheDistanceByTheSiresGroup) {
  using Routine = std::string (AlternativeFactors::*)();
  const Routine original = &AlternativeFactors::Factor23Original;
  const Routine list_b = &AlternativeFactors::Factor23StallionListB;
  struct Case {
    Routine routine;
    const char* sire;
    const char* distance;
    const char* track;
    const char* code;
  };
  const Case cases[] = {
      // T1 (to 1100 m) on turf; the default group goes to 1600 m.
      {original, "11201157  ", "1100", "11", "2111201157  "},
      {original, "11201157  ", "1200", "11", "1111201157  "},
      {original, "11201157  ", "0999", "11", "1111201157  "},
      {original, "1120115700", "1600", "11", "211120115700"},  // ten digits: in no list
      {original, "1120115700", "1700", "22", "111120115700"},
      // Outside "10".."29" the suffix is "1" whatever the distance.
      {original, "11201157  ", "1100", "09", "1111201157  "},
      {original, "11201157  ", "1100", "30", "1111201157  "},
      // T2 and T3 both list 11201965: the earlier group (1200 m) holds it.
      {original, "11201965  ", "1500", "12", "1111201965  "},
      // A listed nine-digit number stands for exactly that field.
      {original, "110201557 ", "2000", "12", "21110201557 "},
      // Dirt: 11201548 is in D1 (1100 m) before D4 (2000 m); 11201659 in D5
      // (2200 m) before D7 (2000 m).
      {original, "11201548  ", "1800", "23", "1111201548  "},
      {original, "11201659  ", "2100", "29", "2111201659  "},
      {original, "11201659  ", "2250", "29", "1111201659  "},
      // The list version B moves sires between groups.
      {original, "11201928  ", "1500", "11", "1111201928  "},
      {list_b, "11201928  ", "1500", "11", "2111201928  "},
      {original, "11201001  ", "1150", "11", "2111201001  "},
      {list_b, "11201001  ", "1150", "11", "1111201001  "},
      {original, "11201618  ", "1500", "23", "1111201618  "},
      {list_b, "11201618  ", "1500", "23", "2111201618  "},
      {list_b, "11201851  ", "1900", "23", "2111201851  "},  // default 1600 would give "1"
      // The unknown-sire code is meant for ten characters and never met.
      {original, "00000000  ", "1200", "11", "2100000000  "},
      {list_b, "0000000000", "1200", "11", "210000000000"},
  };
  for (const Case& c : cases) {
    Horse("2019100001", {Run(1, {}), Run(2, {{252, c.sire}, {767, c.distance}, {775, c.track}})},
          2);
    f().ReadEx(1);
    AlternativeFactors alt(f());
    EXPECT_EQ((alt.*c.routine)(), c.code) << c.sire << " " << c.distance << " " << c.track;
    EXPECT_EQ(Tag(), "R2 ");
  }
}

TEST_F(AltFactors2330Test, TurfAndDirtSireListsWorkOnTheBufferAsItIs) {
  struct Case {
    const char* sire;
    const char* distance;
    const char* siba;
    const char* dirt;
  };
  const Case cases[] = {
      // In T2 of the other versions but not of this turf list: default 1600 m.
      {"11202170  ", "1500", "2", "2"},
      {"11201157  ", "1100", "2", "2"},  // T1 and D1, both to 1100 m
      {"11201157  ", "1150", "1", "1"},
      {"11201659  ", "2300", "2", "1"},  // T4 to 2400 m, D5 to 2200 m
      {"11201799  ", "1700", "1", "1"},
  };
  for (const Case& c : cases) {
    // The frame stands on record 2 but the buffer holds record 1: the two
    // routines read nothing and look at no track code.
    Horse("2019100001", {Run(1, {{252, c.sire}, {767, c.distance}, {775, "51"}}), Run(2, {})}, 1);
    f().r = 2;
    AlternativeFactors alt(f());
    EXPECT_EQ(alt.Factor23StallionListDirt(), c.dirt) << c.sire << " " << c.distance;
    EXPECT_EQ(alt.Factor23StallionListSiba(), c.siba) << c.sire << " " << c.distance;
    EXPECT_EQ(Tag(), "R1 ");
  }
}

TEST_F(AltFactors2330Test, DistanceCheckCodeIsTheSireAlone) {
  for (const char* distance : {"1100", "1500", "0800"}) {
    Runs({{{252, "1120115700"}, {767, distance}, {775, "11"}, {28, "07"}}});
    AlternativeFactors alt(f());
    EXPECT_EQ(alt.Factor23StallionDistanceCheck(), "111120115700");
  }
  Runs({{{252, "00000000  "}, {28, "07"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor23StallionDistanceCheck(), "1100000000  ");
}

TEST_F(AltFactors2330Test, StallionGoingRateTakesTheRateOfTheCourseTypesGoing) {
  // Going rates of the sire's offspring: turf 124.., dirt 148.., jumps 172...
  WriteRecords("OPTION1N/STALLION.dat", {Rec(402, {{0, "1120115700"},
                                                   {124, "023500"},
                                                   {130, "015000"},
                                                   {136, "011900"},
                                                   {142, "042000"},
                                                   {148, "031000"},
                                                   {154, "005000"},
                                                   {160, "012000"},
                                                   {166, "100000"},
                                                   {172, "022000"},
                                                   {178, "000000"},
                                                   {184, "050000"},
                                                   {190, "033000"}}),
                                         Rec(402, {{0, "1120115700"}, {124, "099000"}})});
  struct Case {
    const char* sire;
    const char* track;
    const char* turf_going;
    const char* dirt_going;
    const char* code;
  };
  const Case cases[] = {
      {"1120115700", "11", "1", "4", "231"},
      {"1120115700", "11", "0", "4", "231"},
      {"1120115700", "22", "2", "1", "152"},
      {"1120115700", "00", "3", "1", "18"},  // 11 % -> "113" -> "18"
      {"1120115700", "11", "4", "1", "48"},  // 42 %
      {"1120115700", "23", "1", "1", "38"},  // dirt going 1: 31 %
      {"1120115700", "49", "1", "2", "52"},
      {"1120115700", "24", "2", "3", "18"},  // 12 % on going 3 pools with 11 %
      {"1120115700", "24", "2", "4", "1004"},
      {"1120115700", "51", "3", "1", "503"},  // jumps, by the turf going
      {"1120115700", "50", "4", "1", "334"},
      {"1120115700", "51", "2", "1", "02"},
      {"1120115700", "11", "5", "1", "10"},
      {"1120115700", "11", " ", "1", "10"},
      {"1120115799", "11", "1", "1", "10"},  // not a listed sire
      {"1120115799", "XX", "1", "1", "10"},  // the track code is read only for a sire found
  };
  for (const Case& c : cases) {
    Horse("2019100001",
          {Run(1, {{252, c.sire}, {775, c.track}, {958, c.turf_going}, {959, c.dirt_going}})}, 1);
    EXPECT_EQ(AlternativeFactors(f()).Factor23StallionBaba(), c.code) << c.track << c.turf_going;
  }
  Horse("2019100001", {Run(1, {{252, "1120115700"}, {775, "XX"}, {958, "1"}})}, 1);
  EXPECT_THROW(AlternativeFactors(f()).Factor23StallionBaba(), Failure);
}

TEST_F(AltFactors2330Test, StallionGoingRateWithoutTheStallionFile) {
  Runs({{{252, "1120115700"}, {775, "11"}, {958, "1"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor23StallionBaba(), "10");
  EXPECT_TRUE(
      Reads("OPTION1N/STALLION.dat", [&] { AlternativeFactors(f()).Factor23StallionBaba(); }));
  EXPECT_FALSE(Exists("OPTION1N/STALLION.dat"));
}

TEST_F(AltFactors2330Test, MeanTimeDiffClassComparesTheGoingWithTheCourseType) {
  // Runs as (track, turf going, dirt going, time difference).
  struct R {
    const char* track;
    const char* turf;
    const char* dirt;
    const char* diff;
  };
  struct Case {
    const char* what;
    std::vector<R> earlier;
    R current;
    const char* code;
  };
  const R turf2{"11", "2", "1", "+000"};
  const Case cases[] = {
      {"first run", {}, turf2, "010000"},
      {"going 1",
       {{"11", "1", "1", "+010"}, {"11", "3", "1", "+002"}},
       {"11", "1", "2", ""},
       "010000"},
      {"+4 tenths", {{"11", "2", "1", "+010"}, {"11", "3", "1", "+002"}}, turf2, "050000"},
      {"+9", {{"11", "2", "1", "+020"}, {"11", "3", "1", "+002"}}, turf2, "100000"},
      {"+1", {{"11", "2", "1", "+004"}, {"11", "3", "1", "+002"}}, turf2, "020000"},
      {"-2", {{"11", "2", "1", "+002"}, {"11", "3", "1", "+006"}}, turf2, "005000"},
      {"-4", {{"11", "2", "1", "+002"}, {"11", "3", "1", "+010"}}, turf2, "001000"},
      {"-8", {{"11", "2", "1", "+002"}, {"11", "3", "1", "+018"}}, turf2, "000000"},
      // A "9" time counts as 0: course mean 4, going mean 5.
      {"no time",
       {{"11", "2", "1", "9999"}, {"11", "2", "1", "+010"}, {"11", "3", "1", "+002"}},
       turf2,
       "020000"},
      // "-" and blank signs count negated: going mean -4 against course 3.
      {"ahead", {{"11", "2", "1", "-004"}, {"11", "3", "1", "+010"}}, turf2, "000000"},
      {"blank sign", {{"11", "2", "1", " 004"}, {"11", "3", "1", "+010"}}, turf2, "000000"},
      // Runs of another course class do not count.
      {"other course",
       {{"23", "2", "2", "+050"}, {"11", "2", "1", "+010"}, {"11", "3", "1", "+002"}},
       turf2,
       "050000"},
      // On dirt ("23", "24") the dirt going counts; "25" is a third class.
      {"dirt",
       {{"24", "1", "2", "+010"}, {"23", "1", "3", "+002"}},
       {"23", "1", "2", ""},
       "050000"},
      {"class 3",
       {{"25", "2", "1", "+010"}, {"51", "3", "1", "+002"}},
       {"30", "2", "1", ""},
       "050000"},
      // The dirt going "1" on "23" and "24" gives 0 as well.
      {"dirt going 1",
       {{"24", "1", "2", "+010"}, {"23", "1", "3", "+002"}},
       {"24", "2", "1", ""},
       "010000"},
      // A going mean of 0 leaves the difference 0.
      {"mean 0", {{"11", "2", "1", "+000"}, {"11", "3", "1", "+004"}}, turf2, "010000"},
  };
  for (const Case& c : cases) {
    std::vector<Fields> runs;
    for (const R& r : c.earlier)
      runs.push_back({{775, r.track}, {958, r.turf}, {959, r.dirt}, {740, r.diff}});
    runs.push_back({{775, c.current.track}, {958, c.current.turf}, {959, c.current.dirt}});
    Runs(runs);
    EXPECT_EQ(AlternativeFactors(f()).Factor23MeanTimeDiffClass(), c.code) << c.what;
    EXPECT_EQ(Tag(), "R" + std::to_string(runs.size()) + (runs.size() < 10 ? " " : "")) << c.what;
  }
}

TEST(TimeDifferenceClass, SinglePrecisionBoundsAndTheirGaps) {
  const std::pair<float, const char*> cases[] = {
      {5.0001f, "100000"},   {5.0f, "050000"},      {2.00001f, "050000"},  {2.0f, "020000"},
      {0.00001f, "020000"},  {0.000005f, "000000"}, {0.0f, "010000"},      {-0.000005f, "000000"},
      {-0.00001f, "005000"}, {-2.0f, "005000"},     {-2.00005f, "000000"}, {-2.0001f, "001000"},
      {-5.0f, "001000"},     {-5.0001f, "000000"},
  };
  for (auto [d, code] : cases) EXPECT_EQ(TimeDifferenceClass(d), code) << d;
}

// --- Factors 24 to 28 -------------------------------------------------------------

TEST_F(AltFactors2330Test, FieldCopyingCodes) {
  Runs({{{28, "07"}, {764, "703"}, {951, "05"}}});
  AlternativeFactors alt(f());
  EXPECT_EQ(alt.Factor24UmabanOld(), "07");
  EXPECT_EQ(alt.Factor25JokenCode(), "703");
  EXPECT_EQ(alt.Factor28RunnerCountCode(), "08000");
  const std::pair<const char*, const char*> counts[] = {{"08", "08000"}, {"00", "08000"},
                                                        {"09", "09000"}, {"16", "16000"},
                                                        {"  ", "  000"}, {"1 ", "1 000"}};
  for (const auto& [runners, code] : counts) {
    Runs({{{951, runners}}});
    EXPECT_EQ(AlternativeFactors(f()).Factor28RunnerCountCode(), code) << runners;
  }
}

TEST_F(AltFactors2330Test, DamAgeAtBirthBands) {
  struct Case {
    const char* track;
    const char* dam_year;
    const char* code;
  };
  const Case cases[] = {
      {"51", "2010", "0900"},  // jumps: the race number
      {"  ", "2010", "0900"}, {"11", "    ", "1500"}, {"11", "0000", "1500"},
      {"11", "2017", "1500"},  // 2 years
      {"11", "2016", "0500"}, {"11", "2013", "0500"}, {"11", "2012", "0700"},
      {"11", "2009", "0900"}, {"49", "2008", "1100"}, {"00", "2007", "1100"},
      {"11", "2006", "1500"},
  };
  for (const Case& c : cases) {
    Runs({{{775, c.track}, {25, "09"}, {196, "2019"}, {296, c.dam_year}}});
    EXPECT_EQ(AlternativeFactors(f()).Factor24HahaAgeAtBirth(), c.code) << c.track << c.dam_year;
  }
  Runs({{{775, "11"}, {196, "    "}, {296, "2010"}}});
  EXPECT_THROW(AlternativeFactors(f()).Factor24HahaAgeAtBirth(), Failure);
}

TEST_F(AltFactors2330Test, JockeyAgeBands) {
  const std::pair<const char*, const char*> cases[] = {
      {"2000", "0201"}, {"1999", "0231"}, {"1995", "0231"}, {"1994", "0281"}, {"1985", "0331"},
      {"1980", "0381"}, {"1979", "0431"}, {"2030", "0431"},  // born after the race: 90
      {"1915", "0201"},                                      // 105 years: "05"
  };
  for (const auto& [born, code] : cases) {
    Runs({{{11, "2020"}, {618, born}, {669, "1"}}});
    EXPECT_EQ(AlternativeFactors(f()).Factor25BirthYearAgeBand(), code) << born;
  }
}

TEST_F(AltFactors2330Test, JockeyRecentFormOverThirtyDays) {
  // A ride of the jockey's file: date and arrival order.
  auto ride = [](const char* date, const char* order) {
    return Rec(555, {{11, date}, {332, order}});
  };
  // In race order: unplaced rides, first or second places, the race itself.
  auto rides = [&](int top2, int others) {
    std::vector<std::string> v;
    for (int i = 0; i < others; ++i) v.push_back(ride("20240301", "05"));
    for (int i = 0; i < top2; ++i) v.push_back(ride("20240305", i % 2 ? "01" : "02"));
    v.push_back(ride("20240310", "04"));
    return v;
  };
  struct Case {
    const char* what;
    std::vector<std::string> file;
    const char* track;
    const char* code;
  };
  const Case cases[] = {
      {"3 of 10", rides(3, 6), "11", "25"},
      {"1 of 10", rides(1, 8), "11", "10"},
      {"0 of 10", rides(0, 9), "11", "00"},
      {"1 of 20", rides(1, 18), "21", "02"},
      {"1 of 8, half to even", rides(1, 6), "00", "12"},
      {"dirt", rides(1, 3), "24", "20"},
      {"jumps", rides(1, 3), "51", "20"},
      {"22 counts as jumps, shows dirt", rides(3, 6), "22", "00"},
      {"one ride only", {ride("20240310", "01")}, "11", "00"},
      {"race day not in the file", {ride("20240309", "01"), ride("20240311", "01")}, "11", "00"},
      // Rides from the first record of the race day back only.
      {"first of the day", {ride("20240310", "05"), ride("20240310", "01")}, "11", "00"},
      {"later rides", {ride("20240310", "05"), ride("20240311", "01")}, "11", "00"},
      // 29 days before counts, 30 days before ends the count.
      {"29 days",
       {ride("20240209", "05"), ride("20240210", "01"), ride("20240310", "05")},
       "11",
       "25"},
      {"30 days",
       {ride("20240209", "01"), ride("20240210", "05"), ride("20240310", "05")},
       "11",
       "00"},
  };
  for (const Case& c : cases) {
    for (const char* jockey : {"05212", "01001"}) {
      WriteRecords(std::string("KISHUGOTOSETUP/") + jockey + ".dat", c.file);
      Runs({{{11, "2024"}, {15, "0310"}, {613, jockey}, {775, c.track}}});
      EXPECT_EQ(AlternativeFactors(f()).Factor25KishuRecentForm(),
                std::string(c.code) + (jockey[1] == '5' ? "10" : "00"))
          << c.what << " " << jockey;
    }
  }
}

TEST_F(AltFactors2330Test, JockeyRecentFormFileProblems) {
  Runs({{{11, "2024"}, {15, "0310"}, {613, "01002"}, {775, "11"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor25KishuRecentForm(), "0000");
  EXPECT_FALSE(Exists("KISHUGOTOSETUP/01002.dat")) << "no file: no rides, and none is made";
  WriteRecords("KISHUGOTOSETUP/01002.dat",
               {Rec(555, {{11, "20240230"}}), Rec(555, {{11, "20240310"}})});
  EXPECT_THROW(AlternativeFactors(f()).Factor25KishuRecentForm(), Failure);  // no such date
  Runs({{{11, "2024"}, {15, "0310"}, {613, "../.."}, {775, "11"}}});
  EXPECT_THROW(AlternativeFactors(f()).Factor25KishuRecentForm(), Failure);
  // No jockey code: an empty history, and no file named by blanks.
  Runs({{{11, "2024"}, {15, "0310"}, {775, "11"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor25KishuRecentForm(), "0000");
  EXPECT_FALSE(Exists("KISHUGOTOSETUP\\     .dat"));
}

TEST_F(AltFactors2330Test, WinnersPrizeLogClass) {
  const std::pair<const char*, const char*> cases[] = {
      {"00000000", "00"}, {"00050000", "46"}, {"00200000", "53"}, {"00300000", "53"},
      {"00000002", "3"},  {"00000009", "53"}, {"00000001", "53"}, {"00010000", "40"},
  };
  for (const auto& [prize, code] : cases) {
    Runs({{{783, prize}}});
    EXPECT_EQ(AlternativeFactors(f()).Factor25LogValue(), code) << prize;
  }
  for (const char* bad : {"        ", "-0000005"}) {
    Runs({{{783, bad}}});
    EXPECT_THROW(AlternativeFactors(f()).Factor25LogValue(), Failure) << bad;
  }
}

TEST_F(AltFactors2330Test, PreviousTimeDifferenceOld) {
  Runs({{{740, "+015"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor26PrevTimeDiffOld(), "0099");
  const std::pair<const char*, const char*>
      cases[] =
          {
              {"+015", "0022"}, {"+045", "0052"}, {"+051", "0099"}, {"+000", "0007"},
              {"+029", "0036"}, {"+030", "0037"}, {"+050", "0057"}, {"-000", "0001"},
              {"-001", "0002"}, {"-002", "0003"}, {"-004", "0004"}, {"-007", "0005"},
              {"-100", "0006"}, {"-999", "0099"}, {"9999", "0099"}, {"0000", "0099"},
              {"    ", "0099"}, {"+999", "0099"}, {"+04 ", "0011"},  // inside "+030".."+050" as
                                                                     // text; its last two read as 4
          };
  for (const auto& [diff, code] : cases) {
    // The previous record is taken whatever its abnormality code.
    Runs({{{740, diff}, {678, "1"}}, {}});
    EXPECT_EQ(AlternativeFactors(f()).Factor26PrevTimeDiffOld(), code) << diff;
    EXPECT_EQ(Tag(), "R2 ");
  }
}

TEST_F(AltFactors2330Test, FemaleLineCode) {
  Runs({{}});
  // No dam-line row holds the key: "00000000".
  EXPECT_EQ(AlternativeFactors(f()).Factor27FlTableCode(), "1112010012");
  FemaleLineRow row{};
  row[0][0] = "          ";  // the key, EX 422:10, is blank here
  row[1][0] = "1120012345";  // generation 1 has no name
  f().FemaleLineTable.push_back(row);
  EXPECT_EQ(AlternativeFactors(f()).Factor27FlTableCode(), "111120012345");
}

TEST_F(AltFactors2330Test, PreviousFinishAndOdds) {
  Runs({{{679, "04"}, {706, "0035"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor27PrevFinishOdds(), "0000");
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"04", "0035", "6020"}, {"01", "0010", "8010"}, {"19", "9999", "1000"},
      {"05", "0000", "9000"}, {"05", "    ", "9000"}, {"05", "0500", "2020"},
      {"12", "0100", "4040"}, {"15", "0200", "3050"}, {"11", "0050", "5030"},
      {"18", "0020", "7050"}, {"00", "0035", "6000"}, {"03", "0333", "2010"},
  };
  for (const auto& [order, odds, code] : cases) {
    Runs({{{679, order}, {706, odds}}, {}});
    EXPECT_EQ(AlternativeFactors(f()).Factor27PrevFinishOdds(), code) << order << " " << odds;
    EXPECT_EQ(Tag(), "R2 ");
  }
  const std::pair<const char*, const char*> bad[] = {
      {"  ", "0035"}, {"04", "3 5 "}, {"04", " 00 "}};
  for (const auto& [order, odds] : bad) {
    Runs({{{679, order}, {706, odds}}, {}});
    EXPECT_THROW(AlternativeFactors(f()).Factor27PrevFinishOdds(), Failure) << order << odds;
  }
}

// --- Factors 29 and 30 ------------------------------------------------------------

TEST_F(AltFactors2330Test, TimeDifferenceClass) {
  Runs({{{740, "+000"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor29TimeDiffClass(), "0016");
  const std::pair<const char*, const char*> cases[] = {
      {"-007", "0005"}, {"+015", "0014"}, {"+100", "0016"}, {"0000", "0016"}, {"-000", "0001"},
      {"-001", "0002"}, {"-002", "0003"}, {"-004", "0004"}, {"-050", "0006"}, {"-100", "0016"},
      {"+000", "0007"}, {"+003", "0010"}, {"+005", "0012"}, {"+010", "0013"}, {"+021", "0015"},
      {"+099", "0015"}, {"9999", "0016"}, {"+999", "0016"},
  };
  for (const auto& [diff, code] : cases) {
    Runs({{{740, diff}}, {}});
    EXPECT_EQ(AlternativeFactors(f()).Factor29TimeDiffClass(), code) << diff;
    EXPECT_EQ(Tag(), "R2 ");
  }
}

TEST_F(AltFactors2330Test, ClosingSpeedAgainstPaceOfThePreviousRun) {
  struct Case {
    const char* what;
    const char* time;
    const char* last3;
    const char* distance;
    const char* code;
  };
  const Case cases[] = {
      // Agari 21600 / 300 = 72 km/h throughout; pace 600 m over 60 s = 36 km/h.
      {"equal speeds", "1300", "300", "1800", "1000"},     // 72 and 72: 1100
      {"72 against 66.7", "1240", "300", "1600", "1108"},  // 7200000 / 6666666
      {"60 against 54", "1160", "360", "1200", "1111"},
      {"four times the pace", "2300", "300", "1200", "1000"},  // 1400
      {"no last 3 furlongs time", "1300", "000", "1800", "1000"},
      {"blank last 3 furlongs", "1300", "   ", "1800", "1000"},
  };
  for (const Case& c : cases) {
    Runs({{{685, c.time}, {737, c.last3}, {767, c.distance}, {775, "11"}}, {{775, "51"}}});
    EXPECT_EQ(AlternativeFactors(f()).Factor29AgariPaceRatio(), c.code) << c.what;
    EXPECT_EQ(Tag(), "R2 ") << c.what;
  }
  Runs({{{685, "1300"}, {737, "300"}, {767, "1800"}, {775, "11"}}, {}});
  f().r = 1;
  EXPECT_EQ(AlternativeFactors(f()).Factor29AgariPaceRatio(), "1000");
  EXPECT_EQ(Tag(), "R1 ");
  // A pace of 0.04 km/h puts the ratio past 16 bits; a time that is no
  // number fails the pace.
  for (const char* time : {"2000", "1A00"}) {
    Runs({{{685, time}, {737, "300"}, {767, "0601"}, {775, "11"}}, {}});
    EXPECT_THROW(AlternativeFactors(f()).Factor29AgariPaceRatio(), Failure) << time;
  }
}

TEST_F(AltFactors2330Test, AgariDeviationOldScoresThePreviousValidRunAsTheLiveRoutine) {
  // Column 1 of each model holds the current F1 with one weight, so the
  // total of a model is that weight.
  f().StoreItem(FactorField(1), "2018");
  const std::string f1(f().Item(FactorField(1)));
  const std::pair<CourseType, float> weights[] = {{kTurf, 58.2f}, {kDirt, 57.2f}, {kSteeple, 3.0f}};
  for (const auto& [course, weight] : weights) {
    CategoryModel& m = f().Models[course];
    m.count[1] = 1;
    m.list[1] = {"", f1};
    m.agari[1] = {0, weight};
  }
  struct Case {
    const char* what;
    const char* track;  // of record 1, the previous valid run
    const char* last3;
    int32_t r;
    const char* code;
  };
  const Case cases[] = {
      {"turf, Agari 60 km/h against 58.2", "11", "360", 2, "12"},
      {"dirt against 57.2", "23", "360", 2, "13"},
      {"dirt, 72 km/h: 25 is out of range", "24", "300", 2, "10"},
      // Record 2 is abnormal and has no last 3 furlongs time: record 3
      // scores record 1.
      {"past the abnormal run", "11", "360", 3, "12"},
      {"first run", "11", "360", 1, "10"},
  };
  for (const Case& c : cases) {
    Runs({{{775, c.track}, {737, c.last3}, {678, "0"}},
          {{775, "11"}, {737, "   "}, {678, "1"}},
          {{775, "11"}}});
    f().r = c.r;
    const std::string live = f().Factor29AgariDeviation();
    EXPECT_EQ(AlternativeFactors(f()).Factor29AgariDeviationOld(), c.code) << c.what;
    EXPECT_EQ(live, c.code) << c.what;
    EXPECT_EQ(Tag(), "R" + std::to_string(c.r) + " ") << c.what;
  }
  // A previous run without a track code fails, old and new alike.
  Runs({{}, {}});
  EXPECT_THROW(AlternativeFactors(f()).Factor29AgariDeviationOld(), Failure);
  EXPECT_THROW(f().Factor29AgariDeviation(), Failure);
}

TEST_F(AltFactors2330Test, LastLapIndex) {
  struct Case {
    const char* what;
    const char* distance;
    const char* laps;
    const char* placing;
    const char* track;
    const char* code;
    const char* code_b;  // by the version with the record count and surfaces
  };
  static const std::string all_run(75, '1');
  const Case cases[] = {
      // base 120, last lap 118: 1098.3
      {"plain", "1200", "120110115118000", "02", "11", "0298", "111098"},
      {"all laps run", "1200", all_run.c_str(), "02", "11", "0200", "111000"},
      // base 120 + 100/4 = 145, last 128: 1088.3 -> band 1090
      {"1150", "1150", "120100128000", "03", "11", "0390", "111090"},
      // base 70 + 110/2 = 125, last 150: 1120 -> band 1110 (B: 1115)
      {"1300", "1300", "070110150000", "03", "11", "0310", "111115"},
      // base 70 + 113/2 = 126.5 -> 126 (half to even), last 126: 1100 -> 1000
      {"half to even", "1500", "070113126000", "01", "11", "0100", "111000"},
      // 1111 lies under the B band from 1115
      {"B band", "1200", "125100139000", "01", "11", "0110", "111111"},
      {"unplaced", "1200", "120110115118000", "11", "11", "0098", "111098"},
      {"jumps placed", "1200", "120110115118000", "04", "51", "0400", "311098"},
      {"jumps unplaced", "1200", "120110115118000", "11", "51", "0000", "311098"},
      {"first lap 000", "1200", "000110000", "02", "11", "0200", "111000"},
  };
  for (const Case& c : cases) {
    Runs({{{767, c.distance}, Laps(c.laps), {681, c.placing}, {775, "11"}}, {{775, c.track}}});
    AlternativeFactors alt(f());
    EXPECT_EQ(alt.Factor29DistanceTimeIndex(), c.code) << c.what;
    EXPECT_EQ(Tag(), "R2 ");
    EXPECT_EQ(alt.Factor29DistanceTimeIndexB(), c.code_b) << c.what;
    EXPECT_EQ(Tag(), "R2 ");
  }
}

TEST_F(AltFactors2330Test, LastLapIndexOfAFirstRun) {
  Runs({{{681, "03"}, {775, "11"}}, {}});
  f().r = 1;
  AlternativeFactors alt(f());
  EXPECT_EQ(alt.Factor29DistanceTimeIndex(), "0300");
  EXPECT_EQ(alt.Factor29DistanceTimeIndexB(), "111000");  // "11000"
  Runs({{{681, "12"}, {775, "51"}}});                     // a single record
  EXPECT_EQ(alt.Factor29DistanceTimeIndex(), "0000");
  EXPECT_EQ(alt.Factor29DistanceTimeIndexB(), "3111000");
  Runs({{{775, "25"}, {767, "1200"}, Laps(std::string(75, '1'))}, {{775, "  "}}});
  EXPECT_EQ(alt.Factor29DistanceTimeIndexB(), "111000");  // "32" and "1000"
}

TEST_F(AltFactors2330Test, LastLapIndexFailures) {
  for (const char* laps : {"   110000", "120110400000"}) {  // blank lap; 400 x 100 past 16 bits
    Runs({{{767, "1200"}, Laps(laps)}, {{775, "11"}}});
    EXPECT_THROW(AlternativeFactors(f()).Factor29DistanceTimeIndex(), Failure) << laps;
  }
}

TEST_F(AltFactors2330Test, BodyWeightChangePerDay) {
  struct Case {
    const char* what;
    const char* date2;
    const char* weight2;
    const char* course2;
    const char* date1;
    const char* weight1;
    const char* code;
  };
  const Case cases[] = {
      {"2 kg lost in 14 days", "20240106", "480", "05", "20240120", "478", "1150"},
      {"30 kg lost", "20240106", "510", "05", "20240120", "480", "1152"},
      {"30 kg gained", "20240106", "480", "05", "20240120", "510", "1147"},
      {"2 kg gained", "20240106", "478", "05", "20240120", "480", "1149"},
      {"15 kg gained in a day: k = 5", "20240106", "465", "05", "20240107", "480", "115"},
      {"other racecourse", "20240106", "480", "06", "20240120", "478", "1250"},
      {"no weight", "20240106", "000", "05", "20240120", "478", "1150"},
      {"same day", "20240106", "510", "05", "20240106", "480", "1150"},
      {"dates reversed", "20240120", "510", "05", "20240106", "480", "1150"},
  };
  for (const Case& c : cases) {
    std::string d2 = c.date2, d1 = c.date1;
    Runs({{{11, d2}, {671, c.weight2}, {19, c.course2}},
          {{11, d1}, {671, c.weight1}, {19, "05"}},
          {}});
    EXPECT_EQ(AlternativeFactors(f()).Factor30BataijuChangePerDay(), c.code) << c.what;
    EXPECT_EQ(Tag(), "R3 ");
  }
  Runs({{}, {}});
  EXPECT_EQ(AlternativeFactors(f()).Factor30BataijuChangePerDay(), "1250");
  Runs({{{11, "20240230"}}, {{11, "20240301"}}, {}});
  EXPECT_THROW(AlternativeFactors(f()).Factor30BataijuChangePerDay(), Failure);
}

TEST_F(AltFactors2330Test, BirthMonthAndSex) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"01", "1", "0100"}, {"02", "1", "0210"}, {"06", "3", "0610"},
      {"04", "2", "0420"}, {"07", "1", "0100"}, {"  ", "1", "0100"},
  };
  for (const auto& [month, sex, code] : cases) {
    Runs({{{200, month}, {529, sex}}});
    EXPECT_EQ(AlternativeFactors(f()).Factor30BirthMonthSex(), code) << month << sex;
  }
}

TEST_F(AltFactors2330Test, ClosingAgainstOpeningSectionRatio) {
  struct Case {
    const char* what;
    const char* track;  // of the race
    const char* prev_track;
    const char* last3;
    const char* first3;
    const char* code;
  };
  const Case cases[] = {
      {"equal", "11", "24", "350", "350", "0000"},
      {"105", "11", "24", "368", "350", "1205"},
      {"86", "11", "24", "300", "350", "1290"},
      {"137", "11", "24", "480", "350", "1236"},
      {"135", "11", "24", "473", "350", "1235"},
      {"90.5 to even", "11", "11", "181", "200", "1190"},
      {"no first 3", "11", "05", "350", "999", "0000"},     // "1300"
      {"blank first 3", "30", "11", "350", "   ", "0000"},  // "3100"
      {"jumps", "51", "09", "368", "350", "3305"},
  };
  for (const Case& c : cases) {
    Runs({{{775, c.prev_track}, {737, c.last3}, {1039, c.first3}}, {{775, c.track}}});
    EXPECT_EQ(AlternativeFactors(f()).Factor30RatioPairCode(), c.code) << c.what;
    EXPECT_EQ(Tag(), "R2 ");
  }
  Runs({{{775, "11"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor30RatioPairCode(), "0000");
  const std::pair<const char*, const char*> bad[] = {{"   ", "350"}, {"350", "0  "}};
  for (const auto& [last3, first3] : bad) {
    Runs({{{775, "11"}, {737, last3}, {1039, first3}}, {{775, "11"}}});
    EXPECT_THROW(AlternativeFactors(f()).Factor30RatioPairCode(), Failure) << last3 << first3;
  }
}

TEST_F(AltFactors2330Test, PreviousPaceRatio) {
  struct Case {
    const char* what;
    const char* diff;
    const char* last3;
    const char* first3;
    const char* code;
  };
  // Race time 1:34.5 = 945 tenths on turf after turf.
  const Case cases[] = {
      // 600 / (945 - 5 - 350) = 101.7 -> "01"
      {"behind", "+005", "345", "350", "1101"},
      // 600 / (945 - 350) = 100.8 -> "00"
      {"winner", "-003", "345", "350", "0000"},
      {"no sign", "9999", "345", "350", "0000"},
      {"slow close", "+005", "495", "350", "1185"},  // 450 / 590 = 76
      {"fast close", "+005", "245", "350", "1110"},  // 700 / 590 = 118
      {"floor", "-003", "380", "350", "1194"},       // 565 / 595 = 94.96
      {"no first 3", "+005", "345", "999", "0000"},
  };
  for (const Case& c : cases) {
    Runs({{{775, "11"}, {685, "1345"}, {740, c.diff}, {737, c.last3}, {1039, c.first3}},
          {{775, "11"}}});
    EXPECT_EQ(AlternativeFactors(f()).Factor30PrevPaceRatio(), c.code) << c.what;
    EXPECT_EQ(Tag(), "R2 ");
  }
  Runs({{{775, "24"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor30PrevPaceRatio(), "0000");  // "2000"
  // The conversions come before the test of the first 3 furlongs.
  const std::pair<const char*, const char*> bad[] = {{"11", "   "}, {"  ", "350"}};
  for (const auto& [track, first3] : bad) {
    Runs({{{775, "11"}, {685, "1345"}, {740, "+005"}, {737, "345"}, {1039, first3}},
          {{775, track}}});
    EXPECT_THROW(AlternativeFactors(f()).Factor30PrevPaceRatio(), Failure) << track << first3;
  }
}

TEST_F(AltFactors2330Test, BreederCodeNeverFindsItsRecord) {
  WriteRecords("BREEDERSEISEI.dat", {Rec(35, {{0, "123456"}, {6, "020000"}})});
  Runs({{{224, "12345601"}}});
  EXPECT_EQ(AlternativeFactors(f()).Factor30BanusiBreeder(), "8");
  std::filesystem::remove(dir_->Path("BREEDERSEISEI.dat"));
  f().ClearLookups();
  EXPECT_EQ(AlternativeFactors(f()).Factor30BanusiBreeder(), "8");
  EXPECT_FALSE(Exists("BREEDERSEISEI.dat"));
  EXPECT_TRUE(Reads("BREEDERSEISEI.dat", [&] { AlternativeFactors(f()).Factor30BanusiBreeder(); }));
}

}  // namespace
}  // namespace volq
