#pragma once
// Test records of jockeys, trainers, breeders and owners with their results
// blocks filled at the stored offsets (written out here, not taken from the
// layouts, so the tests check those too).
#include <array>
#include <cstdio>
#include <string>

#include "build/records/test_support.h"
#include "common/record_layout.h"

namespace volq::testing {

inline std::string Six(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06d", n);
  return buf;
}

using Places = std::array<int, 6>;  // first to fifth, unplaced

// Placing counts and prize totals of one yearly block of a jockey or trainer.
struct Block {
  std::array<Places, 6> distance{};  // turf to 1600 m, to 2200 m, over; the same for dirt
  Places jump{};
  std::string flat_prize = "000000000";
  std::string jump_prize = "000000000";
};
using Blocks = std::array<Block, 3>;  // current year, previous year, career

struct PersonKind {
  const char* type;
  int length;
  int first_block;  // blocks lie 1048 apart
};
inline constexpr PersonKind kJockey{"KS", kJockeyLength, 1015};
inline constexpr PersonKind kTrainer{"CH", kTrainerLength, 704};

inline void PutPlaces(std::string& r, int at, const Places& p) {
  for (int i = 0; i < 6; ++i) r.replace(at + 6 * i, 6, Six(p[i]));
}

// A jockey or trainer record with every placing count written (zeros unless given).
inline std::string Person(const PersonKind& who, char kind, const std::string& date,
                          const std::string& code, const Blocks& blocks = {}) {
  std::string r =
      StepTest::Rec(who.length, {{0, who.type}, {2, std::string(1, kind)}, {3, date}, {11, code}});
  for (int b = 0; b < 3; ++b) {
    int at = who.first_block + 1048 * b;
    const Block& blk = blocks[b];
    r.replace(at + 4, 9, blk.flat_prize);
    r.replace(at + 13, 9, blk.jump_prize);
    PutPlaces(r, at + 76, blk.jump);
    for (int c = 0; c < 6; ++c) PutPlaces(r, at + 832 + 36 * c, blk.distance[c]);
  }
  return r;
}

struct SmallKind {
  const char* type;
  int length;
  int career;  // start of the career block
};
inline constexpr SmallKind kBreeder{"BR", kBreederLength, 483};
inline constexpr SmallKind kOwner{"BN", kOwnerLength, 415};

// A breeder or owner record with its career block written; the current-year
// block holds other counts so that reading the wrong block shows.
inline std::string Small(const SmallKind& who, char kind, const std::string& date,
                         const std::string& code, const Places& career = {},
                         const std::string& prize = "0000000000") {
  std::string r =
      StepTest::Rec(who.length, {{0, who.type}, {2, std::string(1, kind)}, {3, date}, {11, code}});
  int current = who.career - 60;
  r.replace(current + 4, 10, "9999999999");
  PutPlaces(r, current + 24, {9, 9, 9, 9, 9, 9});
  r.replace(who.career + 4, 10, prize);
  PutPlaces(r, who.career + 24, career);
  return r;
}

}  // namespace volq::testing
