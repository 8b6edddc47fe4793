#include "build/records/new_file.h"

#include <gtest/gtest.h>

#include "build/records/breeding_step.h"
#include "build/records/horse_step.h"
#include "build/records/jockey_step.h"
#include "build/records/test_support.h"
#include "build/records/trainer_step.h"
#include "build/step/step_inputs.h"
#include "build/step/step_runner.h"

namespace volq {
namespace {

using testing::StepTest;

// Race record with the fields of the key, its kind and a tag in the name.
std::string Race(char kind, const std::string& date, const std::string& venue,
                 const std::string& race, const std::string& tag) {
  return StepTest::Rec(kRaceLength, {{0, "RA"},
                                     {2, std::string(1, kind)},
                                     {3, "20240101"},
                                     {11, date},
                                     {19, venue},
                                     {25, race},
                                     {32, tag}});
}

std::string Entry(char kind, const std::string& venue, const std::string& horse,
                  const std::string& tag) {
  return StepTest::Rec(kRaceEntryLength, {{0, "SE"},
                                          {2, std::string(1, kind)},
                                          {11, "20240106"},
                                          {19, venue},
                                          {25, "11"},
                                          {28, "03"},
                                          {30, horse},
                                          {40, tag}});
}

class NewFileTest : public StepTest {};

TEST_F(NewFileTest, SurvivorsOfEqualKeysFollowTheSort) {
  // Two equal keys: the sort swaps them, so the race step keeps record 2 and
  // the race-entry step record 1. Three: 3 first, 1 last.
  const struct {
    int n;
    const char* ra_tag;
    const char* se_tag;
  } cases[] = {{1, "r1", "r1"}, {2, "r2", "r1"}, {3, "r3", "r1"}};
  for (const auto& c : cases) {
    std::vector<std::string> ra, se;
    for (int k = 1; k <= c.n; ++k) {
      ra.push_back(Race('7', "20240106", "05", "11", "r" + std::to_string(k)));
      se.push_back(Entry('7', "05", "2019100001", "r" + std::to_string(k)));
    }
    WriteRecords("RA20180101.dat", ra);
    WriteRecords("SE20180101.dat", se);
    auto cx = ctx();
    EXPECT_EQ(RaceStep(cx), "RA 終わり  " + std::to_string(c.n));
    EXPECT_EQ(RaceEntryStep(cx), "SE 終わり  " + std::to_string(c.n));
    auto ran = Records("RA20180101NEW.dat", kRaceLength);
    auto sen = Records("SE20180101NEW.dat", kRaceEntryLength);
    ASSERT_EQ(ran.size(), 1u);
    ASSERT_EQ(sen.size(), 1u);
    EXPECT_EQ(ran[0].substr(32, 2), c.ra_tag) << c.n;
    EXPECT_EQ(sen[0].substr(40, 2), c.se_tag) << c.n;
  }
}

TEST_F(NewFileTest, AnUnkeptSurvivorDropsItsKey) {
  // Of two equal keys the race step keeps record 2 and the race-entry step
  // record 1; when that one is of kind "1", the key has no record at all.
  WriteRecords("RA20180101.dat",
               {Race('7', "20240106", "05", "11", "a"), Race('1', "20240106", "05", "11", "b")});
  WriteRecords("SE20180101.dat",
               {Entry('1', "05", "2019100001", "a"), Entry('7', "05", "2019100001", "b")});
  auto cx = ctx();
  EXPECT_EQ(RaceStep(cx), "RA 終わり  2");
  EXPECT_EQ(RaceEntryStep(cx), "SE 終わり  2");
  EXPECT_EQ(ReadFile("RA20180101NEW.dat"), "");
  EXPECT_EQ(ReadFile("SE20180101NEW.dat"), "");
}

TEST_F(NewFileTest, KeysKindsAndOrder) {
  WriteRecords("RA20180101.dat",
               {Race('7', "20240107", "05", "01", "a"),  // later date
                Race('7', "20240106", "06", "11", "b"),  // other racecourse: own key
                Race('7', "20240106", "05", "11", "c"),
                Race('1', "20240108", "05", "01", "d"),  // unkept kind
                Race('B', "20240108", "05", "02", "e"), Race('A', "20240108", "05", "03", "f")});
  auto cx = ctx();
  EXPECT_EQ(RaceStep(cx), "RA 終わり  6");
  std::string tags;
  for (const auto& r : Records("RA20180101NEW.dat", kRaceLength)) tags += r.substr(32, 1);
  EXPECT_EQ(tags, "cbaef");

  // Entries at two racecourses with the same key are one key; the survivor
  // of a run decides, even when another record of the run has a kept kind.
  WriteRecords("SE20180101.dat",
               {Entry('7', "05", "2019100001", "x"), Entry('7', "06", "2019100001", "y"),
                Entry('1', "05", "2019100002", "z"), Entry('7', "05", "2019100002", "w")});
  EXPECT_EQ(RaceEntryStep(cx), "SE 終わり  4");
  auto se = Records("SE20180101NEW.dat", kRaceEntryLength);
  ASSERT_EQ(se.size(), 1u);
  EXPECT_EQ(se[0].substr(40, 1), "x");
}

TEST_F(NewFileTest, MissingEmptyAndPartialRawFiles) {
  WriteFile("RA20180101NEW.dat", "old");
  auto cx = ctx();
  // A missing raw file stops the step: the former NEW file stays, and the
  // raw file is not created by looking for it.
  EXPECT_THROW(RaceStep(cx), StepStopped);
  EXPECT_FALSE(Exists("RA20180101.dat"));
  EXPECT_EQ(ReadFile("RA20180101NEW.dat"), "old");
  // An empty one is no download's: it stops the step as well, with the
  // former NEW file kept.
  WriteFile("RA20180101.dat", "");
  try {
    RaceStep(cx);
    ADD_FAILURE() << "the step ran on an empty raw file";
  } catch (const StepStopped& e) {
    EXPECT_EQ(std::string(e.what()),
              "input RA20180101.dat is empty: the step did not run and changed nothing; download "
              "again with volqfetch (a download leaves it empty only when the record source has "
              "no RA records)");
  }
  EXPECT_EQ(ReadFile("RA20180101NEW.dat"), "old");

  // A partial last record, whether its length rounds the count down or up,
  // is passed over and said.
  std::string r1 = Race('7', "20240106", "05", "01", "a");
  std::string r2 = Race('7', "20240106", "05", "02", "b");
  for (int tail : {kRaceLength / 2, kRaceLength / 2 + 1}) {
    SCOPED_TRACE(tail);
    frame_ = std::make_unique<StepFrame>();
    auto cx2 = ctx();
    WriteFile("RA20180101.dat", r1 + r2 + r1.substr(0, tail));
    EXPECT_EQ(RaceStep(cx2), "RA 終わり  2");
    EXPECT_EQ(ReadFile("RA20180101NEW.dat"), r1 + r2);
    EXPECT_EQ(frame_->Report(),
              (std::vector<std::string>{"read: RA20180101.dat: 1 record out of frame at byte 2,544 "
                                        "(record 3) passed over; no record in frame followed it"}));
    // A rerun is byte-identical.
    std::string first = ReadFile("RA20180101NEW.dat");
    RaceStep(cx2);
    EXPECT_EQ(ReadFile("RA20180101NEW.dat"), first);
  }
}

// Every step of this folder with the raw files it goes through and its
// outputs.
struct RawStep {
  const char* button;
  StepFn step;
  std::vector<std::string> raw, outputs;
};
const std::vector<RawStep>& RawSteps() {
  static const std::vector<RawStep> steps = {
      {"Command1", RaceStep, {"RA20180101.dat"}, {"RA20180101NEW.dat"}},
      {"Command2", RaceEntryStep, {"SE20180101.dat"}, {"SE20180101NEW.dat"}},
      {"Command3",
       HorseStep,
       {"UM20180101.dat"},
       {"UM20180101NEW.dat", "KETTONUM20180101.dat", "KETTOMASSHO.dat", "OPTION1N/KYOSOBA.dat"}},
      {"Command12",
       JockeyStep,
       {"KS20180101.dat"},
       {"KS20180101NEW.dat", "KISHUNUM20180101.dat", "KISHUSEISEI.dat"}},
      {"Command14",
       TrainerBreederOwnerStep,
       {"CH20180101.dat", "BR20180101.dat", "BN20180101.dat"},
       {"CH20180101NEW.dat", "CHOKYOSEISEI.dat", "BR20180101NEW.dat", "BREEDERSEISEI.dat",
        "BN20180101NEW.dat", "BANUSISEISEI.dat"}},
      {"Command7", BreedingHorseStep, {"HN20180101.dat"}, {"HN20180101NEW.dat", "FL20180101.dat"}},
  };
  return steps;
}

// Each raw file in turn missing, then unreadable (through the file layer's
// fault path, as chmod does not stop root): the step stops, every output
// keeps its bytes and no raw file comes into being.
TEST_F(NewFileTest, AMissingOrUnreadableRawFileChangesNoOutput) {
  for (const RawStep& s : RawSteps()) {
    for (const std::string& absent : s.raw) {
      for (const bool unreadable : {false, true}) {
        SCOPED_TRACE(std::string(s.button) + " " + absent +
                     (unreadable ? " unreadable" : " missing"));
        for (const std::string& r : s.raw) {
          if (r == absent && !unreadable) {
            std::filesystem::remove(dir_->Path(r));
          } else {
            WriteFile(r, "");
          }
        }
        for (const std::string& o : s.outputs) WriteFile(o, "old " + o);
        {
          testing::UnreadableFor fault(dir_->Path(unreadable ? absent : ""));
          auto cx = ctx();
          EXPECT_THROW(s.step(cx), StepStopped);
        }
        EXPECT_EQ(Exists(absent), unreadable);
        for (const std::string& o : s.outputs) EXPECT_EQ(ReadFile(o), "old " + o) << o;
        EXPECT_TRUE(testing::TemporaryFilesUnder(root_).empty());
      }
    }
  }
}

// A full disk at the horse NEW file ends the horse step there: the lists and
// KYOSOBA.dat, which it would have made from an empty read-back, keep theirs.
TEST_F(NewFileTest, AFullDiskEndsTheStepAndLaterOutputsKeepTheirBytes) {
  WriteFile("UM20180101.dat", StepTest::Rec(kHorseLength, {{0, "UM"}, {2, "1"}}));
  for (const char* o : {"KETTONUM20180101.dat", "KETTOMASSHO.dat", "OPTION1N/KYOSOBA.dat"}) {
    WriteFile(o, "old");
  }
  testing::FullDiskFor full({"UM20180101NEW.dat"});
  auto cx = ctx();
  EXPECT_THROW(HorseStep(cx), StepStopped);
  EXPECT_FALSE(Exists("UM20180101NEW.dat"));
  for (const char* o : {"KETTONUM20180101.dat", "KETTOMASSHO.dat", "OPTION1N/KYOSOBA.dat"}) {
    EXPECT_EQ(ReadFile(o), "old") << o;
  }
  EXPECT_EQ(
      frame_->UnchangedOutputs(),
      (std::vector<std::string>{"UM20180101NEW.dat", "KETTONUM20180101.dat", "KETTOMASSHO.dat",
                                "the files of KYOSOBA/ not reached",
                                "the files of KYOSOBAN/ not reached", "OPTION1N/KYOSOBA.dat"}));
}

TEST_F(NewFileTest, DescendingRunsOnAPrefixKeepTheNewest) {
  // Code then creation date, descending: the first record of a run of equal
  // code prefixes is the newest of the highest code.
  auto rec = [](char kind, const char* date, const char* code, const char* tag) {
    return StepTest::Rec(40,
                         {{0, "KS"}, {2, std::string(1, kind)}, {3, date}, {11, code}, {30, tag}});
  };
  const struct {
    const char* name;
    int code_length, run_width;
    const char* kinds;
    std::vector<std::string> raw;
    const char* tags;  // survivors' tags in NEW-file order
  } cases[] = {
      // Jockey-like: a newest record of an unkept kind drops the code (00666).
      {"jockeys",
       5,
       5,
       "12",
       {rec('1', "20230101", "01100", "a"), rec('2', "20240101", "01100", "b"),
        rec('1', "20240101", "05339", "c"), rec('0', "20240301", "00666", "d"),
        rec('1', "20240201", "00666", "e")},
       "cb"},
      // Breeder-like: 8-character codes, runs on their first 6, every kind
      // kept; the highest code of the prefix wins over a newer lower code.
      {"breeders",
       8,
       6,
       "",
       {rec('1', "20240301", "12345601", "a"), rec('0', "20230101", "12345602", "b"),
        rec('1', "20220101", "12345602", "c"), rec('2', "20240101", "99999900", "d")},
       "db"},
  };
  for (const auto& c : cases) {
    NewFileSpec spec{"KS20180101.dat",
                     "KSTEST.dat",
                     40,
                     {{11, c.code_length}, {3, 8}},
                     NewFileSpec::Order::Descending,
                     c.run_width,
                     NewFileSpec::Survivor::FirstOfRun,
                     c.kinds};
    WriteRecords("KS20180101.dat", c.raw);
    auto cx = ctx();
    NewFileResult res = BuildNewFile(cx, spec);
    EXPECT_EQ(res.raw_count, static_cast<int32_t>(c.raw.size())) << c.name;
    std::string tags;
    for (const auto& r : Records("KSTEST.dat", 40)) tags += r.substr(30, 1);
    EXPECT_EQ(tags, c.tags) << c.name;
    EXPECT_EQ(res.written, static_cast<int32_t>(tags.size())) << c.name;
  }
}

}  // namespace
}  // namespace volq
