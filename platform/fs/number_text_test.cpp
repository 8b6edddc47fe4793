#include "platform/fs/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace volq {
namespace {

TEST(NumberText, OneBlankAndOneStrictReading) {
  struct Case {
    const char* text;
    bool ok;
    bool negative = false, point = false;
    const char* whole = "";
    const char* fraction = "";
  } cases[] = {
      {"12", true, false, false, "12", ""},
      {" \t-3.50\r\n", true, true, true, "3", "50"},
      {"+7.", true, false, true, "7", ""},
      {".25", true, false, true, "", "25"},
      {"", false},
      {" \t ", false},
      {"-", false},
      {".", false},
      {"1 2", false},
      {"1.2.3", false},
      {"--1", false},
      {"1a", false},
      {"\v1", false},
  };
  for (const Case& c : cases) {
    NumberText n;
    ASSERT_EQ(ScanNumber(c.text, n), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(n.negative, c.negative) << c.text;
    EXPECT_EQ(n.point, c.point) << c.text;
    EXPECT_EQ(n.whole, c.whole) << c.text;
    EXPECT_EQ(n.fraction, c.fraction) << c.text;
  }
  NumberText n;
  ASSERT_TRUE(ScanNumber(" -3.5 ", n));
  EXPECT_DOUBLE_EQ(ValueOf(n), -3.5);
}

TEST(NumberText, ValueIsWhatStrtodGivesForShortAndLongNumbers) {
  for (const char* t : {"0", "-0", "007", "7.", "2019", "-32768", "999999999999999",
                        "1234567890123456", "99999999999999999999", "0.1", "-12.75"}) {
    NumberText n;
    ASSERT_TRUE(ScanNumber(t, n)) << t;
    const double v = ValueOf(n), want = std::strtod(t, nullptr);
    EXPECT_EQ(v, want) << t;
    EXPECT_EQ(std::signbit(v), std::signbit(want)) << t;
  }
}

}  // namespace
}  // namespace volq
