// The fault sweep: the whole pipeline (the download, then every button of the
// three build windows in the demo's order) runs in this process through the
// headless windows and a counting file system, once cleanly and then once
// for every file operation k, failing operation k. Whatever fails, the
// process goes on, the failure is reported by file name, every output is
// either as it was before the run or as the clean run wrote it, no
// temporary file is left, and a rerun without the fault gives the clean
// run's bytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

#include "build/factors/factor_frame.h"
#include "build/form_volq_build.h"
#include "fetch/download_window.h"
#include "platform/base/failure.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/run_journal.h"
#include "platform/jvlink/stand_in.h"
#include "platform/text/cp932.h"
#include "platform/ui/headless_host.h"
#include "tests/e2e_support.h"
#include "tools/gen/source.h"
#include "tools/models/sample_models.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

// --- The data directory as bytes, read and written past the seam -------------

// Every file of a data directory by its path from the root ('/' between
// folder and file), and its folders.
struct State {
  std::set<std::string> folders;
  std::map<std::string, std::string> files;
};

std::string ReadPlain(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WritePlain(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + p.string());
}

State Snapshot(const fs::path& root) {
  State s;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = fs::relative(e.path(), root).generic_string();
    if (e.is_directory())
      s.folders.insert(rel);
    else if (e.is_regular_file())
      s.files[rel] = ReadPlain(e.path());
  }
  return s;
}

// Puts `want` in place of `now` (the data directory's present state):
// only the files that differ are touched.
void Restore(const fs::path& root, const State& now, const State& want) {
  for (const auto& [rel, bytes] : now.files)
    if (!want.files.count(rel)) fs::remove(root / rel);
  for (const auto& [rel, bytes] : want.files) {
    auto it = now.files.find(rel);
    if (it == now.files.end() || it->second != bytes) WritePlain(root / rel, bytes);
  }
}

// --- The record source: a tiny generated world -------------------------------

// The generator's tiny world for 2018, cut down further: the race entries
// of the races with at most kMaxField runners, and the horse and offspring
// records of the horses that run in them (the others would only add
// per-horse files, each a few more operations in every run of the sweep).
constexpr size_t kMaxField = 9;

std::vector<std::string> Records(const std::string& bytes) {
  std::vector<std::string> out;
  for (size_t at = 0; at < bytes.size();) {
    size_t end = bytes.find("\r\n", at);
    end = end == std::string::npos ? bytes.size() : end + 2;
    out.push_back(bytes.substr(at, end - at));
    at = end;
  }
  return out;
}

gen::Source TinySource(uint64_t seed) {
  gen::Options opt;
  opt.seed = seed;
  opt.scale = gen::Scale::Tiny;
  opt.from = opt.to = 2018;
  gen::Source source = gen::Generate(opt);
  // Race id SE 12:16, pedigree numbers SE 31:10, UM and SK 12:10 (from 1).
  auto race_of = [](const std::string& r) { return r.substr(11, 16); };
  auto horse_of = [](const std::string& r) {
    return r.substr(r.compare(0, 2, "SE") == 0 ? 30 : 11, 10);
  };
  auto is = [](const std::string& r, const char* type) { return r.compare(0, 2, type) == 0; };
  std::map<std::string, std::set<std::string>> fields;
  for (const gen::SourceFile& f : source.files)
    for (const std::string& r : Records(f.bytes))
      if (is(r, "SE")) fields[race_of(r)].insert(horse_of(r));
  std::set<std::string> runners;
  for (const auto& [race, horses] : fields)
    if (horses.size() <= kMaxField) runners.insert(horses.begin(), horses.end());
  for (gen::SourceFile& f : source.files) {
    std::string kept;
    for (const std::string& r : Records(f.bytes)) {
      const bool keep = is(r, "SE")                  ? fields[race_of(r)].size() <= kMaxField
                        : is(r, "UM") || is(r, "SK") ? runners.count(horse_of(r)) > 0
                                                     : true;
      if (keep) kept += r;
    }
    f.bytes = std::move(kept);
  }
  return source;
}

// --- What a run reports -------------------------------------------------------

