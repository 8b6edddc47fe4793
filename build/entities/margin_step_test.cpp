#include "build/entities/margin_step.h"

#include <gtest/gtest.h>

#include <map>

#include "build/entities/entity_test_support.h"
#include "build/records/test_support.h"

namespace volq {
namespace {

using testing::ListText;
using testing::StepTest;

std::string Ex(const std::string& race_number, const std::string& arrival,
               const std::string& margin) {
  return StepTest::Rec(kUmaExLength, {{11, "2024"},
                                      {15, "0106"},
                                      {19, "05"},
                                      {21, "01"},
                                      {23, "02"},
                                      {25, race_number},
                                      {679, arrival},
                                      {689, margin}});
}

class MarginStepTest : public StepTest {
 public:
  // Every file of the data directory with its bytes.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root_)) {
      if (!e.is_regular_file()) continue;
      std::string name = e.path().lexically_relative(root_).string();
      files[name] = ReadFile(name);
    }
    return files;
  }
};

TEST_F(MarginStepTest, ReadsAndCreatesNoFile) {
  // The step writes nothing: a horse without an EX file has no records, and
  // none is made for it.
  WriteFile("KETTONUM20180101Q.dat", ListText({"H000000002", "H000000001"}));
  WriteRecords("UMAGOTOEXSETUP/H000000001EX.dat",
               {Ex("01", "01", "A  "), Ex("02", "02", "1/2"), Ex("11", "01", "Z  ")});
  WriteFile("UMAGOTOSETUP/H000000002.dat", "race entries");
  auto before = Snapshot();
  auto cx = ctx();
  EXPECT_EQ(MarginStep(cx), "");
  EXPECT_EQ(record_count_, 3);  // the last horse's count
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(
      frame_->Report(),
      (std::vector<std::string>{
          "missing entity file: UMAGOTOEXSETUP/H000000002EX.dat read as empty; write it first: "
          "press Command9 (VOLQNQ4DEXPD), then Command1 (計算) in the window it opens"}));

  auto rows = ReadWinnerMargins(cx);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].race, "202405010201");
  EXPECT_EQ(rows[0].arrival, "01");
  EXPECT_EQ(rows[0].margin, "A  ");
  EXPECT_EQ(rows[1].race, "202405010211");
  EXPECT_EQ(rows[1].margin, "Z  ");
  EXPECT_EQ(frame_->Report().size(), 1u);  // the same missing file, folded
}

TEST_F(MarginStepTest, NoListStopsItRefusedNamesAndFoldersDoNot) {
  auto cx = ctx();
  record_count_ = 5;
  EXPECT_THROW(MarginStep(cx), StepStopped);
  EXPECT_EQ(record_count_, 5);
  EXPECT_FALSE(Exists("KETTONUM20180101Q.dat"));
  EXPECT_TRUE(std::filesystem::is_empty(dir_->Path("UMAGOTOEXSETUP")));

  std::filesystem::create_directories(dir_->Path("UMAGOTOEXSETUP") / "H000000003EX.dat");
  WriteRecords("UMAGOTOEXSETUP/H000000004EX.dat", {Ex("01", "01", "A  ")});
  WriteFile("KETTONUM20180101Q.dat", ListText({"../H1", "H000000003", "", "H000000004"}));
  EXPECT_EQ(ReadWinnerMargins(cx).size(), 1u);
  EXPECT_EQ(record_count_, 1);
  auto report = frame_->Report();
  ASSERT_EQ(report.size(), 2u);
  EXPECT_EQ(report[0], "open: refused file name in UMAGOTOEXSETUP (2 times; first: '../H1', '')");
  EXPECT_EQ(report[1], "open: cannot read UMAGOTOEXSETUP/H000000003EX.dat: Is a directory");
}

}  // namespace
}  // namespace volq
