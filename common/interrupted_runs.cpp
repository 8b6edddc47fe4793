#include "common/interrupted_runs.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>

#include "common/data_dir_catalogue.h"
#include "platform/base/ascii_case.h"
#include "platform/base/failure.h"

namespace volq {

namespace {

constexpr std::string_view kStepWord = "press";

struct StepName {
  std::string_view window, control, caption;
};

// The parts of a step run's name; false for another run.
bool SplitStepName(std::string_view name, StepName& out) {
  if (!name.starts_with(kStepWord) || name.size() <= kStepWord.size() ||
      name[kStepWord.size()] != ' ') {
    return false;
  }
  name.remove_prefix(kStepWord.size() + 1);
  const size_t a = name.find(' ');
  if (a == std::string_view::npos) return false;
  out.window = name.substr(0, a);
  name.remove_prefix(a + 1);
  const size_t b = name.find(' ');
  out.control = name.substr(0, b);
  out.caption = b == std::string_view::npos ? std::string_view() : name.substr(b + 1);
  return true;
}

// The journal's lines already said by this process (a program takes the
// lock once per press).
bool FirstTime(const JournalRun& run) {
  static std::mutex mutex;
  static std::set<std::string> said;
  std::lock_guard lock(mutex);
  return said.insert(run.program + '\n' + run.at + '\n' + run.name).second;
}

// The one run that lists replacements is the download: its ten raw files
// at the root, each from its own temporary file (the download takes a raw
// file's name in whatever case the data directory holds it).
const ReplacementRule& DownloadReplacements() {
  static const ReplacementRule rule{
      [](std::string_view final_name) {
        return std::any_of(std::begin(kRawFiles), std::end(kRawFiles), [&](const RawRecordFile& f) {
          return SameIgnoringAsciiCase(f.file, final_name);
        });
      },
      "the raw files were left as they were; look into the journal (a copy of the data "
      "directory or another program may have put it there), delete it, then download again "
      "with volqfetch and press every button in order"};
  return rule;
}

}  // namespace

std::string StepRunName(std::string_view window, std::string_view control,
                        std::string_view caption) {
  std::string name =
      std::string(kStepWord) + " " + std::string(window) + " " + std::string(control);
  if (!caption.empty()) name += " " + std::string(caption);
  return name;
}

std::string InterruptedStepLine(const JournalRun& run) {
  StepName s;
  if (!SplitStepName(run.name, s)) {
    return run.program + "'s run '" + Printable(run.name) + "' was interrupted at " + run.at +
           ": what it writes may be incomplete; run it again";
  }
  std::string who = std::string(s.control);
  if (!s.caption.empty()) who += " (" + std::string(s.caption) + ")";
  // The main window's buttons are known by their names alone; another
  // window's are named with it.
  if (s.window != kMainWindow) who += " of window " + std::string(s.window);
  return who + " was interrupted at " + run.at + ": its outputs may be incomplete; press " +
         std::string(s.control) + " again";
}

std::string StepStoppedBySignalLine(std::string_view control) {
  return std::string(control) + " interrupted: its outputs are incomplete; press " +
         std::string(control) + " again";
}

SyncTimer::SyncTimer() : start_(std::chrono::steady_clock::now()) {}

SyncTimer::~SyncTimer() {
  const char* log = std::getenv("VOLQ_SYNC_LOG");
  if (log == nullptr || *log == '\0') return;
  std::ofstream(log, std::ios::app)
      << std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() << '\n';
}

std::vector<std::string> TakeJournal(RunJournal& journal) {
  journal.Load();
  std::vector<std::string> lines;
  for (const JournalRun& run : journal.FinishRenames(DownloadReplacements())) {
    if (!FirstTime(run)) continue;
    lines.push_back(run.name == kDownloadRun
                        ? "the download of " + run.at +
                              " was interrupted while it put its raw files in place: completed now"
                        : run.program + "'s run '" + Printable(run.name) + "' of " + run.at +
                              " was interrupted while it put its files in place: completed now");
  }
  for (const JournalRun& run : journal.runs()) {
    if (run.writes.empty() || !FirstTime(run)) continue;
    lines.push_back(InterruptedStepLine(run));
  }
  return lines;
}

std::string RefusalOf(const RunJournal& journal, const std::vector<std::string_view>& reads,
                      std::string_view own) {
  for (const JournalRun& run : journal.runs()) {
    if (run.name == own) continue;
    for (const std::string& written : run.writes) {
      for (std::string_view read : reads) {
        if (SameIgnoringAsciiCase(read, written)) return InterruptedStepLine(run);
      }
    }
  }
  return "";
}

}  // namespace volq
