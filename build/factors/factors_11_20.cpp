#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "build/factors/form_categorysetup2024zz.h"
#include "platform/fs/failure.h"

namespace volq {

namespace {

// A race date (or a birth date laid out the same way) of the EX buffer:
// year, then month and day of the four-character month-day field.
struct ExDate {
  std::string year, month, day;
};
ExDate RaceDate(const FactorFrame& f) {
  return {std::string(f.Ex(11, 4)), std::string(f.Ex(15, 2)), std::string(f.Ex(17, 2))};
}
int32_t Weeks(const ExDate& a, const ExDate& b) {
  int64_t days = DaysBetween(a.year, a.month, a.day, b.year, b.month, b.day);
  return Floor<int32_t>(DaysCut(days) / 7.0 + 0.5);
}

constexpr const char* kStallionFile = "OPTION1N\\STALLION.dat";
constexpr int kStallionLength = 402;

}  // namespace

// Factors 11 to 20 (17 is a model factor).

std::string FormCATEGORYSETUP2024ZZ::Factor11Bataiju() {
  ReadEx(r);
  double kg = Value(Ex(671, 3));
  int64_t n = kg == 0 ? 44 : Floor(kg / 8);
  if (n <= 51) n = 50;
  if (n > 70) n = 70;
  return Decimal(n);
}

std::string FormCATEGORYSETUP2024ZZ::Factor12AgeMonths() {
  ReadEx(r);
  ExDate birth{std::string(Ex(196, 4)), std::string(Ex(200, 2)), std::string(Ex(202, 2))};
  ExDate race = RaceDate(*this);
  int32_t d =
      DaysCut(DaysBetween(birth.year, birth.month, birth.day, race.year, race.month, race.day));
  int64_t m = Floor(d / 30.0 + 0.5);
  int32_t t = Integer(Ex(775, 2));
  int64_t low = (t < 0 || t > 29) ? 40 : 27;  // steeplechasers start older
  if (m < low) m = low;
  if (m > 90) m = 90;
  // Month by month up to 42, then one class per three months.
  if (m >= 43) m = Floor(m / 3.0) + 29;
  std::string_view sex = Ex(529, 1);
  std::string digit = sex == "1" ? "1" : sex == "2" ? "2" : "3";
  // Young geldings (and other sex codes) are too few to keep apart: 27 to
  // 33 months share the class of 34.
  if (digit == "3" && m >= 27 && m <= 33) return "334";
  return digit + LastChars(Decimal(m + 100), 2);
}

std::string FormCATEGORYSETUP2024ZZ::Factor13StallionLog() {
  ReadEx(r);
  const std::string* rec = LookupRecord(kStallionFile, kStallionLength, Ex(252, 10));
  if (rec == nullptr) return "00";
  Integer(Ex(775, 2));  // the same money sum for every course type, but a bad track code fails
  double v = Value(std::string_view(*rec).substr(64, 9));
  if (v == 0) return "00";
  return Decimal(LogClass(v));
}

std::string FormCATEGORYSETUP2024ZZ::Factor14Interval() {
  ReadEx(r);
  std::string course(Ex(19, 2));
  ExDate now = RaceDate(*this);
  int32_t w1 = 0, w2 = 0, w3 = 0;
  std::string previous_course;  // none for the first three runs
  if (r == 2) {
    ReadEx(1);
    w1 = Weeks(RaceDate(*this), now);
  } else if (r == 3) {
    ReadEx(2);
    ExDate second = RaceDate(*this);
    ReadEx(1);
    w1 = Weeks(second, now);
    w2 = Weeks(RaceDate(*this), second);
  } else if (r >= 4) {
    int32_t p = PreviousValidRun();
    if (p != r - 1) ReadEx(p);
    previous_course = std::string(Ex(19, 2));
    ExDate last = RaceDate(*this);
    ReadEx(r - 2);
    ExDate before = RaceDate(*this);
    ReadEx(r - 3);
    ExDate earlier = RaceDate(*this);
    w1 = Weeks(last, now);
    w2 = Weeks(before, last);  // 0 when the last valid run is r-2 itself
    w3 = Weeks(earlier, before);
  }
  int32_t c = w1;
  if (c >= 79) {
    c = 78;
  } else if (c >= 52 && c <= 78) {
    c = 52;
  } else if (c >= 27 && c <= 51) {
    c = 27;
  }
  // A quick return after a long break gets a class of its own.
  bool quick = c >= 1 && c <= 3;
  auto break_class = [quick](int32_t weeks) {
    if (!quick || weeks == 0) return 0;
    return weeks >= 52 ? 2 : weeks >= 27 ? 1 : 0;
  };
  int32_t e = break_class(w2), g = break_class(w3);
  if (c >= 1 && c <= 3 && (e == 1 || e == 2)) c = 28 + 2 * (c - 1) + (e - 1);
  if (c >= 1 && c <= 3 && (g == 1 || g == 2)) c = 34 + 2 * (c - 1) + (g - 1);
  std::string flag = (r >= 4 && previous_course == course) ? "1" : "2";
  ReadEx(r);
  // A return within the week shares the text of two weeks.
  if (c == 0) return flag + "1020";
  return flag + LastChars(Decimal(static_cast<int64_t>(c) * 10 + 1000), 4);
}

std::string FormCATEGORYSETUP2024ZZ::Factor15PrevOddsLog() {
  ReadEx(r);
  if (r == 1) return "10";
  int32_t p = PreviousValidRun();
  if (p != r - 1) ReadEx(p);
  std::string_view odds = Ex(706, 4);  // tenths: "0035" is 3.5
  std::string code = "10";
  if (odds != "0000" && odds != "    ") code = Decimal(LogClass(Value(odds)));
  ReadEx(r);
  return code;
}

std::string FormCATEGORYSETUP2024ZZ::Factor16StallionValue() {
  ReadEx(r);
  std::string code = "10";
  if (const std::string* rec = LookupRecord(kStallionFile, kStallionLength, Ex(252, 10))) {
    int32_t t = Integer(Ex(775, 2));
    std::string_view going = Ex(958, 1);  // turf going; steeplechase uses it too
    int first = 172;
    if (t >= 0 && t <= 22) {
      first = 124;
    } else if (t >= 23 && t <= 49) {
      going = Ex(959, 1);
      first = 148;
    }
    // Going "0" takes the rate of "1"; "1" to "4" their own.
    int g = going == "0" ? 1 : (going >= "1" && going <= "4") ? going[0] - '0' : 0;
    if (g != 0) {
      code = Decimal(g) + Decimal(RateClass(std::string_view(*rec).substr(first + 6 * (g - 1), 6)));
    }
  }
  ReadEx(r);
  return code;
}

std::string FormCATEGORYSETUP2024ZZ::Factor18KishuAgeBand() {
  ReadEx(r);
  int64_t age = static_cast<int64_t>(Integer(Ex(11, 4))) + 100 - Integer(Ex(618, 4));
  std::string s = LastChars(Decimal(age), 2);
  // Bands by text order, as the age text compares: "3" falls between "26" and "30".
  std::string_view v = s;
  const char* band = (v >= "00" && v <= "20")   ? "20"
                     : (v >= "21" && v <= "25") ? "23"
                     : (v >= "26" && v <= "30") ? "28"
                     : (v >= "31" && v <= "35") ? "33"
                     : (v >= "36" && v <= "40") ? "38"
                                                : "43";
  return "0" + std::string(band) + std::string(Ex(669, 1));
}

std::string FormCATEGORYSETUP2024ZZ::Factor19ChokyoSeiseki() {
  ReadEx(r);
  std::string code = "10";
  std::string_view trainer = Ex(534, 5);
  if (trainer != "00000" && trainer != "     ") {
    if (const std::string* rec = LookupRecord("CHOKYOSEISEI.dat", 121, trainer)) {
      int32_t t = Integer(Ex(775, 2));
      int offset = (t >= 0 && t <= 22) ? 29 : (t >= 23 && t <= 49) ? 35 : 41;
      code = "1" + Decimal(RateClass(std::string_view(*rec).substr(offset, 6)));
    }
  }
  return std::floor(Value(code)) > 110 ? "110" : code;
}

std::string FormCATEGORYSETUP2024ZZ::Factor20StallionStat() {
  ReadEx(r);
  std::string code = "0";
  if (const std::string* rec = LookupRecord(kStallionFile, kStallionLength, Ex(252, 10))) {
    int32_t t = Integer(Ex(775, 2));
    bool flat = t >= 0 && t <= 29;
    double n = Value(std::string_view(*rec).substr(flat ? 34 : 40, 6));  // runs
    double m = Value(std::string_view(*rec).substr(flat ? 46 : 55, 9));  // money
    if (n != 0) {
      double q = m / n;
      if (q != 0) code = Decimal(LogClass(q));
    }
  }
  double c = std::floor(Value(code));
  if (c >= 1 && c <= 24) return "25";
  if (c > 46) return "46";
  return code;
}

}  // namespace volq
