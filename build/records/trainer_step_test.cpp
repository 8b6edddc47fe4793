#include "build/records/trainer_step.h"

#include <gtest/gtest.h>

#include "build/records/results_tally.h"
#include "build/records/tally_test_support.h"

namespace volq {
namespace {

using namespace volq::testing;

class TrainerStepTest : public StepTest {};

TEST_F(TrainerStepTest, TrainersBreedersAndOwners) {
  Blocks career;
  career[2].distance[3] = {1, 1, 0, 0, 0, 2};  // dirt 2 of 4
  const std::string trainer = Person(kTrainer, '1', "20180105", "01002", career);
  WriteRecords("CH20180101.dat", {Person(kTrainer, '1', "20171201", "01002"), trainer,
                                  // Newest of kind "0": the trainer is dropped.
                                  Person(kTrainer, '1', "20171201", "01001"),
                                  Person(kTrainer, '0', "20180105", "01001")});
  // Codes sharing their first 6 characters are one breeder: the highest code
  // survives, even against a newer record of a lower code.
  const std::string breeder =
      Small(kBreeder, '1', "20180105", "12345602", {3, 2, 1, 1, 0, 5}, "0001234567");
  const std::string breeder_kind0 = Small(kBreeder, '0', "20180105", "99999900");
  WriteRecords("BR20180101.dat",
               {Small(kBreeder, '1', "20240101", "12345601"),
                Small(kBreeder, '1', "20171201", "12345602"), breeder, breeder_kind0});
  // Owners keep every data kind too.
  const std::string owner_a = Small(kOwner, '0', "20180105", "000300", {0, 0, 0, 0, 0, 4});
  const std::string owner_b = Small(kOwner, '1', "20180105", "000200");
  const std::string owner_c = Small(kOwner, '7', "20180105", "000100", {1, 0, 0, 0, 0, 0});
  WriteRecords("BN20180101.dat",
               {owner_c, owner_a, Small(kOwner, '1', "20171201", "000300"), owner_b});
  auto cx = ctx();
  EXPECT_EQ(TrainerBreederOwnerStep(cx), "CH(調教師） 終わり  3");
  EXPECT_EQ(record_count_, 3);

  EXPECT_EQ(ReadFile("CH20180101NEW.dat"), trainer);
  auto ch = Records("CHOKYOSEISEI.dat", kResultsTallyLength);
  ASSERT_EQ(ReadFile("CHOKYOSEISEI.dat").size(), size_t{kResultsTallyLength});
  EXPECT_EQ(ch[0].substr(0, 5), "01002");
  EXPECT_EQ(ch[0].substr(35, 6), "050000");
  EXPECT_EQ(ch[0].substr(107, 6), "000004");

  EXPECT_EQ(ReadFile("BR20180101NEW.dat"), breeder_kind0 + breeder);
  EXPECT_EQ(ReadFile("BREEDERSEISEI.dat"), std::string("999999"
                                                       "000000"
                                                       "000000"
                                                       "000000000"
                                                       "000000"
                                                       "\r\n") +
                                               "123456"
                                               "050000"
                                               "041666"
                                               "000123456"
                                               "000012"
                                               "\r\n");

  EXPECT_EQ(ReadFile("BN20180101NEW.dat"), owner_a + owner_b + owner_c);
  EXPECT_EQ(ReadFile("BANUSISEISEI.dat"), std::string("000300"
                                                      "000000"
                                                      "000000"
                                                      "000000000"
                                                      "000004"
                                                      "\r\n") +
                                              "000200"
                                              "000000"
                                              "000000"
                                              "000000000"
                                              "000000"
                                              "\r\n"
                                              "000100"
                                              "100000"
                                              "100000"
                                              "000000000"
                                              "000001"
                                              "\r\n");
  EXPECT_TRUE(frame_->clean());

  // A smaller breeder file leaves no record of the earlier run behind.
  WriteRecords("BR20180101.dat", {breeder});
  EXPECT_EQ(TrainerBreederOwnerStep(cx), "CH(調教師） 終わり  3");
  EXPECT_EQ(ReadFile("BR20180101NEW.dat"), breeder);
  EXPECT_EQ(ReadFile("BREEDERSEISEI.dat").size(), size_t{kSmallTallyLength});
}

TEST_F(TrainerStepTest, NonNumericBreederCountsAreReportedPerTally) {
  std::string rec = Small(kBreeder, '1', "20180105", "12345602", {1, 0, 0, 0, 0, 1});
  rec.replace(537, 6, "ABCDEF");
  WriteRecords("BR20180101.dat", {rec});
  WriteRecords("CH20180101.dat", {Person(kTrainer, '1', "20180105", "01002")});
  WriteRecords("BN20180101.dat", {Small(kOwner, '1', "20180105", "000200")});
  auto cx = ctx();
  TrainerBreederOwnerStep(cx);
  EXPECT_EQ(ReadFile("BREEDERSEISEI.dat").substr(6, 6), "100000");
  EXPECT_EQ(frame_->Report(),
            (std::vector<std::string>{"BREEDERSEISEI.dat: placing count counted 0: code 123456, "
                                      "record offset 537: not a number: 'ABCDEF'"}));
}

}  // namespace
}  // namespace volq
