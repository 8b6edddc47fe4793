#include "build/extended/uma_ex_record.h"

#include <algorithm>

#include "common/records.h"

namespace volq {

namespace {

// A run of bytes copied unchanged from a source record: EX ex:length from
// source offset src.
struct Copy {
  int ex;
  int src;
  int length;
};

// The race-entry fields, in EX order.
constexpr Copy kFromEntry[] = {
    {0, 0, 40},      // header, race id, bracket, horse number, pedigree number
    {490, 40, 36},   // horse name
    {527, 76, 6},    // horse symbol, sex, breed, coat colour
    {533, 84, 1},    // east/west affiliation
    {534, 85, 5},    // trainer code
    {539, 98, 6},    // owner code
    {545, 168, 60},  // racing colours
    {605, 288, 13},  // weights carried, blinkers, reserved, jockey code
    {648, 301, 92},  // jockey before change ... horse's last 3 furlongs
    {740, 531, 4},   // time difference to the winner
    {1339, 553, 2},  // CR LF
};

// The race fields.
constexpr Copy kFromRace[] = {
    {42, 27, 1},     // weekday code
    {744, 614, 23},  // grade codes, race condition group
    {767, 697, 572}, // distance ... corner passing blocks
};

// Blank fields: sire and dam birth years and birthplaces, pedigree slots 4 to 7.
constexpr Slice kBlank[] = {{262, 24}, {296, 24}, {354, 136}};

void CopyRuns(std::string& ex, std::string_view src, const Copy* runs, size_t n) {
  for (size_t i = 0; i < n; ++i) PutField(ex, runs[i].ex, runs[i].length, FieldAt(src, runs[i].src, runs[i].length));
}

}  // namespace

void PutField(std::string& ex, int offset, int width, std::string_view text) {
  const size_t n = std::min(text.size(), static_cast<size_t>(width));
  ex.replace(offset, n, text.data(), n);
  ex.replace(offset + n, width - n, width - n, ' ');
}

const ExSaleValues& NoSaleValues() {
  // "不明" (unknown) in code page 932.
  static const std::string kUnknown = "\x95\x73\x96\xbe";
  static const ExSaleValues v{"         ", kUnknown, kUnknown, kUnknown, kUnknown, " ",
                              "               "};
  return v;
}

void FillUmaExRecord(std::string& ex, std::string_view se, std::string_view ra,
                     const ExHorseValues& horse, const ExSaleValues& sale,
                     const ExJockeyValues& jockey) {
  ex.assign(kUmaExLength, '\0');
  CopyRuns(ex, se, kFromEntry, std::size(kFromEntry));
  CopyRuns(ex, ra, kFromRace, std::size(kFromRace));
  PutField(ex, 40, 2, horse.foal_order);
  PutField(ex, 43, 6, sale.code);
  PutField(ex, 49, 40, sale.host);
  PutField(ex, 89, 80, sale.name);
  PutField(ex, 169, 8, sale.start_date);
  PutField(ex, 177, 8, sale.end_date);
  PutField(ex, 185, 1, sale.age);
  PutField(ex, 186, 10, sale.price);
  // The dates of 8 characters fill their year, month and day parts (4 + 2 + 2).
  PutField(ex, 196, 8, horse.birth_date);
  PutField(ex, 204, 20, horse.invitation);
  PutField(ex, 224, 8, horse.breeder);
  PutField(ex, 232, 20, horse.birthplace);
  PutField(ex, 252, 10, horse.sire);
  PutField(ex, 286, 10, horse.dam);
  for (const Slice& s : kBlank) PutField(ex, s.offset, s.length, {});
  PutField(ex, 618, 8, jockey.birth_date);
  PutField(ex, 626, 1, jockey.sex);
  PutField(ex, 627, 20, jockey.invitation);
  PutField(ex, 647, 1, jockey.qualification);
}

}  // namespace volq
