#include "build/records/female_line.h"

#include <gtest/gtest.h>

#include <random>

#include "build/records/test_support.h"
#include "common/record_layout.h"

namespace volq {
namespace {

using Table = std::vector<std::array<std::array<std::string, kFemaleLineValues>, 13>>;

// The table as the passes fill it when every row keeps its 13 x 6 texts and
// each dam is looked for by scanning all rows from the first.
Table ScannedTable(const std::vector<std::string>& mares) {
  const RecordLayout& l = BreedingHorseLayout();
  const char* fields[] = {"breeding_number", "horse_name",           "birth_year",
                          "birthplace",      "sire_breeding_number", "dam_breeding_number"};
  Table t(mares.size() + 1);
  for (size_t r = 1; r <= mares.size(); ++r) {
    for (int k = 0; k < kFemaleLineValues; ++k) {
      const Field& f = l.field(fields[k]);
      t[r][0][k] = mares[r - 1].substr(static_cast<size_t>(f.offset), static_cast<size_t>(f.width));
    }
    t[r][1][0] = t[r][0][5];
  }
  for (int g = 1; g <= kFemaleLinePasses; ++g) {
    for (size_t r = 1; r < t.size(); ++r) {
      if (t[r][g][0].empty()) continue;
      for (size_t j = 1; j < t.size(); ++j) {
        if (t[j][0][0] != t[r][g][0]) continue;
        for (int k = 1; k < kFemaleLineValues; ++k) t[r][g][k] = t[j][0][k];
        t[r][g + 1][0] = t[j][1][0];
        break;
      }
    }
  }
  return t;
}

TEST(FemaleLineTable, SameAsScanningEveryRow) {
  // Mares whose dams are drawn from a small pool of numbers: other mares,
  // numbers no mare has, ten zeros; so lines of every length and shared dams.
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    const int n = 1 + static_cast<int>(rng() % 60);
    auto number = [](unsigned v) {
      // Room for any unsigned: the numbers drawn stay below 100000, so ten digits.
      char buf[16];
      std::snprintf(buf, sizeof buf, "50000%05u", v);
      return std::string(buf);
    };
    std::vector<std::string> mares;
    FemaleLineTable table;
    for (int i = 0; i < n; ++i) {
      const unsigned pick = rng() % 100;
      std::string dam = pick < 8 ? "0000000000" : number(pick < 80 ? rng() % n : 900 + pick);
      std::string rec =
          testing::StepTest::Rec(kBreedingHorseLength, {{11, number(static_cast<unsigned>(i))},
                                                        {40, "N" + std::to_string(rng() % 1000)},
                                                        {196, std::to_string(1990 + i)},
                                                        {200, "2"},
                                                        {209, "P" + std::to_string(i)},
                                                        {229, number(700 + i)},
                                                        {239, dam}});
      mares.push_back(rec);
      table.AddMare(rec);
    }
    table.RunPasses();
    const Table want = ScannedTable(mares);
    ASSERT_EQ(table.rows(), n);
    for (int r = 1; r <= n; ++r)
      for (int g = 0; g < kFemaleLineGenerations; ++g)
        for (int k = 0; k < kFemaleLineValues; ++k)
          ASSERT_EQ(table.Value(r, g, k), want[r][g][k])
              << round << " " << r << " " << g << " " << k;
  }
}

}  // namespace
}  // namespace volq
