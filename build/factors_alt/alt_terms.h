#pragma once
// Terms shared by the alternative routines of factors 15 to 22: text ranges,
// cut texts, the day span between two race dates, and the jockey's own
// race-entry file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/fs/data_dir.h"
#include "platform/fs/record_file.h"

namespace volq {

// t between lo and hi as texts, both ends included (byte order: "5" lies
// between "46" and "51", a blank below "00").
inline bool InTextRange(std::string_view t, std::string_view lo, std::string_view hi) {
  return lo <= t && t <= hi;
}
// The last n characters of t, or all of t when it is shorter.
std::string LastChars(std::string_view t, size_t n);
// Band of a rate digit: "1" for "0" and "1", "2" for "2" and "3", else "3".
inline const char* DigitBand(std::string_view digit) {
  return digit == "0" || digit == "1" ? "1" : digit == "2" || digit == "3" ? "2" : "3";
}
// Calendar days from date a to date b, each a race year and a month-day
// ("0412"), as the last four digits of the count plus 10000: spans of 0 to
// 9999 days pass unchanged, -1 gives 9999. A non-date raises a Failure.
int32_t DaySpan(std::string_view year_a, std::string_view month_day_a, std::string_view year_b,
                std::string_view month_day_b);

// 555-byte race entries of a jockey's history file.
inline constexpr int kRaceEntryLength = 555;
// The jockey's history file KISHUGOTOSETUP\<jockey code>.dat, created empty
// when missing; a code that is no plain file name raises a file Failure.
std::unique_ptr<RecordReader> OpenJockeyHistory(DataDir& dir, std::string_view jockey_code);

}  // namespace volq
