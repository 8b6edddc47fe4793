#pragma once
// The extended record (`UmaExRecord`, 1341 bytes) of one race entry of one
// horse: the entry's own fields joined with its race, the horse, its jockey,
// its market sale and its place among its dam's foals. Every field is a
// fixed-width byte text; a value is left-justified, blank-padded and cut.
#include <string>
#include <string_view>

#include "common/derived_layout.h"

namespace volq {

// The horse's values (from the horse NEW file); all blank for a horse that
// is not in it.
struct ExHorseValues {
  std::string_view birth_date;  // UM 38:8, year month day
  std::string_view breeder;     // UM 882:8
  std::string_view birthplace;  // UM 962:20
  std::string_view invitation;  // UM 862:20
  std::string_view foal_order;  // two digits, or empty when the dam's file could not be read
  std::string_view sire;        // UM 204:10
  std::string_view dam;         // UM 250:10
};

// The horse's market sale (the last sale line of the horse).
struct ExSaleValues {
  std::string_view code, host, name, start_date, end_date, age, price;
};
// What the sale fields hold for a horse that was never offered at a sale.
const ExSaleValues& NoSaleValues();

// The jockey's values (from the jockey NEW file); all blank when the race or
// the jockey is not in the tables.
struct ExJockeyValues {
  std::string_view birth_date;     // KS 33:8
  std::string_view invitation;     // KS 231:20
  std::string_view sex;            // KS 227:1
  std::string_view qualification;  // KS 228:1
};

// Fills `ex` (resized to kUmaExLength) from race-entry record `se`, the race
// record `ra` (empty when the race is not in the race NEW file: the race
// fields are then blank) and the values above. Bytes 320-353 and 526 are
// never assigned: they hold NUL bytes.
void FillUmaExRecord(std::string& ex, std::string_view se, std::string_view ra,
                     const ExHorseValues& horse, const ExSaleValues& sale,
                     const ExJockeyValues& jockey);

}  // namespace volq
