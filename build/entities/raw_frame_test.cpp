// A raw file with one byte deleted or inserted inside one record: each step
// that reads raw files says the file and loses that record only.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "build/entities/offspring_step.h"
#include "build/records/breeding_step.h"
#include "build/records/horse_step.h"
#include "build/records/jockey_step.h"
#include "build/records/new_file.h"
#include "build/records/test_support.h"
#include "build/records/trainer_step.h"

namespace volq {
namespace {

using ::testing::HasSubstr;
using testing::StepTest;

class RawFrameTest : public StepTest {};

// Five records of the spec's raw file with distinct keys and a kept kind.
std::vector<std::string> FiveRecords(const NewFileSpec& spec) {
  const std::string kind = spec.kept_kinds.empty() ? "1" : spec.kept_kinds.substr(0, 1);
  std::vector<std::string> recs;
  for (char k = '1'; k <= '5'; ++k) {
    std::string r = StepTest::Rec(spec.record_length,
                                  {{0, std::string(RecordTypeOf(spec.raw_file))}, {2, kind}});
    for (const Slice& s : spec.key) r.replace(s.offset, s.length, s.length, k);
    recs.push_back(r);
  }
  return recs;
}

TEST_F(RawFrameTest, AByteLostOrAddedLosesOnlyItsRecord) {
  using Step = std::string (*)(StepContext&);
  const struct {
    Step step;
    const NewFileSpec& spec;
  } cases[] = {
      {RaceStep, RaNewFileSpec()},
      {RaceEntryStep, SeNewFileSpec()},
      {HorseStep, UmNewFileSpec()},
      {JockeyStep, KsNewFileSpec()},
      {TrainerBreederOwnerStep, ChNewFileSpec()},
      {TrainerBreederOwnerStep, BrNewFileSpec()},
      {TrainerBreederOwnerStep, BnNewFileSpec()},
      {BreedingHorseStep, HnNewFileSpec()},
      {DamOffspringStep, SkNewFileSpec()},
      {SireOffspringStep, SkNewFileSpec()},
  };
  // Every input the steps go through is there, whole until its case damages it.
  for (const auto& c : cases) {
    std::string raw;
    for (const std::string& r : FiveRecords(c.spec)) raw += r;
    WriteFile(c.spec.raw_file, raw);
  }
  WriteFile("UM20180101NEW.dat", "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.spec.raw_file);
    const std::vector<std::string> recs = FiveRecords(c.spec);
    std::string raw;
    for (const std::string& r : recs) raw += r;
    WriteFile(c.spec.raw_file, raw);
    frame_ = std::make_unique<StepFrame>();
    StepContext clean_cx = ctx();
    c.step(clean_cx);
    EXPECT_THAT(frame_->Report(), ::testing::Not(::testing::Contains(HasSubstr("out of frame"))));
    std::string expected = ReadFile(c.spec.new_file);
    const size_t third = expected.find(recs[2]);
    ASSERT_NE(third, std::string::npos);
    expected.erase(third, recs[2].size());

    const size_t inside = 2 * recs[0].size() + recs[0].size() / 2;
    const std::string damaged[] = {raw.substr(0, inside) + raw.substr(inside + 1),
                                   raw.substr(0, inside) + "x" + raw.substr(inside)};
    for (const std::string& bytes : damaged) {
      WriteFile(c.spec.raw_file, bytes);
      frame_ = std::make_unique<StepFrame>();
      StepContext cx = ctx();
      c.step(cx);
      EXPECT_EQ(ReadFile(c.spec.new_file), expected);
      const std::string said = std::string(c.spec.raw_file) + ": 1 record out of frame at byte ";
      const std::vector<std::string> report = frame_->Report();
      EXPECT_EQ(
          std::count_if(report.begin(), report.end(),
                        [&](const std::string& l) { return l.find(said) != std::string::npos; }),
          1);
      EXPECT_THAT(report, ::testing::Contains(HasSubstr(
                              "(record 3) passed over; the records after it were read in frame")));
    }
    WriteFile(c.spec.raw_file, raw);
  }
}

}  // namespace
}  // namespace volq
