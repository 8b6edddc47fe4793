#include "platform/fs/number_text.h"

#include <cstdlib>
#include <string>

namespace volq {

namespace {

size_t DigitsFrom(std::string_view s, size_t i) {
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
  return i;
}

}  // namespace

bool ScanNumber(std::string_view t, NumberText& out) {
  size_t b = 0, e = t.size();
  while (b < e && IsBlank(t[b])) ++b;
  while (e > b && IsBlank(t[e - 1])) --e;
  const std::string_view s = t.substr(b, e - b);
  NumberText n;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) n.negative = s[i++] == '-';
  const size_t start = i;
  i = DigitsFrom(s, i);
  n.whole = s.substr(start, i - start);
  if (i < s.size() && s[i] == '.') {
    n.point = true;
    const size_t from = ++i;
    i = DigitsFrom(s, i);
    n.fraction = s.substr(from, i - from);
  }
  if (i != s.size() || (n.whole.empty() && n.fraction.empty())) return false;
  n.digits = s.substr(start);
  out = n;
  return true;
}

double ValueOf(const NumberText& n) {
  double v;
  if (n.fraction.empty() && n.whole.size() <= 15) {
    // Most record fields are short whole numbers: summed exactly (below 2^53),
    // the same double strtod gives, without building a string.
    int64_t w = 0;
    for (char c : n.whole) w = w * 10 + (c - '0');
    v = static_cast<double>(w);
  } else {
    v = std::strtod(std::string(n.digits).c_str(), nullptr);
  }
  return n.negative ? -v : v;
}

}  // namespace volq
