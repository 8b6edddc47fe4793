#pragma once
// A day as the race records hold it: the texts of its year, month and day.
// The race date of an EX record (EX 11:8), a birth date laid out alike, and
// the race dates of a jockey's rides are each read into one; the day and
// week spans between two of them are counted here, for the factor routines
// and the alternative ones alike.
#include <cstdint>
#include <string>
#include <string_view>

namespace volq {

struct RaceDay {
  // The texts as the record holds them, copied: the EX buffer may be read
  // again while a day is kept, and a text that is no date fails only where
  // a span is counted.
  std::string year, month, day;

  // From a year field and a month-day field ("0412").
  static RaceDay OfMonthDay(std::string_view year, std::string_view month_day) {
    return {std::string(year), std::string(month_day.substr(0, 2)),
            std::string(month_day.substr(2, 2))};
  }
  // "yyyymmdd", the texts side by side: how reports name a race's day.
  std::string Text() const { return year + month + day; }
  // The same as a number (20190512); a text that is no whole number raises
  // a conversion Failure.
  int32_t Number() const;
};

// Calendar days from a to b (b - a); a text that is no whole number, or no
// date of the years 100 to 9999, raises a conversion Failure.
int64_t DaysBetween(const RaceDay& a, const RaceDay& b);
// That count through its last four digits (DaysCut): spans of 0 to 9999
// days pass unchanged, -1 gives 9999.
int32_t DaySpan(const RaceDay& a, const RaceDay& b);
// Whole weeks of DaySpan(a, b), half a week rounded up.
int32_t Weeks(const RaceDay& a, const RaceDay& b);

}  // namespace volq
