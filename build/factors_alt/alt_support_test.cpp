#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "build/factors_alt/alternative_factors.h"
#include "platform/fs/file_failure.h"

namespace volq {
namespace {

class AltSupportTest : public testing::FactorTest {};

constexpr char kSireSire[] = "1000123456";

// The texts the rows below point into, as a loaded table's point into its list.
std::string_view Kept(std::string text) {
  static std::deque<std::string> texts;
  return texts.emplace_back(std::move(text));
}

// A mare row keyed by number whose generations 1 .. unnamed-1 have names;
// generation `unnamed` (13: none) has no name and the breeding number found.
FemaleLineRow Mare(const std::string& number, int unnamed, const std::string& found) {
  FemaleLineRow row;
  row[0][0] = Kept(number);
  row[0][1] = "mare";
  for (int g = 1; g <= 12; ++g) {
    row[g][0] = Kept("20000000" + std::to_string(g % 10) + "0");
    row[g][1] = g < unnamed ? "dam" : "";
  }
  if (unnamed <= 12) row[unnamed][0] = Kept(found);
  return row;
}

TEST_F(AltSupportTest, FlTableValueTakesTheLastMatchingRowThatNamesANumber) {
  AlternativeFactors alt(f());
  struct Case {
    const char* what;
    std::vector<FemaleLineRow> rows;
    const char* expected;
  } cases[] = {
      {"no row holds the key", {Mare("1000999999", 3, "3000000001")}, "00000000"},
      {"first unnamed generation", {Mare(kSireSire, 4, "3000000001")}, "3000000001"},
      {"a later row replaces",
       {Mare(kSireSire, 3, "3000000001"), Mare(kSireSire, 7, "3000000002")},
       "3000000002"},
      {"a row with all twelve named leaves the result",
       {Mare(kSireSire, 3, "3000000001"), Mare(kSireSire, 13, "")},
       "3000000001"},
      {"an empty number found becomes zeros",
       {Mare(kSireSire, 3, "3000000001"), Mare(kSireSire, 2, "")},
       "00000000"},
  };
  // The routine reads the buffer as it stands: no EX file is open.
  f().ExRecord = Ex({{422, kSireSire}});
  for (const auto& c : cases) {
    f().FemaleLineTable.assign(1, FemaleLineRow{});
    f().FemaleLineTable.insert(f().FemaleLineTable.end(), c.rows.begin(), c.rows.end());
    EXPECT_EQ(alt.FlTableValue(), c.expected) << c.what;
  }
  // The row count follows the table: a row added is looked at.
  f().FemaleLineTable.push_back(Mare(kSireSire, 5, "3000000009"));
  EXPECT_EQ(f().FemaleLineRowCount(), 3);
  EXPECT_EQ(alt.FlTableValue(), "3000000009");
}

// Every column's weights: position j weighs base + j.
void FillWeights(std::array<std::vector<float>, kFactorCount + 1>& columns, float base) {
  for (int k = 1; k <= kFactorCount; ++k) columns[k] = {0.0f, base + 1, base + 2};
}

TEST_F(AltSupportTest, ScoreSumsAddTheModelOfTheBufferRecordsCourseType) {
  AlternativeFactors alt(f());
  for (int s : {kTurf, kDirt, kSteeple}) {
    FillWeights(f().Models[s].soha, 10.0f * (s + 1));
    FillWeights(f().Models[s].pace, 100.0f * (s + 1));
  }
  // Columns 1..10 at position 1, 11..20 at 2, 21..29 at 0; column 30 past
  // the list, where nothing was weighed.
  for (int k = 1; k <= kFactorCount; ++k)
    f().ModelIndexTable[k] = static_cast<int16_t>(k <= 10 ? 1 : k <= 20 ? 2 : 0);
  f().ModelIndexTable[30] = 5;
  auto sum = [](float base) { return 10 * (base + 1) + 10 * (base + 2); };
  struct Case {
    const char* track;
    int course;
  } cases[] = {{"00", kTurf},    {"22", kTurf},    {"23", kDirt},   {"24", kDirt},
               {"25", kSteeple}, {"51", kSteeple}, {"-1", kSteeple}};
  for (const auto& c : cases) {
    f().ExRecord = Ex({{775, c.track}});
    f().SohaTotals = {7, 7, 7};
    f().PaceTotals = {7, 7, 7};
    alt.ScoreSumB();
    for (int s : {kTurf, kDirt, kSteeple}) {
      EXPECT_FLOAT_EQ(f().SohaTotals[s], s == c.course ? sum(10.0f * (s + 1)) : 0.0f)
          << c.track << " " << s;
    }
    EXPECT_FLOAT_EQ(f().PaceTotals[c.course], 7) << "the whole-race sum leaves the pace totals";
    alt.ScoreSumC2();
    for (int s : {kTurf, kDirt, kSteeple}) {
      EXPECT_FLOAT_EQ(f().PaceTotals[s], s == c.course ? sum(100.0f * (s + 1)) : 0.0f)
          << c.track << " " << s;
    }
  }
  f().ExRecord = Ex({{775, "  "}});
  EXPECT_THROW(alt.ScoreSumB(), Failure);
  f().ExRecord = Ex({{775, "17"}});
  f().ModelIndexTable[4] = 6001;
  EXPECT_THROW(alt.ScoreSumB(), Failure);
  EXPECT_THROW(alt.ScoreSumC2(), Failure);
  f().ModelIndexTable[4] = -1;
  EXPECT_THROW(alt.ScoreSumB(), Failure);
}

}  // namespace
}  // namespace volq
