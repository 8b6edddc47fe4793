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
inline constexpr LayoutEntry kHeader[] = {
    F("record_type", 2, "record type: the two letters of the file, RA, SE, UM ..."),
    F("data_kind", 1, "data kind (データ区分): the service's code for the kind of the delivery; the NEW files keep only some kinds"),
    F("creation_date", 8, "creation date YYYYMMDD: the day the service made the record")};
inline constexpr LayoutEntry kRaceId[] = {
    F("year", 4, "race year"), F("month_day", 4, "race month and day MMDD"),
    F("venue", 2, "racecourse code: 01 to 10 the ten central racecourses"),
    F("meeting", 2, "meeting of the year at that racecourse"),
    F("day", 2, "day of the meeting"), F("race_number", 2, "race number of the day")};
// Placing counts: 1st, 2nd, 3rd, 4th, 5th, unplaced.
inline constexpr LayoutEntry kCounts3[] = {
    F("count", 3, 6, "placing count: count[0] 1st, [1] 2nd, [2] 3rd, [3] 4th, [4] 5th, [5] unplaced")};
inline constexpr LayoutEntry kCounts6[] = {
    F("count", 6, 6, "placing count: count[0] 1st, [1] 2nd, [2] 3rd, [3] 4th, [4] 5th, [5] unplaced")};
inline constexpr LayoutEntry kGradedWin[] = {
    G("race", 1, kRaceId, "the race won"), F("race_name", 60, "race name"),
    F("short_name10", 20, "race short name of 10 characters"),
    F("short_name6", 12, "race short name of 6 characters"),
    F("short_name3", 6, "race short name of 3 characters"), F("grade", 1, "grade code"),
    F("starters", 2, "starters of the race (出走頭数)"),
    F("pedigree_number", 10, "pedigree number of the horse ridden or trained"),
    F("horse_name", 36, "horse name (馬名)")};
// Yearly results block of jockeys and trainers: the four prize totals are
// delivered 10 wide and stored 9 wide.
inline constexpr LayoutEntry kResultsBlock[] = {
    F("year", 4, "year the block counts; the career block's is the year of the record"),
    Narrow("prize", 10, 9, 4, "prize totals in hundreds of yen: prize[0] flat main, [1] jump main, [2] flat added, [3] jump added (the leftmost 9 of the 10 digits delivered)"),
    G("flat", 1, kCounts6, "placing counts on the flat"), G("jump", 1, kCounts6, "placing counts over jumps"),
    G("venue_surface", 20, kCounts6, "placing counts by racecourse and surface: [2(v-1)] racecourse v turf, [2(v-1)+1] its dirt, v 1 to 10"),
    G("distance", 6, kCounts6, "placing counts by distance: [0] turf up to 1600 m, [1] up to 2200 m, [2] over 2200 m, [3]-[5] the same for dirt")};
inline constexpr LayoutEntry kSmallResultsBlock[] = {
    F("year", 4, "year the block counts"), F("main_prize", 10, "main prize total, hundreds of yen"),
    F("added_prize", 10, "added prize total, hundreds of yen"),
    G("counts", 1, kCounts6, "placing counts")};
inline constexpr LayoutEntry kRaceCorner[] = {
    F("corner", 1, "corner 1 to 4"), F("laps", 1, "lap count"),
    F("order", 70, "passing order of the horses, as the service writes it")};
inline constexpr LayoutEntry kOpponent[] = {
    F("pedigree_number", 10, "pedigree number of the winner (of the runner-up for the winner)"),
    F("horse_name", 36, "its horse name (馬名)")};
inline constexpr LayoutEntry kAncestor[] = {
    F("breeding_number", 10, "breeding number of the ancestor"),
    F("name", 36, "its name (馬名)")};
inline constexpr LayoutEntry kFirstRide[] = {
    G("race", 1, kRaceId, "the race"), F("starters", 2, "starters (出走頭数)"),
    F("pedigree_number", 10, "pedigree number of the horse ridden"),
    F("horse_name", 36, "horse name (馬名)"), F("placing", 2, "final placing"),
    F("abnormality", 1, "abnormality code (異常区分): \"0\" none, the only code that makes a run the previous valid run of the factors")};
