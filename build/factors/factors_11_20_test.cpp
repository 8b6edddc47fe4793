#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "platform/fs/file_failure.h"

namespace volq {
namespace {

class Factors11To20Test : public testing::FactorTest {
 protected:
  static constexpr int kMark = 1300;  // an offset no routine reads
  void ExpectOnRecord(int k) { EXPECT_EQ(f().Ex(Slice{kMark, 2}), std::to_string(10 + k)); }

  // "yyyymmdd" of the day `days` after 2018-01-06.
  static std::string Day(int days) {
    using namespace std::chrono;
    year_month_day d{sys_days{2018y / January / 6} + std::chrono::days{days}};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02u%02u", static_cast<int>(d.year()),
                  static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
    return buf;
  }
  // A race entry on a day, at a racecourse, with an abnormality code.
  static std::string Run(int days, const char* course = "05", const char* abnormal = "0") {
    std::string date = Day(days);
    return Ex({{11, date.substr(0, 4)}, {15, date.substr(4, 4)}, {19, course}, {678, abnormal}});
  }
  void WriteStallion(std::initializer_list<std::pair<int, std::string>> fields) {
    WriteRecords("OPTION1N/STALLION.dat", {Rec(402, fields)});
  }
};

TEST_F(Factors11To20Test, BodyWeightClass) {
  struct {
    const char* body;
    const char* code;
  } cases[] = {{"000", "50"}, {"   ", "50"}, {"408", "50"}, {"415", "50"},
               {"416", "52"}, {"480", "60"}, {"567", "70"}, {"600", "70"}};
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{671, c.body}})});
    EXPECT_EQ(f().Factor11Bataiju(), c.code) << c.body;
  }
}

TEST_F(Factors11To20Test, AgeInMonthsBySexAndCourse) {
  struct {
    const char* birth;
    int days;
    const char* track;
    const char* sex;
    const char* code;
  } cases[] = {
      {"20180106", 900, "10", "3", "334"},   // gelding, 30 months
      {"20180106", 1050, "10", "3", "335"},  // 35 months
      {"20180106", 1440, "10", "1", "145"},  // 48 months
      {"20180106", 1260, "10", "1", "142"},  // 42 months, the last single month
      {"20180106", 1290, "23", "2", "243"},  // 43 months stays 43
      {"20180106", 1320, "10", "1", "143"},  // 44 months share 43
      {"20180106", 1350, "10", "1", "144"},  // 45 months
      {"20180106", 1300, "29", "1", "143"},  // 43.3 months
      {"20180106", 3000, "10", "1", "159"},  // beyond 90 months
      {"20180106", 500, "10", "2", "227"},   // raised to 27 months
      {"20180106", 500, "10", "4", "334"},   // other sex code, raised to 27: shares 34
      {"20180106", 1050, "51", "1", "140"},  // steeplechase: raised to 40
      {"20180106", 1050, "-1", "1", "140"},
      {"19900106", 0, "10", "1", "127"},  // 10227 days, cut to 227: 8 months
  };
  for (const auto& c : cases) {
    std::string race = Day(c.days);
    Horse("2019100001", {Ex({{196, c.birth},
                             {11, race.substr(0, 4)},
                             {15, race.substr(4, 4)},
                             {775, c.track},
                             {529, c.sex}})});
    EXPECT_EQ(f().Factor12AgeMonths(), c.code) << c.birth << " " << c.days << " " << c.track;
  }
  for (const char* bad : {"20180230", "        "}) {
    Horse("2019100001", {Ex({{196, bad}, {11, "2021"}, {15, "0101"}, {775, "10"}, {529, "1"}})});
    EXPECT_THROW(f().Factor12AgeMonths(), Failure) << bad;
  }
}

TEST_F(Factors11To20Test, SireMoneyLog) {
  WriteRecords("OPTION1N/STALLION.dat", {Rec(402, {{0, "1100000001"}, {64, "000000005"}}),
                                         Rec(402, {{0, "1100000002"}, {64, "000000000"}}),
                                         Rec(402, {{0, "1100000003"}, {64, "000000001"}}),
                                         Rec(402, {{0, "1100000003"}, {64, "000000500"}})});
  struct {
    const char* sire;
    const char* track;
    const char* code;
  } cases[] = {{"1100000001", "10", "6"}, {"1100000001", "51", "6"},  {"1100000002", "10", "00"},
               {"1100000003", "10", "0"}, {"1100000009", "10", "00"}, {"1100000009", "  ", "00"}};
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{252, c.sire}, {775, c.track}})});
    EXPECT_EQ(f().Factor13StallionLog(), c.code) << c.sire;
  }
  Horse("2019100001", {Ex({{252, "1100000001"}, {775, "  "}})});
  EXPECT_THROW(f().Factor13StallionLog(), Failure) << "a bad track code fails after a match";
}

