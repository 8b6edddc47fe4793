#pragma once
// The text lists an analyst reads, item by item: lines of comma-separated
// items, strings in double quotes, numbers bare, CR LF each (the form of
// platform/fs/text_list.h). Each table names the items of one line in the
// order they are written, or, for the files whose lines differ, the lines of
// one file; tools/fieldref prints them in docs/fields.md, and the writers
// check their counts against these tables when they are compiled.
#include <span>
#include <string_view>

namespace volq {

// `count` items (or lines) in a row that mean the same, numbered on.
struct ListEntry {
  std::string_view name;
  int count;
  std::string_view meaning;
};

constexpr int EntryCount(std::span<const ListEntry> t) {
  int n = 0;
  for (const ListEntry& e : t) n += e.count;
  return n;
}

// clang-format off
// --- KETTONUM20180101.dat, KETTONUM20180101Q.dat, the course horse lists ----
inline constexpr ListEntry kPedigreeListItems[] = {
    {"pedigree_number", 1, "pedigree number of the horse, quoted: its files are UMAGOTOSETUP/<number>.dat, UMAGOTOEXSETUP/<number>EX.dat, KYOSOBA/<number>.dat, KYOSOBAN/<number>.dat"}};

// --- KETTOMASSHO.dat ----------------------------------------------------------
inline constexpr ListEntry kRetiredHorseItems[] = {
    {"pedigree_number", 1, "pedigree number, quoted"},
    {"flag_and_races", 1, "deregistration flag (1 deregistered) followed by the 3-digit number of registered races, quoted: \"1000\" a deregistered horse that never ran"}};

// --- KISHUNUM20180101.dat -----------------------------------------------------
inline constexpr ListEntry kJockeyListItems[] = {
    {"jockey_code", 1, "jockey code (騎手コード), quoted: line k is record k of KS20180101NEW.dat and of KISHUSEISEI.dat, and the jockey's files are KISHUGOTOSETUP/<code>.dat and KISHUFUKUSHO/<code>.dat"}};

// --- HAHAHANNUM20180101.dat, TITIHANNUM20180101.dat ---------------------------
inline constexpr ListEntry kParentListItems[] = {
    {"breeding_number", 1, "breeding number of a dam or sire of a horse, quoted, ascending: line k is record k of OPTION1N/MARE.dat or OPTION1N/STALLION.dat"}};

// --- FL20180101.dat: 13 lines per mare, one per generation --------------------
inline constexpr ListEntry kFemaleLineItems[] = {
    {"breeding_number", 1, "breeding number of the generation's mare: line 1 of a mare's 13 is the mare herself, line 2 her dam, line 13 her 12th dam (by her number alone)"},
    {"horse_name", 1, "her name (馬名)"}, {"birth_year", 1, "her birth year"},
    {"birthplace", 1, "her birthplace name"},
    {"sire_breeding_number", 1, "her sire's breeding number"},
    {"dam_breeding_number", 1, "her dam's breeding number. Every item is quoted at its field's width; items 2 to 6 are empty when the generation's mare is not among the breeding horses"}};

// --- KIJUNTIME.dat: one line per EX record of the standard-time sample --------
inline constexpr ListEntry kStandardTimeItems[] = {
    {"race_year", 1, "race year (EX race.year)"},
    {"age", 1, "the horse's age: race year minus birth year, without leading zero (3 or 4)"},
    {"venue", 1, "racecourse code, 01 to 10"}, {"track_code", 1, "track code (トラックコード)"},
    {"distance", 1, "distance in metres: 1200, 1600, 1700, 1800 or 2000"},
    {"time", 1, "race time (走破タイム): minutes 1, seconds 2, tenths 1"},
    {"youngest_condition", 1, "condition code of the youngest age (競走最若年条件): 005 to 100, the conditional races"},
    {"weather", 1, "weather code (天候コード)"}, {"turf_going", 1, "turf going (芝馬場状態)"},
    {"dirt_going", 1, "dirt going (ダート馬場状態); every item quoted, as the EX record has it"}};

// --- KYOSOBA/<pedigree>.dat, and each block of HAHA/ and SHUBOBA/: lines -------
// Six quoted items a line, copied from the horse's UM record.
inline constexpr ListEntry kPlacingBlockLines[] = {
    {"course", 7, "placing counts (1st, 2nd, 3rd, 4th, 5th, unplaced) by course: turf straight, turf right-handed, turf left-handed, dirt straight, dirt right-handed, dirt left-handed, jumps (UM course[0..6])"},
    {"going", 12, "placing counts by going: turf good, slightly heavy, heavy, bad, then dirt, then jumps (UM going[0..11])"},
    {"distance", 6, "placing counts by distance: turf up to 1600 m, up to 2200 m, over 2200 m, then dirt (UM distance[0..5])"},
    {"style_prize", 1, "running-style counts leader, front-runner, mid-pack, closer (UM style), then the flat and jump main-prize totals (UM prize[0], prize[1])"},
    {"overall", 1, "placing counts, all races (UM overall)"},
    {"central", 1, "placing counts, central races (UM central)"},
    {"earnings", 1, "\"000\", \"000\", the flat and the jump earnings flags (\"001\" when that total is above 0), the flat and jump earnings totals (UM prize[4], prize[5])"}};

// --- KYOSOBAN/<pedigree>.dat, HAHAN/ and SHUBOBAN/<breeding>.dat: lines --------
inline constexpr ListEntry kPlacingNumberLines[] = {
    {"value", 174, "line k holds item k of the placing block (item j of block line L is k = 6(L-1)+j) as a bare whole number; for a dam or sire the sum over its offspring"}};

// --- KISHUFUKUSHO/<jockey>.dat: 20 lines, racecourse by racecourse -------------
inline constexpr ListEntry kPlaceCountItems[] = {
    {"racecourse", 1, "racecourse number 1 to 10 (01 to 10), bare"},
    {"day_class", 1, "day class: 1 a Saturday, 2 another day"},
    {"placed", 1, "the jockey's rides placed (arrival order 1 to 3) there on such days, counted newest first down to his newest ride of 2004 or earlier"},
    {"other", 1, "the other rides (4th or worse, or no arrival order)"}};
inline constexpr int kPlaceCountLines = 20;

// --- The category window's files, per course type (Siba, Dirt, Shog) ---------
// The categorisation writes the first five kinds into the data directory; the
// models that factors 17 and 29 score against take the last three kinds'
// shapes in OPTION1N and are made outside the system. A factor column is one
// of the 30 factor fields F1 to F30 of the ITEM record; a category is one
// distinct code of a column, and its category index is its position in the
// column's list.
inline constexpr int kFactorColumns = 30;

// <S>ItemCategory201801N2024.dat: one line a category.
inline constexpr ListEntry kCategoryListItems[] = {
    {"category", 1, "a code of factor column k as the ITEM field holds it, quoted at the field's full width, trailing blanks inside the quotes. The categories of column 1 come first in category order, then those of column 2, and so on to column 30; nothing marks where a column ends: the counts of the total file give how many lines each column has"}};

// <S>ItemCategoryCount201801N2024.dat: one line a category.
inline constexpr ListEntry kCategoryCountItems[] = {
    {"record_count", 1, "line k of the file counts the ITEM records whose factor field holds the category of line k of the category list, as a bare whole number"}};

// QA1<S>TotalData201801N2024.dat, and the first 31 lines of each speed data set.
inline constexpr ListEntry kCategoryTotalLines[] = {
    {"records_and_columns", 1, "two bare numbers: n, the number of ITEM records of the course type's ITEM file, and 30, the number of factor columns"},
    {"column_categories", kFactorColumns, "line 1 + k: the number of categories of factor column k, bare"}};

// QA1<S>AgariData, PaceData and SohaData201801N2024.dat: a data line, one per
// ITEM record in record order, after the 31 lines of the total file.
inline constexpr ListEntry kSpeedDataItems[] = {
    {"speed", 1, "the record's speed in km/h, its ITEM speed field divided by 100000: AgariSpeed (over the final 600 m, 200 m in a steeplechase) in the Agari file, PaceSpeed (over the distance before them) in the Pace file, SohaSpeed (over the whole race) in the Soha file; single precision, rounded to seven significant digits, no trailing zeros, 0 when there is no time"},
    {"category_index", kFactorColumns, "item 1 + k: the category index of the record's factor k in column k's category list, 1 to the column's count"}};

// OPTION1N/QA1<S>TotalData201801N2024.dat: the model's category counts.
inline constexpr ListEntry kModelTotalLines[] = {
    {"column_categories", kFactorColumns, "line k: the number of categories of factor column k in the model, 0 to 6000; the total file of the categorisation without its first line (n,30), which would shift every count by two"}};

// OPTION1N/<S>ItemCategory201801N2024.dat: the model's categories.
inline constexpr ListEntry kModelCategoryItems[] = {
    {"category", 1, "for column 1 to 30 in turn, as many categories as the model's count of the column gives, in position order, quoted (the shape of the categorisation's category list). A category matches an ITEM field only when it equals the field's whole text, trailing blanks included"}};

// OPTION1N/QA1<S>AgariWeightData, PaceWeightData and SohaWeightData201801N2024.dat.
inline constexpr ListEntry kModelWeightItems[] = {
    {"weight", 1, "for column 1 to 30, for category 1 to the column's count: the weight of that category, a number. Factor 29 scores against the Agari weights, factor 17 against the Pace weights, the Soha weights serve only the alternative routines; a code outside the model's list weighs 0"}};
// clang-format on

}  // namespace volq