// Standard error of a run into a file, for the late failures (writers that
// fail when their destructor closes them print their failure lines there).
// Sanitizer reports keep going to the real standard error.
class StderrCapture {
 public:
  explicit StderrCapture(fs::path file) : file_(std::move(file)), saved_(dup(2)) {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(saved_)));
#endif
  }
  ~StderrCapture() {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(2)));
#endif
    close(saved_);
  }
  void Begin() {
    std::cerr.flush();
    const int fd = open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 2);
    close(fd);
  }
  // The failure lines printed since Begin, "failure: " taken off.
  std::vector<std::string> End() {
    std::cerr.flush();
    dup2(saved_, 2);
    std::vector<std::string> lines;
    std::istringstream in(ReadPlain(file_));
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("failure: ", 0) == 0) lines.push_back(line.substr(9));
    }
    return lines;
  }

 private:
  fs::path file_;
  int saved_;
};

// --- The pipeline -------------------------------------------------------------

struct Command {
  std::string verb, control, text;  // UTF-8, as in a script
  int window = 0;                   // for "window N"
};

// The build program's commands: the pipeline script the end-to-end test
// runs, which is the demo's order of buttons.
std::vector<Command> BuildCommands() {
  std::vector<Command> out;
  std::istringstream script(testing::PipelineScript());
  for (std::string part; std::getline(script, part, ';');) {
    std::istringstream words(part);
    Command c;
    if (!(words >> c.verb)) continue;
    if (c.verb == "window")
      words >> c.window;
    else
      words >> c.control >> c.text;
    out.push_back(c);
  }
  return out;
}

// What one run reported, per click (the download first, then each press or
// pick of the build program): the failure lines of the windows, and what
// escaped a click (the console would end the script there).
struct RunLog {
  std::vector<std::string> clicks;                // "volqfetch Command2", "Command6", ...
  std::vector<std::vector<std::string>> reports;  // per click
  std::vector<int> late;                          // late failures per click
  std::vector<std::string> late_lines;            // their text, over the whole run
  int stopped_at = -1;                            // the click after which the run stopped
  std::vector<std::string> AllLines() const {
    std::vector<std::string> all = late_lines;
    for (const auto& r : reports) all.insert(all.end(), r.begin(), r.end());
    return all;
  }
};

struct Fixture {
  fs::path data, source, settings, capture;
};

// Runs the download and the build program's commands on the fixture. With
// `clean` given, the run stops after the first click whose reports differ
// from the clean run's, as a person would who reads them: the steps after
// it would work on what the failed step kept.
RunLog RunPipeline(const Fixture& fx, const std::vector<Command>& commands, StderrCapture& err,
                   const RunLog* clean) {
  RunLog log;
  HeadlessHost host;
  const int late_at_start = LateFailureCount();
  int late_before = late_at_start;
  // After each click: what it reported; false when the run stops here.
  auto after_click = [&](const std::string& name, size_t failures_before,
                         const std::string& error) {
    std::vector<std::string> lines(host.failures.begin() + static_cast<long>(failures_before),
                                   host.failures.end());
    if (!error.empty()) lines.push_back("error: " + error);
    const size_t i = log.clicks.size();
    log.clicks.push_back(name);
    log.reports.push_back(lines);
    log.late.push_back(LateFailureCount() - late_before);
    late_before = LateFailureCount();
    const bool differs = clean && (i >= clean->reports.size() || clean->reports[i] != lines ||
                                   clean->late[i] != log.late[i]);
    if (!error.empty() || differs) log.stopped_at = static_cast<int>(i);
    return log.stopped_at < 0;
  };
  err.Begin();
  bool going = true;
  {
    StandInJVLink jvlink(fx.settings);
    jvlink.SetSource(fx.source);
    // The simulated download takes a second; each look at the clock is a
    // tenth of one later, so the progress window's timer ends it at once.
    auto now = std::chrono::steady_clock::time_point{};
    jvlink.SetClock([now]() mutable { return now += std::chrono::milliseconds(100); });
    DataDir dir(fx.data);
    WindowManager wm(host, "VolqFetch");
    VOLQF1SETUP18Z form(dir, jvlink);
    wm.Open(form);
    const size_t before = host.failures.size();
    std::string error;
    try {
      form.Press("Command2");
    } catch (const std::exception& e) {
      error = ErrorText(e);
    }
    going = after_click("volqfetch Command2", before, error);
  }
  if (going) {
    DataDir dir(fx.data);
    WindowManager wm(host, "VolqBuild");
    FormVolqBuild form(dir, {});  // wired as volqbuild runs it
    wm.Open(form);
    Window* current = &form;
    for (const Command& c : commands) {
      if (c.verb == "window") {
        current = wm.Find(c.window);
        if (current == nullptr) throw std::runtime_error("no window " + std::to_string(c.window));
        continue;
      }
      if (c.verb == "type") {
        current->Type(Cp932(c.control), Cp932(c.text));
        continue;
      }
      const size_t before = host.failures.size();
      std::string error;
      try {
        if (c.verb == "pick")
          current->Pick(Cp932(c.control), std::stoi(c.text));
        else
          current->Press(Cp932(c.control));
      } catch (const std::exception& e) {
        error = ErrorText(e);
      }
      wm.Collect();
      const std::string click =
          c.control + (current == &form ? "" : " (window " + std::to_string(current->id()) + ")");
      if (!after_click(click, before, error)) break;
    }
  }
  log.late_lines = err.End();
  return log;
}

