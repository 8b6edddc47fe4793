#pragma once
// What the data directory's journal (platform/fs/run_journal.h) says of runs
// that were cut short, in the words of both programs: the download, which
// the next program completes, and a build step, which stays named until it
// is pressed again and keeps the steps that read its outputs from running.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs/run_journal.h"

namespace volq {

inline constexpr std::string_view kFetchProgram = "volqfetch";
inline constexpr std::string_view kBuildProgram = "volqbuild";

// The journal's name of the download.
inline constexpr std::string_view kDownloadRun = "download";
// The journal's name of a button's step: "press WINDOW CONTROL CAPTION"
// (the caption in UTF-8), and for a step whose outputs depend on what its
// window was set to " for WHAT" after it (ExtractionRunFor).
std::string StepRunName(std::string_view window, std::string_view control, std::string_view caption,
                        std::string_view for_what = {});
// The name of step run `name` for WHAT: "NAME for WHAT".
std::string StepRunFor(std::string_view name, std::string_view for_what);

struct CourseKind;
// What the category window's extraction ran for, as the window showed it:
// "芝 201801" for turf from the month typed as 201801 (the month as typed,
// UTF-8, after the option's caption).
std::string ExtractionRunFor(const CourseKind& course, std::string_view month);

// Reads the journal of a held lock, completes a download that was cut short
// while it put its raw files in place, and returns what the program says of
// the journal: one line per such download ("the download of TIME was
// interrupted while it put its raw files in place: completed now") and per
// step cut short (InterruptedStepLine; the runs of one step with the same
// outputs fold into one line with their count), each once in a process
// however often it takes the lock. A journal that cannot be read or
// completed, or that lists a replacement other than a raw file's from its
// own temporary file (nothing is then renamed), raises a file Failure: the
// run does not go on.
std::vector<std::string> TakeJournal(RunJournal& journal);

// "Command3 (UM(競走馬)) was interrupted at TIME: its outputs may be
// incomplete; press Command3 again" for a step run found in the journal of
// data directory `data_dir`; "was interrupted 3 times, last at TIME" for
// `times` runs of it, `run` the last. A run that no press of these programs
// clears (NoPressClears) is told so, with the command that removes it.
std::string InterruptedStepLine(const JournalRun& run, const std::filesystem::path& data_dir,
                                int64_t times = 1);

// True for a run that no press of these programs removes from the journal:
// one of another program, of no button the programs have now, or that
// names an output its button does not write now (an older version's run, a
// journal edited by hand). A run with replacements to make is none: the
// next program makes them.
bool NoPressClears(const JournalRun& run);

// The command that removes such runs from the journal of `data_dir`:
// "volqbuild --data-dir /abs/DATA --forget-interrupted".
std::string ForgetCommand(const std::filesystem::path& data_dir);

// Removes the runs NoPressClears picks from the journal of a held lock
// (read first) and returns one line per step among them, folded as
// TakeJournal folds them: "removed from the journal: Command3 (UM(旧))
// interrupted at TIME; its outputs may be incomplete: press again the steps
// that write UM20180101NEW.dat". A failure raises a file Failure and leaves
// the journal as it was.
std::vector<std::string> ForgetRunsNoPressClears(RunJournal& journal);

// The line that refuses a step reading `reads` (names as the catalogue
// gives them, a folder of per-entity files as "FOLDER/") while a step cut
// short that writes one of them is in the journal; "" when none. The runs
// named `own` (the step itself) do not count.
std::string RefusalOf(const RunJournal& journal, const std::vector<std::string_view>& reads,
                      std::string_view own);

// Times the syncs at a run's end while it lives: the seconds are added to
// the file named by VOLQ_SYNC_LOG when it is set (the bench's sync column).
class SyncTimer {
 public:
  SyncTimer();
  ~SyncTimer();
  SyncTimer(const SyncTimer&) = delete;
  SyncTimer& operator=(const SyncTimer&) = delete;

 private:
  std::chrono::steady_clock::time_point start_;
};

// What a step stopped by a signal says: "Command3 interrupted: its outputs
// are incomplete; press Command3 again".
std::string StepStoppedBySignalLine(std::string_view control);

}  // namespace volq
