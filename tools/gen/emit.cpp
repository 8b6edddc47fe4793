// From the model to the delivered records: every record is a blank record of
// its delivered length with its fields set by name, files per data set of the
// service, and the repeated deliveries of one key that the service makes.
#include <algorithm>
#include <map>
#include <type_traits>

#include "common/record_layout.h"
#include "tools/gen/dates.h"
#include "tools/gen/record_text.h"
#include "tools/gen/source.h"

namespace volq::gen {
namespace {

// Types the programs pass over, with the lengths the service delivers them in.
using record_parts::kHeader;
using record_parts::kRaceId;
// clang-format off
constexpr LayoutEntry kSpecialEntriesTable[] = {  // TK, 21657
    G("header", 1, kHeader), G("race", 1, kRaceId), F("weekday", 1), F("special_number", 4),
    F("race_name", 60), F("registered", 3), F("rest", 21560), F("crlf", 2)};
constexpr LayoutEntry kPayoutTable[] = {  // HR, 719
    G("header", 1, kHeader), G("race", 1, kRaceId), F("registered", 2), F("starters", 2),
    F("win_number", 2), F("win_payout", 9), F("rest", 675), F("crlf", 2)};
constexpr LayoutEntry kOddsWin[] = {F("number", 2), F("odds", 4), F("popularity", 2)};
constexpr LayoutEntry kOddsTable[] = {  // O1, 962
    G("header", 1, kHeader), G("race", 1, kRaceId), F("announced", 8), F("registered", 2),
    F("starters", 2), G("win", 28, kOddsWin), F("rest", 697), F("crlf", 2)};
constexpr LayoutEntry kScheduleTable[] = {  // YS, 382
    G("header", 1, kHeader), F("year", 4), F("month_day", 4), F("venue", 2), F("meeting", 2),
    F("day", 2), F("weekday", 1), F("rest", 354), F("crlf", 2)};
constexpr LayoutEntry kGallopTable[] = {  // HC, 60
    G("header", 1, kHeader), F("centre", 1), F("date", 8), F("time", 4), F("pedigree_number", 10),
    F("f4", 4), F("lap4", 3), F("f3", 4), F("lap3", 3), F("f2", 4), F("lap2", 3),
    F("lap1", 3), F("crlf", 2)};
// clang-format on
static_assert(DeliveredLength(kSpecialEntriesTable) == 21657 &&
              DeliveredLength(kPayoutTable) == 719 && DeliveredLength(kOddsTable) == 962 &&
              DeliveredLength(kScheduleTable) == 382 && DeliveredLength(kGallopTable) == 60);
const RecordLayout& SpecialEntriesLayout() {
  static const RecordLayout l("TK", kSpecialEntriesTable);
  return l;
}
const RecordLayout& PayoutLayout() {
  static const RecordLayout l("HR", kPayoutTable);
  return l;
}
const RecordLayout& OddsLayout() {
  static const RecordLayout l("O1", kOddsTable);
  return l;
}
const RecordLayout& ScheduleLayout() {
  static const RecordLayout l("YS", kScheduleTable);
  return l;
}
const RecordLayout& GallopLayout() {
  static const RecordLayout l("HC", kGallopTable);
  return l;
}

constexpr int kConditionCodes[] = {701, 703, 5, 10, 16, 999};
const std::string kNoBreeding(10, '0');

std::string TwoDigits(int v) { return Digits(v, 2); }

std::string RaceIdOf(const Race& r, const std::string& venue_code) {
  const Ymd c = CivilFromDays(r.day);
  return Digits(c.y, 4) + TwoDigits(c.m) + TwoDigits(c.d) + venue_code + TwoDigits(r.meeting) +
         TwoDigits(r.day_of_meeting) + TwoDigits(r.number);
}

// Minutes, seconds and tenths as four characters ("1345" is 1:34.5).
std::string TimeText(int tenths) {
  if (tenths <= 0) return "0000";
  return Digits(tenths / 600, 1) + Digits(tenths % 600 / 10, 2) + Digits(tenths % 10, 1);
}

std::string SignedText(int tenths) {
  if (tenths < 0) return "-" + Digits(std::min(999, -tenths), 3);
  return "+" + Digits(std::min(999, tenths), 3);
}

// The Saturday of the Monday-to-Sunday week of a day.
int WeekSaturday(int day) {
  const int dow = WeekdayOf(day);
  return dow == 0 ? day - 1 : day + (6 - dow);
}

struct HorseStats {
  Counts6 overall, central;
  std::array<Counts6, 7> course;
  std::array<Counts6, 12> going;
  std::array<Counts6, 6> distance;
  std::array<int64_t, 6> prize{};
  std::array<int, 4> style{};
  int registered = 0;
};

class Emitter {
 public:
  explicit Emitter(const World& w) : w_(w), rng_(w.opt.seed ^ 0x6a09e667f3bcc908ULL) {
    window_start_ = DaysFromCivil(w.opt.from, 1, 6);
    race_ids_.reserve(w.races.size());
    for (const Race& r : w.races) race_ids_.push_back(RaceIdOf(r, r.venue_code));
  }

  Source Run() {
    Races();
    Horses();
    Breeding();
    Offspring();
    People(w_.jockeys, true);
    People(w_.trainers, false);
    Orgs(w_.breeders, "BR", BreederLayout(), "breeder");
    Orgs(w_.owners, "BN", OwnerLayout(), "owner");
    Sales();
    Gallops();
    Source s;
    for (auto& [key, f] : files_) s.files.push_back(std::move(f));
    s.summary = std::move(summary_);
    return s;
  }

 private:
  std::string& File(std::string_view folder, const std::string& name) {
    SourceFile& f = files_[std::string(folder) + "/" + name];
    if (f.folder.empty()) {
      f.folder = folder;
      f.name = name;
      if (folder == "RACE") f.bytes.reserve(2 << 20);  // a week of races
    }
    return f.bytes;
  }

  RecordText Rec(std::string& buf, const RecordLayout& l, char kind, int day) {
    ++summary_.records[l.type()][kind];
    return RecordText(buf, l, kind, DateText(day));
  }

  int Clamp(int day) const { return std::clamp(day, window_start_, w_.as_of); }

  std::string_view BreedingNumber(int i) const {
    return i < 0 ? std::string_view(kNoBreeding)
                 : std::string_view(w_.breeding[static_cast<size_t>(i)].number);
  }

