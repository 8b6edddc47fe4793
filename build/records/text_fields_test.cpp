#include "build/records/text_fields.h"

#include <gtest/gtest.h>

namespace volq {
namespace {

TEST(TextFields, Rates) {
  const struct {
    int64_t p, t;
    const char* text;
  } cases[] = {
      {1, 4, "025000"},  {1, 3, "033333"},  {2, 3, "066666"},    {3, 10, "030000"},
      {7, 10, "069999"}, {9, 10, "089999"}, {29, 100, "028999"}, {1, 7, "014285"},
      {5, 5, "100000"},  {0, 7, "000000"},  {3, 0, "000000"},    {0, 0, "000000"},
  };
  for (const auto& c : cases) {
    bool clamped = false;
    EXPECT_EQ(RateField6(c.p, c.t, &clamped), c.text) << c.p << "/" << c.t;
    EXPECT_FALSE(clamped);
  }
}

TEST(TextFields, CountsAndMoney) {
  EXPECT_EQ(CountField6(0), "000000");
  EXPECT_EQ(CountField6(123), "000123");
  EXPECT_EQ(CountField6(999999), "999999");
  EXPECT_EQ(MoneyField9(0), "000000000");
  EXPECT_EQ(MoneyField9(4567890), "004567890");
  EXPECT_EQ(MoneyField9(999999999), "999999999");
}

TEST(TextFields, BeyondTheirRangesHoldAtTheEndAndSaySo) {
  const struct {
    std::string text;
    std::string expected;
    bool clamped;
  } cases[] = {
      {RateField6(11, 10, nullptr), "100000", true},
      {RateField6(-1, 10, nullptr), "000000", true},
      {CountField6(1000000, nullptr), "999999", true},
      {CountField6(-2, nullptr), "000000", true},
      {MoneyField9(1000000000, nullptr), "999999999", true},
      {MoneyField9(5000000000LL, nullptr), "999999999", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, c.expected);
  bool clamped = false;
  MoneyField9(1147483648LL, &clamped);
  EXPECT_TRUE(clamped);
}

}  // namespace
}  // namespace volq
