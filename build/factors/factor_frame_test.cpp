#include "build/factors/factor_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>

#include "build/factors/factor_test_support.h"
#include "platform/fs/file_failure.h"

namespace volq {
namespace {

TEST(FactorConversions, ValueIntegerDecimalLogAndSpeedText) {
  struct {
    const char* text;
    double value;
  } values[] = {{"0012", 12}, {" 3.5", 3.5}, {"1 2", 12},  {"-5", -5},
                {"   ", 0},   {"ab", 0},     {"12ab", 12}, {"", 0}};
  for (const auto& c : values) EXPECT_DOUBLE_EQ(Value(c.text), c.value) << c.text;
  // Whole numbers short and long, and their sign, as strtod reads the digits.
  for (auto [text, digits] : {std::pair{"-0", "-0"},
                              {"+  7", "+7"},
                              {"999999999999999", "999999999999999"},
                              {"1234567890123456", "1234567890123456"},
                              {"-00 12.5x", "-0012.5"}}) {
    EXPECT_EQ(Value(text), std::strtod(digits, nullptr)) << text;
    EXPECT_EQ(std::signbit(Value(text)), std::signbit(std::strtod(digits, nullptr))) << text;
  }

  EXPECT_EQ(Integer("0023"), 23);
  EXPECT_EQ(Integer(" 7 "), 7);
  EXPECT_EQ(Integer("-04"), -4);
  EXPECT_EQ(Integer("2.5"), 2);
  EXPECT_EQ(Integer("3.5"), 4);
  EXPECT_EQ(Integer("\t12\r\n"), 12);
  for (const char* bad : {"", "  ", "1A", "A", "+", "1 2"}) {
    EXPECT_THROW(Integer(bad), Failure) << bad;
  }
  EXPECT_EQ(Decimal(7), "7");
  EXPECT_EQ(Decimal(-4), "-4");
  EXPECT_EQ(LogClass(5), 6);
  EXPECT_EQ(LogClass(3.5), 5);
  EXPECT_EQ(LogClass(0.5), -4);
  EXPECT_THROW(LogClass(0), Failure);

  EXPECT_EQ(SpeedField7(60.12345f), "6012345");
  EXPECT_EQ(SpeedField7(0), "0000000");
  EXPECT_EQ(SpeedField7(100.5f), "0050000");  // the leading "2" of 20050000 is lost
}

TEST(FactorConversions, WholeNumbersOfAQuotientOrFloorFailAsOverflowOutsideTheirType) {
  EXPECT_EQ(Whole<int64_t>(42.0), 42);
  EXPECT_EQ(Whole<int16_t>(-32768.0), -32768);
  EXPECT_EQ(Whole<int64_t>(-9223372036854775808.0), INT64_MIN);
  EXPECT_EQ(Floor(-2.5), -3);
  EXPECT_EQ(Floor<int32_t>(1000.0f / 35.0f), 28);
  const double inf = std::numeric_limits<double>::infinity();
  const double beyond[] = {inf, -inf, std::nan(""), 9223372036854775808.0, -1e19, 1e300};
  for (double x : beyond) {
    try {
      Floor(x);
      ADD_FAILURE() << x << " converted";
    } catch (const Failure& f) {
      EXPECT_EQ(f.kind(), Failure::Kind::Overflow) << x;
    }
  }
  EXPECT_THROW(Whole<int16_t>(32768.0), Failure);
  EXPECT_THROW(Whole<int32_t>(-2147483649.0), Failure);
  EXPECT_FLOAT_EQ(Quotient(1000.0f, 8.0f), 125.0f);
  EXPECT_THROW(Quotient(1000.0f, -0.0f), Failure);
}

TEST(RaceDays, DaysAndWeeksBetweenTwoDays) {
  // The span is cut through its last four digits; weeks round half up.
  const struct {
    const char *year_a, *month_day_a, *year_b, *month_day_b;
    int64_t days;
    int32_t span, weeks;
  } cases[] = {
      {"2017", "1231", "2018", "0101", 1, 1, 0},
      {"2020", "0228", "2020", "0301", 2, 2, 0},
      {"2019", "0228", "2019", "0301", 1, 1, 0},
      {"2018", "0505", "2018", "0405", -30, 9970, 1424},
      {"2018", "0101", "2018", "0102", 1, 1, 0},
      {"2018", "0101", "2018", "0105", 4, 4, 1},
      {"2018", "0101", "2018", "0111", 10, 10, 1},
      {"2018", "0101", "2018", "0112", 11, 11, 2},
      {"2018", "0102", "2018", "0101", -1, 9999, 1428},
      {"1990", "0101", "2018", "0101", 10227, 227, 32},
  };
  for (const auto& c : cases) {
    const RaceDay a = RaceDay::OfMonthDay(c.year_a, c.month_day_a);
    const RaceDay b = RaceDay::OfMonthDay(c.year_b, c.month_day_b);
    EXPECT_EQ(DaysBetween(a, b), c.days)
        << c.year_a << c.month_day_a << " " << c.year_b << c.month_day_b;
    EXPECT_EQ(DaySpan(a, b), c.span)
        << c.year_a << c.month_day_a << " " << c.year_b << c.month_day_b;
    EXPECT_EQ(Weeks(a, b), c.weeks)
        << c.year_a << c.month_day_a << " " << c.year_b << c.month_day_b;
  }
  const RaceDay day = RaceDay::OfMonthDay("2019", "0512");
  EXPECT_EQ(day.Text(), "20190512");
  EXPECT_EQ(day.Number(), 20190512);
  // A text that is no date fails where a span is counted, not when it is read.
  for (const RaceDay& bad :
       {RaceDay::OfMonthDay("2019", "0229"), RaceDay::OfMonthDay("    ", "0101"),
        RaceDay::OfMonthDay("0099", "0101"), RaceDay{"2019", "13", "01"}}) {
    EXPECT_THROW(DaysBetween(bad, day), Failure) << bad.Text();
    EXPECT_THROW(Weeks(day, bad), Failure) << bad.Text();
  }
  EXPECT_THROW(RaceDay::OfMonthDay("2019", "0A12").Number(), Failure);
}

class FactorFrameTest : public testing::StepTest {};

TEST(FactorConversions, CentralRacecoursesAreCodes01To10) {
  const struct {
    const char* code;
    bool central;
  } cases[] = {{"00", false}, {"01", true},  {"05", true},   {"09", true},
               {"10", true},  {"11", false}, {"30", false},  {"0A", false},
               {" 1", false}, {"1", false},  {"010", false}, {"", false}};
  for (const auto& c : cases)
    EXPECT_EQ(CentralRacecourse(c.code), c.central) << "'" << c.code << "'";
}

TEST_F(FactorFrameTest, ExFileRecordsPreviousValidRunAndItemFields) {
  FactorFrame f(*dir_);
  auto ex = [](char abnormal, char tag) {
    std::string rec(kUmaExLength, tag);
    rec[678] = abnormal;
    rec.replace(kUmaExLength - 2, 2, "\r\n");
    return rec;
  };
  WriteFile("UMAGOTOEXSETUP/2019100001EX.dat", ex('0', 'a') + ex('1', 'b') + ex('0', 'c'));
  f.OpenExFile("2019100001");
  EXPECT_EQ(f.RecordCount, 3);
  f.ReadEx(2);
  EXPECT_EQ(f.Ex(Slice{0, 1}), "b");
  EXPECT_THROW(f.ReadEx(4), Failure);
  EXPECT_EQ(f.Ex(Slice{0, 1}), "b") << "a failed read leaves the buffer";
  f.r = 2;
  EXPECT_EQ(f.PreviousValidRun(), 1);
  f.r = 3;
  EXPECT_EQ(f.PreviousValidRun(), 1) << "record 2 abnormal: r-2";
  EXPECT_EQ(f.Ex(Slice{0, 1}), "b");

  f.OpenExFile("2019100002");  // missing: no records, and no file made
  EXPECT_EQ(f.RecordCount, 0);
  EXPECT_FALSE(Exists("UMAGOTOEXSETUP/2019100002EX.dat"));
  EXPECT_THROW(f.OpenExFile("../x"), Failure);

  f.StoreItem(FactorField(2), "110510");
  EXPECT_EQ(f.Item(FactorField(2)), "110510     ");
  f.StoreItem(FactorField(4), "055012");
  EXPECT_EQ(f.Item(FactorField(4)), "0550");
  EXPECT_EQ(f.ItemRecord.size(), static_cast<size_t>(kItemLength));
}

TEST_F(FactorFrameTest, LookupTakesTheFirstRecordOfAKeyAndReadsAMissingFileAsEmpty) {
  FactorFrame f(*dir_);
  WriteRecords("KISHUSEISEI.dat",
               {Rec(121, {{0, "01100"}, {29, "000001"}}), Rec(121, {{0, "01100"}, {29, "000002"}}),
                Rec(121, {{0, "00666"}, {29, "000003"}})});
  const std::string* hit = f.LookupRecord("KISHUSEISEI.dat", 121, "01100");
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->substr(29, 6), "000001");
  EXPECT_EQ(f.LookupRecord("KISHUSEISEI.dat", 121, "00666")->substr(29, 6), "000003");
  EXPECT_EQ(f.LookupRecord("KISHUSEISEI.dat", 121, "99999"), nullptr);
  EXPECT_EQ(f.LookupRecord("CHOKYOSEISEI.dat", 121, "01100"), nullptr);
  EXPECT_FALSE(Exists("CHOKYOSEISEI.dat"));
}

}  // namespace
}  // namespace volq

namespace volq {
namespace {

class FactorFixtureTest : public testing::FactorTest {};

TEST_F(FactorFixtureTest, HorseOpensTheFileAndPutsTheFrameOnARecord) {
  Horse("2019100001", {Ex({{11, "2019"}}), Ex({{11, "2020"}})}, 2);
  EXPECT_EQ(f().RecordCount, 2);
  EXPECT_EQ(f().r, 2);
  EXPECT_EQ(f().RaceYear(), "2020");
}

}  // namespace
}  // namespace volq
