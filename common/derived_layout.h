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
inline constexpr LayoutEntry kDate[] = {
    F("year", 4, "year"), F("month", 2, "month"), F("day", 2, "day")};
inline constexpr LayoutEntry kExRace[] = {
    F("year", 4, "race year"), F("month_day", 4, "race month and day MMDD (レース年月日)"),
    F("venue", 2, "racecourse code: 01 to 10 the ten central racecourses"),
    F("meeting", 2, "meeting of the year"), F("day_number", 2, "day of the meeting"),
    F("race_number", 2, "race number of the day")};
inline constexpr LayoutEntry kExSale[] = {
    F("code", 6, "sale code (市場コード); blanks without a sale"),
    F("host", 40, "sale host (市場主催者); \"不明\" without a sale"),
    F("name", 80, "sale name (市場名); \"不明\" without a sale"),
    F("start_date", 8, "sale start date (市場開始日) YYYYMMDD; \"不明\" without a sale"),
    F("end_date", 8, "sale end date (市場閉鎖日); \"不明\" without a sale"),
    F("age", 1, "age at the sale (取引馬齢)"), F("price", 10, "sale price in yen (取引価格（円）)")};
inline constexpr LayoutEntry kExPedigree[] = {
    F("breeding_number", 10, "breeding number"), F("birth_year", 4, "birth year; blanks"),
    F("birthplace", 20, "birthplace (生産地); blanks")};
inline constexpr LayoutEntry kExCondition[] = {
    F("race_kind", 2, "race kind code (競走条件種別)"),
    F("race_symbol", 3, "race symbol code (競走条件記号)"), F("weight_rule", 1, "weight rule code (競走重量種別)"),
    F("age_condition", 3, 5, "condition codes: [0] 2-year-olds (競走2歳条件), [1] 3-year-olds, [2] 4-year-olds, [3] 5 and older, [4] youngest age (競走最若年条件)")};
inline constexpr LayoutEntry kTurfDirt[] = {
    F("turf", 6, "on turf: the three turf distance classes"), F("dirt", 6, "on dirt: the three dirt distance classes")};
inline constexpr LayoutEntry kDonichiVenue[] = {
    F("saturday_rate", 6, "place rate (top 3 of rides) on Saturdays"),
    F("other_day_rate", 6, "place rate on the other days")};
// clang-format on
}  // namespace derived_parts

