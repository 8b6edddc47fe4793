#include "common/interrupted_runs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/data_dir_catalogue.h"
#include "platform/fs/data_dir.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

JournalRun StepRun(const BuildButton& b) {
  return {std::string(kBuildProgram),
          "2025-03-01 10:15:02",
          StepRunName(b.window, b.control, b.caption),
          std::vector<std::string>(b.writes.begin(), b.writes.end()),
          {}};
}

class InterruptedRunsTest : public ::testing::Test {
 protected:
  InterruptedRunsTest()
      : data_(fs::temp_directory_path() /
              ("volq_runs_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        dir_((fs::remove_all(data_), fs::create_directories(data_), data_)) {}
  ~InterruptedRunsTest() override { fs::remove_all(data_); }

  void Journal(const std::vector<JournalRun>& runs) {
    std::ofstream(data_ / kJournalName, std::ios::binary) << JournalText(runs);
  }

  fs::path data_;
  DataDir dir_;
};

// Command3 cut short: the steps that go through, consult or read per entity
// one of its outputs refuse with its line; it and the others run.
TEST_F(InterruptedRunsTest, StepsThatReadAStepCutShortRefuseWithItsLine) {
  const JournalRun horse = StepRun(ButtonOf(BuildStep::Horse));
  JournalRun entries = StepRun(ButtonOf(BuildStep::HorseEntryFiles));
  entries.at = "2025-03-02 08:00:00";
  Journal({horse, entries});
  RunJournal journal(data_);
  const std::vector<std::string> said = TakeJournal(journal);
  const std::string line =
      "Command3 (UM(競走馬)) was interrupted at 2025-03-01 10:15:02: its outputs may be "
      "incomplete; press Command3 again";
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0], line);
  // Said once in a process: taken again, nothing.
  EXPECT_TRUE(TakeJournal(journal).empty());

  auto refusal = [&](BuildStep step) {
    const BuildButton& b = ButtonOf(step);
    std::vector<std::string_view> reads = b.walks;
    reads.insert(reads.end(), b.consults.begin(), b.consults.end());
    reads.insert(reads.end(), b.also_reads.begin(), b.also_reads.end());
    return RefusalOf(journal, reads, StepRunName(b.window, b.control, b.caption));
  };
  struct Case {
    BuildStep step;
    std::string refusal;  // "" runs
  };
  for (const Case& c : {Case{BuildStep::Horse, ""}, Case{BuildStep::Race, ""},
                        Case{BuildStep::DamOffspring, line},     // walks UM20180101NEW.dat
                        Case{BuildStep::HorseEntryFiles, line},  // walks KETTONUM20180101.dat
                        Case{BuildStep::JockeyEntryFiles, ""}}) {
    EXPECT_EQ(refusal(c.step), c.refusal) << ButtonOf(c.step).control;
  }
  // Once Command3 has run to its end: a per-entity folder read refuses too.
  journal.Leave(horse);
  EXPECT_EQ(refusal(BuildStep::HorseEntryFiles), "");
  EXPECT_EQ(refusal(BuildStep::ExBuild),
            "Command6 (SE/UM) was interrupted at 2025-03-02 08:00:00: its outputs may be "
            "incomplete; press Command6 again");
  // Another window's button is named with its window.
  EXPECT_EQ(InterruptedStepLine(StepRun(ButtonOf(BuildStep::ExBuild))),
            "Command1 (計算) of window FormVOLQNQ4DEXPDSETUP2024ZZ was interrupted at 2025-03-01 "
            "10:15:02: its outputs may be incomplete; press Command1 again");
}

}  // namespace
}  // namespace volq
