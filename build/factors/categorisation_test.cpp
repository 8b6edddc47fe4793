#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "platform/text/cp932.h"
#include "platform/ui/headless_host.h"

namespace volq {
namespace {

const char* const kOutputs[] = {
    "SibaItemCategory201801N2024.dat", "SibaItemCategoryCount201801N2024.dat",
    "QA1SibaTotalData201801N2024.dat", "QA1SibaAgariData201801N2024.dat",
    "QA1SibaPaceData201801N2024.dat",  "QA1SibaSohaData201801N2024.dat"};

class Categorisation : public testing::FactorTest {
 public:
  void SetUp() override {
    FactorTest::SetUp();
    // Shown so that it can report what it skipped. Its load reports the
    // models missing from an empty data directory, which the categorisation
    // does not need: only the step's own reports count here.
    wm_.Open(w());
    host_.failures.clear();
  }

  // An ITEM record: speeds, then every factor field "z" except those given.
  static std::string Item(const char* agari, const char* pace, const char* soha,
                          const std::map<int, std::string>& factors = {}) {
    std::string rec(kItemLength, ' ');
    rec.replace(0, 7, agari);
    rec.replace(7, 7, pace);
    rec.replace(14, 7, soha);
    for (int k = 1; k <= kFactorCount; ++k) {
      auto it = factors.find(k);
      rec.replace(static_cast<size_t>(FactorField(k).offset),
                  it == factors.end() ? 1 : it->second.size(),
                  it == factors.end() ? "z" : it->second);
    }
    rec.replace(kItemLength - 2, 2, "\r\n");
    return rec;
  }
  static std::string Padded(const std::string& v, int k) {
    return v + std::string(static_cast<size_t>(FactorField(k).width) - v.size(), ' ');
  }
  std::map<std::string, std::string> Outputs() {
    std::map<std::string, std::string> out;
    for (const char* name : kOutputs) out[name] = ReadFile(name);
    return out;
  }

