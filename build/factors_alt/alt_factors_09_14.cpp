// Other codes for factors 9 to 14: run count, weight classes, jockey and sire
// prize money, race-day codes and the weeks between the latest runs.
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "build/factors_alt/alternative_factors.h"
#include "build/factors_alt/code_text.h"

namespace volq {

namespace {

// Days to add to the day number of a meeting so that the days of a run of
// consecutive meetings at one racecourse count on, for the years 2007 to 2013
// and racecourses "01" to "10"; entry i is meeting i + 1. A meeting beyond its
// list has no day code.
constexpr int kFirstCalendarYear = 2007;
// clang-format off
const std::array<std::array<std::vector<int>, 10>, 7> kMeetingDayOffsets = {{
    // 2007
    {{{0, 8}, {0, 8}, {0, 0, 0, 8}, {0, 0, 8}, {0, 0, 8, 0, 8},
      {8, 0, 8, 0, 0}, {0, 0, 0}, {0, 8, 0, 0, 8}, {0, 8, 0, 0, 0}, {0, 0, 8}}},
    // 2008 (racecourse "01": every meeting after the first 8, see DayOffset)
    {{{0, 8}, {0, 8}, {0, 0, 0, 8}, {0, 0, 8}, {0, 0, 8, 0, 8},
      {8, 0, 8, 0, 0}, {0, 0, 0}, {0, 8, 0, 0, 8}, {0, 8, 0, 0, 0}, {0, 0, 8}}},
    // 2009
    {{{0, 12}, {0, 8}, {0, 0, 0}, {0, 0, 8, 16}, {0, 0, 8, 0, 8},
      {8, 0, 8, 0, 0}, {0, 0, 0, 0}, {0, 8, 0, 0, 8}, {0, 8, 0, 0, 0}, {0, 0, 8}}},
    // 2010
    {{{0, 8}, {0, 8}, {0, 0, 0}, {0, 0, 8}, {0, 0, 8, 0, 8},
      {8, 0, 8, 0, 0}, {0, 0, 0, 0}, {0, 8, 0, 8, 0, 8}, {0, 8, 0, 0, 0}, {0, 8, 0}}},
    // 2011
    {{{0, 8}, {0, 8}, {0, 0, 0}, {0, 10, 0, 8, 0}, {0, 0, 8, 0, 9},
      {8, 0, 0, 0, 0}, {0, 0, 0, 0}, {0, 8, 0, 12, 0, 8}, {0, 7, 0, 4, 0, 0}, {0, 0, 12, 0, 0}}},
    // 2012
    {{{0, 8}, {0, 8}, {0, 0, 0}, {0, 0, 8}, {0, 0, 8, 0, 8},
      {8, 0, 8, 0, 0}, {0, 0, 0, 0}, {0, 7, 0, 0, 8}, {0, 8, 0, 0, 0}, {0, 8, 0}}},
    // 2013
    {{{0, 8}, {0, 6, 12, 18}, {0, 0, 0}, {0, 0, 0}, {0, 0, 12, 0, 8},
      {8, 0, 8, 0, 0}, {0, 0, 0, 0}, {0, 7, 0, 0, 9}, {0, 8, 0, 0, 0}, {0, 0}}},
}};
// clang-format on

// Two-character text of n from 0 to 99: 5 gives "05".
std::string TwoDigits(int n) { return LastChars(Decimal(n + 100), 2); }

// Index 0 to 6 of a calendar year "2007" to "2013", -1 for any other text.
int CalendarYear(std::string_view year) {
  for (int i = 0; i < 7; ++i) {
    if (year == Decimal(kFirstCalendarYear + i)) return i;
  }
  return -1;
}

// Index 0 to 9 of a racecourse code "01" to "10", -1 for any other text.
int CalendarRacecourse(std::string_view course) {
  for (int i = 0; i < 10; ++i) {
    if (course == TwoDigits(i + 1)) return i;
  }
  return -1;
}

// Offset of a meeting of a calendar year and racecourse; false when the
// calendar does not list the meeting.
bool DayOffset(int year, int course, std::string_view meeting, int& offset) {
  if (year == 2008 - kFirstCalendarYear && course == 0 && meeting != "01") {
    offset = 8;
    return true;
  }
  const std::vector<int>& offsets =
      kMeetingDayOffsets[static_cast<size_t>(year)][static_cast<size_t>(course)];
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (meeting == TwoDigits(static_cast<int>(i) + 1)) {
      offset = offsets[i];
      return true;
    }
  }
  return false;
}

// Career starts and prize money of a jockey's statistics record: over fences
// when `jumps`, on the flat otherwise.
void JockeyStartsAndMoney(const std::string& rec, bool jumps, double& starts, double& money) {
  starts = Value((jumps ? TallyField("jump_runs") : TallyField("flat_runs")).Of(rec));
  money = Value((jumps ? TallyField("jump_prize") : TallyField("flat_prize")).Of(rec));
}

// 2 for an interval of a year or more, 1 for half a year or more, else 0.
int IntervalClass(int64_t weeks) {
  if (weeks >= 52) return 2;
  if (weeks >= 27) return 1;
  return 0;
}

}  // namespace

