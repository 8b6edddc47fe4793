#pragma once
// What the data directory's journal (platform/fs/run_journal.h) says of runs
// that were cut short, in the words of both programs: the download, which
// the next program completes, and a build step, which stays named until it
// is pressed again and keeps the steps that read its outputs from running.
#include <chrono>
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
// (the caption in UTF-8).
std::string StepRunName(std::string_view window, std::string_view control,
                        std::string_view caption);

// Reads the journal of a held lock, completes a download that was cut short
// while it put its raw files in place, and returns what the program says of
// the journal: one line per such download ("the download of TIME was
// interrupted while it put its raw files in place: completed now") and per
// step cut short (InterruptedStepLine), each once in a process however often
// it takes the lock. A journal that cannot be read or completed, or that
// lists a replacement other than a raw file's from its own temporary file
// (nothing is then renamed), raises a file Failure: the run does not go on.
std::vector<std::string> TakeJournal(RunJournal& journal);

// "Command3 (UM(競走馬)) was interrupted at TIME: its outputs may be
// incomplete; press Command3 again" for a step run found in the journal.
std::string InterruptedStepLine(const JournalRun& run);

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