  std::array<int, 14> Ancestors(int sire, int dam) const {
    auto s = [&](int i) { return i < 0 ? -1 : w_.breeding[static_cast<size_t>(i)].sire; };
    auto d = [&](int i) { return i < 0 ? -1 : w_.breeding[static_cast<size_t>(i)].dam; };
    return {sire,       dam,        s(sire),    d(sire),   s(dam),    d(dam),    s(s(sire)),
            d(s(sire)), s(d(sire)), d(d(sire)), s(s(dam)), d(s(dam)), s(d(dam)), d(d(dam))};
  }

  // ---- races and entries, one file of the RACE data set per week ----

  void WriteRace(std::string& buf, const Race& r, char kind, int day,
                 const std::string& venue_code) {
    RecordText t = Rec(buf, RaceLayout(), kind, day);
    t.RaceId("race", RaceIdOf(r, venue_code));
    t.Set("weekday", std::string(1, r.weekday));
    t.Num("special_number", r.special ? r.special_number : 0);
    if (r.special) {
      t.Set("race_name", r.name.forms.full);
      t.Set("race_name_en", r.name.forms.latin);
      t.Set("short_name10", FirstChars(r.name.forms.full, 10));
      t.Set("short_name6", FirstChars(r.name.forms.full, 6));
      t.Set("short_name3", FirstChars(r.name.forms.full, 3));
    }
    t.Set("name_kind", "0");
    t.Num("edition", r.edition);
    t.Set("grade", std::string(1, r.grade));
    t.Set("grade_before", " ");
    t.Num("race_kind", r.age_kind);
    t.Set("race_symbol", r.jump ? "000" : r.age_kind == 11 || r.age_kind == 12 ? "A01" : "A02");
    t.Set("weight_rule", std::string(1, r.weight_rule));
    const int code = kConditionCodes[r.jump ? (r.category == kOpen ? 5 : 1) : r.category];
    const bool ages[5][5] = {{true, false, false, false, true},
                             {false, true, false, false, true},
                             {false, true, true, true, true},
                             {false, false, true, true, true},
                             {false, false, true, true, true}};
    const int row = r.age_kind == 11                         ? 0
                    : r.age_kind == 12                       ? 1
                    : (r.age_kind == 13 || r.age_kind == 18) ? 2
                                                             : 3;
    static const auto kCondition = Repeated(RaceLayout(), "condition[", 5);
    for (int i = 0; i < 5; ++i) t.Num(*kCondition[static_cast<size_t>(i)], ages[row][i] ? code : 0);
    t.Set("condition_name",
          ConditionName(r.age_index, r.jump ? (r.category == kOpen ? 5 : 1) : r.category));
    t.Num("distance", r.distance);
    t.Num("distance_before", 0);
    t.Num("track", r.track);
    t.Num("track_before", 0);
    t.Set("course_division", std::string(1, r.course));
    static const auto kPrize = Repeated(RaceLayout(), "main_prize[", 7);
    static const auto kPrizeBefore = Repeated(RaceLayout(), "main_prize_before[", 5);
    static const auto kAdded = Repeated(RaceLayout(), "added_prize[", 5);
    static const auto kAddedBefore = Repeated(RaceLayout(), "added_prize_before[", 3);
    for (size_t i = 0; i < 7; ++i) t.Num(*kPrize[i], r.prize[i]);
    for (const Field* f : kPrizeBefore) t.Num(*f, 0);
    for (size_t i = 0; i < 5; ++i) t.Num(*kAdded[i], r.added[i]);
    for (const Field* f : kAddedBefore) t.Num(*f, 0);
    t.Num("post_time", r.post_time);
    t.Num("post_time_before", 0);
    const bool result = kind == '7' || kind == 'A' || kind == 'B';
    const int withdrawn = r.withdrawn >= 0 ? 1 : 0;
    t.Num("registered", kind == '1'     ? r.registered + withdrawn
                        : r.field_total ? r.field_total
                                        : r.registered);
    t.Num("starters", kind == '1' ? 0
                      : result    ? (r.field_total && r.venue == 0 ? r.field_total : r.starters)
                                  : r.registered);
    t.Num("finishers", result ? (r.venue == 0 ? r.field_total : r.finishers) : 0);
    t.Num("weather", result ? r.weather : 0);
    t.Num("turf_going", result ? r.turf_going : 0);
    t.Num("dirt_going", result ? r.dirt_going : 0);
    static const auto kLaps = Repeated(RaceLayout(), "lap_time[", 25);
    for (size_t i = 0; i < 25; ++i) t.Num(*kLaps[i], result ? r.laps[i] : 0);
    t.Set("jump_mile_time", result && r.jump ? TimeText(r.jump_mile) : "0000");
    t.Num("first3f", result ? r.first3f : 0);
    t.Num("first4f", result ? r.first4f : 0);
    t.Num("last3f", result ? r.last3f : 0);
    t.Num("last4f", result ? r.last4f : 0);
    const int corners = !result || r.track == 10 ? 0 : r.jump || r.distance >= 1700 ? 4 : 2;
    for (int b = 0; b < 4; ++b) {
      const std::string p = "corner[" + std::to_string(b) + "].";
      if (b >= corners) {
        t.Set(p + "corner", "0");
        t.Set(p + "laps", "0");
        continue;
      }
      const int c = 4 - corners + b;
      t.Num(p + "corner", c + 1);
      t.Num(p + "laps", r.distance >= 3000 && !r.jump && c < 2 ? 2 : 1);
      t.Set(p + "order", PassingOrder(r, c));
    }
    t.Set("update_flag", "0");
  }

  // "3,5(1,8)7-2,4": horse numbers in the order they passed a corner.
  std::string PassingOrder(const Race& r, int corner) {
    std::vector<std::pair<int, int>> at;
    for (int i = 0; i < r.entry_count; ++i) {
      const Entry& e = w_.entries[static_cast<size_t>(r.first_entry + i)];
      if (e.corner[static_cast<size_t>(corner)] > 0)
        at.push_back({e.corner[static_cast<size_t>(corner)], e.number});
    }
    std::sort(at.begin(), at.end());
    std::string s;
    for (size_t k = 0; k < at.size(); ++k) {
      const bool pair = k + 1 < at.size() && rng_.Chance(0.15);
      if (k > 0) s += rng_.Chance(0.15) ? "-" : ",";
      if (pair) {
        s += "(" + std::to_string(at[k].second) + "," + std::to_string(at[k + 1].second) + ")";
        ++k;
      } else {
        s += std::to_string(at[k].second);
      }
    }
    return std::string(CutText(s, 70));
  }

  const std::string& RaceId(const Race& r) const {
    return race_ids_[static_cast<size_t>(&r - w_.races.data())];
  }

