// The racing calendar and a day-by-day simulation of the races: fields drawn
// from the horses ready for each race's age, class and surface, riders, weights,
// odds, running and results, and the tallies of every person and organisation.
#include <algorithm>
#include <map>
#include <queue>

#include "tools/gen/dates.h"
#include "tools/gen/world.h"

namespace volq::gen {
namespace {

struct Course {
  bool left_handed;
  std::vector<int> turf, dirt;
  bool jumps;
  int max_field;
};

const Course& CourseOf(int venue) {
  // clang-format off
  static const Course kCourses[10] = {
      {false, {1200, 1500, 1800, 2000, 2600}, {1000, 1700, 2400}, false, 16},                    // Sapporo
      {false, {1000, 1200, 1800, 2000, 2600}, {1000, 1700, 2400}, false, 16},                    // Hakodate
      {false, {1200, 1800, 2000, 2600}, {1150, 1700, 2400}, true, 16},                           // Fukushima
      {true, {1000, 1200, 1400, 1600, 1800, 2000, 2200, 2400}, {1200, 1800, 2500}, true, 18},    // Niigata
      {true, {1400, 1600, 1800, 2000, 2300, 2400, 2500, 3400}, {1300, 1400, 1600, 2100}, true, 18},  // Tokyo
      {false, {1200, 1600, 1800, 2000, 2200, 2500, 3600}, {1200, 1800, 2400, 2500}, true, 16},   // Nakayama
      {true, {1200, 1400, 1600, 2000, 2200, 3000}, {1200, 1400, 1800, 1900}, true, 18},          // Chukyo
      {false, {1200, 1400, 1600, 1800, 2000, 2200, 2400, 3000, 3200}, {1200, 1400, 1800, 1900}, true, 18},  // Kyoto
      {false, {1200, 1400, 1600, 1800, 2000, 2200, 2400, 2600, 3000, 3200}, {1200, 1400, 1800, 2000}, true,
       18},                                                                                       // Hanshin
      {false, {1200, 1700, 1800, 2000, 2600}, {1000, 1700, 2400}, true, 16},                     // Kokura
  };
  // clang-format on
  return kCourses[venue - 1];
}

// The three racecourses of each month of the year, the third one a local meeting.
constexpr int kMonthVenues[12][3] = {{6, 8, 7}, {5, 8, 10}, {6, 9, 7}, {6, 9, 3},
                                     {5, 8, 4}, {5, 9, 2},  {3, 7, 2}, {4, 10, 1},
                                     {6, 9, 1}, {5, 8, 4},  {5, 8, 3}, {6, 9, 7}};

constexpr int kJumpDistances[] = {2750, 2880, 3000, 3110, 3140, 3200,
                                  3300, 3350, 3570, 3900, 4100, 4250};
constexpr const char* kLocalVenues[] = {"30", "35", "42", "43", "44", "45",
                                        "46", "47", "48", "50", "54", "55"};
constexpr const char* kOverseasVenues[] = {"A4", "A6", "B2", "C0", "C7", "D2", "F0", "G0", "K6"};

struct RaceDay {
  int day;
  int venue;  // 1-10, or 0 for a local or overseas race day
  char weekday;
  int meeting, day_of_meeting;
  char special;  // 'A' local, 'B' overseas, ' ' central
};

int NthWeekday(int year, int month, int weekday, int n) {
  int d = DaysFromCivil(year, month, 1);
  while (WeekdayOf(d) != weekday) ++d;
  return d + 7 * (n - 1);
}

std::vector<RaceDay> Calendar(const World& w, Rng& rng) {
  std::vector<RaceDay> days;
  for (int year = w.sim_from_year; year <= w.opt.to; ++year) {
    std::vector<int> saturdays;
    for (int d = NthWeekday(year, 1, 6, 1); YearOf(d) == year; d += 7)
      if (d >= DaysFromCivil(year, 1, 5) && d + 1 <= DaysFromCivil(year, 12, 28))
        saturdays.push_back(d);
    std::vector<int> chosen;
    if (w.sp.weekends_per_year == 0) {
      chosen = saturdays;
    } else {
      for (int k = 0; k < w.sp.weekends_per_year; ++k)
        chosen.push_back(saturdays[(2 * k + 1) * saturdays.size() / (2 * w.sp.weekends_per_year)]);
    }
    const int holidays[] = {NthWeekday(year, 1, 1, 2), NthWeekday(year, 9, 1, 3),
                            NthWeekday(year, 10, 1, 2)};
    std::map<int, int> meeting, last_month, day_count;
    int prev_month = 0;
    bool first_weekend_of_month = true;
    for (int sat : chosen) {
      const int month = CivilFromDays(sat).m;
      first_weekend_of_month = month != prev_month;
      prev_month = month;
      const int* venues = kMonthVenues[month - 1];
      int nv = w.sp.venues_per_day;
      if (nv == 3 && first_weekend_of_month) nv = 2;
      std::vector<std::pair<int, char>> race_days = {{sat, '1'}, {sat + 1, '2'}};
      if (w.sp.weekends_per_year == 0 &&
          std::find(std::begin(holidays), std::end(holidays), sat + 2) != std::end(holidays))
        race_days.push_back({sat + 2, '3'});
      for (auto [day, weekday] : race_days) {
        for (int v = 0; v < nv; ++v) {
          if (weekday == '3' && v == 2) continue;
          const int venue = venues[v];
          if (last_month[venue] != month) {
            ++meeting[venue];
            day_count[venue] = 0;
            last_month[venue] = month;
          }
          days.push_back({day, venue, weekday, meeting[venue], ++day_count[venue], ' '});
        }
      }
    }
    // Central horses abroad and at local tracks: a few race days a year.
    const int locals = w.sp.weekends_per_year == 0 ? 24 : 1;
    const int overseas = w.sp.weekends_per_year == 0 ? 10 : 1;
    for (int k = 0; k < locals; ++k) {
      const int wed = NthWeekday(year, 1 + k * 12 / locals, 3, 1 + rng.Range(0, 2));
      days.push_back({wed, 0, '6', rng.Range(1, 15), rng.Range(1, 5), 'A'});
    }
    for (int k = 0; k < overseas; ++k) {
      const int sun = NthWeekday(year, 2 + k * 10 / overseas, 0, 1 + rng.Range(0, 2));
      days.push_back({sun, 0, '2', 1, 1, 'B'});
    }
  }
  std::stable_sort(days.begin(), days.end(),
                   [](const RaceDay& a, const RaceDay& b) { return a.day < b.day; });
  return days;
}

// What one slot of a day's card is: class, ages, surface, grade.
struct Slot {
  int category;
  int age_kind;
  bool jump = false;
  char grade = ' ';
  bool special = false;
};

Slot CardSlot(int number, int month, char weekday, const Course& course, Rng& rng) {
  const bool spring = month <= 5;
  const bool two_year_olds = month >= 6;
  const bool maiden3 = month <= 8;
  const int older = spring ? 14 : 13;
  auto maiden = [&](bool newcomer_ok) -> Slot {
    const bool use_two = two_year_olds && (!maiden3 || rng.Chance(month >= 7 ? 0.5 : 0.2));
    const int cat =
        newcomer_ok && ((use_two) || month <= 3) && rng.Chance(0.45) ? kNewcomer : kMaiden;
    return {cat, use_two ? 11 : 12};
  };
  switch (number) {
    case 1:
    case 2:
    case 3:
      return maiden(false);
    case 4:
      if (course.jumps && weekday == '1' && rng.Chance(0.6))
        return {kMaiden, month <= 5 ? 19 : 18, true};
      return maiden(false);
    case 5:
      return maiden(true);
    case 6:
      if (two_year_olds && rng.Chance(0.5))
        return {month >= 10 && rng.Chance(0.4) ? kOneWin : kNewcomer, 11};
      return {kOneWin, spring ? 12 : older};
    case 7:
      return {kOneWin, older};
    case 8:
      if (course.jumps && weekday == '2' && rng.Chance(0.3)) {
        Slot s{kOpen, 18, true};
        if (rng.Chance(0.25)) s.grade = rng.Chance(0.1) ? 'F' : rng.Chance(0.4) ? 'G' : 'H';
        s.special = true;
        return s;
      }
      return {kOneWin, spring && rng.Chance(0.5) ? 12 : older};
    case 9:
      return {spring && rng.Chance(0.4) ? kOneWin : kTwoWins,
              spring && rng.Chance(0.4) ? 12 : older, false, ' ', true};
    case 10:
      return {rng.Chance(0.5) ? kTwoWins : kThreeWins, older, false, ' ', true};
    case 11: {
      Slot s{kOpen, older, false, 'E', true};
      if (spring && rng.Chance(0.35)) s.age_kind = 12;
      if (month >= 8 && rng.Chance(0.2)) s.age_kind = 11;
      const double g = rng.Unit();
      s.grade = g < 0.07   ? 'A'
                : g < 0.18 ? 'B'
                : g < 0.38 ? 'C'
                : g < 0.4  ? 'D'
                : g < 0.58 ? 'L'
                           : 'E';
      if (s.grade == 'A' && weekday != '2') s.grade = 'B';
      return s;
    }
    default:
      if (spring) return {kTwoWins, older, false, ' ', rng.Chance(0.3)};
      return {rng.Chance(0.6) ? kOneWin : kTwoWins, older, false, ' ', rng.Chance(0.3)};
  }
}

// Prize money for the first place, in hundreds of yen.
int FirstPrize(const Race& r) {
  if (r.jump) {
    if (r.grade == 'F') return 660000;
    if (r.grade == 'G' || r.grade == 'H') return 350000;
    return r.category == kOpen ? 180000 : 79000;
  }
  switch (r.grade) {
    case 'A':
      return 1500000 + 100000 * (r.distance / 400);
    case 'B':
      return 600000;
    case 'C':
      return 400000;
    case 'D':
      return 350000;
    case 'L':
      return 230000;
    default:
      break;
  }
  static const int kByClass[] = {72000, 55000, 78000, 106000, 154000, 220000};
  return kByClass[r.category] + (r.special ? 6000 : 0);
}

struct HeapItem {
  int ready;
  uint32_t seq;
  int horse;
  uint32_t version;
};
struct Later {
  bool operator()(const HeapItem& a, const HeapItem& b) const {
    return a.ready != b.ready ? a.ready > b.ready : a.seq > b.seq;
  }
};
using Bucket = std::priority_queue<HeapItem, std::vector<HeapItem>, Later>;

constexpr int kBuckets = 3 * 6 * 2 * 2;

class Simulation {
 public:
  Simulation(World& w, Rng& rng) : w_(w), rng_(rng), buckets_(kBuckets) {}

