#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "build/factors_alt/alternative_factors.h"
#include "build/factors_alt/code_text.h"

namespace volq {

namespace {

using Text = std::string_view;

// Closed windows of race dates as yyyymmdd numbers.
using DateWindows = std::initializer_list<std::pair<int32_t, int32_t>>;
bool InWindows(const RaceDay& day, DateWindows windows) {
  const int32_t d = day.Number();
  for (const auto& [lo, hi] : windows) {
    if (lo <= d && d <= hi) return true;
  }
  return false;
}

// "1" to "9" for racecourses 01 to 09, "A" for 10, "B" for anything else.
std::string VenueCharacter(const FactorFrame& f) {
  Text c = f.Venue();
  if (InRange(c, "01", "09")) return std::string(c.substr(1, 1));
  return c == "10" ? "A" : "B";
}

// The weekday code for 1 and 2, "3" for any other day.
std::string WeekdayCharacter(const FactorFrame& f) {
  int32_t d = Integer(f.Ex("weekday"));
  return d == 1 || d == 2 ? std::string(f.Ex("weekday")) : "3";
}

// Steeplechases (and codes outside the flat ranges): the long courses 4100,
// 4250 and 4260 share one code, the rest go by the first three distance digits.
std::string SteepleVenueCode(const FactorFrame& f) {
  Text distance = f.Distance();
  if (distance == "4100" || distance == "4250" || distance == "4260") {
    return Join({"3", f.Venue(), "28800", "52"});
  }
  return Join({"3", f.Venue(), f.Ex({"distance", 0, 3}), "00", f.TrackCode()});
}

std::string BirthMonthRace(FactorFrame& f) {
  f.ReadEx(f.r);
  int32_t t = Integer(f.TrackCode());
  if (t >= 0 && t <= 49) return Join({f.Ex("race.race_number"), f.Ex("race.day_number")});
  Text m = f.Ex("birth_date.month");
  if (m > "06" || m < "00") return "0600";
  return Join({m, "00"});
}

}  // namespace

std::string AlternativeFactors::Factor01YearMonthMeeting() {
  f.ReadEx(f.r);
  if (InRange(f.TrackCode(), "00", "29"))
    return Join({f.RaceMonth(), f.Ex("race.meeting"), "0000"});
  return Join({f.RaceYear(), std::string(9, ' ')});
}

std::string AlternativeFactors::Factor01SeasonMonth() {
  f.ReadEx(f.r);
  if (InRange(f.TrackCode(), "00", "29")) return Join({f.Ex("race.meeting"), std::string(9, ' ')});
  return Join({f.RaceYear(), f.RaceMonth(), "0000"});
}

std::string AlternativeFactors::Factor01KaisaiCode() {
  f.ReadEx(f.r);
  int32_t t = Integer(f.TrackCode());
  if (t < 0 || t > 29) return Join({f.RaceYear(), "0000"});
  std::string code = Join({f.Ex({"race.year", 2, 2}), f.RaceMonth(), f.Ex("race.meeting"), "00"});
  if (t <= 22) {
    // Turf meetings held under another month's meeting number.
    static constexpr std::pair<Text, Text> kMoved[] = {{"09090200", "09080200"},
                                                       {"12050100", "12040100"},
                                                       {"13050100", "13040100"},
                                                       {"13080400", "13090400"}};
    for (const auto& [from, to] : kMoved) {
      if (code == from) code = to;
    }
  }
  return code;
}

std::string AlternativeFactors::Factor01BirthMonthRace() { return BirthMonthRace(f); }

std::string AlternativeFactors::Factor01BirthMonthRace2() { return BirthMonthRace(f); }

std::string AlternativeFactors::Factor02VenueDistanceCode() {
  f.ReadEx(f.r);
  Text t = f.TrackCode();
  Text venue = f.Venue();
  std::string tail = Join({f.Ex({"distance", 0, 2}), t, f.HorseNumber()});
  if (t == "10") {
    std::string p =
        InWindows(f.RaceDate(), {{20050601, 20061231}, {20080101, 20080531}, {20080601, 20110531}})
            ? "1"
            : "2";
    return Join({p, venue, tail, f.Ex("course_division")});
  }
  if (InRange(t, "11", "22")) {
    // The period of the course layout at each racecourse.
    std::string p;
    if (venue == "01") {
      if (f.Distance() == "1000")
        return Join({"1", "01", "33", t, f.HorseNumber(), f.Ex("course_division")});
      p = "1";
    } else if (venue == "02") {
      p = "1";
    } else if (venue == "03") {
      p = InWindows(f.RaceDate(),
                    {{20050601, 20061231}, {20080101, 20080531}, {20080601, 20090531}})
              ? "1"
              : "2";
    } else if (venue == "04" || venue == "10") {
      p = InWindows(f.RaceDate(),
                    {{20050601, 20061231}, {20080101, 20080531}, {20080601, 20110531}})
              ? "1"
              : "2";
    } else if (venue == "05") {
      p = InWindows(f.RaceDate(),
                    {{20050601, 20061231}, {20080101, 20080531}, {20080601, 20100101}})
              ? "1"
              : "2";
    } else if (venue == "06") {
      p = InWindows(f.RaceDate(), {{20050601, 20061231}}) ? "1" : "2";
    } else if (venue == "07") {
      p = InWindows(f.RaceDate(), {{20050601, 20061231}, {20080101, 20120302}}) ? "1" : "2";
    } else if (venue == "08") {
      p = InWindows(f.RaceDate(),
                    {{20050601, 20071231}, {20080101, 20080531}, {20080601, 20110531}})
              ? "1"
              : "2";
    } else if (venue == "09") {
      const RaceDay d = f.RaceDate();
      p = InWindows(d, {{20050601, 20061201}})                                               ? "1"
          : InWindows(d, {{20061202, 20071231}, {20080101, 20080531}, {20080601, 20090531}}) ? "2"
                                                                                             : "3";
    } else {
      return "";
    }
    return Join({p, venue, tail, f.Ex("course_division")});
  }
  if (InRange(t, "23", "29")) {
    std::string p = "1";
    if (venue == "07") {
      p = InWindows(f.RaceDate(), {{20050601, 20061231}, {20080101, 20120302}}) ? "1" : "2";
    } else if (venue == "09") {
      p = InWindows(f.RaceDate(), {{20050601, 20061201}}) ? "1" : "2";
    }
    return Join({p, venue, tail, "1"});
  }
  return SteepleVenueCode(f);
}

std::string AlternativeFactors::Factor02VenueCode() {
  f.ReadEx(f.r);
  std::string v = VenueCharacter(f);
  std::string wd = WeekdayCharacter(f);
  int32_t bracket = Integer(f.Ex("bracket"));
  std::string h = bracket >= 1 && bracket <= 4 ? "1" : "2";
  int32_t t = Integer(f.TrackCode());
  if (t == 10 || t == 11 || t == 12 || t == 17 || t == 18) return Join({v, wd, h, f.TrackCode()});
  if (t == 21) return Join({v, wd, h, "17"});
  if (t == 22) return Join({v, wd, h, "18"});
  if (t >= 23 && t <= 29) return Join({v, wd, h});
  return Join({v, f.TrackCode(), wd});
}

std::string AlternativeFactors::Factor02CourseCode() {
  // Works on the record the buffer holds, then leaves record r there.
  int32_t a = Integer(f.TrackCode());
  Text venue = f.Venue();
  Text distance = f.Distance();
  std::string code;
  if (a == 10) {
    std::string p = InWindows(f.RaceDate(), {{20100101, 20110531}}) ? "1" : "2";
    code = Join({p, venue, f.TrackCode(), f.HorseNumber(), f.Ex("course_division")});
  } else if (a >= 11 && a <= 22) {
    std::string p;
    Text track = f.TrackCode();
    bool known = true;
    if (venue == "01" || venue == "02") {
      p = "1";
    } else if (venue == "03") {
      p = "2";
    } else if (venue == "04" || venue == "08" || venue == "10") {
      p = InWindows(f.RaceDate(), {{20100101, 20110531}}) ? "1" : "2";
    } else if (venue == "05") {
      p = f.RaceDate().Number() == 20100101 ? "1" : "2";
    } else if (venue == "06") {
      p = "2";
      if (distance == "3600") track = "17";
    } else if (venue == "07") {
      p = InWindows(f.RaceDate(), {{20100101, 20120302}}) ? "1" : "2";
    } else if (venue == "09") {
      p = InWindows(f.RaceDate(), {{20080101, 20080531}, {20080601, 20090531}}) ? "1" : "2";
    } else {
      known = false;
    }
    if (known) code = Join({p, venue, track, f.HorseNumber(), f.Ex("course_division")});
  } else if (a >= 23 && a <= 29) {
    // Dirt courses that share a layout with another distance or racecourse.
    std::string p = "1";
    Text c = venue;
    Text x = f.TrackCode();
    if (venue == "03") {
      if (distance == "1150") {
        c = "06";
        x = "25";
      }
    } else if (venue == "04" || venue == "06") {
      if (distance == "1200") x = "25";
    } else if (venue == "05") {
      if (distance == "1600") {
        p = "2";
        c = "07";
        x = "25";
      }
    } else if (venue == "07") {
      p = InWindows(f.RaceDate(), {{20100101, 20120302}}) ? "1" : "2";
      if (distance == "1400") x = "25";
    } else if (venue == "08") {
      if (distance == "1400") x = "25";
    } else if (venue == "09") {
      if (distance == "1400" || distance == "2000") x = "25";
    }
    code = Join({p, c, x, f.HorseNumber()});
  } else {
    code = SteepleVenueCode(f);
  }
  f.ReadEx(f.r);
  return code;
}

std::string AlternativeFactors::Factor02VenueTrackB() {
  f.ReadEx(f.r);
  std::string v = VenueCharacter(f);
  Text wd = f.Ex("weekday");
  int32_t bracket = Integer(f.Ex("bracket"));
  std::string k = bracket >= 1 && bracket <= 3 ? "1" : bracket >= 4 && bracket <= 6 ? "2" : "3";
  Text n = f.Ex({"race.meeting", 1, 1});
  Text left2 = f.Ex({"distance", 0, 2});
  Text course = f.Ex("course_division");
  int32_t a = Integer(f.TrackCode());
  if (a == 10) return Join({v, wd, f.Ex("bracket"), course, n});
  if (a == 11 && f.Venue() == "04") return Join({v, k, wd, "1", left2, course, n});
  if (a == 11 || a == 12 || a == 17 || a == 21) return Join({v, wd, k, left2, course, n});
  if (a == 18) return Join({v, "1", wd, k, left2, course, n});
  if (a >= 23 && a <= 29) return Join({v, f.Ex("bracket"), f.Distance(), f.Ex("race.meeting"), wd});
  return Join({v, f.Ex({"distance", 0, 3}), f.TrackCode()});
}

}  // namespace volq
