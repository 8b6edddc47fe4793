#include "build/records/text_fields.h"

#include <cmath>
#include <cstdio>

namespace volq {

static void Flag(bool* clamped) {
  if (clamped) *clamped = true;
}

static std::string Digits(int64_t v, int width) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(v));
  return buf;
}

std::string RateField6(int64_t part, int64_t total, bool* clamped) {
  if (total == 0) return "000000";
  if (part < 0 || total < 0) {
    Flag(clamped);
    return "000000";
  }
  if (part > total) {
    Flag(clamped);
    return "100000";
  }
  float q = static_cast<float>(static_cast<double>(part) / static_cast<double>(total));
  double scaled = std::floor(static_cast<double>(q) * 100000.0);
  float shifted = static_cast<float>(scaled + 1000000.0);
  return Digits(static_cast<int64_t>(shifted), 7).substr(1);
}

std::string CountField6(int64_t count, bool* clamped) {
  if (count < 0) {
    Flag(clamped);
    return "000000";
  }
  if (count > 999999) {
    Flag(clamped);
    return "999999";
  }
  return Digits(count, 6);
}

std::string MoneyField9(int64_t sum, bool* clamped) {
  if (sum < 0) {
    Flag(clamped);
    return "000000000";
  }
  if (sum > 999999999) {
    Flag(clamped);
    return "999999999";
  }
  return Digits(sum, 9);
}

}  // namespace volq