// --- UMAGOTOEXSETUP\<PedigreeNumber>EX.dat: the EX record -------------------
// One race entry of one horse joined with its race, the horse, its jockey,
// its market sale and its place among its dam's foals (written by the EX
// build, record j for record j of the horse's UMAGOTOSETUP file).
// clang-format off
inline constexpr LayoutEntry kUmaExTable[] = {
    F("record_type", 2, "record type (レコードスペック): \"SE\", of the race entry"),
    F("data_kind", 1, "data kind (データ区分) of the race entry"),
    G("creation_date", 1, derived_parts::kDate, "creation date (作成年月日) of the race entry"),
    G("race", 1, derived_parts::kExRace, "race identity (レース開催場所回日R)"),
    F("bracket", 1, "bracket number"), F("horse_number", 2, "horse number (馬番): the saddle-cloth number"),
    F("pedigree_number", 10, "pedigree number: the horse's 10-digit registration number"),
    F("foal_order", 2, "foal order (第何子): the horse's place among its dam's foals"),
    F("weekday", 1, "weekday code of the race: \"1\" a Saturday"),
    G("sale", 1, derived_parts::kExSale, "the horse's market sale (from HS20180101.dat)"),
    G("birth_date", 1, derived_parts::kDate, "the horse's birth date (生年月日)"),
    F("invitation", 20, "invitation region of the horse (馬招待地区)"), F("breeder_code", 8, "breeder code (生産者コード)"),
    F("birthplace", 20, "birthplace (生産地)"),
    // Slot 0 sire, 1 dam, 2 never written (NUL bytes), 3 dam's sire, 5 sire's sire.
    G("pedigree", 7, derived_parts::kExPedigree, "pedigree slots: [0] sire (父馬繁殖番号), [1] dam (母馬繁殖番号), [2] never written (NUL bytes), [3] dam's sire, [5] sire's sire; only [0] and [1] hold breeding numbers, the rest blanks"),
    F("horse_name", 36, "horse name (馬名)"), F("reserved1", 1, "reserved: a NUL byte"),
    F("horse_symbol", 2, "horse symbol code (馬記号)"), F("sex", 1, "sex code (馬性別)"), F("breed", 1, "breed code (馬品種)"),
    F("coat", 2, "coat colour code (馬毛色)"), F("affiliation", 1, "east/west affiliation code (東西所属)"),
    F("trainer_code", 5, "trainer code (調教師コード)"), F("owner_code", 6, "owner code (馬主コード)"),
    F("colours", 60, "racing colours (服色表示)"),
    F("weight", 3, "weight carried (負担重量), tenths of a kilogram"), F("weight_before", 3, "weight carried before a change (変更前負担重量)"),
    F("blinkers", 1, "blinkers code (ブリンカー使用区分)"), F("reserved2", 1, "reserved (予備)"),
    F("jockey_code", 5, "jockey code (騎手コード)"),
    G("jockey_birth_date", 1, derived_parts::kDate, "the jockey's birth date (騎手生年月日)"),
    F("jockey_sex", 1, "jockey sex code (騎手性別)"), F("jockey_invitation", 20, "jockey invitation region (騎手招待地区)"),
    F("qualification", 1, "riding qualification code (騎乗資格区分)"),
    F("jockey_code_before", 5, "jockey code before a change (変更前騎手コード)"), F("jockey_short_name", 8, "jockey short name (騎手略称)"),
    F("jockey_short_name_before", 8, "jockey short name before a change (変更前騎手略称)"),
    F("apprentice", 1, "apprentice code (見習い区分)"), F("apprentice_before", 1, "apprentice code before a change (変更前見習い区分)"),
    F("body_weight", 3, "body weight in kg (馬体重)"),
    F("body_weight_sign", 1, "sign of the body-weight change (前走増減符号)"), F("body_weight_change", 3, "body-weight change in kg (前走増減差)"),
    F("abnormality", 1, "abnormality code (異常区分): \"0\" none, the only code that makes a run the previous valid run of the factors"),
    F("arrival_order", 2, "arrival order (入線順位): \"01\" the horse first past the post"), F("final_placing", 2, "final placing (確定順位)"),
    F("dead_heat", 1, "dead-heat code (同着区分)"), F("dead_heat_count", 1, "horses in the dead heat (同着頭数)"),
    F("time", 4, "race time (走破タイム): minutes 1, seconds 2, tenths 1"),
    F("margin", 3, 3, "margin codes (着差コード, 着差コード+, 着差コード++)"),
    F("corner_position", 2, 4, "position at corners 1 to 4 (第1コーナー順位 ...)"), F("win_odds", 4, "win odds (単勝オッズ), tenths"),
    F("win_popularity", 2, "win popularity (単勝人気)"), F("main_prize_won", 8, "main prize won (本賞金), hundreds of yen"),
    F("added_prize_won", 8, "added money won (付加賞金)"),
    F("reserved3", 3, 2, "reserved (予備)"), F("last4f", 3, "the horse's last 4 furlongs time (後半4Fタイム), tenths"),
    F("last3f", 3, "the horse's last 3 furlongs time (後半3Fタイム), tenths"),
    F("time_difference", 4, "time difference to the winner: a sign and three digits, tenths of a second"),
    F("grade", 1, "race grade code (レースグレイド)"), F("grade_before", 1, "race grade code before a change (変更前レースグレイド)"),
    G("condition", 1, derived_parts::kExCondition, "race conditions (競走条件)"),
    F("distance", 4, "distance in metres (距離(m))"), F("distance_before", 4, "distance before a change (変更前距離(m))"),
    F("track_code", 2, "track code (トラックコード): tells turf, dirt and steeplechase apart; each factor step states its own ranges (docs/factors.md)"),
    F("track_code_before", 2, "track code before a change (変更前トラックコード)"),
    F("course_division", 2, "course division (コース区分)"), F("course_division_before", 2, "course division before a change (変更前コース区分)"),
    F("main_prize", 8, 7, "main prizes of the race (本賞金1着 ...) for places 1 to 5, then two dead-heat prizes, hundreds of yen"),
    F("main_prize_before", 8, 5, "main prizes before a change"), F("added_prize", 8, 5, "added money of the race (付加賞金1着 ...)"),
    F("added_prize_before", 8, 3, "added money before a change"), F("post_time", 4, "post time (発走時刻) HHMM"),
    F("post_time_before", 4, "post time before a change (変更前発走時刻)"),
    F("registered", 2, "registered runners (登録頭数)"), F("starters", 2, "starters (出走頭数)"), F("finishers", 2, "finishers (入線頭数)"),
    F("weather", 1, "weather code (天候コード)"), F("turf_going", 1, "turf going (芝馬場状態)"),
    F("dirt_going", 1, "dirt going (ダート馬場状態)"),
    F("lap_time", 3, 25, "furlong lap times of the leader (ハロン毎先頭馬タイム), tenths"),
    F("jump_mile_time", 4, "steeplechase mile time (障害マイルタイム)"), F("race_first3f", 3, "the race's first 3 furlongs (前半3Fラップタイム計)"),
    F("race_first4f", 3, "the race's first 4 furlongs (前半4Fラップタイム計)"),
    F("race_last3f", 3, "the race's last 3 furlongs (後半3Fラップタイム計)"), F("race_last4f", 3, "the race's last 4 furlongs (後半4Fラップタイム計)"),
    G("corner", 4, record_parts::kRaceCorner, "corner passing blocks (コ周回各馬通貨順位)"),
    F("crlf", 2, "CR LF")};
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
    F("speed", 7, 3, "speeds in km/h: the last 7 digits of floor(speed × 100000) + 10000000 (0000000 none): [0] Agari (AgariSpeed, the final 600 m; steeplechase 200 m), [1] Pace (PaceSpeed, the distance before them), [2] whole race (SohaSpeed)"),
    F("F1", 9, "factor 1 (Factor01Year): the race year"),
    F("F2", 11, "factor 2 (Factor02VenueTrack): racecourse, weekday and track code, with the horse or bracket number on some tracks"),
    F("F3", 9, "factor 3 (Factor03PrevRunChange): the previous valid run's grade and surface and whether the distance is the same (D), longer (2) or shorter (1); on a first run the youngest-age condition code, 0 and the distance part"),
    F("F4", 4, "factor 4 (Factor04Futan): weight carried, tenths of a kilogram"),
    F("F5", 5, "factor 5 (Factor05PrizeLog): prize money won in the earlier runs, floor(10 × log10 of the sum); 00 for none"),
    F("F6", 6, "factor 6 (Factor06RaceKigo): the first two characters of the race symbol code"),
    F("F7", 5, "factor 7 (Factor07KishuSeiseki): the jockey's career top-3 rate on the course type (KISHUSEISEI.dat), classed 10 to 19"),
    F("F8", 4, "factor 8 (Factor08KyosobaValue): the horse's top-3 rate (OPTION1N/KYOSOBA.dat), all races or, in a steeplechase, over jumps, classed 0 to 25"),
    F("F9", 3, "factor 9 (Factor09RaceCount): earlier runs, 001 to 060 (a first run also 001)"),
    F("F10", 3, "factor 10 (Factor10FutanRatio): weight carried per mille of body weight plus weight carried, made even; 200 added unless the sex code is 1 or 3"),
    F("F11", 4, "factor 11 (Factor11Bataiju): body weight in steps of 8 kg, 50 to 70"),
    F("F12", 3, "factor 12 (Factor12AgeMonths): sex digit and age in months at the race, older horses in classes of three months"),
    F("F13", 6, "factor 13 (Factor13StallionLog): floor(10 × log10) of the sire's offspring's flat earnings total (OPTION1N/STALLION.dat)"),
    F("F14", 6, "factor 14 (Factor14Interval): course flag (1 the racecourse of the previous valid run, else 2) and weeks since it, classed with the breaks before"),
    F("F15", 6, "factor 15 (Factor15PrevOddsLog): floor(10 × log10) of the previous valid run's win odds; 10 without"),
    F("F16", 4, "factor 16 (Factor16StallionValue): going digit and the sire's offspring's top-3 rate on that going and course type, classed"),
    F("F17", 4, "factor 17 (Factor17PaceDeviation): the previous valid run's Pace speed minus the Pace model's prediction, plus 10; 10 when outside 0 to 15"),
    F("F18", 6, "factor 18 (Factor18KishuAgeBand): 0, the jockey's age band and his apprentice code"),
    F("F19", 5, "factor 19 (Factor19ChokyoSeiseki): the trainer's career top-3 rate on the course type (CHOKYOSEISEI.dat), classed 10 to 19, or 110"),
    F("F20", 10, "factor 20 (Factor20StallionStat): floor(10 × log10) of the sire's offspring's main prize per start, flat or jumps: 0, or 25 to 46"),
    F("F21", 10, "factor 21 (Factor21GradeRaceNo): race number and grade code (the grade alone on the other tracks)"),
    F("F22", 5, "factor 22 (Factor22DistanceCode): distance and the first character of the course division; a steeplechase's distance band"),
    F("F23", 10, "factor 23 (Factor23StallionDistance): distance band digit and the sire's offspring's top-3 rate in that band on the course type, classed"),
    F("F24", 6, "factor 24 (Factor24Umaban): horse number (followed by 1 on tracks 0 to 24; at most 14 on the others)"),
    F("F25", 4, "factor 25 (Factor25UmaKigo): horse symbol code, or the birth month followed by 1 when it is 00"),
    F("F26", 4, "factor 26 (Factor26PrevTimeDiff): class of the previous valid run's time difference to the winner"),
    F("F27", 8, "factor 27 (Factor27KaijiNichiji): meeting number and day of the meeting"),
    F("F28", 6, "factor 28 (Factor28CountBand): registered runners, 08 at the least (14 at the most on tracks outside 00 to 29)"),
    F("F29", 6, "factor 29 (Factor29AgariDeviation): the previous valid run's Agari speed minus the Agari model's prediction, plus 10; 10 when outside 0 to 15"),
    F("F30", 4, "factor 30 (Factor30KyosobaValue): floor(10 × log10) of the horse's main prize per start (OPTION1N/KYOSOBA.dat), flat or jumps; the run number when that is 00"), F("crlf", 2, "CR LF")};
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
    F("breeding_number", 10, "breeding number of the dam or sire, as the parent list has it"),
    F("overall_top3_rate", 6, "top-3 rate of the offspring's starts, all races (RateField6)"),
    F("central_top3_rate", 6, "top-3 rate, central races"),
    F("flat_earners", 6, "offspring with flat earnings (CountField6)"), F("jump_earners", 6, "offspring with jump earnings"),
    F("central_starts", 6, "the offspring's starts in central races"),
    F("jump_starts", 6, "the offspring's starts over jumps"), F("flat_main_prize", 9, "flat main-prize total of the offspring (MoneyField9)"),
    F("jump_main_prize", 9, "jump main-prize total"),
    F("flat_earnings", 9, "flat earnings total"), F("jump_earnings", 9, "jump earnings total"),
    F("line_top3_rate", 6, 25, "top-3 rates of the placing lines 1 to 25 of the offspring totals: [0]-[6] by course, [7]-[18] by going, [19]-[24] by distance, in the UM record's order"),
    F("overall_top2_rate", 6, "top-2 rate, all races"), F("central_top2_rate", 6, "top-2 rate, central races"),
    F("line_top2_rate", 6, 25, "top-2 rates of the placing lines 1 to 25"),
    F("style_code", 6, "running-style code (StyleCode6): \"0000  \" without leader and front-runner runs, else \"1c00  \" with c = (mid-pack + closer runs) / (leader + front-runner runs), rounded down, at most 4"),
    F("crlf", 2, "CR LF")};