inline constexpr LayoutEntry kFirstWin[] = {
    G("race", 1, kRaceId, "the race"), F("starters", 2, "starters (出走頭数)"),
    F("pedigree_number", 10, "pedigree number of the horse ridden"),
    F("horse_name", 36, "horse name (馬名)")};
// clang-format on
}  // namespace record_parts

// clang-format off
// --- RA: a race ---------------------------------------------------------------
inline constexpr LayoutEntry kRaceTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    G("race", 1, record_parts::kRaceId, "race identity: year, date, racecourse, meeting, day, race"),
    F("weekday", 1, "weekday code: \"1\" a Saturday"), F("special_number", 4, "special race number"),
    F("race_name", 60, "race name"), F("subtitle", 60, "race subtitle"),
    F("parenthesis", 60, "text in parentheses after the name"),
    F("race_name_en", 120, "race name in Latin letters"), F("subtitle_en", 120, "subtitle in Latin letters"),
    F("parenthesis_en", 120, "text in parentheses in Latin letters"),
    F("short_name10", 20, "short name of 10 characters"),
    F("short_name6", 12, "short name of 6 characters"), F("short_name3", 6, "short name of 3 characters"),
    F("name_kind", 1, "race name kind"), F("edition", 3, "edition of a graded race"),
    F("grade", 1, "grade code"),
    F("grade_before", 1, "grade code before a change"),
    F("race_kind", 2, "race kind code"),
    F("race_symbol", 3, "race symbol code"), F("weight_rule", 1, "weight rule code"),
    F("condition", 3, 5, "race condition codes: [0] 2-year-olds, [1] 3-year-olds, [2] 4-year-olds, [3] 5 and older, [4] youngest age"),
    F("condition_name", 60, "condition name"), F("distance", 4, "distance in metres"),
    F("distance_before", 4, "distance before a change"),
    F("track", 2, "track code (トラックコード): tells turf, dirt and steeplechase apart; each factor step states its own ranges (docs/factors.md)"),
    F("track_before", 2, "track code before a change"), F("course_division", 2, "course division (コース区分)"),
    F("course_division_before", 2, "course division before a change"),
    F("main_prize", 8, 7, "main prize money (本賞金) for places 1 to 7, hundreds of yen"),
    F("main_prize_before", 8, 5, "main prize money before a change, places 1 to 5"),
    F("added_prize", 8, 5, "added prize money (付加賞金), places 1 to 5"),
    F("added_prize_before", 8, 3, "added prize money before a change, places 1 to 3"),
    F("post_time", 4, "post time (発走時刻) HHMM"), F("post_time_before", 4, "post time before a change"),
    F("registered", 2, "registered runners (登録頭数)"), F("starters", 2, "starters (出走頭数)"),
    F("finishers", 2, "finishers (入線頭数)"), F("weather", 1, "weather code (天候コード)"),
    F("turf_going", 1, "turf going code"),
    F("dirt_going", 1, "dirt going code"),
    F("lap_time", 3, 25, "lap times of each furlong, tenths of a second"),
    F("jump_mile_time", 4, "jump race mile time (障害マイルタイム)"),
    F("first3f", 3, "time of the first 3 furlongs, tenths"), F("first4f", 3, "time of the first 4 furlongs"),
    F("last3f", 3, "time of the last 3 furlongs"), F("last4f", 3, "time of the last 4 furlongs"),
    G("corner", 4, record_parts::kRaceCorner, "corner passing orders"),
    F("update_flag", 1, "record-update flag"), F("crlf", 2, "CR LF")};

