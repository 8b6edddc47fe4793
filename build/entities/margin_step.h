#pragma once
// "着差": reads the extended records of the recent horses. It writes nothing
// and shows no end message; what it is to produce from the winners' margins
// is still open, so it only gathers them.
#include <string>
#include <vector>

#include "build/step/step_frame.h"
#include "common/derived_layout.h"  // kUmaExLength

namespace volq {

// A race entry of a recent horse that arrived first.
struct WinnerMargin {
  std::string race;     // year, racecourse, meeting, day, race number: 12 characters
  std::string arrival;  // "01"
  std::string margin;   // first margin code, 3 characters
};

// Reads UMAGOTOEXSETUP/<pedigree>EX.dat of every horse of
// KETTONUM20180101Q.dat (a missing file has no records, is reported and is
// not made) and returns the winners' rows. RecordCount ends as the last file's count.
std::vector<WinnerMargin> ReadWinnerMargins(StepContext& ctx);

// The button's step: returns "" because the step leaves the status line as it
// is (the window must not replace Text1 with an empty end message).
std::string MarginStep(StepContext& ctx);

}  // namespace volq
