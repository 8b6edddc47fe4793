#pragma once
// The fixed-width decimal texts of every results tally. Later readers take
// the numeric value of these fields, so every writer must produce exactly
// these bytes.
//
// Beyond their ranges (a part above its total or negative, a count of a
// million or more, a money sum of a thousand million or more, anything
// negative) the texts are held at their nearest end ("000000"/"100000",
// "999999", "999999999", zeros for negatives) instead of wrapping into a
// wrong number, and *clamped (when given) is set so the writer can report it.
#include <cstdint>
#include <string>

namespace volq {

// Proportion part/total times 100000, rounded down after the quotient is
// rounded to single precision: 7 of 10 is "069999". A total of 0 is "000000".
std::string RateField6(int64_t part, int64_t total, bool* clamped = nullptr);
// Count as six digits with leading zeros.
std::string CountField6(int64_t count, bool* clamped = nullptr);
// Money sum as nine digits with leading zeros.
std::string MoneyField9(int64_t sum, bool* clamped = nullptr);

}  // namespace volq