// --- SE: a race entry ---------------------------------------------------------
inline constexpr LayoutEntry kRaceEntryTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    G("race", 1, record_parts::kRaceId, "race identity: the race of RA20180101NEW.dat"),
    F("bracket", 1, "bracket number"), F("horse_number", 2, "horse number (馬番): the saddle-cloth number"),
    F("pedigree_number", 10, "pedigree number: the horse's 10-digit registration number"),
    F("horse_name", 36, "horse name (馬名)"), F("horse_symbol", 2, "horse symbol code"),
    F("sex", 1, "sex code: \"2\" female"), F("breed", 1, "breed code"),
    F("coat", 2, "coat colour code"), F("age", 2, "age"),
    F("affiliation", 1, "east/west affiliation code"), F("trainer_code", 5, "trainer code (調教師コード)"),
    F("trainer_short_name", 8, "trainer short name"), F("owner_code", 6, "owner code (馬主コード)"),
    F("owner_name", 64, "owner name"), F("colours", 60, "racing colours"),
    F("reserved1", 60, "reserved"), F("weight", 3, "weight carried (負担重量), tenths of a kilogram"),
    F("weight_before", 3, "weight carried before a change"), F("blinkers", 1, "blinkers flag (ブリンカー使用区分)"),
    F("reserved2", 1, "reserved"), F("jockey_code", 5, "jockey code (騎手コード)"),
    F("jockey_code_before", 5, "jockey code before a change"), F("jockey_short_name", 8, "jockey short name"),
    F("jockey_short_name_before", 8, "jockey short name before a change"),
    F("apprentice", 1, "apprentice code"),
    F("apprentice_before", 1, "apprentice code before a change"), F("body_weight", 3, "body weight in kg (馬体重)"),
    F("body_weight_sign", 1, "sign of the body-weight change"),
    F("body_weight_change", 3, "body-weight change in kg"),
    F("abnormality", 1, "abnormality code (異常区分): \"0\" none, the only code that makes a run the previous valid run of the factors"),
    F("arrival_order", 2, "arrival order (入線順位): \"01\" the horse first past the post"), F("final_placing", 2, "final placing"),
    F("dead_heat", 1, "dead-heat flag (同着区分)"), F("dead_heat_count", 1, "horses in the dead heat (同着頭数)"),
    F("time", 4, "finishing time (走破タイム): minutes 1, seconds 2, tenths 1"),
    F("margin", 3, 3, "margin codes (着差コード)"),
    F("corner_position", 2, 4, "position at corners 1 to 4"),
    F("win_odds", 4, "win odds (単勝オッズ), tenths"), F("win_popularity", 2, "win popularity"),
    F("main_prize", 8, "main prize won, hundreds of yen"), F("added_prize", 8, "added prize won"),
    F("reserved3", 3, 2, "reserved"), F("last4f", 3, "time of the last 4 furlongs, tenths"),
    F("last3f", 3, "time of the last 3 furlongs, tenths"),
    G("opponent", 3, record_parts::kOpponent, "opponents: the winner, or the runner-up for the winner"),
    F("time_difference", 4, "time difference to the winner: a sign and three digits, tenths of a second"), F("update_flag", 1, "record-update flag"),
    F("forecast_kind", 1, "forecast kind"), F("forecast_time", 5, "forecast finishing time"),
    F("forecast_plus", 4, "forecast error, plus"), F("forecast_minus", 4, "forecast error, minus"),
    F("forecast_placing", 2, "forecast placing"), F("style_judgement", 1, "running-style judgement"),
    F("crlf", 2, "CR LF")};

