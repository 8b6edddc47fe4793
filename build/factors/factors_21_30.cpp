#include <cmath>
#include <string_view>

#include "build/factors/factor_frame.h"

namespace volq {

// Factors 21 to 30 (29 is a model factor). Each routine reads record r first;
// a failing conversion raises a Failure and the build keeps the old field.

namespace {

bool Between(std::string_view s, std::string_view lo, std::string_view hi) {
  return s >= lo && s <= hi;
}

// Class of the time difference s of a previous run (sign and three digits in
// tenths of a second); empty for the "+000" second place, which the caller
// codes with the margin instead.
std::string TimeDiffClass(std::string_view s) {
  if (s == "0000" || s == "    ") return "99";
  if (s == "+999" || s == "-999" || s == "9999") return "99";
  if (s == "-000") return "01";
  if (s == "-001") return "02";
  if (s == "-002") return "03";
  if (s == "-003" || s == "-004") return "04";
  if (Between(s, "-005", "-009")) return "05";
  if (Between(s, "-010", "-998")) return "06";
  if (s == "+000") return "";
  if (Between(s, "+001", "+028")) {
    std::string c = Decimal(Integer(s.substr(1)) + 7);
    return c.size() < 2 ? "0" + c : c;
  }
  if (s == "+029") return "36";
  if (Between(s, "+030", "+040") || Between(s, "+041", "+050")) {
    return Decimal(Integer(s.substr(2)) + 7);
  }
  return "99";
}

}  // namespace

std::string FactorFrame::Factor21GradeRaceNo() {
  ReadEx(r);
  int32_t t = Integer(TrackCode());
  if (t >= 0 && t <= 24) return std::string(Ex("race.race_number")) + std::string(Ex("grade"));
  return std::string(Ex("grade"));
}

std::string FactorFrame::Factor22DistanceCode() {
  ReadEx(r);
  int32_t t = Integer(TrackCode());
  if (t >= 0 && t <= 29) return std::string(Distance()) + std::string(Ex("course_division"));
  // Steeplechase: distance bands only.
  int32_t d = Integer(Distance());
  if (d >= 0 && d <= 2800) return "2800";
  if (d >= 2801 && d <= 2999) return "2900";
  if (d >= 3000 && d <= 3500) return "3500";
  return "4000";
}

std::string FactorFrame::Factor23StallionDistance() {
  ReadEx(r);
  std::string code = "10";
  if (const std::string* sire = LookupRecord(kStallionFile, kMareStallionLength, Sire())) {
    int32_t t = Integer(TrackCode());
    int band = 1;
    // Top-3 rate of line 7 (steeplechase: one rate, band 1), or of the
    // distance band's line among 20-22 (turf) and 23-25 (dirt).
    Slice rate = StallionField("line_top3_rate[6]");
    if (t >= 0 && t <= 49) {
      int32_t d = Integer(Distance());
      band = d >= 0 && d <= 1600 ? 1 : d >= 1601 && d <= 2200 ? 2 : 3;
      rate =
          Nth(t <= 22 ? StallionField("line_top3_rate[19]") : StallionField("line_top3_rate[22]"),
              band - 1);
    }
    code = Decimal(band) + Decimal(RateClass(rate.Of(*sire)));
  }
  // A zero rate is one class in every band; the top classes of a band merge.
  double x = std::floor(Value(code));
  if (x == 0 || x == 10 || x == 20 || x == 30) {
    code = "10";
  } else if (x >= 110 && x <= 130) {
    code = "19";
  } else if (x >= 210 && x <= 230) {
    code = "29";
  } else if (x >= 310 && x <= 330) {
    code = "39";
  }
  ReadEx(r);
  return code;
}

std::string FactorFrame::Factor24Umaban() {
  ReadEx(r);
  int32_t t = Integer(TrackCode());
  if (t >= 0 && t <= 24) return std::string(HorseNumber()) + "1";
  int32_t h = Integer(HorseNumber());
  if (h < 0 || h > 14) return "14";
  return std::string(HorseNumber());
}

std::string FactorFrame::Factor25UmaKigo() {
  ReadEx(r);
  if (Ex("horse_symbol") != "00") return std::string(Ex("horse_symbol"));
  return std::string(Ex("birth_date.month")) + "1";
}

std::string FactorFrame::Factor26PrevTimeDiff() {
  ReadEx(r);
  if (r == 1) return "0099";
  ReadEx(PreviousValidRun());
  const std::string s(Ex("time_difference"));
  std::string code = "00" + TimeDiffClass(s);
  if (s == "+000") {
    // Second at the winner's time: the margin tells how close it was.
    code = ArrivalOrder() == "02" ? "+" + std::string(Ex("margin[0]")) : "0007";
  }
  ReadEx(r);
  return code;
}

std::string FactorFrame::Factor27KaijiNichiji() {
  ReadEx(r);
  Integer(TrackCode());  // a non-numeric track code fails this factor too
  return std::string(Ex("race.meeting")) + std::string(Ex("race.day_number"));
}

std::string FactorFrame::Factor28CountBand() {
  ReadEx(r);
  const std::string n(Ex("registered"));
  if (Between(n, "00", "08")) return "08";
  if (Between(TrackCode(), "00", "29")) return n;
  return Between(n, "09", "14") ? n : "14";
}

std::string FactorFrame::Factor30KyosobaValue() {
  ReadEx(r);
  std::string code = "10";
  bool steeple = false;
  const std::string_view horse = Pedigree();
  if (horse != "0000000000" && horse != "          ") {
    if (const std::string* k = LookupRecord(kKyosobaFile, kKyosobaLength, horse)) {
      int32_t t = Integer(TrackCode());
      steeple = t < 0 || t > 49;
      double starts =
          Value((steeple ? KyosobaField("jump_starts") : KyosobaField("central_starts")).Of(*k));
      double prize = Value(
          (steeple ? KyosobaField("jump_main_prize") : KyosobaField("flat_main_prize")).Of(*k));
      code = "00";
      if (starts != 0) {
        double q = prize / starts;
        if (q != 0) {
          code = LastChars(Decimal(static_cast<int64_t>(LogClass(q)) + 100), 2);
        }
      }
    }
  }
  // No prize per start: the run number stands in, up to 19.
  if (code == "00") code = r < 20 ? Decimal(r) : "19";
  if (steeple) {
    int32_t x = Integer(code);
    if (x < 3) code = "19";
    if (x > 53) code = "53";
  }
  ReadEx(r);
  return code;
}

}  // namespace volq
