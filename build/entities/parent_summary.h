#pragma once
// The summary record of a dam (OPTION1N\MARE.dat) or a sire
// (OPTION1N\STALLION.dat): record k for the k-th parent of the run's list,
// 402 bytes of rates, counts, money totals and a running-style code over the
// offspring totals of the parent. The later windows look sires up by the
// breeding number in bytes 0-9.
//
//   0:10 breeding number        10:6 / 16:6 overall / central top-3 rate
//   22:6 offspring with flat earnings   28:6 with jump earnings
//   34:6 central starts         40:6 jump starts
//   46:9 55:9 flat / jump main prize    64:9 73:9 flat / jump earnings
//   82 + 6(L-1) top-3 rate of line L (1-25)
//   232:6 / 238:6 overall / central top-2 rate
//   244 + 6(L-1) top-2 rate of line L   394:6 running-style code  400 CR LF
#include <string>
#include <string_view>
#include <vector>

#include "build/records/sanku_stat.h"

namespace volq {

// The record of a parent from its 174 totals. A count or money total too
// large for its field is written as all nines; each such field is added to
// *beyond (when given) as "offset N: value".
std::string MareStallionRecord(std::string_view breeding_number, const SankuValues& totals,
                               std::vector<std::string>* beyond = nullptr);

}  // namespace volq
