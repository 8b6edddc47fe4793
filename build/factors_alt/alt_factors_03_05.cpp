#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "build/factors_alt/alternative_factors.h"
#include "build/factors_alt/code_text.h"
#include "common/data_dir_catalogue.h"
#include "platform/fs/file_failure.h"

namespace volq {

namespace {

using Text = std::string_view;

// "1" turf (track codes 10 to 22), "2" dirt (23 to 29), "3" for everything
// else: steeplechases, the codes below 10 and blanks.
std::string CourseDigit(const FactorFrame& f) {
  Text t = f.TrackCode();
  if (InRange(t, "10", "22")) return "1";
  if (InRange(t, "23", "29")) return "2";
  return "3";
}

// "1" for a firm going of the record's surface, "2" otherwise: turf going
// "1" on turf and steeplechase, dirt going "1" to "3" on dirt.
std::string GoingClass(const FactorFrame& f, std::string_view course_digit) {
  if (course_digit == "2") {
    Text g = f.Ex("dirt_going");
    return g == "1" || g == "2" || g == "3" ? "1" : "2";
  }
  return f.Ex("turf_going") == "1" ? "1" : "2";
}

// "1" when the distances are the same text or the run before was shorter,
// "2" when it was longer.
std::string DistanceChange(Text before, Text now) {
  if (before == now) return "1";
  return Integer(before) - Integer(now) > 0 ? "2" : "1";
}

// A time of the run before in tenths of a second; "000", "999" and blanks
// mean no time.
float RunTime(Text t) {
  if (t == "000" || t == "999" || t == "   ") return 0.0f;
  return static_cast<float>(Value(t));
}

// How a time stood to the race's: "0" well under, "2" level, "4" well over.
std::string RatioClass(float a, float b) {
  float q = a == 0.0f || b == 0.0f ? 1.0f : a / b;
  if (q > 1.03f) return "4";
  if (q >= 1.003f) return "3";
  if (q >= 0.997f) return "2";
  if (q >= 0.97f) return "1";
  return "0";
}

bool NoDistance(Text d) { return d == "0000" || d == "9999" || d == "    "; }

}  // namespace

std::string AlternativeFactors::Factor03original() {
  f.ReadEx(f.r);
  std::string s = CourseDigit(f);
  if (f.r == 1) return s + "0000000";
  std::string d1(f.Distance());
  f.ReadEx(f.r - 1);
  auto position = [](Text p) -> std::string {
    if (p == "00") return "0";
    return InRange(p, "01", "03") ? "1" : "2";
  };
  std::string corners = position(f.Ex("corner_position[0]")) +
                        position(f.Ex("corner_position[1]")) +
                        position(f.Ex("corner_position[2]")) + position(f.Ex("corner_position[3]"));
  std::string arrival = position(f.ArrivalOrder());
  std::string p = CourseDigit(f);
  std::string change = DistanceChange(f.Distance(), d1);
  f.ReadEx(f.r);
  if (arrival == "0" || corners == "0000") return s + "0000000";
  return Join({s, p, change, corners, arrival});
}

std::string AlternativeFactors::Factor03Agari() {
  f.ReadEx(f.r);
  std::string s = CourseDigit(f);
  std::string gr = GoingClass(f, s);
  if (f.r == 1) return Join({s, s, "1", "0", "1", "2", "2", "2"});
  std::string d1(f.Distance());
  f.ReadEx(f.r - 1);
  std::string p = CourseDigit(f);
  std::string gp = GoingClass(f, p);
  std::string placed = InRange(f.ArrivalOrder(), "01", "03") ? "1" : "2";
  float a = RunTime(f.Ex("last3f"));
  // On track codes 49 to 59 the horse's closing time covers 200 m, a third
  // of the race's last three furlongs.
  if (InRange(f.TrackCode(), "49", "59")) a *= 3.0f;
  float b = RunTime(f.Ex("race_last3f"));
  float c = RunTime(f.Ex("race_first4f"));
  float e = RunTime(f.Ex("race_last4f"));
  std::string going_change = gp != gr ? "1" : "0";
  std::string change = DistanceChange(f.Distance(), d1);
  f.ReadEx(f.r);
  return Join({s, p, change, going_change, gp, RatioClass(a, b), RatioClass(c, e), placed});
}

std::string AlternativeFactors::Factor03CornerOrder() {
  f.ReadEx(f.r);
  std::string s = CourseDigit(f);
  std::string gr = GoingClass(f, s);
  if (f.r == 1) return s + "00000000";
  std::string d1(f.Distance());
  f.ReadEx(f.r - 1);
  std::string grade(f.Ex("grade"));
  std::string p = CourseDigit(f);
  std::string gp = GoingClass(f, p);
  // Data kinds A and B carry the final placing instead of the arrival order.
  Text kind = f.Ex("data_kind");
  Text placing = f.ArrivalOrder();
  if (kind == "A" || kind == "B") {
    p = std::string(kind);
    placing = f.Ex("final_placing");
  }
  auto no_position = [](Text t) { return t == "00" || t == "99" || t == "  "; };
  std::string placing_class = no_position(placing)           ? "3"
                              : InRange(placing, "01", "03") ? "1"
                              : InRange(placing, "04", "06") ? "2"
                                                             : "3";
  auto corner = [&](Text t) -> std::string {
    if (no_position(t)) return "2";
    return InRange(t, "01", "05") ? "1" : "2";
  };
  std::string corner3 = corner(f.Ex("corner_position[2]"));
  std::string corner4 = corner(f.Ex("corner_position[3]"));
  std::string going_change = gp != gr ? "2" : "1";
  Text d0 = f.Distance();
  std::string change = NoDistance(d0) || NoDistance(d1) ? "0"
                       : Integer(d0) - Integer(d1) <= 0 ? "1"
                                                        : "2";
  f.ReadEx(f.r);
  return Join({s, p, grade, change, going_change, gp, corner3, corner4, placing_class});
}

std::string AlternativeFactors::Factor04SexFutanCode() {
  f.ReadEx(f.r);
  Text sex = f.Ex("sex");
  // Fillies and mares are set apart by 300 on the weight carried.
  std::string weight = sex != "1" && sex != "3" ? Decimal(int64_t{Integer(f.Ex("weight"))} + 300)
                                                : std::string(f.Ex("weight"));
  if (weight == "860" || weight == "865") weight = "560";
  weight += "0";
  // Weights few horses carry join their neighbours.
  static const std::pair<Text, Text> kMerged[] = {
      {"5850", "5800"}, {"5900", "5800"}, {"5950", "5800"}, {"6000", "5800"}, {"6050", "5800"},
      {"6100", "5800"}, {"6150", "5800"}, {"6200", "5800"}, {"6250", "5800"}, {"6300", "5800"},
      {"6350", "5800"}, {"6400", "5800"}, {"6500", "5800"}, {"6600", "5800"}, {"5750", "5700"},
      {"5650", "5600"}, {"5550", "5500"}, {"4800", "5000"}, {"4900", "5000"}, {"5100", "5000"},
      {"5150", "5200"}, {"5250", "5300"}, {"8550", "8500"}, {"8650", "8500"}, {"8700", "8500"},
      {"8750", "8500"}, {"8800", "8500"}, {"8850", "8500"}, {"8900", "8500"}, {"9000", "8500"},
      {"9100", "8500"}, {"9150", "8500"}, {"9200", "8500"}, {"9250", "8500"}, {"8350", "8300"},
      {"8150", "8200"}, {"8050", "8000"}, {"7900", "7800"}};
  for (const auto& [from, to] : kMerged) {
    if (weight == from) return std::string(to);
  }
  return weight;
}

std::string AlternativeFactors::Factor05PrizeAverage() {
  f.ReadEx(f.r);
  std::string code = "00000";
  if (f.r > 1) {
    int32_t n = f.r - 1;
    int32_t s = 0;
    for (int32_t k = 1; k <= n; ++k) {
      f.ReadEx(k);
      int64_t sum = int64_t{s} + Integer(f.Ex("main_prize_won"));
      if (sum > INT32_MAX || sum < INT32_MIN) FailOverflow("prize money sum beyond 32 bits");
      s = static_cast<int32_t>(sum);
    }
    if (s != 0) {
      int32_t c = std::clamp(LogClass(static_cast<double>(s) / n), 25, 50);
      code = LastChars(Decimal(c + 100000), 5);
    } else {
      code = n <= 2 ? "00000" : n == 3 ? "00003" : n == 4 ? "00004" : "00005";
    }
  }
  f.ReadEx(f.r);
  int32_t t = Integer(f.TrackCode());
  if (t < 0 || t > 29) {
    if (code == "00050") code = "00049";
    return code;
  }
  int32_t k = Integer(code);
  if (k >= 25 && k <= 30) return "00030";
  if (k == 47) return "00048";
  if (k == 49) return "00050";
  return code;
}

std::string AlternativeFactors::Factor05HahaUma() {
  f.ReadEx(f.r);
  std::string code = "10";
  Text dam = f.Ex("pedigree[1].breeding_number");
  if (dam != "0000000000" && dam != "          ") {
    if (const std::string* rec = f.LookupRecord(kDamHorseFile, kMareStallionLength, dam)) {
      int32_t t = Integer(f.TrackCode());
      // Central top-3 rate on the flat, that of line 7 over fences.
      Text rate = (t >= 0 && t <= 49 ? StallionField("central_top3_rate")
                                     : StallionField("line_top3_rate[6]"))
                      .Of(*rec);
      code = "1" + Decimal(RateClass(rate));
    }
  }
  double x = std::floor(Value(code));
  if (x == 0 || x == 10 || x == 20 || x == 30)
    code = "10";
  else if (x >= 110 && x <= 130)
    code = "19";
  else if (x >= 210 && x <= 230)
    code = "29";
  else if (x >= 310 && x <= 330)
    code = "39";
  f.ReadEx(f.r);
  return code;
}

std::string AlternativeFactors::Factor05Kyosoba() {
  f.ReadEx(f.r);
  Text horse = f.Pedigree();
  if (horse == "0000000000" || horse == "          ") return "10";
  const std::string* rec = f.LookupRecord(kKyosobaFile, kKyosobaLength, horse);
  if (rec == nullptr) return "10";
  Text k(*rec);
  int32_t t = Integer(f.TrackCode());
  bool steeple = t < 0 || t > 49;
  double count =
      Value((steeple ? KyosobaField("jump_starts") : KyosobaField("central_starts")).Of(k));
  double money =
      Value((steeple ? KyosobaField("jump_main_prize") : KyosobaField("flat_main_prize")).Of(k));
  if (count == 0 || money == 0) return "00";
  return LastChars(Decimal(LogClass(money) + 100), 2);
}

}  // namespace volq
