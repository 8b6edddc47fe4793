#include <string_view>
#include <vector>

#include "build/factors_alt/alternative_factors.h"
#include "platform/fs/file_failure.h"

namespace volq {

namespace {

// Rows of the dam-line table the window holds at most.
constexpr int32_t kFemaleLineRowBound = 150000;

}  // namespace

std::string AlternativeFactors::FlTableValue() {
  // The key is the sire's sire in the buffer record; every matching mare row
  // is looked at, so the last one that yields a number wins.
  std::string_view key = f.Ex("pedigree[5].breeding_number");
  std::string result;
  for (int32_t i = 1; i <= f.FemaleLineRowCount(); ++i) {
    if (i > kFemaleLineRowBound) FailIndex("dam-line row " + std::to_string(i));
    const FemaleLineRow& row = f.FemaleLineTable[static_cast<size_t>(i)];
    if (row[0][0] != key) continue;
    for (int g = 1; g <= 12; ++g) {
      if (row[static_cast<size_t>(g)][1].empty()) {
        result = row[static_cast<size_t>(g)][0];
        break;
      }
    }
  }
  return result.empty() ? "00000000" : result;
}

// The whole-race twin of the agari and pace sums; nothing reads its totals.
void AlternativeFactors::ScoreSumB() { f.ScoreSumOf(&CategoryModel::soha, f.SohaTotals); }

void AlternativeFactors::ScoreSumC2() { f.ScoreSumC(); }

}  // namespace volq
