#include "common/civil_date.h"

#include <gtest/gtest.h>

namespace volq {
namespace {

TEST(CivilDate, DayNumbersCountFrom1970AndReadBack) {
  struct {
    int y, m, d, days;
  } cases[] = {{1970, 1, 1, 0},     {1969, 12, 31, -1},  {2000, 2, 29, 11016},
               {2000, 3, 1, 11017}, {2018, 1, 1, 17532}, {100, 1, 1, -683003}};
  for (const auto& c : cases) {
    EXPECT_EQ(DaysFromCivil(c.y, c.m, c.d), c.days) << c.y << "/" << c.m << "/" << c.d;
    const Ymd back = CivilFromDays(c.days);
    EXPECT_EQ(back.y * 10000 + back.m * 100 + back.d, c.y * 10000 + c.m * 100 + c.d);
  }
  for (int day = -800000; day <= 3000000; day += 997) {
    const Ymd c = CivilFromDays(day);
    ASSERT_TRUE(IsCivilDate(c.y, c.m, c.d)) << day;
    ASSERT_EQ(DaysFromCivil(c.y, c.m, c.d), day);
  }
}

TEST(CivilDate, OnlyDaysOfTheCalendarAreDates) {
  EXPECT_TRUE(IsCivilDate(2020, 2, 29));
  EXPECT_TRUE(IsCivilDate(2000, 2, 29));
  EXPECT_TRUE(IsCivilDate(2019, 12, 31));
  for (auto [y, m, d] : {Ymd{2019, 2, 29}, Ymd{1900, 2, 29}, Ymd{2019, 4, 31}, Ymd{2019, 0, 1},
                         Ymd{2019, 13, 1}, Ymd{2019, 1, 0}}) {
    EXPECT_FALSE(IsCivilDate(y, m, d)) << y << "/" << m << "/" << d;
  }
}

}  // namespace
}  // namespace volq
