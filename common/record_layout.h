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
    F("record_type", 2, "record type (レコード種別ID): the two letters of the file, RA, SE, UM ..."),
    F("data_kind", 1, "data kind (データ区分): the service's code for the stage or kind of the delivery (0 a deletion); the NEW files keep only some kinds"),
    F("creation_date", 8, "creation date (データ作成年月日) YYYYMMDD: the day the service made the record")};
inline constexpr LayoutEntry kRaceId[] = {
    F("year", 4, "race year (開催年)"), F("month_day", 4, "race month and day (開催月日) MMDD"),
    F("venue", 2, "racecourse code (競馬場コード): 01 to 10 the central racecourses"),
    F("meeting", 2, "meeting of the year at that racecourse (開催回)"),
    F("day", 2, "day of the meeting (開催日目)"), F("race_number", 2, "race number of the day (レース番号)")};
// Placing counts: 1st, 2nd, 3rd, 4th, 5th, unplaced.
inline constexpr LayoutEntry kCounts3[] = {
    F("count", 3, 6, "placing count (着回数): count[0] 1st, [1] 2nd, [2] 3rd, [3] 4th, [4] 5th, [5] unplaced")};
inline constexpr LayoutEntry kCounts6[] = {
    F("count", 6, 6, "placing count (着回数): count[0] 1st, [1] 2nd, [2] 3rd, [3] 4th, [4] 5th, [5] unplaced")};
inline constexpr LayoutEntry kGradedWin[] = {
    G("race", 1, kRaceId, "the race won"), F("race_name", 60, "race name (競走名本題)"),
    F("short_name10", 20, "race short name of 10 characters"),
    F("short_name6", 12, "race short name of 6 characters"),
    F("short_name3", 6, "race short name of 3 characters"), F("grade", 1, "grade code (グレードコード)"),
    F("starters", 2, "starters of the race (出走頭数)"),
    F("pedigree_number", 10, "pedigree number (血統登録番号) of the horse ridden or trained"),
    F("horse_name", 36, "horse name (馬名)")};
// Yearly results block of jockeys and trainers: the four prize totals are
// delivered 10 wide and stored 9 wide.
inline constexpr LayoutEntry kResultsBlock[] = {
    F("year", 4, "year the block counts (設定年); the career block's is the year of the record"),
    Narrow("prize", 10, 9, 4, "prize totals in hundreds of yen: prize[0] flat main, [1] jump main, [2] flat added, [3] jump added (the leftmost 9 of the 10 digits delivered)"),
    G("flat", 1, kCounts6, "placing counts on the flat"), G("jump", 1, kCounts6, "placing counts over jumps"),
    G("venue_surface", 20, kCounts6, "placing counts by racecourse and surface: [2(v-1)] racecourse v turf, [2(v-1)+1] its dirt, v 1 to 10"),
    G("distance", 6, kCounts6, "placing counts by distance: [0] turf up to 1600 m, [1] up to 2200 m, [2] over 2200 m, [3]-[5] the same for dirt")};
inline constexpr LayoutEntry kSmallResultsBlock[] = {
    F("year", 4, "year the block counts"), F("main_prize", 10, "main prize total (本賞金合計), hundreds of yen"),
    F("added_prize", 10, "added prize total (付加賞金合計), hundreds of yen"),
    G("counts", 1, kCounts6, "placing counts")};
inline constexpr LayoutEntry kRaceCorner[] = {
    F("corner", 1, "corner (コーナー) 1 to 4"), F("laps", 1, "lap count (周回)"),
    F("order", 70, "passing order (各通過順位): the horse numbers in the order they passed, as the service writes them")};
inline constexpr LayoutEntry kOpponent[] = {
    F("pedigree_number", 10, "pedigree number (血統登録番号) of the winner (of the runner-up for the winner)"),
    F("horse_name", 36, "its horse name (馬名)")};