  void WriteEntry(std::string& buf, const Race& r, const Entry& e, char kind, int day) {
    const Horse& h = w_.horses[static_cast<size_t>(e.horse)];
    const Person& j = w_.jockeys[static_cast<size_t>(e.jockey)];
    const Person& tr = w_.trainers[static_cast<size_t>(e.trainer)];
    const Owner& o = w_.owners[static_cast<size_t>(e.owner)];
    RecordText t = Rec(buf, RaceEntryLayout(), kind, day);
    t.RaceId("race", RaceId(r));
    const bool drawn = kind != '1';
    t.Num("bracket", drawn ? e.bracket : 0);
    t.Num("horse_number", drawn ? e.number : 0);
    t.Set("pedigree_number", h.pedigree);
    t.Set("horse_name", h.name.full);
    t.Num("horse_symbol", h.symbol);
    t.Set("sex", std::string(1, e.sex));
    t.Set("breed", "1");
    t.Num("coat", h.coat);
    t.Num("age", e.age);
    t.Num("affiliation", tr.affiliation);
    t.Set("trainer_code", tr.code);
    t.Set("trainer_short_name", tr.name.short_name);
    t.Set("owner_code", o.code);
    t.Set("owner_name", o.name.plain);
    t.Set("colours", o.colours);
    t.Num("weight", e.weight);
    t.Num("weight_before", 0);
    t.Set("blinkers", e.blinkers ? "1" : "0");
    t.Set("jockey_code", j.code);
    t.Set("jockey_short_name", j.name.short_name);
    if (e.jockey_before >= 0 && kind != '1') {
      const Person& b = w_.jockeys[static_cast<size_t>(e.jockey_before)];
      t.Set("jockey_code_before", b.code);
      t.Set("jockey_short_name_before", b.name.short_name);
    } else {
      t.Set("jockey_code_before", "00000");
    }
    t.Num("apprentice", e.apprentice);
    t.Num("apprentice_before", 0);
    const bool result = kind == '7' || kind == 'A' || kind == 'B';
    const bool started = result && e.abnormality != 1 && e.abnormality != 2;
    if (result && e.abnormality != 1) {
      t.Num("body_weight", e.body_weight);
      if (!e.first_start) {
        t.Set("body_weight_sign", e.body_change > 0 ? "+" : e.body_change < 0 ? "-" : " ");
        t.Num("body_weight_change", e.body_change < 0 ? -e.body_change : e.body_change);
      }
    }
    t.Num("abnormality", result ? e.abnormality : 0);
    t.Num("arrival_order", started ? e.arrival : 0);
    t.Num("final_placing", started ? e.placing : 0);
    t.Num("dead_heat", started && e.dead_heat ? 1 : 0);
    t.Num("dead_heat_count", started ? e.dead_heat : 0);
    t.Set("time", started ? TimeText(e.time) : "0000");
    if (started && e.arrival > 0) t.Set("margin[0]", e.margin);
    static const auto kCorners = Repeated(RaceEntryLayout(), "corner_position[", 4);
    for (size_t c = 0; c < 4; ++c) t.Num(*kCorners[c], started ? e.corner[c] : 0);
    t.Num("win_odds", result ? e.odds : 0);
    t.Num("win_popularity", result ? e.popularity : 0);
    t.Num("main_prize", started ? e.prize : 0);
    t.Num("added_prize", started ? e.added : 0);
    t.Set("reserved3[0]", "000");
    t.Set("reserved3[1]", "000");
    t.Num("last4f", started ? e.last4f : 0);
    t.Num("last3f", started ? e.last3f : 0);
    if (started && e.opponent >= 0) {
      const Horse& op = w_.horses[static_cast<size_t>(e.opponent)];
      t.Set("opponent[0].pedigree_number", op.pedigree);
      t.Set("opponent[0].horse_name", op.name.full);
    }
    if (started && e.arrival > 0)
      t.Set("time_difference", SignedText(e.time_diff));
    else if (started)
      t.Set("time_difference", "+999");
    t.Set("update_flag", "0");
    // The service's own forecast, made before the race.
    const int forecast = e.time > 0 ? e.time : r.distance * 6 / 10;
    t.Set("forecast_kind", "1");
    t.Set("forecast_time", Digits(forecast / 600, 1) + Digits(forecast % 600 / 10, 2) +
                               Digits(forecast % 10 * 10, 2));
    t.Num("forecast_plus", 10 + e.number % 7 * 3);
    t.Num("forecast_minus", 8 + e.number % 5 * 4);
    t.Num("forecast_placing", e.popularity ? e.popularity : e.number);
    t.Num("style_judgement", started && e.arrival > 0 ? e.style : 0);
  }

  void Races() {
    int week = -1;
    std::array<std::string, 4> phase;  // declarations, final fields, results, deletions
    std::map<int, std::vector<int>> venues_of_day;
    for (const Race& r : w_.races)
      if (r.venue) venues_of_day[r.day].push_back(r.venue);
    auto flush = [&] {
      if (week < 0) return;
      std::string& f = File("RACE", "RACE" + DateText(week) + ".jvd");
      for (std::string& p : phase) {
        f += p;
        p.clear();
      }
    };
    for (const Race& r : w_.races) {
      if (!r.visible) continue;
      const int ws = WeekSaturday(r.day);
      if (ws != week) {
        flush();
        week = ws;
      }
      // Declarations on Thursday, final fields on Friday, results on the Monday.
      const int dow = WeekdayOf(r.day);
      const int saturday = dow == 0 ? r.day - 1 : dow == 1 ? r.day - 2 : r.day;
      const int thursday = saturday - 2, friday = saturday - 1;
      const bool away = r.kind == 'A' || r.kind == 'B';
      const bool declared = r.early || r.kind == '2' || r.kind == '9';
      if (declared && !away) {
        WriteRace(phase[0], r, '1', thursday, r.venue_code);
        for (int i = 0; i < r.entry_count; ++i)
          WriteEntry(phase[0], r, w_.entries[static_cast<size_t>(r.first_entry + i)], '1',
                     thursday);
        WriteRace(phase[1], r, '2', friday, r.venue_code);
        for (int i = 0; i < r.entry_count; ++i)
          WriteEntry(phase[1], r, w_.entries[static_cast<size_t>(r.first_entry + i)], '2', friday);
        if (rng_.Chance(0.5)) Odds(phase[1], r, friday);
      }
      if (r.withdrawn >= 0) {
        Entry e = w_.entries[static_cast<size_t>(r.first_entry)];
        e.horse = r.withdrawn;
        const Horse& h = w_.horses[static_cast<size_t>(r.withdrawn)];
        if (h.trainer >= 0) e.trainer = h.trainer;
        if (h.owner >= 0) e.owner = h.owner;
        e.age = YearOf(r.day) - h.birth_year;
        e.sex = h.sex;
        WriteEntry(phase[0], r, e, '1', thursday);
        WriteEntry(phase[3], r, e, '0', friday);
      }
      if (r.kind == '2') continue;
      const char kind = r.kind;
      const int result_day = std::min(kind == '9'        ? r.day
                                      : away || dow == 1 ? r.day + 1
                                                         : saturday + 2,
                                      w_.as_of);
      WriteRace(phase[2], r, kind, result_day, r.venue_code);
      for (int i = 0; i < r.entry_count; ++i)
        WriteEntry(phase[2], r, w_.entries[static_cast<size_t>(r.first_entry + i)], kind,
                   result_day);
      if (kind == '9') continue;
      ++summary_.races;
      summary_.entries += r.entry_count;
      Payout(phase[2], r, result_day);
      if (r.bogus) {
        // The result sent under a racecourse that did not race that day, then deleted.
        const std::vector<int>& used = venues_of_day[r.day];
        int v = 1;
        while (std::find(used.begin(), used.end(), v) != used.end()) ++v;
        const std::string code = TwoDigits(v);
        WriteRace(phase[2], r, '7', result_day, code);
        WriteRace(phase[3], r, '0', std::min(result_day + 1, w_.as_of), code);
      }
      if (r.special && r.grade != 'E' && r.grade != ' ' && !away) SpecialEntries(r);
    }
    flush();
    Schedule();
  }