  void Run() {
    std::vector<RaceDay> days = Calendar(w_, rng_);
    w_.races.reserve(days.size() * 12);
    w_.entries.reserve(days.size() * 12 * 15);
    // The last central weekend is not yet run: its races are delivered with
    // their entries only, on the Friday before.
    int last_saturday = 0;
    for (const RaceDay& d : days)
      if (d.special == ' ' && d.weekday == '1') last_saturday = d.day;
    w_.as_of = last_saturday - 1;
    int year = 0, prepared_day = -1;
    for (const RaceDay& d : days) {
      if (d.special != ' ' && d.day > w_.as_of) continue;
      const int y = YearOf(d.day);
      if (y != year) {
        year = y;
        NewYear(year);
      }
      if (d.day != prepared_day) {
        prepared_day = d.day;
        PrepareRiders(d.day);
      }
      RunDay(d, d.day > w_.as_of);
    }
    Finish();
  }

 private:
  int Age(const Horse& h, int year) const { return year - h.birth_year; }

  int BucketOf(const Horse& h, int year) const {
    const int age = Age(h, year);
    const int group = age <= 2 ? 0 : age == 3 ? 1 : 2;
    const int cls = h.jumper ? h.jump_cls : h.cls;
    return ((group * 6 + cls) * 2 + h.surface) * 2 + (h.jumper ? 1 : 0);
  }

  void Push(int hi, int year) {
    Horse& h = w_.horses[static_cast<size_t>(hi)];
    buckets_[static_cast<size_t>(BucketOf(h, year))].push({h.ready_day, ++seq_, hi, ++h.version});
  }

  void Retire(Horse& h, int day) {
    h.retired = true;
    const int base = h.last_race_day ? h.last_race_day : std::max(h.registration_day, day - 200);
    h.retire_day = std::max(base + 20 + static_cast<int>(rng_.Below(70)), h.registration_day + 30);
  }

