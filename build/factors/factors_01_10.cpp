#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "build/factors/form_categorysetup2024zz.h"
#include "platform/fs/failure.h"

namespace volq {

// Factors 1 to 10.

std::string FormCATEGORYSETUP2024ZZ::Factor01Year() {
  ReadEx(r);
  return std::string(Ex(11, 4));
}

std::string FormCATEGORYSETUP2024ZZ::Factor02VenueTrack() {
  ReadEx(r);
  std::string_view course = Ex(19, 2);
  std::string venue = "B";
  if (course == "10") {
    venue = "A";
  } else if (course[0] == '0' && course[1] >= '1' && course[1] <= '9') {
    venue = std::string(1, course[1]);
  }
  int32_t day = Integer(Ex(42, 1));
  std::string weekday = (day == 1 || day == 2) ? std::string(Ex(42, 1)) : "3";
  int32_t t = Integer(Ex(775, 2));
  std::string track(Ex(775, 2));
  std::string bracket(Ex(27, 1));
  switch (t) {
    case 10:
      return venue + weekday + std::string(Ex(28, 2)) + track;
    case 11: case 12: case 17: case 18:
      return venue + weekday + bracket + track;
    // Codes 21 and 22 share the categories of 17 and 18.
    case 21:
      return venue + weekday + bracket + "17";
    case 22:
      return venue + weekday + bracket + "18";
    case 23: case 24: case 25: case 26: case 27: case 28: case 29:
      return venue + weekday + bracket;
    default:
      return venue + track + weekday;  // track before weekday here
  }
}

std::string FormCATEGORYSETUP2024ZZ::Factor03PrevRunChange() {
  ReadEx(r);
  if (r == 1) {
    // A first run: the youngest-age condition in place of grade and surface.
    return std::string(Ex(764, 3)) + "0" + (Value(Ex(767, 4)) > 5000 ? "2" : "1");
  }
  int32_t p = PreviousValidRun();
  if (p != r - 1) ReadEx(p);
  std::string_view track = Ex(775, 2);
  std::string surface = (track >= "00" && track <= "22") ? "1"
                        : (track == "23" || track == "24") ? "2"
                                                           : "3";
  std::string_view kind = Ex(2, 1);
  if (kind == "A" || kind == "B") surface = std::string(kind);
  std::string grade(Ex(744, 1));
  std::string before(Ex(767, 4));
  ReadEx(r);
  std::string_view now = Ex(767, 4);
  std::string distance = now == before ? "D" : Value(now) > Value(before) ? "2" : "1";
  std::string code = grade + surface + distance;
  // Rare combinations share one category.
  for (const char* rare : {"CBD", " 32", "A22", "B2D", "CB1"}) {
    if (code == rare) return "BAD";
  }
  return code;
}

std::string FormCATEGORYSETUP2024ZZ::Factor04Futan() {
  ReadEx(r);
  return std::string(Ex(605, 3));
}

std::string FormCATEGORYSETUP2024ZZ::Factor05PrizeLog() {
  ReadEx(r);
  if (r == 1) return "00";
  // Prize money of every earlier entry, abnormal runs included, in 32 bits.
  int64_t s = 0;
  for (int32_t k = 1; k <= r - 1; ++k) {
    ReadEx(k);
    s += Integer(Ex(712, 8));
    if (s > INT32_MAX || s < INT32_MIN) FailOverflow("prize money sum beyond 32 bits");
  }
  ReadEx(r);
  if (s == 0) return "00";
  int32_t c = LogClass(static_cast<double>(s));
  if (c == 0) return "00";
  if (c > 66) return "66";
  return Decimal(c);
}

std::string FormCATEGORYSETUP2024ZZ::Factor06RaceKigo() {
  ReadEx(r);
  std::string code(Ex(748, 2));
  int32_t t = Integer(Ex(775, 2));
  if ((t == 23 || t == 24) && code == "N2") code = "N0";
  return code;
}

std::string FormCATEGORYSETUP2024ZZ::Factor07KishuSeiseki() {
  ReadEx(r);
  std::string code = "11";
  std::string_view jockey = Ex(613, 5);
  if (jockey != "00000" && jockey != "     ") {
    if (const std::string* rec = LookupRecord("KISHUSEISEI.dat", 121, jockey)) {
      int32_t t = Integer(Ex(775, 2));
      int offset = (t >= 0 && t <= 22) ? 29 : (t >= 23 && t <= 29) ? 35 : 41;
      code = "1" + Decimal(RateClass(std::string_view(*rec).substr(offset, 6)));
    }
  }
  double n = std::floor(Value(code));
  return (n >= 0 && n <= 19) ? code : "19";
}

std::string FormCATEGORYSETUP2024ZZ::Factor08KyosobaValue() {
  ReadEx(r);
  std::string code = "10";
  std::string_view horse = Ex(30, 10);
  if (horse != "0000000000" && horse != "          ") {
    if (const std::string* rec = LookupRecord("OPTION1N\\KYOSOBA.dat", 228, horse)) {
      int32_t t = Integer(Ex(775, 2));
      int offset = (t < 0 || t > 49) ? 106 : 10;  // steeplechase line or overall
      code = Decimal(RateClass(std::string_view(*rec).substr(offset, 6)));
    }
  }
  ReadEx(r);
  return code;
}

std::string FormCATEGORYSETUP2024ZZ::Factor09RaceCount() {
  ReadEx(r);
  if (r == 1) return "001";
  if (r <= 60) return Decimal(r + 999).substr(1);
  return "060";
}

std::string FormCATEGORYSETUP2024ZZ::Factor10FutanRatio() {
  ReadEx(r);
  double w = Value(Ex(605, 3));  // tenths of a kilogram
  double b = Value(Ex(671, 3));  // kilograms
  int64_t k = 100;
  if (w > 0 && b > 0) {
    k = Floor(w * 0.1 * 1000 / (b + w * 0.1) + 0.5);
    if (k < 96) k = 96;
    if (k > 114) k = 114;
  }
  k = 2 * Floor(k / 2.0);
  std::string_view sex = Ex(529, 1);
  if (sex != "1" && sex != "3") k += 200;
  if (k == 300) k = 100;
  return LastChars(Decimal(k + 1000), 3);
}

}  // namespace volq
