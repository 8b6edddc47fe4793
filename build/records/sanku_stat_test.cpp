#include "build/records/sanku_stat.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "build/records/horse_test_support.h"
#include "build/records/text_fields.h"

namespace volq {
namespace {

using testing::HorseRec;

std::string Rep(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// One horse with something in most blocks.
HorseRec Sample() {
  HorseRec h("2015104321");
  h.Counts("overall", {1, 0, 1, 0, 0, 2})
      .Counts("central", {1, 0, 1, 0, 0, 1})
      .Counts("course[0]", {1, 0, 0, 0, 0, 3})
      .Counts("course[1]", {1, 2, 0, 0, 0, 0})
      .Counts("course[2]", {1, 0, 0, 0, 0, 2})
      .Counts("course[6]", {0, 1, 0, 0, 0, 1})
      .Counts("going[0]", {0, 0, 3, 0, 0, 7})
      .Counts("going[11]", {3, 2, 2, 0, 0, 3})
      .Counts("distance[5]", {1, 0, 0, 0, 0, 6})
      .Style(2, 1, 3, 4)
      .Prize(0, 12345)
      .Prize(4, 4567890);
  return h;
}

TEST(SankuStat, BlockLinesAndTheirNumbers) {
  const std::string zero = "\"000\",\"000\",\"000\",\"000\",\"000\",\"000\"\r\n";
  std::string expected;
  expected += "\"001\",\"000\",\"000\",\"000\",\"000\",\"003\"\r\n";  // 1 turf straight
  expected += "\"001\",\"002\",\"000\",\"000\",\"000\",\"000\"\r\n";
  expected += "\"001\",\"000\",\"000\",\"000\",\"000\",\"002\"\r\n";
  expected += Rep(zero, 3);
  expected += "\"000\",\"001\",\"000\",\"000\",\"000\",\"001\"\r\n";  // 7 jump
  expected += "\"000\",\"000\",\"003\",\"000\",\"000\",\"007\"\r\n";  // 8 turf good
  expected += Rep(zero, 10);
  expected += "\"003\",\"002\",\"002\",\"000\",\"000\",\"003\"\r\n";  // 19 jump bad
  expected += Rep(zero, 5);
  expected += "\"001\",\"000\",\"000\",\"000\",\"000\",\"006\"\r\n";  // 25 dirt over 2200
  expected += "\"002\",\"001\",\"003\",\"004\",\"000012345\",\"000000000\"\r\n";
  expected += "\"001\",\"000\",\"001\",\"000\",\"000\",\"002\"\r\n";  // 27 overall
  expected += "\"001\",\"000\",\"001\",\"000\",\"000\",\"001\"\r\n";  // 28 central
  expected += "\"000\",\"000\",\"001\",\"000\",\"004567890\",\"000000000\"\r\n";

  SankuStat st = SankuStatBlock(Sample().bytes());
  EXPECT_EQ(st.text, expected);
  const struct {
    int k;
    int64_t value;
  } values[] = {{1, 1},   {6, 3},   {8, 2},       {42, 1},       {45, 3},  {150, 6},
                {151, 2}, {154, 4}, {155, 12345}, {156, 0},      {157, 1}, {162, 2},
                {169, 0}, {171, 1}, {172, 0},     {173, 4567890}};
  for (const auto& v : values) EXPECT_EQ(ValueAt(st.values, v.k), v.value) << v.k;

  // The number file: one bare number a line; the prize without its zeros.
  std::string numbers = SankuNumberText(st.values);
  EXPECT_EQ(numbers.substr(0, 9), "1\r\n0\r\n0\r\n");
  EXPECT_NE(numbers.find("\r\n2\r\n1\r\n3\r\n4\r\n12345\r\n0\r\n1\r\n"), std::string::npos);
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), '\n'), kSankuValues);
}

// The block and the record of a horse record filled by byte offset alone, so
// a slip in the horse record's field table shows here: every 3-character
// field from 1106 on holds its own offset, every prize total its offset too.
TEST(SankuStat, ItemsComeFromTheirRecordOffsets) {
  std::string rec(kHorseLength, ' ');
  rec.replace(11, 10, "2014106543");
  auto put = [&](int offset, int width) {
    rec.replace(offset, width, HorseRec::Digits(offset % 1000, width));
  };
  for (int o = 1052; o < 1106; o += 9) put(o, 9);
  for (int o = 1106; o < 1607; o += 3) put(o, 3);
  rec.replace(1088, 9, "000000000");  // no flat earnings: its flag is "000"
  auto q = [&](int offset, int width) { return "\"" + rec.substr(offset, width) + "\""; };
  auto line = [&](std::initializer_list<std::string> items) {
    std::string out;
    for (const std::string& i : items) out += (out.empty() ? "" : ",") + i;
    return out + "\r\n";
  };
  auto counts = [&](int offset) {
    return line({q(offset, 3), q(offset + 3, 3), q(offset + 6, 3), q(offset + 9, 3),
                 q(offset + 12, 3), q(offset + 15, 3)});
  };
  std::string expected;
  for (int l = 1; l <= 25; ++l) expected += counts(1142 + 18 * (l - 1));
  expected += line({q(1592, 3), q(1595, 3), q(1598, 3), q(1601, 3), q(1052, 9), q(1061, 9)});
  expected += counts(1106);
  expected += counts(1124);
  expected += line({"\"000\"", "\"000\"", "\"000\"", "\"001\"", q(1088, 9), q(1097, 9)});
  SankuStat st = SankuStatBlock(rec);
  EXPECT_EQ(st.text, expected);

  std::string r = KyosobaRecord(rec, st.values);
  ASSERT_EQ(r.size(), static_cast<size_t>(kKyosobaLength));
  EXPECT_EQ(r.substr(0, 10), "2014106543");
  // Money fields hold the record's nine characters; starts are line sums.
  EXPECT_EQ(r.substr(34, 36),
            rec.substr(1052, 9) + rec.substr(1061, 9) + "000000000" + rec.substr(1097, 9));
  EXPECT_EQ(r.substr(22, 6), CountField6(124 + 127 + 130 + 133 + 136 + 139));
  EXPECT_EQ(r.substr(28, 6), CountField6(250 + 253 + 256 + 259 + 262 + 265));
  EXPECT_EQ(r.substr(10, 6), RateField6(106 + 109 + 112, 106 + 109 + 112 + 115 + 118 + 121));
  EXPECT_EQ(r.substr(214, 6), RateField6(574 + 577 + 580, 574 + 577 + 580 + 583 + 586 + 589));
  EXPECT_EQ(r.substr(220, 8), "1100  \r\n");  // (598 + 601) / (592 + 595)
}

