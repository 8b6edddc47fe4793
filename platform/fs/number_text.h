#pragma once
// Numbers written as text in record fields and lists: one definition of a
// blank and one strict reading of a number, which the whole-number, decimal
// and list readers all take their results from.
#include <cstdint>
#include <string_view>

namespace volq {

// The bytes that may stand around a number: space, tab, CR and LF.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A text read strictly as a number: blanks around it, an optional sign,
// digits, and an optional point followed by more digits ("12", " -3.5",
// "7.", ".25"). The parts are views into the text.
struct NumberText {
  bool negative = false;
  bool point = false;         // a decimal point was written
  std::string_view whole;     // digits before the point
  std::string_view fraction;  // digits after it
  std::string_view digits;    // whole, point and fraction as written
};

// Reads t as a number; false when it is none (an empty or blank text, no
// digit at all, letters, a second sign or point).
bool ScanNumber(std::string_view t, NumberText& out);
// The value of a number read by ScanNumber, in double precision.
double ValueOf(const NumberText& n);

}  // namespace volq