std::string AlternativeFactors::Factor09RaceCountCapped() {
  f.ReadEx(f.r);
  if (f.r == 1) return "001";
  if (f.r >= 2 && f.r <= 60) return LastChars(Decimal(f.r + 999), 3);
  return "060";
}

std::string AlternativeFactors::Factor10FutanRatioOld() {
  f.ReadEx(f.r);
  std::string_view carried = f.Ex("weight"), body = f.Ex("body_weight");
  int64_t k = 100;
  if (Value(carried) > 0 && Value(body) > 0) {
    // Carried kilograms per mille of body weight plus carried weight.
    double kg = Number(carried) * 0.1;
    k = Floor(kg * 1000 / (Number(body) + Number(carried) * 0.1) + 0.5);
    if (k < 96) k = 96;
    if (k > 114) k = 114;
  }
  k = 2 * Floor(k / 2.0);
  return LastChars(Decimal(k + 1000), 3);
}

std::string AlternativeFactors::Factor11SexBodyWeight() {
  f.ReadEx(f.r);
  std::string_view body = f.Ex("body_weight");
  int64_t n = Value(body) == 0 ? 44 : Floor(Number(body) / 8);
  if (n <= 51) n = 50;
  if (n > 70) n = 70;
  std::string_view sex = f.Ex("sex");
  return Decimal(sex == "1" || sex == "3" ? n + 30 : n);
}

std::string AlternativeFactors::Factor13KishuSeisekiLog() {
  f.ReadEx(f.r);
  std::string code = "00";
  std::string_view jockey = f.JockeyCode();
  if (jockey != "00000" && jockey != "     ") {
    if (const std::string* rec = f.LookupRecord(kJockeyTallyFile, kResultsTallyLength, jockey)) {
      int32_t t = Integer(f.TrackCode());
      double n, s;
      JockeyStartsAndMoney(*rec, t < 0 || t > 29, n, s);
      if (n != 0 && s / n != 0) code = LastChars(Decimal(LogClass(s / n) + 100), 2);
    }
  }
  if (code >= "00" && code <= "27") return "27";
  if (code >= "28" && code <= "35") return code;
  return "35";
}

std::string AlternativeFactors::Factor13RaceDayCode() {
  f.ReadEx(f.r);
  std::string_view track = f.TrackCode();
  std::string day(f.Ex("race.day_number"));
  if (track >= "00" && track <= "49") return day + std::string(f.RaceMonth()) + "0";
  return day + std::string(f.Ex({"race.meeting", 1, 1})) + std::string(f.HorseNumber());
}

