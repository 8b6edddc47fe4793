#include <algorithm>

#include "build/factors/factor_frame.h"
#include "platform/fs/file_failure.h"

namespace volq {

// Factors scored with the category-weight models: how far the previous valid
// run's real speed lay from the model's prediction for it, in whole km/h,
// moved up by 10; outside 0 to 15 the code is 10.

namespace {

// Which total a deviation reads: turf 0 to 22, dirt 23 to 49, steeplechase
// otherwise; wider than the model course type of the score sums.
int TotalCourseType(int32_t t) {
  if (t >= 0 && t <= 22) return kTurf;
  if (t >= 23 && t <= 49) return kDirt;
  return kSteeple;
}

// The twins of factors 17 and 29: the score sum, its totals and the speed
// routine of one model.
std::string Deviation(FactorFrame& f, void (FactorFrame::*score_sum)(),
                      std::array<float, 3> FactorFrame::*totals,
                      std::string (FactorFrame::*speed)()) {
  f.ReadEx(f.r);
  std::string code = "10";
  if (f.r != 1) {
    f.ReadEx(f.PreviousValidRun());
    f.ModelIndexTable.fill(0);
    const int32_t t = Integer(f.TrackCode());
    f.ItemCategoryIndexAll();
    (f.*score_sum)();
    const int16_t prediction = Floor<int16_t>((f.*totals)[TotalCourseType(t)]);
    // The speed's whole km/h, when it is under 100 km/h.
    const int32_t s = Integer((f.*speed)().substr(0, 2));
    const int16_t d = Whole<int16_t>(static_cast<double>(s) - prediction + 10);
    if (d >= 0 && d <= 15) code = Decimal(d);
  }
  f.ReadEx(f.r);
  return code;
}

}  // namespace

std::string FactorFrame::Factor17PaceDeviation() {
  return Deviation(*this, &FactorFrame::ScoreSumC, &FactorFrame::PaceTotals,
                   &FactorFrame::PaceSpeed);
}

std::string FactorFrame::Factor29AgariDeviation() {
  return Deviation(*this, &FactorFrame::ScoreSumA, &FactorFrame::AgariTotals,
                   &FactorFrame::AgariSpeed);
}

void FactorFrame::ItemCategoryIndexAll() {
  for (int k = 1; k <= kFactorCount; ++k) {
    LookupKey = std::string(Item(FactorField(k)));
    LookupColumn = k;
    ModelIndexTable[k] = static_cast<int16_t>(ModelCategoryIndexOf());
  }
}

int32_t FactorFrame::ModelCategoryIndexOf() {
  const CategoryModel& m = Models[ModelCourseType(Integer(TrackCode()))];
  const int k = LookupColumn;
  if (k < 0 || k > kFactorCount) FailIndex("model column " + std::to_string(k));
  // Positions past the loaded list hold empty texts, which no field equals.
  const std::vector<std::string>& list = m.list[k];
  const int32_t n = std::min<int32_t>(m.count[k], static_cast<int32_t>(list.size()) - 1);
  if (!m.first[k].empty()) {
    auto hit = m.first[k].find(LookupKey);
    if (hit == m.first[k].end()) return 0;
    if (hit->second <= n && list[static_cast<size_t>(hit->second)] == LookupKey) return hit->second;
  }
  for (int32_t j = 1; j <= n; ++j) {
    if (list[static_cast<size_t>(j)] == LookupKey) return j;
  }
  return 0;
}

void FactorFrame::ScoreSumA() { ScoreSumOf(&CategoryModel::agari, AgariTotals); }

void FactorFrame::ScoreSumC() { ScoreSumOf(&CategoryModel::pace, PaceTotals); }

// Adds the weights of the indexed categories into the total of the record's
// model course type; the other totals stay 0.
void FactorFrame::ScoreSumOf(
    std::array<std::vector<float>, kFactorCount + 1> CategoryModel::*weights,
    std::array<float, 3>& totals) {
  totals.fill(0.0f);
  const int course = ModelCourseType(Integer(TrackCode()));
  const auto& table = Models[course].*weights;
  for (int k = 1; k <= kFactorCount; ++k) {
    // The weight tables run to 6000; positions not loaded weigh 0.
    const int16_t j = ModelIndexTable[k];
    if (j < 0 || j > 6000) FailIndex("model category " + std::to_string(j));
    if (static_cast<size_t>(j) < table[k].size())
      totals[course] += table[k][static_cast<size_t>(j)];
  }
}

}  // namespace volq
