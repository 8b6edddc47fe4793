#pragma once
// Fixture text shared by the tests of the per-entity steps.
#include <string>
#include <vector>

namespace volq::testing {

// A key list: one quoted item per line.
inline std::string ListText(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += "\"" + item + "\"\r\n";
  return text;
}

}  // namespace volq::testing
