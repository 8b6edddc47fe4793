#include "build/extended/form_volqnq4dexpdsetup2024zz.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "build/entities/entity_test_support.h"
#include "build/extended/ex_viewer.h"
#include "build/extended/extended_test_support.h"
#include "build/extended/kijun_time.h"
#include "build/records/test_support.h"
#include "platform/fs/fault_file_system.h"
#include "platform/text/cp932.h"
#include "platform/ui/headless_host.h"

namespace volq {
namespace {

using testing::ListText;
using testing::Put;

class ExtendedWindowTest : public testing::StepTest {
 protected:
  void SetUp() override {
    StepTest::SetUp();
    window_ = std::make_unique<FormVOLQNQ4DEXPDSETUP2024ZZ>(*dir_);
  }
  // Opens the window; an empty market-sale file is put in place first unless
  // the test has written one or wants it missing.
  void Open(bool sales_file = true) {
    if (sales_file && !Exists("HS20180101.dat")) WriteFile("HS20180101.dat", "");
    wm_.Open(w());
  }
  std::string Report() const {
    std::string r;
    for (const auto& f : host_.failures) r += f + "\n";
    return r;
  }
  HeadlessHost host_;
  WindowManager wm_{host_};
  std::unique_ptr<FormVOLQNQ4DEXPDSETUP2024ZZ> window_;
  FormVOLQNQ4DEXPDSETUP2024ZZ& w() { return *window_; }
};

TEST_F(ExtendedWindowTest, ShowingTheWindowLoadsTheMarketSales) {
  // One row per line in file order, sold horses repeated; a short line keeps
  // what it has. Nothing is read before the window is shown.
  // A sale of three days: each date comes from its own field (179:8 the end).
  std::string full = testing::SaleLine("H000000001", "S00001", "HOST", "20190701", "0001000000");
  full.replace(179, 8, "20190703");
  WriteFile("HS20180101.dat", full + "\r\nHS1202401012019100001\r\n" + full + "\r\n");
  EXPECT_TRUE(w().market_sales().empty());
  Open();
  EXPECT_EQ(ToUtf8(w().Caption), "VOLQNQ4DEXPDSETUP2024");
  const MarketSaleRow sold{"H000000001",
                           "S00001",
                           "HOST" + std::string(36, ' '),
                           "SALE-S00001" + std::string(69, ' '),
                           "20190701",
                           "20190703",
                           "1",
                           "0001000000"};
  const MarketSaleRow short_line{"2019100001", "", "", "", "", "", "", ""};
  EXPECT_EQ(w().market_sales(), (MarketSaleTable{sold, short_line, sold}));
  EXPECT_TRUE(host_.failures.empty());
}

TEST_F(ExtendedWindowTest, WithoutTheMarketSaleFileTheWindowOpensAndSaysSo) {
  Open(false);
  EXPECT_TRUE(w().market_sales().empty());
  ASSERT_EQ(host_.failures.size(), 1u);
  EXPECT_NE(host_.failures[0].find("missing input HS20180101.dat: read as empty"),
            std::string::npos)
      << host_.failures[0];
  EXPECT_FALSE(Exists("HS20180101.dat"));  // the load never creates it
}

TEST_F(ExtendedWindowTest, AMarketSaleFileTheLoadCouldNotReadStopsTheBuild) {
  // Every horse would pass for unsold: the EX files keep theirs, even once
  // the file can be read again, until the window is opened anew.
  WriteFile("KETTONUM20180101.dat", ListText({"H000000001"}));
  WriteFile("UMAGOTOSETUP/H000000001.dat", "");
  WriteFile("UMAGOTOEXSETUP/H000000001EX.dat", "former");
  WriteFile("HS20180101.dat", "");
  {
    testing::UnreadableFor unreadable(dir_->Path("HS20180101.dat"));
    Open();
  }
  EXPECT_NE(Report().find("load HS20180101.dat: cannot open HS20180101.dat: Permission denied"),
            std::string::npos)
      << Report();
  host_.failures.clear();
  w().Press(Cp932("計算"));
  EXPECT_EQ(ReadFile("UMAGOTOEXSETUP/H000000001EX.dat"), "former");
  EXPECT_EQ(w().Text1.Text, "Text1");
  EXPECT_NE(Report().find("cannot read HS20180101.dat when the window opened: the step did not "
                          "run and changed nothing"),
            std::string::npos)
      << Report();
}

TEST_F(ExtendedWindowTest, TheWindowHasItsControls) {
  EXPECT_EQ(ToUtf8(w().Command1.Caption), "計算");
  EXPECT_EQ(ToUtf8(w().Command2.Caption), "表示");
  EXPECT_EQ(w().EXPFG.Rows(), 129);
  EXPECT_EQ(w().List1.ListCount(), 0);
}

// An EX record in the standard-time sample, with the given fields replaced.
std::string SampleEx(std::initializer_list<std::pair<int, std::string>> changes = {}) {
  std::string r = testing::Patterned(kUmaExLength, 3);
  for (const auto& [at, text] : std::initializer_list<std::pair<int, std::string>>{
           {764, "005"}, {767, "1600"}, {19, "05"}, {11, "2005"}, {196, "2002"}}) {
    Put(r, at, text);
  }
  for (const auto& [at, text] : changes) Put(r, at, text);
  return r;
}

TEST(KijunTimeFields, TheFiveTestsOfTheSample) {
  // Each case changes fields of a sample record; the years move together
  // where only the race year is meant to change.
  struct Case {
    std::initializer_list<std::pair<int, std::string>> changes;
    bool in;
  };
  const Case cases[] = {
      {{{764, "005"}}, true},
      {{{764, "010"}}, true},
      {{{764, "100"}}, true},
      {{{764, "004"}}, false},
      {{{764, "701"}}, false},
      {{{764, "999"}}, false},
      {{{767, "1200"}}, true},
      {{{767, "1700"}}, true},
      {{{767, "1800"}}, true},
      {{{767, "2000"}}, true},
      {{{767, "1400"}}, false},
      {{{19, "01"}}, true},
      {{{19, "10"}}, true},
      {{{19, "11"}}, false},
      {{{19, "00"}}, false},
      {{{11, "2001"}, {196, "1998"}}, true},
      {{{11, "2008"}, {196, "2004"}}, true},
      {{{11, "2009"}, {196, "2006"}}, false},
      {{{11, "2018"}, {196, "2015"}}, false},
      {{{11, "2000"}, {196, "1997"}}, false},
      {{{196, "2001"}}, true},
      {{{196, "2000"}}, false},
      {{{196, "2003"}}, false},
      {{{196, "2007"}}, false},
  };
  for (const Case& c : cases) {
    std::string r = SampleEx();
    for (const auto& [at, text] : c.changes) Put(r, at, text);
    EXPECT_EQ(KijunTimeFields(r).has_value(), c.in)
        << r.substr(764, 7) << r.substr(19, 2) << r.substr(11, 4) << r.substr(196, 4);
  }
  // A birth year that is not a number only fails once the other tests pass.
  EXPECT_THROW(KijunTimeFields(SampleEx({{196, "    "}})), Failure);
  EXPECT_FALSE(KijunTimeFields(SampleEx({{196, "    "}, {11, "2018"}})).has_value());
}

TEST_F(ExtendedWindowTest, DisplayWritesTheSampleAndListsTheFiles) {
  // H1: a sample record of age 3, one of 2018 and one of age 4 at 2000 m; H2
  // has no EX file (reported, not made, listed all the same); H3's record
  // has a blank birth year (passed over and reported).
  const std::string a = SampleEx({{775, "17"}, {685, "1345"}, {957, "1"}, {958, "2"}, {959, "3"}});
  const std::string b = SampleEx({{11, "2018"}});
  const std::string c = SampleEx({{11, "2006"}, {767, "2000"}, {19, "10"}, {764, "100"}});
  WriteFile("KETTONUM20180101Q.dat", ListText({"H000000001", "H000000002", "H000000003"}));
  WriteRecords("UMAGOTOEXSETUP/H000000001EX.dat", {a, b, c});
  WriteRecords("UMAGOTOEXSETUP/H000000003EX.dat", {SampleEx({{196, "    "}})});
  WriteFile("KIJUNTIME.dat", "former\r\n");
  Open();
  const std::string want =
      "\"2005\",\"3\",\"05\",\"17\",\"1600\",\"1345\",\"005\",\"1\",\"2\",\"3\"\r\n"
      "\"2006\",\"4\",\"10\","
      "\"" +
      c.substr(775, 2) + "\",\"2000\",\"" + c.substr(685, 4) + "\",\"100\",\"" + c.substr(957, 1) +
      "\",\"" + c.substr(958, 1) + "\",\"" + c.substr(959, 1) + "\"\r\n";
  for (int press = 1; press <= 2; ++press) {
    host_.failures.clear();
    w().Press(Cp932("表示"));
    EXPECT_EQ(ToUtf8(w().Text1.Text), "終わり");
    EXPECT_EQ(ReadFile("KIJUNTIME.dat"), want);
    // Every press appends the whole list again.
    ASSERT_EQ(w().List1.ListCount(), 3 * press);
    for (int i = 0; i < 3 * press; ++i) {
      EXPECT_EQ(w().List1.List(i), "H00000000" + std::to_string(i % 3 + 1) + "EX.dat");
    }
    EXPECT_NE(Report().find("birth year"), std::string::npos) << Report();
    EXPECT_NE(Report().find("missing entity file: UMAGOTOEXSETUP/H000000002EX.dat"),
              std::string::npos)
        << Report();
  }
  EXPECT_FALSE(Exists("UMAGOTOEXSETUP/H000000002EX.dat"));
}

TEST_F(ExtendedWindowTest, DisplayWithoutTheHorseListStopsAndKeepsTheTable) {
  // The list it goes through is missing: the former table stays, no list is
  // made and the status line keeps its text.
  WriteFile("KIJUNTIME.dat", "former\r\n");
  Open();
  w().Press("Command2");
  EXPECT_EQ(ReadFile("KIJUNTIME.dat"), "former\r\n");
  EXPECT_EQ(w().Text1.Text, "Text1");
  EXPECT_EQ(w().List1.ListCount(), 0);
  EXPECT_FALSE(Exists("KETTONUM20180101Q.dat"));
  EXPECT_NE(Report().find("missing input KETTONUM20180101Q.dat: the step did not run"),
            std::string::npos)
      << Report();
  // An empty list is no failure: an empty table and the end message.
  host_.failures.clear();
  WriteFile("KETTONUM20180101Q.dat", "");
  w().Press("Command2");
  EXPECT_EQ(ReadFile("KIJUNTIME.dat"), "");
  EXPECT_EQ(ToUtf8(w().Text1.Text), "終わり");
  EXPECT_EQ(w().List1.ListCount(), 0);
  EXPECT_TRUE(host_.failures.empty()) << Report();
}

// A pick on the list that 表示 left empty says why: what stopped the press,
// or that it found no horse; before any press it asks for 表示.
TEST_F(ExtendedWindowTest, APickOnTheListThatDisplayLeftEmptySaysWhy) {
  const auto pick_error = [](FormVOLQNQ4DEXPDSETUP2024ZZ& w) {
    try {
      w.Pick("List1", 1);
    } catch (const UiError& e) {
      return ToUtf8(e.what());
    }
    return std::string("no error");
  };
  struct Case {
    const char* name;
    std::optional<std::string> horse_list;  // none: missing
    int refused;                            // errno of writing KIJUNTIME.dat (0: none)
    std::string says;
  };
  for (const Case& c : std::vector<Case>{
           {"no horse list", std::nullopt, 0,
            "List1 is empty: Command2 (表示) failed (step stopped: missing input "
            "KETTONUM20180101Q.dat: the step did not run and changed nothing; write it first: "
            "window 1, press Command8"},
           {"table not writable", ListText({"H000000001"}), EROFS,
            "List1 is empty: Command2 (表示) failed (step stopped: cannot write KIJUNTIME.dat: "
            "Read-only file system); once that is mended, press Command2 (表示) again"},
           {"no horse", "", 0,
            "List1 is empty: Command2 (表示) found no horse in KETTONUM20180101Q.dat to list; "
            "write it first: window 1, press Command8"},
       }) {
    SCOPED_TRACE(c.name);
    if (Exists("KETTONUM20180101Q.dat")) dir_->Delete("KETTONUM20180101Q.dat");
    if (c.horse_list) WriteFile("KETTONUM20180101Q.dat", *c.horse_list);
    if (!Exists("HS20180101.dat")) WriteFile("HS20180101.dat", "");
    HeadlessHost host;
    WindowManager wm{host};
    FormVOLQNQ4DEXPDSETUP2024ZZ w(*dir_);
    wm.Open(w);
    EXPECT_EQ(pick_error(w), "List1 is empty: press Command2 (表示) first");
    {
      FaultFileSystem files;
      files.FailWhere([&](std::string_view op, const std::string& p) {
        return op == "open for writing" && p.find("KIJUNTIME.dat") != std::string::npos ? c.refused
                                                                                        : 0;
      });
      ScopedFileSystem installed(files);
      w.Press("Command2");
    }
    EXPECT_EQ(w.List1.ListCount(), 0);
    EXPECT_EQ(pick_error(w).substr(0, c.says.size()), c.says);
  }
}

TEST_F(ExtendedWindowTest, TheViewerShowsTheNewestRaceFirst) {
  // Three records told apart by their race year; the third has its own laps,
  // arrival order, time difference and weekday.
  std::vector<std::string> recs;
  for (const char* year : {"2021", "2022", "2023"}) recs.push_back(SampleEx({{11, year}}));
  Put(recs[2], 960, "111222333444555");
  Put(recs[2], 679, "03");
  Put(recs[2], 740, "0012");
  Put(recs[2], 612, "R");
  Put(recs[2], 42, "6");
  WriteRecords("UMAGOTOEXSETUP/H000000001EX.dat", recs);
  WriteRecords("UMAGOTOEXSETUP/H000000002EX.dat", {recs[0]});
  WriteFile("UMAGOTOEXSETUP/H000000003EX.dat", "");
  Open();
  for (const char* name :
       {"H000000001EX.dat", "H000000002EX.dat", "H000000003EX.dat", "H000000004EX.dat"}) {
    w().List1.AddItem(name);
  }
  const Grid& g = w().EXPFG;
  w().Pick("List1", 1);
  ASSERT_EQ(g.Cols(), 4);
  ASSERT_EQ(g.Rows(), 129);
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(ToUtf8(g.TextMatrix(0, c)), "前 " + std::to_string(c) + "走");
    EXPECT_EQ(g.TextMatrix(4, c), recs[3 - c].substr(11, 4) + recs[3 - c].substr(15, 4));
    EXPECT_EQ(g.ColWidth(c), 1500);
  }
  EXPECT_EQ(g.ColWidth(0), 2000);
  EXPECT_EQ(g.TextMatrix(0, 0), "");
  // Rows that join fields, by row number: column 1 shows the last record.
  const std::string& r = recs[2];
  const std::pair<int, std::string> rows[] = {
      {3, r.substr(3, 8)},
      {6, r.substr(27, 13)},
      {18, r.substr(354, 10) + r.substr(422, 10)},
      {32, "R 6"},
      {35, r.substr(618, 8)},
      {47, "03 0012"},
      {111, "111-222-333-444-"},
      {117, r.substr(1051, 72)},
      {120, r.substr(1267, 72)},
      {121, r.substr(40, 2)},
      {128, r.substr(186, 10)},
  };
  for (const auto& [row, text] : rows) EXPECT_EQ(g.TextMatrix(row, 1), text) << row;
  const std::pair<int, const char*> labels[] = {{1, "レコードスペック"},
                                                {32, "予備"},
                                                {47, "入線順位"},
                                                {63, "予備"},
                                                {88, "同着本賞金5着"},
                                                {89, "同着本賞金5着"},
                                                {111, "ハロン毎先頭馬タイム"},
                                                {117, "コ周回各馬通貨順位0"},
                                                {121, "第何子"},
                                                {128, "取引価格（円）"}};
  for (const auto& [row, label] : labels) EXPECT_EQ(ToUtf8(g.TextMatrix(row, 0)), label) << row;

