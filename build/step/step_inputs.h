#pragma once
// Inputs of a step that may not be there yet (a raw file before a download,
// a list of a step not yet run): every step goes on as with an empty input
// and says so in the frame's report, in the same words.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "build/step/step_frame.h"
#include "platform/fs/record_frames.h"

namespace volq {

// The one report of an input file that is not there.
void ReportMissingInput(StepFrame& frame, std::string_view name);

// Items of a key list of the data directory (one per line); a missing list
// reads as empty and is reported.
std::vector<std::string> ReadKeyList(StepContext& ctx, const char* name);

// Reports a record file of the data directory that is not there; opening it
// creates it empty, so the step reads 0 records.
void ReportIfMissing(StepContext& ctx, const char* name);

// A raw or NEW file read in place by its frames.
using NewRecords = FramedRecords;
// Raw and NEW files are named by the type of the records they hold:
// "SE20180101.dat" and "SE20180101NEW.dat" hold "SE" records.
std::string_view RecordTypeOf(std::string_view file);
// Opens record file `name` of the data directory (a raw file, a NEW file, or
// another record file an earlier step wrote) for reading its records of
// `record_type`; derived records that carry no type (ITEM files) pass "". A
// missing one is reported and created empty by the opening, so it has no
// records; one that cannot be opened is skipped in the frame (nullptr). A
// file out of frame is reported once, with the records passed over.
std::unique_ptr<NewRecords> OpenNewRecords(StepContext& ctx, const char* name, int record_length,
                                           std::string_view record_type);

// The same for the per-entity file of a horse or jockey that an earlier step
// should have written; all of them fold into one line of the report.
void ReportIfMissingEntityFile(StepContext& ctx, const std::filesystem::path& path);

}  // namespace volq
