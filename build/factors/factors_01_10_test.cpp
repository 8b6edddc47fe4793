#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "platform/fs/file_failure.h"

namespace volq {
namespace {

class Factors01To10Test : public testing::FactorTest {
 protected:
  // Marks record k at an offset no routine reads, to see which record the
  // buffer holds after a routine.
  static constexpr int kMark = 1300;
  void ExpectOnRecord(int k) { EXPECT_EQ(f().Ex(Slice{kMark, 2}), std::to_string(10 + k)); }
};

TEST_F(Factors01To10Test, YearWeightAndRaceCountAreTheFieldsAndRecordNumber) {
  std::vector<std::string> recs;
  for (int k = 1; k <= 62; ++k) recs.push_back(Ex({{11, "2021"}, {605, "550"}}));
  Horse("2019100001", recs, 1);
  EXPECT_EQ(f().Factor01Year(), "2021");
  EXPECT_EQ(f().Factor04Futan(), "550");
  struct {
    int r;
    const char* code;
  } counts[] = {{1, "001"}, {2, "001"}, {3, "002"}, {60, "059"}, {61, "060"}, {62, "060"}};
  for (const auto& c : counts) {
    f().r = c.r;
    EXPECT_EQ(f().Factor09RaceCount(), c.code) << c.r;
  }
  f().r = 63;
  EXPECT_THROW(f().Factor09RaceCount(), Failure) << "record r must exist";
}

TEST_F(Factors01To10Test, VenueWeekdayAndTrackByTrackCode) {
  struct {
    const char* course;
    const char* day;
    const char* track;
    const char* code;
  } cases[] = {
      {"10", "1", "10", "A10710"},  // horse number 07
      {"05", "6", "52", "5523"},    // track code before weekday
      {"01", "2", "11", "12411"},   // bracket 4
      {"09", "3", "18", "93418"},  {"03", "1", "21", "31417"}, {"03", "1", "22", "31418"},
      {"04", "2", "24", "424"},    {"00", "1", "29", "B14"},   {"11", "1", "00", "B001"},
      {"1 ", "7", "51", "B513"},
  };
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{19, c.course}, {42, c.day}, {775, c.track}, {27, "4"}, {28, "07"}})});
    EXPECT_EQ(f().Factor02VenueTrack(), c.code) << c.course << " " << c.day << " " << c.track;
  }
  for (auto bad : {std::pair{" ", "10"}, std::pair{"1", "  "}}) {
    Horse("2019100001", {Ex({{19, "01"}, {42, bad.first}, {775, bad.second}})});
    EXPECT_THROW(f().Factor02VenueTrack(), Failure);
  }
}

TEST_F(Factors01To10Test, PreviousRunChangeOfGradeSurfaceAndDistance) {
  struct {
    const char* kind;
    const char* grade;
    const char* track;
    const char* before;
    const char* now;
    const char* code;
  } cases[] = {
      {"7", "C", "10", "1600", "1600", "C1D"},
      {"B", "C", "10", "1600", "1600", "BAD"},  // CBD
      {"A", "C", "10", "1800", "1600", "CA1"},
      {"B", "C", "52", "1400", "1200", "BAD"},  // CB1
      {"7", "A", "23", "1600", "1800", "BAD"},  // A22
      {"7", "B", "24", "1800", "1800", "BAD"},  // B2D
      {"7", " ", "51", "3000", "3200", "BAD"},  // " 32"
      {"7", " ", "10", "3000", "3200", " 12"},
      {"7", "E", "1Z", "1000", "1200", "E12"},  // "1Z" lies between "00" and "22" as text
      {"7", "E", " 5", "1000", "1200", "E32"},  // " 5" does not
      {"7", "E", "10", "0800", " 800", "E11"},  // same distance, other text: not "D"
  };
  for (const auto& c : cases) {
    Horse("2019100001",
          {Ex({{2, c.kind}, {744, c.grade}, {775, c.track}, {767, c.before}, {678, "0"}}),
           Ex({{767, c.now}, {764, "701"}})},
          2);
    EXPECT_EQ(f().Factor03PrevRunChange(), c.code) << c.kind << c.grade << c.track << c.now;
    EXPECT_EQ(f().Distance(), c.now) << "record r read again";
  }
}