  // Racing careers that began before the first simulated year.
  void SeedEarlierCareer(Horse& h, int year) {
    const int age = Age(h, year);
    static const double kStillRacing[] = {0, 0, 1.0, 0.9, 0.65, 0.45, 0.3, 0.15};
    if (rng_.Unit() >= kStillRacing[std::min(age, 7)]) {
      h.retired = true;
      h.retire_day = DaysFromCivil(year - 1, 1, 1) - static_cast<int>(rng_.Below(600));
      return;
    }
    if (age == 3 && h.debut_day >= DaysFromCivil(year, 1, 1)) return;
    const double u = rng_.Unit();
    if (age == 3)
      h.cls = u < 0.6 ? 1 : u < 0.9 ? 2 : u < 0.98 ? 3 : 5;
    else if (age == 4)
      h.cls = u < 0.45 ? 2 : u < 0.75 ? 3 : u < 0.9 ? 4 : 5;
    else
      h.cls = u < 0.3 ? 2 : u < 0.6 ? 3 : u < 0.8 ? 4 : 5;
    if (age >= 5 && rng_.Chance(0.08)) {
      h.jumper = true;
      h.jump_cls = rng_.Chance(0.5) ? 1 : 0;
    }
    h.ready_day = DaysFromCivil(year, 1, 5) + static_cast<int>(rng_.Below(56));
  }

  void NewYear(int year) {
    for (Bucket& b : buckets_) b = Bucket();
    const bool first_year = year == w_.sim_from_year;
    for (size_t i = 0; i < w_.horses.size(); ++i) {
      Horse& h = w_.horses[i];
      if (!h.registered || h.retired || h.registration_day >= DaysFromCivil(year + 1, 1, 1))
        continue;
      const int age = Age(h, year);
      if (first_year && age >= 3) SeedEarlierCareer(h, year);
      if (h.retired) continue;
      const bool too_old = age >= (h.jumper ? 11 : 9);
      const bool maiden = !h.jumper && h.cls <= 1 && age >= 4;
      const bool to_stud = h.stud_year != 0 && year > h.stud_year;
      if (too_old || maiden || to_stud) {
        Retire(h, DaysFromCivil(year, 1, 1));
        continue;
      }
      Push(static_cast<int>(i), year);
    }
  }

  void PrepareRiders(int day) {
    const int month = CivilFromDays(day).m;
    std::vector<double> flat, jump;
    flat_ids_.clear();
    jump_ids_.clear();
    for (size_t i = 0; i < w_.jockeys.size(); ++i) {
      const Person& j = w_.jockeys[i];
      if (j.deleted || j.licence_day > day || (j.end_day != 0 && j.end_day <= day)) continue;
      if (j.affiliation == 4 && (month > 2 && month < 11)) continue;
      if (j.affiliation == 4 && day > j.licence_day + 6 * 365) continue;
      if (j.flat_rider) {
        flat_ids_.push_back(static_cast<int>(i));
        flat.push_back(j.skill);
      }
      if (j.jump_rider) {
        jump_ids_.push_back(static_cast<int>(i));
        jump.push_back(j.skill);
      }
    }
    flat_picker_.Reset(flat);
    jump_picker_.Reset(jump);
    max_skill_ = 0;
    for (double s : flat) max_skill_ = std::max(max_skill_, s);
  }

  // Pops horses ready by `day` from the buckets, earliest ready first.
  void Draw(const std::vector<int>& buckets, int day, int year, size_t want,
            std::vector<int>& out) {
    while (out.size() < want) {
      int best = -1;
      for (int b : buckets) {
        Bucket& q = buckets_[static_cast<size_t>(b)];
        while (!q.empty()) {
          const HeapItem& top = q.top();
          const Horse& h = w_.horses[static_cast<size_t>(top.horse)];
          if (h.retired || top.version != h.version)
            q.pop();
          else
            break;
        }
        if (q.empty() || q.top().ready > day) continue;
        if (best < 0 || Later()(buckets_[static_cast<size_t>(best)].top(), q.top())) best = b;
      }
      if (best < 0) return;
      const int hi = buckets_[static_cast<size_t>(best)].top().horse;
      buckets_[static_cast<size_t>(best)].pop();
      Horse& h = w_.horses[static_cast<size_t>(hi)];
      // Maidens that have not won by the autumn of their third year leave.
      if (!h.jumper && h.cls <= 1 && Age(h, year) == 3 && CivilFromDays(day).m >= 9) {
        Retire(h, day);
        continue;
      }
      out.push_back(hi);
    }
  }

  std::vector<int> BucketsFor(const std::vector<int>& groups, int cls, int surface,
                              bool jump) const {
    std::vector<int> out;
    for (int g : groups)
      for (int s = 0; s < 2; ++s)
        if (jump || s == surface) out.push_back(((g * 6 + cls) * 2 + s) * 2 + (jump ? 1 : 0));
    return out;
  }

  std::vector<int> PickField(const Race& r, int year, size_t want) {
    std::vector<int> groups;
    switch (r.age_kind) {
      case 11:
        groups = {0};
        break;
      case 12:
        groups = {1};
        break;
      case 14:
      case 19:
        groups = {2};
        break;
      default:
        groups = {1, 2};
        break;
    }
    std::vector<int> classes;
    if (r.jump)
      classes = {r.category == kOpen ? 1 : 0};
    else if (r.category == kNewcomer)
      classes = {0};
    else if (r.category == kMaiden)
      classes = {1, 0};
    else if (r.category == kOpen && r.age_kind <= 12)
      classes = {5, 4, 3, 2};
    else if (r.category == kOpen)
      classes = {5, 4, 3};
    else
      classes = {r.category, r.category - 1};  // horses may run above their class
    std::vector<int> field;
    for (int cls : classes)
      for (int pass = 0; pass < (r.jump ? 1 : 2) && field.size() < want; ++pass)
        Draw(BucketsFor(groups, cls, pass == 0 ? r.surface : 1 - r.surface, r.jump), r.day, year,
             want, field);
    return field;
  }

