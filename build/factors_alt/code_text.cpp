#include "build/factors_alt/code_text.h"

#include <cmath>
#include <cstdlib>

#include "build/factors/factor_frame.h"
#include "platform/fs/failure.h"

namespace volq {

double Number(std::string_view t) {
  size_t b = 0, e = t.size();
  while (b < e && t[b] == ' ') ++b;
  while (e > b && t[e - 1] == ' ') --e;
  std::string s(t.substr(b, e - b));
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (i != s.size() || digits == 0) FailConversion("not a number", t);
  return std::strtod(s.c_str(), nullptr);
}

int16_t Integer16(std::string_view t) {
  int32_t v = Integer(t);
  if (v > 32767 || v < -32768) FailOverflow("beyond 16 bits: '" + std::string(t) + "'");
  return static_cast<int16_t>(v);
}

int64_t ThousandOverOdds(std::string_view odds) {
  return Floor(Quotient(1000.0f, static_cast<float>(Number(odds))));
}

int64_t DecimalOrder(double x) {
  if (!(x > 0)) FailConversion("logarithm of " + std::to_string(x));
  return Floor(std::log(x) / std::log(10.0));
}

}  // namespace volq
