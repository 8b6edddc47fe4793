#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "build/factors/factor_frame.h"
#include "platform/fs/file_failure.h"

namespace volq {

// Factors 11 to 20 (17 is a model factor).

std::string FactorFrame::Factor11Bataiju() {
  ReadEx(r);
  double kg = Value(Ex("body_weight"));
  int64_t n = kg == 0 ? 44 : Floor(kg / 8);
  if (n <= 51) n = 50;
  if (n > 70) n = 70;
  return Decimal(n);
}

std::string FactorFrame::Factor12AgeMonths() {
  ReadEx(r);
  int32_t d = DaySpan(BirthDate(), RaceDate());
  int64_t m = Floor(d / 30.0 + 0.5);
  int32_t t = Integer(TrackCode());
  int64_t low = (t < 0 || t > 29) ? 40 : 27;  // steeplechasers start older
  if (m < low) m = low;
  if (m > 90) m = 90;
  // Month by month up to 42, then one class per three months.
  if (m >= 43) m = Floor(m / 3.0) + 29;
  std::string_view sex = Ex("sex");
  std::string digit = sex == "1" ? "1" : sex == "2" ? "2" : "3";
  // Young geldings (and other sex codes) are too few to keep apart: 27 to
  // 33 months share the class of 34.
  if (digit == "3" && m >= 27 && m <= 33) return "334";
  return digit + LastChars(Decimal(m + 100), 2);
}

std::string FactorFrame::Factor13StallionLog() {
  ReadEx(r);
  const std::string* rec = LookupRecord(kStallionFile, kMareStallionLength, Sire());
  if (rec == nullptr) return "00";
  Integer(TrackCode());  // the same money sum for every course type, but a bad track code fails
  double v = Value(StallionField("flat_earnings").Of(*rec));
  if (v == 0) return "00";
  return Decimal(LogClass(v));
}

std::string FactorFrame::Factor14Interval() {
  ReadEx(r);
  std::string course(Venue());
  RaceDay now = RaceDate();
  int32_t w1 = 0, w2 = 0, w3 = 0;
  std::string previous_course;  // none for the first three runs
  if (r == 2) {
    ReadEx(1);
    w1 = Weeks(RaceDate(), now);
  } else if (r == 3) {
    ReadEx(2);
    RaceDay second = RaceDate();
    ReadEx(1);
    w1 = Weeks(second, now);
    w2 = Weeks(RaceDate(), second);
  } else if (r >= 4) {
    int32_t p = PreviousValidRun();
    if (p != r - 1) ReadEx(p);
    previous_course = std::string(Venue());
    RaceDay last = RaceDate();
    ReadEx(r - 2);
    RaceDay before = RaceDate();
    ReadEx(r - 3);
    RaceDay earlier = RaceDate();
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

std::string FactorFrame::Factor15PrevOddsLog() {
  ReadEx(r);
  if (r == 1) return "10";
  int32_t p = PreviousValidRun();
  if (p != r - 1) ReadEx(p);
  std::string_view odds = Ex("win_odds");  // tenths: "0035" is 3.5
  std::string code = "10";
  if (odds != "0000" && odds != "    ") code = Decimal(LogClass(Value(odds)));
  ReadEx(r);
  return code;
}

std::string FactorFrame::Factor16StallionValue() {
  ReadEx(r);
  std::string code = "10";
  if (const std::string* rec = LookupRecord(kStallionFile, kMareStallionLength, Sire())) {
    int32_t t = Integer(TrackCode());
    std::string_view going = Ex("turf_going");  // turf going; steeplechase uses it too
    // Top-3 rates of lines 8-11 (turf goings), 12-15 (dirt), 16-19 (steeplechase).
    Slice first = StallionField("line_top3_rate[15]");
    if (t >= 0 && t <= 22) {
      first = StallionField("line_top3_rate[7]");
    } else if (t >= 23 && t <= 49) {
      going = Ex("dirt_going");
      first = StallionField("line_top3_rate[11]");
    }
    // Going "0" takes the rate of "1"; "1" to "4" their own.
    int g = going == "0" ? 1 : (going >= "1" && going <= "4") ? going[0] - '0' : 0;
    if (g != 0) {
      code = Decimal(g) + Decimal(RateClass(Nth(first, g - 1).Of(*rec)));
    }
  }
  ReadEx(r);
  return code;
}

std::string FactorFrame::Factor18KishuAgeBand() {
  ReadEx(r);
  int64_t age =
      static_cast<int64_t>(Integer(RaceYear())) + 100 - Integer(Ex("jockey_birth_date.year"));
  std::string s = LastChars(Decimal(age), 2);
  // Bands by text order, as the age text compares: "3" falls between "26" and "30".
  std::string_view v = s;
  const char* band = (v >= "00" && v <= "20")   ? "20"
                     : (v >= "21" && v <= "25") ? "23"
                     : (v >= "26" && v <= "30") ? "28"
                     : (v >= "31" && v <= "35") ? "33"
                     : (v >= "36" && v <= "40") ? "38"
                                                : "43";
  return "0" + std::string(band) + std::string(Ex("apprentice"));
}

std::string FactorFrame::Factor19ChokyoSeiseki() {
  ReadEx(r);
  std::string code = "10";
  std::string_view trainer = Ex("trainer_code");
  if (trainer != "00000" && trainer != "     ") {
    if (const std::string* rec = LookupRecord(kTrainerTallyFile, kResultsTallyLength, trainer)) {
      int32_t t = Integer(TrackCode());
      code = "1" + Decimal(RateClass(CareerTop3Rate(t, 49).Of(*rec)));
    }
  }
  return std::floor(Value(code)) > 110 ? "110" : code;
}

std::string FactorFrame::Factor20StallionStat() {
  ReadEx(r);
  std::string code = "0";
  if (const std::string* rec = LookupRecord(kStallionFile, kMareStallionLength, Sire())) {
    int32_t t = Integer(TrackCode());
    bool flat = t >= 0 && t <= 29;
    double n =
        Value((flat ? StallionField("central_starts") : StallionField("jump_starts")).Of(*rec));
    double m = Value(
        (flat ? StallionField("flat_main_prize") : StallionField("jump_main_prize")).Of(*rec));
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
