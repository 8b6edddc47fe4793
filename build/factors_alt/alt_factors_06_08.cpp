// Other codes for factors 6 (the jockey), 7 (the run before) and 8 (going,
// distance and course type records of the sire or the horse).
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

#include "build/factors_alt/alternative_factors.h"
#include "build/factors_alt/code_text.h"
#include "common/data_dir_catalogue.h"
#include "common/derived_layout.h"
#include "platform/fs/file_failure.h"

namespace volq {

namespace {

// Rows of JockeyResultCounts searched for a jockey; row 0 when none holds him.
constexpr int kCountRowsSearched = 1500;

// Races of these years set the flag of Factor06KishuYear.
constexpr std::string_view kFlaggedYears[] = {"2000", "2001", "2002", "2003", "2004",
                                              "2005", "2006", "2007", "2008"};

// Racecourse codes of the DONICHI rates, racecourse v at index v - 1.
constexpr std::string_view kRacecourses[] = {"01", "02", "03", "04", "05",
                                             "06", "07", "08", "09", "10"};

// Jump races: track codes below 0 or above 49.
bool Steeple(int32_t t) { return t < 0 || t > 49; }

// 0 turf (0 to 22), 1 dirt (23 to 49), 2 steeplechase.
int CourseOf(int32_t t) {
  if (t >= 0 && t <= 22) return 0;
  if (t >= 23 && t <= 49) return 1;
  return 2;
}

// The two-character text of a rate class k: 5 gives "05".
std::string RateText(int64_t k) { return LastChars(Decimal(k + 1000), 2); }

// The class of a rate k of s in n, 0 to 20 in twentyfifths; 0 without runs.
int64_t RateClass(int64_t s, int64_t n) {
  if (n == 0) return 0;
  int64_t k = Whole<int64_t>(std::nearbyint(static_cast<double>(25 * s) / static_cast<double>(n)));
  return k > 20 ? 20 : k;
}

// The rate text of a statistics record's field over `per`: 1000 gives whole
// percent, 4000 twentyfifths.
std::string RateAt(const std::string& rec, Slice field, double per) {
  return Decimal(Floor(Value(field.Of(rec)) / per));
}

// Step 0 to 3 of a going character ("0" and "1" both firm), -1 for any other.
int GoingStep(std::string_view going) {
  if (going == "0" || going == "1") return 0;
  if (going == "2") return 1;
  if (going == "3") return 2;
  if (going == "4") return 3;
  return -1;
}

std::string GoingDigit(int step) { return std::string(1, static_cast<char>('1' + step)); }

// Weather "1" to "4" as it stands, any other weather "4".
std::string Weather(std::string_view weather) {
  return weather >= "1" && weather <= "4" ? std::string(weather) : std::string("4");
}

// A finishing or corner position in classes 1 to 7.
std::string PositionClass(std::string_view p) {
  if (p == "00" || p == "99" || p == "  ") return "7";
  for (std::string_view top : {"01", "02", "03", "04", "05"}) {
    if (p == top) return std::string(1, p[1]);
  }
  if (p >= "06" && p <= "08") return "6";
  return "7";
}

// Jockey result counts are summed in 16 bits.
int16_t Add16(int32_t a, int32_t b) { return Whole<int16_t>(a + b); }

int16_t SumColumns(const std::array<int16_t, 43>& row, int16_t start,
                   std::initializer_list<int> cols) {
  int16_t s = start;
  for (int c : cols) s = Add16(s, row[static_cast<size_t>(c)]);
  return s;
}

// Top-three rate texts of the horse's earlier runs by course type, and the
// track code of record r. Leaves record r in the buffer.
struct SurfaceRates {
  std::string text[3] = {"00", "00", "00"};
  int32_t t = 0;
};

SurfaceRates EarlierSurfaceRates(FactorFrame& f) {
  auto placed = [&f] {
    std::string_view a = f.ArrivalOrder();
    return a == "01" || a == "02" || a == "03";
  };
  SurfaceRates out;
  f.ReadEx(f.r);
  if (f.r > 1) {
    int64_t runs[3] = {0, 0, 0}, top3[3] = {0, 0, 0};
    for (int32_t k = 1; k <= f.r - 1; ++k) {
      f.ReadEx(k);
      int c = CourseOf(Integer(f.TrackCode()));
      ++runs[c];
      if (placed()) ++top3[c];
    }
    for (int c = 0; c < 3; ++c) out.text[c] = RateText(RateClass(top3[c], runs[c]));
  } else {
    // The first run counts itself.
    out.text[CourseOf(Integer(f.TrackCode()))] = placed() ? "20" : "00";
  }
  f.ReadEx(f.r);
  if (f.RecordCount == 1) out.text[0] = out.text[1] = out.text[2] = "00";
  out.t = Integer(f.TrackCode());
  return out;
}

// "11" for a jump race, "10" otherwise: the code of a horse without a
// pedigree number.
std::string NoHorseCode(FactorFrame& f) { return Steeple(Integer(f.TrackCode())) ? "11" : "10"; }

}  // namespace

std::string AlternativeFactors::Factor06KishuCountTable() {
  f.ReadEx(f.r);
  int32_t t = Integer(f.TrackCode());
  int16_t j = Whole<int16_t>(Integer(f.JockeyCode()));
  size_t row = 0;
  for (size_t i = 1; i <= kCountRowsSearched; ++i) {
    if (JockeyResultCounts[i][0] == j) {
      row = i;
      break;
    }
  }
  const auto& c = JockeyResultCounts[row];
  int16_t s, n;
  if (t >= 0 && t <= 22) {
    s = SumColumns(c, 0, {1, 2, 3, 13, 14, 15});
    n = SumColumns(c, s, {4, 5, 6, 16, 17, 18});
  } else if (t >= 23 && t <= 49) {
    s = SumColumns(c, 0, {7, 8, 9, 19, 20, 21});
    n = SumColumns(c, s, {10, 11, 12, 22, 23, 24});
  } else {
    s = SumColumns(c, 0, {37, 38, 39});
    n = SumColumns(c, s, {40, 41, 42});
  }
  // 25 times the successes is still a 16-bit product.
  if (n != 0) Whole<int16_t>(25 * s);
  return RateText(RateClass(s, n)) + "0";
}

std::string AlternativeFactors::Factor06KishuYear() {
  f.ReadEx(f.r);
  std::string_view track = f.TrackCode();
  std::string flag = "0";
  if (!(track > "49" || track < "00")) {
    for (std::string_view year : kFlaggedYears) {
      if (f.RaceYear() == year) flag = "1";
    }
  }
  std::string code = std::string(f.JockeyCode()) + flag;
  if (f.Ex("abnormality") != "0") code = code.substr(0, 5) + std::string(f.Ex("abnormality"));
  return code;
}

std::string AlternativeFactors::Factor06KishuDonichi() {
  f.ReadEx(f.r);
  std::string_view jockey = f.JockeyCode();
  if (jockey == "00000") {
    Integer(f.TrackCode());
    return "10";
  }
  int32_t t = Integer(f.TrackCode());
  if (Steeple(t)) {
    const std::string* rec = f.LookupRecord(kJockeyTallyFile, kResultsTallyLength, jockey);
    return rec ? "1" + RateAt(*rec, TallyField("jump_top3_rate"), 1000) : "10";
  }
  const std::string* rec = f.LookupRecord(kDonichiFile, kDonichiLength, jockey);
  if (!rec) return "10";
  std::string_view course = f.Venue();
  for (int v = 1; v <= 10; ++v) {
    if (course != kRacecourses[v - 1]) continue;
    // Saturday rate first, the other days' rate after it.
    bool saturday = f.Ex("weekday") == "1";
    constexpr Slice kOtherDay = LayoutField(kDonichiTable, "venue[0].other_day_rate");
    const Slice rate{DonichiOffset(v) + (saturday ? 0 : kOtherDay.offset - DonichiOffset(1)),
                     kOtherDay.length};
    return (saturday ? "1" : "2") + RateAt(*rec, rate, 1000);
  }
  return "10";
}

std::string AlternativeFactors::Factor06Concat() {
  f.ReadEx(f.r);
  return std::string(f.Ex("grade")) + std::string(f.Ex("horse_symbol")) +
         std::string(f.Ex("condition.race_symbol"));
}

std::string AlternativeFactors::Factor07ChakujunClass() {
  f.ReadEx(f.r);
  if (f.r == 1) return "0077";
  std::string track(f.TrackCode());
  f.ReadEx(f.r - 1);
  std::string code(f.ArrivalOrder());
  if (track >= "00" && track <= "29") {
    code += PositionClass(f.Ex("corner_position[2]")) + PositionClass(f.Ex("corner_position[3]"));
  } else {
    code += "77";
  }
  f.ReadEx(f.r);
  return code;
}

std::string AlternativeFactors::Factor07PrevRunCodeOrder() {
  f.ReadEx(f.r);
  if (f.r == 1) return "00000";
  f.ReadEx(f.r - 1);
  std::string_view p = f.Ex("final_placing");
  std::string a(f.Ex("abnormality"));
  std::string code;
  if (p == "00") {
    code = "0000" + a;
  } else if (p >= "01" && p <= "12") {
    code = std::string(p) + "00" + a;
  } else {
    code = "1300" + a;
  }
  f.ReadEx(f.r);
  return code;
}

std::string AlternativeFactors::Factor07PrevFinishOdds() {
  f.ReadEx(f.r);
  if (f.r == 1) return "9000";
  f.ReadEx(f.r - 1);
  int32_t arrival = Integer(f.ArrivalOrder());
  std::string finish = arrival >= 0 && arrival <= 8 ? std::string(f.ArrivalOrder()) : "09";
  std::string_view odds = f.Ex("win_odds");
  std::string code = "9000";
  if (odds != "0000" && odds != "    ") {
    int64_t k = ThousandOverOdds(odds);
    const char* band = "8";
    if (k >= 0 && k <= 1)
      band = "1";
    else if (k >= 2 && k <= 3)
      band = "2";
    else if (k >= 4 && k <= 6)
      band = "3";
    else if (k >= 7 && k <= 10)
      band = "4";
    else if (k >= 11 && k <= 20)
      band = "5";
    else if (k >= 21 && k <= 30)
      band = "6";
    else if (k >= 31 && k <= 50)
      band = "7";
    code = band + finish + "0";
  }
  f.ReadEx(f.r);
  return code;
}

std::string AlternativeFactors::Factor08BabaWeather() {
  f.ReadEx(f.r);
  std::string weather = Weather(f.Ex("weather"));
  int32_t t = Integer(f.TrackCode());
  std::string_view going = t >= 23 && t <= 49 ? f.Ex("dirt_going") : f.Ex("turf_going");
  return weather + std::string(going) + "00";
}

std::string AlternativeFactors::Factor08StallionBaba() {
  f.ReadEx(f.r);
  std::string weather = Weather(f.Ex("weather"));
  std::string code = "10";
  if (const std::string* rec = f.LookupRecord(kStallionFile, kMareStallionLength, f.Sire())) {
    int32_t t = Integer(f.TrackCode());
    if (Steeple(t)) {
      code = weather + std::string(f.Ex("turf_going")) + "00";
    } else {
      // Turf goings are lines 8-11, dirt goings lines 12-15.
      bool turf = t <= 22;
      int step = GoingStep(turf ? f.Ex("turf_going") : f.Ex("dirt_going"));
      const Slice first =
          turf ? StallionField("line_top3_rate[7]") : StallionField("line_top3_rate[11]");
      if (step >= 0) code = GoingDigit(step) + RateAt(*rec, Nth(first, step), 1000);
    }
  }
  // Rates of 10 to 30 % and single-digit rates of 9 % share one band per going.
  int64_t v = Floor(Value(code));
  for (int g = 1; g <= 4; ++g) {
    if ((v >= 100 * g + 10 && v <= 100 * g + 30) || v == 10 * g + 9) return Decimal(10 * g + 8);
  }
  return code;
}

std::string AlternativeFactors::Factor08KyosobaBaba() {
  f.ReadEx(f.r);
  std::string_view pedigree = f.Pedigree();
  if (pedigree == "          ") return NoHorseCode(f);
  int32_t t = Integer(f.TrackCode());
  const std::string* rec;
  int step;
  Slice first;  // going lines 16-19 (steeplechase), 8-11 (turf), 12-15 (dirt)
  if (Steeple(t)) {
    rec = f.LookupRecord(kKyosobaFile, kKyosobaLength, pedigree);
    step = GoingStep(f.Ex("turf_going"));
    first = KyosobaField("line_top3_rate[15]");
  } else {
    rec = f.LookupRecord(kRecentPlacingFile, kKyosobaLength, pedigree);
    bool turf = t <= 22;
    step = GoingStep(turf ? f.Ex("turf_going") : f.Ex("dirt_going"));
    first = turf ? KyosobaField("line_top3_rate[7]") : KyosobaField("line_top3_rate[11]");
  }
  if (!rec || step < 0) return "10";
  return GoingDigit(step) + RateAt(*rec, Nth(first, step), 1000);
}

std::string AlternativeFactors::Factor08KyosobaDistance() {
  f.ReadEx(f.r);
  std::string_view pedigree = f.Pedigree();
  if (pedigree == "0000000000" || pedigree == "          ") return NoHorseCode(f);
  const std::string* rec = f.LookupRecord(kRecentPlacingFile, kKyosobaLength, pedigree);
  if (!rec) return "10";
  int32_t t = Integer(f.TrackCode());
  int band = 0;  // 0 to 2 for the bands "1" to "3"
  // Line 7 (steeplechase), or the band's line among 20-22 (turf), 23-25 (dirt).
  Slice rate = KyosobaField("line_top3_rate[6]");
  if (!Steeple(t)) {
    int32_t d = Integer(f.Distance());
    band = d >= 0 && d <= 1600 ? 0 : (d >= 1601 && d <= 2200 ? 1 : 2);
    rate = Nth(t <= 22 ? KyosobaField("line_top3_rate[19]") : KyosobaField("line_top3_rate[22]"),
               band);
  }
  std::string code = GoingDigit(band) + RateAt(*rec, rate, 4000);
  // A zero rate over middle or long distances counts as no record.
  return code == "20" || code == "30" ? "10" : code;
}

std::string AlternativeFactors::Factor08SurfaceTop3Rate() {
  SurfaceRates s = EarlierSurfaceRates(f);
  switch (CourseOf(s.t)) {
    case 0:
      return s.text[0] + (s.text[1] == "00" ? "0" : "1");
    case 1:
      return s.text[1] + (s.text[0] == "00" ? "0" : "1");
    default:
      return s.text[2] + "0";
  }
}

std::string AlternativeFactors::Factor08KyosobaSurface() {
  f.ReadEx(f.r);
  std::string_view pedigree = f.Pedigree();
  if (pedigree == "0000000000" || pedigree == "          ") return NoHorseCode(f);
  const std::string* rec = f.LookupRecord(kRecentPlacingFile, kKyosobaLength, pedigree);
  if (!rec) return "10";
  // Overall rate on the flat, the jump rate over fences.
  return "1" + RateAt(*rec,
                      Steeple(Integer(f.TrackCode())) ? KyosobaField("line_top3_rate[6]")
                                                      : KyosobaField("overall_top3_rate"),
                      4000);
}

std::string AlternativeFactors::Factor08SurfaceTop3RateB() {
  SurfaceRates s = EarlierSurfaceRates(f);
  return s.text[CourseOf(s.t)] + "0";
}

}  // namespace volq
