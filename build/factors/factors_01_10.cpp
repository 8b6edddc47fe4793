#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "build/factors/factor_frame.h"
#include "platform/fs/file_failure.h"

namespace volq {

// Factors 1 to 10.

std::string FactorFrame::Factor01Year() {
  ReadEx(r);
  return std::string(RaceYear());
}

std::string FactorFrame::Factor02VenueTrack() {
  ReadEx(r);
  std::string_view course = Venue();
  std::string venue = "B";
  if (course == "10") {
    venue = "A";
  } else if (course[0] == '0' && course[1] >= '1' && course[1] <= '9') {
    venue = std::string(1, course[1]);
  }
  int32_t day = Integer(Ex("weekday"));
  std::string weekday = (day == 1 || day == 2) ? std::string(Ex("weekday")) : "3";
  int32_t t = Integer(TrackCode());
  std::string track(TrackCode());
  std::string bracket(Ex("bracket"));
  switch (t) {
    case 10:
      return venue + weekday + std::string(HorseNumber()) + track;
    case 11:
    case 12:
    case 17:
    case 18:
      return venue + weekday + bracket + track;
    // Codes 21 and 22 share the categories of 17 and 18.
    case 21:
      return venue + weekday + bracket + "17";
    case 22:
      return venue + weekday + bracket + "18";
    case 23:
    case 24:
    case 25:
    case 26:
    case 27:
    case 28:
    case 29:
      return venue + weekday + bracket;
    default:
      return venue + track + weekday;  // track before weekday here
  }
}

std::string FactorFrame::Factor03PrevRunChange() {
  ReadEx(r);
  if (r == 1) {
    // A first run: the youngest-age condition in place of grade and surface.
    return std::string(Ex("condition.age_condition[4]")) + "0" +
           (Value(Distance()) > 5000 ? "2" : "1");
  }
  int32_t p = PreviousValidRun();
  if (p != r - 1) ReadEx(p);
  std::string_view track = TrackCode();
  std::string surface = (track >= "00" && track <= "22")   ? "1"
                        : (track == "23" || track == "24") ? "2"
                                                           : "3";
  std::string_view kind = Ex("data_kind");
  if (kind == "A" || kind == "B") surface = std::string(kind);
  std::string grade(Ex("grade"));
  std::string before(Distance());
  ReadEx(r);
  std::string_view now = Distance();
  std::string distance = now == before ? "D" : Value(now) > Value(before) ? "2" : "1";
  std::string code = grade + surface + distance;
  // Rare combinations share one category.
  for (const char* rare : {"CBD", " 32", "A22", "B2D", "CB1"}) {
    if (code == rare) return "BAD";
  }
  return code;
}

std::string FactorFrame::Factor04Futan() {
  ReadEx(r);
  return std::string(Ex("weight"));
}

std::string FactorFrame::Factor05PrizeLog() {
  ReadEx(r);
  if (r == 1) return "00";
  // Prize money of every earlier entry, abnormal runs included, in 32 bits.
  int64_t s = 0;
  for (int32_t k = 1; k <= r - 1; ++k) {
    ReadEx(k);
    s += Integer(Ex("main_prize_won"));
    if (s > INT32_MAX || s < INT32_MIN) FailOverflow("prize money sum beyond 32 bits");
  }
  ReadEx(r);
  if (s == 0) return "00";
  int32_t c = LogClass(static_cast<double>(s));
  if (c == 0) return "00";
  if (c > 66) return "66";
  return Decimal(c);
}

std::string FactorFrame::Factor06RaceKigo() {
  ReadEx(r);
  std::string code(Ex({"condition.race_symbol", 0, 2}));
  int32_t t = Integer(TrackCode());
  if ((t == 23 || t == 24) && code == "N2") code = "N0";
  return code;
}

std::string FactorFrame::Factor07KishuSeiseki() {
  ReadEx(r);
  std::string code = "11";
  std::string_view jockey = JockeyCode();
  if (jockey != "00000" && jockey != "     ") {
    if (const std::string* rec = LookupRecord(kJockeyTallyFile, kResultsTallyLength, jockey)) {
      int32_t t = Integer(TrackCode());
      code = "1" + Decimal(RateClass(CareerTop3Rate(t, 29).Of(*rec)));
    }
  }
  double n = std::floor(Value(code));
  return (n >= 0 && n <= 19) ? code : "19";
}

std::string FactorFrame::Factor08KyosobaValue() {
  ReadEx(r);
  std::string code = "10";
  std::string_view horse = Pedigree();
  if (horse != "0000000000" && horse != "          ") {
    if (const std::string* rec = LookupRecord(kKyosobaFile, kKyosobaLength, horse)) {
      int32_t t = Integer(TrackCode());
      // Top-3 rate of the steeplechase line (line 7) or overall.
      const Slice rate =
          (t < 0 || t > 49) ? KyosobaField("line_top3_rate[6]") : KyosobaField("overall_top3_rate");
      code = Decimal(RateClass(rate.Of(*rec)));
    }
  }
  ReadEx(r);
  return code;
}

std::string FactorFrame::Factor09RaceCount() {
  ReadEx(r);
  if (r == 1) return "001";
  if (r <= 60) return Decimal(r + 999).substr(1);
  return "060";
}

std::string FactorFrame::Factor10FutanRatio() {
  ReadEx(r);
  double w = Value(Ex("weight"));       // tenths of a kilogram
  double b = Value(Ex("body_weight"));  // kilograms
  int64_t k = 100;
  if (w > 0 && b > 0) {
    k = Floor(w * 0.1 * 1000 / (b + w * 0.1) + 0.5);
    if (k < 96) k = 96;
    if (k > 114) k = 114;
  }
  k = 2 * Floor(k / 2.0);
  std::string_view sex = Ex("sex");
  if (sex != "1" && sex != "3") k += 200;
  if (k == 300) k = 100;
  return LastChars(Decimal(k + 1000), 3);
}

}  // namespace volq
