#include "build/entities/parent_summary.h"

#include <gtest/gtest.h>

namespace volq {
namespace {

// Totals with the six values of some lines set.
SankuValues Totals(std::initializer_list<std::pair<int, std::array<int64_t, 6>>> lines) {
  SankuValues t{};
  for (const auto& [line, six] : lines) {
    for (int j = 0; j < 6; ++j) t[static_cast<size_t>(6 * (line - 1) + j)] = six[j];
  }
  return t;
}

std::string Rep(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(ParentSummary, ParentWithoutStartsOrEarnings) {
  std::string rec = MareStallionRecord("1100012345", SankuValues{});
  EXPECT_EQ(rec, "1100012345" + Rep("000000", 6) + Rep("000000000", 4) + Rep("000000", 52) +
                     "0000  \r\n");
  EXPECT_EQ(rec.size(), static_cast<size_t>(kMareStallionLength));
}

TEST(ParentSummary, FieldsAtTheirOffsets) {
  const struct {
    SankuValues totals;
    int offset, length;
    const char* text;
  } cases[] = {
      {Totals({{27, {3, 2, 1, 1, 0, 3}}}), 10, 6, "060000"},
      {Totals({{27, {3, 2, 1, 1, 0, 3}}}), 232, 6, "050000"},
      {Totals({{27, {3, 2, 1, 1, 0, 3}}}), 16, 6, "000000"},  // no central starts
      {Totals({{27, {3, 2, 1, 1, 0, 3}}}), 238, 6, "000000"},
      {Totals({{27, {3, 2, 1, 1, 0, 3}}}), 34, 6, "000000"},
      {Totals({{28, {1, 1, 0, 0, 0, 2}}}), 34, 6, "000004"},
      {Totals({{28, {1, 1, 0, 0, 0, 2}}}), 238, 6, "050000"},
      {Totals({{7, {1, 0, 0, 0, 0, 1}}}), 40, 6, "000002"},
      {Totals({{7, {1, 0, 0, 0, 0, 1}}}), 118, 6, "050000"},
      {Totals({{7, {1, 0, 0, 0, 0, 1}}}), 280, 6, "050000"},
      {Totals({{3, {1, 0, 2, 4, 0, 5}}}), 94, 6, "025000"},
      {Totals({{3, {1, 0, 2, 4, 0, 5}}}), 256, 6, "008333"},
      {Totals({{1, {1, 1, 1, 0, 0, 1}}}), 82, 6, "075000"},
      {Totals({{25, {1, 0, 0, 0, 0, 3}}}), 226, 6, "025000"},
      {Totals({{25, {1, 1, 0, 0, 0, 2}}}), 388, 6, "050000"},
      {Totals({{26, {0, 0, 0, 0, 12345678, 0}}}), 46, 9, "012345678"},
      {Totals({{26, {0, 0, 0, 0, 0, 77}}}), 55, 9, "000000077"},
      {Totals({{29, {0, 0, 2, 0, 5, 6}}}), 22, 6, "000002"},
      {Totals({{29, {0, 0, 2, 0, 5, 6}}}), 28, 6, "000000"},
      {Totals({{29, {0, 0, 2, 0, 5, 6}}}), 64, 9, "000000005"},
      {Totals({{29, {0, 0, 2, 0, 5, 6}}}), 73, 9, "000000006"},
      {Totals({{26, {2, 1, 5, 4, 0, 0}}}), 394, 6, "1300  "},
      {Totals({{26, {0, 1, 9, 0, 0, 0}}}), 394, 6, "1400  "},
      {Totals({{26, {3, 4, 1, 1, 0, 0}}}), 394, 6, "1000  "},
      {Totals({{26, {0, 0, 3, 1, 0, 0}}}), 394, 6, "0000  "},
  };
  for (const auto& c : cases) {
    std::vector<std::string> beyond;
    std::string rec = MareStallionRecord("1100012345", c.totals, &beyond);
    ASSERT_EQ(rec.size(), static_cast<size_t>(kMareStallionLength));
    EXPECT_EQ(rec.substr(c.offset, c.length), c.text) << c.offset;
    EXPECT_EQ(rec.substr(400), "\r\n");
    EXPECT_TRUE(beyond.empty());
  }
}

TEST(ParentSummary, TotalsTooLargeForTheirFieldsAreNinesAndSaid) {
  // A leading sire's earnings pass 999,999,999 and 32 bits.
  SankuValues t =
      Totals({{26, {0, 0, 0, 0, 999999999, 0}}, {29, {0, 0, 1000000, 0, 4999999995, 0}}});
  std::vector<std::string> beyond;
  std::string rec = MareStallionRecord("1200000001", t, &beyond);
  EXPECT_EQ(rec.substr(22, 6), "999999");
  EXPECT_EQ(rec.substr(46, 9), "999999999");  // fits exactly: not reported
  EXPECT_EQ(rec.substr(64, 9), "999999999");
  EXPECT_EQ(beyond, (std::vector<std::string>{"offset 22: 1000000", "offset 64: 4999999995"}));
}

TEST(ParentSummary, KeyIsPaddedToTenCharacters) {
  EXPECT_EQ(MareStallionRecord("12345", SankuValues{}).substr(0, 11), "12345     0");
}

}  // namespace
}  // namespace volq
