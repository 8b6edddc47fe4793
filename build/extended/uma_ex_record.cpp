#include "build/extended/uma_ex_record.h"

#include <algorithm>
#include <vector>

#include "common/records.h"

namespace volq {

namespace {

// A run of bytes copied unchanged from a source record into the EX record.
struct Copy {
  Slice ex;
  Slice src;
};

// The race-entry fields, in EX order.
const std::vector<Copy>& FromEntry() {
  static const std::vector<Copy> runs = [] {
    return std::vector<Copy>{
        // header, race id, bracket, horse number, pedigree number
        {LayoutSpan(kUmaExTable, "record_type", "pedigree_number"),
         LayoutSpan(kRaceEntryTable, "header.record_type", "pedigree_number")},
        {UmaEx("horse_name"), RaceEntryField("horse_name")},
        {LayoutSpan(kUmaExTable, "horse_symbol", "coat"),
         LayoutSpan(kRaceEntryTable, "horse_symbol", "coat")},
        {UmaEx("affiliation"), RaceEntryField("affiliation")},
        {UmaEx("trainer_code"), RaceEntryField("trainer_code")},
        {UmaEx("owner_code"), RaceEntryField("owner_code")},
        {UmaEx("colours"), RaceEntryField("colours")},
        // weights carried, blinkers, reserved, jockey code
        {LayoutSpan(kUmaExTable, "weight", "jockey_code"),
         LayoutSpan(kRaceEntryTable, "weight", "jockey_code")},
        // jockey before change ... horse's last 3 furlongs
        {LayoutSpan(kUmaExTable, "jockey_code_before", "last3f"),
         LayoutSpan(kRaceEntryTable, "jockey_code_before", "last3f")},
        {UmaEx("time_difference"), RaceEntryField("time_difference")},
        {UmaEx("crlf"), RaceEntryField("crlf")},
    };
  }();
  return runs;
}

// The race fields.
const std::vector<Copy>& FromRace() {
  static const std::vector<Copy> runs = [] {
    return std::vector<Copy>{
        {UmaEx("weekday"), RaceField("weekday")},
        // grade codes, race condition group
        {LayoutSpan(kUmaExTable, "grade", "condition"),
         LayoutSpan(kRaceTable, "grade", "condition[4]")},
        // distance ... corner passing blocks
        {LayoutSpan(kUmaExTable, "distance", "corner"),
         LayoutSpan(kRaceTable, "distance", "corner[3].order")},
    };
  }();
  return runs;
}

// Blank fields: sire and dam birth years and birthplaces, pedigree slots 4 to 7.
constexpr Slice kBlank[] = {
    LayoutSpan(kUmaExTable, "pedigree[0].birth_year", "pedigree[0].birthplace"),
    LayoutSpan(kUmaExTable, "pedigree[1].birth_year", "pedigree[1].birthplace"),
    LayoutSpan(kUmaExTable, "pedigree[3]", "pedigree[6]")};

void CopyRuns(std::string& ex, std::string_view src, const std::vector<Copy>& runs) {
  for (const Copy& c : runs) PutText(ex, c.ex, c.src.Of(src));
}

}  // namespace

const ExSaleValues& NoSaleValues() {
  // "不明" (unknown) in code page 932.
  static const std::string kUnknown = "\x95\x73\x96\xbe";
  static const ExSaleValues v{"         ", kUnknown, kUnknown,         kUnknown,
                              kUnknown,    " ",      "               "};
  return v;
}

void FillUmaExRecord(std::string& ex, std::string_view se, std::string_view ra,
                     const ExHorseValues& horse, const ExSaleValues& sale,
                     const ExJockeyValues& jockey) {
  ex.assign(kUmaExLength, '\0');
  CopyRuns(ex, se, FromEntry());
  CopyRuns(ex, ra, FromRace());
  PutText(ex, UmaEx("foal_order"), horse.foal_order);
  PutText(ex, UmaEx("sale.code"), sale.code);
  PutText(ex, UmaEx("sale.host"), sale.host);
  PutText(ex, UmaEx("sale.name"), sale.name);
  PutText(ex, UmaEx("sale.start_date"), sale.start_date);
  PutText(ex, UmaEx("sale.end_date"), sale.end_date);
  PutText(ex, UmaEx("sale.age"), sale.age);
  PutText(ex, UmaEx("sale.price"), sale.price);
  // The dates of 8 characters fill their year, month and day parts (4 + 2 + 2).
  PutText(ex, UmaEx("birth_date"), horse.birth_date);
  PutText(ex, UmaEx("invitation"), horse.invitation);
  PutText(ex, UmaEx("breeder_code"), horse.breeder);
  PutText(ex, UmaEx("birthplace"), horse.birthplace);
  PutText(ex, UmaEx("pedigree[0].breeding_number"), horse.sire);
  PutText(ex, UmaEx("pedigree[1].breeding_number"), horse.dam);
  for (const Slice& s : kBlank) PutText(ex, s, {});
  PutText(ex, UmaEx("jockey_birth_date"), jockey.birth_date);
  PutText(ex, UmaEx("jockey_sex"), jockey.sex);
  PutText(ex, UmaEx("jockey_invitation"), jockey.invitation);
  PutText(ex, UmaEx("qualification"), jockey.qualification);
}

}  // namespace volq