// --- Checks -------------------------------------------------------------------

// The per-entity folders: their files are updated in place.
bool PerEntity(const std::string& rel) {
  const size_t slash = rel.find('/');
  return slash != std::string::npos && rel.compare(0, slash, "OPTION1N") != 0;
}

// A path from the data directory as reports show it ("KYOSOBA/2015100003.dat").
std::string Shown(const std::string& rel) { return rel; }

// The file a failed operation concerned, from the data directory, without
// the temporary suffix ".<pid>-<n>.partial" of a replacement: what a
// report names. Empty when it was no file under the data directory.
std::string FailedFile(const std::string& operation, const fs::path& data) {
  const size_t at = operation.find(" /");
  if (at == std::string::npos) return {};
  const fs::path p = fs::path(operation.substr(at + 1)).lexically_normal();
  std::string rel = p.lexically_relative(data).generic_string();
  if (rel.empty() || rel.rfind("..", 0) == 0) return {};
  if (rel.size() > 8 && rel.compare(rel.size() - 8, 8, ".partial") == 0) {
    rel.resize(rel.size() - 8);
    const size_t dot = rel.rfind('.');
    if (dot != std::string::npos) rel.resize(dot);
  }
  return rel == "." ? std::string() : rel;
}

bool Mentions(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& l : lines)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

// How the outputs of a faulted run stand against the state before it and the
// clean run's; what does not fit goes into `problems`.
enum class Outputs { AsBefore, AsClean, Mixed };

Outputs CheckOutputs(const State& before, const State& clean, const State& after,
                     const std::vector<std::string>& lines, std::vector<std::string>& problems) {
  std::set<std::string> names;
  for (const State* s : {&before, &clean, &after})
    for (const auto& [rel, bytes] : s->files) names.insert(rel);
  bool all_before = true, all_clean = true;
  auto bytes_of = [](const State& s, const std::string& rel) -> const std::string* {
    auto it = s.files.find(rel);
    return it == s.files.end() ? nullptr : &it->second;
  };
  auto same = [](const std::string* a, const std::string* b) {
    return a == b || (a && b && *a == *b);
  };
  for (const std::string& rel : names) {
    // The journal that names a step stopped midway is no output: the rerun
    // below, which must mend that step, removes it.
    if (rel == kJournalName) continue;
    // A new raw file that a failed rename left beside its final name, which
    // the journal lists for the next program to put in place.
    const auto journal = after.files.find(kJournalName);
    if (rel.find(".partial") != std::string::npos && journal != after.files.end() &&
        journal->second.find(" " + rel + " ") != std::string::npos) {
      continue;
    }
    if (rel.find(".partial") != std::string::npos) {
      problems.push_back("temporary file left: " + rel);
      continue;
    }
    const std::string* now = bytes_of(after, rel);
    const bool as_before = same(now, bytes_of(before, rel));
    const bool as_clean = same(now, bytes_of(clean, rel));
    all_before = all_before && as_before;
    all_clean = all_clean && as_clean;
    if (as_before || as_clean) continue;
    const std::string shown = Shown(rel);
    const std::string folder = shown.substr(0, shown.find('\\') + 1);
    if (PerEntity(rel) && (Mentions(lines, shown) || Mentions(lines, "the files of " + folder)))
      continue;
    problems.push_back(rel + (now ? " (" + std::to_string(now->size()) + " bytes)" : " (missing)") +
                       " is neither as before the run nor as the clean run wrote it" +
                       (PerEntity(rel) ? ", and no report names it" : ""));
  }
  return all_before ? Outputs::AsBefore : all_clean ? Outputs::AsClean : Outputs::Mixed;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += "\n    " + Printable(l);
  return s;
}

