#pragma once
// The files the build program derives, each named once: its path, its record
// length and its field table. The tables have the form of the raw record
// tables (a field of a width, repeated; a group of fields, repeated), but are
// compile-time data, so that a reader resolves a field by name once, when it
// is compiled: DerivedField(kUmaExTable, "track_code") is EX 775:2, and a name
// that is not in the table does not compile.
//
// Flattened names follow RecordLayout: a repeated entry is name[i] (0-based),
// a group member group.member, so "corner[2].order". A repeated entry or a
// group named without index or member is its whole byte range.
#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "common/record_layout.h"

namespace volq {

// One entry of a derived table: a field of `width` bytes, or a group
// (width 0) made of the `members` fields that follow it. Groups hold fields
// only.
struct DerivedEntry {
  std::string_view name;
  int width = 0;
  int repeat = 1;
  int members = 0;
};
constexpr DerivedEntry DF(std::string_view name, int width, int repeat = 1) {
  return {name, width, repeat, 0};
}
constexpr DerivedEntry DG(std::string_view name, int repeat, int members) {
  return {name, 0, repeat, members};
}

namespace derived_detail {

// Width of entry i of a table with its repeats (a group: its members').
constexpr int EntryWidth(std::span<const DerivedEntry> t, size_t i) {
  if (t[i].width > 0) return t[i].width * t[i].repeat;
  int w = 0;
  for (int m = 1; m <= t[i].members; ++m) w += t[i + m].width * t[i + m].repeat;
  return w * t[i].repeat;
}

constexpr size_t Next(std::span<const DerivedEntry> t, size_t i) {
  return i + 1 + static_cast<size_t>(t[i].width > 0 ? 0 : t[i].members);
}

// Reads "[i]" at the front of rest; -1 when rest does not start with '['.
constexpr int Index(std::string_view& rest) {
  if (rest.empty() || rest.front() != '[') return -1;
  int i = 0;
  size_t k = 1;
  for (; k < rest.size() && rest[k] >= '0' && rest[k] <= '9'; ++k) i = 10 * i + (rest[k] - '0');
  if (k == 1 || k >= rest.size() || rest[k] != ']') throw "bad index in a field name";
  rest.remove_prefix(k + 1);
  return i;
}

// Range of `name` among entries [first, last) of t starting at byte `at`;
// length -1 when no entry holds it.
constexpr Slice Find(std::span<const DerivedEntry> t, size_t first, size_t last, int at,
                     std::string_view name) {
  for (size_t i = first; i < last; i = Next(t, i)) {
    const DerivedEntry& e = t[i];
    const int whole = EntryWidth(t, i);
    const int one = whole / e.repeat;
    if (name.substr(0, e.name.size()) == e.name) {
      std::string_view rest = name.substr(e.name.size());
      if (rest.empty()) return {at, whole};
      if (rest.front() == '[' || rest.front() == '.') {
        const int k = Index(rest);
        if (k >= e.repeat) throw "index beyond the repeats of a field";
        const int base = at + (k < 0 ? 0 : k) * one;
        if (rest.empty()) return {base, one};
        if (e.width == 0 && rest.front() == '.' && (k >= 0 || e.repeat == 1)) {
          const Slice s = Find(t, i + 1, Next(t, i), base, rest.substr(1));
          if (s.length >= 0) return s;
        }
      }
    }
    at += whole;
  }
  return {0, -1};
}

}  // namespace derived_detail

// Byte range of a named field; evaluated when compiled.
consteval Slice DerivedField(std::span<const DerivedEntry> t, std::string_view name) {
  const Slice s = derived_detail::Find(t, 0, t.size(), 0, name);
  if (s.length < 0) throw "no such field in the table";
  return s;
}
// Bytes at..at+length of a named field: the readers that take a part of a
// field (the first three digits of the distance).
consteval Slice DerivedField(std::span<const DerivedEntry> t, std::string_view name, int at,
                             int length) {
  const Slice s = DerivedField(t, name);
  if (at < 0 || length < 0 || at + length > s.length) throw "part beyond its field";
  return {s.offset + at, length};
}
// From the start of field `first` to the end of field `last`.
consteval Slice DerivedSpan(std::span<const DerivedEntry> t, std::string_view first,
                            std::string_view last) {
  const Slice a = DerivedField(t, first), b = DerivedField(t, last);
  return {a.offset, b.offset + b.length - a.offset};
}
constexpr int DerivedLength(std::span<const DerivedEntry> t) {
  int n = 0;
  for (size_t i = 0; i < t.size(); i = derived_detail::Next(t, i))
    n += derived_detail::EntryWidth(t, i);
  return n;
}

// Repeat i (0-based) of a repeated field whose first repeat is `first`.
constexpr Slice Nth(Slice first, int i) { return {first.offset + first.length * i, first.length}; }

// Puts `text` into a field of rec: left-justified, blank-padded, cut.
void PutText(std::string& rec, Slice field, std::string_view text);

// The same table as a RecordLayout, for what lists every field by name.
RecordLayout DerivedLayout(std::string type, std::span<const DerivedEntry> t);

// --- UMAGOTOEXSETUP\<PedigreeNumber>EX.dat: the EX record -------------------
// One race entry of one horse joined with its race, the horse, its jockey,
// its market sale and its place among its dam's foals (written by the EX
// build, record j for record j of the horse's UMAGOTOSETUP file).
inline constexpr std::string_view kUmaExFolder = "UMAGOTOEXSETUP";
inline constexpr std::string_view kUmaExSuffix = "EX.dat";
// clang-format off
inline constexpr DerivedEntry kUmaExTable[] = {
    DF("record_type", 2), DF("data_kind", 1),
    DG("creation_date", 1, 3), DF("year", 4), DF("month", 2), DF("day", 2),
    DG("race", 1, 6), DF("year", 4), DF("month_day", 4), DF("venue", 2),
      DF("meeting", 2), DF("day_number", 2), DF("race_number", 2),
    DF("bracket", 1), DF("horse_number", 2), DF("pedigree_number", 10),
    DF("foal_order", 2), DF("weekday", 1),
    DG("sale", 1, 7), DF("code", 6), DF("host", 40), DF("name", 80), DF("start_date", 8),
      DF("end_date", 8), DF("age", 1), DF("price", 10),
    DG("birth_date", 1, 3), DF("year", 4), DF("month", 2), DF("day", 2),
    DF("invitation", 20), DF("breeder_code", 8), DF("birthplace", 20),
    // Slot 0 sire, 1 dam, 2 never written (NUL bytes), 3 dam's sire, 5 sire's sire.
    DG("pedigree", 7, 3), DF("breeding_number", 10), DF("birth_year", 4), DF("birthplace", 20),
    DF("horse_name", 36), DF("reserved1", 1),
    DF("horse_symbol", 2), DF("sex", 1), DF("breed", 1), DF("coat", 2), DF("affiliation", 1),
    DF("trainer_code", 5), DF("owner_code", 6), DF("colours", 60),
    DF("weight", 3), DF("weight_before", 3), DF("blinkers", 1), DF("reserved2", 1),
    DF("jockey_code", 5),
    DG("jockey_birth_date", 1, 3), DF("year", 4), DF("month", 2), DF("day", 2),
    DF("jockey_sex", 1), DF("jockey_invitation", 20), DF("qualification", 1),
    DF("jockey_code_before", 5), DF("jockey_short_name", 8), DF("jockey_short_name_before", 8),
    DF("apprentice", 1), DF("apprentice_before", 1), DF("body_weight", 3),
    DF("body_weight_sign", 1), DF("body_weight_change", 3), DF("abnormality", 1),
    DF("arrival_order", 2), DF("final_placing", 2), DF("dead_heat", 1), DF("dead_heat_count", 1),
    DF("time", 4), DF("margin", 3, 3), DF("corner_position", 2, 4), DF("win_odds", 4),
    DF("win_popularity", 2), DF("main_prize_won", 8), DF("added_prize_won", 8),
    DF("reserved3", 3, 2), DF("last4f", 3), DF("last3f", 3), DF("time_difference", 4),
    DF("grade", 1), DF("grade_before", 1),
    DG("condition", 1, 4), DF("race_kind", 2), DF("race_symbol", 3), DF("weight_rule", 1),
      DF("age_condition", 3, 5),
    DF("distance", 4), DF("distance_before", 4), DF("track_code", 2), DF("track_code_before", 2),
    DF("course_division", 2), DF("course_division_before", 2),
    DF("main_prize", 8, 7), DF("main_prize_before", 8, 5), DF("added_prize", 8, 5),
    DF("added_prize_before", 8, 3), DF("post_time", 4), DF("post_time_before", 4),
    DF("registered", 2), DF("starters", 2), DF("finishers", 2),
    DF("weather", 1), DF("turf_going", 1), DF("dirt_going", 1), DF("lap_time", 3, 25),
    DF("jump_mile_time", 4), DF("race_first3f", 3), DF("race_first4f", 3),
    DF("race_last3f", 3), DF("race_last4f", 3),
    DG("corner", 4, 3), DF("corner", 1), DF("laps", 1), DF("order", 70),
    DF("crlf", 2)};
// clang-format on
inline constexpr int kUmaExLength = DerivedLength(kUmaExTable);
static_assert(kUmaExLength == 1341);
// An EX field by name, resolved when compiled: UmaEx("track_code") is 775:2.
consteval Slice UmaEx(std::string_view name) { return DerivedField(kUmaExTable, name); }
const RecordLayout& UmaExLayout();

// --- SIBA|DIRT|SHOG ITEM201801N2024.dat: the factor item record -------------
// The three speeds (Agari, Pace, whole race) and the codes of factors F1 to
// F30 of one kept race entry.
// clang-format off
inline constexpr DerivedEntry kFactorItemTable[] = {
    DF("speed", 7, 3), DF("F1", 9), DF("F2", 11), DF("F3", 9), DF("F4", 4), DF("F5", 5),
    DF("F6", 6), DF("F7", 5), DF("F8", 4), DF("F9", 3), DF("F10", 3), DF("F11", 4),
    DF("F12", 3), DF("F13", 6), DF("F14", 6), DF("F15", 6), DF("F16", 4), DF("F17", 4),
    DF("F18", 6), DF("F19", 5), DF("F20", 10), DF("F21", 10), DF("F22", 5), DF("F23", 10),
    DF("F24", 6), DF("F25", 4), DF("F26", 4), DF("F27", 8), DF("F28", 6), DF("F29", 6),
    DF("F30", 4), DF("crlf", 2)};
// clang-format on
inline constexpr int kItemLength = DerivedLength(kFactorItemTable);
static_assert(kItemLength == 199);
const RecordLayout& FactorItemLayout();

// --- The course types of the factor window ----------------------------------
// Each type's words, its files and the track codes that make a race of it.
struct CourseKind {
  std::string_view word;        // of the course horse lists: SIBA<month>N.dat
  std::string_view model_word;  // of the model and category files: Siba
  std::string_view horse_list;  // the list of an extraction from 201801
  std::string_view item_file;   // the ITEM file
  int lowest_track, highest_track;
};
inline constexpr CourseKind kCourseKinds[3] = {
    {"SIBA", "Siba", "SIBA201801N.dat", "SIBAITEM201801N2024.dat", 0, 22},
    {"DIRT", "Dirt", "DIRT201801N.dat", "DIRTITEM201801N2024.dat", 23, 29},
    {"SHOG", "Shog", "SHOG201801N.dat", "SHOGITEM201801N2024.dat", 51, 59},
};

// --- OPTION1N\MARE.dat and OPTION1N\STALLION.dat: parent summaries ----------
// Rates (RateField6), counts (CountField6) and money (MoneyField9) over the
// offspring of a dam or sire; lines 1 to 25 are the placing lines of its
// offspring totals.
inline constexpr std::string_view kMareFile = "OPTION1N\\MARE.dat";
inline constexpr std::string_view kStallionFile = "OPTION1N\\STALLION.dat";
// clang-format off
inline constexpr DerivedEntry kMareStallionTable[] = {
    DF("breeding_number", 10), DF("overall_top3_rate", 6), DF("central_top3_rate", 6),
    DF("flat_earners", 6), DF("jump_earners", 6), DF("central_starts", 6),
    DF("jump_starts", 6), DF("flat_main_prize", 9), DF("jump_main_prize", 9),
    DF("flat_earnings", 9), DF("jump_earnings", 9), DF("line_top3_rate", 6, 25),
    DF("overall_top2_rate", 6), DF("central_top2_rate", 6), DF("line_top2_rate", 6, 25),
    DF("style_code", 6), DF("crlf", 2)};
// clang-format on
inline constexpr int kMareStallionLength = DerivedLength(kMareStallionTable);
static_assert(kMareStallionLength == 402);
consteval Slice StallionField(std::string_view name) {
  return DerivedField(kMareStallionTable, name);
}

// --- OPTION1N\KYOSOBA.dat: the placing record of a horse --------------------
inline constexpr std::string_view kKyosobaFile = "OPTION1N\\KYOSOBA.dat";
// clang-format off
inline constexpr DerivedEntry kKyosobaTable[] = {
    DF("pedigree_number", 10), DF("overall_top3_rate", 6), DF("central_top3_rate", 6),
    DF("central_starts", 6), DF("jump_starts", 6), DF("flat_main_prize", 9),
    DF("jump_main_prize", 9), DF("flat_earnings", 9), DF("jump_earnings", 9),
    DF("line_top3_rate", 6, 25), DF("style_code", 6), DF("crlf", 2)};
// clang-format on
inline constexpr int kKyosobaLength = DerivedLength(kKyosobaTable);
static_assert(kKyosobaLength == 228);
consteval Slice KyosobaField(std::string_view name) { return DerivedField(kKyosobaTable, name); }

// --- KISHUSEISEI.dat, CHOKYOSEISEI.dat: jockey and trainer tallies ----------
// Rates of results blocks 0 (current year), 1 (previous year), 2 (career).
inline constexpr std::string_view kJockeyTallyFile = "KISHUSEISEI.dat";
inline constexpr std::string_view kTrainerTallyFile = "CHOKYOSEISEI.dat";
// clang-format off
inline constexpr DerivedEntry kResultsTallyTable[] = {
    DF("code", 5),
    DG("top3_rate", 3, 2), DF("turf", 6), DF("dirt", 6),
    DF("jump_top3_rate", 6),
    DG("top2_rate", 3, 2), DF("turf", 6), DF("dirt", 6),
    DF("jump_top2_rate", 6), DF("flat_prize", 9), DF("jump_prize", 9), DF("flat_runs", 6),
    DF("jump_runs", 6), DF("crlf", 2)};
// clang-format on
inline constexpr int kResultsTallyLength = DerivedLength(kResultsTallyTable);
static_assert(kResultsTallyLength == 121);
consteval Slice TallyField(std::string_view name) { return DerivedField(kResultsTallyTable, name); }

// --- BREEDERSEISEI.dat, BANUSISEISEI.dat: breeder and owner tallies ---------
inline constexpr std::string_view kBreederTallyFile = "BREEDERSEISEI.dat";
inline constexpr std::string_view kOwnerTallyFile = "BANUSISEISEI.dat";
// clang-format off
inline constexpr DerivedEntry kSmallTallyTable[] = {
    DF("code", 6), DF("top3_rate", 6), DF("top2_rate", 6), DF("main_prize", 9),
    DF("runs", 6), DF("crlf", 2)};
// clang-format on
inline constexpr int kSmallTallyLength = DerivedLength(kSmallTallyTable);
static_assert(kSmallTallyLength == 35);
consteval Slice SmallTallyField(std::string_view name) {
  return DerivedField(kSmallTallyTable, name);
}

// --- OPTION1N\DONICHI.dat: jockey place rates by racecourse and day ---------
// Slot s holds racecourse s + 1, except that racecourses 05 and 06 stand
// swapped (slot 4 is 06, slot 5 is 05), where the readers look for them.
inline constexpr std::string_view kDonichiFile = "OPTION1N\\DONICHI.dat";
// clang-format off
inline constexpr DerivedEntry kDonichiTable[] = {
    DF("jockey_code", 5), DG("venue", 10, 2), DF("saturday_rate", 6), DF("other_day_rate", 6),
    DF("crlf", 2)};
// clang-format on
inline constexpr int kDonichiLength = DerivedLength(kDonichiTable);
static_assert(kDonichiLength == 127);

// Every derived layout above by its file, for tests and listings.
struct DerivedFile {
  std::string_view path;  // <x> stands for the part a record names
  const RecordLayout& layout;
};
const std::vector<DerivedFile>& DerivedFiles();

}  // namespace volq