  void Payout(std::string& buf, const Race& r, int day) {
    RecordText t = Rec(buf, PayoutLayout(), '2', day);
    t.RaceId("race", RaceIdOf(r, r.venue_code));
    t.Num("registered", r.registered);
    t.Num("starters", r.starters);
    for (int i = 0; i < r.entry_count; ++i) {
      const Entry& e = w_.entries[static_cast<size_t>(r.first_entry + i)];
      if (e.arrival == 1) {
        t.Num("win_number", e.number);
        t.Num("win_payout", e.odds * 10);
      }
    }
  }

  void Odds(std::string& buf, const Race& r, int day) {
    RecordText t = Rec(buf, OddsLayout(), '3', day);
    t.RaceId("race", RaceIdOf(r, r.venue_code));
    const Ymd c = CivilFromDays(day);
    t.Set("announced", TwoDigits(c.m) + TwoDigits(c.d) + "1700");
    t.Num("registered", r.registered);
    t.Num("starters", r.registered);
    for (int i = 0; i < r.entry_count && i < 28; ++i) {
      const Entry& e = w_.entries[static_cast<size_t>(r.first_entry + i)];
      const std::string p = "win[" + std::to_string(i) + "].";
      t.Num(p + "number", e.number);
      t.Num(p + "odds", e.odds ? e.odds : 99);
      t.Num(p + "popularity", e.popularity);
    }
  }

  void SpecialEntries(const Race& r) {
    const int day = std::max(window_start_, r.day - 12);
    RecordText t = Rec(File("TOKU", "TOKU" + DateText(WeekSaturday(day)) + ".jvd"),
                       SpecialEntriesLayout(), '1', day);
    t.RaceId("race", RaceIdOf(r, r.venue_code));
    t.Set("weekday", std::string(1, r.weekday));
    t.Num("special_number", r.special_number);
    t.Set("race_name", r.name.forms.full);
    t.Num("registered", r.registered + rng_.Range(0, 12));
  }

  void Schedule() {
    std::map<std::pair<int, int>, const Race*> days;
    for (const Race& r : w_.races)
      if (r.visible && r.venue) days.emplace(std::make_pair(r.day, r.venue), &r);
    for (char kind : {'1', '3'}) {
      for (auto& [key, r] : days) {
        const int year = YearOf(r->day);
        if (kind == '3' && r->kind == '2') continue;
        const int day = kind == '1' ? Clamp(DaysFromCivil(year, 1, 5)) : Clamp(r->day + 1);
        RecordText t =
            Rec(File("YSCH", "YSCH" + Digits(year, 4) + (kind == '1' ? "A" : "B") + ".jvd"),
                ScheduleLayout(), kind, day);
        const Ymd c = CivilFromDays(r->day);
        t.Num("year", c.y);
        t.Set("month_day", TwoDigits(c.m) + TwoDigits(c.d));
        t.Set("venue", r->venue_code);
        t.Num("meeting", r->meeting);
        t.Num("day", r->day_of_meeting);
        t.Set("weekday", std::string(1, r->weekday));
      }
    }
  }

  // ---- master records: ordered by creation date, one file per type and year ----

  struct Version {
    int day;
    char kind;
    int index;
    int snapshot;  // the day the record's figures are counted up to
  };

  template <class Write>
  void Masters(std::string_view folder, std::string_view type, std::vector<Version>& versions,
               Write write) {
    std::stable_sort(versions.begin(), versions.end(),
                     [](const Version& a, const Version& b) { return a.day < b.day; });
    const RecordLayout& layout = *LayoutOf(type);
    std::map<int, size_t> per_year;
    for (const Version& v : versions) ++per_year[YearOf(v.day)];
    for (auto [year, n] : per_year)
      File(folder, std::string(type) + Digits(year, 4) + ".jvd")
          .reserve(n * static_cast<size_t>(layout.delivered_length()));
    for (const Version& v : versions) {
      std::string& buf = File(folder, std::string(type) + Digits(YearOf(v.day), 4) + ".jvd");
      write(buf, v);
    }
  }

  HorseStats StatsOf(const Horse& h, int upto) const {
    HorseStats s;
    for (int k = 0; k < h.entry_count; ++k) {
      const Entry& e = w_.entries[static_cast<size_t>(
          w_.horse_entries[static_cast<size_t>(h.first_entry_slot + k)])];
      const Race& r = w_.races[static_cast<size_t>(e.race)];
      if (r.day > upto) break;
      ++s.registered;
      if (!(r.kind == '7' || r.kind == 'A' || r.kind == 'B') || e.abnormality == 1 ||
          e.abnormality == 2)
        continue;
      s.overall.Add(e.placing);
      if (e.arrival > 0 && e.style >= 1 && e.style <= 4)
        ++s.style[static_cast<size_t>(e.style - 1)];
      if (r.venue == 0) continue;
      s.central.Add(e.placing);
      int course;
      if (r.jump)
        course = 6;
      else if (r.surface == 0)
        course = r.track == 10 ? 0 : r.track <= 16 ? 2 : 1;
      else
        course = r.track == 29 ? 3 : r.track % 2 == 1 ? 5 : 4;
      s.course[static_cast<size_t>(course)].Add(e.placing);
      const int going = r.jump           ? 8 + r.turf_going - 1
                        : r.surface == 0 ? r.turf_going - 1
                                         : 4 + r.dirt_going - 1;
      s.going[static_cast<size_t>(going)].Add(e.placing);
      if (!r.jump)
        s.distance[static_cast<size_t>(DistanceClass(r.surface, r.distance))].Add(e.placing);
      const int jump = r.jump ? 1 : 0;
      s.prize[static_cast<size_t>(jump)] += e.prize;
      s.prize[static_cast<size_t>(2 + jump)] += e.added;
      const bool graded = r.grade >= 'A' && r.grade <= 'D';
      if (e.placing == 1 || (graded && e.placing == 2))
        s.prize[static_cast<size_t>(4 + jump)] += e.prize / 2;
    }
    return s;
  }

