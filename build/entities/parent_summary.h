#pragma once
// The summary record of a dam (OPTION1N/MARE.dat) or a sire
// (OPTION1N/STALLION.dat): record k for the k-th parent of the run's list,
// 402 bytes of rates, counts, money totals and a running-style code over the
// offspring totals of the parent; its fields are kMareStallionTable of
// common/derived_layout.h. The later windows look sires up by the breeding
// number in bytes 0-9.
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
