#include "build/factors/race_day.h"

#include "build/factors/factor_frame.h"
#include "common/civil_date.h"
#include "platform/fs/file_failure.h"

namespace volq {

namespace {

// The day number of a day; a text that is no whole number or no date of
// years 100..9999 fails.
int64_t DayNumber(const RaceDay& d) {
  const int32_t y = Integer(d.year), m = Integer(d.month), day = Integer(d.day);
  if (y < 100 || y > 9999 || !IsCivilDate(y, m, day)) {
    FailConversion("not a date: " + d.year + "/" + d.month + "/" + d.day);
  }
  return DaysFromCivil(y, m, day);
}

}  // namespace

int32_t RaceDay::Number() const { return Integer(Text()); }

int64_t DaysBetween(const RaceDay& a, const RaceDay& b) { return DayNumber(b) - DayNumber(a); }

int32_t DaySpan(const RaceDay& a, const RaceDay& b) { return DaysCut(DaysBetween(a, b)); }

int32_t Weeks(const RaceDay& a, const RaceDay& b) {
  return Floor<int32_t>(DaySpan(a, b) / 7.0 + 0.5);
}

}  // namespace volq
