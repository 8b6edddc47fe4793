#include "common/interrupted_runs.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <unordered_map>

#include "common/data_dir_catalogue.h"
#include "platform/base/ascii_case.h"
#include "platform/base/failure.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/number_text.h"

namespace volq {

namespace {

constexpr std::string_view kStepWord = "press";

constexpr std::string_view kForWord = " for ";

struct StepName {
  std::string_view window, control, caption, for_what;
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
  out = {name.substr(0, a), {}, {}, {}};
  name.remove_prefix(a + 1);
  const size_t b = name.find(' ');
  out.control = name.substr(0, b);
  if (b == std::string_view::npos) return true;
  // " CAPTION for WHAT": no caption of the programs holds " for ".
  const std::string_view tail = name.substr(b);
  const size_t f = tail.find(kForWord);
  out.caption =
      f == 0 ? std::string_view() : tail.substr(1, f == std::string_view::npos ? f : f - 1);
  if (f != std::string_view::npos) out.for_what = tail.substr(f + kForWord.size());
  return true;
}

// What a press of a button writes now, and what the user does to press it
// so again.
struct Press {
  std::vector<std::string> writes;
  std::string for_shown;  // " for 芝 from 201801"
  std::string again;      // "press Command3 again"
};

// The course type and month of an extraction's "芝 201801"; nullptr when it
// names none, or a month the window would not take.
const CourseKind* ExtractionChoice(std::string_view for_what, std::string_view& month) {
  const size_t blank = for_what.find(' ');
  if (blank == std::string_view::npos) return nullptr;
  NumberText number;
  month = for_what.substr(blank + 1);
  if (!ScanNumber(month, number)) return nullptr;
  for (const CourseKind& k : kCourseKinds) {
    if (for_what.substr(0, blank) == k.option_caption) return &k;
  }
  return nullptr;
}

// The text typed into a text box as a script's "type" takes it.
std::string Typed(std::string_view text) {
  const bool plain = !text.empty() && text.find_first_of(" \t\";\\") == std::string_view::npos;
  return plain ? std::string(text) : "\"" + std::string(text) + "\"";
}

// The press of the button that step run `run` (named `s`) names, as the
// programs have it now; false when they have no button named so.
bool PressOf(const StepName& s, const JournalRun& run, Press& p) {
  const std::string again = "press " + std::string(s.control) + " again";
  for (const BuildButton& b : BuildButtons()) {
    if (b.window != s.window || b.control != s.control || b.caption != s.caption ||
        !s.for_what.empty()) {
      continue;
    }
    p = {{b.writes.begin(), b.writes.end()}, "", again};
    return true;
  }
  if (s.window != kCategoryWindow) return false;
  for (const CourseKind& k : kCourseKinds) {
    if (!s.for_what.empty()) break;
    if (s.control == k.build && s.caption == k.build_caption) {
      p = {{std::string(k.item_file)}, "", again};
      return true;
    }
    if (s.control == k.categorise && s.caption == k.categorise_caption) {
      p = {CategorisationOutputs(k.model_word), "", again};
      return true;
    }
  }
  if (s.control != kExtractionButton || s.caption != kExtractionCaption) return false;
  // An older version named the extraction without its course and month:
  // its list tells them.
  std::string_view month;
  const CourseKind* course = !s.for_what.empty()      ? ExtractionChoice(s.for_what, month)
                             : run.writes.size() == 1 ? CourseOfHorseList(run.writes[0], month)
                                                      : nullptr;
  if (course == nullptr) return false;
  p.writes = {CourseHorseList(course->word, month)};
  p.for_shown = " for " + std::string(course->option_caption) + " from " + std::string(month);
  p.again = "type Text1 " + Typed(month) + ", press " + std::string(course->option) + " (" +
            std::string(course->option_caption) + ") and " + again;
  return true;
}

// "A, B, C and 4 more".
std::string Listed(const std::vector<std::string>& names) {
  constexpr size_t kShown = 3;
  std::string text;
  for (size_t i = 0; i < std::min(names.size(), kShown); ++i) {
    text += (i ? ", " : "") + Printable(names[i]);
  }
  if (names.size() > kShown) text += " and " + std::to_string(names.size() - kShown) + " more";
  return text;
}

// What the programs say of a run of the journal, in parts.
struct Told {
  std::string who;      // "Command3 (UM(競走馬))"
  std::string outputs;  // "its outputs may be incomplete"
  std::string again;    // what mends them
  std::string why_not;  // why no press clears the run; "" when one does
};

Told Tell(const JournalRun& run) {
  StepName s;
  if (!SplitStepName(run.name, s)) {
    return {run.program + "'s run '" + Printable(run.name) + "'",
            "what it writes may be incomplete",
            "press again the steps that write " + Listed(run.writes),
            run.program == kFetchProgram ? "the download leaves no such run"
                                         : "no step of these programs is named so"};
  }
  Told told;
  told.who = std::string(s.control);
  if (!s.caption.empty()) told.who += " (" + std::string(s.caption) + ")";
  // The main window's buttons are known by their names alone; another
  // window's are named with it.
  if (s.window != kMainWindow) told.who += " of window " + std::string(s.window);
  told.outputs = "its outputs may be incomplete";
  Press p;
  if (!PressOf(s, run, p)) {
    if (!s.for_what.empty()) told.who += " for " + std::string(s.for_what);
    told.again = "press again the steps that write " + Listed(run.writes);
    told.why_not = "no button of these programs is named so now";
    return told;
  }
  told.who += p.for_shown;
  told.again = p.again;
  std::vector<std::string> unwritten;
  for (const std::string& w : run.writes) {
    if (std::find(p.writes.begin(), p.writes.end(), w) == p.writes.end()) unwritten.push_back(w);
  }
  if (run.program != kBuildProgram) {
    told.why_not = "it is " + run.program + "'s, not " + std::string(kBuildProgram) + "'s";
  } else if (!unwritten.empty()) {
    told.why_not = std::string(s.control) + " writes no " + Listed(unwritten) + " now";
  }
  return told;
}

std::string When(const JournalRun& last, int64_t times) {
  return times > 1 ? "interrupted " + std::to_string(times) + " times, last at " + last.at
                   : "interrupted at " + last.at;
}

// The runs of one step with the same outputs, told as one: the last of them
// and their count.
struct Fold {
  const JournalRun* last;
  int64_t times;
};

bool SameStep(const JournalRun& a, const JournalRun& b) {
  return a.program == b.program && a.name == b.name && a.writes == b.writes;
}

// The folds of `runs` in the order of their first runs; one pass, the runs
// keyed by a hash of what makes them the same step.
std::vector<Fold> Folded(const std::vector<JournalRun>& runs) {
  std::vector<Fold> folds;
  std::unordered_map<std::string, size_t> index;
  for (const JournalRun& run : runs) {
    if (run.writes.empty()) continue;
    std::string key = run.program + '\n' + run.name;
    for (const std::string& w : run.writes) key += '\n' + w;
    const auto [it, fresh] = index.try_emplace(std::move(key), folds.size());
    if (fresh) {
      folds.push_back({&run, 1});
    } else {
      folds[it->second].last = &run;
      ++folds[it->second].times;
    }
  }
  return folds;
}

// The journal's lines already said by this process (a program takes the
// lock once per press).
bool FirstTime(const JournalRun& run) {
  static std::mutex mutex;
  static std::set<std::string> said;
  std::lock_guard lock(mutex);
  return said.insert(run.program + '\n' + run.at + '\n' + run.name).second;
}

// A line of the journal's steps already said by this process: a line
// changes when a run joins its fold.
bool FirstTimeSaid(const std::string& line) {
  static std::mutex mutex;
  static std::set<std::string> said;
  std::lock_guard lock(mutex);
  return said.insert(line).second;
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

std::string StepRunName(std::string_view window, std::string_view control, std::string_view caption,
                        std::string_view for_what) {
  std::string name =
      std::string(kStepWord) + " " + std::string(window) + " " + std::string(control);
  if (!caption.empty()) name += " " + std::string(caption);
  return for_what.empty() ? name : StepRunFor(name, for_what);
}

std::string StepRunFor(std::string_view name, std::string_view for_what) {
  return std::string(name) + std::string(kForWord) + std::string(for_what);
}

std::string ExtractionRunFor(const CourseKind& course, std::string_view month) {
  return std::string(course.option_caption) + " " + std::string(month);
}

std::string ForgetCommand(const std::filesystem::path& data_dir) {
  std::error_code ec;
  return std::string(kBuildProgram) + " --data-dir " +
         ShellWord(std::filesystem::absolute(data_dir, ec).lexically_normal().string()) +
         " --forget-interrupted";
}

std::string InterruptedStepLine(const JournalRun& run, const std::filesystem::path& data_dir,
                                int64_t times) {
  const Told told = Tell(run);
  const std::string line = told.who + " was " + When(run, times) + ": " + told.outputs + "; ";
  if (told.why_not.empty()) return line + told.again;
  return line + "no press clears this entry, as " + told.why_not +
         ": remove it with: " + ForgetCommand(data_dir) + ", then " + told.again;
}

bool NoPressClears(const JournalRun& run) {
  return run.renames.empty() && !Tell(run).why_not.empty();
}

std::vector<std::string> ForgetRunsNoPressClears(RunJournal& journal) {
  journal.Load();
  const std::vector<JournalRun> forgotten = journal.Forget(NoPressClears);
  std::vector<std::string> lines;
  for (const Fold& f : Folded(forgotten)) {
    const Told told = Tell(*f.last);
    lines.push_back("removed from the journal: " + told.who + ", " + When(*f.last, f.times) +
                    " (no press clears it, as " + told.why_not + "); " + told.outputs + ": " +
                    told.again);
  }
  return lines;
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
  // One line per step, however many runs of it the journal holds.
  for (const Fold& f : Folded(journal.runs())) {
    std::string line = InterruptedStepLine(*f.last, journal.root(), f.times);
    if (FirstTimeSaid(line)) lines.push_back(std::move(line));
  }
  return lines;
}

std::string RefusalOf(const RunJournal& journal, const std::vector<std::string_view>& reads,
                      std::string_view own) {
  for (const JournalRun& run : journal.runs()) {
    if (run.name == own) continue;
    for (const std::string& written : run.writes) {
      for (std::string_view read : reads) {
        if (!SameIgnoringAsciiCase(read, written)) continue;
        // Told as the note tells its step: folded with its other runs.
        const JournalRun* last = &run;
        int64_t times = 0;
        for (const JournalRun& other : journal.runs()) {
          if (!SameStep(other, run)) continue;
          last = &other;
          ++times;
        }
        return InterruptedStepLine(*last, journal.root(), times);
      }
    }
  }
  return "";
}

}  // namespace volq