TEST_F(Factors01To10Test, PreviousRunChangeOnAFirstRunAndOverAnAbnormalRun) {
  struct {
    const char* now;
    const char* code;
  } firsts[] = {{"1600", "70101"}, {"5000", "70101"}, {"5200", "70102"}};
  for (const auto& c : firsts) {
    Horse("2019100001", {Ex({{767, c.now}, {764, "701"}})});
    EXPECT_EQ(f().Factor03PrevRunChange(), c.code) << c.now;
  }
  // Record 2 was abnormal: the run before it counts, and record 3 is read back.
  Horse("2019100001",
        {Ex({{744, "A"}, {775, "10"}, {767, "1600"}, {678, "0"}, {kMark, "11"}}),
         Ex({{744, "G"}, {775, "23"}, {767, "1200"}, {678, "1"}, {kMark, "12"}}),
         Ex({{767, "1600"}, {kMark, "13"}})},
        3);
  EXPECT_EQ(f().Factor03PrevRunChange(), "A1D");
  ExpectOnRecord(3);
}

TEST_F(Factors01To10Test, PrizeMoneyClassOfEveryEarlierRun) {
  auto prize = [](const char* money, const char* abnormal = "0") {
    return Ex({{712, money}, {678, abnormal}});
  };
  struct {
    std::vector<std::string> recs;
    const char* code;
  } cases[] = {
      {{prize("00000000")}, "00"},  // first run
      {{prize("00000002"), prize("00000003", "1"), prize("00000000")}, "6"},
      {{prize("00000000"), prize("00000000"), prize("99999999")}, "00"},
      {{prize("00000001"), prize("99999999")}, "00"},
      {{prize("00000020"), prize("00000000")}, "13"},
      {{prize("99999999"), prize("99999999"), prize("99999999"), prize("")}, "66"},
  };
  for (const auto& c : cases) {
    int32_t r = static_cast<int32_t>(c.recs.size());
    std::vector<std::string> recs = c.recs;
    recs.back().replace(kMark, 2, std::to_string(10 + r));
    Horse("2019100001", recs, r);
    EXPECT_EQ(f().Factor05PrizeLog(), c.code) << r;
    ExpectOnRecord(r);
  }
  // A blank prize among the earlier runs, and a sum beyond 32 bits, fail.
  Horse("2019100001", {prize("00000001"), prize("        "), prize("")}, 3);
  EXPECT_THROW(f().Factor05PrizeLog(), Failure);
  std::vector<std::string> rich(22, prize("99999999"));
  rich.push_back(prize(""));
  Horse("2019100001", rich, 23);
  EXPECT_THROW(f().Factor05PrizeLog(), Failure);
  rich.erase(rich.begin());
  Horse("2019100001", rich, 22);
  EXPECT_EQ(f().Factor05PrizeLog(), "66");
}

TEST_F(Factors01To10Test, RaceSymbolWithDirtN2AsN0) {
  struct {
    const char* symbol;
    const char* track;
    const char* code;
  } cases[] = {{"N2 ", "23", "N0"},
               {"N21", "24", "N0"},
               {"N2 ", "10", "N2"},
               {"N3 ", "23", "N3"},
               {"A1 ", "52", "A1"}};
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{748, c.symbol}, {775, c.track}})});
    EXPECT_EQ(f().Factor06RaceKigo(), c.code) << c.symbol << c.track;
  }
  Horse("2019100001", {Ex({{748, "N2 "}})});
  EXPECT_THROW(f().Factor06RaceKigo(), Failure);
}

