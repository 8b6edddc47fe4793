#pragma once
// Place counts of every listed jockey by racecourse ("01" to "10") and day
// class (Saturday, other day), over the jockey's races from the newest back to
// the newest one run in 2004 or earlier: KISHUFUKUSHO/<code>.dat (20 lines
// "v,d,placed,other") and one OPTION1N/DONICHI.dat record of place rates per
// jockey, record k for the jockey on line k of KISHUNUM20180101.dat.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "build/step/step_frame.h"
#include "common/derived_layout.h"

namespace volq {

// Counts by racecourse v (1-10), day class d (1 Saturday, 2 other day) and
// outcome o (1 arrived 1st to 3rd, 2 any other order of arrival).
struct PlaceCounts {
  std::array<std::array<std::array<int64_t, 3>, 3>, 11> n{};
  int64_t& at(int v, int d, int o) { return n[v][d][o]; }
  int64_t at(int v, int d, int o) const { return n[v][d][o]; }
};

// The 127-byte record of one jockey.
std::string DonichiRecord(std::string_view code, const PlaceCounts& counts);

void WriteJockeyPlaceCounts(StepContext& ctx);

}  // namespace volq
