#pragma once
// Inputs of a step that may not be there yet (a raw file before a download,
// a list of a step not yet run): every step goes on as with an empty input
// and says so in the frame's report, in the same words.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "build/step/step_frame.h"

namespace volq {

// The one report of an input file that is not there.
void ReportMissingInput(StepFrame& frame, std::string_view name);

// Items of a key list of the data directory (one per line); a missing list
// reads as empty and is reported.
std::vector<std::string> ReadKeyList(StepContext& ctx, const char* name);

// Reports a record file of the data directory that is not there; opening it
// creates it empty, so the step reads 0 records.
void ReportIfMissing(StepContext& ctx, const char* name);

// The same for the per-entity file of a horse or jockey that an earlier step
// should have written; all of them fold into one line of the report.
void ReportIfMissingEntityFile(StepContext& ctx, const std::filesystem::path& path);

}  // namespace volq
