#include <string_view>
#include <vector>

#include "build/factors_alt/alternative_factors.h"
#include "platform/fs/failure.h"

namespace volq {

namespace {

// Rows of the dam-line table the window holds at most.
constexpr int32_t kFemaleLineRowBound = 150000;
// Highest category position of a model column.
constexpr int32_t kCategoryBound = 6000;

// Sums one weight per factor column, at the column's category index, into the
// total of the buffer record's model course type; the other totals become 0.
void SumModelWeights(FormCATEGORYSETUP2024ZZ& w,
                     std::array<std::vector<float>, kFactorCount + 1> CategoryModel::*weights,
                     std::array<float, 3>& totals) {
  totals = {0.0f, 0.0f, 0.0f};
  int s = ModelCourseType(Integer(w.Ex(775, 2)));
  const auto& columns = w.Models[static_cast<size_t>(s)].*weights;
  for (int k = 1; k <= kFactorCount; ++k) {
    int32_t j = w.ModelIndexTable[static_cast<size_t>(k)];
    if (j < 0 || j > kCategoryBound) {
      FailIndex("category index " + std::to_string(j) + " of factor column " + std::to_string(k));
    }
    const std::vector<float>& column = columns[static_cast<size_t>(k)];
    // Positions past the model's list were never given a weight: they weigh 0.
    float weight = static_cast<size_t>(j) < column.size() ? column[static_cast<size_t>(j)] : 0.0f;
    totals[static_cast<size_t>(s)] += weight;
  }
}

}  // namespace

std::string AlternativeFactors::FlTableValue() {
  // The key is the sire's sire in the buffer record; every matching mare row
  // is looked at, so the last one that yields a number wins.
  std::string_view key = w.Ex(422, 10);
  std::string result;
  for (int32_t i = 1; i <= w.FemaleLineRowCount; ++i) {
    if (i > kFemaleLineRowBound || static_cast<size_t>(i) >= w.FemaleLineTable.size()) {
      FailIndex("dam-line row " + std::to_string(i));
    }
    const FemaleLineRow& row = w.FemaleLineTable[static_cast<size_t>(i)];
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

void AlternativeFactors::ScoreSumB() { SumModelWeights(w, &CategoryModel::soha, w.SohaTotals); }

void AlternativeFactors::ScoreSumC2() { SumModelWeights(w, &CategoryModel::pace, w.PaceTotals); }

}  // namespace volq
