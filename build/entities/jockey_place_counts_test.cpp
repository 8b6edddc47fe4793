#include "build/entities/jockey_place_counts.h"

#include <gtest/gtest.h>

#include <map>

#include "build/entities/entity_test_support.h"
#include "build/records/test_support.h"
#include "common/record_layout.h"

namespace volq {
namespace {

using testing::ListText;
using testing::StepTest;

// One ride: race date, racecourse code and order of arrival.
std::string Ride(const std::string& date, const std::string& venue, const std::string& arrival) {
  return StepTest::Rec(kRaceEntryLength,
                       {{0, "SE"}, {2, "7"}, {11, date}, {19, venue}, {332, arrival}});
}

// The 20 lines of a place-count file with the given nonzero pairs.
std::string Lines(const std::map<std::pair<int, int>, std::pair<int, int>>& counts) {
  std::string text;
  for (int v = 1; v <= 10; ++v) {
    for (int d = 1; d <= 2; ++d) {
      auto it = counts.find({v, d});
      auto [placed, other] = it == counts.end() ? std::pair<int, int>{0, 0} : it->second;
      text += std::to_string(v) + "," + std::to_string(d) + "," + std::to_string(placed) + "," +
              std::to_string(other) + "\r\n";
    }
  }
  return text;
}

class JockeyPlaceCountsTest : public StepTest {};

// 2024-01-06 and 2010-01-02, 2004-01-03 and 2003-01-04 are Saturdays.
TEST_F(JockeyPlaceCountsTest, CountsByRacecourseDayAndOutcome) {
  struct Case {
    const char* name;
    std::vector<std::string> rides;  // oldest first, as the jockey's file holds them
    std::map<std::pair<int, int>, std::pair<int, int>> counts;
  } cases[] = {
      {"arrival 1 to 3 placed, 0 and 4 or more not",
       {Ride("20240106", "05", "01"), Ride("20240106", "05", "02"), Ride("20240106", "05", "03"),
        Ride("20240106", "05", "00"), Ride("20240106", "05", "04"), Ride("20240106", "05", "18")},
       {{{5, 1}, {3, 3}}}},
      {"Sunday and Monday are other days",
       {Ride("20240106", "01", "02"), Ride("20240107", "01", "01"), Ride("20240108", "01", "05")},
       {{{1, 1}, {1, 0}}, {{1, 2}, {1, 1}}}},
      {"the newest race of 2004 or earlier is counted and ends the scan",
       {Ride("20030104", "06", "01"), Ride("20040103", "06", "01"), Ride("20100102", "06", "07")},
       {{{6, 1}, {1, 1}}}},
      {"a racecourse outside 01 to 10 is not counted but its year ends the scan",
       {Ride("20030104", "01", "01"), Ride("20040103", "11", "01"), Ride("20200104", "A1", "01"),
        Ride("20240106", "10", "03"), Ride("20240106", "00", "03")},
       {{{10, 1}, {1, 0}}}},
      {"a date that is not a calendar date counts in day class 1, the scan goes on",
       {Ride("20030104", "02", "01"), Ride("20240230", "02", "01"), Ride("20240106", "02", "01")},
       {{{2, 1}, {3, 0}}}},
      {"a year that is not a number ends the scan, its record counted",
       {Ride("20030104", "03", "05"), Ride("20X40106", "03", "01"), Ride("20240107", "03", "01")},
       {{{3, 1}, {1, 0}}, {{3, 2}, {1, 0}}}},
      {"an order of arrival that is not a number is not counted",
       {Ride("20240106", "04", "  "), Ride("20240106", "04", "01")},
       {{{4, 1}, {1, 0}}}},
      {"no races", {}, {}},
  };
  std::vector<std::string> codes;
  for (const Case& c : cases) {
    std::string code = "0100" + std::to_string(codes.size() + 1);
    codes.push_back(code);
    WriteRecords("KISHUGOTOSETUP/" + code + ".dat", c.rides);
  }
  codes.push_back("01009");  // no race-entry file: no races, and none is created
  WriteFile("KISHUNUM20180101.dat", ListText(codes));
  WriteFile("OPTION1N/DONICHI.dat", std::string(kDonichiLength * 12, 'x'));
  auto cx = ctx();
  WriteJockeyPlaceCounts(cx);
  auto donichi = Records("OPTION1N/DONICHI.dat", kDonichiLength);
  ASSERT_EQ(donichi.size(), codes.size());
  for (size_t k = 0; k < codes.size(); ++k) {
    SCOPED_TRACE(k < std::size(cases) ? cases[k].name : "no file");
    EXPECT_EQ(ReadFile("KISHUFUKUSHO/" + codes[k] + ".dat"),
              Lines(k < std::size(cases) ? cases[k].counts
                                         : std::map<std::pair<int, int>, std::pair<int, int>>{}));
    EXPECT_EQ(donichi[k].substr(0, 5), codes[k]);  // line k owns record k
  }
  EXPECT_FALSE(Exists("KISHUGOTOSETUP/01009.dat"));
  auto report = frame_->Report();
  ASSERT_EQ(report.size(), 4u);
  EXPECT_EQ(report[0],
            "race date: not a calendar date, counted as a Saturday (2 times; first: '20240230' in "
            "KISHUGOTOSETUP/01005.dat, '20X40106' in KISHUGOTOSETUP/01006.dat)");
  EXPECT_EQ(report[1], "race year: not a number: '20X4'");
  EXPECT_EQ(report[2], "arrival order: not a number: '  '");
  EXPECT_EQ(report[3],
            "missing entity file: KISHUGOTOSETUP/01009.dat read as empty; write it first: press "
            "Command15 (SE/KS)");
}

TEST_F(JockeyPlaceCountsTest, DonichiRecordLayout) {
  const int offsets[] = {0, 5, 17, 29, 41, 65, 53, 77, 89, 101, 113};
  for (int v = 1; v <= 10; ++v) EXPECT_EQ(DonichiOffset(v), offsets[v]) << v;

  PlaceCounts counts;
  counts.at(5, 1, 1) = 1;  // 1 of 4 placed
  counts.at(5, 1, 2) = 3;
  counts.at(5, 2, 1) = 2;
  counts.at(6, 1, 1) = 3;
  counts.at(6, 1, 2) = 1;
  counts.at(6, 2, 2) = 4;
  std::string rec = DonichiRecord("01001", counts);
  ASSERT_EQ(rec.size(), static_cast<size_t>(kDonichiLength));
  std::string expected = "01001";
  for (int i = 0; i < 20; ++i) expected += "000000";
  expected += "\r\n";
  expected.replace(65, 12, "025000100000");
  expected.replace(53, 12, "075000000000");
  EXPECT_EQ(rec, expected);
  EXPECT_EQ(DonichiRecord("7", counts).substr(0, 5), "7    ");
  EXPECT_EQ(DonichiRecord("0100123", counts).substr(0, 6), "010010");
}

TEST_F(JockeyPlaceCountsTest, MissingListAndRefusedCodes) {
  WriteFile("OPTION1N/DONICHI.dat", "old");
  auto cx = ctx();
  WriteJockeyPlaceCounts(cx);
  EXPECT_FALSE(Exists("OPTION1N/DONICHI.dat"));
  EXPECT_TRUE(std::filesystem::is_empty(dir_->Path("KISHUFUKUSHO")));

  // A refused code keeps its record's place, with the rates of no races.
  WriteRecords("KISHUGOTOSETUP/01002.dat", {Ride("20240106", "01", "01")});
  WriteFile("KISHUNUM20180101.dat", ListText({"01001", "../01", "01002"}));
  WriteJockeyPlaceCounts(cx);
  auto donichi = Records("OPTION1N/DONICHI.dat", kDonichiLength);
  ASSERT_EQ(donichi.size(), 3u);
  EXPECT_EQ(donichi[1].substr(0, 11), "../01000000");
  EXPECT_EQ(donichi[2].substr(0, 11), "01002100000");
  EXPECT_FALSE(Exists("KISHUFUKUSHO\\..\\01.dat"));
  EXPECT_FALSE(Exists("01.dat"));
  auto report = frame_->Report();
  ASSERT_EQ(report.size(), 3u);
  EXPECT_EQ(report[0],
            "missing input KISHUNUM20180101.dat: read as empty; write it first: press Command12 "
            "(KS(騎手）)");
  EXPECT_EQ(report[1],
            "missing entity file: KISHUGOTOSETUP/01001.dat read as empty; write it first: press "
            "Command15 (SE/KS)");
  EXPECT_EQ(report[2].rfind("entity file name: refused file name '../01'", 0), 0u) << report[2];
}

}  // namespace
}  // namespace volq
