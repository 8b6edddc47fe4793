#pragma once
// The files the build program derives: their record lengths and field
// tables (their names are in common/data_dir_catalogue.h), in the table form of the raw records
// (common/layout_table.h), so that a reader resolves a field by name when it
// is compiled: UmaEx("track_code") is EX 775:2.
#include <string>
#include <string_view>
#include <vector>

#include "common/data_dir_catalogue.h"
#include "common/record_layout.h"

namespace volq {

// Puts `text` into a field of rec: left-justified, blank-padded, cut.
void PutText(std::string& rec, Slice field, std::string_view text);

// Pieces of the derived tables.
namespace derived_parts {
// clang-format off
inline constexpr LayoutEntry kDate[] = {F("year", 4), F("month", 2), F("day", 2)};
inline constexpr LayoutEntry kExRace[] = {
    F("year", 4), F("month_day", 4), F("venue", 2), F("meeting", 2), F("day_number", 2),
    F("race_number", 2)};
inline constexpr LayoutEntry kExSale[] = {
    F("code", 6), F("host", 40), F("name", 80), F("start_date", 8), F("end_date", 8), F("age", 1),
    F("price", 10)};
inline constexpr LayoutEntry kExPedigree[] = {
    F("breeding_number", 10), F("birth_year", 4), F("birthplace", 20)};
inline constexpr LayoutEntry kExCondition[] = {
    F("race_kind", 2), F("race_symbol", 3), F("weight_rule", 1), F("age_condition", 3, 5)};
inline constexpr LayoutEntry kTurfDirt[] = {F("turf", 6), F("dirt", 6)};
inline constexpr LayoutEntry kDonichiVenue[] = {F("saturday_rate", 6), F("other_day_rate", 6)};
// clang-format on
}  // namespace derived_parts

// --- UMAGOTOEXSETUP\<PedigreeNumber>EX.dat: the EX record -------------------
// One race entry of one horse joined with its race, the horse, its jockey,
// its market sale and its place among its dam's foals (written by the EX
// build, record j for record j of the horse's UMAGOTOSETUP file).
// clang-format off
inline constexpr LayoutEntry kUmaExTable[] = {
    F("record_type", 2), F("data_kind", 1),
    G("creation_date", 1, derived_parts::kDate),
    G("race", 1, derived_parts::kExRace),
    F("bracket", 1), F("horse_number", 2), F("pedigree_number", 10),
    F("foal_order", 2), F("weekday", 1),
    G("sale", 1, derived_parts::kExSale),
    G("birth_date", 1, derived_parts::kDate),
    F("invitation", 20), F("breeder_code", 8), F("birthplace", 20),
    // Slot 0 sire, 1 dam, 2 never written (NUL bytes), 3 dam's sire, 5 sire's sire.
    G("pedigree", 7, derived_parts::kExPedigree),
    F("horse_name", 36), F("reserved1", 1),
    F("horse_symbol", 2), F("sex", 1), F("breed", 1), F("coat", 2), F("affiliation", 1),
    F("trainer_code", 5), F("owner_code", 6), F("colours", 60),
    F("weight", 3), F("weight_before", 3), F("blinkers", 1), F("reserved2", 1),
    F("jockey_code", 5),
    G("jockey_birth_date", 1, derived_parts::kDate),
    F("jockey_sex", 1), F("jockey_invitation", 20), F("qualification", 1),
    F("jockey_code_before", 5), F("jockey_short_name", 8), F("jockey_short_name_before", 8),
    F("apprentice", 1), F("apprentice_before", 1), F("body_weight", 3),
    F("body_weight_sign", 1), F("body_weight_change", 3), F("abnormality", 1),
    F("arrival_order", 2), F("final_placing", 2), F("dead_heat", 1), F("dead_heat_count", 1),
    F("time", 4), F("margin", 3, 3), F("corner_position", 2, 4), F("win_odds", 4),
    F("win_popularity", 2), F("main_prize_won", 8), F("added_prize_won", 8),
    F("reserved3", 3, 2), F("last4f", 3), F("last3f", 3), F("time_difference", 4),
    F("grade", 1), F("grade_before", 1),
    G("condition", 1, derived_parts::kExCondition),
    F("distance", 4), F("distance_before", 4), F("track_code", 2), F("track_code_before", 2),
    F("course_division", 2), F("course_division_before", 2),
    F("main_prize", 8, 7), F("main_prize_before", 8, 5), F("added_prize", 8, 5),
    F("added_prize_before", 8, 3), F("post_time", 4), F("post_time_before", 4),
    F("registered", 2), F("starters", 2), F("finishers", 2),
    F("weather", 1), F("turf_going", 1), F("dirt_going", 1), F("lap_time", 3, 25),
    F("jump_mile_time", 4), F("race_first3f", 3), F("race_first4f", 3),
    F("race_last3f", 3), F("race_last4f", 3),
    G("corner", 4, record_parts::kRaceCorner),
    F("crlf", 2)};
// clang-format on
inline constexpr int kUmaExLength = StoredLength(kUmaExTable);
static_assert(kUmaExLength == 1341);
// An EX field by name, resolved when compiled: UmaEx("track_code") is 775:2.
consteval Slice UmaEx(std::string_view name) { return LayoutField(kUmaExTable, name); }
const RecordLayout& UmaExLayout();

// --- SIBA|DIRT|SHOG ITEM201801N2024.dat: the factor item record -------------
// The three speeds (Agari, Pace, whole race) and the codes of factors F1 to
// F30 of one kept race entry.
// clang-format off
inline constexpr LayoutEntry kFactorItemTable[] = {
    F("speed", 7, 3), F("F1", 9), F("F2", 11), F("F3", 9), F("F4", 4), F("F5", 5),
    F("F6", 6), F("F7", 5), F("F8", 4), F("F9", 3), F("F10", 3), F("F11", 4),
    F("F12", 3), F("F13", 6), F("F14", 6), F("F15", 6), F("F16", 4), F("F17", 4),
    F("F18", 6), F("F19", 5), F("F20", 10), F("F21", 10), F("F22", 5), F("F23", 10),
    F("F24", 6), F("F25", 4), F("F26", 4), F("F27", 8), F("F28", 6), F("F29", 6),
    F("F30", 4), F("crlf", 2)};
// clang-format on
inline constexpr int kItemLength = StoredLength(kFactorItemTable);
static_assert(kItemLength == 199);
const RecordLayout& FactorItemLayout();

// --- OPTION1N\MARE.dat and OPTION1N\STALLION.dat: parent summaries ----------
// Rates (RateField6), counts (CountField6) and money (MoneyField9) over the
// offspring of a dam or sire; lines 1 to 25 are the placing lines of its
// offspring totals.
// clang-format off
inline constexpr LayoutEntry kMareStallionTable[] = {
    F("breeding_number", 10), F("overall_top3_rate", 6), F("central_top3_rate", 6),
    F("flat_earners", 6), F("jump_earners", 6), F("central_starts", 6),
    F("jump_starts", 6), F("flat_main_prize", 9), F("jump_main_prize", 9),
    F("flat_earnings", 9), F("jump_earnings", 9), F("line_top3_rate", 6, 25),
    F("overall_top2_rate", 6), F("central_top2_rate", 6), F("line_top2_rate", 6, 25),
    F("style_code", 6), F("crlf", 2)};
// clang-format on
inline constexpr int kMareStallionLength = StoredLength(kMareStallionTable);
static_assert(kMareStallionLength == 402);
consteval Slice StallionField(std::string_view name) {
  return LayoutField(kMareStallionTable, name);
}

// --- OPTION1N\KYOSOBA.dat: the placing record of a horse --------------------
// clang-format off
inline constexpr LayoutEntry kKyosobaTable[] = {
    F("pedigree_number", 10), F("overall_top3_rate", 6), F("central_top3_rate", 6),
    F("central_starts", 6), F("jump_starts", 6), F("flat_main_prize", 9),
    F("jump_main_prize", 9), F("flat_earnings", 9), F("jump_earnings", 9),
    F("line_top3_rate", 6, 25), F("style_code", 6), F("crlf", 2)};
// clang-format on
inline constexpr int kKyosobaLength = StoredLength(kKyosobaTable);
static_assert(kKyosobaLength == 228);
consteval Slice KyosobaField(std::string_view name) { return LayoutField(kKyosobaTable, name); }

// --- KISHUSEISEI.dat, CHOKYOSEISEI.dat: jockey and trainer tallies ----------
// Rates of results blocks 0 (current year), 1 (previous year), 2 (career).
// clang-format off
inline constexpr LayoutEntry kResultsTallyTable[] = {
    F("code", 5),
    G("top3_rate", 3, derived_parts::kTurfDirt),
    F("jump_top3_rate", 6),
    G("top2_rate", 3, derived_parts::kTurfDirt),
    F("jump_top2_rate", 6), F("flat_prize", 9), F("jump_prize", 9), F("flat_runs", 6),
    F("jump_runs", 6), F("crlf", 2)};
// clang-format on
inline constexpr int kResultsTallyLength = StoredLength(kResultsTallyTable);
static_assert(kResultsTallyLength == 121);
consteval Slice TallyField(std::string_view name) { return LayoutField(kResultsTallyTable, name); }

// --- BREEDERSEISEI.dat, BANUSISEISEI.dat: breeder and owner tallies ---------
// clang-format off
inline constexpr LayoutEntry kSmallTallyTable[] = {
    F("code", 6), F("top3_rate", 6), F("top2_rate", 6), F("main_prize", 9),
    F("runs", 6), F("crlf", 2)};
// clang-format on
inline constexpr int kSmallTallyLength = StoredLength(kSmallTallyTable);
static_assert(kSmallTallyLength == 35);
consteval Slice SmallTallyField(std::string_view name) {
  return LayoutField(kSmallTallyTable, name);
}

// --- OPTION1N\DONICHI.dat: jockey place rates by racecourse and day ---------
// Slot s holds racecourse s + 1, except that racecourses 05 and 06 stand
// swapped (slot 4 is 06, slot 5 is 05), where the readers look for them.
// clang-format off
inline constexpr LayoutEntry kDonichiTable[] = {
    F("jockey_code", 5), G("venue", 10, derived_parts::kDonichiVenue),
    F("crlf", 2)};
// clang-format on
inline constexpr int kDonichiLength = StoredLength(kDonichiTable);
static_assert(kDonichiLength == 127);
// Offset of the Saturday rate of racecourse v (1 to 10) in a DONICHI record;
// the other-day rate follows it.
constexpr int DonichiOffset(int v) {
  constexpr Slice kFirst = LayoutField(kDonichiTable, "venue[0]");
  const int slot = v == 5 ? 5 : v == 6 ? 4 : v - 1;
  return kFirst.offset + kFirst.length * slot;
}

// Every derived layout above by its file, for tests and listings.
struct DerivedFile {
  std::string_view path;  // <x> stands for the part a record names
  const RecordLayout& layout;
};
const std::vector<DerivedFile>& DerivedFiles();

}  // namespace volq
