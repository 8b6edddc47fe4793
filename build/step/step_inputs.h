#pragma once
// Inputs of a step and the folders it writes into. A step names them when it
// begins (BeginStep): before it deletes or replaces any output it stops when
// an input it goes through is missing or unreadable, when a file it only
// consults cannot be read, or when a folder it writes into is missing. A
// consulted file that is missing reads as empty and is reported, in the same
// words by every step. No input is ever created by reading it.
//
// A step opens each file it reads through one of these (the readers and
// writers themselves: platform/fs/record_file.h's table):
//
//  intent                          opener              missing file            unreadable file
//  ------------------------------  ------------------  ----------------------  -----------------
//  a raw, NEW or ITEM file read    OpenNewRecords      reported once, no       stops the step
//  by its frames (FramedRecords)                       records (nullptr)
//  a per-entity file read whole    OpenEntityRecords   folded into one line    skipped in the
//  (RecordImage)                                       per step, nullptr       frame, nullptr
//  a key list (text list)          ReadKeyList         reported, empty         stops the step
//  a consulted file looked at      ReportIfMissing,    reported                (its reader's)
//  by another reader               ReportIfMissing-
//                                  EntityFile
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "build/step/step_frame.h"
#include "common/data_dir_catalogue.h"
#include "platform/fs/record_frames.h"

namespace volq {

struct StepFiles {
  // Inputs the step goes through record by record or item by item (a raw
  // file, a NEW file, a number list, a course list).
  std::vector<std::string_view> walks;
  // Files it only looks things up in (a tally, a summary record, KYOSOBA.dat).
  std::vector<std::string_view> consults;
  // Its outputs in the order it writes them: files by name, a folder of
  // per-entity files as "FOLDER/".
  std::vector<std::string_view> writes;
  // What else it reads that another step writes (BuildButton::also_reads):
  // not checked, but a step cut short that writes one keeps it from running.
  std::vector<std::string_view> also_reads = {};
  // What the press ran for, when its outputs depend on what the window was
  // set to (ExtractionRunFor): its journal entry names it, so that only the
  // same press clears it.
  std::string run_for = {};
};

// Checks the files of a step before it changes anything (StepStopped when
// the step cannot run) and notes its outputs for the report of a stop.
void BeginStep(StepContext& ctx, const StepFiles& files);
// The same with the files the catalogue's table of buttons lists for `step`.
void BeginStep(StepContext& ctx, BuildStep step);

// Stops a step of a window that uses a table its load could not read;
// `what` names the file and why ("cannot read FL20180101.dat").
[[noreturn]] void StopOnUnreadAtLoad(const std::string& what);
// The same for a table that was missing: says what writes it.
// `window` is the window that loaded it, the hint's starting point.
[[noreturn]] void StopOnMissingAtLoad(std::string_view name, std::string_view window);

// The one report of a consulted file that is not there, with what writes it
// (WriteItFirst).
void ReportMissingInput(StepFrame& frame, std::string_view name);

// Items of a key list of the data directory (one per line); a missing list
// reads as empty and is reported, an unreadable one stops the step.
std::vector<std::string> ReadKeyList(StepContext& ctx, std::string_view name);

// Reports a consulted file of the data directory that is not there.
void ReportIfMissing(StepContext& ctx, std::string_view name);

// Raw and NEW files are named by the type of the records they hold:
// "SE20180101.dat" and "SE20180101NEW.dat" hold "SE" records.
std::string_view RecordTypeOf(std::string_view file);
// Opens record file `name` of the data directory (a raw file, a NEW file, or
// another record file an earlier step wrote) for reading its records of
// `record_type`; derived records that carry no type (ITEM files) pass "". A
// missing one is reported and has no records (nullptr), and is not created;
// one that cannot be opened or read stops the step. A file out of frame is
// reported once, with the records passed over.
std::unique_ptr<FramedRecords> OpenNewRecords(StepContext& ctx, std::string_view name,
                                              int record_length, std::string_view record_type);

// The same for the per-entity file of a horse or jockey that an earlier step
// should have written; all of them fold into one line of the report.
void ReportIfMissingEntityFile(StepContext& ctx, const std::filesystem::path& path);

// Opens a per-entity file that a step only reads (read whole): a missing one is reported as above
// and has no records (nullptr), and is not created; one that cannot be read is skipped in the frame
// as `what` (nullptr).
std::unique_ptr<RecordImage> OpenEntityRecords(StepContext& ctx, const std::filesystem::path& path,
                                               int record_length, std::string_view what);

}  // namespace volq
