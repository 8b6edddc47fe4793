#pragma once
// Small text helpers of the alternative factor routines: their codes are
// built from fixed-width fields compared as texts, byte by byte.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "build/factors/factor_frame.h"

namespace volq {

// lo <= t <= hi as texts (a shorter text that begins a longer one is the
// smaller), as the routines test a field against a band like "00".."22".
inline bool InRange(std::string_view t, std::string_view lo, std::string_view hi) {
  return lo <= t && t <= hi;
}

// A band of texts lo..hi (lo == hi for a single text) and its code.
struct TextBand {
  std::string_view lo, hi, code;
};
// The code of the first band holding t, or `otherwise` when none does.
inline std::string_view BandOf(std::string_view t, std::span<const TextBand> bands,
                               std::string_view otherwise) {
  for (const TextBand& b : bands) {
    if (InRange(t, b.lo, b.hi)) return b.code;
  }
  return otherwise;
}

// The parts one after the other.
inline std::string Join(std::initializer_list<std::string_view> parts) {
  std::string s;
  for (std::string_view p : parts) s.append(p);
  return s;
}

// t equals one of the texts.
inline bool IsOneOf(std::string_view t, std::initializer_list<std::string_view> texts) {
  for (std::string_view x : texts) {
    if (t == x) return true;
  }
  return false;
}

// t read as a number: blanks around it allowed, a sign, digits and a
// fraction. Anything else (an empty or blank text, letters) raises a
// conversion Failure.
double Number(std::string_view t);
// floor(1000 / odds) of a win odds text in tenths, the odds read as a
// single-precision number: ten times the chance in percent. Odds worth 0
// (" 000", "-000") fail as a division by zero; odds that are not a number
// raise a conversion Failure.
int64_t ThousandOverOdds(std::string_view odds);
// floor(ln x / ln 10) in double: the number of digits of x less one, though
// an exact power of ten can fall one short (1000 gives 2). x must be above 0,
// else a conversion Failure.
int64_t DecimalOrder(double x);

}  // namespace volq