  HeadlessHost host_;
  WindowManager wm_{host_, "VolqBuild"};
};

TEST_F(Categorisation, WritesTheSixFilesInCategoryOrder) {
  WriteRecords("SIBAITEM201801N2024.dat",
               {Item("6012345", "5820000", "0000000", {{1, "B"}, {8, "9"}}),
                Item("       ", "0050000", "1000000", {{1, "A"}, {8, "10"}}),
                Item("5555555", "3333333", "9999999", {{1, "B"}, {8, "9"}}),
                Item("0000001", "0000100", "6012345", {{1, "C"}, {8, "2"}})});
  w().Text1.Text = "before";
  w().Command5_Click();
  // The outcome line counts the categories: 3 + 3 in columns 1 and 8, one in each other.
  ASSERT_FALSE(host_.outcomes.empty());
  EXPECT_EQ(host_.outcomes.back(),
            "34 categories counted over the 30 factors of 4 race entries of "
            "SIBAITEM201801N2024.dat");

  // Column 1 by count: B (2) first; of the single counts the swaps leave C
  // before A, although A came first. Column 8 by text: "10" before "2" before "9".
  std::string list, counts;
  for (int k = 1; k <= kFactorCount; ++k) {
    std::vector<std::pair<std::string, int>> cats = {{"z", 4}};
    if (k == 1) cats = {{"B", 2}, {"C", 1}, {"A", 1}};
    if (k == 8) cats = {{"10", 1}, {"2", 1}, {"9", 2}};
    for (const auto& [v, n] : cats) {
      list += "\"" + Padded(v, k) + "\"\r\n";
      counts += std::to_string(n) + "\r\n";
    }
  }
  std::string header = "4,30\r\n3\r\n";
  for (int k = 2; k <= kFactorCount; ++k) header += k == 8 ? "3\r\n" : "1\r\n";
  // Lines of the speed files, built plainly: speed, index of column 1, 1 x 6,
  // index of column 8, 1 x 22.
  auto line = [](const std::string& speed, int c1, int c8) {
    std::string l = speed + "," + std::to_string(c1);
    for (int k = 2; k <= 7; ++k) l += ",1";
    l += "," + std::to_string(c8);
    for (int k = 9; k <= kFactorCount; ++k) l += ",1";
    return l + "\r\n";
  };
  const int c1[] = {1, 3, 1, 2}, c8[] = {3, 1, 3, 2};
  const char* speeds[3][4] = {{"60.12345", "0", "55.55555", "1E-05"},
                              {"58.2", "0.5", "33.33333", "0.001"},
                              {"0", "10", "99.99999", "60.12345"}};
  std::string agari = header, pace = header, soha = header;
  for (int i = 0; i < 4; ++i) {
    agari += line(speeds[0][i], c1[i], c8[i]);
    pace += line(speeds[1][i], c1[i], c8[i]);
    soha += line(speeds[2][i], c1[i], c8[i]);
  }
  EXPECT_EQ(Outputs(),
            (std::map<std::string, std::string>{{"SibaItemCategory201801N2024.dat", list},
                                                {"SibaItemCategoryCount201801N2024.dat", counts},
                                                {"QA1SibaTotalData201801N2024.dat", header},
                                                {"QA1SibaAgariData201801N2024.dat", agari},
                                                {"QA1SibaPaceData201801N2024.dat", pace},
                                                {"QA1SibaSohaData201801N2024.dat", soha}}));

  // The window: last record in the buffer, its indexes, the grid; no message.
  EXPECT_EQ(f().ItemRecord.substr(21, 1), "C");
  EXPECT_EQ(w().RecordCategoryIndexes[1], 2);
  EXPECT_EQ(w().RecordCategoryIndexes[8], 2);
  EXPECT_EQ(w().CategoryIndexOf(1, Padded("A", 1)), 3);
  EXPECT_EQ(w().CategoryIndexOf(1, "A"), 0) << "trailing blanks count";
  EXPECT_EQ(w().Text1.Text, "before");
  const Grid& g = w().ItemCategoryFG;
  EXPECT_EQ(g.TextMatrix(0, 0), Cp932("芝IC"));
  EXPECT_EQ(g.TextMatrix(0, 1), Cp932("(1)年場回日ト"));
  EXPECT_EQ(g.TextMatrix(0, 60), "(30)n");
  EXPECT_EQ(g.TextMatrix(0, 59), Cp932("(30)前々走馬体重増減"));
  EXPECT_EQ(g.TextMatrix(5700, 0), "5700");
  EXPECT_EQ(g.TextMatrix(2, 1), Padded("C", 1));
  EXPECT_EQ(g.TextMatrix(2, 2), "1");
  EXPECT_EQ(g.TextMatrix(3, 16), "2");
  EXPECT_EQ(g.TextMatrix(2, 3), "");
  EXPECT_TRUE(host_.failures.empty());
}

TEST_F(Categorisation, RerunWritesWhatAFreshWindowWrites) {
  WriteRecords("SIBAITEM201801N2024.dat",
               {Item("6012345", "5820000", "0000000", {{3, "P"}, {24, "X"}}),
                Item("6012345", "5820000", "0000000", {{3, "Q"}, {24, "X"}})});
  w().Command5_Click();
  const auto first = Outputs();
  w().Command5_Click();
  EXPECT_EQ(Outputs(), first);
  FormCATEGORYSETUP2024ZZ fresh(*dir_);
  wm_.Open(fresh);
  fresh.Command5_Click();
  EXPECT_EQ(Outputs(), first);
  EXPECT_EQ(w().CategoryRecordCounts[3], (std::vector<int32_t>{0, 1, 1}));

  // A smaller file later: the grid keeps the earlier rows below the new counts.
  WriteRecords("SIBAITEM201801N2024.dat", {Item("6012345", "5820000", "0000000", {{3, "R"}})});
  w().Command5_Click();
  EXPECT_EQ(w().ItemCategoryFG.TextMatrix(1, 5), Padded("R", 3));
  EXPECT_FALSE(w().ItemCategoryFG.TextMatrix(2, 5).empty());
  EXPECT_EQ(w().ColumnCategoryCounts(3), 1);
}

TEST_F(Categorisation, AMissingItemFileStopsItAnEmptyOneWritesEmptyListsAndZeroCounts) {
  for (const char* name : kOutputs) WriteFile(name, "former\r\n");
  w().Command5_Click();
  EXPECT_FALSE(Exists("SIBAITEM201801N2024.dat"));
  for (const char* name : kOutputs) EXPECT_EQ(ReadFile(name), "former\r\n") << name;
  ASSERT_EQ(host_.failures.size(), 1u);
  EXPECT_NE(host_.failures[0].find("missing input SIBAITEM201801N2024.dat: the step did not run"),
            std::string::npos)
      << host_.failures[0];

  host_.failures.clear();
  WriteFile("SIBAITEM201801N2024.dat", "");
  w().Command5_Click();
  std::string header = "0,30\r\n";
  for (int k = 1; k <= kFactorCount; ++k) header += "0\r\n";
  EXPECT_EQ(Outputs(),
            (std::map<std::string, std::string>{{"SibaItemCategory201801N2024.dat", ""},
                                                {"SibaItemCategoryCount201801N2024.dat", ""},
                                                {"QA1SibaTotalData201801N2024.dat", header},
                                                {"QA1SibaAgariData201801N2024.dat", header},
                                                {"QA1SibaPaceData201801N2024.dat", header},
                                                {"QA1SibaSohaData201801N2024.dat", header}}));
  EXPECT_EQ(w().ItemCategoryFG.TextMatrix(0, 0), Cp932("芝IC"));
  EXPECT_EQ(w().ItemCategoryFG.TextMatrix(1, 0), "1");
  EXPECT_EQ(w().ItemCategoryFG.TextMatrix(1, 1), "");
  EXPECT_EQ(w().CategoryIndexOf(1, Padded("z", 1)), 0);
  EXPECT_TRUE(host_.failures.empty());
}

TEST_F(Categorisation, AnUnreadableItemFileLeavesTheFormerOutputs) {
  const std::filesystem::path item = dir_->Path("SIBAITEM201801N2024.dat");
  std::optional<testing::UnreadableFor> unreadable;
  const struct {
    const char* name;
    std::function<void()> spoil, mend;
    const char* reason;
  } cases[] = {
      {"a folder of its name", [&] { std::filesystem::create_directory(item); },
       [&] { std::filesystem::remove(item); }, "Is a directory"},
      {"no read permission",
       [&] {
         WriteFile("SIBAITEM201801N2024.dat", "");
         unreadable.emplace(item);
       },
       [&] { unreadable.reset(); }, "Permission denied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* name : kOutputs) WriteFile(name, "former\r\n");
    host_.failures.clear();
    c.spoil();
    w().Command5_Click();
    c.mend();
    for (const char* name : kOutputs) EXPECT_EQ(ReadFile(name), "former\r\n") << name;
    ASSERT_EQ(host_.failures.size(), 1u);
    EXPECT_NE(host_.failures[0].find(std::string("cannot read input SIBAITEM201801N2024.dat: ") +
                                     c.reason),
              std::string::npos)
        << host_.failures[0];
  }
}

TEST_F(Categorisation, EachCourseTypeHasItsFilesAndCorner) {
  const struct {
    void (FormCATEGORYSETUP2024ZZ::*click)();
    const char* item;
    const char* word;
    const char* corner;
  } cases[] = {
      {&FormCATEGORYSETUP2024ZZ::Command6_Click, "DIRTITEM201801N2024.dat", "Dirt", "ダIC"},
      {&FormCATEGORYSETUP2024ZZ::Command7_Click, "SHOGITEM201801N2024.dat", "Shog", "障IC"}};
  for (const auto& c : cases) {
    WriteRecords(c.item, {Item("6012345", "5820000", "0000000")});
    (w().*c.click)();
    const std::string s = c.word;
    EXPECT_EQ(ReadFile(s + "ItemCategoryCount201801N2024.dat").size(), 30u * 3);
    EXPECT_EQ(ReadFile("QA1" + s + "TotalData201801N2024.dat").substr(0, 6), "1,30\r\n");
    std::string soha = ReadFile("QA1" + s + "SohaData201801N2024.dat");
    EXPECT_EQ(soha.substr(soha.size() - 63),
              "0,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\n");
    EXPECT_EQ(w().ItemCategoryFG.TextMatrix(0, 0), Cp932(c.corner));
  }
  EXPECT_FALSE(Exists("SibaItemCategory201801N2024.dat"));
}

// The step done the slow, plain way, to hold the one-pass categorisation
// against: each category found by scanning the column for the first record
// not yet counted (at most 6000 positions), the quicksort recursing on both
// parts with the codes themselves as partners, sort spaces whose positions end
// at the course's size, and every lookup a scan from position 1.
class PlainCategorisation {
 public:
  // Sort positions 1..size; any other raises, as an index outside an array does.
  template <class T>
  struct SortSpace {
    std::vector<T> v;
    T& operator()(int64_t j) { return v.at(static_cast<size_t>(j - 1)); }
  };

  template <bool kDesc, class K, class P>
  static void Sort(SortSpace<K>& keys, SortSpace<P>& partners, int64_t lo, int64_t hi) {
    const K pivot = keys((lo + hi) / 2);
    int64_t i = lo, j = hi;
    for (;;) {
      while (kDesc ? keys(i) > pivot : keys(i) < pivot) ++i;
      while (kDesc ? keys(j) < pivot : keys(j) > pivot) --j;
      if (i >= j) break;
      std::swap(keys(i), keys(j));
      std::swap(partners(i), partners(j));
      ++i;
      --j;
    }
    if (lo < i - 1) Sort<kDesc>(keys, partners, lo, i - 1);
    if (j + 1 < hi) Sort<kDesc>(keys, partners, j + 1, hi);
  }
  // A statement that fails is skipped.
  static void Skipping(const std::function<void()>& statement) {
    try {
      statement();
    } catch (const std::out_of_range&) {
    }
  }

  PlainCategorisation(const std::vector<std::string>& records, int sort_space) {
    const int64_t n = static_cast<int64_t>(records.size());
    SortSpace<std::string> texts{std::vector<std::string>(static_cast<size_t>(sort_space))};
    SortSpace<int32_t> numbers{std::vector<int32_t>(static_cast<size_t>(sort_space))};
    for (int k = 1; k <= kFactorCount; ++k) {
      const ItemField f = FactorField(k);
      std::vector<std::string> entry;
      for (const std::string& r : records) entry.push_back(r.substr(f.offset, f.width));
      std::vector<std::string>& v = values[k];
      std::vector<int32_t>& cnt = counts[k];
      v.assign(1, "");
      cnt.assign(1, 0);
      for (int j = 1; j <= 6000; ++j) {
        int64_t first = 0;
        while (first < n && entry[first].empty()) ++first;
        if (first == n) {
          set[k] = true;
          c[k] = j - 1;
          break;
        }
        v.push_back(entry[first]);
        cnt.push_back(0);
        for (int64_t i = first; i < n; ++i) {
          if (!entry[i].empty() && entry[i] == v[j]) {
            ++cnt[j];
            entry[i].clear();
          }
        }
      }
      const int64_t cc = c[k];
      const bool text = k == 8 || k == 12 || k == 24 || k == 28;
      for (int64_t j = 1; j <= cc; ++j) {
        Skipping([&] { texts(j) = v[j]; });
        Skipping([&] { numbers(j) = cnt[j]; });
      }
      Skipping([&] {
        if (text)
          Sort<false>(texts, numbers, 1, cc);
        else
          Sort<true>(numbers, texts, 1, cc);
      });
      for (int64_t j = 1; j <= cc; ++j) {
        Skipping([&] { v[j] = texts(j); });
        Skipping([&] { cnt[j] = numbers(j); });
      }
    }
  }

  int IndexOf(int k, const std::string& value) const {
    for (int j = 1; j <= c[k]; ++j)
      if (values[k][j] == value) return j;
    return 0;
  }

  std::vector<std::string> values[kFactorCount + 1];
  std::vector<int32_t> counts[kFactorCount + 1];
  int c[kFactorCount + 1] = {};
  bool set[kFactorCount + 1] = {};
};

// km/h from the seven digits of a speed field of 1 km/h and more, or zero.
std::string SpeedText(const std::string& field) {
  const long v = std::stol(field);
  if (v == 0) return "0";
  std::string frac = field.substr(2);
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  return std::to_string(v / 100000) + (frac.empty() ? "" : "." + frac);
}

// Random ITEM files, the six outputs and the grid compared with the plain
// categorisation: few codes a column give many equal counts, so the order the
// exchanges leave equal counts in is put to the test; large columns pass the
// sort spaces of both course types.
TEST_F(Categorisation, AgreesWithThePlainCategorisationOnRandomFiles) {
  std::mt19937 rng(20240611);
  auto pick = [&](int below) { return static_cast<int>(rng() % static_cast<unsigned>(below)); };
  const std::string alphabet = "0129AZ ";
  auto random_code = [&](int width) {
    std::string code(static_cast<size_t>(width), ' ');
    const int used = 1 + pick(width);
    for (int i = 0; i < used; ++i) code[static_cast<size_t>(i)] = alphabet[pick(7)];
    return code;
  };
  auto speed = [&] {
    if (pick(5) == 0) return std::string("0000000");
    char buf[8];
    std::snprintf(buf, sizeof buf, "%07d", 100000 + pick(9900000));
    return std::string(buf);
  };
  // 0 to 9 random files, then a large one: column 1 has 5999 codes, column 2
  // 5750 (both beyond the turf sort), column 8 several hundred.
  for (int round = 0; round <= 10; ++round) {
    const bool large = round == 10;
    const int n = large ? 6100 : 1 + pick(300);
    std::vector<std::vector<std::string>> pool(kFactorCount + 1);
    for (int k = 1; k <= kFactorCount; ++k) {
      const int sizes[] = {1, 2, 3, 5, 12, 40};
      const int d = sizes[pick(6)];
      for (int i = 0; i < d; ++i) pool[k].push_back(random_code(FactorField(k).width));
    }
    std::vector<std::string> records;
    for (int i = 0; i < n; ++i) {
      std::string rec(kItemLength, ' ');
      rec.replace(0, 21, speed() + speed() + speed());
      for (int k = 1; k <= kFactorCount; ++k) {
        std::string code = pool[k][static_cast<size_t>(pick(static_cast<int>(pool[k].size())))];
        if (large && (k == 1 || k == 2 || k == 8)) {
          const int distinct = k == 1 ? 5999 : k == 2 ? 5750 : 1000;
          char buf[16];
          std::snprintf(buf, sizeof buf, k == 8 ? "%03d" : "%05d",
                        i < distinct ? i : pick(distinct));
          code = buf + std::string(static_cast<size_t>(FactorField(k).width) - strlen(buf), ' ');
        }
        rec.replace(static_cast<size_t>(FactorField(k).offset), code.size(), code);
      }
      rec.replace(kItemLength - 2, 2, "\r\n");
      records.push_back(rec);
    }

    const struct {
      void (FormCATEGORYSETUP2024ZZ::*click)();
      const char* item;
      std::string word;
      int sort_space;
    } courses[] = {
        {&FormCATEGORYSETUP2024ZZ::Command5_Click, "SIBAITEM201801N2024.dat", "Siba", 5700},
        {&FormCATEGORYSETUP2024ZZ::Command6_Click, "DIRTITEM201801N2024.dat", "Dirt", 6000}};
    for (const auto& course : courses) {
      if (!large && course.sort_space == 6000) continue;
      SCOPED_TRACE("round " + std::to_string(round) + " " + course.word);
      WriteRecords(course.item, records);
      (w().*course.click)();

      const PlainCategorisation plain(records, course.sort_space);
      std::string list, counts, header = std::to_string(n) + ",30\r\n";
      for (int k = 1; k <= kFactorCount; ++k) {
        ASSERT_TRUE(plain.set[k]);
        header += std::to_string(plain.c[k]) + "\r\n";
        for (int j = 1; j <= plain.c[k]; ++j) {
          list += "\"" + plain.values[k][static_cast<size_t>(j)] + "\"\r\n";
          counts += std::to_string(plain.counts[k][static_cast<size_t>(j)]) + "\r\n";
        }
      }
      std::string speeds[3] = {header, header, header};
      for (const std::string& r : records) {
        std::string indexes;
        for (int k = 1; k <= kFactorCount; ++k) {
          const ItemField f = FactorField(k);
          indexes += "," + std::to_string(plain.IndexOf(k, r.substr(f.offset, f.width)));
        }
        for (int sp = 0; sp < 3; ++sp)
          speeds[sp] += SpeedText(r.substr(static_cast<size_t>(7 * sp), 7)) + indexes + "\r\n";
      }
      const std::string& s = course.word;
      EXPECT_EQ(ReadFile(s + "ItemCategory201801N2024.dat"), list);
      EXPECT_EQ(ReadFile(s + "ItemCategoryCount201801N2024.dat"), counts);
      EXPECT_EQ(ReadFile("QA1" + s + "TotalData201801N2024.dat"), header);
      EXPECT_EQ(ReadFile("QA1" + s + "AgariData201801N2024.dat"), speeds[0]);
      EXPECT_EQ(ReadFile("QA1" + s + "PaceData201801N2024.dat"), speeds[1]);
      EXPECT_EQ(ReadFile("QA1" + s + "SohaData201801N2024.dat"), speeds[2]);
      const Grid& g = w().ItemCategoryFG;
      for (int k = 1; k <= kFactorCount; ++k) {
        for (int j = 1; j <= std::min(plain.c[k], 5700); ++j) {
          ASSERT_EQ(g.TextMatrix(j, 2 * k - 1), plain.values[k][static_cast<size_t>(j)]);
          ASSERT_EQ(g.TextMatrix(j, 2 * k),
                    std::to_string(plain.counts[k][static_cast<size_t>(j)]));
        }
      }
      const std::string& last = records.back();
      for (int k = 1; k <= kFactorCount; ++k) {
        const ItemField f = FactorField(k);
        EXPECT_EQ(w().RecordCategoryIndexes[k], plain.IndexOf(k, last.substr(f.offset, f.width)));
      }
    }
  }
}

// A column with more categories than the sort of its course type holds.
class ManyCategories : public Categorisation {
 public:
  // distinct codes in column 1 in this order, the last one twice.
  void WriteItems(const char* file, int distinct) {
    std::vector<std::string> recs;
    for (int i = 0; i <= distinct; ++i) {
      char code[8];
      std::snprintf(code, sizeof code, "%05d", i < distinct ? i : distinct - 1);
      recs.push_back(Item("6012345", "5820000", "0000000", {{1, code}}));
    }
    WriteRecords(file, recs);
  }
  std::string FirstCategory(const std::string& word) {
    return ReadFile(word + "ItemCategory201801N2024.dat").substr(0, 12);
  }
};

TEST_F(ManyCategories, TurfLeavesAColumnBeyond5700UnsortedDirtSortsIt) {
  WriteItems("SIBAITEM201801N2024.dat", 5701);
  WriteItems("DIRTITEM201801N2024.dat", 5701);
  w().Command5_Click();
  EXPECT_EQ(FirstCategory("Siba"), "\"00000    \"\r");
  std::string agari = ReadFile("QA1SibaAgariData201801N2024.dat");
  EXPECT_NE(agari.find("\r\n60.12345,5701,1,"), std::string::npos);
  EXPECT_EQ(w().ItemCategoryFG.TextMatrix(5700, 1), "05699    ");
  ASSERT_EQ(host_.failures.size(), 2u);
  EXPECT_NE(host_.failures[0].find("column 1 sort: 5701 categories"), std::string::npos);
  EXPECT_NE(host_.failures[1].find("column 1 grid: shows 5700 of 5701"), std::string::npos);

  host_.failures.clear();
  w().Command6_Click();
  EXPECT_EQ(FirstCategory("Dirt"), "\"05700    \"\r");
  EXPECT_EQ(host_.failures.size(), 1u) << "only the grid";
}

TEST_F(ManyCategories, AColumnOf6000OrMoreCodesKeepsThemAllAndSaysSo) {
  WriteItems("DIRTITEM201801N2024.dat", 6001);
  w().Command6_Click();
  EXPECT_EQ(w().ColumnCategoryCounts(1), 6001);
  EXPECT_EQ(ReadFile("QA1DirtTotalData201801N2024.dat").substr(0, 14), "6002,30\r\n6001\r");
  std::string agari = ReadFile("QA1DirtAgariData201801N2024.dat");
  EXPECT_NE(agari.find("\r\n60.12345,6001,1,"), std::string::npos);
  ASSERT_FALSE(host_.failures.empty());
  EXPECT_NE(host_.failures[0].find("column 1 categories: 6001 distinct codes"), std::string::npos);
}

}  // namespace
}  // namespace volq