  void SetUpRace(Race& r, const Slot& s, const RaceDay& d) {
    const Course& c = CourseOf(d.venue);
    r.category = s.category;
    r.age_kind = s.age_kind;
    r.jump = s.jump;
    r.grade = s.grade;
    r.special = s.special || s.grade != ' ';
    if (r.special && r.grade == ' ') r.grade = 'E';  // a special race without a grade
    if (r.jump) {
      r.surface = 0;
      r.distance = rng_.Pick(kJumpDistances);
      r.track = 51 + static_cast<int>(rng_.Below(5));
      if (rng_.Chance(0.2)) r.track += 4;
      r.course = ' ';
    } else {
      const double turf_share = r.grade != ' ' && r.grade != 'E' ? 0.85 : 0.3 + 0.07 * r.category;
      r.surface = rng_.Chance(turf_share) ? 0 : 1;
      const std::vector<int>& ds = r.surface == 0 ? c.turf : c.dirt;
      r.distance = ds[rng_.Below(static_cast<uint32_t>(ds.size()))];
      if (r.surface == 1) {
        r.track = c.left_handed ? 23 : 24;
        r.course = ' ';
      } else {
        r.track = c.left_handed ? (rng_.Chance(0.3) ? 12 : 11) : (rng_.Chance(0.25) ? 18 : 17);
        if (r.venue == 4 && r.distance == 1000) r.track = 10;
        r.course = static_cast<char>('A' + rng_.Range(0, 2));
      }
    }
    r.age_index = r.jump ? (r.age_kind == 19 ? 5 : 4) : r.age_kind - 11;
    if (r.category <= kMaiden && !r.jump)
      r.weight_rule = '3';
    else if (r.grade == 'A')
      r.weight_rule = '4';
    else
      r.weight_rule = "1224"[rng_.Below(4)];
    const int first = FirstPrize(r);
    static const int kShare[] = {100, 40, 25, 15, 10};
    for (int i = 0; i < 5; ++i) r.prize[static_cast<size_t>(i)] = first * kShare[i] / 100 / 10 * 10;
    if (r.special) {
      const int add = first / 50 / 10 * 10 + 100;
      r.added = {add, add * 3 / 10, add * 2 / 10, 0, 0};
      r.name = SpecialRaceName(rng_, d.venue, r.grade >= 'A' && r.grade <= 'D', r.jump);
      r.special_number = static_cast<int>(rng_.Range(1, 999));
      if (r.grade >= 'A' && r.grade <= 'H' && r.grade != 'E') r.edition = rng_.Range(1, 89);
    }
  }

  void Weather(const RaceDay& d, Race& r) {
    auto it = weather_.find(d.day * 100 + d.venue);
    if (it == weather_.end()) {
      const int month = CivilFromDays(d.day).m;
      const double u = rng_.Unit();
      const double wet = month == 6 || month == 7 || month == 9 ? 0.25 : 0.12;
      int weather = u < 0.6 - wet ? 1 : u < 0.88 - wet / 2 ? 2 : rng_.Chance(0.6) ? 3 : 4;
      if ((month <= 2 || month == 12) && weather >= 3 && rng_.Chance(0.1))
        weather = rng_.Chance(0.5) ? 5 : 6;
      const int wetness = weather >= 3 ? rng_.Range(1, 3) : (rng_.Chance(0.1) ? 1 : 0);
      const int turf = 1 + std::min(3, wetness);
      const int dirt = 1 + std::min(3, wetness + (rng_.Chance(0.2) ? 1 : 0));
      it = weather_.emplace(d.day * 100 + d.venue, std::array<int, 3>{weather, turf, dirt}).first;
    }
    r.weather = it->second[0];
    r.turf_going = it->second[1];
    r.dirt_going = it->second[2];
  }

  void RunDay(const RaceDay& d, bool upcoming) {
    if (d.special != ' ') {
      RunAway(d);
      return;
    }
    const Course& c = CourseOf(d.venue);
    const int year = YearOf(d.day);
    const int month = CivilFromDays(d.day).m;
    // A short card keeps one race of each kind of the full card.
    static constexpr int kShortCard[] = {1, 4, 5, 7, 9, 10, 11};
    for (int number = 1; number <= w_.sp.races_per_day; ++number) {
      const int slot = w_.sp.races_per_day >= 12 ? number : kShortCard[(number - 1) % 7];
      Race r;
      r.day = d.day;
      r.venue = d.venue;
      r.venue_code = std::string(1, static_cast<char>('0' + d.venue / 10)) +
                     static_cast<char>('0' + d.venue % 10);
      r.meeting = d.meeting;
      r.day_of_meeting = d.day_of_meeting;
      r.number = number;
      r.weekday = d.weekday;
      r.visible = year >= w_.opt.from;
      r.kind = upcoming ? '2' : '7';
      SetUpRace(r, CardSlot(slot, month, d.weekday, c, rng_), d);
      Weather(d, r);
      const int extra = number >= 6 ? 45 : 0;
      const int minutes = 9 * 60 + 50 + (number - 1) * 30 + extra;
      r.post_time = minutes / 60 * 100 + minutes % 60;
      const int max_field =
          r.jump ? 14 : (r.distance <= 1000 ? std::min(c.max_field, 16) : c.max_field);
      const int want = r.jump                             ? rng_.Range(8, 14)
                       : r.grade != ' ' && r.grade != 'E' ? rng_.Range(14, 18)
                                                          : rng_.Range(11, 18);
      std::vector<int> field = PickField(r, year, static_cast<size_t>(std::min(want, max_field)));
      if (field.size() < 2) {
        for (int hi : field) Push(hi, year);
        continue;
      }
      if (r.visible && !upcoming) {
        r.early = early_(rng_);
        if (abandoned_(rng_))
          r.kind = '9';
        else
          r.bogus = bogus_(rng_);
      }
      Run(r, field, year);
    }
  }

  // A race at a local track or abroad with a few central horses among the runners.
  void RunAway(const RaceDay& d) {
    const int year = YearOf(d.day);
    Race r;
    r.day = d.day;
    r.venue = 0;
    const bool local = d.special == 'A';
    r.venue_code = local ? rng_.Pick(kLocalVenues) : rng_.Pick(kOverseasVenues);
    r.meeting = d.meeting;
    r.day_of_meeting = d.day_of_meeting;
    r.number = local ? 11 : rng_.Range(5, 10);
    r.weekday = d.weekday;
    r.kind = local ? 'A' : 'B';
    r.visible = year >= w_.opt.from;
    r.category = kOpen;
    r.age_kind = 13;
    r.age_index = 2;
    r.grade = local ? 'D' : (rng_.Chance(0.5) ? 'A' : 'B');
    r.special = true;
    r.surface = local ? 1 : 0;
    r.distance = local ? 1400 + 100 * rng_.Range(0, 7) : 1200 + 200 * rng_.Range(0, 10);
    r.track = local ? 24 : 17;
    r.course = ' ';
    r.weight_rule = '2';
    r.name = SpecialRaceName(rng_, rng_.Range(1, 10), true, false);
    for (int i = 0; i < 5; ++i)
      r.prize[static_cast<size_t>(i)] = (local ? 400000 : 2000000) * (5 - i) / 10;
    r.weather = rng_.Range(1, 2);
    r.turf_going = 1;
    r.dirt_going = rng_.Range(1, 2);
    r.post_time = local ? 2010 : 1540;
    std::vector<int> field =
        PickField(r, year, static_cast<size_t>(local ? rng_.Range(2, 5) : rng_.Range(1, 3)));
    if (field.empty()) return;
    r.field_total = rng_.Range(std::max(8, static_cast<int>(field.size()) + 4), 16);
    Run(r, field, year);
  }