TEST(SankuStat, CompleteKyosobaRecord) {
  SankuStat st = SankuStatBlock(Sample().bytes());
  std::string expected = "2015104321";
  expected += "050000";     // 10 overall 2 of 4
  expected += "066666";     // 16 central 2 of 3
  expected += "000003";     // 22 central starts
  expected += "000002";     // 28 jump starts
  expected += "000012345";  // 34 flat main prize, as in the record
  expected += "000000000";  // 43
  expected += "004567890";  // 52 flat earnings
  expected += "000000000";  // 61
  expected += "025000100000033333" + Rep("000000", 3) + "050000";  // 70 courses
  expected += "030000" + Rep("000000", 10) + "069999";             // 112 goings
  expected += Rep("000000", 5) + "014285";                         // 184 distances
  expected += "1200  \r\n";
  std::string rec = KyosobaRecord(Sample().bytes(), st.values);
  ASSERT_EQ(rec.size(), static_cast<size_t>(kKyosobaLength));
  EXPECT_EQ(rec, expected);
}

TEST(SankuStat, HorseWithoutStarts) {
  HorseRec h("2019100001");
  SankuStat st = SankuStatBlock(h.bytes());
  EXPECT_EQ(std::count(st.text.begin(), st.text.end(), '\n'), kSankuLines);
  EXPECT_EQ(
      KyosobaRecord(h.bytes(), st.values),
      "2019100001" + Rep("000000", 4) + Rep("000000000", 4) + Rep("000000", 25) + "0000  \r\n");
}

TEST(SankuStat, ItemNumbers) {
  const struct {
    const char* item;
    int64_t value;
  } cases[] = {{"000", 0},
               {"012", 12},
               {"  5", 5},
               {"   ", 0},
               {"", 0},
               {"000012345", 12345},
               {"999999999", 999999999},
               // The number the text stands for, rounded half to even.
               {"1.5", 2},
               {"2.5", 2},
               {"0.4", 0},
               {"-01", -1},
               {"-1.5", -2},
               // No number at all.
               {"1A3", 0},
               {"-", 0}};
  for (const auto& c : cases) EXPECT_EQ(ItemValue(c.item), c.value) << c.item;
}

TEST(SankuStat, RunningStyleCodes) {
  const struct {
    int a, b, c, d;
    const char* code;
  } cases[] = {{2, 1, 3, 4, "1200  "}, {1, 0, 9, 0, "1400  "}, {3, 0, 0, 0, "1000  "},
               {0, 0, 5, 2, "0000  "}, {2, 1, 5, 4, "1300  "}, {0, 1, 9, 0, "1400  "},
               {3, 4, 1, 1, "1000  "}, {0, 0, 3, 1, "0000  "}};
  for (const auto& c : cases) {
    EXPECT_EQ(StyleCode6(c.a, c.b, c.c, c.d), c.code) << c.a << c.b << c.c << c.d;
    HorseRec h("2019100001");
    h.Style(c.a, c.b, c.c, c.d);
    EXPECT_EQ(StyleCode6(SankuStatBlock(h.bytes()).values), c.code);
  }
}

TEST(SankuStat, EarningsFlags) {
  // A flag reads its total as a decimal number: a fraction above 0 sets it,
  // though the total itself counts as 0 among the block's numbers.
  const struct {
    const char *flat, *jump;
    const char* line29;
    int f, j;
  } cases[] = {
      {"000000000", "000000000", "\"000\",\"000\",\"000\",\"000\",\"000000000\",\"000000000\"\r\n",
       0, 0},
      {"000000000", "000000120", "\"000\",\"000\",\"000\",\"001\",\"000000000\",\"000000120\"\r\n",
       0, 1},
      {"000000005", "000000120", "\"000\",\"000\",\"001\",\"001\",\"000000005\",\"000000120\"\r\n",
       1, 1},
      {"0000000.4", "0000000.5", "\"000\",\"000\",\"001\",\"001\",\"0000000.4\",\"0000000.5\"\r\n",
       1, 1},
      {"-00000001", "00000000A", "\"000\",\"000\",\"000\",\"000\",\"-00000001\",\"00000000A\"\r\n",
       0, 0},
  };
  for (const auto& c : cases) {
    HorseRec h("2019100001");
    h.Set("prize[4]", c.flat).Set("prize[5]", c.jump);
    SankuStat st = SankuStatBlock(h.bytes());
    EXPECT_EQ(st.text.substr(st.text.rfind("\r\n", st.text.size() - 3) + 2), c.line29);
    EXPECT_EQ(ValueAt(st.values, 171), c.f);
    EXPECT_EQ(ValueAt(st.values, 172), c.j);
  }
}

}  // namespace
}  // namespace volq
