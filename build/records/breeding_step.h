#pragma once
// Breeding-horse step: HN20180101.dat to HN20180101NEW.dat (one record per
// breeding number, data kinds "1" and "2"), then the dam-line list
// FL20180101.dat of every mare of the NEW file.
#include <string>

#include "build/records/new_file.h"

namespace volq {

const NewFileSpec& HnNewFileSpec();

// "HN 終わり" + the NEW record count + " " + the number of mares, e.g.
// "HN 終わり  250 120". RecordCount keeps the NEW record count.
std::string BreedingHorseStep(StepContext& ctx);

}  // namespace volq