inline constexpr LayoutEntry kAncestor[] = {
    F("breeding_number", 10, "breeding number (繁殖登録番号) of the ancestor"),
    F("name", 36, "its name (馬名)")};
inline constexpr LayoutEntry kFirstRide[] = {
    G("race", 1, kRaceId, "the race"), F("starters", 2, "starters (出走頭数)"),
    F("pedigree_number", 10, "pedigree number (血統登録番号) of the horse ridden"),
    F("horse_name", 36, "horse name (馬名)"), F("placing", 2, "final placing (確定着順)"),
    F("abnormality", 1, "abnormality code (異常区分): 0 none; the others a scratched, excluded, pulled-up or disqualified runner ...")};
inline constexpr LayoutEntry kFirstWin[] = {
    G("race", 1, kRaceId, "the race"), F("starters", 2, "starters (出走頭数)"),
    F("pedigree_number", 10, "pedigree number (血統登録番号) of the horse ridden"),
    F("horse_name", 36, "horse name (馬名)")};
// clang-format on
}  // namespace record_parts

// clang-format off
// --- RA: a race ---------------------------------------------------------------
inline constexpr LayoutEntry kRaceTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    G("race", 1, record_parts::kRaceId, "race identity (レースキー): year, date, racecourse, meeting, day, race"),
    F("weekday", 1, "weekday code (曜日コード)"), F("special_number", 4, "special race number (特別競走番号)"),
    F("race_name", 60, "race name (競走名本題)"), F("subtitle", 60, "race subtitle (競走名副題)"),
    F("parenthesis", 60, "text in parentheses after the name (競走名カッコ内)"),
    F("race_name_en", 120, "race name in Latin letters"), F("subtitle_en", 120, "subtitle in Latin letters"),
    F("parenthesis_en", 120, "text in parentheses in Latin letters"),
    F("short_name10", 20, "short name of 10 characters (競走名略称10字)"),
    F("short_name6", 12, "short name of 6 characters"), F("short_name3", 6, "short name of 3 characters"),
    F("name_kind", 1, "race name kind (競走名区分)"), F("edition", 3, "edition of a graded race (重賞回次)"),
    F("grade", 1, "grade code (グレードコード): A G1, B G2, C G3 ..."),
    F("grade_before", 1, "grade code before a change"),
    F("race_kind", 2, "race kind code (競走種別コード): the ages the race is for"),
    F("race_symbol", 3, "race symbol code (競走記号コード)"), F("weight_rule", 1, "weight rule code (重量種別コード)"),
    F("condition", 3, 5, "race condition codes (競走条件コード): [0] 2-year-olds, [1] 3-year-olds, [2] 4-year-olds, [3] 5 and older, [4] youngest age"),
    F("condition_name", 60, "condition name (競走条件名称)"), F("distance", 4, "distance in metres (距離)"),
    F("distance_before", 4, "distance before a change"),
    F("track", 2, "track code (トラックコード): 10-22 turf, 23-29 dirt, 51-59 jumps"),
    F("track_before", 2, "track code before a change"), F("course_division", 2, "course division (コース区分): A, B, C ..."),
    F("course_division_before", 2, "course division before a change"),
    F("main_prize", 8, 7, "main prize money (本賞金) for places 1 to 7, hundreds of yen"),
    F("main_prize_before", 8, 5, "main prize money before a change, places 1 to 5"),
    F("added_prize", 8, 5, "added prize money (付加賞金), places 1 to 5"),
    F("added_prize_before", 8, 3, "added prize money before a change, places 1 to 3"),
    F("post_time", 4, "post time (発走時刻) HHMM"), F("post_time_before", 4, "post time before a change"),
    F("registered", 2, "registered runners (登録頭数)"), F("starters", 2, "starters (出走頭数)"),
    F("finishers", 2, "finishers (入線頭数)"), F("weather", 1, "weather code (天候コード)"),
    F("turf_going", 1, "turf going code (芝馬場状態コード): 1 good, 2 slightly heavy, 3 heavy, 4 bad"),
    F("dirt_going", 1, "dirt going code (ダート馬場状態コード), as the turf's"),
    F("lap_time", 3, 25, "lap times (ラップタイム) of each furlong, tenths of a second"),
    F("jump_mile_time", 4, "jump race mile time (障害マイルタイム)"),
    F("first3f", 3, "time of the first 3 furlongs (前3ハロン), tenths"), F("first4f", 3, "time of the first 4 furlongs (前4ハロン)"),
    F("last3f", 3, "time of the last 3 furlongs (後3ハロン)"), F("last4f", 3, "time of the last 4 furlongs (後4ハロン)"),
    G("corner", 4, record_parts::kRaceCorner, "corner passing orders (コーナー通過順位)"),
    F("update_flag", 1, "record-update flag (レコード更新区分)"), F("crlf", 2, "CR LF")};

