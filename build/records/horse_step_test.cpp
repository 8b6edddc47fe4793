#include "build/records/horse_step.h"

#include <gtest/gtest.h>

#include "build/records/horse_test_support.h"
#include "build/records/sanku_stat.h"
#include "build/records/test_support.h"
#include "platform/fs/text_list.h"

namespace volq {
namespace {

using testing::HorseRec;
using testing::StepTest;

class HorseStepTest : public StepTest {
 public:
  std::string Run() {
    auto cx = ctx();
    return HorseStep(cx);
  }
  std::vector<std::string> Lines(const std::string& name) { return ReadLines(dir_->Path(name)); }
};

TEST_F(HorseStepTest, ListingRules) {
  std::vector<std::string> raw = {
      HorseRec("2015100001"),                           // current
      HorseRec("2015100002").Deregistered("1", "000"),  // never ran: not listed
      HorseRec("2012100003").Deregistered("1", "003"),  // ran: listed
      HorseRec("2009100004"),                           // too old for the list
      HorseRec("2010100005", '0'),                      // kind 0: no horse at all
      HorseRec("A012100006"),                           // no year: the test fails, listed, reported
      HorseRec("2010100007"),
      HorseRec("20.1100002"),  // 20.1 as a decimal number: below 2010, not listed
  };
  WriteRecords("UM20180101.dat", raw);
  std::vector<int64_t> yields;
  frame_->yield_hook = [&](int64_t done, int64_t total) { yields.push_back(done * 100 + total); };
  EXPECT_EQ(Run(), "UM 終わり  0 7");
  EXPECT_EQ(record_count_, 7);
  EXPECT_EQ(Lines("KETTONUM20180101.dat"),
            (std::vector<std::string>{"\"2010100007\"", "\"2012100003\"", "\"2015100001\"",
                                      "\"A012100006\""}));
  EXPECT_EQ(Lines("KETTOMASSHO.dat"),
            (std::vector<std::string>{"\"20.1100002\",\"0000\"", "\"2009100004\",\"0000\"",
                                      "\"2010100007\",\"0000\"", "\"2012100003\",\"1003\"",
                                      "\"2015100001\",\"0000\"", "\"2015100002\",\"1000\"",
                                      "\"A012100006\",\"0000\""}));
  EXPECT_EQ(yields, (std::vector<int64_t>{607}));  // after horse 6 of 7
  auto report = frame_->Report();
  ASSERT_EQ(report.size(), 1u);
  EXPECT_NE(report[0].find("A012100006"), std::string::npos);

  // Statistics for every horse of the NEW file, the old one too; none for kind 0.
  EXPECT_TRUE(Exists("KYOSOBA/2009100004.dat"));
  EXPECT_TRUE(Exists("KYOSOBAN/2009100004.dat"));
  EXPECT_FALSE(Exists("KYOSOBA/2010100005.dat"));
  auto recs = Records("OPTION1N/KYOSOBA.dat", kKyosobaLength);
  ASSERT_EQ(recs.size(), 7u);
  EXPECT_EQ(recs[0].substr(0, 10), "20.1100002");
  EXPECT_EQ(recs[6].substr(0, 10), "A012100006");
}

TEST_F(HorseStepTest, SurvivorOfRepeatedRecords) {
  // Three records of one horse: after the sort record 3 comes first.
  WriteRecords("UM20180101.dat", {HorseRec("2015100001", '1').Set(46, "first"),
                                  HorseRec("2015100001", '3').Set(46, "second"),
                                  HorseRec("2015100001", '2').Set(46, "third")});
  EXPECT_EQ(Run(), "UM 終わり  0 1");
  auto um = Records("UM20180101NEW.dat", kHorseLength);
  ASSERT_EQ(um.size(), 1u);
  EXPECT_EQ(um[0].substr(46, 5), "third");
}

TEST_F(HorseStepTest, PerHorseFilesAndRecord) {
  HorseRec h("2016104321");
  h.Counts("overall", {1, 0, 1, 0, 0, 2}).Style(2, 1, 3, 4).Prize(0, 12345).Prize(5, 7);
  WriteRecords("UM20180101.dat", {h});
  Run();
  SankuStat st = SankuStatBlock(h.bytes());
  EXPECT_EQ(ReadFile("KYOSOBA/2016104321.dat"), st.text);
  EXPECT_EQ(ReadFile("KYOSOBAN/2016104321.dat"), SankuNumberText(st.values));
  EXPECT_EQ(ReadFile("OPTION1N/KYOSOBA.dat"), KyosobaRecord(h.bytes(), st.values));
  EXPECT_EQ(ReadFile("OPTION1N/KYOSOBA.dat").substr(10, 6), "050000");
  EXPECT_TRUE(frame_->clean());
}

// A raw file whose one record is no horse (data kind 0) leaves no horse to list.
TEST_F(HorseStepTest, ARawFileWithoutHorses) {
  WriteRecords("UM20180101.dat", {HorseRec("2010100005", '0')});
  WriteFile("KETTONUM20180101.dat", "\"2015100001\"\r\n");
  WriteFile("OPTION1N/KYOSOBA.dat", std::string(kKyosobaLength, 'x'));
  EXPECT_EQ(Run(), "UM 終わり  0 0");
  EXPECT_EQ(ReadFile("KETTONUM20180101.dat"), "");
  EXPECT_EQ(ReadFile("KETTOMASSHO.dat"), "");
  EXPECT_FALSE(Exists("OPTION1N/KYOSOBA.dat"));
}

TEST_F(HorseStepTest, OldRecordFileShrinksToTheHorses) {
  WriteFile("OPTION1N/KYOSOBA.dat", std::string(5 * kKyosobaLength, 'x'));
  WriteRecords("UM20180101.dat", {HorseRec("2015100001"), HorseRec("2015100002")});
  Run();
  auto recs = Records("OPTION1N/KYOSOBA.dat", kKyosobaLength);
  ASSERT_EQ(ReadFile("OPTION1N/KYOSOBA.dat").size(), 2u * kKyosobaLength);
  EXPECT_EQ(recs[1].substr(0, 10), "2015100002");
}

TEST_F(HorseStepTest, AMissingFolderStopsTheStepBeforeItWrites) {
  // The step's own missing folders are named, the command makes every
  // missing folder of the data directory (the step's first), and not one
  // output is touched: the NEW file, the lists, the per-horse files.
  const struct {
    std::vector<const char*> missing;
    const char* named;
  } cases[] = {{{"KYOSOBA"}, "missing folder KYOSOBA:"},
               {{"OPTION1N"}, "missing folder OPTION1N:"},
               {{"KYOSOBA", "KYOSOBAN"}, "missing folders KYOSOBA, KYOSOBAN:"},
               {{"KYOSOBA", "UMAGOTOSETUP", "HAHA"}, "missing folder KYOSOBA:"}};
  WriteRecords("UM20180101.dat", {HorseRec("2015100001")});
  for (const auto& c : cases) {
    dir_->CreateFolders(kDataDirFolders);
    WriteFile("KETTONUM20180101.dat", "old");
    for (const char* folder : c.missing) std::filesystem::remove_all(root_ / folder);
    std::string mkdir = "mkdir -p";
    for (const char* folder : c.missing) mkdir += " " + (root_ / folder).string();
    mkdir += "\n";
    try {
      Run();
      ADD_FAILURE() << "the step ran";
    } catch (const StepStopped& e) {
      const std::string text = std::string(e.what()) + "\n";
      EXPECT_EQ(text.rfind(c.named, 0), 0u) << text;
      EXPECT_NE(text.find(mkdir), std::string::npos) << text;
    }
    EXPECT_EQ(ReadFile("KETTONUM20180101.dat"), "old");
    EXPECT_FALSE(Exists("UM20180101NEW.dat"));
    EXPECT_FALSE(Exists("KETTOMASSHO.dat"));
    EXPECT_FALSE(Exists("KYOSOBAN/2015100001.dat"));
    for (const char* folder : c.missing) EXPECT_FALSE(std::filesystem::exists(root_ / folder));
  }
}

TEST_F(HorseStepTest, PedigreeNumberThatIsNoFileName) {
  WriteRecords("UM20180101.dat", {HorseRec("2015/..001"), HorseRec("2015100002")});
  EXPECT_EQ(Run(), "UM 終わり  0 2");
  EXPECT_FALSE(Exists("KYOSOBA/2015"));
  auto recs = Records("OPTION1N/KYOSOBA.dat", kKyosobaLength);
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].substr(0, 10), "2015/..001");
  auto report = frame_->Report();
  ASSERT_EQ(report.size(), 1u);
  EXPECT_EQ(report[0].rfind("horse file name: ", 0), 0u);
}