// clang-format on
inline constexpr int kMareStallionLength = StoredLength(kMareStallionTable);
static_assert(kMareStallionLength == 402);
consteval Slice StallionField(std::string_view name) {
  return LayoutField(kMareStallionTable, name);
}

// --- OPTION1N\KYOSOBA.dat: the placing record of a horse --------------------
// clang-format off
inline constexpr LayoutEntry kKyosobaTable[] = {
    F("pedigree_number", 10, "pedigree number of the horse"),
    F("overall_top3_rate", 6, "top-3 rate of its starts, all races (RateField6)"),
    F("central_top3_rate", 6, "top-3 rate, central races"),
    F("central_starts", 6, "starts in central races (CountField6)"), F("jump_starts", 6, "starts over jumps"),
    F("flat_main_prize", 9, "flat main-prize total (MoneyField9)"), F("jump_main_prize", 9, "jump main-prize total"),
    F("flat_earnings", 9, "flat earnings total"), F("jump_earnings", 9, "jump earnings total"),
    F("line_top3_rate", 6, 25, "top-3 rates of its placing lines 1 to 25: [0]-[6] by course, [7]-[18] by going, [19]-[24] by distance, in the UM record's order"),
    F("style_code", 6, "running-style code (StyleCode6), as in the parent summaries"), F("crlf", 2, "CR LF")};
