#include "build/records/results_tally.h"

#include <gtest/gtest.h>

#include "build/records/tally_test_support.h"

namespace volq {
namespace {

using namespace volq::testing;

TEST(ResultsTally, LayoutsReadTheStoredOffsets) {
  const struct {
    const ResultsTallyLayout& l;
    int code_length, b1, b2, b3;
  } people[] = {{JockeyTallyLayout(), 5, 1015, 2063, 3111},
                {TrainerTallyLayout(), 5, 704, 1752, 2800}};
  for (const auto& p : people) {
    EXPECT_EQ(p.l.code.offset, 11);
    EXPECT_EQ(p.l.code.length, p.code_length);
    EXPECT_EQ(p.l.blocks[0], p.b1);
    EXPECT_EQ(p.l.blocks[1], p.b2);
    EXPECT_EQ(p.l.blocks[2], p.b3);
    EXPECT_EQ(p.l.flat_prize, 4);
    EXPECT_EQ(p.l.jump_prize, 13);
    EXPECT_EQ(p.l.jump_counts, 76);
    EXPECT_EQ(p.l.distance_counts, 832);
  }
  const struct {
    const SmallTallyLayout& l;
    int prize, counts;
  } small[] = {{BreederTallyLayout(), 487, 507}, {OwnerTallyLayout(), 419, 439}};
  for (const auto& s : small) {
    EXPECT_EQ(s.l.code.offset, 11);
    EXPECT_EQ(s.l.code.length, 6);
    EXPECT_EQ(s.l.main_prize, s.prize);
    EXPECT_EQ(s.l.counts, s.counts);
  }
}

// Counts that fill every field of the tally, each from its own block and surface.
Blocks EveryField() {
  Blocks b;
  b[0].distance[0] = {1, 1, 1, 0, 0, 7};  // turf 3 of 10 in the top 3, 2 in the top 2
  b[0].distance[3] = {2, 0, 0, 0, 0, 2};  // dirt 2 of 4, 2 of 4
  b[1].distance[4] = {1, 0, 0, 0, 0, 2};  // no turf; dirt 1 of 3
  // Career: turf 10 firsts, 5 seconds, 5 thirds over 80 runs in three classes.
  b[2].distance[0] = {4, 2, 0, 0, 0, 10};
  b[2].distance[1] = {3, 2, 3, 0, 0, 20};
  b[2].distance[2] = {3, 1, 2, 0, 0, 30};
  b[2].distance[5] = {0, 1, 0, 1, 0, 1};  // dirt 1 of 3, 1 of 3
  b[2].jump = {1, 0, 1, 0, 0, 2};         // jump 2 of 4, 1 of 4
  b[2].flat_prize = "000123456";
  b[2].jump_prize = "000000789";
  // Other blocks' jump counts and prizes are not tallied.
  b[0].jump = {7, 7, 7, 7, 7, 7};
  b[1].flat_prize = "999999999";
  return b;
}

TEST(ResultsTally, EveryFieldOfJockeysAndTrainersAtItsOffset) {
  const std::string expected = std::string("05339") +
                               "030000"
                               "050000"
                               "000000"
                               "033333"
                               "025000"
                               "033333"
                               "050000" +
                               "020000"
                               "050000"
                               "000000"
                               "033333"
                               "018750"
                               "033333"
                               "025000" +
                               "000123456"
                               "000000789"
                               "000083"
                               "000004"
                               "\r\n";
  ASSERT_EQ(expected.size(), 121u);
  const struct {
    const PersonKind& who;
    const ResultsTallyLayout& l;
  } people[] = {{kJockey, JockeyTallyLayout()}, {kTrainer, TrainerTallyLayout()}};
  for (const auto& p : people) {
    TallyNotes notes;
    EXPECT_EQ(ResultsTallyRecord(Person(p.who, '1', "20240105", "05339", EveryField()), p.l, notes),
              expected)
        << p.who.type;
    EXPECT_TRUE(notes.empty());
  }
}

TEST(ResultsTally, ExamplesOfTheTally) {
  Blocks none;
  Blocks career_turf;
  career_turf[2].distance[0] = {10, 5, 5, 0, 0, 60};  // 80 turf runs
  career_turf[2].distance[4] = {0, 0, 0, 0, 0, 7};    // and 7 dirt runs
  Blocks jump_only;
  jump_only[2].jump = {1, 1, 1, 0, 0, 1};
  // Counts and totals past 32767 are tallied in full, not dropped.
  Blocks wide;
  wide[2].distance[0] = {20000, 0, 0, 0, 0, 20000};
  wide[2].distance[1] = {0, 0, 0, 0, 0, 40000};
  wide[2].distance[3] = {0, 0, 0, 0, 0, 40000};
  const struct {
    const char* name;
    Blocks blocks;
    int at;
    const char* text;
  } cases[] = {
      {"career turf top 3", career_turf, 29, "025000"},
      {"career turf top 2", career_turf, 71, "018750"},
      {"career turf and dirt runs", career_turf, 107, "000087"},
      {"no turf runs, previous year top 3", none, 17, "000000"},
      {"no turf runs, previous year top 2", none, 59, "000000"},
      {"no jump runs, top 3", none, 41, "000000"},
      {"no jump runs, top 2", none, 83, "000000"},
      {"no jump runs, runs", none, 113, "000000"},
      {"jump only, top 3", jump_only, 41, "075000"},
      {"jump only, top 2", jump_only, 83, "050000"},
      {"jump only, flat runs", jump_only, 107, "000000"},
      {"jump only, jump runs", jump_only, 113, "000004"},
      {"wide turf top 3", wide, 29, "025000"},
      {"wide dirt top 3", wide, 35, "000000"},
      {"wide turf and dirt runs", wide, 107, "120000"},
  };
  for (const auto& c : cases) {
    TallyNotes notes;
    std::string t = ResultsTallyRecord(Person(kJockey, '1', "20240105", "01100", c.blocks),
                                       JockeyTallyLayout(), notes);
    EXPECT_EQ(t.substr(c.at, 6), c.text) << c.name;
  }
}

TEST(ResultsTally, CountsThatAreNotNumbersCountZeroAndAreNoted) {
  Blocks b;
  b[2].distance[0] = {2, 0, 0, 0, 0, 2};
  std::string rec = Person(kJockey, '1', "20240105", "01100", b);
  rec.replace(3111 + 832 + 30, 6, "00x001");  // career turf unplaced
  TallyNotes notes;
  std::string t = ResultsTallyRecord(rec, JockeyTallyLayout(), notes);
  EXPECT_EQ(t.substr(29, 6), "100000");  // 2 of 2: the garbled count is 0
  EXPECT_EQ(t.substr(107, 6), "000002");
  ASSERT_EQ(notes.bad_counts.size(), 1u);
  EXPECT_EQ(notes.bad_counts[0], "record offset 3973: not a number: '00x001'");

  // A record of blanks: every count noted, every rate "000000".
  notes.clear();
  t = ResultsTallyRecord(StepTest::Rec(kJockeyLength, {{11, "01100"}}), JockeyTallyLayout(), notes);
  EXPECT_EQ(notes.bad_counts.size(), 3u * 36 + 6);
  EXPECT_EQ(t.substr(5, 84), std::string(84, '0'));
  EXPECT_EQ(t.substr(89, 18), std::string(18, ' '));  // blank prizes are copied as they are
}

TEST(ResultsTally, ValuesBeyondTheirFieldsAreHeldAndNoted) {
  Blocks b;
  b[2].distance[0] = {0, 0, 0, 0, 0, 999999};
  b[2].distance[1] = {0, 0, 0, 0, 0, 999999};
  b[2].jump = {-5, 0, 0, 0, 0, 10};
  std::string rec = Person(kJockey, '1', "20240105", "01100", b);
  TallyNotes notes;
  std::string t = ResultsTallyRecord(rec, JockeyTallyLayout(), notes);
  EXPECT_EQ(t.substr(107, 6), "999999");
  EXPECT_EQ(t.substr(41, 6), "000000");
  EXPECT_EQ(notes.held, (std::vector<int>{107, 41, 83}));
  EXPECT_TRUE(notes.bad_counts.empty());
}

TEST(ResultsTally, BreedersAndOwners) {
  const struct {
    const SmallKind& who;
    const SmallTallyLayout& l;
    const char* code;
    Places career;
    const char* prize;
    const char* expected;
  } cases[] = {
      {kBreeder,
       BreederTallyLayout(),
       "12345602",
       {3, 2, 1, 1, 0, 5},
       "0001234567",
       "123456"
       "050000"
       "041666"
       "000123456"
       "000012"
       "\r\n"},
      {kOwner,
       OwnerTallyLayout(),
       "654321",
       {3, 2, 1, 1, 0, 5},
       "0001234567",
       "654321"
       "050000"
       "041666"
       "000123456"
       "000012"
       "\r\n"},
      {kBreeder,
       BreederTallyLayout(),
       "12345601",
       {},
       "0000000000",
       "123456"
       "000000"
       "000000"
       "000000000"
       "000000"
       "\r\n"},
      {kOwner,
       OwnerTallyLayout(),
       "000001",
       {},
       "0000000019",
       "000001"
       "000000"
       "000000"
       "000000001"
       "000000"
       "\r\n"},
  };
  for (const auto& c : cases) {
    TallyNotes notes;
    EXPECT_EQ(
        SmallTallyRecord(Small(c.who, '1', "20240105", c.code, c.career, c.prize), c.l, notes),
        c.expected)
        << c.who.type << " " << c.code;
    EXPECT_TRUE(notes.empty());
  }

  std::string rec = Small(kOwner, '1', "20240105", "000001", {1, 0, 0, 0, 0, 1});
  rec.replace(439 + 6, 6, "      ");
  TallyNotes notes;
  EXPECT_EQ(SmallTallyRecord(rec, OwnerTallyLayout(), notes).substr(6, 6), "050000");
  ASSERT_EQ(notes.bad_counts.size(), 1u);
  EXPECT_EQ(notes.bad_counts[0], "record offset 445: not a number: '      '");
}

}  // namespace
}  // namespace volq
