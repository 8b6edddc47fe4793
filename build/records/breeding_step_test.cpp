#include "build/records/breeding_step.h"

#include <gtest/gtest.h>

#include "build/records/test_support.h"
#include "platform/fs/text_list.h"

namespace volq {
namespace {

using testing::StepTest;

struct Horse {
  std::string number;
  char sex = '2';
  std::string dam = "0000000000";
  std::string name = "NAME";
  char kind = '1';
  std::string tag = "";  // in the reserved bytes, to tell survivors apart
  std::string birthplace = "USA";
};

std::string Hn(const Horse& h) {
  return StepTest::Rec(kBreedingHorseLength, {{0, "HN"},
                                              {2, std::string(1, h.kind)},
                                              {3, "20240101"},
                                              {11, h.number},
                                              {21, h.tag},
                                              {40, h.name},
                                              {196, "2010"},
                                              {200, std::string(1, h.sex)},
                                              {209, h.birthplace},
                                              {229, "1000000009"},
                                              {239, h.dam}});
}

std::string Pad(const std::string& s, size_t width) {
  return s + std::string(width - s.size(), ' ');
}

// One list line of six quoted values.
std::string Line(std::initializer_list<std::string> values) {
  std::string line;
  for (const std::string& v : values) line += (line.empty() ? "\"" : ",\"") + v + "\"";
  return line + "\r\n";
}
const std::string kEmptyLine = Line({"", "", "", "", "", ""});

// Values 1 to 5 of a horse as the list holds them (ASCII fields).
std::vector<std::string> Own(const Horse& h) {
  return {Pad(h.name, 36), "2010", Pad(h.birthplace, 20), "1000000009", h.dam};
}
std::string Found(const std::string& number, const Horse& h) {
  auto v = Own(h);
  return Line({number, v[0], v[1], v[2], v[3], v[4]});
}

// The six values of each line of the list.
std::vector<std::vector<std::string>> ListValues(const std::filesystem::path& p) {
  std::vector<std::vector<std::string>> out;
  for (const std::string& line : ReadLines(p)) {
    std::vector<std::string> values;
    size_t pos = 1;
    for (;;) {
      size_t end = line.find('"', pos);
      values.push_back(line.substr(pos, end - pos));
      if (end + 1 >= line.size()) break;
      pos = end + 3;  // past `","`
    }
    out.push_back(std::move(values));
  }
  return out;
}

class BreedingStepTest : public StepTest {};

TEST_F(BreedingStepTest, NewFileKeepsTheFirstOfEachNumberOfKindsOneAndTwo) {
  // Two records of one number: the sort swaps them, so the second is the
  // survivor, and its kind decides even when the other record's kind is kept.
  const struct {
    std::vector<Horse> raw;
    const char* tags;  // survivors' tags in NEW-file order
  } cases[] = {
      {{{.number = "1000000002", .kind = '1', .tag = "b1"},
        {.number = "1000000002", .kind = '2', .tag = "b2"}},
       "b2"},
      {{{.number = "1000000001", .kind = '1', .tag = "x1"},
        {.number = "1000000001", .kind = '3', .tag = "y3"}},
       ""},
      {{{.number = "1000000003", .kind = '2', .tag = "c2"},
        {.number = "1000000004", .kind = '0', .tag = "d0"},
        {.number = "1000000000", .kind = '1', .tag = "a1"},
        {.number = "1000000005", .kind = '9', .tag = "e9"}},
       "a1c2"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> raw;
    for (const Horse& h : c.raw) raw.push_back(Hn(h));
    WriteRecords("HN20180101.dat", raw);
    auto cx = ctx();
    std::string tags;
    const int32_t written = static_cast<int32_t>(std::string(c.tags).size() / 2);
    EXPECT_EQ(BreedingHorseStep(cx),
              "HN 終わり  " + std::to_string(written) + " " + std::to_string(written));
    EXPECT_EQ(record_count_, written);  // the NEW count, not the raw count
    for (const auto& r : Records("HN20180101NEW.dat", kBreedingHorseLength)) {
      tags += r.substr(21, 2);
    }
    EXPECT_EQ(tags, c.tags);
  }
  EXPECT_TRUE(frame_->clean());
}

TEST_F(BreedingStepTest, NoMares) {
  auto cx = ctx();
  WriteRecords("HN20180101.dat", {Hn({.number = "1000000001", .sex = '1'})});
  WriteFile("FL20180101.dat", "old");
  EXPECT_EQ(BreedingHorseStep(cx), "HN 終わり  1 0");
  EXPECT_TRUE(Exists("FL20180101.dat"));
  EXPECT_EQ(ReadFile("FL20180101.dat"), "");
}

TEST_F(BreedingStepTest, DamLinesThatEndEarly) {
  const Horse a{.number = "2000000001", .dam = "2000000002", .name = "ALPHA"};
  const Horse b{.number = "2000000002", .dam = "2000000003", .name = "BRAVO"};
  // A stallion's number is never found by the dam search.
  const Horse s{.number = "2000000003", .sex = '1', .dam = "2000000001"};
  // A dam of ten zeros, and a blank-padded short name.
  const Horse c{.number = "2000000004", .dam = "0000000000", .name = "C"};
  // A dam that is not a breeding horse of the file.
  const Horse d{.number = "2000000005", .dam = "2999999999", .name = "DELTA"};
  WriteRecords("HN20180101.dat", {Hn(c), Hn(s), Hn(d), Hn(b), Hn(a)});
  auto cx = ctx();
  EXPECT_EQ(BreedingHorseStep(cx), "HN 終わり  5 4");

  // A: dam B found, B's dam not a row. B: her dam is the stallion. C, D: no dam.
  const std::string a_lines =
      Found(a.number, a) + Found(b.number, b) + Line({b.dam, "", "", "", "", ""});
  const std::string b_lines = Found(b.number, b) + Line({b.dam, "", "", "", "", ""});
  const std::string c_lines = Found(c.number, c) + Line({c.dam, "", "", "", "", ""});
  const std::string d_lines = Found(d.number, d) + Line({d.dam, "", "", "", "", ""});
  auto empty = [](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += kEmptyLine;
    return s;
  };
  const std::string want =
      a_lines + empty(10) + b_lines + empty(11) + c_lines + empty(11) + d_lines + empty(11);
  EXPECT_EQ(ReadFile("FL20180101.dat"), want);
}

TEST_F(BreedingStepTest, DamLineFoundInAllElevenPasses) {
  // Mares M0 .. M12, each the dam of the one before; M12's dam is unknown.
  const std::string kana = "\x83\x41";                      // katakana A: one character, two bytes
  const std::string hokkaido = "\x96\x6b\x8a\x43\x93\xb9";  // three characters
  std::vector<Horse> m;
  std::vector<std::string> raw;
  for (int i = 0; i <= 12; ++i) {
    char num[11];
    std::snprintf(num, sizeof num, "30000000%02d", i);
    char dam[11];
    std::snprintf(dam, sizeof dam, "30000000%02d", i + 1);
    Horse h{.number = num, .dam = dam, .name = "M" + std::to_string(i)};
    if (i == 3) {
      h.name = kana + "X" + kana;  // two double-byte characters
      h.birthplace = hokkaido;
    }
    m.push_back(h);
    raw.insert(raw.begin(), Hn(h));
  }
  WriteRecords("HN20180101.dat", raw);
  auto cx = ctx();
  EXPECT_EQ(BreedingHorseStep(cx), "HN 終わり  13 13");

  auto lines = ListValues(dir_->Path("FL20180101.dat"));
  ASSERT_EQ(lines.size(), 13u * 13u);
  for (const auto& line : lines) ASSERT_EQ(line.size(), 6u);
  auto gen = [&](int row, int g) { return lines[13 * (row - 1) + g]; };

  // Row 1 (M0): generations 1 to 11 are M1 to M11; generation 12 holds only
  // the 12th dam's number, though M12 is a row.
  for (int g = 0; g <= 11; ++g) {
    EXPECT_EQ(gen(1, g)[0], m[g].number) << g;
    EXPECT_EQ(gen(1, g)[1].substr(0, m[g].name.size()), m[g].name) << g;
    EXPECT_EQ(gen(1, g)[5], m[g].dam) << g;
  }
  EXPECT_EQ(gen(1, 12), (std::vector<std::string>{"3000000012", "", "", "", "", ""}));

  // The double-byte name keeps its 36 characters: 38 bytes, in her own row
  // and wherever she is a dam; the birthplace 20 characters, 23 bytes.
  const std::string name3 = kana + "X" + kana + std::string(33, ' ');
  EXPECT_EQ(name3.size(), 38u);
  EXPECT_EQ(gen(4, 0)[1], name3);
  EXPECT_EQ(gen(1, 3)[1], name3);
  EXPECT_EQ(gen(1, 3)[3], hokkaido + std::string(17, ' '));

  // Row 3 (M2): M12 is her 10th dam; the 11th is not a row.
  EXPECT_EQ(gen(3, 10)[0], "3000000012");
  EXPECT_EQ(gen(3, 11), (std::vector<std::string>{"3000000013", "", "", "", "", ""}));
  EXPECT_EQ(gen(3, 12), (std::vector<std::string>(6, "")));

  // A found generation's dam number is the next generation's number.
  for (int r = 1; r <= 13; ++r) {
    for (int g = 1; g <= 11; ++g) {
      if (!gen(r, g)[1].empty()) {
        EXPECT_EQ(gen(r, g)[5], gen(r, g + 1)[0]) << r << " " << g;
      }
    }
  }
}

TEST_F(BreedingStepTest, EndLineShowsNewRecordsAndMares) {
  std::vector<std::string> raw;
  for (int i = 0; i < 250; ++i) {
    char num[11];
    std::snprintf(num, sizeof num, "40000%05d", i);
    Horse h{.number = num, .sex = i < 120 ? '2' : '1'};
    raw.push_back(Hn(h));
    if (i % 25 == 0) raw.push_back(Hn(h));  // delivered twice
  }
  WriteRecords("HN20180101.dat", raw);
  auto cx = ctx();
  EXPECT_EQ(BreedingHorseStep(cx), "HN 終わり  250 120");
  EXPECT_EQ(record_count_, 250);
  EXPECT_EQ(ReadLines(dir_->Path("FL20180101.dat")).size(), 13u * 120u);
}

TEST_F(BreedingStepTest, AListThatCannotBeWrittenIsReported) {
  std::filesystem::create_directory(dir_->Path("FL20180101.dat"));
  WriteRecords("HN20180101.dat", {Hn({.number = "2000000001"})});
  auto cx = ctx();
  EXPECT_EQ(BreedingHorseStep(cx), "HN 終わり  1 1");
  ASSERT_FALSE(frame_->clean());
  EXPECT_NE(frame_->Report()[0].find("FL20180101.dat"), std::string::npos);
  EXPECT_EQ(Records("HN20180101NEW.dat", kBreedingHorseLength).size(), 1u);
}

}  // namespace
}  // namespace volq
