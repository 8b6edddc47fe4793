#pragma once
// The ten record types the download keeps, as compile-time tables
// (common/layout_table.h): each lists its fields in delivery order with their
// delivered and stored widths, repeats and groups. Parsing, packing, stored
// offsets and record lengths all follow from it. A reader of a fixed field
// names it through the type's lookup, resolved when compiled:
// RaceEntryField("jockey_code") is SE 296:5.
#include <string_view>

#include "common/layout_table.h"

namespace volq {

// Pieces several tables share.
namespace record_parts {
// clang-format off
inline constexpr LayoutEntry kHeader[] = {F("record_type", 2), F("data_kind", 1), F("creation_date", 8)};
inline constexpr LayoutEntry kRaceId[] = {
    F("year", 4), F("month_day", 4), F("venue", 2), F("meeting", 2), F("day", 2), F("race_number", 2)};
// Placing counts: 1st, 2nd, 3rd, 4th, 5th, unplaced.
inline constexpr LayoutEntry kCounts3[] = {F("count", 3, 6)};
inline constexpr LayoutEntry kCounts6[] = {F("count", 6, 6)};
inline constexpr LayoutEntry kGradedWin[] = {
    G("race", 1, kRaceId), F("race_name", 60), F("short_name10", 20), F("short_name6", 12),
    F("short_name3", 6), F("grade", 1), F("starters", 2), F("pedigree_number", 10),
    F("horse_name", 36)};
// Yearly results block of jockeys and trainers: the four prize totals are
// delivered 10 wide and stored 9 wide.
inline constexpr LayoutEntry kResultsBlock[] = {
    F("year", 4), Narrow("prize", 10, 9, 4), G("flat", 1, kCounts6), G("jump", 1, kCounts6),
    G("venue_surface", 20, kCounts6), G("distance", 6, kCounts6)};
inline constexpr LayoutEntry kSmallResultsBlock[] = {
    F("year", 4), F("main_prize", 10), F("added_prize", 10), G("counts", 1, kCounts6)};
inline constexpr LayoutEntry kRaceCorner[] = {F("corner", 1), F("laps", 1), F("order", 70)};
inline constexpr LayoutEntry kOpponent[] = {F("pedigree_number", 10), F("horse_name", 36)};
inline constexpr LayoutEntry kAncestor[] = {F("breeding_number", 10), F("name", 36)};
inline constexpr LayoutEntry kFirstRide[] = {
    G("race", 1, kRaceId), F("starters", 2), F("pedigree_number", 10), F("horse_name", 36),
    F("placing", 2), F("abnormality", 1)};
inline constexpr LayoutEntry kFirstWin[] = {
    G("race", 1, kRaceId), F("starters", 2), F("pedigree_number", 10), F("horse_name", 36)};
// clang-format on
}  // namespace record_parts

// clang-format off
// --- RA: a race ---------------------------------------------------------------
inline constexpr LayoutEntry kRaceTable[] = {
    G("header", 1, record_parts::kHeader), G("race", 1, record_parts::kRaceId),
    F("weekday", 1), F("special_number", 4),
    F("race_name", 60), F("subtitle", 60), F("parenthesis", 60),
    F("race_name_en", 120), F("subtitle_en", 120), F("parenthesis_en", 120),
    F("short_name10", 20), F("short_name6", 12), F("short_name3", 6),
    F("name_kind", 1), F("edition", 3), F("grade", 1), F("grade_before", 1),
    F("race_kind", 2), F("race_symbol", 3), F("weight_rule", 1), F("condition", 3, 5),
    F("condition_name", 60), F("distance", 4), F("distance_before", 4),
    F("track", 2), F("track_before", 2), F("course_division", 2),
    F("course_division_before", 2), F("main_prize", 8, 7), F("main_prize_before", 8, 5),
    F("added_prize", 8, 5), F("added_prize_before", 8, 3), F("post_time", 4),
    F("post_time_before", 4), F("registered", 2), F("starters", 2), F("finishers", 2),
    F("weather", 1), F("turf_going", 1), F("dirt_going", 1), F("lap_time", 3, 25),
    F("jump_mile_time", 4), F("first3f", 3), F("first4f", 3), F("last3f", 3),
    F("last4f", 3), G("corner", 4, record_parts::kRaceCorner),
    F("update_flag", 1), F("crlf", 2)};

// --- SE: a race entry ---------------------------------------------------------
inline constexpr LayoutEntry kRaceEntryTable[] = {
    G("header", 1, record_parts::kHeader), G("race", 1, record_parts::kRaceId),
    F("bracket", 1), F("horse_number", 2), F("pedigree_number", 10),
    F("horse_name", 36), F("horse_symbol", 2), F("sex", 1), F("breed", 1), F("coat", 2),
    F("age", 2), F("affiliation", 1), F("trainer_code", 5), F("trainer_short_name", 8),
    F("owner_code", 6), F("owner_name", 64), F("colours", 60), F("reserved1", 60),
    F("weight", 3), F("weight_before", 3), F("blinkers", 1), F("reserved2", 1),
    F("jockey_code", 5), F("jockey_code_before", 5), F("jockey_short_name", 8),
    F("jockey_short_name_before", 8), F("apprentice", 1), F("apprentice_before", 1),
    F("body_weight", 3), F("body_weight_sign", 1), F("body_weight_change", 3),
    F("abnormality", 1), F("arrival_order", 2), F("final_placing", 2), F("dead_heat", 1),
    F("dead_heat_count", 1), F("time", 4), F("margin", 3, 3), F("corner_position", 2, 4),
    F("win_odds", 4), F("win_popularity", 2), F("main_prize", 8), F("added_prize", 8),
    F("reserved3", 3, 2), F("last4f", 3), F("last3f", 3),
    G("opponent", 3, record_parts::kOpponent),
    F("time_difference", 4), F("update_flag", 1), F("forecast_kind", 1),
    F("forecast_time", 5), F("forecast_plus", 4), F("forecast_minus", 4),
    F("forecast_placing", 2), F("style_judgement", 1), F("crlf", 2)};

// --- UM: a horse ----------------------------------------------------------------
inline constexpr LayoutEntry kHorseTable[] = {
    G("header", 1, record_parts::kHeader), F("pedigree_number", 10), F("deregistration_flag", 1),
    F("registration_date", 8), F("deregistration_date", 8), F("birth_date", 8),
    F("horse_name", 36), F("horse_name_kana", 36), F("horse_name_en", 60),
    F("in_stable", 1), F("reserved", 19), F("horse_symbol", 2), F("sex", 1), F("breed", 1),
    F("coat", 2), G("ancestor", 14, record_parts::kAncestor),
    F("affiliation", 1), F("trainer_code", 5), F("trainer_short_name", 8),
    F("invitation_region", 20), F("breeder_code", 8), F("breeder_name", 72),
    F("birthplace", 20), F("owner_code", 6), F("owner_name", 64), F("prize", 9, 6),
    G("overall", 1, record_parts::kCounts3), G("central", 1, record_parts::kCounts3),
    G("course", 7, record_parts::kCounts3), G("going", 12, record_parts::kCounts3),
    G("distance", 6, record_parts::kCounts3), F("style", 3, 4),
    F("registered_races", 3), F("crlf", 2)};

// --- HN: a breeding horse ---------------------------------------------------------
inline constexpr LayoutEntry kBreedingHorseTable[] = {
    G("header", 1, record_parts::kHeader), F("breeding_number", 10), F("reserved1", 8),
    F("pedigree_number", 10), F("reserved2", 1), F("horse_name", 36), F("horse_name_kana", 40),
    F("horse_name_en", 80), F("birth_year", 4), F("sex", 1), F("breed", 1), F("coat", 2),
    F("import_kind", 1), F("import_year", 4), F("birthplace", 20),
    F("sire_breeding_number", 10), F("dam_breeding_number", 10), F("crlf", 2)};

// --- KS: a jockey ---------------------------------------------------------------------
inline constexpr LayoutEntry kJockeyTable[] = {
    G("header", 1, record_parts::kHeader), F("jockey_code", 5), F("deregistration_flag", 1),
    F("licence_date", 8), F("licence_end_date", 8), F("birth_date", 8), F("jockey_name", 34),
    F("reserved", 34), F("jockey_name_kana", 30), F("short_name", 8), F("jockey_name_en", 80),
    F("sex", 1), F("qualification", 1), F("apprentice", 1), F("affiliation", 1),
    F("invitation_region", 20), F("trainer_code", 5), F("trainer_short_name", 8),
    G("first_ride", 2, record_parts::kFirstRide), G("first_win", 2, record_parts::kFirstWin),
    G("graded_win", 3, record_parts::kGradedWin), G("results", 3, record_parts::kResultsBlock),
    F("crlf", 2)};

// --- SK: an offspring -----------------------------------------------------------------
inline constexpr LayoutEntry kOffspringTable[] = {
    G("header", 1, record_parts::kHeader), F("pedigree_number", 10), F("birth_date", 8),
    F("sex", 1), F("breed", 1), F("coat", 2), F("import_kind", 1), F("import_year", 4),
    F("breeder_code", 8), F("birthplace", 20), F("ancestor", 10, 14), F("crlf", 2)};

// --- CH: a trainer --------------------------------------------------------------------
inline constexpr LayoutEntry kTrainerTable[] = {
    G("header", 1, record_parts::kHeader), F("trainer_code", 5), F("deregistration_flag", 1),
    F("licence_date", 8), F("licence_end_date", 8), F("birth_date", 8), F("trainer_name", 34),
    F("trainer_name_kana", 30), F("short_name", 8), F("trainer_name_en", 80), F("sex", 1),
    F("affiliation", 1), F("invitation_region", 20),
    G("graded_win", 3, record_parts::kGradedWin), G("results", 3, record_parts::kResultsBlock),
    F("crlf", 2)};

// --- BR: a breeder --------------------------------------------------------------------
inline constexpr LayoutEntry kBreederTable[] = {
    G("header", 1, record_parts::kHeader), F("breeder_code", 8), F("breeder_name", 72),
    F("breeder_name_plain", 72), F("breeder_name_kana", 72), F("breeder_name_en", 168),
    F("address", 20), G("results", 2, record_parts::kSmallResultsBlock), F("crlf", 2)};

// --- BN: an owner ---------------------------------------------------------------------
inline constexpr LayoutEntry kOwnerTable[] = {
    G("header", 1, record_parts::kHeader), F("owner_code", 6), F("owner_name", 64),
    F("owner_name_plain", 64), F("owner_name_kana", 50), F("owner_name_en", 100),
    F("colours", 60), G("results", 2, record_parts::kSmallResultsBlock), F("crlf", 2)};

// --- HS: a market sale (stored as its delivered text line) ----------------------------
inline constexpr LayoutEntry kMarketSaleTable[] = {
    G("header", 1, record_parts::kHeader), F("pedigree_number", 10),
    F("sire_breeding_number", 10), F("dam_breeding_number", 10), F("birth_year", 4),
    F("market_code", 6), F("organiser_name", 40), F("market_name", 80), F("start_date", 8),
    F("end_date", 8), F("age", 1), F("price", 10), F("crlf", 2)};
// clang-format on

// Stored lengths, for the steps that open record files, and the delivered
// lengths where they differ.
inline constexpr int kRaceLength = StoredLength(kRaceTable);
inline constexpr int kRaceEntryLength = StoredLength(kRaceEntryTable);
inline constexpr int kHorseLength = StoredLength(kHorseTable);
inline constexpr int kBreedingHorseLength = StoredLength(kBreedingHorseTable);
inline constexpr int kJockeyLength = StoredLength(kJockeyTable);
inline constexpr int kOffspringLength = StoredLength(kOffspringTable);
inline constexpr int kTrainerLength = StoredLength(kTrainerTable);
inline constexpr int kBreederLength = StoredLength(kBreederTable);
inline constexpr int kOwnerLength = StoredLength(kOwnerTable);
inline constexpr int kMarketSaleLength = StoredLength(kMarketSaleTable);
static_assert(kRaceLength == 1272 && DeliveredLength(kRaceTable) == kRaceLength);
static_assert(kRaceEntryLength == 555 && DeliveredLength(kRaceEntryTable) == kRaceEntryLength);
static_assert(kHorseLength == 1609 && DeliveredLength(kHorseTable) == kHorseLength);
static_assert(kBreedingHorseLength == 251 &&
              DeliveredLength(kBreedingHorseTable) == kBreedingHorseLength);
static_assert(kJockeyLength == 4161 && DeliveredLength(kJockeyTable) == 4173);
static_assert(kOffspringLength == 208 && DeliveredLength(kOffspringTable) == kOffspringLength);
static_assert(kTrainerLength == 3850 && DeliveredLength(kTrainerTable) == 3862);
static_assert(kBreederLength == 545 && DeliveredLength(kBreederTable) == kBreederLength);
static_assert(kOwnerLength == 477 && DeliveredLength(kOwnerTable) == kOwnerLength);
static_assert(kMarketSaleLength == 200 && DeliveredLength(kMarketSaleTable) == kMarketSaleLength);
// The files the build program derives are in common/derived_layout.h.

// A stored field of each type by name, resolved when compiled.
consteval Slice RaceField(std::string_view name) { return LayoutField(kRaceTable, name); }
consteval Slice RaceEntryField(std::string_view name) { return LayoutField(kRaceEntryTable, name); }
consteval Slice HorseField(std::string_view name) { return LayoutField(kHorseTable, name); }
consteval Slice BreedingHorseField(std::string_view name) {
  return LayoutField(kBreedingHorseTable, name);
}
consteval Slice JockeyField(std::string_view name) { return LayoutField(kJockeyTable, name); }
consteval Slice OffspringField(std::string_view name) { return LayoutField(kOffspringTable, name); }
consteval Slice TrainerField(std::string_view name) { return LayoutField(kTrainerTable, name); }
consteval Slice BreederField(std::string_view name) { return LayoutField(kBreederTable, name); }
consteval Slice OwnerField(std::string_view name) { return LayoutField(kOwnerTable, name); }
consteval Slice MarketSaleField(std::string_view name) {
  return LayoutField(kMarketSaleTable, name);
}

// The same tables flattened, for what walks every field.
const RecordLayout& RaceLayout();
const RecordLayout& RaceEntryLayout();
const RecordLayout& HorseLayout();
const RecordLayout& BreedingHorseLayout();
const RecordLayout& JockeyLayout();
const RecordLayout& OffspringLayout();
const RecordLayout& TrainerLayout();
const RecordLayout& BreederLayout();
const RecordLayout& OwnerLayout();
const RecordLayout& MarketSaleLayout();

// Layout of a type by its two letters, nullptr for a type not kept.
const RecordLayout* LayoutOf(std::string_view type);

}  // namespace volq
