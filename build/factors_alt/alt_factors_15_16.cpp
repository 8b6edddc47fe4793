// Alternatives of factor 15 (previous odds) and factor 16 (sire value).
#include <cmath>

#include "build/factors_alt/alt_terms.h"
#include "build/factors_alt/alternative_factors.h"
#include "platform/fs/file_failure.h"

namespace volq {

namespace {

// Class of the change of a three-character weight field (weight carried or
// body weight) per day since the record before, read without the abnormality
// test. The change is scaled, floored and shifted by 50; its text is banded
// as text: "00" to low_end gives low_class, low_class to "51" itself, else
// "52". Without a weight in both records the class is "50". Reads record
// r-1 and then record r again.
struct WeightChange {
  std::string cls;
  bool same_course = false;
};

WeightChange ChangePerDay(FactorFrame& f, ExField field, int scale, std::string_view low_end,
                          std::string_view low_class) {
  const RaceDay day = f.RaceDate();
  std::string weight(f.Ex(field)), course(f.Venue());
  f.ReadEx(f.r - 1);
  int32_t d = DaySpan(f.RaceDate(), day);
  WeightChange c;
  if (Value(f.Ex(field)) > 0 && Value(weight) > 0) {
    int64_t change = static_cast<int64_t>(Integer(f.Ex(field))) - Integer(weight);
    // Two runs on one day leave nothing to divide by.
    if (d == 0) FailConversion("weight change over a day span of 0");
    int64_t q = Floor(static_cast<double>(change * scale) / d);
    std::string s = Decimal(q + 50);
    if (InRange(s, "00", low_end)) {
      c.cls = low_class;
    } else if (InRange(s, low_class, "51")) {
      c.cls = s;
    } else {
      c.cls = "52";
    }
  } else {
    c.cls = "50";
  }
  c.same_course = f.Venue() == course;
  f.ReadEx(f.r);
  return c;
}

}  // namespace

std::string AlternativeFactors::Factor15HahaBirthYearBand() {
  f.ReadEx(f.r);
  int32_t t = Integer(f.TrackCode());
  std::string_view dam = f.Ex("pedigree[1].birth_year"), born = f.Ex("birth_date.year");
  if (t < 0 || t > 49) {
    if (InRange(dam, "0000", "1975")) return "197500";
    if (InRange(dam, "1976", "1996")) return std::string(dam) + "00";
    return "199600";
  }
  std::string code;
  if (InRange(dam, "0000", "1983")) {
    code = "983";
  } else if (InRange(dam, "1984", "1998")) {
    code = LastChars(dam, 3);
  } else {
    code = "998";
  }
  if (InRange(born, "0000", "1998")) {
    code += "998";
  } else if (InRange(born, "2002", "2010")) {
    code += "001";
  } else {
    code += LastChars(born, 3);
  }
  return code;
}

std::string AlternativeFactors::Factor15FutanChangePerDay() {
  f.ReadEx(f.r);
  if (f.r == 1) return "100050";
  return "1000" + ChangePerDay(f, "weight", 1, "45", "46").cls;
}

std::string AlternativeFactors::Factor15MonthCode() {
  f.ReadEx(f.r);
  if (!InRange(f.TrackCode(), "00", "24")) return std::string(f.RaceMonth());
  if (f.r == 1) return "00";
  f.ReadEx(f.r - 1);
  std::string popularity(f.Ex("win_popularity"));
  f.ReadEx(f.r);
  return popularity;
}

std::string AlternativeFactors::Factor15KishuGotoHistory() {
  f.ReadEx(f.r);
  const RaceDay day = f.RaceDate();
  std::string track(f.TrackCode());
  // Every counted ride goes to the pair of the current race's course type;
  // track code 22 counts as steeplechase here.
  int pair = InRange(track, "00", "21") ? 0 : InRange(track, "23", "49") ? 1 : 2;
  int32_t runs[3] = {}, top2[3] = {};
  {
    auto history = OpenJockeyHistory(f.dir(), f.JockeyCode());
    for (int32_t k = 1, n = history->Count(); k <= n; ++k) {
      std::string ride = std::string(history->View(k));
      std::string_view se(ride);
      // Rides from the race day to 364 days after it.
      const RaceDay ridden =
          RaceDay::OfMonthDay(Ride().race_year.Of(se), Ride().race_month_day.Of(se));
      if (DaySpan(day, ridden) <= 364) {
        ++runs[pair];
        if (TopTwo(se)) ++top2[pair];
      }
    }
  }
  std::string digit[3];
  for (int i = 0; i < 3; ++i) {
    double v = runs[i] == 0 ? 0 : std::nearbyint(top2[i] * 10.0 / runs[i]);
    if (v > 5) v = 5;
    digit[i] = LastChars(Decimal(Whole<int64_t>(v) + 1000), 1);
  }
  f.ReadEx(f.r);
  if (f.RecordCount == 1) digit[0] = digit[1] = digit[2] = "0";
  if (InRange(track, "00", "21")) return "0" + digit[0] + DigitBand(digit[1]);
  if (InRange(track, "22", "49")) return "0" + digit[1] + DigitBand(digit[0]);
  return digit[2] + digit[1] + digit[0];
}

std::string AlternativeFactors::Factor15BanushiSeiseki() {
  f.ReadEx(f.r);
  std::string code = "0";
  if (const std::string* owner =
          f.LookupRecord(kOwnerTallyFile, kSmallTallyLength, f.Ex("owner_code"))) {
    code = Decimal(RatePercent(SmallTallyField("top3_rate").Of(*owner)));
  }
  int32_t n = Integer(code);
  if (n < 0 || n > 8) code = "8";
  return code;
}

std::string AlternativeFactors::Factor16BataijuChangePerDay() {
  f.ReadEx(f.r);
  if (f.r == 1) return "1250";
  WeightChange c = ChangePerDay(f, "body_weight", 3, "46", "47");
  return std::string("1") + (c.same_course ? "1" : "2") + c.cls;
}

std::string AlternativeFactors::Factor16BataijuChangePerDayB() {
  f.ReadEx(f.r);
  if (f.r == 1) return "1250";
  return "11" + ChangePerDay(f, "body_weight", 3, "46", "47").cls;
}

std::string AlternativeFactors::Factor16CopyField() {
  f.ReadEx(f.r);
  return std::string(f.Ex("horse_symbol"));
}

std::string AlternativeFactors::Factor16WeatherGoing() {
  f.ReadEx(f.r);
  bool dirt = InRange(f.TrackCode(), "23", "29");
  return std::string(f.Ex("weather")) + std::string(dirt ? f.Ex("dirt_going") : f.Ex("turf_going"));
}

}  // namespace volq