TEST_F(HorseStepTest, AFullDiskEndsTheStepAndTheOutputsNotYetReplacedKeepTheirBytes) {
  // Enough horses that KETTOMASSHO.dat's buffer is written mid-step. The two
  // lists take their names together at the end of the loop, so a full disk
  // under one keeps both; one under KYOSOBA.dat comes after the lists.
  const std::string former_ketto = "\"2014100001\"\r\n";
  const std::string former_massho = "\"2014100001\",\"0123\"\r\n";
  const std::string former_records = std::string(kKyosobaLength, 'o');
  std::vector<std::string> raw;
  for (int i = 0; i < 3200; ++i) raw.push_back(HorseRec("201510" + HorseRec::Digits(i, 4)));
  WriteRecords("UM20180101.dat", raw);
  const struct {
    const char* full;
    bool lists_written;
  } cases[] = {{"KETTOMASSHO.dat", false}, {"KYOSOBA.dat", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.full);
    WriteFile("KETTONUM20180101.dat", former_ketto);
    WriteFile("KETTOMASSHO.dat", former_massho);
    WriteFile("OPTION1N/KYOSOBA.dat", former_records);
    frame_ = std::make_unique<StepFrame>();
    try {
      testing::FullDiskFor full({c.full});
      Run();
      ADD_FAILURE() << "the step went on";
    } catch (const StepStopped& e) {
      EXPECT_NE(std::string(e.what()).find(c.full), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos);
    }
    EXPECT_EQ(Records("UM20180101NEW.dat", kHorseLength).size(), 3200u);
    EXPECT_EQ(ReadFile("OPTION1N/KYOSOBA.dat"), former_records);
    if (c.lists_written) {
      EXPECT_EQ(Lines("KETTONUM20180101.dat").size(), 3200u);
      EXPECT_EQ(Lines("KETTOMASSHO.dat").size(), 3200u);
    } else {
      EXPECT_EQ(ReadFile("KETTONUM20180101.dat"), former_ketto);
      EXPECT_EQ(ReadFile("KETTOMASSHO.dat"), former_massho);
    }
    EXPECT_EQ(testing::TemporaryFilesUnder(root_), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace volq