TEST_F(Factors11To20Test, WeeksSinceTheLastRun) {
  struct {
    std::vector<std::string> recs;
    const char* code;
  } cases[] = {
      {{Run(0)}, "21020"},
      {{Run(0), Run(28)}, "21040"},                     // second run: no previous course
      {{Run(0), Run(3)}, "21020"},                      // the same week: as two weeks
      {{Run(0), Run(70), Run(91)}, "21030"},            // third run: 10 weeks between 1 and 2
      {{Run(0), Run(210), Run(231)}, "21320"},          // 30 weeks, then 3
      {{Run(0), Run(0), Run(210), Run(231)}, "11320"},  // same course
      {{Run(0), Run(0), Run(210), Run(231, "06")}, "21320"},
      {{Run(0), Run(0), Run(7), Run(7 + 560)}, "11780"},  // 80 weeks
      {{Run(0), Run(0), Run(7), Run(7 + 420)}, "11520"},  // 60 weeks
      {{Run(0), Run(0), Run(7), Run(7 + 210)}, "11270"},  // 30 weeks
      {{Run(0), Run(0), Run(7), Run(7 + 182)}, "11260"},  // 26 weeks
      {{Run(0), Run(0), Run(7), Run(7 + 357)}, "11270"},  // 51 weeks
      {{Run(0), Run(0), Run(7), Run(7 + 546)}, "11520"},  // 78 weeks: 52
      {{Run(0), Run(0), Run(7), Run(7 + 553)}, "11780"},  // 79 weeks: 78
      {{Run(0), Run(4)}, "21010"},                        // 4 days round to a week
      // A break before both runs in between: the first class wins.
      {{Run(0), Run(200), Run(400), Run(407)}, "11280"},
      // Day counts keep their last four digits: 10227 days are 227, -7 days 9993.
      {{Ex({{11, "1990"}, {15, "0106"}, {678, "0"}}), Run(0)}, "21270"},
      {{Run(7), Run(0)}, "21780"},
      {{Run(0), Run(0), Run(371), Run(385)}, "11310"},    // 2 weeks after 52
      {{Run(0), Run(371), Run(378), Run(385)}, "11350"},  // 1, 1, then 53 weeks
      {{Run(0), Run(196), Run(203), Run(210)}, "11340"},  // 1, 1, then 28 weeks
      // Record 3 abnormal: the last valid run is record 2, and w2 is 0.
      {{Run(0), Run(420), Run(427, "05", "1"), Run(434)}, "11370"},
      {{Run(0), Run(420, "06"), Run(427, "05", "1"), Run(434)}, "21370"},
  };
  for (const auto& c : cases) {
    int32_t r = static_cast<int32_t>(c.recs.size());
    std::vector<std::string> recs = c.recs;
    recs.back().replace(kMark, 2, std::to_string(10 + r));
    Horse("2019100001", recs, r);
    EXPECT_EQ(f().Factor14Interval(), c.code) << r << " " << c.code;
    ExpectOnRecord(r);
  }
  Horse("2019100001", {Ex({{11, "2021"}, {15, "0230"}}), Run(0)}, 2);
  EXPECT_THROW(f().Factor14Interval(), Failure);
}

TEST_F(Factors11To20Test, OddsLogOfThePreviousValidRun) {
  struct {
    const char* odds;
    const char* code;
  } cases[] = {{"0035", "15"}, {"0005", "6"}, {"0000", "10"}, {"    ", "10"}, {"9999", "39"}};
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{706, c.odds}, {678, "0"}}), Ex({{kMark, "12"}})}, 2);
    EXPECT_EQ(f().Factor15PrevOddsLog(), c.code) << c.odds;
    ExpectOnRecord(2);
  }
  Horse("2019100001", {Ex({{706, "0035"}})});
  EXPECT_EQ(f().Factor15PrevOddsLog(), "10") << "first run";
  Horse("2019100001",
        {Ex({{706, "0035"}, {678, "0"}}), Ex({{706, "0005"}, {678, "1"}}), Ex({{kMark, "13"}})}, 3);
  EXPECT_EQ(f().Factor15PrevOddsLog(), "15") << "over the abnormal run";
  ExpectOnRecord(3);
  Horse("2019100001", {Ex({{706, "000 "}, {678, "0"}}), Ex({})}, 2);
  EXPECT_THROW(f().Factor15PrevOddsLog(), Failure) << "odds of value 0";
}