// --- SE: a race entry ---------------------------------------------------------
inline constexpr LayoutEntry kRaceEntryTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    G("race", 1, record_parts::kRaceId, "race identity (レースキー): the race of RA20180101NEW.dat"),
    F("bracket", 1, "bracket number (枠番)"), F("horse_number", 2, "horse number (馬番): the saddle-cloth number"),
    F("pedigree_number", 10, "pedigree number (血統登録番号): the horse's 10-digit registration number"),
    F("horse_name", 36, "horse name (馬名)"), F("horse_symbol", 2, "horse symbol code (馬記号コード)"),
    F("sex", 1, "sex code (性別コード): 1 colt or horse, 2 filly or mare, 3 gelding"), F("breed", 1, "breed code (品種コード)"),
    F("coat", 2, "coat colour code (毛色コード)"), F("age", 2, "age (馬齢)"),
    F("affiliation", 1, "east/west affiliation code (東西所属コード)"), F("trainer_code", 5, "trainer code (調教師コード)"),
    F("trainer_short_name", 8, "trainer short name"), F("owner_code", 6, "owner code (馬主コード)"),
    F("owner_name", 64, "owner name (馬主名)"), F("colours", 60, "racing colours (服色標示)"),
    F("reserved1", 60, "reserved"), F("weight", 3, "weight carried (負担重量), tenths of a kilogram"),
    F("weight_before", 3, "weight carried before a change"), F("blinkers", 1, "blinkers flag (ブリンカー使用区分)"),
    F("reserved2", 1, "reserved"), F("jockey_code", 5, "jockey code (騎手コード)"),
    F("jockey_code_before", 5, "jockey code before a change"), F("jockey_short_name", 8, "jockey short name (騎手名略称)"),
    F("jockey_short_name_before", 8, "jockey short name before a change"),
    F("apprentice", 1, "apprentice code (見習区分): the weight allowance"),
    F("apprentice_before", 1, "apprentice code before a change"), F("body_weight", 3, "body weight in kg (馬体重)"),
    F("body_weight_sign", 1, "sign of the body-weight change (増減符号): +, - or blank"),
    F("body_weight_change", 3, "body-weight change in kg (増減差)"),
    F("abnormality", 1, "abnormality code (異常区分): 0 none; the others a scratched, excluded, pulled-up or disqualified runner ..."),
    F("arrival_order", 2, "arrival order (入線順位)"), F("final_placing", 2, "final placing (確定着順)"),
    F("dead_heat", 1, "dead-heat flag (同着区分)"), F("dead_heat_count", 1, "horses in the dead heat (同着頭数)"),
    F("time", 4, "finishing time (走破タイム): minutes 1, seconds 2, tenths 1"),
    F("margin", 3, 3, "margin codes (着差コード) to the horse in front"),
    F("corner_position", 2, 4, "position at corners 1 to 4 (コーナー順位)"),
    F("win_odds", 4, "win odds (単勝オッズ), tenths"), F("win_popularity", 2, "win popularity (単勝人気順)"),
    F("main_prize", 8, "main prize won (獲得本賞金), hundreds of yen"), F("added_prize", 8, "added prize won (獲得付加賞金)"),
    F("reserved3", 3, 2, "reserved"), F("last4f", 3, "time of the last 4 furlongs (後4ハロン), tenths"),
    F("last3f", 3, "time of the last 3 furlongs (後3ハロン), tenths"),
    G("opponent", 3, record_parts::kOpponent, "opponents (相手馬): the winner, or the runner-up for the winner"),
    F("time_difference", 4, "time difference to the winner (タイム差)"), F("update_flag", 1, "record-update flag"),
    F("forecast_kind", 1, "forecast kind (マイニング区分)"), F("forecast_time", 5, "forecast finishing time"),
    F("forecast_plus", 4, "forecast error, plus"), F("forecast_minus", 4, "forecast error, minus"),
    F("forecast_placing", 2, "forecast placing"), F("style_judgement", 1, "running-style judgement (脚質判定): 1 leader, 2 front-runner, 3 mid-pack, 4 closer"),
    F("crlf", 2, "CR LF")};

