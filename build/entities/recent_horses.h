#pragma once
// "血統Q、騎手": the horses whose latest race is from 2000 or later, copies of
// their placing records, and every jockey's place counts by racecourse and
// day class.
#include <string>
#include <vector>

#include "build/step/step_frame.h"

namespace volq {

// Runs the three stages in order; "終わり" and the record count of
// OPTION1N/KYOSOBA.dat, which is also left in RecordCount.
std::string RecentHorsesStep(StepContext& ctx);

// Stage 1: rewrites KETTONUM20180101Q.dat (one quoted pedigree number per
// recent horse, in the order of KETTONUM20180101.dat) and returns it as read
// back from the file.
std::vector<std::string> WriteRecentHorseList(StepContext& ctx);

// Stage 2: OPTION1N/KYOSOBAA.dat, the placing records of KYOSOBA.dat whose
// horse is recent, in KYOSOBA.dat order, a record once per listing of its
// horse; no file when none is copied. Sets RecordCount to KYOSOBA.dat's count.
void CopyRecentPlacingRecords(StepContext& ctx, const std::vector<std::string>& recent);

}  // namespace volq