// --- The sweep ----------------------------------------------------------------

// The sweep creates and replaces some hundred files a run, thousands of runs
// over: in memory (/dev/shm) where there is one, as a disk file system takes
// a tenth of a millisecond a file created. Named after the process, so that
// sweeps of several build trees never share it.
fs::path ScratchFolder() {
  std::error_code ec;
  const fs::path shm = "/dev/shm";
  const fs::path base =
      fs::is_directory(shm, ec) && access(shm.c_str(), W_OK) == 0 ? shm : fs::temp_directory_path();
  return base / ("volq_fault_sweep." + std::to_string(getpid()));
}

TEST(FaultSweep, EveryFileOperationOfThePipelineFailsInTurn) {
  const fs::path root = ScratchFolder();
  fs::remove_all(root);
  // Removed also when an assertion ends the test early: /dev/shm is memory.
  struct Remove {
    fs::path p;
    ~Remove() { fs::remove_all(p); }
  } remove{root};
  fs::create_directories(root / "source-before");
  Fixture fx{root / "data", root / "source", root / "stand-in.conf", root / "stderr.txt"};
  gen::WriteSource(TinySource(1), root / "source-before");
  gen::WriteSource(TinySource(2), fx.source);
  WritePlain(fx.settings, "download_seconds=1\n");
  fs::create_directories(fx.data);
  DataDir(fx.data).CreateFolders(kDataDirFolders);
  const std::vector<Command> commands = BuildCommands();
  StderrCapture err(fx.capture);

  // The state before: the last good data, the whole pipeline run on another
  // source, with sample models in OPTION1N so that the category window
  // loads without reports.
  {
    Fixture earlier = fx;
    earlier.source = root / "source-before";
    RunPipeline(earlier, commands, err, nullptr);
    DataDir dir(fx.data);
    for (int course : {kTurf, kDirt, kSteeple}) {
      try {
        models::WriteSampleModel(dir, ModelWord(course),
                                 models::ReadCategorisation(dir, ModelWord(course)));
      } catch (const Failure&) {
        // A course type without races has no categorisation and no model.
      }
    }
  }
  const State before = Snapshot(fx.data);

  // The clean run, counted.
  FaultFileSystem faults;
  RunLog clean_log;
  {
    ScopedFileSystem seam(faults);
    clean_log = RunPipeline(fx, commands, err, nullptr);
  }
  const std::int64_t n = faults.operations();
  const State clean = Snapshot(fx.data);
  ASSERT_EQ(clean_log.stopped_at, -1) << "the clean run stopped:" << Joined(clean_log.AllLines());
  size_t clicks = 1;  // the download
  for (const Command& c : commands) clicks += c.verb == "press" || c.verb == "pick";
  ASSERT_EQ(clean_log.clicks.size(), clicks);
  for (const auto& [rel, bytes] : clean.files)
    ASSERT_EQ(rel.find(".partial"), std::string::npos) << "the clean run left " << rel;
  // The fixture's one central race with results is on dirt: its factor
  // items and categories are written, turf and steeplechase get empty files.
  ASSERT_NE(clean.files.count("SIBAITEM201801N2024.dat"), 0u);
  for (const char* written : {"DIRTITEM201801N2024.dat", "DirtItemCategory201801N2024.dat"})
    ASSERT_TRUE(clean.files.count(written) && !clean.files.at(written).empty()) << written;
  // The two sources differ, so a kept output and a new one differ too.
  ASSERT_NE(clean.files.at("SE20180101.dat"), before.files.at("SE20180101.dat"));

  // Run k fails operation k: ENOSPC, EIO and EACCES in turn.
  const int kErrors[] = {ENOSPC, EIO, EACCES};
  std::map<std::string, int> stopped_at;  // the click that reported the fault
  std::map<std::string, int> outputs;     // how the outputs stood
  std::int64_t injected = 0, named_file = 0;
  State now = clean;
  for (std::int64_t k = 1; k <= n; ++k) {
    Restore(fx.data, now, before);
    const int error = kErrors[(k - 1) % 3];
    RunLog log;
    std::string operation;
    {
      faults.Reset();
      faults.FailAt(k, error);
      ScopedFileSystem seam(faults);
      log = RunPipeline(fx, commands, err, &clean_log);
      injected += faults.faults();
      operation = faults.failed_operation();
    }
    const State after = Snapshot(fx.data);
    const std::string where =
        "k=" + std::to_string(k) + " (" + operation + ", " + std::strerror(error) + ")";
    const std::vector<std::string> lines = log.AllLines();
    std::vector<std::string> problems;
    if (operation.empty()) problems.push_back("operation k was never reached");
    if (log.stopped_at < 0 && log.late_lines.empty()) problems.push_back("nothing was reported");
    // The failed file by its name, or the data directory by its path.
    const std::string file = FailedFile(operation, fx.data);
    const bool names_failed =
        file.empty()
            ? Mentions(lines, fx.data.string())
            : Mentions(lines, Shown(file)) || Mentions(lines, fs::path(file).filename().string());
    named_file += names_failed;
    if (!names_failed && !Mentions(lines, ".dat") && !Mentions(lines, "\\"))
      problems.push_back("no report names a file");
    // A single file refused (EACCES) is skipped and the step goes on without
    // it, so its outputs may differ from both states; a failure of the file
    // system itself (ENOSPC, EIO) ends the step.
    const bool skipped = error == EACCES && names_failed && !Mentions(lines, "step stopped");
    std::vector<std::string> differ;
    const Outputs o = CheckOutputs(before, clean, after, lines, skipped ? differ : problems);

    // A rerun without the fault, from what the faulted run left.
    {
      faults.Reset();
      ScopedFileSystem seam(faults);
      RunPipeline(fx, commands, err, nullptr);
    }
    now = Snapshot(fx.data);
    for (const auto& [rel, bytes] : clean.files) {
      auto it = now.files.find(rel);
      if (it == now.files.end() || it->second != bytes)
        problems.push_back("the rerun without the fault left " + rel +
                           " different from the clean run");
    }
    for (const auto& [rel, bytes] : now.files)
      if (!clean.files.count(rel))
        problems.push_back("the rerun left " + rel + ", which the clean run had not");

    EXPECT_TRUE(problems.empty()) << where << ":" << Joined(problems)
                                  << "\n  reported:" << Joined(lines);
    ++stopped_at[log.stopped_at >= 0 ? log.clicks[static_cast<size_t>(log.stopped_at)]
                                     : "no click (a late failure only)"];
    ++outputs[!differ.empty() ? "a refused file skipped, outputs of its step written without it"
              : o == Outputs::AsBefore ? "every output as before the run"
              : o == Outputs::AsClean  ? "every output as the clean run wrote it"
                                       : "some outputs as before, the others as the clean run"];
  }

  std::cout << "fault sweep: " << n << " file operations in the clean run; " << injected
            << " faults injected (ENOSPC, EIO, EACCES in turn); reports naming the failed file: "
            << named_file << "\n";
  for (const auto& [what, count] : outputs) std::cout << "  " << count << " runs: " << what << "\n";
  for (const auto& [click, count] : stopped_at)
    std::cout << "  " << count << " runs stopped at " << click << "\n";
}

}  // namespace
}  // namespace volq
