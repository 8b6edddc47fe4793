#include <gtest/gtest.h>

#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "platform/ui/cp932.h"
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
  EXPECT_EQ(w().ItemRecord.substr(21, 1), "C");
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
  EXPECT_EQ(w().ColumnCategoryCounts[3], 1);
}

TEST_F(Categorisation, NoItemFileWritesEmptyListsAndZeroCounts) {
  w().Command5_Click();
  EXPECT_TRUE(Exists("SIBAITEM201801N2024.dat"));
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
  std::filesystem::create_directory(dir_->Path("SIBAITEM201801N2024.dat"));
  for (const char* name : kOutputs) WriteFile(name, "former\r\n");
  w().Command5_Click();
  for (const char* name : kOutputs) EXPECT_EQ(ReadFile(name), "former\r\n") << name;
  ASSERT_EQ(host_.failures.size(), 1u);
  EXPECT_EQ(host_.failures[0].substr(0, 6), "open: ");
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
  EXPECT_EQ(w().ColumnCategoryCounts[1], 6001);
  EXPECT_EQ(ReadFile("QA1DirtTotalData201801N2024.dat").substr(0, 14), "6002,30\r\n6001\r");
  std::string agari = ReadFile("QA1DirtAgariData201801N2024.dat");
  EXPECT_NE(agari.find("\r\n60.12345,6001,1,"), std::string::npos);
  ASSERT_FALSE(host_.failures.empty());
  EXPECT_NE(host_.failures[0].find("column 1 categories: 6001 distinct codes"), std::string::npos);
}

}  // namespace
}  // namespace volq
