#pragma once
// Calendar arithmetic on day numbers (days since 1970-01-01), integers only.
#include <cstdint>
#include <string>

namespace volq::gen {

inline int DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Ymd {
  int y, m, d;
};

inline Ymd CivilFromDays(int z) {
  z += 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const int doe = z - era * 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp + (mp < 10 ? 3 : -9);
  return {yoe + era * 400 + (m <= 2), m, d};
}

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
