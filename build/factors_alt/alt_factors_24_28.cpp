// Alternatives of factors 24 to 28: the dam's age at foaling and the horse
// number; the jockey's age, recent form, the race condition and the winner's
// prize; the previous time difference; a female-line code and the previous
// finish with its odds; the registered runners.
#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "build/factors/factor_frame.h"
#include "build/factors_alt/alt_terms.h"
#include "build/factors_alt/alternative_factors.h"
#include "build/factors_alt/code_text.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/record_file.h"

namespace volq {
namespace {

// Jockeys whose recent form is flagged in the code.
constexpr std::string_view kFormJockeys[] = {
    "05212", "05339", "05416", "00432", "05302", "05447", "05130", "05472", "00897", "05271",
    "05336", "05395", "05335", "05394", "05471", "05475", "05366", "00891", "00875", "05135",
    "05376", "00974", "05464", "05306", "05377", "00843", "05337", "05115", "05304"};
static_assert(std::size(kFormJockeys) == 29);

// Time differences of the previous run: no time, or a winner's lead over the
// second; the codes of a horse behind the winner count its tenths.
constexpr TextBand kPrevTimeDiffCodes[] = {
    {"0000", "0000", "99"}, {"    ", "    ", "99"}, {"+999", "+999", "99"}, {"-999", "-999", "99"},
    {"9999", "9999", "99"}, {"-000", "-000", "01"}, {"-001", "-001", "02"}, {"-002", "-002", "03"},
    {"-003", "-004", "04"}, {"-005", "-009", "05"}, {"-010", "-998", "06"}};

// Age in years from a birth year to a year, as the last two digits of
// year + 100 - birth year.
std::string AgeText(std::string_view year, std::string_view birth_year) {
  return LastChars(Decimal(int64_t{Integer(year)} + 100 - Integer(birth_year)), 2);
}

}  // namespace

std::string AlternativeFactors::Factor24HahaAgeAtBirth() {
  f.ReadEx(f.r);
  std::string_view track = f.TrackCode();
  if (track > "49" || track < "00") return std::string(f.Ex("race.race_number")) + "00";
  std::string band = "15";
  std::string_view dam_year = f.Ex("pedigree[1].birth_year");
  if (dam_year != "0000" && dam_year != "    ") {
    std::string a = AgeText(f.Ex("birth_date.year"), dam_year);
    if (IsOneOf(a, {"03", "04", "05", "06"})) {
      band = "05";
    } else if (IsOneOf(a, {"07", "08"})) {
      band = "07";
    } else if (IsOneOf(a, {"09", "10"})) {
      band = "09";
    } else if (IsOneOf(a, {"11", "12"})) {
      band = "11";
    }
  }
  return band + "00";
}

std::string AlternativeFactors::Factor24UmabanOld() {
  f.ReadEx(f.r);
  return std::string(f.HorseNumber());
}

// The jockey's age band of the live factor 18, the same code.
std::string AlternativeFactors::Factor25BirthYearAgeBand() { return f.Factor18KishuAgeBand(); }

std::string AlternativeFactors::Factor25KishuRecentForm() {
  f.ReadEx(f.r);
  const RaceDay race = f.RaceDate();
  const std::string_view track = f.TrackCode();
  // Rides are counted under the course type of the race being coded; "22"
  // counts as steeplechase here.
  const int group = InRange(track, "00", "21") ? 0 : InRange(track, "23", "49") ? 1 : 2;
  std::array<int32_t, 3> rides{}, top2{};
  {
    // A jockey without a file has no rides; none is made.
    const std::unique_ptr<FramedRecords> history = OpenJockeyHistory(f.dir(), f.JockeyCode());
    const FramedRecords& rides_file = *history;
    const int32_t n = rides_file.Count();
    // A jockey with a single ride in his file is not looked at.
    int32_t today = 0;
    for (int32_t k = 1; n != 1 && k <= n && today == 0; ++k) {
      const std::string ride = std::string(rides_file.View(k));
      if (std::string(Ride().race_year.Of(ride)).append(Ride().race_month_day.Of(ride)) ==
          race.Text()) {
        today = k;
      }
    }
    // From the race day back through the 30 days before it.
    for (int32_t k = today; k >= 1; --k) {
      std::string ride = std::string(rides_file.View(k));
      const RaceDay ridden =
          RaceDay::OfMonthDay(Ride().race_year.Of(ride), Ride().race_month_day.Of(ride));
      int64_t days = DaysBetween(ridden, race);
      if (days >= 30) break;
      ++rides[group];
      if (TopTwo(ride)) ++top2[group];
    }
  }
  std::array<std::string, 3> bins;
  for (int g = 0; g < 3; ++g) {
    int64_t rate = rides[g] == 0 ? 0 : Whole<int64_t>(std::nearbyint(top2[g] * 100.0 / rides[g]));
    int64_t bin = rate == 0 ? 0 : rate <= 5 ? 2 : rate <= 25 ? rate : 25;
    bins[g] = LastChars(Decimal(bin + 1000), 2);
  }
  f.ReadEx(f.r);
  std::string flag = "00";
  for (std::string_view j : kFormJockeys) {
    if (f.JockeyCode() == j) flag = "10";
  }
  std::string_view now = f.TrackCode();
  if (InRange(now, "00", "21")) return bins[0] + flag;
  if (InRange(now, "22", "49")) return bins[1] + flag;
  return bins[2] + flag;
}

std::string AlternativeFactors::Factor25JokenCode() {
  f.ReadEx(f.r);
  return std::string(f.Ex("condition.age_condition[4]"));
}

std::string AlternativeFactors::Factor25LogValue() {
  f.ReadEx(f.r);
  int32_t prize = Integer(f.Ex("main_prize[0]"));
  std::string code = prize == 0 ? "00" : Decimal(LogClass(prize));
  // A text test: one-digit classes from "6" up, and "0", also land on "53".
  if (code > "53" || code < "00") code = "53";
  return code;
}

std::string AlternativeFactors::Factor26PrevTimeDiffOld() {
  f.ReadEx(f.r);
  if (f.r == 1) return "0099";
  f.ReadEx(f.r - 1);
  const std::string s(f.Ex("time_difference"));
  // Tenths of a second behind the winner, "+000" to "+029" exactly.
  auto close_behind = [&s] {
    if (s[0] != '+') return false;
    for (char c : s.substr(1)) {
      if (c < '0' || c > '9') return false;
    }
    return Integer(s.substr(1)) <= 29;
  };
  std::string two(BandOf(s, kPrevTimeDiffCodes, ""));
  if (two.empty()) {
    if (close_behind()) {
      two = LastChars(Decimal(Integer(s.substr(1)) + 107), 2);
    } else if (InRange(s, "+030", "+050")) {
      two = Decimal(Integer(LastChars(s, 2)) + 7);
    } else {
      two = "99";
    }
  }
  f.ReadEx(f.r);
  return "00" + two;
}

std::string AlternativeFactors::Factor27FlTableCode() {
  f.ReadEx(f.r);
  std::string code = "11" + FlTableValue();
  // Meant for a mare line without a value; the code is longer than this text.
  if (code == "1100000000") code = "1112010012";
  return code;
}

std::string AlternativeFactors::Factor27PrevFinishOdds() {
  f.ReadEx(f.r);
  if (f.r == 1) return "0000";
  f.ReadEx(f.r - 1);
  const int32_t order = Integer(f.ArrivalOrder());
  std::string band = order >= 1 && order <= 3     ? "01"
                     : order >= 4 && order <= 5   ? "02"
                     : order >= 6 && order <= 11  ? "03"
                     : order >= 12 && order <= 14 ? "04"
                     : order >= 15 && order <= 18 ? "05"
                                                  : "00";
  std::string_view odds = f.Ex("win_odds");
  std::string code;
  if (odds == "0000" || odds == "    ") {
    code = "9000";
  } else {
    // Odds in tenths; 1000 / odds is ten times the chance as a percentage.
    int64_t e = ThousandOverOdds(odds);
    // A negative odds text falls in no band and gives no digit.
    std::string digit = e < 0     ? ""
                        : e <= 1  ? "1"
                        : e <= 3  ? "2"
                        : e <= 6  ? "3"
                        : e <= 10 ? "4"
                        : e <= 20 ? "5"
                        : e <= 30 ? "6"
                        : e <= 50 ? "7"
                                  : "8";
    code = digit + band + "0";
  }
  f.ReadEx(f.r);
  return code;
}

std::string AlternativeFactors::Factor28RunnerCountCode() {
  f.ReadEx(f.r);
  std::string_view runners = f.Ex("registered");
  return InRange(runners, "00", "08") ? "08000" : std::string(runners) + "000";
}

}  // namespace volq
