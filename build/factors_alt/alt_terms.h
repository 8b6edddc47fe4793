#pragma once
// Terms shared by the alternative routines of factors 15 to 22: text ranges,
// cut texts, and the jockey's own race-entry file. Day spans between race
// dates are RaceDay's (build/factors/race_day.h).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "build/factors_alt/code_text.h"
#include "common/record_layout.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/record_frames.h"

namespace volq {

// Band of a rate digit: "1" for "0" and "1", "2" for "2" and "3", else "3".
inline const char* DigitBand(std::string_view digit) {
  return digit == "0" || digit == "1" ? "1" : digit == "2" || digit == "3" ? "2" : "3";
}

// The jockey's history file KISHUGOTOSETUP/<jockey code>.dat, read in place
// (a jockey can have thousands of rides) by record number, a trailing
// partial record padded; a missing file, or a code of blanks, reads as an
// empty history and no file is made; a code that is no plain file name
// raises a file Failure.
std::unique_ptr<FramedRecords> OpenJockeyHistory(DataDir& dir, std::string_view jockey_code);

// The fields of a race-entry record of that history that the routines read.
struct RideFields {
  Slice data_kind, race_year, race_month_day, arrival_order;
};
const RideFields& Ride();
// A ride that arrived 1st or 2nd.
inline bool TopTwo(std::string_view ride) {
  const std::string_view order = Ride().arrival_order.Of(ride);
  return order == "01" || order == "02";
}

// The class code of factor 23's mean time difference D (tenths of a second).
std::string TimeDifferenceClass(float d);

}  // namespace volq
