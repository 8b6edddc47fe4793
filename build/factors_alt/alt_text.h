#pragma once
// Small text helpers of the alternative factor routines, whose codes are
// joined from EX fields and fixed characters.
#include <initializer_list>
#include <string>
#include <string_view>

namespace volq {

// lo <= t <= hi, compared as texts (byte order), as track-code ranges are.
inline bool Between(std::string_view t, std::string_view lo, std::string_view hi) {
  return lo <= t && t <= hi;
}

// The parts one after the other.
inline std::string Join(std::initializer_list<std::string_view> parts) {
  std::string s;
  for (std::string_view p : parts) s.append(p);
  return s;
}

// The last n characters of s (all of it when shorter).
inline std::string Right(const std::string& s, size_t n) {
  return s.size() > n ? s.substr(s.size() - n) : s;
}

}  // namespace volq