std::string AlternativeFactors::Factor13KaisaiNichiji() {
  f.ReadEx(f.r);
  int32_t t = Integer(f.TrackCode());
  if (t < 0 || t > 49) {
    return std::string(f.Ex("race.day_number")) + std::string(f.Ex({"race.meeting", 1, 1})) +
           std::string(f.HorseNumber());
  }
  int year = CalendarYear(f.RaceYear());
  int course = CalendarRacecourse(f.Venue());
  // Outside the calendar there is no day code.
  if (year < 0 || course < 0) return "0001";
  std::string day = "00";
  int offset;
  if (DayOffset(year, course, f.Ex("race.meeting"), offset)) {
    day = LastChars(Decimal(Integer(f.Ex("race.day_number")) + offset + 100), 2);
  }
  if (Integer(day) > 16) day = "17";
  return day + "00" + "01";
}

std::string AlternativeFactors::Factor13StallionSurface() {
  f.ReadEx(f.r);
  const std::string* rec = f.LookupRecord(kStallionFile, kMareStallionLength, f.Sire());
  if (!rec) return "00";
  int32_t t = Integer(f.TrackCode());
  // Offspring with jump earnings over fences, with flat earnings otherwise;
  // the money sum is the same field for both.
  const Slice earners =
      t < 0 || t > 29 ? StallionField("jump_earners") : StallionField("flat_earners");
  double n = Value(earners.Of(*rec));
  if (n == 0) return "00";
  double q = Value(StallionField("flat_earnings").Of(*rec)) / n;
  if (q == 0) return "00";
  return Decimal(DecimalOrder(q));
}

std::string AlternativeFactors::Factor13KishuSeisei() {
  f.ReadEx(f.r);
  std::string_view jockey = f.JockeyCode();
  if (jockey == "00000") return "00";
  const std::string* rec = f.LookupRecord(kJockeyTallyFile, kResultsTallyLength, jockey);
  if (!rec) return "0";
  std::string_view track = f.TrackCode();
  double n, s;
  JockeyStartsAndMoney(*rec, track > "29" || track < "00", n, s);
  if (n == 0 || s / n == 0) return "00";
  return Decimal(LogClass(s / n));
}

std::string AlternativeFactors::Factor14IntervalWeeks() {
  f.ReadEx(f.r);
  const int32_t r = f.r;
  // Dates of records r, r-1, r-2 and r-3 as far as they exist.
  std::array<RaceDay, 4> date;
  date[0] = f.RaceDate();
  for (int32_t back = 1; back <= 3 && r - back >= 1; ++back) {
    f.ReadEx(r - back);
    date[static_cast<size_t>(back)] = f.RaceDate();
  }
  int64_t w1 = 0, w2 = 0, w3 = 0;
  if (r >= 2) w1 = Weeks(date[1], date[0]);
  if (r >= 3) w2 = Weeks(date[2], date[1]);
  if (r >= 4) w3 = Weeks(date[3], date[2]);
  f.ReadEx(r);

  if (w1 > 78) {
    w1 = 78;
  } else if (w1 >= 52 && w1 <= 78) {
    w1 = 52;
  } else if (w1 >= 27 && w1 <= 51) {
    w1 = 27;
  }
  if (w1 >= 1 && w1 <= 3) {
    // A quick return after a long rest: recoded by the rest before it, and
    // failing that by the one before that.
    int c2 = IntervalClass(w2), c3 = IntervalClass(w3);
    if (c2 == 1)
      w1 = 26 + 2 * w1;
    else if (c2 == 2)
      w1 = 27 + 2 * w1;
    if (w1 >= 1 && w1 <= 3) {
      if (c3 == 1)
        w1 = 32 + 2 * w1;
      else if (c3 == 2)
        w1 = 33 + 2 * w1;
    }
  }
  if (w1 == 0) return "1020";
  return LastChars(Decimal(w1 * 10 + 1000), 4);
}

}  // namespace volq
