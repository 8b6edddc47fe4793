#pragma once
// Offspring statistics by dam (button "SK（母産駒）") and by sire (button
// "SK（父産駒）"). Both runs write SK20180101NEW.dat and the dam list
// HAHAHANNUM20180101.dat; the sire run also the sire list
// TITIHANNUM20180101.dat. Each run then gathers the placing block of every
// horse of UM20180101NEW.dat under its parent (HAHA/ or SHUBOBA/<number>.dat,
// in horse order), adds each listed parent's blocks up into 174 totals
// (HAHAN/ or SHUBOBAN/<number>.dat) and writes one summary record per listed
// parent (OPTION1N/MARE.dat or OPTION1N/STALLION.dat, record k = k-th parent
// of the list).
#include <string>

#include "build/records/new_file.h"
#include "build/step/step_frame.h"

namespace volq {

const NewFileSpec& SkNewFileSpec();

// End messages "SK母 終わり" / "SK父 終わり" + the horse count of UM20180101NEW.dat.
std::string DamOffspringStep(StepContext& ctx);
std::string SireOffspringStep(StepContext& ctx);

}  // namespace volq