// --- UM: a horse ----------------------------------------------------------------
inline constexpr LayoutEntry kHorseTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("pedigree_number", 10, "pedigree number (血統登録番号): the horse's 10-digit registration number, the name of its files"),
    F("deregistration_flag", 1, "deregistration flag (競走馬抹消区分): 1 deregistered"),
    F("registration_date", 8, "registration date (登録年月日)"), F("deregistration_date", 8, "deregistration date (抹消年月日)"),
    F("birth_date", 8, "birth date (生年月日) YYYYMMDD"), F("horse_name", 36, "horse name (馬名)"),
    F("horse_name_kana", 36, "name in half-width katakana (馬名半角カナ)"), F("horse_name_en", 60, "name in Latin letters (馬名欧字)"),
    F("in_stable", 1, "in-stable flag (在厩フラグ)"), F("reserved", 19, "reserved"),
    F("horse_symbol", 2, "horse symbol code (馬記号コード)"), F("sex", 1, "sex code (性別コード)"), F("breed", 1, "breed code (品種コード)"),
    F("coat", 2, "coat colour code (毛色コード)"),
    G("ancestor", 14, record_parts::kAncestor, "three generations of pedigree (3代血統): [0] sire, [1] dam, [2] sire's sire, [3] sire's dam, [4] dam's sire, [5] dam's dam, [6]-[13] the great-grandparents in the same manner"),
    F("affiliation", 1, "east/west affiliation code (東西所属コード)"), F("trainer_code", 5, "trainer code (調教師コード)"),
    F("trainer_short_name", 8, "trainer short name"), F("invitation_region", 20, "invitation region name (招待地域名)"),
    F("breeder_code", 8, "breeder code (生産者コード)"), F("breeder_name", 72, "breeder name (生産者名)"),
    F("birthplace", 20, "birthplace name (産地名)"), F("owner_code", 6, "owner code (馬主コード)"), F("owner_name", 64, "owner name (馬主名)"),
    F("prize", 9, 6, "prize totals in hundreds of yen: [0] flat main, [1] jump main, [2] flat added, [3] jump added, [4] flat earned, [5] jump earned"),
    G("overall", 1, record_parts::kCounts3, "placing counts, all races (総合着回数)"),
    G("central", 1, record_parts::kCounts3, "placing counts, central races (中央合計着回数)"),
    G("course", 7, record_parts::kCounts3, "placing counts by course: [0] turf straight, [1] turf right-handed, [2] turf left-handed, [3]-[5] the same for dirt, [6] jumps"),
    G("going", 12, record_parts::kCounts3, "placing counts by going: [0] turf good, [1] slightly heavy, [2] heavy, [3] bad, [4]-[7] dirt, [8]-[11] jumps"),
    G("distance", 6, record_parts::kCounts3, "placing counts by distance: [0] turf up to 1600 m, [1] up to 2200 m, [2] over 2200 m, [3]-[5] the same for dirt"),
    F("style", 3, 4, "running-style counts (脚質傾向): [0] leader, [1] front-runner, [2] mid-pack, [3] closer"),
    F("registered_races", 3, "number of registered races (登録レース数)"), F("crlf", 2, "CR LF")};