TEST_F(Factors11To20Test, SireRateByCourseAndGoing) {
  // Rate field i (offsets 124 + 6i) holds class i + 1.
  std::string rec = Rec(402, {{0, "1100000001"}});
  for (int i = 0; i < 12; ++i) {
    char rate[8];
    std::snprintf(rate, sizeof rate, "%06d", 4000 * (i + 1));
    rec.replace(124 + 6 * i, 6, rate);
  }
  WriteRecords("OPTION1N/STALLION.dat", {rec});
  struct {
    const char* track;
    const char* turf;
    const char* dirt;
    const char* code;
  } cases[] = {{"10", "0", " ", "11"},  {"10", "1", " ", "11"},  {"22", "2", " ", "22"},
               {"10", "4", " ", "44"},  {"23", " ", "3", "37"},  {"49", "1", "1", "15"},
               {"51", "2", " ", "210"}, {"-1", "4", " ", "412"}, {"10", "5", " ", "10"},
               {"10", " ", "1", "10"},  {"24", "1", " ", "10"}};
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{252, "1100000001"}, {775, c.track}, {958, c.turf}, {959, c.dirt}})});
    EXPECT_EQ(f().Factor16StallionValue(), c.code) << c.track << c.turf << c.dirt;
  }
  Horse("2019100001", {Ex({{252, "1100000009"}, {775, "10"}, {958, "1"}})});
  EXPECT_EQ(f().Factor16StallionValue(), "10");
}

TEST_F(Factors11To20Test, JockeyAgeBandByTextOrder) {
  struct {
    const char* year;
    const char* born;
    const char* code;
  } cases[] = {
      {"2024", "1998", "0281"}, {"2024", "2004", "0201"}, {"2024", "2003", "0231"},
      {"2024", "1989", "0331"}, {"2024", "1984", "0381"}, {"2024", "1983", "0431"},
      {"2024", "1924", "0201"},  // 200 years: "00"
      {"2024", "2121", "0281"},  // "3" lies between "26" and "30" as text
      {"2024", "2122", "0201"},  // "2" between "00" and "20"
      {"2024", "2119", "0431"},  // "5"
      {"2024", "2124", "0431"},  // "0" sorts before "00"
      {"2024", "2130", "0431"},  // "-6"
  };
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{11, c.year}, {618, c.born}, {669, "1"}})});
    EXPECT_EQ(f().Factor18KishuAgeBand(), c.code) << c.born;
  }
  Horse("2019100001", {Ex({{11, "2024"}, {669, "1"}})});
  EXPECT_THROW(f().Factor18KishuAgeBand(), Failure);
}

TEST_F(Factors11To20Test, TrainerRateByCourseType) {
  WriteRecords("CHOKYOSEISEI.dat",
               {Rec(121, {{0, "01100"}, {29, "039999"}, {35, "040000"}, {41, "100000"}}),
                Rec(121, {{0, "01100"}, {29, "000000"}})});
  struct {
    const char* trainer;
    const char* track;
    const char* code;
  } cases[] = {{"01100", "10", "19"},  {"01100", "23", "110"},
               {"01100", "49", "110"}, {"01100", "50", "110"},  // "125" is cut to "110"
               {"01100", "-1", "110"}, {"02200", "10", "10"}};
  for (const auto& c : cases) {
    Horse("2019100001", {Ex({{534, c.trainer}, {775, c.track}})});
    EXPECT_EQ(f().Factor19ChokyoSeiseki(), c.code) << c.trainer << " " << c.track;
  }
  for (const char* none : {"00000", "     "}) {
    Horse("2019100001", {Ex({{534, none}, {775, "  "}})});
    EXPECT_EQ(f().Factor19ChokyoSeiseki(), "10");
  }
}

TEST_F(Factors11To20Test, SireMoneyPerRun) {
  struct {
    const char* track;
    const char* runs;
    const char* money;
    const char* code;
  } cases[] = {
      {"10", "000010", "000005000", "26"},  // 500 per run
      {"29", "000010", "000000500", "25"},  // 50: class 16 raised to 25
      {"10", "000001", "999999999", "46"},  // class 89 cut to 46
      {"10", "000000", "000005000", "0"},   // no runs
      {"10", "000010", "000000000", "0"},  {"10", "000010", "000000005", "-4"},  // below 1 per run
  };
  for (const auto& c : cases) {
    WriteStallion({{0, "1100000001"}, {34, c.runs}, {46, c.money}});
    f().ClearLookups();
    Horse("2019100001", {Ex({{252, "1100000001"}, {775, c.track}})});
    EXPECT_EQ(f().Factor20StallionStat(), c.code) << c.runs << " " << c.money;
  }
  // Steeplechase reads its own count and sum.
  WriteStallion(
      {{0, "1100000001"}, {34, "000001"}, {46, "000000001"}, {40, "000002"}, {55, "000003000"}});
  f().ClearLookups();
  Horse("2019100001", {Ex({{252, "1100000001"}, {775, "51"}})});
  EXPECT_EQ(f().Factor20StallionStat(), "31");
  Horse("2019100001", {Ex({{252, "1100000009"}, {775, "51"}})});
  EXPECT_EQ(f().Factor20StallionStat(), "0");
}

}  // namespace
}  // namespace volq