  // Fewer records after more: exactly n + 1 columns remain.
  w().Pick("List1", 2);
  ASSERT_EQ(g.Cols(), 2);
  EXPECT_EQ(g.TextMatrix(4, 1), recs[0].substr(11, 8));
  // An empty file and a missing one (not made by looking): only the labels.
  for (int entry : {3, 4}) {
    w().Pick("List1", entry);
    EXPECT_EQ(g.Cols(), 1);
    EXPECT_EQ(ToUtf8(g.TextMatrix(128, 0)), "取引価格（円）");
  }
  EXPECT_FALSE(Exists("UMAGOTOEXSETUP/H000000004EX.dat"));
  EXPECT_TRUE(host_.failures.empty()) << Report();
}

TEST_F(ExtendedWindowTest, AnEntryThatNamesNoFileOfTheFolderIsReported) {
  WriteRecords("UMAGOTOEXSETUP/H000000001EX.dat", {SampleEx()});
  Open();
  w().List1.AddItem("H000000001EX.dat");
  w().List1.AddItem("..");
  w().Pick("List1", 1);
  w().Pick("List1", 2);
  EXPECT_EQ(w().EXPFG.Cols(), 2);  // the grid keeps what it showed
  EXPECT_EQ(host_.failures.size(), 1u) << Report();
}

}  // namespace
}  // namespace volq
