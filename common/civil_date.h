#pragma once
// Calendar arithmetic on day numbers (days since 1970-01-01) in the
// proleptic Gregorian calendar, integers only: race, birth and sale dates
// compared as day counts.
namespace volq {

struct Ymd {
  int y, m, d;
};

inline bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// True when m/d is a day of year y.
inline bool IsCivilDate(int y, int m, int d) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m >= 1 && m <= 12 && d >= 1 && d <= kDays[m - 1] + (m == 2 && IsLeapYear(y) ? 1 : 0);
}

inline int DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

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

}  // namespace volq
