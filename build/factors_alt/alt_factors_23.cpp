// Alternatives of factor 23: the sire classed by fixed lists of stallions with
// the longest distance their offspring are held to suit, the sire's place
// rate on the going, and the horse's time difference on the going against
// its course-type mean.
#include <array>
#include <cmath>
#include <span>
#include <string>
#include <string_view>

#include "build/factors/factor_frame.h"
#include "build/factors_alt/alt_terms.h"
#include "build/factors_alt/alternative_factors.h"
#include "build/factors_alt/code_text.h"

namespace volq {
namespace {

// --- Sire lists ----------------------------------------------------------------
// Breeding numbers as the lists were written: eight characters, a few with a
// stray digit or two numbers run together; kept as written.

constexpr std::string_view kOriginalT1[] = {
    "11201157", "11201261", "11201455", "11201465", "11201513", "11201522", "11201525",
    "11201560", "11201556", "11201557", "11201579", "11201608", "11201721", "11201734",
    "11201786", "11201860", "11201862", "11201868", "11201873", "11201908", "11201928",
    "11201971", "11201978", "11201986", "11202050", "11202051", "11202055", "11202062",
    "11202080", "11202084", "11404503", "11202087", "11202064",
};

constexpr std::string_view kOriginalT2[] = {
    "11201001", "11200881", "11200956", "11201131", "11201461", "11201520", "11201554", "11201593",
    "11201620", "11201656", "11201667", "11201699", "11201863", "11201870", "11201875", "11201879",
    "11201888", "11201907", "11201915", "11201941", "11201965", "11201976", "11202011", "11202043",
    "11202056", "11202086", "11202170", "11401948", "11404523", "11405285", "11404638", "11405293",
};

constexpr std::string_view kOriginalT3[] = {
    "11201166", "11201255", "11201259",  "11201333",  "11201339", "11201343", "11201354",
    "11201399", "11201538", "11201551",  "110201557", "11201604", "11201615", "11201653",
    "11201680", "11201688", "11201702",  "11201735",  "11201736", "11201738", "11201742",
    "11201752", "11201754", "11201768",  "11201785",  "11201809", "11201829", "11201849",
    "11201851", "11201854", "110201879", "11201906",  "11201913", "11201940", "11201942",
    "11201953", "11201957", "11201959",  "11201961",  "11201962", "11201965", "11201987",
    "11202005", "11202016", "11202024",  "11202030",  "11202049", "11202057", "11202058",
    "11202063", "11202065", "11202077",  "11202081",  "11202082", "11202098", "11202102",
    "11202103", "11202121", "11402531",  "11402691",  "11403006", "11403106", "11403840",
    "11404069", "11404081", "11404481",  "11404712",
};

constexpr std::string_view kOriginalT4[] = {
    "11201507", "11201510", "11201548", "11201596", "11201658", "11201659", "11201657", "11201793",
    "11201858", "11201876", "11201878", "11201954", "11201966", "11201981", "11202105",
};

constexpr std::string_view kOriginalT5[] = {
    "11201417",
    "11201498",
    "11201859",
    "11201796",
};

constexpr std::string_view kOriginalD1[] = {
    "11201157", "11201465", "11201513", "11201548", "11201558", "11201608", "11201653", "11201663",
    "11201664", "11201702", "11201721", "11201733", "11201734", "11201760", "11201785", "11201786",
    "11201850", "11201881", "11201905", "11201908", "11201915", "11201922", "11201977", "11202001",
    "11202050", "11202051", "11202062", "11202064", "11404523",
};

constexpr std::string_view kOriginalD2[] = {
    "11200908", "11200715", "11201050", "11201274", "11201495", "11201503", "11201520",
    "11201550", "11201554", "11201591", "11201607", "11201618", "11201655", "11201656",
    "11201680", "11201724", "11201741", "11201757", "11201782", "11201882", "112011905",
    "11201978", "11201986", "11202009", "11202045", "11202052", "11202055", "11202080",
    "11202094", "11202132", "11401191", "11403006", "11403602", "11403830", "11403841",
    "11404069", "11404194", "11404230", "11401440", "11404415", "11404509", "11405333",
};

constexpr std::string_view kOriginalD3[] = {
    "11200881", "11201390", "11201657", "11201798", "11201851", "11201860",
    "11201862", "11201870", "11201873", "11201878", "11201911", "11202010",
    "11202011", "11202121", "11401821", "11402183", "11404699", "11405286",
};

constexpr std::string_view kOriginalD4[] = {
    "11200556", "11200291", "11201524", "11200941", "11201131",           "11201166", "11201182",
    "11201255", "11201259", "11201261", "11201339", "11201343",           "11201354", "11201417",
    "11201450", "11201461", "11201476", "11201498", "11201510",           "11201522", "11201538",
    "11201548", "11201551", "11201562", "11201579", "11201596\"11201604", "11201615", "11201617",
    "11201688", "11201699", "11201714", "11201723", "11201735",           "11201736", "11201738",
    "11201742", "11201752", "11201900", "11201934", "11201942",           "11201948", "11404409",
    "11404481",
};

constexpr std::string_view kOriginalD5[] = {
    "11201237", "11201455", "11201525", "11201560", "11201658",
    "11201659", "11201790", "11201796", "11201954",
};

constexpr std::string_view kOriginalD6[] = {
    "11201667",
    "11201743",
    "11201880",
};

constexpr std::string_view kOriginalD7[] = {
    "11201183", "11201399", "11201596", "11201604", "11201659", "11201669", "11201675", "11201688",
    "11201768", "11201773", "11201793", "11201809", "11201817", "11201821", "11201829", "11201849",
    "11201854", "11201858", "11201859", "11201863", "11201868", "11201888", "11201876", "11201890",
    "11201906", "11201913", "11201953", "11201957", "11201959", "11201961", "11201962", "11201965",
    "11201966", "11201967", "11201971", "11201975", "11201981", "11201991", "11202008", "11202016",
    "11202024", "11202030", "11202046", "11202049", "11202058", "11202057", "11202063", "11202065",
    "11401570", "11202081", "11202103", "11202105", "11402530", "11402552", "11402927", "11403840",
    "11404503", "11405335", "11202087",
};
// The other versions' lists, as changes to these.
constexpr std::string_view kSibaT2Without[] = {"11202170"};
constexpr std::string_view kListBT1Without[] = {"11201928", "11201978", "11202055"};
constexpr std::string_view kListBT1With[] = {"11201001", "11201461", "11201664"};
constexpr std::string_view kListBT2Without[] = {"11201001", "11200881", "11201461", "11201870",
                                                "11201875", "11201965", "11202011", "11202043",
                                                "11202056", "11202170", "11405285"};
constexpr std::string_view kListBT2With[] = {"11404229", "11201890"};
constexpr std::string_view kListBT3Without[] = {"11202082", "11202121"};
constexpr std::string_view kListBT3With[] = {"11201905"};
constexpr std::string_view kListBD1Without[] = {"11201558", "11201663", "11201850",
                                                "11201905", "11201977", "11202001"};
constexpr std::string_view kListBD1With[] = {"11201001"};
constexpr std::string_view kListBD2Without[] = {
    "11200908", "11201618", "11201741", "11201757", "11201782", "11201978", "11202055",
    "11202132", "11403602", "11403830", "11401440", "11404415", "11404509", "11405333"};
constexpr std::string_view kListBD2With[] = {"11201556", "11201879", "11201822",
                                             "11202001", "11404497", "11405758"};
constexpr std::string_view kListBD3Without[] = {"11201851", "11201870", "11202121", "11404699",
                                                "11405286"};
constexpr std::string_view kListBD3With[] = {"11200908", "11201618", "11201850"};
constexpr std::string_view kListBD4With[] = {"11201611", "11201870"};
constexpr std::string_view kListBD7With[] = {"11201851"};

static_assert(std::size(kOriginalT1) == 33 && std::size(kOriginalT2) == 32 &&
              std::size(kOriginalT3) == 67 && std::size(kOriginalT4) == 15 &&
              std::size(kOriginalT5) == 4);
static_assert(std::size(kOriginalD1) == 29 && std::size(kOriginalD2) == 42 &&
              std::size(kOriginalD3) == 18 && std::size(kOriginalD4) == 43 &&
              std::size(kOriginalD5) == 9 && std::size(kOriginalD6) == 3 &&
              std::size(kOriginalD7) == 59);

// A group of sires and the longest distance of its band, as a 4-character
// distance text.
struct SireGroup {
  std::string_view limit;
  std::span<const std::string_view> sires;
  // A version's changes to the list of the first version.
  std::span<const std::string_view> without = {};
  std::span<const std::string_view> with = {};
};
// The groups of a course type in the order they are tried; a sire in none of
// them is held to distances up to 1600 m.
using SireSeries = std::span<const SireGroup>;
constexpr std::string_view kDefaultLimit = "1600";

const SireGroup kOriginalTurf[] = {{"1100", kOriginalT1},
                                   {"1200", kOriginalT2},
                                   {"2000", kOriginalT3},
                                   {"2400", kOriginalT4},
                                   {"2500", kOriginalT5}};
const SireGroup kOriginalDirt[] = {
    {"1100", kOriginalD1}, {"1200", kOriginalD2}, {"1800", kOriginalD3}, {"2000", kOriginalD4},
    {"2200", kOriginalD5}, {"2300", kOriginalD6}, {"2000", kOriginalD7}};
const SireGroup kListBTurf[] = {{"1100", kOriginalT1, kListBT1Without, kListBT1With},
                                {"1200", kOriginalT2, kListBT2Without, kListBT2With},
                                {"2000", kOriginalT3, kListBT3Without, kListBT3With},
                                {"2400", kOriginalT4},
                                {"2500", kOriginalT5}};
const SireGroup kListBDirt[] = {{"1100", kOriginalD1, kListBD1Without, kListBD1With},
                                {"1200", kOriginalD2, kListBD2Without, kListBD2With},
                                {"1800", kOriginalD3, kListBD3Without, kListBD3With},
                                {"2000", kOriginalD4, {}, kListBD4With},
                                {"2200", kOriginalD5},
                                {"2300", kOriginalD6},
                                {"2000", kOriginalD7, {}, kListBD7With}};
const SireGroup kSibaTurf[] = {{"1100", kOriginalT1},
                               {"1200", kOriginalT2, kSibaT2Without},
                               {"2000", kOriginalT3},
                               {"2400", kOriginalT4},
                               {"2500", kOriginalT5}};

// The sire field is ten characters wide and the listed numbers are shorter:
// a listed number stands for the field holding exactly it, blank-padded.
bool Lists(std::span<const std::string_view> sires, std::string_view sire) {
  size_t end = sire.find_last_not_of(' ');
  sire = end == std::string_view::npos ? std::string_view() : sire.substr(0, end + 1);
  for (std::string_view s : sires) {
    if (s == sire) return true;
  }
  return false;
}
bool Holds(const SireGroup& g, std::string_view sire) {
  return (Lists(g.sires, sire) && !Lists(g.without, sire)) || Lists(g.with, sire);
}

// "2" when the race distance lies from 1000 m to the limit of the sire's
// group (compared as texts), else "1".
std::string DistanceSuffix(SireSeries series, std::string_view sire, std::string_view distance) {
  std::string_view limit = kDefaultLimit;
  for (const SireGroup& g : series) {
    if (Holds(g, sire)) {
      limit = g.limit;
      break;
    }
  }
  return InRange(distance, "1000", limit) ? "2" : "1";
}

// The sire with its distance suffix by the series of the track code (turf
// "10".."22", dirt "23".."29"; "1" for any other code).
std::string SireDistanceCode(FactorFrame& f, SireSeries turf, SireSeries dirt) {
  f.ReadEx(f.r);
  std::string code = "1" + std::string(f.Sire());
  std::string_view track = f.TrackCode();
  std::string suffix = "1";
  if (InRange(track, "10", "22")) {
    suffix = DistanceSuffix(turf, f.Sire(), f.Distance());
  } else if (InRange(track, "23", "29")) {
    suffix = DistanceSuffix(dirt, f.Sire(), f.Distance());
  }
  code = suffix + code;
  f.ReadEx(f.r);
  // Meant for an unknown sire; the composed code is longer than these texts.
  if (code == "1100000000" || code == "2100000000") code = "1111201232";
  return code;
}

// Course class of a record for the going comparison: "1" turf ("00".."22"),
// "2" dirt ("23".."24"), "3" otherwise; the going of dirt is the dirt going.
struct CourseGoing {
  char course;
  char going;
};
CourseGoing CourseGoingOf(const FactorFrame& f) {
  std::string_view track = f.TrackCode();
  char course = InRange(track, "00", "22") ? '1' : InRange(track, "23", "24") ? '2' : '3';
  return {course, course == '2' ? f.Ex("dirt_going")[0] : f.Ex("turf_going")[0]};
}

}  // namespace

std::string AlternativeFactors::Factor23Original() {
  return SireDistanceCode(f, kOriginalTurf, kOriginalDirt);
}

std::string AlternativeFactors::Factor23StallionListB() {
  return SireDistanceCode(f, kListBTurf, kListBDirt);
}

// These two take the record the buffer holds, whatever its track code.
std::string AlternativeFactors::Factor23StallionListSiba() {
  return DistanceSuffix(kSibaTurf, f.Sire(), f.Distance());
}

std::string AlternativeFactors::Factor23StallionListDirt() {
  return DistanceSuffix(kOriginalDirt, f.Sire(), f.Distance());
}

// The distance band of this version (1000 m to 1200 m on turf and dirt) gives
// the suffix "1" inside and outside alike, so the code is the sire alone.
std::string AlternativeFactors::Factor23StallionDistanceCheck() {
  f.ReadEx(f.r);
  std::string code = "11" + std::string(f.Sire());
  f.ReadEx(f.r);
  if (code == "1100000000") code = "11000000" + std::string(f.HorseNumber());
  return code;
}

std::string AlternativeFactors::Factor23StallionBaba() {
  f.ReadEx(f.r);
  std::string code = "10";
  if (const std::string* sire = f.LookupRecord(kStallionFile, kMareStallionLength, f.Sire())) {
    // Going rate lines of the sire's offspring: turf, dirt, steeplechase,
    // four goings each.
    int32_t t = Integer(f.TrackCode());
    int first = 172;
    char going = f.Ex("turf_going")[0];
    if (t >= 0 && t <= 22) {
      first = 124;
    } else if (t >= 23 && t <= 49) {
      first = 148;
      going = f.Ex("dirt_going")[0];
    }
    if (going >= '0' && going <= '4') {
      int line = going == '0' ? 1 : going - '0';
      std::string_view rate = std::string_view(*sire).substr(first + 6 * (line - 1), 6);
      code = Decimal(RatePercent(rate)) + std::to_string(line);
    }
  }
  f.ReadEx(f.r);
  // Rates of 11 % and 12 % share the code "18" whatever the going, 21 % and
  // 22 % "28", and so on up to 41 % and 42 %.
  int64_t v = Floor(Value(code));
  for (int tens = 1; tens <= 4; ++tens) {
    if (v >= tens * 100 + 10 && v <= tens * 100 + 30) code = std::to_string(tens) + "8";
  }
  return code;
}

std::string AlternativeFactors::Factor23MeanTimeDiffClass() {
  f.ReadEx(f.r);
  const CourseGoing current = CourseGoingOf(f);
  float sum_course = 0, sum_going = 0;
  int16_t count_course = 0, count_going = 0;
  for (int32_t k = 1; k <= f.r - 1; ++k) {
    f.ReadEx(k);
    // Tenths behind the winner: "+" behind, "9" no time, otherwise ahead.
    std::string_view diff = f.Ex("time_difference");
    float tenths = diff[0] == '+'   ? static_cast<float>(Value(diff.substr(1)))
                   : diff[0] == '9' ? 0.0f
                                    : -static_cast<float>(Value(diff.substr(1)));
    const CourseGoing run = CourseGoingOf(f);
    if (run.course != current.course) continue;
    sum_course += tenths;
    ++count_course;
    if (run.going == current.going) {
      sum_going += tenths;
      ++count_going;
    }
  }
  float mean_course = count_course > 0 ? sum_course / count_course : 0;
  float mean_going = count_going > 0 ? sum_going / count_going : 0;
  float d = mean_course == 0 || mean_going == 0 ? 0 : mean_going - mean_course;
  if (current.going == '1') d = 0;
  const std::string code = TimeDifferenceClass(d);
  f.ReadEx(f.r);
  return code;
}

}  // namespace volq
