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
  EXPECT_EQ(InterruptedStepLine(StepRun(ButtonOf(BuildStep::ExBuild)), data_),
            "Command1 (計算) of window FormVOLQNQ4DEXPDSETUP2024ZZ was interrupted at 2025-03-01 "
            "10:15:02: its outputs may be incomplete; press Command1 again");
}

JournalRun BuildRun(std::string name, std::vector<std::string> writes,
                    std::string at = "2025-03-01 10:15:02") {
  return {std::string(kBuildProgram), std::move(at), std::move(name), std::move(writes), {}};
}

// What a press says of the journal's runs, and whether one of them is left
// only for --forget-interrupted to remove: a table of journal states.
TEST_F(InterruptedRunsTest, WhatEachRunIsToldWithWhatClearsItAndFoldedByStep) {
  const std::string extraction = StepRunName(kCategoryWindow, "Command1", "抽出");
  const std::string forget = "remove it with: volqbuild --data-dir " +
                             fs::absolute(data_).lexically_normal().string() +
                             " --forget-interrupted, then ";
  const std::string at = "was interrupted at 2025-03-01 10:15:02: its outputs may be incomplete; ";
  std::vector<std::string> categorised = CategorisationOutputs("Dirt");
  const JournalRun entries = StepRun(ButtonOf(BuildStep::HorseEntryFiles));
  const JournalRun race_entries = StepRun(ButtonOf(BuildStep::RaceEntry));
  auto At = [](JournalRun run, const char* at) {
    run.at = at;
    return run;
  };
  struct Case {
    const char* what;
    std::vector<JournalRun> runs;
    std::vector<std::string> said;
    bool forgotten;  // --forget-interrupted removes the runs
  };
  const Case cases[] = {
      {"an extraction for turf from 201801",
       {BuildRun(StepRunFor(extraction, "芝 201801"), {"SIBA201801N.dat"})},
       {"Command1 (抽出) of window FormCATEGORYSETUP2024ZZ for 芝 from 201801 " + at +
        "type Text1 201801, press Option1 (芝) and press Command1 again"},
       false},
      {"an older version's extraction, named without its course and month",
       {BuildRun(extraction, {"DIRT201712N.dat"})},
       {"Command1 (抽出) of window FormCATEGORYSETUP2024ZZ for ダート from 201712 " + at +
        "type Text1 201712, press Option2 (ダート) and press Command1 again"},
       false},
      {"a month typed with a blank",
       {BuildRun(StepRunFor(extraction, "障害  201801"), {"SHOG 201801N.dat"})},
       {"Command1 (抽出) of window FormCATEGORYSETUP2024ZZ for 障害 from  201801 " + at +
        "type Text1 \" 201801\", press Option3 (障害) and press Command1 again"},
       false},
      {"a categorisation",
       {BuildRun(StepRunName(kCategoryWindow, "Command6", "ダカテゴリー化"), categorised)},
       {"Command6 (ダカテゴリー化) of window FormCATEGORYSETUP2024ZZ " + at +
        "press Command6 again"},
       false},
      {"the same step cut short three times folds into one line",
       {entries, At(entries, "2025-03-02 09:00:00"), race_entries,
        At(entries, "2025-03-03 09:00:00")},
       {"Command6 (SE/UM) was interrupted 3 times, last at 2025-03-03 09:00:00: its outputs may "
        "be incomplete; press Command6 again",
        "Command2 (SE(詳細)) " + at + "press Command2 again"},
       false},
      {"an output its button no longer writes",
       {BuildRun(StepRunName(kMainWindow, "Command3", "UM(競走馬)"),
                 {"UM20180101NEW.dat", "UM20170101NEW.dat"})},
       {"Command3 (UM(競走馬)) " + at +
        "no press clears this entry, as Command3 writes no UM20170101NEW.dat now: " + forget +
        "press Command3 again"},
       true},
      {"a caption no button has now",
       {BuildRun(StepRunName(kMainWindow, "Command3", "UM(旧)"), {"UM20180101NEW.dat"})},
       {"Command3 (UM(旧)) " + at +
        "no press clears this entry, as no button of these programs is named so now: " + forget +
        "press again the steps that write UM20180101NEW.dat"},
       true},
      {"an extraction for a month the window does not take",
       {BuildRun(StepRunFor(extraction, "芝 2018x"), {"SIBA2018xN.dat"})},
       {"Command1 (抽出) of window FormCATEGORYSETUP2024ZZ for 芝 2018x " + at +
        "no press clears this entry, as no button of these programs is named so now: " + forget +
        "press again the steps that write SIBA2018xN.dat"},
       true},
      {"a run of no step",
       {BuildRun("rebuild", {"A.dat", "B.dat", "C.dat", "D.dat"})},
       {"volqbuild's run 'rebuild' was interrupted at 2025-03-01 10:15:02: what it writes may "
        "be incomplete; no press clears this entry, as no step of these programs is named so: " +
        forget + "press again the steps that write A.dat, B.dat, C.dat and 1 more"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Journal(c.runs);
    RunJournal journal(data_);
    EXPECT_EQ(TakeJournal(journal), c.said);
    for (const JournalRun& run : c.runs) EXPECT_EQ(NoPressClears(run), c.forgotten);
  }
}

// --forget-interrupted removes what no press clears and keeps the rest; a
// press of one course and month clears that extraction alone.
TEST_F(InterruptedRunsTest, ForgettingAndPressingClearWhatTheyShould) {
  const std::string extraction = StepRunName(kCategoryWindow, "Command1", "抽出");
  const JournalRun turf = BuildRun(StepRunFor(extraction, "芝 201801"), {"SIBA201801N.dat"});
  const JournalRun turf_before = BuildRun(extraction, {"SIBA201801N.dat"});
  const JournalRun turf_february =
      BuildRun(StepRunFor(extraction, "芝 201802"), {"SIBA201802N.dat"});
  const JournalRun stale = BuildRun(StepRunName(kMainWindow, "Command3", "UM(旧)"), {"UM.dat"});
  Journal({stale, turf, turf_february, stale, turf_before});
  RunJournal journal(data_);
  EXPECT_EQ(ForgetRunsNoPressClears(journal),
            std::vector<std::string>{
                "removed from the journal: Command3 (UM(旧)), interrupted 2 times, last at "
                "2025-03-01 10:15:02 (no press clears it, as no button of these programs is named "
                "so now); its outputs may be incomplete: press again the steps that write UM.dat"});
  ASSERT_EQ(journal.runs().size(), 3u);
  EXPECT_TRUE(ForgetRunsNoPressClears(journal).empty());

  // The factor build of turf reads the list of 201801: refused by that
  // extraction (with its older run), not by the one of 201802.
  const std::vector<std::string_view> reads = {"SIBA201801N.dat"};
  EXPECT_NE(RefusalOf(journal, reads, "").find("for 芝 from 201801 was interrupted at"),
            std::string::npos);
  // The press for February clears its run alone; the press for January its
  // own and the one an older version named without course and month.
  journal.Leave(BuildRun(turf_february.name, turf_february.writes, ""), extraction);
  ASSERT_EQ(journal.runs().size(), 2u);
  journal.Leave(BuildRun(turf.name, turf.writes, ""), extraction);
  EXPECT_TRUE(journal.runs().empty());
  EXPECT_FALSE(fs::exists(data_ / kJournalName));
}

}  // namespace
}  // namespace volq