  void WriteHorse(std::string& buf, const Horse& h, char kind, int day, int snapshot) {
    RecordText t = Rec(buf, HorseLayout(), kind, day);
    const bool gone = h.retired && h.retire_day <= snapshot;
    t.Set("pedigree_number", h.pedigree);
    t.Set("deregistration_flag", gone ? "1" : "0");
    t.Set("registration_date", DateText(h.registration_day));
    t.Set("deregistration_date", gone ? DateText(h.retire_day) : "00000000");
    t.Set("birth_date", DateText(h.birth_day));
    t.Set("horse_name", h.name.full);
    t.Set("horse_name_kana", h.name.half);
    t.Set("horse_name_en", h.name.latin);
    t.Set("in_stable", gone ? "0" : "1");
    t.Num("horse_symbol", h.symbol);
    t.Set("sex", std::string(1, h.sex));
    t.Set("breed", "1");
    t.Num("coat", h.coat);
    static const auto kNumbers = Repeated(HorseLayout(), "ancestor[", 14, "].breeding_number");
    static const auto kNames = Repeated(HorseLayout(), "ancestor[", 14, "].name");
    const std::array<int, 14> a = Ancestors(h.sire, h.dam);
    for (size_t i = 0; i < 14; ++i) {
      t.Set(*kNumbers[i], BreedingNumber(a[i]));
      if (a[i] >= 0) t.Set(*kNames[i], w_.breeding[static_cast<size_t>(a[i])].name.full);
    }
    const Person& tr = w_.trainers[static_cast<size_t>(h.trainer)];
    t.Num("affiliation", tr.affiliation);
    t.Set("trainer_code", tr.code);
    t.Set("trainer_short_name", tr.name.short_name);
    const Breeder& b = w_.breeders[static_cast<size_t>(h.breeder)];
    t.Set("breeder_code", b.code);
    t.Set("breeder_name", b.name.plain);
    t.Set("birthplace", h.birthplace);
    const Owner& o = w_.owners[static_cast<size_t>(h.owner)];
    t.Set("owner_code", o.code);
    t.Set("owner_name", o.name.plain);
    const HorseStats s = StatsOf(h, snapshot);
    // Every placing-count block of the record in layout order, six fields each.
    static const std::vector<const Field*> kCounts = [] {
      std::vector<std::string> blocks = {"overall", "central"};
      for (int i = 0; i < 7; ++i) blocks.push_back("course[" + std::to_string(i) + "]");
      for (int i = 0; i < 12; ++i) blocks.push_back("going[" + std::to_string(i) + "]");
      for (int i = 0; i < 6; ++i) blocks.push_back("distance[" + std::to_string(i) + "]");
      std::vector<const Field*> out;
      for (const std::string& b : blocks)
        for (const Field* f : Repeated(HorseLayout(), b + ".count[", 6)) out.push_back(f);
      return out;
    }();
    static const auto kPrizes = Repeated(HorseLayout(), "prize[", 6);
    static const auto kStyles = Repeated(HorseLayout(), "style[", 4);
    for (size_t i = 0; i < 6; ++i) t.Num(*kPrizes[i], s.prize[i]);
    std::vector<const Counts6*> blocks = {&s.overall, &s.central};
    for (const Counts6& c : s.course) blocks.push_back(&c);
    for (const Counts6& c : s.going) blocks.push_back(&c);
    for (const Counts6& c : s.distance) blocks.push_back(&c);
    for (size_t b = 0; b < blocks.size(); ++b)
      for (size_t i = 0; i < 6; ++i) t.Num(*kCounts[b * 6 + i], blocks[b]->c[i]);
    for (size_t i = 0; i < 4; ++i) t.Num(*kStyles[i], s.style[i]);
    t.Num("registered_races", s.registered);
  }

  void Horses() {
    std::vector<Version> v;
    Rare deleted_horse(0.01);
    for (size_t i = 0; i < w_.horses.size(); ++i) {
      const Horse& h = w_.horses[i];
      const int idx = static_cast<int>(i);
      if (!InHorseFile(w_, h)) {
        // A registration sent by mistake and deleted: a foal that never raced.
        if (!h.registered && h.offspring && h.birth_year + 2 <= w_.opt.to && deleted_horse(rng_)) {
          const int day = Clamp(DaysFromCivil(h.birth_year + 2, 5, 1));
          v.push_back({day, '1', idx, day});
          v.push_back({Clamp(day + 30), '0', idx, day});
        }
        continue;
      }
      int last = h.registration_day;
      if (h.entry_count > 0) {
        const Entry& e = w_.entries[static_cast<size_t>(
            w_.horse_entries[static_cast<size_t>(h.first_entry_slot + h.entry_count - 1)])];
        last = std::max(last, w_.races[static_cast<size_t>(e.race)].day + 2);
      }
      const bool gone = h.retired && h.retire_day <= w_.as_of;
      if (gone) last = std::max(last, h.retire_day);
      const int final_day = Clamp(last);
      const char final_kind = gone ? '9' : h.entry_count > 0 ? '4' : '1';
      if (h.registration_day >= window_start_ && final_kind != '1' && rng_.Chance(0.2))
        v.push_back({h.registration_day, '1', idx, h.registration_day});
      if (h.entry_count >= 4 && rng_.Chance(0.1)) {
        const Entry& mid = w_.entries[static_cast<size_t>(
            w_.horse_entries[static_cast<size_t>(h.first_entry_slot + h.entry_count / 2)])];
        const int day = w_.races[static_cast<size_t>(mid.race)].day + 2;
        if (day >= window_start_ && day < final_day) v.push_back({day, '4', idx, day});
      }
      v.push_back({final_day, final_kind, idx, w_.as_of});
    }
    Masters("DIFN", "UM", v, [&](std::string& buf, const Version& x) {
      const Horse& h = w_.horses[static_cast<size_t>(x.index)];
      if (!h.registered) {
        Horse stand_in = h;
        stand_in.registered = true;
        stand_in.registration_day = x.snapshot;
        stand_in.trainer = 0;
        stand_in.owner = 0;
        WriteHorse(buf, stand_in, x.kind, x.day, x.snapshot);
        return;
      }
      WriteHorse(buf, h, x.kind, x.day, x.snapshot);
    });
  }