// --- HN: a breeding horse ---------------------------------------------------------
inline constexpr LayoutEntry kBreedingHorseTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("breeding_number", 10, "breeding number (繁殖登録番号): the sire's or mare's registration at stud"),
    F("reserved1", 8, "reserved"), F("pedigree_number", 10, "pedigree number (血統登録番号) when it raced in Japan"),
    F("reserved2", 1, "reserved"), F("horse_name", 36, "horse name (馬名)"),
    F("horse_name_kana", 40, "name in half-width katakana"), F("horse_name_en", 80, "name in Latin letters"),
    F("birth_year", 4, "birth year (生年)"), F("sex", 1, "sex code (性別コード)"), F("breed", 1, "breed code (品種コード)"),
    F("coat", 2, "coat colour code (毛色コード)"), F("import_kind", 1, "import kind (繁殖馬持込区分)"),
    F("import_year", 4, "import year (輸入年)"), F("birthplace", 20, "birthplace name (産地名)"),
    F("sire_breeding_number", 10, "breeding number of its sire (父馬繁殖登録番号)"),
    F("dam_breeding_number", 10, "breeding number of its dam (母馬繁殖登録番号)"), F("crlf", 2, "CR LF")};

// --- KS: a jockey ---------------------------------------------------------------------
inline constexpr LayoutEntry kJockeyTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("jockey_code", 5, "jockey code (騎手コード): the name of the jockey's files"),
    F("deregistration_flag", 1, "deregistration flag (騎手抹消区分)"),
    F("licence_date", 8, "licence date (騎手免許交付年月日)"), F("licence_end_date", 8, "licence end date (騎手免許抹消年月日)"),
    F("birth_date", 8, "birth date (生年月日) YYYYMMDD"), F("jockey_name", 34, "jockey name (騎手名)"),
    F("reserved", 34, "reserved"), F("jockey_name_kana", 30, "name in half-width katakana"),
    F("short_name", 8, "short name (騎手名略称)"), F("jockey_name_en", 80, "name in Latin letters"),
    F("sex", 1, "sex (性別区分)"), F("qualification", 1, "riding qualification code (騎乗資格コード): flat, jumps or both"),
    F("apprentice", 1, "apprentice code (騎手見習コード)"), F("affiliation", 1, "east/west affiliation code (東西所属コード)"),
    F("invitation_region", 20, "invitation region name (招待地域名)"),
    F("trainer_code", 5, "trainer code of the jockey's stable (所属調教師コード)"),
    F("trainer_short_name", 8, "that trainer's short name"),
    G("first_ride", 2, record_parts::kFirstRide, "first rides (初騎乗): [0] flat, [1] jumps"),
    G("first_win", 2, record_parts::kFirstWin, "first wins (初勝利): [0] flat, [1] jumps"),
    G("graded_win", 3, record_parts::kGradedWin, "latest graded-race wins (最近重賞勝利), newest first"),
    G("results", 3, record_parts::kResultsBlock, "results blocks (本年・前年・累計成績): [0] current year, [1] previous year, [2] career"),
    F("crlf", 2, "CR LF")};

// --- SK: an offspring -----------------------------------------------------------------
inline constexpr LayoutEntry kOffspringTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("pedigree_number", 10, "pedigree number (血統登録番号) of the foal"), F("birth_date", 8, "birth date (生年月日) YYYYMMDD"),
    F("sex", 1, "sex code (性別コード)"), F("breed", 1, "breed code (品種コード)"), F("coat", 2, "coat colour code (毛色コード)"),
    F("import_kind", 1, "import kind (産駒持込区分)"), F("import_year", 4, "import year (輸入年)"),
    F("breeder_code", 8, "breeder code (生産者コード)"), F("birthplace", 20, "birthplace name (産地名)"),
    F("ancestor", 10, 14, "breeding numbers (繁殖登録番号) of three generations, in the order of the UM record's: [0] sire, [1] dam, [2] sire's sire ..."),
    F("crlf", 2, "CR LF")};

