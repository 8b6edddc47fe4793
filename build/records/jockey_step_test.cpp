#include "build/records/jockey_step.h"

#include <gtest/gtest.h>

#include "build/records/results_tally.h"
#include "build/records/tally_test_support.h"

namespace volq {
namespace {

using namespace volq::testing;

class JockeyStepTest : public StepTest {};

TEST_F(JockeyStepTest, NewestRecordOfEachJockeyInDescendingOrder) {
  Blocks older, newer;
  older[2].distance[0] = {1, 0, 0, 0, 0, 1};
  newer[2].distance[0] = {10, 5, 5, 0, 0, 60};
  const std::string jockey_05339 = Person(kJockey, '1', "20180105", "05339");
  const std::string jockey_01100 = Person(kJockey, '2', "20180105", "01100", newer);
  const std::string jockey_00666 = Person(kJockey, '1', "20170301", "00666");
  WriteRecords("KS20180101.dat",
               {Person(kJockey, '1', "20171201", "01100", older), jockey_00666,
                // The newest record of 02222 is of kind "0": no trace of 02222 is left.
                Person(kJockey, '1', "20171201", "02222"), jockey_01100,
                Person(kJockey, '0', "20180105", "02222"), jockey_05339});
  WriteFile("KISHUSEISEI.dat", std::string(500, 'x'));
  auto cx = ctx();
  EXPECT_EQ(JockeyStep(cx), "KS(騎手） 終わり  3");
  EXPECT_EQ(record_count_, 3);

  EXPECT_EQ(ReadFile("KS20180101NEW.dat"), jockey_05339 + jockey_01100 + jockey_00666);
  EXPECT_EQ(ReadFile("KISHUNUM20180101.dat"), "\"05339\"\r\n\"01100\"\r\n\"00666\"\r\n");
  auto tally = Records("KISHUSEISEI.dat", kResultsTallyLength);
  ASSERT_EQ(ReadFile("KISHUSEISEI.dat").size(), 3u * kResultsTallyLength);
  EXPECT_EQ(tally[0].substr(0, 5), "05339");
  EXPECT_EQ(tally[1].substr(0, 5), "01100");
  EXPECT_EQ(tally[2].substr(0, 5), "00666");
  // Jockey 01100 is tallied from its newest record.
  EXPECT_EQ(tally[1].substr(29, 6), "025000");
  EXPECT_EQ(tally[1].substr(71, 6), "018750");
  EXPECT_EQ(tally[1].substr(107, 6), "000080");
  EXPECT_TRUE(frame_->clean());

  // A rerun gives the same bytes.
  std::string first = ReadFile("KISHUSEISEI.dat") + ReadFile("KISHUNUM20180101.dat");
  JockeyStep(cx);
  EXPECT_EQ(ReadFile("KISHUSEISEI.dat") + ReadFile("KISHUNUM20180101.dat"), first);
}

TEST_F(JockeyStepTest, TotalsStartFromZeroForEachJockey) {
  // The first jockey's counts must not carry into the next one, whose
  // garbled count is counted 0 and reported.
  Blocks busy, own;
  busy[2].distance[0] = {300, 200, 100, 0, 0, 400};
  own[2].distance[0] = {1, 0, 0, 0, 0, 3};
  std::string garbled = Person(kJockey, '1', "20180105", "01100", own);
  garbled.replace(3111 + 832 + 30, 6, "00x001");
  WriteRecords("KS20180101.dat", {Person(kJockey, '1', "20180105", "05339", busy), garbled});
  auto cx = ctx();
  EXPECT_EQ(JockeyStep(cx), "KS(騎手） 終わり  2");
  auto tally = Records("KISHUSEISEI.dat", kResultsTallyLength);
  ASSERT_EQ(tally.size(), 2u);
  EXPECT_EQ(tally[0].substr(29, 6), "060000");
  EXPECT_EQ(tally[1].substr(29, 6), "100000");  // 1 of 1
  EXPECT_EQ(tally[1].substr(107, 6), "000001");
  EXPECT_EQ(frame_->Report(),
            (std::vector<std::string>{"KISHUSEISEI.dat: placing count counted 0: code 01100, "
                                      "record offset 3973: not a number: '00x001'"}));
}

}  // namespace
}  // namespace volq