// clang-format on
inline constexpr int kKyosobaLength = StoredLength(kKyosobaTable);
static_assert(kKyosobaLength == 228);
consteval Slice KyosobaField(std::string_view name) { return LayoutField(kKyosobaTable, name); }

// --- KISHUSEISEI.dat, CHOKYOSEISEI.dat: jockey and trainer tallies ----------
// Rates of results blocks 0 (current year), 1 (previous year), 2 (career).
// clang-format off
inline constexpr LayoutEntry kResultsTallyTable[] = {
    F("code", 5, "jockey code (騎手コード) or trainer code (調教師コード)"),
    G("top3_rate", 3, derived_parts::kTurfDirt, "top-3 rates (RateField6): [0] current year, [1] previous year, [2] career"),
    F("jump_top3_rate", 6, "top-3 rate over jumps, career"),
    G("top2_rate", 3, derived_parts::kTurfDirt, "top-2 rates: [0] current year, [1] previous year, [2] career"),
    F("jump_top2_rate", 6, "top-2 rate over jumps, career"), F("flat_prize", 9, "flat main prize total, career, hundreds of yen, as the record has it"),
    F("jump_prize", 9, "jump main prize total, career"), F("flat_runs", 6, "runs on turf and dirt, career (CountField6)"),
    F("jump_runs", 6, "runs over jumps, career"), F("crlf", 2, "CR LF")};
// clang-format on
inline constexpr int kResultsTallyLength = StoredLength(kResultsTallyTable);
static_assert(kResultsTallyLength == 121);
consteval Slice TallyField(std::string_view name) { return LayoutField(kResultsTallyTable, name); }

// --- BREEDERSEISEI.dat, BANUSISEISEI.dat: breeder and owner tallies ---------
// clang-format off
inline constexpr LayoutEntry kSmallTallyTable[] = {
    F("code", 6, "breeder code (生産者コード, its first 6 characters) or owner code (馬主コード)"),
    F("top3_rate", 6, "top-3 rate of the career's runs (RateField6)"), F("top2_rate", 6, "top-2 rate of the career's runs"),
    F("main_prize", 9, "main prize total of the career, hundreds of yen: the first 9 of its 10 digits"),
    F("runs", 6, "runs of the career (CountField6)"), F("crlf", 2, "CR LF")};
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
    F("jockey_code", 5, "jockey code (騎手コード)"),
    G("venue", 10, derived_parts::kDonichiVenue, "place rates by racecourse: [v-1] racecourse v, except [4] racecourse 06 and [5] racecourse 05"),
    F("crlf", 2, "CR LF")};
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
