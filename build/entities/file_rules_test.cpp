// What the steps do with the entries of the data directory that are not
// plain writable files: symlinks in place of a file, read-only outputs, and
// the temporary files of killed runs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>

#include "build/entities/entity_files.h"
#include "build/entities/entity_test_support.h"
#include "build/records/new_file.h"
#include "build/records/test_support.h"
#include "platform/fs/plain_files_for_tests.h"

namespace volq {
namespace {

namespace fs = std::filesystem;
using testing::ListText;
using testing::StepTest;

std::string Race(const std::string& tag, const std::string& kind = "7") {
  return StepTest::Rec(
      kRaceLength,
      {{0, "RA"}, {2, kind}, {3, "20240101"}, {11, "20240106"}, {19, "05"}, {25, "11"}, {32, tag}});
}

std::string Entry(const std::string& horse) {
  return StepTest::Rec(kRaceEntryLength, {{0, "SE"},
                                          {2, "7"},
                                          {3, "20240110"},
                                          {11, "20240106"},
                                          {19, "05"},
                                          {25, "11"},
                                          {28, "03"},
                                          {30, horse}});
}

class FileRulesTest : public StepTest {
 public:
  void SetUp() override {
    StepTest::SetUp();
    outside_ = root_.string() + "_outside";
    fs::remove_all(outside_);
    fs::create_directories(outside_);
  }
  void TearDown() override {
    fs::remove_all(outside_);
    StepTest::TearDown();
  }

  // Runs the step; its report, with the reason of a stop.
  std::string Run(const std::function<std::string(StepContext&)>& step) {
    frame_ = std::make_unique<StepFrame>();
    auto cx = ctx();
    std::string text;
    try {
      step(cx);
    } catch (const StepStopped& e) {
      text = std::string("stopped: ") + e.what() + "\n";
    }
    for (const std::string& line : frame_->Report()) text += line + "\n";
    return text;
  }

  fs::path outside_;
};

// A symlink where a step reads or writes a file is refused by name: the
// file it points to keeps its bytes, and a dangling one makes none.
TEST_F(FileRulesTest, ASymlinkInPlaceOfAFileIsRefusedAndNothingOutsideChanges) {
  const struct {
    const char* name;
    const char* link;  // in the data directory
    bool dangling;
    std::function<std::string(StepContext&)> step;
    const char* report;
  } cases[] = {
      {"a per-entity file", "UMAGOTOSETUP/H000000001.dat", false, HorseEntryFilesStep,
       "refused symlink UMAGOTOSETUP/H000000001.dat"},
      {"a per-entity file, dangling", "UMAGOTOSETUP/H000000001.dat", true, HorseEntryFilesStep,
       "refused symlink UMAGOTOSETUP/H000000001.dat"},
      {"a NEW file", "RA20180101NEW.dat", false, RaceStep, "refused symlink RA20180101NEW.dat"},
      {"a NEW file, dangling", "RA20180101NEW.dat", true, RaceStep,
       "refused symlink RA20180101NEW.dat"},
      {"a raw file", "RA20180101.dat", false, RaceStep,
       "cannot read input RA20180101.dat: refused symlink"},
      {"a raw file, dangling", "RA20180101.dat", true, RaceStep,
       "cannot read input RA20180101.dat: refused symlink"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    WriteFile("KETTONUM20180101.dat", ListText({"H000000001"}));
    WriteRecords("SE20180101NEW.dat", {Entry("H000000001")});
    WriteRecords("RA20180101.dat", {Race("r1")});
    const fs::path link = dir_->Path(c.link);
    fs::remove(link);
    const fs::path target = outside_ / "target.dat";
    if (!c.dangling) WritePlainFile(target, "outside");
    fs::create_symlink(target, link);

    const std::string report = Run(c.step);
    EXPECT_NE(report.find(c.report), std::string::npos) << report;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    if (c.dangling) {
      EXPECT_FALSE(fs::exists(target));
    } else {
      EXPECT_EQ(ReadPlainFile(target), "outside");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(outside_), fs::directory_iterator()),
              c.dangling ? 0 : 1);
    EXPECT_TRUE(testing::TemporaryFilesUnder(root_).empty());
  }
}

// A read-only output is neither replaced nor deleted: the step reports it
// and goes on; a replaced output keeps the permission bits it had.
TEST_F(FileRulesTest, AReadOnlyOutputKeepsItsBytesAndModeAndAReplacedOneItsMode) {
  const struct {
    const char* name;
    std::vector<std::string> races;  // none kept: the NEW file would be deleted
    unsigned mode;
    bool replaced;
  } cases[] = {
      {"read-only, replaced", {Race("r1")}, 0444, false},
      {"read-only, deleted", {Race("r1", "1")}, 0444, false},
      {"writable by the owner only", {Race("r1")}, 0600, true},
      {"writable by all", {Race("r1")}, 0666, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteRecords("RA20180101.dat", c.races);
    const fs::path out = dir_->Path("RA20180101NEW.dat");
    fs::remove(out);
    WriteWholeFile(out, "former");
    ASSERT_EQ(::chmod(out.c_str(), c.mode), 0);

    const std::string report = Run(RaceStep);
    struct stat st;
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.mode);
    if (c.replaced) {
      EXPECT_EQ(ReadWholeFile(out), Race("r1"));
      EXPECT_EQ(report, "");
    } else {
      EXPECT_EQ(ReadWholeFile(out), "former");
      EXPECT_NE(report.find("RA20180101NEW.dat: Permission denied"), std::string::npos) << report;
      EXPECT_EQ(report.find("stopped"), std::string::npos) << report;
    }
    EXPECT_TRUE(testing::TemporaryFilesUnder(root_).empty());
  }
}

// The temporary files that killed runs left beside a step's outputs go when
// the step begins; those of other files, and look-alikes, stay.
TEST_F(FileRulesTest, AStepRemovesTheTemporaryFilesOfItsOutputsThatKilledRunsLeft) {
  WriteRecords("RA20180101.dat", {Race("r1")});
  const std::vector<std::string> gone = {"RA20180101NEW.dat.4242-0.partial",
                                         "ra20180101new.dat.17-3.partial"};
  const std::vector<std::string> kept = {"SE20180101NEW.dat.4242-0.partial",
                                         "RA20180101NEW.dat.x-1.partial",
                                         "RA20180101NEW.datx.1-1.partial"};
  for (const auto& n : gone) WriteWholeFile(root_ / n, "left");
  for (const auto& n : kept) WriteWholeFile(root_ / n, "left");
  EXPECT_EQ(Run(RaceStep), "");
  for (const auto& n : gone) EXPECT_FALSE(fs::exists(root_ / n)) << n;
  for (const auto& n : kept) EXPECT_TRUE(fs::exists(root_ / n)) << n;
  EXPECT_EQ(ReadFile("RA20180101NEW.dat"), Race("r1"));
}

}  // namespace
}  // namespace volq
