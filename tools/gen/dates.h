#pragma once
// Calendar helpers of the generator on day numbers (days since 1970-01-01);
// the arithmetic itself is common/civil_date.h.
#include <string>

#include "common/civil_date.h"

namespace volq::gen {

// 0 = Sunday ... 6 = Saturday.
inline int WeekdayOf(int day) { return ((day % 7) + 11) % 7; }

inline int YearOf(int day) { return CivilFromDays(day).y; }

// YYYYMMDD as text.
inline std::string DateText(int day) {
  Ymd c = CivilFromDays(day);
  char buf[16];
  buf[0] = static_cast<char>('0' + c.y / 1000 % 10);
  buf[1] = static_cast<char>('0' + c.y / 100 % 10);
  buf[2] = static_cast<char>('0' + c.y / 10 % 10);
  buf[3] = static_cast<char>('0' + c.y % 10);
  buf[4] = static_cast<char>('0' + c.m / 10);
  buf[5] = static_cast<char>('0' + c.m % 10);
  buf[6] = static_cast<char>('0' + c.d / 10);
  buf[7] = static_cast<char>('0' + c.d % 10);
  return std::string(buf, 8);
}

}  // namespace volq::gen
