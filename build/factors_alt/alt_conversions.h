#pragma once
// Conversions of the alternative factor routines beside those of the frame
// (factor_frame.h).
#include <cstdint>
#include <string>
#include <string_view>

namespace volq {

// t read as a number: blanks around it allowed, a sign, digits and a
// fraction. Anything else (an empty or blank text, letters) raises a
// conversion Failure.
double Number(std::string_view t);
// Integer(t) held to the signed 16-bit range; beyond it an overflow Failure.
int16_t Integer16(std::string_view t);
// The last n characters of t, or all of t when it is shorter.
std::string Last(std::string_view t, size_t n);

}  // namespace volq