// --- UM: a horse ----------------------------------------------------------------
inline constexpr LayoutEntry kHorseTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("pedigree_number", 10, "pedigree number: the horse's 10-digit registration number, the name of its files"),
    F("deregistration_flag", 1, "deregistration flag: \"1\" deregistered"),
    F("registration_date", 8, "registration date"), F("deregistration_date", 8, "deregistration date"),
    F("birth_date", 8, "birth date (生年月日) YYYYMMDD"), F("horse_name", 36, "horse name (馬名)"),
    F("horse_name_kana", 36, "name in half-width katakana"), F("horse_name_en", 60, "name in Latin letters"),
    F("in_stable", 1, "in-stable flag"), F("reserved", 19, "reserved"),
    F("horse_symbol", 2, "horse symbol code"), F("sex", 1, "sex code"), F("breed", 1, "breed code"),
    F("coat", 2, "coat colour code"),
    G("ancestor", 14, record_parts::kAncestor, "three generations of pedigree: [0] sire, [1] dam, [2] sire's sire, [3] sire's dam, [4] dam's sire, [5] dam's dam, [6]-[13] the great-grandparents in the same manner"),
    F("affiliation", 1, "east/west affiliation code"), F("trainer_code", 5, "trainer code (調教師コード)"),
    F("trainer_short_name", 8, "trainer short name"), F("invitation_region", 20, "invitation region name"),
    F("breeder_code", 8, "breeder code (生産者コード)"), F("breeder_name", 72, "breeder name"),
    F("birthplace", 20, "birthplace name"), F("owner_code", 6, "owner code (馬主コード)"), F("owner_name", 64, "owner name"),
    F("prize", 9, 6, "prize totals in hundreds of yen: [0] flat main, [1] jump main, [2] flat added, [3] jump added, [4] flat earned, [5] jump earned"),
    G("overall", 1, record_parts::kCounts3, "placing counts, all races"),
    G("central", 1, record_parts::kCounts3, "placing counts, central races"),
    G("course", 7, record_parts::kCounts3, "placing counts by course: [0] turf straight, [1] turf right-handed, [2] turf left-handed, [3]-[5] the same for dirt, [6] jumps"),
    G("going", 12, record_parts::kCounts3, "placing counts by going: [0] turf good, [1] slightly heavy, [2] heavy, [3] bad, [4]-[7] dirt, [8]-[11] jumps"),
    G("distance", 6, record_parts::kCounts3, "placing counts by distance: [0] turf up to 1600 m, [1] up to 2200 m, [2] over 2200 m, [3]-[5] the same for dirt"),
    F("style", 3, 4, "running-style counts: [0] leader, [1] front-runner, [2] mid-pack, [3] closer"),
    F("registered_races", 3, "number of registered races"), F("crlf", 2, "CR LF")};

// --- HN: a breeding horse ---------------------------------------------------------
inline constexpr LayoutEntry kBreedingHorseTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("breeding_number", 10, "breeding number: the breeding horse's registration number"),
    F("reserved1", 8, "reserved"), F("pedigree_number", 10, "pedigree number of the horse"),
    F("reserved2", 1, "reserved"), F("horse_name", 36, "horse name (馬名)"),
    F("horse_name_kana", 40, "name in half-width katakana"), F("horse_name_en", 80, "name in Latin letters"),
    F("birth_year", 4, "birth year"), F("sex", 1, "sex code: \"2\" a mare, a row of the dam-line list FL20180101.dat"), F("breed", 1, "breed code"),
    F("coat", 2, "coat colour code"), F("import_kind", 1, "import kind"),
    F("import_year", 4, "import year"), F("birthplace", 20, "birthplace name"),
    F("sire_breeding_number", 10, "breeding number of its sire"),
    F("dam_breeding_number", 10, "breeding number of its dam"), F("crlf", 2, "CR LF")};

// --- KS: a jockey ---------------------------------------------------------------------
inline constexpr LayoutEntry kJockeyTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("jockey_code", 5, "jockey code (騎手コード): the name of the jockey's files"),
    F("deregistration_flag", 1, "deregistration flag"),
    F("licence_date", 8, "licence date"), F("licence_end_date", 8, "licence end date"),
    F("birth_date", 8, "birth date (生年月日) YYYYMMDD"), F("jockey_name", 34, "jockey name"),
    F("reserved", 34, "reserved"), F("jockey_name_kana", 30, "name in half-width katakana"),
    F("short_name", 8, "short name"), F("jockey_name_en", 80, "name in Latin letters"),
    F("sex", 1, "sex"), F("qualification", 1, "riding qualification code"),
    F("apprentice", 1, "apprentice code"), F("affiliation", 1, "east/west affiliation code"),
    F("invitation_region", 20, "invitation region name"),
    F("trainer_code", 5, "trainer code of the jockey's stable"),
    F("trainer_short_name", 8, "that trainer's short name"),
    G("first_ride", 2, record_parts::kFirstRide, "first rides: [0] flat, [1] jumps"),
    G("first_win", 2, record_parts::kFirstWin, "first wins: [0] flat, [1] jumps"),
    G("graded_win", 3, record_parts::kGradedWin, "latest graded-race wins"),
    G("results", 3, record_parts::kResultsBlock, "results blocks: [0] current year, [1] previous year, [2] career"),
    F("crlf", 2, "CR LF")};

