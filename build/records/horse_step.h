#pragma once
// The horse step: the raw horse file into UM20180101NEW.dat (one record per
// pedigree number), the list of current horses KETTONUM20180101.dat, the list
// of every horse with its deregistration flag and races KETTOMASSHO.dat, and
// per horse its placing block (KYOSOBA/<pedigree>.dat), the block's numbers
// (KYOSOBAN/<pedigree>.dat) and its placing record (record i of
// OPTION1N/KYOSOBA.dat for record i of the NEW file).
#include <string>

#include "build/records/new_file.h"
#include "build/step/step_frame.h"

namespace volq {

const NewFileSpec& UmNewFileSpec();

// End message "UM 終わり  0 " + the NEW-file count (the " 0" figure is part
// of the message readers know).
std::string HorseStep(StepContext& ctx);

}  // namespace volq
