#include "build/factors_alt/code_text.h"

#include <cmath>
#include <cstdlib>

#include "build/factors/factor_frame.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/number_text.h"

namespace volq {

double Number(std::string_view t) {
  NumberText n;
  if (!ScanNumber(t, n)) FailConversion("not a number", t);
  return ValueOf(n);
}

int64_t ThousandOverOdds(std::string_view odds) {
  return Floor(Quotient(1000.0f, static_cast<float>(Number(odds))));
}

int64_t DecimalOrder(double x) {
  if (!(x > 0)) FailConversion("logarithm of " + std::to_string(x));
  return Floor(std::log(x) / std::log(10.0));
}

}  // namespace volq
