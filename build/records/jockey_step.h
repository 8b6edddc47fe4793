#pragma once
// Jockey step: the newest record of each jockey (KS20180101NEW.dat), the list
// of their codes (KISHUNUM20180101.dat) and their results tally
// (KISHUSEISEI.dat), all in the order of the NEW file.
#include <string>

#include "build/step/step_frame.h"

namespace volq {

// "KS(騎手） 終わり" and the number of jockeys in the NEW file.
std::string JockeyStep(StepContext& ctx);

}  // namespace volq