TEST_F(Factors01To10Test, JockeyRateByCourseType) {
  WriteRecords("KISHUSEISEI.dat",
               {Rec(121, {{0, "01100"}, {29, "039999"}, {35, "012000"}, {41, "004000"}}),
                Rec(121, {{0, "01100"}, {29, "000000"}}),  // a later record of the key
                Rec(121, {{0, "02200"}, {29, "040000"}, {35, "100000"}, {41, "000000"}})});
  struct {
    const char* jockey;
    const char* track;
    const char* code;
  } cases[] = {
      {"01100", "10", "19"}, {"01100", "22", "19"}, {"01100", "23", "13"},
      {"01100", "29", "13"}, {"01100", "30", "11"}, {"01100", "-1", "11"},
      {"02200", "00", "19"},  // "110"
      {"02200", "24", "19"}, {"02200", "51", "10"}, {"03300", "10", "11"},
      {"03300", "  ", "11"},  // no match: the track code is not read
  };
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{613, c.jockey}, {775, c.track}})});
    EXPECT_EQ(f().Factor07KishuSeiseki(), c.code) << c.jockey << " " << c.track;
  }
  Horse("2019100001", {Ex({{613, "01100"}, {775, "  "}})});
  EXPECT_THROW(f().Factor07KishuSeiseki(), Failure);
}

TEST_F(Factors01To10Test, NoJockeyOrHorseGivesTheDefaultWithoutOpeningTheFile) {
  for (const char* none : {"00000", "     "}) {
    Horse("2019100001", {Ex({{613, none}, {775, "10"}})});
    EXPECT_EQ(f().Factor07KishuSeiseki(), "11");
  }
  EXPECT_FALSE(Exists("KISHUSEISEI.dat"));
  for (const char* none : {"0000000000", "          "}) {
    Horse("2019100001", {Ex({{30, none}, {775, "10"}})});
    EXPECT_EQ(f().Factor08KyosobaValue(), "10");
  }
  EXPECT_FALSE(Exists("OPTION1N/KYOSOBA.dat"));
  // A horse to look up opens the file: one that cannot be read fails the
  // routine, a missing one reads as empty and is not made.
  Horse("2019100001", {Ex({{30, "2019100001"}, {775, "10"}})});
  {
    WriteFile("OPTION1N/KYOSOBA.dat", "");
    testing::UnreadableFor unreadable(dir_->Path("OPTION1N/KYOSOBA.dat"));
    EXPECT_THROW(f().Factor08KyosobaValue(), Failure);
  }
  dir_->Delete("OPTION1N/KYOSOBA.dat");
  EXPECT_EQ(f().Factor08KyosobaValue(), "10");
  EXPECT_FALSE(Exists("OPTION1N/KYOSOBA.dat"));
}

TEST_F(Factors01To10Test, HorseRateOverallOrSteeplechase) {
  WriteRecords("OPTION1N/KYOSOBA.dat",
               {Rec(228, {{0, "2019100001"}, {10, "012345"}, {106, "100000"}}),
                Rec(228, {{0, "2019100001"}, {10, "000000"}})});
  struct {
    const char* horse;
    const char* track;
    const char* code;
  } cases[] = {{"2019100001", "10", "3"},
               {"2019100001", "49", "3"},
               {"2019100001", "50", "25"},
               {"2019100001", "-1", "25"},
               {"2019100002", "10", "10"}};
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{30, c.horse}, {775, c.track}})});
    EXPECT_EQ(f().Factor08KyosobaValue(), c.code) << c.horse << " " << c.track;
  }
}

TEST_F(Factors01To10Test, WeightCarriedPerMilleBySex) {
  struct {
    const char* futan;
    const char* body;
    const char* sex;
    const char* code;
  } cases[] = {
      {"550", "480", "1", "102"}, {"550", "480", "3", "102"}, {"550", "480", "2", "302"},
      {"550", "480", " ", "302"}, {"550", "000", "2", "100"},  // no body weight: 100, not 300
      {"550", "   ", "1", "100"}, {"000", "480", "1", "100"}, {"900", "300", "1", "114"},
      {"900", "300", "2", "314"}, {"100", "600", "1", "096"}, {"100", "600", "2", "296"},
      {"560", "500", "1", "100"},  // 56 / 556 = 100.7 per mille: 101, made even 100
  };
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{605, c.futan}, {671, c.body}, {529, c.sex}})});
    EXPECT_EQ(f().Factor10FutanRatio(), c.code) << c.futan << " " << c.body << " " << c.sex;
  }
}

}  // namespace
}  // namespace volq
