#pragma once
// Trainer, breeder and owner step: for each of the three, the newest record
// of each code (CH/BR/BN20180101NEW.dat) and its results tally
// (CHOKYOSEISEI.dat, BREEDERSEISEI.dat, BANUSISEISEI.dat), in that order.
#include <string>

#include "build/step/step_frame.h"

namespace volq {

// "CH(調教師） 終わり" and the number of owners in their NEW file, once after
// all six files are written.
std::string TrainerBreederOwnerStep(StepContext& ctx);

}  // namespace volq
