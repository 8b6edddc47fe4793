#pragma once
// "表示": one pass over the horses of KETTONUM20180101Q.dat that lists each
// horse's EX file name and writes the standard-time sample KIJUNTIME.dat: a
// line for every EX record of a conditional race of 1200, 1600, 1700, 1800 or
// 2000 m at the ten central racecourses in 2001 to 2008, run at age 3 or 4.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "build/step/step_frame.h"

namespace volq {

// Rewrites KIJUNTIME.dat, hands every horse's "<horse>EX.dat" to `list` as
// it goes and returns "終わり". A missing horse list stops the step (a raised
// Failure, after KIJUNTIME.dat has been emptied).
std::string KijunTimeStep(StepContext& ctx, const std::function<void(std::string)>& list);

// The ten fields of the sample line of EX record `ex`, or none when the
// record is not in the sample. A birth year that is not a number raises a
// conversion Failure.
std::optional<std::vector<std::string>> KijunTimeFields(std::string_view ex);

}  // namespace volq
