// Alternatives of factor 17 (pace deviation): the horse's own past finishes,
// results rates of the horse or its sire, and the trainer's prize per start.
#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "build/factors_alt/alt_terms.h"
#include "build/factors_alt/alternative_factors.h"
#include "common/data_dir_catalogue.h"

namespace volq {

namespace {

// Course line 1 to 7 of a track code; line 4 is never chosen.
int CourseLine(int32_t t) {
  if (t == 10) return 1;
  if (t >= 17 && t <= 21) return 2;
  if (t >= 11 && t <= 16) return 3;
  if (t >= 24 && t <= 26) return 5;
  if (t == 23) return 6;
  return 7;
}

// A rate text (rate x 100000) as whole percent followed by a suffix:
// 25.3 percent with "1" gives "251".
std::string PercentCode(std::string_view rate, char suffix) {
  return Decimal(RatePercent(rate)) + suffix;
}

// Races whose youngest-age condition code is "701" keep the default; codes
// above 116 are held at 116.
std::string YoungestAgeAndCap(FactorFrame& f, std::string code) {
  if (f.Ex("condition.age_condition[4]") == "701") code = "10";
  if (Integer(code) > 116) code = "116";
  return code;
}

// The horse's rate of the current course line in a KYOSOBA file, or the default.
std::string HorseCourseLineCode(FactorFrame& f, std::string_view file) {
  const std::string* horse = f.LookupRecord(file, kKyosobaLength, f.Pedigree());
  if (!horse) return "10";
  int g = CourseLine(Integer(f.TrackCode()));
  return PercentCode(Nth(KyosobaField("line_top3_rate[0]"), g - 1).Of(*horse), '1');
}

// --- History routines -------------------------------------------------------
// Bins of the horse's earlier records; each turns successes per run into a
// digit code.
struct HistoryRule {
  int bins;
  std::string_view last_success;  // "02" or "03"
  int scale, cap;
  size_t width;
  std::string_view zero, first;
  // The bin of the record in the EX buffer.
  std::function<int(FactorFrame&)> bin_of;
  // The bins a first run's own finish fills (bit k for bin k).
  std::function<unsigned(FactorFrame&)> first_bins;
};

bool Success(std::string_view order, std::string_view last) {
  return order == "01" || order == "02" || (last == "03" && order == "03");
}

std::vector<std::string> HistoryDigits(FactorFrame& f, const HistoryRule& h) {
  std::vector<std::string> digit(static_cast<size_t>(h.bins), std::string(h.zero));
  f.ReadEx(f.r);
  if (f.r > 1) {
    std::vector<int32_t> runs(digit.size()), wins(digit.size());
    for (int32_t k = 1; k < f.r; ++k) {
      f.ReadEx(k);
      size_t b = static_cast<size_t>(h.bin_of(f));
      ++runs[b];
      if (Success(f.ArrivalOrder(), h.last_success)) ++wins[b];
    }
    for (size_t b = 0; b < digit.size(); ++b) {
      if (runs[b] == 0) continue;
      double x = std::nearbyint(static_cast<double>(h.scale) * wins[b] / runs[b]);
      if (x > h.cap) x = h.cap;
      digit[b] = LastChars(Decimal(Whole<int64_t>(x) + 1000), h.width);
    }
  } else {
    unsigned bins = h.first_bins(f);
    bool success = Success(f.ArrivalOrder(), h.last_success);
    for (size_t b = 0; b < digit.size(); ++b) {
      if (bins & (1u << b)) digit[b] = std::string(success ? h.first : h.zero);
    }
  }
  f.ReadEx(f.r);
  if (f.RecordCount == 1) {
    for (auto& d : digit) d = std::string(h.zero);
  }
  return digit;
}

enum { T = 0, D = 1, J = 2 };
enum { TL = 0, TS = 1, DL = 2, DS = 3, JD = 4 };

// Turf "00"-"21", dirt "23"-"49", anything else (track code 22 included)
// steeplechase, as texts.
int TextBin(FactorFrame& f) {
  std::string_view t = f.TrackCode();
  return InRange(t, "00", "21") ? T : InRange(t, "23", "49") ? D : J;
}
unsigned TextFirstBin(FactorFrame& f) { return 1u << TextBin(f); }

int NumberBin(FactorFrame& f) {
  int32_t t = Integer(f.TrackCode());
  return t >= 0 && t <= 22 ? T : t >= 23 && t <= 49 ? D : J;
}
unsigned NumberFirstBin(FactorFrame& f) { return 1u << NumberBin(f); }

int DistanceBin(FactorFrame& f) {
  std::string_view t = f.TrackCode();
  if (InRange(t, "00", "21")) return Integer(f.Distance()) > 1600 ? TL : TS;
  if (InRange(t, "23", "49")) return Integer(f.Distance()) >= 1600 ? DL : DS;
  return JD;
}
unsigned DistanceFirstBins(FactorFrame& f) {
  std::string_view t = f.TrackCode();
  if (InRange(t, "00", "21")) return 1u << TL | 1u << TS;
  if (InRange(t, "23", "49")) return 1u << DL | 1u << DS;
  return 1u << JD;
}

const HistoryRule kPlaceRate{3, "02", 10, 5, 1, "0", "5", TextBin, TextFirstBin};
const HistoryRule kPlaceRateB{3, "03", 10, 9, 1, "0", "9", TextBin, TextFirstBin};
const HistoryRule kTop3Count{3, "03", 25, 20, 2, "00", "20", NumberBin, NumberFirstBin};
const HistoryRule kPlaceRateByDistance{5, "03", 10, 9, 1, "0", "9", DistanceBin, DistanceFirstBins};

}  // namespace

std::string AlternativeFactors::Factor17PastPlaceRate() {
  auto d = HistoryDigits(f, kPlaceRate);
  std::string_view t = f.TrackCode();
  if (InRange(t, "00", "21")) return "0" + d[T] + DigitBand(d[D]);
  if (InRange(t, "22", "49")) return "0" + d[D] + DigitBand(d[T]);
  return std::string(f.Ex("condition.race_symbol")) + "0";
}

std::string AlternativeFactors::Factor17PastPlaceRateB() {
  auto d = HistoryDigits(f, kPlaceRateB);
  std::string_view t = f.TrackCode();
  if (InRange(t, "00", "21")) return d[T] + d[D];
  if (InRange(t, "22", "49")) return d[D] + d[T];
  return d[T] + d[D] + d[J];
}

std::string AlternativeFactors::Factor17PastTop3Count() {
  auto d = HistoryDigits(f, kTop3Count);
  int32_t t = Integer(f.TrackCode());
  if (t >= 0 && t <= 22) return d[T] + (d[D] == "00" ? "0" : "1");
  if (t >= 23 && t <= 49) return d[D] + (d[T] == "00" ? "0" : "1");
  return d[J] + (d[D] == "00" ? "0" : "1");
}

std::string AlternativeFactors::Factor17PastPlaceRateByDistance() {
  auto d = HistoryDigits(f, kPlaceRateByDistance);
  std::string_view t = f.TrackCode();
  if (InRange(t, "00", "21")) {
    return Integer(f.Distance()) > 1600 ? d[TL] + d[TS] : d[TS] + d[TL];
  }
  if (InRange(t, "22", "49")) {
    return Integer(f.Distance()) >= 1600 ? d[DL] + d[DS] : d[DS] + d[DL];
  }
  return d[JD];
}

// --- Lookup routines ----------------------------------------------------------

std::string AlternativeFactors::Factor17KyosobaaValue() {
  f.ReadEx(f.r);
  return HorseCourseLineCode(f, kRecentPlacingFile);
}

std::string AlternativeFactors::Factor17KyosobaA() {
  f.ReadEx(f.r);
  int32_t t = Integer(f.TrackCode());
  std::string code = "10";
  std::string_view file = t >= 0 && t <= 49 ? kRecentPlacingFile : kKyosobaFile;
  if (const std::string* horse = f.LookupRecord(file, kKyosobaLength, f.Pedigree())) {
    code = PercentCode(KyosobaField("overall_top3_rate").Of(*horse), '1');
  }
  return YoungestAgeAndCap(f, code);
}

std::string AlternativeFactors::Factor17StallionOverall() {
  f.ReadEx(f.r);
  std::string code = "10";
  if (const std::string* sire = f.LookupRecord(kStallionFile, kMareStallionLength, f.Sire())) {
    // The overall rate on every course type; the track code is still read
    // as a number, so a blank one fails.
    Integer(f.TrackCode());
    code = PercentCode(StallionField("overall_top3_rate").Of(*sire), '1');
  }
  return YoungestAgeAndCap(f, code);
}

std::string AlternativeFactors::Factor17KyosobaaStallion() {
  f.ReadEx(f.r);
  std::string code = HorseCourseLineCode(f, kRecentPlacingFile);
  if (code != "10") return code;
  if (const std::string* sire = f.LookupRecord(kStallionFile, kMareStallionLength, f.Sire())) {
    int g = CourseLine(Integer(f.TrackCode()));
    code = PercentCode(Nth(StallionField("line_top3_rate[0]"), g - 1).Of(*sire), '2');
  }
  return code;
}

std::string AlternativeFactors::Factor17StallionKyosobaDistance() {
  f.ReadEx(f.r);
  int32_t t = Integer(f.TrackCode());
  std::string code = "10";
  if (t >= 0 && t <= 49) {
    const std::string* sire = f.LookupRecord(kStallionFile, kMareStallionLength, f.Sire());
    if (sire && t >= 10 && t <= 22) {
      std::string_view distance = f.Distance();
      if (InRange(distance, "1000", "1600")) {
        code = PercentCode(StallionField("line_top3_rate[19]").Of(*sire), '1');
      } else if (InRange(distance, "1601", "2100")) {
        code = PercentCode(StallionField("line_top3_rate[20]").Of(*sire), '2');
      } else {
        code = PercentCode(StallionField("line_top3_rate[21]").Of(*sire), '2');
      }
    } else if (sire && (t == 23 || t == 24)) {
      int32_t d = Integer(f.Distance());
      if (d >= 1000 && d <= 1600) {
        code = PercentCode(StallionField("line_top3_rate[22]").Of(*sire), '1');
      } else if (d >= 1601 && d <= 2100) {
        code = PercentCode(StallionField("line_top3_rate[23]").Of(*sire), '2');
      } else {
        code = PercentCode(StallionField("line_top3_rate[24]").Of(*sire), '2');
      }
    }
  } else if (const std::string* horse =
                 f.LookupRecord(kKyosobaFile, kKyosobaLength, f.Pedigree())) {
    code = PercentCode(KyosobaField("line_top3_rate[6]").Of(*horse), '1');
  }
  return YoungestAgeAndCap(f, code);
}

std::string AlternativeFactors::Factor17StallionTop2() {
  f.ReadEx(f.r);
  std::string code = "10";
  if (const std::string* sire = f.LookupRecord(kStallionFile, kMareStallionLength, f.Sire())) {
    int32_t t = Integer(f.TrackCode());
    bool overall = (t >= 10 && t <= 21) || (t >= 23 && t <= 26);
    code = PercentCode(
        (overall ? StallionField("overall_top2_rate") : StallionField("line_top2_rate[6]"))
            .Of(*sire),
        '1');
  }
  // Ten percent or more all give "19".
  if (Integer(code) > 100) code = "19";
  return code;
}

// --- Trainer routine ------------------------------------------------------------

std::string AlternativeFactors::Factor17ChokyoSeisei() {
  f.ReadEx(f.r);
  std::string code = "00";
  if (f.Ex("trainer_code") != "00000") {
    if (const std::string* trainer =
            f.LookupRecord(kTrainerTallyFile, kResultsTallyLength, f.Ex("trainer_code"))) {
      int32_t t = Integer(f.TrackCode());
      std::string_view rec(*trainer);
      bool flat = t >= 0 && t <= 29;
      double n = Value((flat ? TallyField("flat_runs") : TallyField("jump_runs")).Of(rec));
      double m = Value((flat ? TallyField("flat_prize") : TallyField("jump_prize")).Of(rec));
      if (n != 0) {
        double q = m / n;
        if (q != 0) code = LastChars(Decimal(LogClass(q) + 100), 2);
      }
    }
  }
  // A prize per start below 1 yen has a negative class, "40" to "99".
  if (InRange(code, "00", "26")) return "26";
  if (InRange(code, "27", "36")) return code;
  return "36";
}

}  // namespace volq