// --- CH: a trainer --------------------------------------------------------------------
inline constexpr LayoutEntry kTrainerTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("trainer_code", 5, "trainer code (調教師コード)"), F("deregistration_flag", 1, "deregistration flag (調教師抹消区分)"),
    F("licence_date", 8, "licence date (調教師免許交付年月日)"), F("licence_end_date", 8, "licence end date"),
    F("birth_date", 8, "birth date (生年月日) YYYYMMDD"), F("trainer_name", 34, "trainer name (調教師名)"),
    F("trainer_name_kana", 30, "name in half-width katakana"), F("short_name", 8, "short name (調教師名略称)"),
    F("trainer_name_en", 80, "name in Latin letters"), F("sex", 1, "sex (性別区分)"),
    F("affiliation", 1, "east/west affiliation code (東西所属コード)"), F("invitation_region", 20, "invitation region name"),
    G("graded_win", 3, record_parts::kGradedWin, "latest graded-race wins (最近重賞勝利), newest first"),
    G("results", 3, record_parts::kResultsBlock, "results blocks: [0] current year, [1] previous year, [2] career"),
    F("crlf", 2, "CR LF")};

// --- BR: a breeder --------------------------------------------------------------------
inline constexpr LayoutEntry kBreederTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("breeder_code", 8, "breeder code (生産者コード)"), F("breeder_name", 72, "breeder name with corporate form (生産者名)"),
    F("breeder_name_plain", 72, "breeder name without corporate form"), F("breeder_name_kana", 72, "name in half-width katakana"),
    F("breeder_name_en", 168, "name in Latin letters"), F("address", 20, "address: prefecture name (生産者住所自治省名)"),
    G("results", 2, record_parts::kSmallResultsBlock, "results blocks: [0] current year, [1] career"),
    F("crlf", 2, "CR LF")};

// --- BN: an owner ---------------------------------------------------------------------
inline constexpr LayoutEntry kOwnerTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("owner_code", 6, "owner code (馬主コード)"), F("owner_name", 64, "owner name with corporate form (馬主名)"),
    F("owner_name_plain", 64, "owner name without corporate form"), F("owner_name_kana", 50, "name in half-width katakana"),
    F("owner_name_en", 100, "name in Latin letters"), F("colours", 60, "racing colours (服色標示)"),
    G("results", 2, record_parts::kSmallResultsBlock, "results blocks: [0] current year, [1] career"),
    F("crlf", 2, "CR LF")};

// --- HS: a market sale (stored as its delivered text line) ----------------------------
inline constexpr LayoutEntry kMarketSaleTable[] = {
    G("header", 1, record_parts::kHeader, "record header"),
    F("pedigree_number", 10, "pedigree number (血統登録番号) of the horse sold"),
    F("sire_breeding_number", 10, "breeding number of its sire (父馬繁殖登録番号)"),
    F("dam_breeding_number", 10, "breeding number of its dam (母馬繁殖登録番号)"), F("birth_year", 4, "birth year (生年)"),
    F("market_code", 6, "organiser and market code (主催者・市場コード)"), F("organiser_name", 40, "organiser name (主催者名称)"),
    F("market_name", 80, "market name (市場の名称)"), F("start_date", 8, "market start date YYYYMMDD"),
    F("end_date", 8, "market end date YYYYMMDD"), F("age", 1, "age at the sale (取引時の競走馬の年齢)"),
    F("price", 10, "sale price in yen (取引価格)"), F("crlf", 2, "CR LF")};
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