// --- SK: an offspring -----------------------------------------------------------------
inline constexpr LayoutEntry kOffspringTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("pedigree_number", 10, "pedigree number of the foal"), F("birth_date", 8, "birth date (生年月日) YYYYMMDD"),
    F("sex", 1, "sex code"), F("breed", 1, "breed code"), F("coat", 2, "coat colour code"),
    F("import_kind", 1, "import kind"), F("import_year", 4, "import year"),
    F("breeder_code", 8, "breeder code (生産者コード)"), F("birthplace", 20, "birthplace name"),
    F("ancestor", 10, 14, "breeding numbers of three generations, in the order of the UM record's: [0] sire, [1] dam, [2] sire's sire ..."),
    F("crlf", 2, "CR LF")};

// --- CH: a trainer --------------------------------------------------------------------
inline constexpr LayoutEntry kTrainerTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("trainer_code", 5, "trainer code (調教師コード)"), F("deregistration_flag", 1, "deregistration flag"),
    F("licence_date", 8, "licence date"), F("licence_end_date", 8, "licence end date"),
    F("birth_date", 8, "birth date (生年月日) YYYYMMDD"), F("trainer_name", 34, "trainer name"),
    F("trainer_name_kana", 30, "name in half-width katakana"), F("short_name", 8, "short name"),
    F("trainer_name_en", 80, "name in Latin letters"), F("sex", 1, "sex"),
    F("affiliation", 1, "east/west affiliation code"), F("invitation_region", 20, "invitation region name"),
    G("graded_win", 3, record_parts::kGradedWin, "latest graded-race wins"),
    G("results", 3, record_parts::kResultsBlock, "results blocks: [0] current year, [1] previous year, [2] career"),
    F("crlf", 2, "CR LF")};

// --- BR: a breeder --------------------------------------------------------------------
inline constexpr LayoutEntry kBreederTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("breeder_code", 8, "breeder code (生産者コード)"), F("breeder_name", 72, "breeder name with corporate form"),
    F("breeder_name_plain", 72, "breeder name without corporate form"), F("breeder_name_kana", 72, "name in half-width katakana"),
    F("breeder_name_en", 168, "name in Latin letters"), F("address", 20, "address (prefecture) name"),
    G("results", 2, record_parts::kSmallResultsBlock, "results blocks: [0] current year, [1] career"),
    F("crlf", 2, "CR LF")};

// --- BN: an owner ---------------------------------------------------------------------
inline constexpr LayoutEntry kOwnerTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("owner_code", 6, "owner code (馬主コード)"), F("owner_name", 64, "owner name with corporate form"),
    F("owner_name_plain", 64, "owner name without corporate form"), F("owner_name_kana", 50, "name in half-width katakana"),
    F("owner_name_en", 100, "name in Latin letters"), F("colours", 60, "racing colours"),
    G("results", 2, record_parts::kSmallResultsBlock, "results blocks: [0] current year, [1] career"),
    F("crlf", 2, "CR LF")};

// --- HS: a market sale (stored as its delivered text line) ----------------------------
inline constexpr LayoutEntry kMarketSaleTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("pedigree_number", 10, "pedigree number of the horse sold"),
    F("sire_breeding_number", 10, "breeding number of its sire"),
    F("dam_breeding_number", 10, "breeding number of its dam"), F("birth_year", 4, "birth year"),
    F("market_code", 6, "organiser and market code"), F("organiser_name", 40, "organiser name"),
    F("market_name", 80, "market name"), F("start_date", 8, "market start date YYYYMMDD"),
    F("end_date", 8, "market end date YYYYMMDD"), F("age", 1, "age at the sale"),
    F("price", 10, "sale price in yen"), F("crlf", 2, "CR LF")};
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
