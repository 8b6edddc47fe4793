#pragma once
// The placing block of one horse and what is derived from it. The block is
// written as the horse's KYOSOBA file and once per offspring into the dam and
// sire block files, so every writer takes it from SankuStatBlock and the
// bytes are the same everywhere.
//
// Block: 29 lines of six quoted items, CR LF each. Lines 1-25 are the six
// placing counts (1st, 2nd, 3rd, 4th, 5th, unplaced) of the course (1-7, 7 =
// jump), going (8-19) and distance (20-25) blocks of the horse record; line 26
// the four running-style counts and the flat and jump main prize totals; line
// 27 the overall and line 28 the central placing counts; line 29 "000",
// "000", the flat and jump earnings flags ("001" when that earnings total is
// above 0) and the flat and jump earnings totals. Items are copied from the
// record as they stand.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/derived_layout.h"

namespace volq {

inline constexpr int kSankuLines = 29;
inline constexpr int kSankuValues = 174;

// The numbers the 174 items stand for; value k (1-based, item j of line L is
// k = 6(L-1)+j) is at index k-1. Parent totals use the same numbering.
using SankuValues = std::array<int64_t, kSankuValues>;

struct SankuStat {
  std::string text;    // the 29 lines
  SankuValues values;  // the number of each item
};

// The block of a 1609-byte horse record and the numbers of its items.
SankuStat SankuStatBlock(std::string_view horse);

// The number an item stands for, rounded to the nearest whole number (a
// half to the even one): "007" is 7, "-01" is -1, "1.5" is 2. Blanks around
// it do not count; an item that is no number (no digits, letters) is 0.
int64_t ItemValue(std::string_view item);

// Value k (1-based).
inline int64_t ValueAt(const SankuValues& v, int k) { return v[static_cast<size_t>(k - 1)]; }
// Sum of items first..last (1..6) of line L (1..29).
int64_t LineSum(const SankuValues& v, int line, int first = 1, int last = 6);
// Rate of the first `places` finishes of line L over all starts of the line.
std::string LineRate(const SankuValues& v, int line, int places);
// The top-`places` rates of lines 1 to 25 one after another (150 characters).
std::string BlockRates(const SankuValues& v, int places);

// Running-style code from the leader, front-runner, mid-pack and closer
// counts: "0000  " without leader and front-runner runs, else "1c00  " with c
// = (mid-pack + closer) / (leader + front-runner) rounded down, at most 4.
std::string StyleCode6(int64_t leader, int64_t front, int64_t mid, int64_t closer);
// The code of items 151-154.
std::string StyleCode6(const SankuValues& v);

// The 174 numbers as bare whole numbers, one a line: the KYOSOBAN file of a
// horse and the HAHAN/SHUBOBAN total file of a parent.
std::string SankuNumberText(const SankuValues& v);

// The 228-byte placing record of a horse (OPTION1N/KYOSOBA.dat) from its
// record and the numbers of its block.
std::string KyosobaRecord(std::string_view horse, const SankuValues& v);

}  // namespace volq