  int BreedingRecordDay(const BreedingHorse& b) {
    if (b.horse >= 0)
      return DaysFromCivil(w_.horses[static_cast<size_t>(b.horse)].stud_year + 1, 1, 15);
    return window_start_ + static_cast<int>(rng_.Below(
                               static_cast<uint32_t>(std::max(1, w_.as_of - window_start_))));
  }

  void Breeding() {
    std::vector<Version> v;
    Rare deleted(0.001);
    for (size_t i = 0; i < w_.breeding.size(); ++i) {
      const BreedingHorse& b = w_.breeding[i];
      const int day = BreedingRecordDay(b);
      if (day > w_.as_of) continue;
      const int d = Clamp(day);
      if (b.foals == 0 && deleted(rng_)) {
        v.push_back({d, '1', static_cast<int>(i), d});
        v.push_back({Clamp(d + 20), '0', static_cast<int>(i), d});
        continue;
      }
      if (rng_.Chance(0.08) && d > window_start_) {
        v.push_back({window_start_ + (d - window_start_) / 2, '1', static_cast<int>(i), d});
        v.push_back({d, '2', static_cast<int>(i), d});
      } else {
        v.push_back({d, '1', static_cast<int>(i), d});
      }
    }
    Masters("BLDN", "HN", v, [&](std::string& buf, const Version& x) {
      const BreedingHorse& b = w_.breeding[static_cast<size_t>(x.index)];
      RecordText t = Rec(buf, BreedingHorseLayout(), x.kind, x.day);
      t.Set("breeding_number", b.number);
      t.Set("pedigree_number", b.pedigree);
      t.Set("horse_name", b.name.full);
      t.Set("horse_name_kana", b.name.half);
      t.Set("horse_name_en", b.name.latin);
      t.Num("birth_year", b.birth_year);
      t.Set("sex", std::string(1, b.sex));
      t.Set("breed", "1");
      t.Num("coat", b.coat);
      t.Set("import_kind", b.imported ? "3" : "0");
      t.Num("import_year", b.imported ? b.first_foal_year - 1 : 0);
      t.Set("birthplace", b.birthplace);
      t.Set("sire_breeding_number", BreedingNumber(b.sire));
      t.Set("dam_breeding_number", BreedingNumber(b.dam));
    });
  }

  void Offspring() {
    std::vector<Version> v;
    Rare deleted(0.002);
    for (size_t i = 0; i < w_.horses.size(); ++i) {
      const Horse& h = w_.horses[i];
      if (!h.offspring) continue;
      const int day = h.birth_day + 30 + static_cast<int>(rng_.Below(150));
      if (day > w_.as_of) continue;
      const int d = Clamp(day);
      if (!h.registered && deleted(rng_)) {
        v.push_back({d, '1', static_cast<int>(i), d});
        v.push_back({Clamp(d + 40), '0', static_cast<int>(i), d});
        continue;
      }
      v.push_back({d, '1', static_cast<int>(i), d});
      if (rng_.Chance(0.05) && d + 200 <= w_.as_of)
        v.push_back({d + 200, '2', static_cast<int>(i), d});
    }
    Masters("BLDN", "SK", v, [&](std::string& buf, const Version& x) {
      const Horse& h = w_.horses[static_cast<size_t>(x.index)];
      RecordText t = Rec(buf, OffspringLayout(), x.kind, x.day);
      t.Set("pedigree_number", h.pedigree);
      t.Set("birth_date", DateText(h.birth_day));
      t.Set("sex", h.sex == '2' ? "2" : "1");
      t.Set("breed", "1");
      t.Num("coat", h.coat);
      t.Set("import_kind", "0");
      t.Num("import_year", 0);
      t.Set("breeder_code", w_.breeders[static_cast<size_t>(h.breeder)].code);
      t.Set("birthplace", h.birthplace);
      static const auto kAncestors = Repeated(OffspringLayout(), "ancestor[", 14);
      const std::array<int, 14> a = Ancestors(h.sire, h.dam);
      for (size_t i = 0; i < 14; ++i) t.Set(*kAncestors[i], BreedingNumber(a[i]));
    });
  }

  // ---- jockeys and trainers ----

  PersonYear YearOfPerson(const Person& p, int year) const {
    const int i = year - w_.sim_from_year;
    if (i < 0 || i >= static_cast<int>(p.years.size())) return {};
    return p.years[static_cast<size_t>(i)];
  }

  void Blocks(RecordText& t, const Person& p, int snapshot) {
    const int year = YearOf(snapshot);
    PersonYear career;
    for (int y = w_.sim_from_year; y <= year; ++y) career += YearOfPerson(p, y);
    const PersonYear blocks[3] = {YearOfPerson(p, year), YearOfPerson(p, year - 1), career};
    for (int b = 0; b < 3; ++b) {
      const std::string pre = "results[" + std::to_string(b) + "].";
      const PersonYear& y = blocks[b];
      t.Num(pre + "year", b == 2 ? 0 : year - b);
      for (int i = 0; i < 4; ++i)
        t.Num(pre + "prize[" + std::to_string(i) + "]", y.prize[static_cast<size_t>(i)]);
      auto counts = [&](const std::string& name, const Counts6& c) {
        for (int i = 0; i < 6; ++i)
          t.Num(pre + name + ".count[" + std::to_string(i) + "]", c.c[static_cast<size_t>(i)]);
      };
      counts("flat", y.flat);
      counts("jump", y.jump);
      for (int i = 0; i < 20; ++i)
        counts("venue_surface[" + std::to_string(i) + "]", y.venue_surface[static_cast<size_t>(i)]);
      for (int i = 0; i < 6; ++i)
        counts("distance[" + std::to_string(i) + "]", y.distance[static_cast<size_t>(i)]);
    }
  }

