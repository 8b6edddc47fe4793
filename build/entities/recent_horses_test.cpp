#include "build/entities/recent_horses.h"

#include <gtest/gtest.h>

#include "build/entities/entity_test_support.h"
#include "build/records/test_support.h"
#include "common/record_layout.h"

namespace volq {
namespace {

using testing::ListText;
using testing::StepTest;

// A race entry of a horse in a year; bytes 30-39 carry the pedigree number.
std::string Race(const std::string& year, const std::string& pedigree) {
  return StepTest::Rec(kRaceEntryLength,
                       {{0, "SE"}, {2, "7"}, {11, year + "0106"}, {19, "05"}, {30, pedigree}});
}

std::string Placing(const std::string& pedigree, const std::string& tag) {
  return StepTest::Rec(228, {{0, pedigree}, {10, tag}});
}

class RecentHorsesTest : public StepTest {};

TEST_F(RecentHorsesTest, HorsesWhoseLatestRaceIsFrom2000On) {
  WriteFile("UMAGOTOSETUP/H000000001.dat", "");  // no races
  WriteRecords("UMAGOTOSETUP/H000000002.dat",
               {Race("2005", "H000000002"), Race("1999", "H000000002")});
  WriteRecords("UMAGOTOSETUP/H000000003.dat",
               {Race("1990", "H000000003"), Race("2000", "H000000003")});
  // H000000004 has no file at all. A latest year that is not a number fails
  // the test, which then holds: H000000005 is listed.
  WriteRecords("UMAGOTOSETUP/H000000005.dat",
               {Race("2024", "H000000005"), Race("20X4", "H000000005")});
  // The line holds the record's own pedigree bytes.
  WriteRecords("UMAGOTOSETUP/H000000006.dat", {Race("2024", "Z000000099")});
  WriteFile("KETTONUM20180101Q.dat", "old");
  WriteFile("KETTONUM20180101.dat", ListText({"H000000001", "H000000002", "H000000003",
                                              "H000000004", "H000000005", "H000000006"}));
  int64_t yields = 0;
  frame_->yield_hook = [&](int64_t done, int64_t total) {
    ++yields;
    EXPECT_EQ(total, 6);
    EXPECT_EQ(done, yields);
  };
  auto cx = ctx();
  EXPECT_EQ(WriteRecentHorseList(cx),
            (std::vector<std::string>{"H000000003", "H000000005", "Z000000099"}));
  EXPECT_EQ(yields, 6);
  EXPECT_EQ(ReadFile("KETTONUM20180101Q.dat"),
            "\"H000000003\"\r\n\"H000000005\"\r\n\"Z000000099\"\r\n");
  EXPECT_FALSE(Exists("UMAGOTOSETUP/H000000004.dat"));  // only read, so never created
  EXPECT_EQ(frame_->Report(),
            (std::vector<std::string>{
                "missing entity file: UMAGOTOSETUP/H000000004.dat read as empty; write it "
                "first: press Command6 (SE/UM)",
                "race year: not a number: '20X4'"}));
}

TEST_F(RecentHorsesTest, PlacingRecordsOfRecentHorsesInFileOrder) {
  WriteRecords("UMAGOTOSETUP/H000000003.dat", {Race("2010", "H000000003")});
  WriteRecords("UMAGOTOSETUP/H000000006.dat", {Race("2024", "H000000006")});
  WriteRecords("UMAGOTOSETUP/H000000007.dat", {Race("1998", "H000000007")});
  // A horse listed twice is copied twice.
  WriteFile("KETTONUM20180101.dat",
            ListText({"H000000006", "H000000003", "H000000007", "H000000003"}));
  WriteFile("KISHUNUM20180101.dat", "");
  WriteRecords("OPTION1N/KYOSOBA.dat", {Placing("H000000001", "p1"), Placing("H000000003", "p3"),
                                        Placing("H000000007", "p7"), Placing("H000000006", "p6")});
  auto cx = ctx();
  EXPECT_EQ(RecentHorsesStep(cx), "終わり  4");
  EXPECT_EQ(record_count_, 4);
  EXPECT_EQ(
      ReadFile("OPTION1N/KYOSOBAA.dat"),
      Placing("H000000003", "p3") + Placing("H000000003", "p3") + Placing("H000000006", "p6"));
}

TEST_F(RecentHorsesTest, NoPlacingRecordFileWhenNoneIsCopied) {
  WriteFile("OPTION1N/KYOSOBAA.dat", "old");
  WriteRecords("UMAGOTOSETUP/H000000003.dat", {Race("2010", "H000000003")});
  WriteFile("KETTONUM20180101.dat", ListText({"H000000003"}));
  WriteFile("KISHUNUM20180101.dat", "");
  WriteRecords("OPTION1N/KYOSOBA.dat", {Placing("H000000001", "p1")});
  auto cx = ctx();
  EXPECT_EQ(RecentHorsesStep(cx), "終わり  1");
  EXPECT_FALSE(Exists("OPTION1N/KYOSOBAA.dat"));

  // Empty lists and no placing records: empty outputs and a count of 0, the
  // missing placing-record file reported.
  WriteFile("KETTONUM20180101.dat", "");
  std::filesystem::remove(dir_->Path("OPTION1N/KYOSOBA.dat"));
  StepFrame fresh;
  StepContext cx2{*dir_, fresh, record_count_};
  EXPECT_EQ(RecentHorsesStep(cx2), "終わり  0");
  EXPECT_EQ(ReadFile("KETTONUM20180101Q.dat"), "");
  EXPECT_FALSE(Exists("OPTION1N/KYOSOBAA.dat"));
  EXPECT_FALSE(Exists("OPTION1N/DONICHI.dat"));
  EXPECT_EQ(fresh.Report(),
            (std::vector<std::string>{"missing input OPTION1N/KYOSOBA.dat: read as empty; write "
                                      "it first: press Command3 (UM(競走馬))"}));

  // Either list missing: the step stops with every output as it was.
  for (const char* missing : {"KETTONUM20180101.dat", "KISHUNUM20180101.dat"}) {
    SCOPED_TRACE(missing);
    WriteFile("KETTONUM20180101.dat", ListText({"H000000003"}));
    WriteFile("KISHUNUM20180101.dat", ListText({"01001"}));
    std::filesystem::remove(dir_->Path(missing));
    WriteFile("KETTONUM20180101Q.dat", "old");
    WriteFile("OPTION1N/DONICHI.dat", "old");
    StepFrame stopped;
    StepContext cx3{*dir_, stopped, record_count_};
    EXPECT_THROW(RecentHorsesStep(cx3), StepStopped);
    EXPECT_FALSE(Exists(missing));
    EXPECT_EQ(ReadFile("KETTONUM20180101Q.dat"), "old");
    EXPECT_EQ(ReadFile("OPTION1N/DONICHI.dat"), "old");
    EXPECT_FALSE(Exists("KISHUFUKUSHO/01001.dat"));
  }
}

}  // namespace
}  // namespace volq
