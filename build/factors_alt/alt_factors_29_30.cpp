// Alternatives of factors 29 and 30: the previous run's time difference,
// closing speed against pace and last lap against opening laps; the body
// weight change per day, birth month and sex, and the previous run's closing
// and opening sections against each other; a breeder class.
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

#include "build/factors/factor_frame.h"
#include "build/factors_alt/alternative_factors.h"
#include "build/factors_alt/code_text.h"
#include "platform/fs/file_failure.h"

namespace volq {
namespace {

// x to the nearest whole number, a half to the even neighbour, kept in 16
// bits as the codes were computed: beyond them the routine fails.
int32_t Nearest16(double x) { return Whole<int16_t>(std::nearbyint(x)); }

// Decimal text with the blank a non-negative number is written with (" 1108").
std::string SignedText(int64_t n) { return n >= 0 ? " " + Decimal(n) : Decimal(n); }

// Surface digit of a track code text: "1" turf from turf_from to "22", "2"
// dirt from "23" to dirt_to, "3" anything else. The versions differ in the
// bounds.
std::string SurfaceDigit(std::string_view track, std::string_view turf_from,
                         std::string_view dirt_to) {
  return InRange(track, turf_from, "22") ? "1" : InRange(track, "23", dirt_to) ? "2" : "3";
}

// Furlong lap k (1..25) of the record in the buffer.
std::string_view Lap(const FactorFrame& f, int k) {
  static constexpr Slice kFirst = LayoutField(kUmaExTable, "lap_time[0]");  // EX 960:3
  return f.Ex(Slice{kFirst.offset + kFirst.length * (k - 1), kFirst.length});
}

// The last lap before the first "000" lap against the opening laps (a base
// time scaled to the odd furlong of some distances), as the last four
// characters of the signed text of 1000 + 100 × last / base; "1100" when
// either is missing. On the record in the buffer.
std::string LapIndex(const FactorFrame& f) {
  std::string_view distance = f.Distance();
  int32_t l1 = Integer(Lap(f, 1)), l2 = Integer(Lap(f, 2));
  int32_t base = l1;
  if (distance == "1150") {
    base = Nearest16(l2 * 0.25 + l1);
  } else if (IsOneOf(distance, {"1300", "1500", "1700", "1900", "2100", "2300", "2500", "2700",
                                "2900", "3500"})) {
    base = Nearest16(l2 * 0.5 + l1);
  }
  if (base == 0) return "1100";
  int32_t last = 0;
  for (int k = 2; k <= 25; ++k) {
    if (Lap(f, k) == "000") {
      last = Integer(Lap(f, k - 1));
      break;
    }
  }
  if (last == 0) return "1100";
  const int16_t scaled = Whole<int16_t>(last * 100);
  return LastChars(SignedText(Nearest16(static_cast<double>(scaled) / base + 1000)), 4);
}

// The lap index of the previous run (read into the buffer), "1000" for a
// first run or a run without one; indexes of 1075 to 1090 count as 1090 and
// those from fast_from to 1150 as fast_from.
std::string PreviousLapIndex(FactorFrame& f, std::string_view fast_from) {
  std::string index = "1100";
  if (f.r > 1) {
    f.ReadEx(f.r - 1);
    index = LapIndex(f);
  }
  if (index == "1100") index = "1000";
  if (InRange(index, "1075", "1090")) {
    index = "1090";
  } else if (InRange(index, fast_from, "1150")) {
    index = std::string(fast_from);
  }
  return index;
}

// Codes of factor 30 whose ratio part is missing ("00") or whose previous run
// is missing ("0"): one code for them all.
std::string WithoutRatio(std::string code) {
  if (IsOneOf(code, {"1100", "1200", "1300", "2100", "2200", "2300", "3100", "3200", "3300", "3000",
                     "2000", "1000"})) {
    return "0000";
  }
  return code;
}

// A factor 30 code of two surface digits (the race's and the previous
// run's) and a two-digit ratio of the previous run's sections, "0" and "00"
// for a first run. Both functions work on the record in the buffer.
template <class Surface, class Ratio>
std::string SectionRatioCode(FactorFrame& f, Surface surface, Ratio ratio) {
  f.ReadEx(f.r);
  std::string code = surface();
  if (f.r == 1) return WithoutRatio(code + "000");
  f.ReadEx(f.r - 1);
  code += surface();
  code += ratio();
  f.ReadEx(f.r);
  return WithoutRatio(code);
}

bool NoSectionTime(std::string_view t) { return t == "999" || t == "000" || t == "   "; }

// Classes of the time difference to the winner (sign and tenths), tried in
// order; no time and anything else is class 16.
constexpr TextBand kTimeDiffClasses[] = {
    {"0000", "0000", "016"}, {"    ", "    ", "016"}, {"+999", "+999", "016"},
    {"-999", "-999", "016"}, {"9999", "9999", "016"}, {"-000", "-000", "001"},
    {"-001", "-001", "002"}, {"-002", "-002", "003"}, {"-003", "-004", "004"},
    {"-005", "-009", "005"}, {"-010", "-099", "006"}, {"+000", "+000", "007"},
    {"+001", "+001", "008"}, {"+002", "+002", "009"}, {"+003", "+003", "010"},
    {"+004", "+004", "011"}, {"+005", "+005", "012"}, {"+006", "+010", "013"},
    {"+011", "+020", "014"}, {"+021", "+099", "015"}};

}  // namespace

std::string AlternativeFactors::Factor29TimeDiffClass() {
  f.ReadEx(f.r);
  std::string cls = "016";
  if (f.r > 1) {
    f.ReadEx(f.r - 1);
    cls = std::string(BandOf(f.Ex("time_difference"), kTimeDiffClasses, "016"));
    f.ReadEx(f.r);
  }
  return "0" + cls;
}

// The earlier version computed exactly what the routine in use computes.
std::string AlternativeFactors::Factor29AgariDeviationOld() { return f.Factor29AgariDeviation(); }

std::string AlternativeFactors::Factor29AgariPaceRatio() {
  f.ReadEx(f.r);
  std::string code = "1100";
  if (f.r > 1) {
    f.ReadEx(f.r - 1);
    const std::string pace = f.PaceSpeed(), agari = f.AgariSpeed();
    auto missing = [](const std::string& s) {
      return IsOneOf(s, {"       ", "", "0000000", "0", "9999999", "0720720"}) || Number(s) == 0;
    };
    if (!missing(pace) && !missing(agari)) {
      code = LastChars(SignedText(Nearest16(Number(agari) * 100 / Number(pace) + 1000)), 4);
    }
    f.ReadEx(f.r);
  }
  if (code == "1100") code = "1000";
  if (code == "1400") code = "1000";
  return code;
}

std::string AlternativeFactors::Factor29DistanceTimeIndex() {
  f.ReadEx(f.r);
  const std::string track(f.TrackCode());
  const std::string index = PreviousLapIndex(f, "1110");
  // Final placing of the run in the buffer: the previous one, or for a first
  // run the race itself.
  const std::string placing(f.Ex("final_placing"));
  const bool placed = InRange(placing, "01", "10");
  std::string code;
  if (InRange(track, "00", "49")) {
    code = (placed ? placing : "00") + LastChars(index, 2);
  } else {
    code = placed ? placing + "00" : "0000";
  }
  f.ReadEx(f.r);
  return code;
}

std::string AlternativeFactors::Factor29DistanceTimeIndexB() {
  auto surface = [this] { return SurfaceDigit(f.TrackCode(), "00", "29"); };
  f.ReadEx(f.r);
  const std::string s = surface();
  std::string index = PreviousLapIndex(f, "1115");
  const std::string q = f.r > 1 ? surface() : "";
  f.ReadEx(f.r);
  if (f.RecordCount == 1) index = "111000";
  std::string code = s + q + index;
  if (IsOneOf(code, {"121000", "131000", "211000", "221000", "231000", "311000", "321000", "331000",
                     "31000", "21000", "11000"})) {
    code = "111000";
  }
  return code;
}

std::string AlternativeFactors::Factor30BataijuChangePerDay() {
  f.ReadEx(f.r);
  if (f.r <= 2) return "1250";
  f.ReadEx(f.r - 1);
  const RaceDay day1 = f.RaceDate();
  const std::string weight1(f.Ex("body_weight")), course1(f.Venue());
  f.ReadEx(f.r - 2);
  const RaceDay day2 = f.RaceDate();
  const std::string weight2(f.Ex("body_weight")), course2(f.Venue());
  int32_t days = DaySpan(day2, day1);
  std::string k = "50";
  if (Value(weight2) > 0 && Value(weight1) > 0 && days != 0) {
    // Three-digit weights: the tripled loss stays well inside 16 bits.
    int32_t loss3 = (Integer(weight2) - Integer(weight1)) * 3;
    k = Decimal(Floor(static_cast<double>(loss3) / days) + 50);
    // Text bands: a one-digit k from "5" up lies between "46" and "51".
    if (InRange(k, "00", "46")) {
      k = "47";
    } else if (!InRange(k, "46", "51")) {
      k = "52";
    }
  }
  f.ReadEx(f.r);
  return "1" + std::string(course2 == course1 ? "1" : "2") + k;
}

std::string AlternativeFactors::Factor30BirthMonthSex() {
  f.ReadEx(f.r);
  std::string_view month = f.Ex("birth_date.month");
  if (!InRange(month, "02", "06")) return "0100";
  std::string_view sex = f.Ex("sex");
  return std::string(month) + (sex == "1" || sex == "3" ? "10" : "20");
}

std::string AlternativeFactors::Factor30RatioPairCode() {
  return SectionRatioCode(
      f, [this] { return SurfaceDigit(f.TrackCode(), "10", "49"); },
      [this]() -> std::string {
        std::string_view first3 = f.Ex("race_first3f");
        if (NoSectionTime(first3)) return "00";
        // Last 3 furlongs of the horse against the race's first 3, in percent.
        int32_t v = Nearest16(Quotient(Number(f.Ex("last3f")) * 100, Number(first3)));
        return v <= 89 ? "90" : v >= 136 ? "36" : LastChars(SignedText(v), 2);
      });
}

std::string AlternativeFactors::Factor30PrevPaceRatio() {
  return SectionRatioCode(
      f,
      [this] {
        int32_t t = Integer(f.TrackCode());
        return t >= 0 && t <= 22 ? "1" : t >= 23 && t <= 49 ? "2" : "3";
      },
      [this]() -> std::string {
        // Tenths of a second; three- and four-digit fields stay inside 16 bits.
        std::string_view time = f.Ex("time");
        int32_t t = 600 * Integer(time.substr(0, 1)) + Integer(time.substr(1, 3));
        int32_t before_last3 = t - Integer(f.Ex("last3f"));
        // The winner's time less the race's first 3 furlongs.
        std::string_view diff = f.Ex("time_difference");
        int32_t middle = 0;
        if (diff[0] == '+') {
          middle = t - Integer(diff.substr(1, 3)) - Integer(f.Ex("race_first3f"));
        } else if (diff[0] == '-') {
          middle = t - Integer(f.Ex("race_first3f"));
        }
        if (NoSectionTime(f.Ex("race_first3f"))) return "00";
        int64_t x = middle != 0 ? Floor(static_cast<double>(before_last3) / middle * 100) : 100;
        return x < 85 ? "85" : x > 110 ? "10" : LastChars(SignedText(x), 2);
      });
}

std::string AlternativeFactors::Factor30BanusiBreeder() {
  std::string code = "0";
  f.ReadEx(f.r);
  // The breeder statistics are keyed by the first six characters of the
  // breeder code, but this version compares them with all eight, so no record
  // is ever taken and the code stays "0".
  std::string_view breeder = f.Ex("breeder_code");
  if (breeder != "         ") {
    for (const std::string& rec : f.RecordsOf(kBreederTallyFile, kSmallTallyLength)) {
      if (SmallTallyField("code").Of(rec) == breeder) {
        code = Decimal(RatePercent(SmallTallyField("top3_rate").Of(rec)));
        break;
      }
    }
  }
  int32_t c = Integer(code);
  if (c >= 0 && c <= 8) return "8";
  return c >= 9 && c <= 31 ? code : "32";
}

}  // namespace volq