  void GradedWins(RecordText& t, const Person& p, int snapshot) {
    int slot = 0;
    for (auto it = p.graded_wins.rbegin(); it != p.graded_wins.rend() && slot < 3; ++it) {
      const Entry& e = w_.entries[static_cast<size_t>(*it)];
      const Race& r = w_.races[static_cast<size_t>(e.race)];
      if (r.day > snapshot) continue;
      const std::string pre = "graded_win[" + std::to_string(slot++) + "].";
      t.RaceId(pre + "race", RaceIdOf(r, r.venue_code));
      t.Set(pre + "race_name", r.name.forms.full);
      t.Set(pre + "short_name10", FirstChars(r.name.forms.full, 10));
      t.Set(pre + "short_name6", FirstChars(r.name.forms.full, 6));
      t.Set(pre + "short_name3", FirstChars(r.name.forms.full, 3));
      t.Set(pre + "grade", std::string(1, r.grade));
      t.Num(pre + "starters", r.starters);
      const Horse& h = w_.horses[static_cast<size_t>(e.horse)];
      t.Set(pre + "pedigree_number", h.pedigree);
      t.Set(pre + "horse_name", h.name.full);
    }
  }

  // First ride or first win of a rider: from the simulated races, or made up
  // for a career that began before them.
  void FirstRace(RecordText& t, const std::string& pre, const Person& p, int entry, int kind,
                 bool ride, int snapshot) {
    if (entry >= 0) {
      const Entry& e = w_.entries[static_cast<size_t>(entry)];
      const Race& r = w_.races[static_cast<size_t>(e.race)];
      if (r.day > snapshot) return;
      t.RaceId(pre + "race", RaceIdOf(r, r.venue_code));
      t.Num(pre + "starters", r.starters);
      const Horse& h = w_.horses[static_cast<size_t>(e.horse)];
      t.Set(pre + "pedigree_number", h.pedigree);
      t.Set(pre + "horse_name", h.name.full);
      if (ride) {
        t.Num(pre + "placing", e.placing);
        t.Num(pre + "abnormality", e.abnormality);
      }
      return;
    }
    const bool before = p.licence_day < DaysFromCivil(w_.sim_from_year, 1, 1);
    const bool rides_kind = kind == 0 ? (p.flat_rider || p.affiliation <= 2) : p.jump_rider;
    if (!before || !rides_kind) return;
    const int year = YearOf(p.licence_day) + (ride ? 0 : 1);
    Race r;
    r.day = DaysFromCivil(year, 3, 1) + 7 * static_cast<int>(rng_.Below(30));
    r.meeting = 2;
    r.day_of_meeting = 1 + static_cast<int>(rng_.Below(8));
    r.number = 1 + static_cast<int>(rng_.Below(12));
    t.RaceId(pre + "race", RaceIdOf(r, TwoDigits(1 + static_cast<int>(rng_.Below(10)))));
    t.Num(pre + "starters", 10 + static_cast<int>(rng_.Below(9)));
    t.Set(pre + "pedigree_number", Digits(year - 3, 4) + "10" + Digits(rng_.Below(9000), 4));
    t.Set(pre + "horse_name", HorseName(rng_, 9).full);
    if (ride) {
      t.Num(pre + "placing", 1 + static_cast<int>(rng_.Below(16)));
      t.Num(pre + "abnormality", 0);
    }
  }

  void WritePerson(std::string& buf, const Person& p, bool jockey, char kind, int day,
                   int snapshot) {
    RecordText t = Rec(buf, jockey ? JockeyLayout() : TrainerLayout(), kind, day);
    const std::string who = jockey ? "jockey" : "trainer";
    const bool gone = p.end_day != 0 && p.end_day <= snapshot;
    t.Set(who + "_code", p.code);
    t.Set("deregistration_flag", gone ? "1" : "0");
    t.Set("licence_date", DateText(p.licence_day));
    t.Set("licence_end_date", gone ? DateText(p.end_day) : "00000000");
    t.Set("birth_date", DateText(p.birth_day));
    t.Set(who + "_name", p.name.forms.full);
    t.Set(who + "_name_kana", p.name.forms.half);
    t.Set("short_name", p.name.short_name);
    t.Set(who + "_name_en", p.name.forms.latin);
    t.Set("sex", std::string(1, p.sex));
    t.Num("affiliation", p.affiliation);
    if (p.region >= 0) t.Set("invitation_region", InvitationRegion(p.region));
    if (jockey) {
      t.Set("qualification", p.jump_rider ? (p.flat_rider ? "1" : "3") : "2");
      const int years_licensed = (snapshot - p.licence_day) / 365;
      t.Num("apprentice", p.affiliation <= 2 && years_licensed < 3 && p.wins < 100
                              ? (p.wins < 30   ? 3
                                 : p.wins < 50 ? 2
                                               : 1)
                              : 0);
      if (p.stable >= 0) {
        const Person& s = w_.trainers[static_cast<size_t>(p.stable)];
        t.Set("trainer_code", s.code);
        t.Set("trainer_short_name", s.name.short_name);
      } else {
        t.Set("trainer_code", "00000");
      }
      for (int k = 0; k < 2; ++k) {
        FirstRace(t, "first_ride[" + std::to_string(k) + "].", p, p.first_ride[k], k, true,
                  snapshot);
        FirstRace(t, "first_win[" + std::to_string(k) + "].", p, p.first_win[k], k, false,
                  snapshot);
      }
    }
    GradedWins(t, p, snapshot);
    Blocks(t, p, snapshot);
  }

  void People(const std::vector<Person>& people, bool jockeys) {
    std::vector<Version> v;
    for (size_t i = 0; i < people.size(); ++i) {
      const Person& p = people[i];
      const int idx = static_cast<int>(i);
      int last = std::max({p.licence_day, p.last_activity_day + 2, p.end_day});
      const int final_day = Clamp(last);
      if (p.deleted) {
        v.push_back(
            {Clamp(window_start_ + static_cast<int>(rng_.Below(300))), '1', idx, window_start_});
        v.push_back({final_day, '0', idx, final_day});
        continue;
      }
      const bool active = p.last_activity_day >= window_start_;
      if (active && rng_.Chance(0.4)) {
        const int day = Clamp(DaysFromCivil(YearOf(final_day), 1, 5));
        if (day < final_day) v.push_back({day, '2', idx, day - 6});
      }
      v.push_back({final_day, p.licence_day >= window_start_ ? '1' : '2', idx, w_.as_of});
    }
    Masters("DIFN", jockeys ? "KS" : "CH", v, [&](std::string& buf, const Version& x) {
      WritePerson(buf, people[static_cast<size_t>(x.index)], jockeys, x.kind, x.day, x.snapshot);
    });
  }

  // ---- breeders and owners ----