  int RandomRider(bool jump, const std::vector<int>& used) {
    const WeightedPicker& p = jump ? jump_picker_ : flat_picker_;
    const std::vector<int>& ids = jump ? jump_ids_ : flat_ids_;
    if (p.empty()) return jump ? RandomRider(false, used) : 0;
    for (int attempt = 0; attempt < 40; ++attempt) {
      const int j = ids[p.Pick(rng_)];
      if (std::find(used.begin(), used.end(), j) == used.end()) return j;
    }
    for (int j : ids)
      if (std::find(used.begin(), used.end(), j) == used.end()) return j;
    return jump ? RandomRider(false, used) : ids[0];
  }

  int Apprentice(const Person& j, int day) const {
    if (j.affiliation > 2 || day - j.licence_day >= 3 * 365 || j.wins >= 100) return 0;
    return j.wins < 30 ? 3 : j.wins < 50 ? 2 : 1;
  }

  double AgeForm(int age, int month) const {
    if (age <= 2) return -0.4;
    if (age == 3) return month <= 6 ? -0.2 : 0.0;
    if (age <= 5) return 0.1;
    return 0.1 - 0.2 * (age - 5);
  }

  void Run(Race& r, const std::vector<int>& field_in, int year) {
    std::vector<int> field = field_in;
    const int n = static_cast<int>(field.size());
    const int month = CivilFromDays(r.day).m;
    r.first_entry = static_cast<int>(w_.entries.size());
    r.entry_count = n;
    // Post positions are drawn; the brackets follow the horse numbers.
    for (int i = n; i > 1; --i)
      std::swap(field[static_cast<size_t>(i - 1)], field[rng_.Below(static_cast<uint32_t>(i))]);
    // Better horses get better riders.
    std::vector<int> riders;
    for (int i = 0; i < n; ++i) riders.push_back(RandomRider(r.jump, riders));
    std::sort(riders.begin(), riders.end(), [&](int a, int b) {
      return w_.jockeys[static_cast<size_t>(a)].skill > w_.jockeys[static_cast<size_t>(b)].skill;
    });
    std::vector<std::pair<double, int>> by_ability;
    for (int i = 0; i < n; ++i)
      by_ability.push_back({w_.horses[static_cast<size_t>(field[static_cast<size_t>(i)])].ability +
                                0.6 * rng_.Normal(),
                            i});
    std::sort(by_ability.begin(), by_ability.end(), [](auto& a, auto& b) {
      return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<int> rider_of(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
      rider_of[static_cast<size_t>(by_ability[static_cast<size_t>(k)].second)] =
          riders[static_cast<size_t>(k)];
    const int base = n / 8, extra = n % 8;
    std::vector<double> strength(static_cast<size_t>(n)), perf(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      Horse& h = w_.horses[static_cast<size_t>(field[static_cast<size_t>(i)])];
      Entry e;
      e.race = static_cast<int>(w_.races.size());
      e.horse = field[static_cast<size_t>(i)];
      e.jockey = rider_of[static_cast<size_t>(i)];
      e.trainer = h.trainer;
      e.owner = h.owner;
      e.number = i + 1;
      if (n <= 8)
        e.bracket = i + 1;
      else {
        int b = 0, first_num = 1;
        for (b = 1; b <= 8; ++b) {
          const int size = base + (b > 8 - extra ? 1 : 0);
          if (i + 1 < first_num + size) break;
          first_num += size;
        }
        e.bracket = b;
      }
      e.age = Age(h, year);
      e.sex = h.sex;
      const Person& j = w_.jockeys[static_cast<size_t>(e.jockey)];
      e.apprentice = Apprentice(j, r.day);
      // Weight carried, in tenths of a kilogram.
      const bool filly = h.sex == '2';
      int weight;
      if (r.jump)
        weight = filly ? 580 : 600;
      else if (e.age <= 2)
        weight = filly ? 540 : 550;
      else if (e.age == 3 && (r.age_kind == 12 || month <= 8))
        weight = filly ? 540 : 560;
      else
        weight = filly ? 550 : 570;
      if (r.weight_rule == '1')
        weight = 500 + 5 * std::clamp(static_cast<int>((h.ability + 2) * 4), 0, 18);
      if (r.weight_rule == '2') weight += 10 * std::min(3, std::max(0, h.cls - 2));
      if (r.grade == 'F' || r.grade == 'G' || r.grade == 'H') weight = 600 + 10 * rng_.Range(0, 3);
      if (!r.special && r.weight_rule != '1') weight -= 10 * e.apprentice;
      e.weight = weight;
      if (r.kind == '7' && rng_.Chance(0.01)) e.jockey_before = RandomRider(r.jump, riders);
      const int growth = e.age <= 2 ? 0 : e.age == 3 ? 10 : 18;
      e.body_weight = h.body_weight + growth + rng_.Range(-6, 6);
      e.first_start = h.last_body_weight == 0;
      e.body_change = e.first_start ? 0 : e.body_weight - h.last_body_weight;
      e.blinkers = (e.horse * 7 + 3) % 9 == 0;
      const double skill = max_skill_ > 0 ? j.skill / max_skill_ : 0;
      const double fit = -(r.surface != h.surface && !r.jump ? 0.5 : 0.0) -
                         (r.jump ? 0.0
                                 : (r.distance > h.best_distance ? r.distance - h.best_distance
                                                                 : h.best_distance - r.distance) /
                                       700.0);
      strength[static_cast<size_t>(i)] = h.ability + AgeForm(e.age, month) + fit + 0.4 * skill;
      perf[static_cast<size_t>(i)] = strength[static_cast<size_t>(i)] + 0.9 * rng_.Normal();
      w_.entries.push_back(e);
    }
    Entry* es = &w_.entries[static_cast<size_t>(r.first_entry)];
    // Odds from the public's view of the field.
    {
      double lowest = strength[0];
      for (double s : strength) lowest = std::min(lowest, s);
      std::vector<double> weight(static_cast<size_t>(n));
      double total = 0;
      for (int i = 0; i < n; ++i) {
        const double x = strength[static_cast<size_t>(i)] - lowest + 0.6;
        weight[static_cast<size_t>(i)] = x * x * x * x;
        total += weight[static_cast<size_t>(i)];
      }
      for (int i = 0; i < n; ++i) {
        const double p = weight[static_cast<size_t>(i)] / total;
        const double odds = 0.78 / p * (0.85 + 0.3 * rng_.Unit());
        es[i].odds = std::clamp(static_cast<int>(odds * 10 + 0.5), 10, 9999);
      }
      std::vector<int> order(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i;
      std::sort(order.begin(), order.end(), [&](int a, int b) {
        return es[a].odds != es[b].odds ? es[a].odds < es[b].odds : a < b;
      });
      for (int k = 0; k < n; ++k) es[order[static_cast<size_t>(k)]].popularity = k + 1;
    }
    r.registered = n;
    const bool run = r.kind == '7' || r.kind == 'A' || r.kind == 'B';
    if (!run) {
      for (int i = 0; i < n; ++i) {
        es[i].odds = 0;
        es[i].popularity = 0;
      }
    }
    if (!run) {
      r.starters = n;
      for (int hi : field) {
        Horse& h = w_.horses[static_cast<size_t>(hi)];
        h.ready_day = r.day + 7;
        Push(hi, year);
      }
      w_.races.push_back(std::move(r));
      return;
    }
    Result(r, es, perf);
    w_.races.push_back(std::move(r));
    for (int i = 0; i < n; ++i)
      AfterRace(w_.races.back(), w_.entries[static_cast<size_t>(w_.races.back().first_entry + i)],
                year);
  }

  static std::string MarginCode(double lengths) {
    static const std::pair<double, const char*> kCodes[] = {
        {0.08, "H  "}, {0.18, "A  "}, {0.3, "K  "},  {0.6, "012"},  {0.85, "034"},
        {1.1, "1  "},  {1.35, "114"}, {1.6, "112"},  {1.85, "134"}, {2.25, "2  "},
        {2.75, "212"}, {3.25, "3  "}, {3.75, "312"}, {4.5, "4  "},  {5.5, "5  "},
        {6.5, "6  "},  {7.5, "7  "},  {8.5, "8  "},  {9.5, "9  "},  {10.5, "10 "}};
    for (auto& [limit, code] : kCodes)
      if (lengths < limit) return code;
    return "T  ";
  }

  void Laps(Race& r, double sec_per_200) {
    if (r.jump) {
      r.jump_mile = static_cast<int>(r.winner_time * 1609.0 / r.distance + 0.5);
      return;
    }
    const int laps = (r.distance + 199) / 200;
    const int first_len = r.distance - 200 * (laps - 1);
    std::vector<double> raw(static_cast<size_t>(laps));
    double sum = 0;
    for (int k = 0; k < laps; ++k) {
      double t = sec_per_200;
      if (k == 0)
        t = (sec_per_200 + 0.6) * first_len / 200.0;
      else if (k <= 2)
        t -= 0.5;
      else if (k >= laps - 3)
        t += (k == laps - 1 ? 0.3 : -0.3);
      else
        t += 0.25;
      t += 0.15 * rng_.Normal();
      raw[static_cast<size_t>(k)] = t * 10;
      sum += t * 10;
    }
    const double scale = r.winner_time / sum;
    int acc = 0;
    double exact = 0;
    for (int k = 0; k < laps; ++k) {
      exact += raw[static_cast<size_t>(k)] * scale;
      const int upto = static_cast<int>(exact + 0.5);
      r.laps[static_cast<size_t>(k)] = upto - acc;
      acc = upto;
    }
    r.laps[static_cast<size_t>(laps - 1)] += r.winner_time - acc;
    auto sum_of = [&](int from, int count) {
      int s = 0;
      for (int k = from; k < from + count && k < laps; ++k)
        s += r.laps[static_cast<size_t>(std::max(0, k))];
      return s;
    };
    r.first3f = sum_of(0, 3);
    r.first4f = sum_of(0, 4);
    r.last3f = sum_of(laps - 3, 3);
    r.last4f = sum_of(laps - 4, 4);
  }

  void Result(Race& r, Entry* es, const std::vector<double>& perf) {
    const int n = r.entry_count;
    const bool away = r.kind == 'A' || r.kind == 'B';
    // Withdrawals and exclusions before the start, and horses that fail to finish.
    int starters = n;
    for (int i = 0; i < n && starters > 2; ++i) {
      const double u = rng_.Unit();
      if (u < 0.012)
        es[i].abnormality = 1;
      else if (u < 0.015)
        es[i].abnormality = 2;
      if (es[i].abnormality) --starters;
    }
    for (int i = 0; i < n; ++i)
      if (!es[i].abnormality && rng_.Chance(r.jump ? 0.04 : 0.002)) es[i].abnormality = 4;
    std::vector<int> order;
    for (int i = 0; i < n; ++i)
      if (!es[i].abnormality) order.push_back(i);
    if (order.empty())
      for (int i = 0; i < n; ++i)
        if (es[i].abnormality == 4) {
          es[i].abnormality = 0;
          order.push_back(i);
          break;
        }
    std::sort(order.begin(), order.end(), [&](int a, int b) {
      return perf[static_cast<size_t>(a)] != perf[static_cast<size_t>(b)]
                 ? perf[static_cast<size_t>(a)] > perf[static_cast<size_t>(b)]
                 : a < b;
    });
    const int finishers = static_cast<int>(order.size());
    r.starters = starters;
    r.finishers = finishers;
    if (!away) r.field_total = n;
    // Positions among the whole field: abroad and at local tracks the other
    // runners are not ours, so our horses' places leave gaps.
    std::vector<int> place(static_cast<size_t>(finishers));
    if (away) {
      std::vector<int> slots;
      for (int p = 1; p <= r.field_total; ++p) slots.push_back(p);
      for (int i = static_cast<int>(slots.size()); i > 1; --i)
        std::swap(slots[static_cast<size_t>(i - 1)], slots[rng_.Below(static_cast<uint32_t>(i))]);
      std::vector<int> chosen(slots.begin(), slots.begin() + finishers);
      std::sort(chosen.begin(), chosen.end());
      for (int k = 0; k < finishers; ++k)
        place[static_cast<size_t>(k)] = chosen[static_cast<size_t>(k)];
    } else {
      for (int k = 0; k < finishers; ++k) place[static_cast<size_t>(k)] = k + 1;
    }
    // The winner's time, in tenths of a second.
    double sec = 11.5 + 0.00055 * (r.distance - 1000);
    if (r.jump)
      sec = 13.6 + 0.0002 * (r.distance - 3000);
    else if (r.surface == 1)
      sec += 0.6;
    static const double kTurfGoing[] = {0, 0, 0.1, 0.25, 0.4};
    static const double kDirtGoing[] = {0, 0, -0.05, -0.1, -0.15};
    sec += r.surface == 0 ? kTurfGoing[r.turf_going] : kDirtGoing[r.dirt_going];
    sec += -0.025 * r.category + (r.age_kind == 11 ? 0.12 : 0) + 0.08 * rng_.Normal();
    const int winner_time = static_cast<int>(r.distance / 200.0 * sec * 10 + 0.5);
    // Our best horse abroad may be beaten by the locals.
    const double lead_lengths = place[0] > 1 ? (place[0] - 1) * (0.5 + rng_.Unit()) : 0;
    r.winner_time = winner_time;
    Laps(r, sec);
    const int dead_heat_at =
        rng_.Chance(0.004) && finishers >= 3 ? rng_.Range(1, std::min(5, finishers - 1)) : 0;
    double lengths = lead_lengths;
    std::vector<double> behind(static_cast<size_t>(finishers));
    for (int k = 0; k < finishers; ++k) {
      if (k > 0) {
        const double gap =
            dead_heat_at == k
                ? 0
                : std::max(0.05, (perf[static_cast<size_t>(order[static_cast<size_t>(k - 1)])] -
                                  perf[static_cast<size_t>(order[static_cast<size_t>(k)])]) *
                                         2.2 +
                                     0.3 * rng_.Unit());
        lengths +=
            gap * (away ? place[static_cast<size_t>(k)] - place[static_cast<size_t>(k - 1)] : 1);
        es[order[static_cast<size_t>(k)]].margin = dead_heat_at == k ? "D  " : MarginCode(gap);
      }
      behind[static_cast<size_t>(k)] = lengths;
    }
    for (int k = 0; k < finishers; ++k) {
      Entry& e = es[order[static_cast<size_t>(k)]];
      e.time = winner_time + static_cast<int>(behind[static_cast<size_t>(k)] * 1.8 + 0.5);
      e.arrival = place[static_cast<size_t>(k)];
      e.placing = e.arrival;
    }
    if (finishers >= 2)
      es[order[0]].margin = es[order[1]].margin == "D  " ? "D  " : es[order[1]].margin;
    if (dead_heat_at) {
      Entry& a = es[order[static_cast<size_t>(dead_heat_at - 1)]];
      Entry& b = es[order[static_cast<size_t>(dead_heat_at)]];
      b.time = a.time;
      b.arrival = a.arrival;
      b.placing = a.placing;
      a.dead_heat = b.dead_heat = 2;
    }
    // Now and then a horse is placed behind one it interfered with.
    if (!away && finishers >= 4 && rng_.Chance(0.002)) {
      const int k = rng_.Range(1, std::min(4, finishers - 2));
      Entry& d = es[order[static_cast<size_t>(k)]];
      Entry& next = es[order[static_cast<size_t>(k + 1)]];
      if (!d.dead_heat && !next.dead_heat) {
        d.abnormality = 7;
        std::swap(d.placing, next.placing);
      }
    }
    // Time difference to the winner; the winner's to the runner-up, negative.
    for (int k = 0; k < finishers; ++k) {
      Entry& e = es[order[static_cast<size_t>(k)]];
      if (e.arrival == 1)
        e.time_diff = finishers >= 2 && !away ? -(es[order[1]].time - e.time) : -rng_.Range(0, 5);
      else
        e.time_diff = e.time - winner_time;
    }
    // Last furlongs: closers finish faster than the leaders they run down.
    const int race_last3f = r.jump ? 0 : r.last3f;
    for (int k = 0; k < finishers; ++k) {
      Entry& e = es[order[static_cast<size_t>(k)]];
      const Horse& h = w_.horses[static_cast<size_t>(e.horse)];
      const int style_term = (2 - h.style) * 3 + 1;
      if (r.jump) {
        e.last3f = 130 + static_cast<int>((e.time - winner_time) * 0.1) + rng_.Range(-5, 5);
        e.last4f = 0;
      } else {
        const int base3f = race_last3f ? race_last3f : 350;
        e.last3f = std::max(base3f - 20, base3f + static_cast<int>((e.time - winner_time) * 0.45) +
                                             style_term + rng_.Range(-4, 4));
        e.last4f = e.last3f + 115 + rng_.Range(0, 10);
      }
    }
    // Corner positions: early on by running style, later more by the finish.
    const int corners = r.jump ? 4 : r.track == 10 ? 0 : r.distance < 1700 ? 2 : 4;
    static const double kFinishWeight[] = {0.15, 0.25, 0.4, 0.6};
    std::vector<int> running;
    for (int i = 0; i < n; ++i)
      if (es[i].abnormality == 0 || es[i].abnormality == 4 || es[i].abnormality == 7)
        running.push_back(i);
    std::vector<double> finish_rank(static_cast<size_t>(n), 0);
    for (int k = 0; k < finishers; ++k)
      finish_rank[static_cast<size_t>(order[static_cast<size_t>(k)])] =
          static_cast<double>(k) / std::max(1, finishers - 1);
    for (int i : running)
      if (es[i].abnormality == 4) finish_rank[static_cast<size_t>(i)] = 1.0;
    for (int c = 4 - corners; c < 4; ++c) {
      std::vector<std::pair<double, int>> key;
      for (int i : running) {
        const double style = (w_.horses[static_cast<size_t>(es[i].horse)].style - 1) / 3.0;
        key.push_back({style * (1 - kFinishWeight[c]) +
                           finish_rank[static_cast<size_t>(i)] * kFinishWeight[c] +
                           0.12 * rng_.Normal(),
                       i});
      }
      std::sort(key.begin(), key.end(), [](auto& a, auto& b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
      });
      for (size_t p = 0; p < key.size(); ++p) {
        Entry& e = es[key[p].second];
        e.corner[static_cast<size_t>(c)] =
            (e.abnormality == 4 && c == 3) ? 0 : static_cast<int>(p) + 1;
      }
    }
    for (int i : running) {
      Entry& e = es[i];
      const int first_pos = corners ? e.corner[static_cast<size_t>(4 - corners)]
                                    : w_.horses[static_cast<size_t>(e.horse)].style;
      const int f = static_cast<int>(running.size());
      e.style = corners == 0             ? first_pos
                : first_pos == 1         ? 1
                : first_pos * 3 <= f     ? 2
                : first_pos * 3 <= 2 * f ? 3
                                         : 4;
    }
    // Prize money by final placing; a dead heat shares two places.
    for (int i = 0; i < n; ++i) {
      Entry& e = es[i];
      if (e.placing < 1 || e.placing > 5) continue;
      const size_t p = static_cast<size_t>(e.placing - 1);
      if (e.dead_heat && p + 1 < 5) {
        e.prize = (r.prize[p] + r.prize[p + 1]) / 2;
        e.added = (r.added[p] + r.added[p + 1]) / 2;
      } else {
        e.prize = r.prize[p];
        e.added = r.added[p];
      }
    }
    const int winner = finishers ? order[0] : -1;
    const int second = finishers >= 2 ? order[1] : -1;
    for (int i = 0; i < n; ++i) {
      if (es[i].abnormality == 1 || es[i].abnormality == 2) continue;
      es[i].opponent = i == winner ? (second >= 0 ? es[second].horse : -1)
                                   : (winner >= 0 ? es[winner].horse : -1);
    }
  }

  void AfterRace(const Race& r, Entry& e, int year) {
    Horse& h = w_.horses[static_cast<size_t>(e.horse)];
    const bool ran = e.abnormality != 1 && e.abnormality != 2;
    if (ran) {
      ++h.starts;
      h.last_race_day = r.day;
      h.last_body_weight = e.body_weight;
      const bool won = e.placing == 1;
      if (r.jump) {
        if (won) h.jump_cls = 1;
      } else if (won) {
        h.cls = h.cls <= 1 ? 2 : std::min(5, h.cls + 1);
      } else if (h.cls == 0) {
        h.cls = 1;
      }
      if (!h.jumper && e.age >= 3 && h.cls >= 1 && h.cls <= 3 && h.starts >= 5 && e.placing > 5 &&
          rng_.Chance(0.04)) {
        h.jumper = true;
        h.jump_cls = 0;
      }
      Tally(r, e, year);
    }
    h.ready_day = r.day + 14 + static_cast<int>(rng_.Below(35));
    if (rng_.Chance(0.1)) h.ready_day += rng_.Range(60, 200);  // a rest
    if (ran && rng_.Chance(0.018 + (e.age >= 6 ? 0.04 : 0)))
      Retire(h, r.day);
    else
      Push(e.horse, year);
  }

  void Tally(const Race& r, const Entry& e, int year) {
    const size_t yi = static_cast<size_t>(year - w_.sim_from_year);
    Person& j = w_.jockeys[static_cast<size_t>(e.jockey)];
    Person& t = w_.trainers[static_cast<size_t>(e.trainer)];
    j.last_activity_day = t.last_activity_day = r.day;
    const int kind = r.jump ? 1 : 0;
    if (j.first_ride[kind] < 0) j.first_ride[kind] = static_cast<int>(&e - w_.entries.data());
    if (e.placing == 1) {
      ++j.wins;
      ++t.wins;
      if (j.first_win[kind] < 0) j.first_win[kind] = static_cast<int>(&e - w_.entries.data());
      const bool graded = (r.grade >= 'A' && r.grade <= 'D') || (r.grade >= 'F' && r.grade <= 'H');
      if (graded && r.venue != 0) {
        j.graded_wins.push_back(static_cast<int>(&e - w_.entries.data()));
        t.graded_wins.push_back(j.graded_wins.back());
      }
    }
    Owner& o = w_.owners[static_cast<size_t>(e.owner)];
    Breeder& b = w_.breeders[static_cast<size_t>(w_.horses[static_cast<size_t>(e.horse)].breeder)];
    o.last_activity_day = b.last_activity_day = r.day;
    if (r.venue == 0) return;  // results blocks count central races only
    for (Person* p : {&j, &t}) {
      PersonYear& py = p->years[yi];
      if (r.jump) {
        py.jump.Add(e.placing);
        py.prize[1] += e.prize;
        py.prize[3] += e.added;
      } else {
        py.flat.Add(e.placing);
        py.venue_surface[static_cast<size_t>((r.venue - 1) * 2 + r.surface)].Add(e.placing);
        py.distance[static_cast<size_t>(DistanceClass(r.surface, r.distance))].Add(e.placing);
        py.prize[0] += e.prize;
        py.prize[2] += e.added;
      }
    }
    for (OrgYear* oy : {&o.years[yi], &b.years[yi]}) {
      oy->main += e.prize;
      oy->added += e.added;
      oy->counts.Add(e.placing);
    }
  }

  void Finish() {
    // Entries grouped by horse, each horse's in race order.
    std::vector<int> count(w_.horses.size(), 0);
    for (const Entry& e : w_.entries) ++count[static_cast<size_t>(e.horse)];
    int at = 0;
    for (size_t i = 0; i < w_.horses.size(); ++i) {
      w_.horses[i].first_entry_slot = at;
      w_.horses[i].entry_count = 0;
      at += count[i];
    }
    w_.horse_entries.assign(static_cast<size_t>(at), 0);
    for (size_t k = 0; k < w_.entries.size(); ++k) {
      Horse& h = w_.horses[static_cast<size_t>(w_.entries[k].horse)];
      w_.horse_entries[static_cast<size_t>(h.first_entry_slot + h.entry_count++)] =
          static_cast<int>(k);
    }
    // A horse declared for a race and deleted again before the draw.
    for (Race& r : w_.races) {
      if (!r.visible || r.kind != '7' || !withdrawn_(rng_)) continue;
      const int hi = static_cast<int>(rng_.Below(static_cast<uint32_t>(w_.horses.size())));
      if (w_.horses[static_cast<size_t>(hi)].registered &&
          w_.horses[static_cast<size_t>(hi)].last_race_day != r.day)
        r.withdrawn = hi;
    }
  }

  World& w_;
  Rng& rng_;
  std::vector<Bucket> buckets_;
  uint32_t seq_ = 0;
  std::vector<int> flat_ids_, jump_ids_;
  WeightedPicker flat_picker_, jump_picker_;
  double max_skill_ = 0;
  std::map<int, std::array<int, 3>> weather_;
  Rare early_{0.05}, abandoned_{0.001}, bogus_{0.001}, withdrawn_{0.002};
};

}  // namespace

void SimulateRacing(World& w, Rng& rng) {
  Simulation sim(w, rng);
  sim.Run();
}

}  // namespace volq::gen