  template <class Org>
  void OrgBlocks(RecordText& t, const Org& o, int snapshot) {
    const int year = YearOf(snapshot);
    OrgYear current, career;
    for (int y = w_.sim_from_year; y <= year; ++y) {
      const int i = y - w_.sim_from_year;
      if (i < 0 || i >= static_cast<int>(o.years.size())) continue;
      career += o.years[static_cast<size_t>(i)];
      if (y == year) current = o.years[static_cast<size_t>(i)];
    }
    const OrgYear blocks[2] = {current, career};
    for (int b = 0; b < 2; ++b) {
      const std::string pre = "results[" + std::to_string(b) + "].";
      t.Num(pre + "year", b == 0 ? year : 0);
      t.Num(pre + "main_prize", blocks[b].main);
      t.Num(pre + "added_prize", blocks[b].added);
      for (int i = 0; i < 6; ++i)
        t.Num(pre + "counts.count[" + std::to_string(i) + "]",
              blocks[b].counts.c[static_cast<size_t>(i)]);
    }
  }

  template <class Org>
  void OrgVersions(const std::vector<Org>& orgs, std::vector<Version>& v) {
    for (size_t i = 0; i < orgs.size(); ++i) {
      const Org& o = orgs[i];
      const int idx = static_cast<int>(i);
      const int final_day = Clamp(
          std::max(o.last_activity_day + 2, window_start_ + static_cast<int>(rng_.Below(400))));
      if (rng_.Chance(0.2) && final_day > window_start_ + 400)
        v.push_back({final_day - 365, '2', idx, final_day - 365});
      v.push_back({final_day, o.deleted ? '0' : '2', idx, w_.as_of});
    }
  }

  // Breeders and owners share their record shape but for one field.
  template <class Org>
  void Orgs(const std::vector<Org>& orgs, std::string_view type, const RecordLayout& layout,
            const std::string& who) {
    std::vector<Version> v;
    OrgVersions(orgs, v);
    Masters("DIFN", type, v, [&](std::string& buf, const Version& x) {
      const Org& o = orgs[static_cast<size_t>(x.index)];
      RecordText t = Rec(buf, layout, x.kind, x.day);
      t.Set(who + "_code", o.code);
      t.Set(who + "_name", o.name.forms.full);
      t.Set(who + "_name_plain", o.name.plain);
      t.Set(who + "_name_kana", o.name.forms.half);
      t.Set(who + "_name_en", o.name.forms.latin);
      if constexpr (std::is_same_v<Org, Breeder>)
        t.Set("address", o.address);
      else
        t.Set("colours", o.colours);
      OrgBlocks(t, o, x.snapshot);
    });
  }

  // ---- market sales, gallops ----

  void Sales() {
    std::vector<Version> v;
    Rare withdrawn(0.002);  // a sale line sent by mistake and deleted
    for (size_t i = 0; i < w_.sales.size(); ++i) {
      const int day = Clamp(w_.sales[i].end_day + 3 + static_cast<int>(rng_.Below(8)));
      v.push_back({day, '1', static_cast<int>(i), 0});
      if (withdrawn(rng_)) v.push_back({Clamp(day + 5), '0', static_cast<int>(i), 0});
    }
    Masters("HOSN", "HS", v, [&](std::string& buf, const Version& x) {
      const Sale& s = w_.sales[static_cast<size_t>(x.index)];
      const Horse& h = w_.horses[static_cast<size_t>(s.horse)];
      RecordText t = Rec(buf, MarketSaleLayout(), x.kind, x.day);
      t.Set("pedigree_number", h.pedigree);
      t.Set("sire_breeding_number", BreedingNumber(h.sire));
      t.Set("dam_breeding_number", BreedingNumber(h.dam));
      t.Num("birth_year", h.birth_year);
      t.Set("market_code", Digits(s.organiser + 1, 3) + Digits(s.market + 1, 3));
      t.Set("organiser_name", Organiser(s.organiser));
      t.Set("market_name", MarketOf(s.market).name);
      t.Set("start_date", DateText(s.start_day));
      t.Set("end_date", DateText(s.end_day));
      t.Num("age", s.age);
      t.Num("price", s.price);
    });
  }

  void Gallops() {
    struct Gallop {
      int day, minute, entry;
    };
    std::vector<Gallop> g;
    for (size_t k = 0; k < w_.entries.size(); ++k) {
      const Entry& e = w_.entries[k];
      const Race& r = w_.races[static_cast<size_t>(e.race)];
      if (!r.visible || r.venue == 0 || !rng_.Chance(0.25)) continue;
      const int day = r.day - 4 - static_cast<int>(rng_.Below(7));
      if (day < window_start_ || day > w_.as_of) continue;
      g.push_back({day, 360 + static_cast<int>(rng_.Below(180)), static_cast<int>(k)});
    }
    std::stable_sort(g.begin(), g.end(), [](const Gallop& a, const Gallop& b) {
      return a.day != b.day ? a.day < b.day : a.minute < b.minute;
    });
    for (const Gallop& x : g) {
      const Entry& e = w_.entries[static_cast<size_t>(x.entry)];
      const Ymd c = CivilFromDays(x.day);
      RecordText t = Rec(File("SLOP", "SLOP" + Digits(c.y, 4) + TwoDigits(c.m) + ".jvd"),
                         GallopLayout(), '1', x.day);
      t.Num("centre", w_.trainers[static_cast<size_t>(e.trainer)].affiliation == 1 ? 0 : 1);
      t.Set("date", DateText(x.day));
      t.Set("time", TwoDigits(x.minute / 60) + TwoDigits(x.minute % 60));
      t.Set("pedigree_number", w_.horses[static_cast<size_t>(e.horse)].pedigree);
      const int lap1 = 120 + static_cast<int>(rng_.Below(18));
      const int lap2 = 124 + static_cast<int>(rng_.Below(14));
      const int lap3 = 128 + static_cast<int>(rng_.Below(14));
      const int lap4 = 132 + static_cast<int>(rng_.Below(16));
      t.Num("f4", lap1 + lap2 + lap3 + lap4);
      t.Num("lap4", lap4);
      t.Num("f3", lap1 + lap2 + lap3);
      t.Num("lap3", lap3);
      t.Num("f2", lap1 + lap2);
      t.Num("lap2", lap2);
      t.Num("lap1", lap1);
    }
  }

  const World& w_;
  Rng rng_;
  int window_start_ = 0;
  std::vector<std::string> race_ids_;
  std::map<std::string, SourceFile> files_;
  Summary summary_;
};

}  // namespace

Source Emit(const World& w) { return Emitter(w).Run(); }

}  // namespace volq::gen
