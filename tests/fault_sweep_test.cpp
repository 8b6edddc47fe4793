// The fault sweep: the whole pipeline (the download, then every button of the
// three build windows in the demo's order) runs in this process through the
// headless windows, on a file system in memory behind a counting one: once
// cleanly, then for each fault mode of a table once for every file operation
// k. A mode fails call k alone (ENOSPC, EIO, EACCES, EROFS, EDQUOT) or fills
// the disk from call k on. Whatever fails, the process goes on, the click
// that the fault fell in reports it by file name, every output is as it was
// before the run or as the clean run wrote it (or, for an input refused and
// skipped, as that click writes it with the file refused; a per-entity file
// of a stopped step, named in the report), no temporary file is left, and a
// rerun without the fault gives the clean run's bytes. A sample of the
// faults runs the programs' own entry points and checks what a user sees:
// exit status 1 and a failure line that names the file. The crash mode
// kills the run at call k instead (no call from k on reaches a file) and
// starts afresh from what it left: the raw files are of one download once
// the next program holds the lock, a step's outputs are whole or the journal
// names it and the steps that read them refuse, and the pipeline run again
// gives the clean run's bytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

#include "build/factors/factor_frame.h"
#include "build/form_volq_build.h"
#include "build/run_volq_build.h"
#include "common/interrupted_runs.h"
#include "common/record_layout.h"
#include "fetch/download_window.h"
#include "fetch/run_volq_fetch.h"
#include "platform/base/ascii_case.h"
#include "platform/base/failure.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/memory_file_system.h"
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
using Image = MemoryFileSystem::Image;

// The writers gather this many bytes before they write, so that the larger
// outputs of the fixture (the raw files, the NEW files of horses and
// jockeys) span several writes and a fault can fall in the middle of a file.
constexpr size_t kSweepWriteBuffer = 16 * 1024;

// --- The record source: one race of each course type --------------------------

// The generator's small world for 2018, cut down to one central race with
// results on each course type (turf, dirt, steeplechase; the one with the
// fewest runners), the horses that run in it, their people, breeders and
// ancestors: every course type's extraction, factor items and categorisation
// get records, and each run of the sweep stays a few thousand operations.
// The fields read here all come before the first one that is delivered
// wider than it is stored, so their stored offsets hold.
gen::Source SweepSource(uint64_t seed) {
  gen::Options opt;
  opt.seed = seed;
  opt.scale = gen::Scale::Small;
  opt.from = opt.to = 2018;
  gen::Source source = gen::Generate(opt);
  auto is = [](const std::string& r, const char* type) { return r.compare(0, 2, type) == 0; };
  auto field = [](const std::string& r, Slice s) { return std::string(s.Of(r)); };
  auto with_results = [](const std::string& r) { return r[2] == '7'; };
  auto race_of = [&](const std::string& r) { return field(r, RaceField("race")); };
  std::vector<std::string> records;
  for (const gen::SourceFile& f : source.files) {
    for (size_t at = 0; at < f.bytes.size();) {
      const size_t end = f.bytes.find("\r\n", at) + 2;
      records.push_back(f.bytes.substr(at, end - at));
      at = end;
    }
  }
  // The runners of each race with results, and each central one's course type.
  std::map<std::string, int> runners, course;
  for (const std::string& r : records) {
    if (is(r, "SE") && with_results(r)) ++runners[race_of(r)];
    if (!is(r, "RA") || !with_results(r) || !CentralRacecourse(field(r, RaceField("race.venue"))))
      continue;
    const int track = std::stoi(field(r, RaceField("track")));
    for (int c = 0; c < 3; ++c) {
      if (track >= kCourseKinds[c].lowest_track && track <= kCourseKinds[c].highest_track)
        course[race_of(r)] = c;
    }
  }
  std::set<std::string> races;
  for (int c = 0; c < 3; ++c) {
    std::string best;
    for (const auto& [race, kind] : course) {
      if (kind == c && runners[race] >= 2 && (best.empty() || runners[race] < runners[best]))
        best = race;
    }
    if (!best.empty()) races.insert(best);
  }
  std::set<std::string> horses, jockeys, trainers, owners, breeders, breeding;
  for (const std::string& r : records) {
    if (!is(r, "SE") || !races.count(race_of(r))) continue;
    horses.insert(field(r, RaceEntryField("pedigree_number")));
    jockeys.insert(field(r, RaceEntryField("jockey_code")));
    jockeys.insert(field(r, RaceEntryField("jockey_code_before")));
    trainers.insert(field(r, RaceEntryField("trainer_code")));
    owners.insert(field(r, RaceEntryField("owner_code")));
  }
  // Breeding horses by the ancestors a horse or offspring record names.
  auto ancestors = [&](std::string_view all, size_t step) {
    for (size_t at = 0; at + 10 <= all.size(); at += step)
      breeding.insert(std::string(all.substr(at, 10)));
  };
  for (const std::string& r : records) {
    if (is(r, "UM") && horses.count(field(r, HorseField("pedigree_number")))) {
      breeders.insert(field(r, HorseField("breeder_code")));
      ancestors(HorseField("ancestor").Of(r), 46);
    } else if (is(r, "SK") && horses.count(field(r, OffspringField("pedigree_number")))) {
      breeders.insert(field(r, OffspringField("breeder_code")));
      ancestors(OffspringField("ancestor").Of(r), 10);
    }
  }
  auto keep = [&](const std::string& r) {
    if (is(r, "RA") || is(r, "SE")) return races.count(race_of(r)) > 0;
    if (is(r, "UM")) return horses.count(field(r, HorseField("pedigree_number"))) > 0;
    if (is(r, "SK")) return horses.count(field(r, OffspringField("pedigree_number"))) > 0;
    if (is(r, "KS")) return jockeys.count(field(r, JockeyField("jockey_code"))) > 0;
    if (is(r, "CH")) return trainers.count(field(r, TrainerField("trainer_code"))) > 0;
    if (is(r, "BN")) return owners.count(field(r, OwnerField("owner_code"))) > 0;
    if (is(r, "BR")) return breeders.count(field(r, BreederField("breeder_code"))) > 0;
    if (is(r, "HN")) return breeding.count(field(r, BreedingHorseField("breeding_number"))) > 0;
    return true;  // market sales and the types the programs pass over
  };
  for (gen::SourceFile& f : source.files) {
    std::string kept;
    for (size_t at = 0; at < f.bytes.size();) {
      const size_t end = f.bytes.find("\r\n", at) + 2;
      const std::string r = f.bytes.substr(at, end - at);
      if (keep(r)) kept += r;
      at = end;
    }
    f.bytes = std::move(kept);
  }
  return source;
}

// --- What a run reports -------------------------------------------------------

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

// Standard error of a run into a file (the failure lines of the programs,
// and of writers that fail when their destructor closes them), standard
// output away. Sanitizer reports keep going to the real standard error.
class OutputCapture {
 public:
  explicit OutputCapture(fs::path file) : file_(std::move(file)), err_(dup(2)), out_(dup(1)) {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(err_)));
#endif
  }
  ~OutputCapture() {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(2)));
#endif
    close(err_);
    close(out_);
  }
  void Begin() {
    std::cerr.flush();
    std::cout.flush();
    const int fd = open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 2);
    close(fd);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
  }
  // The failure lines printed since Begin, "failure: " taken off, and the
  // lines of a program that refused to start ("volqfetch: ...").
  std::vector<std::string> End() {
    std::cerr.flush();
    std::cout.flush();
    dup2(err_, 2);
    dup2(out_, 1);
    std::vector<std::string> lines;
    std::istringstream in(ReadPlain(file_));
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("failure: ", 0) == 0) lines.push_back(line.substr(9));
      if (line.starts_with("volqfetch: ") || line.starts_with("volqbuild: ")) lines.push_back(line);
    }
    return lines;
  }

 private:
  fs::path file_;
  int err_, out_;
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

// What each click of a run writes (the download first, then each press or
// pick of the build program), as the catalogue names them ("FOLDER/" for
// the per-entity files of a folder). The category window's buttons are
// not in the table of buttons: its extraction (Command1) writes the chosen
// course type's horse list, Command2-4 one type's factor items each,
// Command5-7 one type's categorisation.
std::vector<std::vector<std::string>> ClickWrites(const std::vector<Command>& commands) {
  std::vector<std::vector<std::string>> out;
  std::vector<std::string>& download = out.emplace_back();
  for (const RawRecordFile& f : kRawRecordFiles) download.emplace_back(f.file);
  download.emplace_back(kMarketSaleFile);
  int window = 1, course = 0;
  for (const Command& c : commands) {
    if (c.verb == "window") window = c.window;
    if (c.verb != "press" && c.verb != "pick") continue;
    std::vector<std::string>& writes = out.emplace_back();
    if (c.verb == "pick") continue;
    if (window == 3) {
      const int n = c.control.back() - '0';
      if (c.control.rfind("Option", 0) == 0) course = n - 1;
      if (c.control == "Command1")
        writes.push_back(CourseHorseList(kCourseKinds[course].word, "201801"));
      if (c.control.rfind("Command", 0) == 0 && n >= 2 && n <= 4)
        writes.emplace_back(kCourseKinds[n - 2].item_file);
      if (c.control.rfind("Command", 0) == 0 && n >= 5 && n <= 7) {
        for (CourseFile f :
             {CourseFile::ItemCategory, CourseFile::ItemCategoryCount, CourseFile::TotalData,
              CourseFile::AgariData, CourseFile::PaceData, CourseFile::SohaData})
          writes.push_back(CourseFileName(f, kCourseKinds[n - 5].model_word));
      }
      continue;
    }
    const std::string_view owner = window == 1 ? kMainWindow : kExtendedWindow;
    for (const BuildButton& b : BuildButtons()) {
      if (b.window == owner && (b.control == c.control || b.caption == c.control))
        writes.assign(b.writes.begin(), b.writes.end());
    }
  }
  return out;
}

// What one run reported, per click (the download first, then each press or
// pick of the build program): the failure lines of the windows, and what
// escaped a click (the console would end the script there).
struct RunLog {
  std::vector<std::string> clicks;                // "volqfetch Command2", "Command6", ...
  std::vector<std::vector<std::string>> reports;  // per click
  std::vector<std::vector<std::string>> notes;    // the notes per click
  std::vector<int> late;                          // late failures per click
  std::vector<std::int64_t> operations;           // file operations counted after each click
  std::vector<std::string> late_lines;            // their text, over the whole run
  int stopped_at = -1;                            // the click after which the run stopped
  std::vector<std::string> AllLines() const {
    std::vector<std::string> all = late_lines;
    for (const auto& r : reports) all.insert(all.end(), r.begin(), r.end());
    return all;
  }
};

struct Fixture {
  fs::path data, source, settings;
};

// Everything a sweep works with, made once per process: the fixture on disk
// (the data directory's root stays there, empty, for its lock), its files
// in memory, the state before and the clean run.
struct Sweep {
  fs::path root;
  Fixture fx;
  std::vector<Command> commands;
  std::vector<std::vector<std::string>> writes;  // per click
  MemoryFileSystem memory;
  FaultFileSystem faults{memory};
  std::unique_ptr<OutputCapture> capture;
  Image before, clean;
  RunLog clean_log;
  std::vector<FaultFileSystem::Call> trace;  // the clean run's calls
  // The states left by faulted runs (FaultAt) that a rerun has brought to
  // the clean run's bytes.
  std::set<std::string> rerun_from;
  // The clean run's state before each click (its outputs as it finds them)
  // and, last, after it.
  std::vector<Image> clean_at;
  // The crash mode's states (CrashAt) by StateKey, with their outcome, and
  // the steps cut short whose readers were pressed (by journal name and writes).
  std::map<std::string, std::string> crash_states;
  std::set<std::string> refusals_seen;
  // Per click: a press that runs a step (not a pick in a list, nor a press
  // that opens a window).
  std::vector<bool> steps;
  ~Sweep() { fs::remove_all(root); }
};

// Runs the download and the build program's commands on the fixture, every
// file operation through the sweep's file systems. With `clean` given, the
// run stops after the first click whose reports differ from the clean run's,
// as a person would who reads them: the steps after it would work on what
// the failed step kept. `before_click(i)` is called before click i and
// tells whether the run makes it, passes it over or stops before it.
enum class Click { Make, Pass, Stop };
RunLog RunPipeline(Sweep& s, const Fixture& fx, const RunLog* clean,
                   const std::function<Click(size_t)>& before_click = {}) {
  RunLog log;
  HeadlessHost host;
  ScopedFileSystem seam(s.faults);
  int late_before = LateFailureCount();
  // After each click: what it reported; false when the run stops here.
  size_t notes_before = 0;
  auto after_click = [&](const std::string& name, size_t failures_before,
                         const std::string& error) {
    std::vector<std::string> lines(host.failures.begin() + static_cast<long>(failures_before),
                                   host.failures.end());
    log.notes.emplace_back(host.notes.begin() + static_cast<long>(notes_before), host.notes.end());
    notes_before = host.notes.size();
    if (!error.empty()) lines.push_back("error: " + error);
    const size_t i = log.clicks.size();
    log.clicks.push_back(name);
    log.reports.push_back(lines);
    log.late.push_back(LateFailureCount() - late_before);
    log.operations.push_back(s.faults.operations());
    late_before = LateFailureCount();
    const bool differs = clean && (i >= clean->reports.size() || clean->reports[i] != lines ||
                                   clean->late[i] != log.late[i]);
    if (!error.empty() || differs) log.stopped_at = static_cast<int>(i);
    return log.stopped_at < 0;
  };
  auto before = [&] { return before_click ? before_click(log.clicks.size()) : Click::Make; };
  s.capture->Begin();
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
    const size_t failures = host.failures.size();
    std::string error;
    const Click make = before();
    try {
      if (make == Click::Make) form.Press("Command2");
    } catch (const std::exception& e) {
      error = ErrorText(e);
    }
    going = after_click("volqfetch Command2", failures, error) && make != Click::Stop;
  }
  if (going) {
    DataDir dir(fx.data);
    WindowManager wm(host, "VolqBuild");
    FormVolqBuild form(dir, {});  // wired as volqbuild runs it
    wm.Open(form);
    Window* current = &form;
    for (const Command& c : s.commands) {
      if (c.verb == "window") {
        current = wm.Find(c.window);
        if (current == nullptr) throw std::runtime_error("no window " + std::to_string(c.window));
        continue;
      }
      if (c.verb == "type") {
        current->Type(Cp932(c.control), Cp932(c.text));
        continue;
      }
      const size_t failures = host.failures.size();
      std::string error;
      const Click make = before();
      if (make == Click::Stop) break;
      try {
        if (make == Click::Pass)
          ;
        else if (c.verb == "pick")
          current->Pick(Cp932(c.control), std::stoi(c.text));
        else
          current->Press(Cp932(c.control));
      } catch (const std::exception& e) {
        error = ErrorText(e);
      }
      wm.Collect();
      const std::string click =
          c.control + (current == &form ? "" : " (window " + std::to_string(current->id()) + ")");
      if (!after_click(click, failures, error)) break;
    }
  }
  log.late_lines = s.capture->End();
  return log;
}

// The sweep of this process, made at its first use.
Sweep& TheSweep() {
  static Sweep* sweep = [] {
    auto* s = new Sweep;
    // In memory (/dev/shm) where there is one: the record sources are read
    // in every run. Named after the process, so that sweeps of several
    // build trees and shards never share it.
    std::error_code ec;
    const fs::path shm = "/dev/shm";
    const fs::path base = fs::is_directory(shm, ec) && access(shm.c_str(), W_OK) == 0
                              ? shm
                              : fs::temp_directory_path();
    s->root = base / ("volq_fault_sweep." + std::to_string(getpid()));
    fs::remove_all(s->root);
    s->fx = Fixture{s->root / "data", s->root / "source", s->root / "stand-in.conf"};
    gen::WriteSource(SweepSource(1), s->root / "source-before");
    gen::WriteSource(SweepSource(2), s->fx.source);
    WritePlain(s->fx.settings, "download_seconds=1\n");
    fs::create_directories(s->fx.data);
    for (std::string_view folder : kDataDirFolders) s->memory.MakeFolders(s->fx.data / folder);
    s->memory.SetWriteBufferSize(kSweepWriteBuffer);
    s->commands = BuildCommands();
    s->writes = ClickWrites(s->commands);
    s->steps.push_back(true);
    int window = 1;
    for (const Command& c : s->commands) {
      if (c.verb == "window") window = c.window;
      if (c.verb != "press" && c.verb != "pick") continue;
      bool opens = false;
      for (const BuildButton& b : BuildButtons()) {
        opens = opens || (window == 1 && b.window == kMainWindow && b.control == c.control &&
                          (b.step == BuildStep::OpenExtended || b.step == BuildStep::OpenCategory));
      }
      s->steps.push_back(c.verb == "press" && !opens);
    }
    s->capture = std::make_unique<OutputCapture>(s->root / "stderr.txt");

    // The state before: the last good data, the whole pipeline run on
    // another source, with sample models in OPTION1N so that the category
    // window loads without reports.
    Fixture earlier = s->fx;
    earlier.source = s->root / "source-before";
    RunPipeline(*s, earlier, nullptr);
    {
      ScopedFileSystem seam(s->memory);
      DataDir dir(s->fx.data);
      for (const CourseKind& course : kCourseKinds) {
        const std::string word(course.model_word);
        models::WriteSampleModel(dir, word, models::ReadCategorisation(dir, word));
      }
    }
    s->before = s->memory.Save();

    // The clean run, counted and traced.
    s->faults.Reset();
    s->faults.Trace(true);
    s->clean_log = RunPipeline(*s, s->fx, nullptr, [s](size_t) {
      s->clean_at.push_back(s->memory.Save());
      return Click::Make;
    });
    s->faults.Trace(false);
    s->trace = s->faults.trace();
    s->clean = s->memory.Save();
    s->clean_at.push_back(s->clean);
    return s;
  }();
  static const struct Remove {
    ~Remove() { delete sweep; }
  } remove;
  return *sweep;
}

// --- Checks -------------------------------------------------------------------

// The path of a full path inside the data directory ('/' between folder and
// file), or "" when it is not inside.
std::string Relative(const std::string& path, const fs::path& data) {
  const std::string rel = fs::path(path).lexically_relative(data).generic_string();
  return rel.empty() || rel == "." || rel.rfind("..", 0) == 0 ? std::string() : rel;
}

// The per-entity folders: their files are updated in place.
bool PerEntity(const std::string& rel) {
  const size_t slash = rel.find('/');
  return slash != std::string::npos && rel.compare(0, slash, "OPTION1N") != 0;
}

// The file an operation concerned ("write /path/OPTION1N/KYOSOBA.dat"),
// from the data directory, without the temporary suffix
// ".<pid>-<n>.partial" of a replacement: what a report names. Empty when it
// was no file under the data directory.
std::string FileOf(const std::string& operation, const fs::path& data) {
  const size_t at = operation.find(" /");
  if (at == std::string::npos) return {};
  std::string rel = Relative(operation.substr(at + 1), data);
  if (rel.size() > 8 && rel.compare(rel.size() - 8, 8, ".partial") == 0) {
    rel.resize(rel.size() - 8);
    const size_t dot = rel.rfind('.');
    if (dot != std::string::npos) rel.resize(dot);
  }
  return rel;
}

bool Mentions(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& l : lines)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

// Whether a report names the file of a failed operation, or the data
// directory for an operation on the directory itself.
bool NamesFile(const std::vector<std::string>& lines, const std::string& operation,
               const fs::path& data) {
  const std::string file = FileOf(operation, data);
  // The check at start that the data directory can be written names the
  // directory, not its hidden file.
  if (file.empty() || file == kWriteCheckName) return Mentions(lines, data.string());
  return Mentions(lines, file) || Mentions(lines, fs::path(file).filename().string());
}

// Whether the output `rel` is one that a click writes, as ClickWrites gives them.
bool Writes(const std::vector<std::string>& writes, const std::string& rel) {
  const std::string shown = rel;
  for (const std::string& w : writes) {
    if (w == shown || (w.back() == '/' && shown.rfind(w, 0) == 0)) return true;
  }
  return false;
}

// The files that differ between two states (missing in one of them too).
std::vector<std::string> Differing(const Image& a, const Image& b) {
  std::vector<std::string> out;
  auto ia = a.files.begin(), ib = b.files.begin();
  while (ia != a.files.end() || ib != b.files.end()) {
    if (ib == b.files.end() || (ia != a.files.end() && ia->first < ib->first)) {
      out.push_back((ia++)->first);
    } else if (ia == a.files.end() || ib->first < ia->first) {
      out.push_back((ib++)->first);
    } else {
      if (ia->second != ib->second) out.push_back(ia->first);
      ++ia, ++ib;
    }
  }
  return out;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += "\n    " + Printable(l);
  return s;
}

// --- The fault modes ----------------------------------------------------------

// A way to fail the file operations of a run, armed at operation k.
struct FaultMode {
  const char* name;
  // What the failed calls return: EACCES is a refused file, which a step
  // may skip; every other is a failure of the file system, which ends it.
  int error;
  void (*arm)(FaultFileSystem& faults, std::int64_t k, int error);
  // Whether a fault armed at a call of the clean run fails that call: the
  // k that are not give the same run as the next k that is.
  bool (*fails)(const FaultFileSystem::Call& call);
};

void Once(FaultFileSystem& faults, std::int64_t k, int error) { faults.FailAt(k, error); }
void Full(FaultFileSystem& faults, std::int64_t k, int) { faults.FullFrom(k); }
// A kill at call k: the calls that the process would make after it fail
// and reach no file, cleanups of its objects as they are destroyed too.
void Crash(FaultFileSystem& faults, std::int64_t k, int error) { faults.CrashFrom(k, error); }
bool Every(const FaultFileSystem::Call&) { return true; }
bool TakesSpace(const FaultFileSystem::Call& call) { return call.takes_space; }

constexpr FaultMode kModes[] = {
    {"ENOSPC", ENOSPC, Once, Every}, {"EIO", EIO, Once, Every},
    {"EACCES", EACCES, Once, Every}, {"EROFS", EROFS, Once, Every},
    {"EDQUOT", EDQUOT, Once, Every}, {"DiskFull", ENOSPC, Full, TakesSpace},
    {"Crash", EIO, Crash, Every},
};

// The k that get a run of their own in a mode.
std::vector<std::int64_t> RunsOf(const Sweep& s, const FaultMode& mode) {
  std::vector<std::int64_t> ks;
  for (size_t i = 0; i < s.trace.size(); ++i)
    if (mode.fails(s.trace[i])) ks.push_back(static_cast<std::int64_t>(i) + 1);
  return ks;
}

// The click of the clean run that operation k falls in.
size_t ClickOf(const RunLog& log, std::int64_t k) {
  size_t i = 0;
  while (i + 1 < log.operations.size() && log.operations[i] < k) ++i;
  return i;
}

// How the runs of a mode went, for the test's log.
struct Tally {
  std::map<std::string, int> outcomes, stopped_at;
  int runs = 0, named = 0;
  // The crash mode: fresh starts (one per state left), steps cut short
  // whose readers were pressed, and the clicks that refused.
  int fresh_starts = 0, cut_short_checked = 0, refused = 0;
};

std::vector<std::string> CrashAt(Sweep& s, std::int64_t k, Tally& tally);

// Runs the pipeline from the state before with the fault armed at k, then
// again without it; what does not hold goes into the result.
std::vector<std::string> FaultAt(Sweep& s, const FaultMode& mode, std::int64_t k, Tally& tally) {
  if (mode.arm == Crash) return CrashAt(s, k, tally);
  s.memory.Load(s.before);
  s.faults.Reset();
  mode.arm(s.faults, k, mode.error);
  const RunLog log = RunPipeline(s, s.fx, &s.clean_log);
  const std::string operation = s.faults.failed_operation();
  const Image after = s.memory.Save();
  const std::vector<std::string> lines = log.AllLines();
  std::vector<std::string> problems;
  if (operation.empty()) problems.push_back("operation k failed no call");
  const size_t click = ClickOf(s.clean_log, k);
  if (log.stopped_at != static_cast<int>(click)) {
    problems.push_back("the fault fell in " + s.clean_log.clicks[click] + ", but " +
                       (log.stopped_at < 0 ? "no click" : log.clicks[log.stopped_at]) +
                       " reported it");
  }
  const bool named = NamesFile(lines, operation, s.fx.data);
  tally.named += named;
  if (!named) problems.push_back("no report names the file");
  // A single file refused (EACCES) is skipped and the step goes on without
  // it, so outputs of its click may differ from both states; a failure of
  // the file system itself ends the step. A run that left the journal (a
  // download stored in part, a step whose outputs could not be synced) is
  // no skip: the next run mends it first, which the rerun below checks.
  const bool journal_left = after.files.count((s.fx.data / kJournalName).string()) > 0;
  const bool skipped =
      mode.error == EACCES && named && !Mentions(lines, "step stopped") && !journal_left;

  // Every output as before, as clean, or written by the click that reported.
  // The state left, when every file is as before or as clean, is told by the
  // files that are as clean: `state` lists them ("" when a file is neither).
  std::vector<std::string> differ;
  std::string state = "as clean:";
  for (const std::string& path : Differing(after, s.before)) {
    const std::string rel = Relative(path, s.fx.data);
    const auto now = after.files.find(path);
    const auto clean = s.clean.files.find(path);
    const bool as_clean = now == after.files.end()
                              ? clean == s.clean.files.end()
                              : clean != s.clean.files.end() && now->second == clean->second;
    if (as_clean) {
      state += " " + path;
      continue;
    }
    state.clear();
    // The journal that names a step stopped midway is no output: the rerun
    // below, which must mend that step, removes it. Nor is a new raw file
    // that a failed rename left beside its final name, which the journal
    // lists for the next program to put in place.
    if (rel == kJournalName) continue;
    const auto journal = after.files.find((s.fx.data / kJournalName).string());
    if (rel.find(".partial") != std::string::npos && journal != after.files.end() &&
        journal->second.bytes().find(" " + rel + " ") != std::string::npos) {
      continue;
    }
    if (rel.find(".partial") != std::string::npos) {
      problems.push_back("temporary file left: " + rel);
    } else if (!Writes(s.writes[click], rel)) {
      problems.push_back(rel + " changed, which " + s.clean_log.clicks[click] + " does not write");
    } else if (skipped) {
      differ.push_back(rel);
    } else if (!PerEntity(rel) || !Mentions(lines, rel)) {
      problems.push_back(rel + " is neither as before the run nor as the clean run wrote it" +
                         (PerEntity(rel) ? ", and no report names it" : ""));
    }
  }
  // The click pressed again with the same file refused, after the faulted
  // run: the files it writes without the refused one are the same again, as
  // they depend on its inputs only, not on what it wrote before. The run
  // repeats the clicks before it (their outputs stay as they are) and fails
  // the same call of the click: the n-th of its kind on that file.
  if (skipped) {
    const std::string op = operation.substr(0, operation.find(" /"));
    const std::string file = FileOf(operation, s.fx.data);
    auto same_call = [&](const FaultFileSystem::Call& c) {
      return c.op == op && FileOf(c.op + " " + c.subject, s.fx.data) == file;
    };
    const std::int64_t from = click == 0 ? 0 : s.clean_log.operations[click - 1];
    int nth = 0;
    for (std::int64_t i = from; i < k; ++i) nth += same_call(s.trace[static_cast<size_t>(i)]);
    s.memory.Load(after);
    s.faults.Reset();
    const RunLog again = RunPipeline(s, s.fx, &s.clean_log, [&](size_t i) {
      if (i != click) return Click::Make;
      s.faults.FailWhere([&, seen = 0](std::string_view call, const std::string& subject) mutable {
        return same_call({std::string(call), subject, false}) && ++seen == nth ? EACCES : 0;
      });
      return Click::Make;
    });
    if (again.stopped_at != static_cast<int>(click) || again.reports[click] != log.reports[click]) {
      problems.push_back(s.clean_log.clicks[click] + " run again with " + file +
                         " refused does not report as it did");
    }
    for (const std::string& path : Differing(s.memory.Save(), after)) {
      problems.push_back(Relative(path, s.fx.data) + " is not the same when " +
                         s.clean_log.clicks[click] + " runs again with " + file + " refused");
    }
  }

  // A rerun without the fault, from what the faulted run left. Runs are
  // deterministic: from a state that a rerun has started from before, it
  // would give what it gave then.
  if (state.empty() || !s.rerun_from.count(state)) {
    s.memory.Load(after);
    s.faults.Reset();
    RunPipeline(s, s.fx, nullptr);
    const std::vector<std::string> wrong = Differing(s.memory.Save(), s.clean);
    for (const std::string& path : wrong) {
      problems.push_back("the rerun without the fault left " + Relative(path, s.fx.data) +
                         " different from the clean run");
    }
    if (wrong.empty() && !state.empty()) s.rerun_from.insert(state);
  }

  ++tally.runs;
  ++tally.stopped_at[log.stopped_at >= 0 ? log.clicks[static_cast<size_t>(log.stopped_at)]
                                         : "no click"];
  const std::vector<std::string> changed = Differing(after, s.before);
  ++tally.outcomes[!differ.empty()
                       ? "a refused file skipped, outputs of its click written without it"
                   : changed.empty() ? "every output as before the run"
                   : Differing(after, s.clean).empty()
                       ? "every output as the clean run wrote it"
                       : "some outputs as before, the others as the clean run"];
  if (!problems.empty()) {
    problems.insert(problems.begin(), "k=" + std::to_string(k) + " (" + operation + ", " +
                                          std::strerror(mode.error) + ")");
    problems.push_back("reported:" + Joined(lines));
  }
  return problems;
}

// --- The crash mode -------------------------------------------------------------
//
// A kill at call k (Crash), then a fresh start from what it left: new
// windows, a new DataDir, the counts of the file systems reset, as the next
// program to run finds the data directory. The file system in memory models
// a kill, not a power cut: every call made before k stays, none is lost for
// want of a sync.

// Whether file `path` is the same in two states (missing in both too).
bool SameFile(const Image& a, const Image& b, const std::string& path) {
  const auto ia = a.files.find(path), ib = b.files.find(path);
  if (ia == a.files.end() || ib == b.files.end()) return ia == a.files.end() && ib == b.files.end();
  return ia->second == ib->second;
}

// The paths of a click's outputs that are in any of `states` (a per-entity
// folder by its files).
std::set<std::string> OutputsOf(const Sweep& s, size_t click,
                                std::initializer_list<const Image*> states) {
  std::set<std::string> out;
  for (const Image* image : states) {
    for (const auto& entry : image->files) {
      const std::string rel = Relative(entry.first, s.fx.data);
      if (!rel.empty() && Writes(s.writes[click], rel)) out.insert(entry.first);
    }
  }
  return out;
}

// Whether click `reader` of the clean run read a file that click `writer`
// writes (and it does not write itself).
bool ReadsOutputOf(const Sweep& s, size_t reader, size_t writer) {
  const auto from = static_cast<size_t>(s.clean_log.operations[reader - 1]);
  const auto to = static_cast<size_t>(s.clean_log.operations[reader]);
  for (size_t i = from; i < to; ++i) {
    const FaultFileSystem::Call& c = s.trace[i];
    if (c.op != "read whole" && c.op != "map" && c.op != "open for reading" && c.op != "read")
      continue;
    const std::string rel = FileOf(c.op + " " + c.subject, s.fx.data);
    if (Writes(s.writes[writer], rel) && !Writes(s.writes[reader], rel)) return true;
  }
  return false;
}

// Whether a journal's run names click `click`: it lists every output of it.
bool NamesClick(const Sweep& s, const JournalRun& run, size_t click) {
  if (run.program != kBuildProgram || s.writes[click].empty()) return false;
  for (const std::string& w : s.writes[click]) {
    if (std::none_of(run.writes.begin(), run.writes.end(),
                     [&](const std::string& r) { return SameIgnoringAsciiCase(r, w); }))
      return false;
  }
  return true;
}

// What tells apart the states that kills leave: each file that differs from
// the state before, as "clean" (as the clean run wrote it) or by a hash of
// its bytes; the journal without its times, which no output depends on.
std::string StateKey(const Sweep& s, const Image& state) {
  std::string key;
  const std::string journal = (s.fx.data / kJournalName).string();
  for (const std::string& path : Differing(state, s.before)) {
    key += path;
    const auto now = state.files.find(path);
    std::vector<JournalRun> runs;
    if (now == state.files.end()) {
      key += " gone";
    } else if (SameFile(state, s.clean, path)) {
      key += " clean";
    } else if (path == journal && ParseJournal(now->second.bytes(), runs)) {
      for (JournalRun& r : runs) r.at.clear();
      key += " " + JournalText(runs);
    } else {
      key += " " + std::to_string(now->second.mode) + " " +
             std::to_string(std::hash<std::string>{}(now->second.bytes()));
    }
    key += '\n';
  }
  return key;
}

// A time of its own for the runs a kill at k left in the journal, as kills
// at different moments give them: a program says a run of the journal once
// per process, and the fresh starts of the sweep share one.
std::string TimeOfCrash(std::int64_t k) {
  char text[32];
  std::snprintf(text, sizeof text, "2001-01-%02d %02d:%02d:%02d", static_cast<int>(1 + k / 86400),
                static_cast<int>(k / 3600 % 24), static_cast<int>(k / 60 % 60),
                static_cast<int>(k % 60));
  return text;
}

// The outcomes of a kill, as the crash mode counts them.
constexpr const char* kAsBefore = "every output as before the run";
constexpr const char* kWhole = "each step's outputs all former or all new, no run in the journal";
constexpr const char* kDownloadCompleted =
    "the download cut short among its renames, completed by the next program";
constexpr const char* kNamedWhole =
    "a step named by the journal, its outputs still all former or all new";
constexpr const char* kNamedMixed =
    "a step cut short with some outputs new and others former or torn, named by the journal";
constexpr const char* kCrashOutcomes[] = {kAsBefore, kWhole, kDownloadCompleted, kNamedWhole,
                                          kNamedMixed};

// The steps that read what a step cut short (named by `run`, click
// `named`) writes, pressed while the journal names it: the pipeline from
// the state `crashed` with that click passed over. Every click that read one
// of its outputs in the clean run refuses with the journal's line and
// changes nothing.
void CheckRefusals(Sweep& s, const Image& crashed, const JournalRun& run, size_t named,
                   Tally& tally, std::vector<std::string>& problems) {
  ++tally.cut_short_checked;
  s.memory.Load(crashed);
  s.faults.Reset();
  std::vector<Image> at;
  const RunLog passed = RunPipeline(s, s.fx, nullptr, [&](size_t i) {
    at.push_back(s.memory.Save());
    return i == named ? Click::Pass : Click::Make;
  });
  at.push_back(s.memory.Save());
  // The windows report in code page 932.
  const std::string line = TryCp932(InterruptedStepLine(run, s.fx.data)).value_or("");
  const std::string& step = s.clean_log.clicks[named];
  for (size_t i = 1; i < passed.clicks.size(); ++i) {
    if (i == named) continue;
    const bool refused = Mentions(passed.reports[i], line);
    // A step refuses; a pick in a list or the press that opens a window is
    // no step (the steps of the window refuse for the tables it read when
    // it opened). A step may refuse for such a table, which its click does
    // not read.
    if (s.steps[i] && ReadsOutputOf(s, i, named) && !refused) {
      problems.push_back(passed.clicks[i] + " ran while the journal names " + step +
                         ", whose outputs it reads:" + Joined(passed.reports[i]));
    }
    if (!refused) continue;
    ++tally.refused;
    for (const std::string& path : Differing(at[i], at[i + 1]))
      problems.push_back(passed.clicks[i] + " refused, yet changed " + Relative(path, s.fx.data));
  }
}

// Kills the pipeline at call k (every call from k on fails and touches no
// file), checks the state it left, then starts afresh from it; what does not
// hold goes into the result. States left before are not started from again:
// runs are deterministic.
std::vector<std::string> CrashAt(Sweep& s, std::int64_t k, Tally& tally) {
  ++tally.runs;
  const size_t crash_click = ClickOf(s.clean_log, k);
  s.memory.Load(s.before);
  s.faults.Reset();
  s.faults.CrashFrom(k);
  RunPipeline(s, s.fx, nullptr,
              [&](size_t i) { return i > crash_click ? Click::Stop : Click::Make; });
  const std::string operation = s.faults.failed_operation();
  Image crashed = s.memory.Save();
  std::vector<std::string> problems;
  auto result = [&] {
    if (!problems.empty())
      problems.insert(problems.begin(),
                      "killed at k=" + std::to_string(k) + " (" + operation + ")");
    return problems;
  };
  if (operation.empty()) problems.push_back("the kill at operation k reached no call");

  const std::string key = StateKey(s, crashed);
  if (const auto seen = s.crash_states.find(key); seen != s.crash_states.end()) {
    ++tally.outcomes[seen->second];
    return result();
  }
  const std::string journal_path = (s.fx.data / kJournalName).string();
  std::vector<JournalRun> runs;
  if (const auto j = crashed.files.find(journal_path);
      j != crashed.files.end() && !ParseJournal(j->second.bytes(), runs)) {
    problems.push_back("the journal left is no whole journal");
    return result();
  }
  if (!runs.empty()) {
    for (JournalRun& r : runs) r.at = TimeOfCrash(k);
    crashed.files[journal_path].content = std::make_shared<const std::string>(JournalText(runs));
  }
  const JournalRun* download = nullptr;
  std::vector<const JournalRun*> steps;
  for (const JournalRun& r : runs) {
    if (r.program == kFetchProgram && r.name == kDownloadRun) download = &r;
    if (r.program == kBuildProgram && !r.writes.empty()) steps.push_back(&r);
  }

  // The outputs of the click that the kill fell in all as before it or all
  // as after it in the clean run, or (for a step) the journal names it;
  // every other file as before that click, but the journal and temporary
  // files. The download's raw files are looked at below.
  const Image& former = s.clean_at[crash_click];
  const Image& made = s.clean_at[crash_click + 1];
  const std::set<std::string> outputs = OutputsOf(s, crash_click, {&crashed, &former, &made});
  bool all_former = true, all_new = true;
  for (const std::string& path : outputs) {
    all_former = all_former && SameFile(crashed, former, path);
    all_new = all_new && SameFile(crashed, made, path);
  }
  const bool mixed = crash_click > 0 && !all_former && !all_new;
  if (mixed && std::none_of(steps.begin(), steps.end(),
                            [&](const JournalRun* r) { return NamesClick(s, *r, crash_click); })) {
    problems.push_back(s.clean_log.clicks[crash_click] +
                       " left some outputs new and others former or torn, and the journal does "
                       "not name it");
  }
  auto temporary = [&](const std::string& path) {
    const std::string rel = Relative(path, s.fx.data);
    return rel.rfind(kJournalName, 0) == 0 || rel.find(".partial") != std::string::npos;
  };
  for (const std::string& path : Differing(crashed, former)) {
    if (!temporary(path) && !outputs.count(path)) {
      problems.push_back(Relative(path, s.fx.data) + " changed, which " +
                         s.clean_log.clicks[crash_click] + " does not write");
    }
  }
  const std::vector<std::string> changed = Differing(crashed, s.before);
  const bool only_temporary = std::all_of(changed.begin(), changed.end(), temporary);

  // The fresh start: the pipeline again. The raw files are looked at when
  // volqfetch has taken the lock and read the journal, before it opens its
  // first file to write.
  ++tally.fresh_starts;
  s.memory.Load(crashed);
  s.faults.Reset();
  std::optional<Image> taken;
  const RunLog fresh = RunPipeline(s, s.fx, nullptr, [&](size_t i) {
    if (i == 0) {
      s.faults.FailWhere([&](std::string_view op, const std::string& path) {
        if (!taken && op == "open for writing" &&
            fs::path(path).filename().string().rfind(kJournalName, 0) != 0)
          taken = s.memory.Save();
        return 0;
      });
    }
    if (i == 1 && !taken) taken = s.memory.Save();
    return Click::Make;
  });
  if (!taken) taken = s.memory.Save();
  size_t raw_before = 0, raw_new = 0;
  for (const std::string& name : s.writes[0]) {
    const std::string path = (s.fx.data / name).string();
    raw_before += SameFile(*taken, s.before, path);
    raw_new += SameFile(*taken, s.clean, path);
  }
  if (raw_before != s.writes[0].size() && raw_new != s.writes[0].size()) {
    problems.push_back("once volqfetch has taken the lock, " + std::to_string(raw_new) +
                       " raw files are of the new download and " + std::to_string(raw_before) +
                       " of the former one");
  }
  const std::vector<std::string>& said =
      fresh.notes.empty() ? std::vector<std::string>() : fresh.notes[0];
  if (download && !Mentions(said, "the download of " + download->at +
                                      " was interrupted while it put its raw files in place: "
                                      "completed now"))
    problems.push_back("volqfetch did not say that it completed the download cut short");
  for (const JournalRun* r : steps) {
    if (!Mentions(said, InterruptedStepLine(*r, s.fx.data)))
      problems.push_back("volqfetch did not name the step cut short: " + Printable(r->name));
  }
  for (size_t i = 0; i < fresh.clicks.size() && i < s.clean_log.reports.size(); ++i) {
    if (fresh.reports[i] != s.clean_log.reports[i])
      problems.push_back(fresh.clicks[i] +
                         " reported in the fresh start:" + Joined(fresh.reports[i]));
  }
  for (const std::string& path : Differing(s.memory.Save(), s.clean)) {
    problems.push_back("the fresh start left " + Relative(path, s.fx.data) +
                       " different from the clean run");
  }

  // Each step cut short, once: its readers refuse until it is pressed again.
  for (const JournalRun* r : steps) {
    std::string seen = r->name;
    for (const std::string& w : r->writes) seen += "\n" + w;
    if (!s.refusals_seen.insert(seen).second) continue;
    size_t named = 0;
    for (size_t i = 1; i < s.writes.size() && !named; ++i) {
      if (NamesClick(s, *r, i) && r->writes.size() == s.writes[i].size()) named = i;
    }
    if (named == 0)
      problems.push_back("the journal names a step of no click: " + Printable(r->name));
    else
      CheckRefusals(s, crashed, *r, named, tally, problems);
  }

  const char* outcome = download         ? kDownloadCompleted
                        : mixed          ? kNamedMixed
                        : !steps.empty() ? kNamedWhole
                        : only_temporary ? kAsBefore
                                         : kWhole;
  s.crash_states[key] = outcome;
  ++tally.outcomes[outcome];
  return result();
}

// --- The tests ----------------------------------------------------------------

// The fixture reaches what the sweep is for: every course type's outputs
// hold records, some outputs span several writes, and the state before
// differs from the clean run's.
TEST(FaultSweep, FixtureReachesEveryCourseTypeAndWritesInPieces) {
  Sweep& s = TheSweep();
  ASSERT_EQ(s.clean_log.stopped_at, -1);
  ASSERT_TRUE(s.clean_log.AllLines().empty())
      << "the clean run reported:" << Joined(s.clean_log.AllLines());
  ASSERT_EQ(s.clean_log.clicks.size(), s.writes.size());
  auto bytes = [&](const Image& image, std::string_view name) -> std::string {
    auto it = image.files.find((s.fx.data / name).string());
    return it == image.files.end() ? std::string() : it->second.bytes();
  };
  for (const CourseKind& course : kCourseKinds) {
    const std::string word(course.model_word);
    for (const std::string& name :
         {CourseHorseList(course.word, "201801"), std::string(course.item_file),
          CourseFileName(CourseFile::ItemCategory, word),
          CourseFileName(CourseFile::TotalData, word)})
      EXPECT_FALSE(bytes(s.clean, name).empty()) << name << " holds no records";
  }
  // The two sources differ, so a kept output and a new one differ too.
  EXPECT_NE(bytes(s.clean, kSeRawFile), bytes(s.before, kSeRawFile));
  for (const auto& [path, file] : s.clean.files)
    EXPECT_EQ(path.find(".partial"), std::string::npos) << path;

  // Writes per output file (temporary files by their output's name).
  std::map<std::string, int> writes;
  for (const FaultFileSystem::Call& c : s.trace)
    if (c.op == "write") ++writes[FileOf(c.op + " " + c.subject, s.fx.data)];
  int in_pieces = 0;
  for (const auto& [file, n] : writes) in_pieces += n > 1;
  EXPECT_GE(in_pieces, 3) << "outputs written in more than one write";

  // The operations per click and per window.
  std::map<std::string, std::int64_t> windows;
  std::string clicks;
  std::int64_t from = 0;
  for (size_t i = 0; i < s.clean_log.clicks.size(); ++i) {
    const std::string& click = s.clean_log.clicks[i];
    const std::int64_t n = s.clean_log.operations[i] - from;
    from = s.clean_log.operations[i];
    clicks += " " + click + " " + std::to_string(n) + ";";
    const size_t w = click.find("(window ");
    windows[click.rfind("volqfetch", 0) == 0 ? "volqfetch"
            : w == std::string::npos         ? "window 1"
                                             : click.substr(w + 1, 8)] += n;
  }
  std::cout << "fault sweep: " << s.trace.size() << " file operations in the clean run";
  for (const auto& [window, n] : windows) std::cout << ", " << n << " in " << window;
  std::cout << "; " << in_pieces << " outputs written in several writes\n  per click:" << clicks
            << "\n";
}

constexpr int kShards = 4;

class FaultSweepMode : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Run k of a mode (every k of the mode's runs whose index is the shard's
// modulo kShards) fails as the mode says; each must keep the sweep's rules.
TEST_P(FaultSweepMode, EveryOperationOfThePipelineFailsInTurn) {
  const FaultMode& mode = kModes[std::get<0>(GetParam())];
  const int shard = std::get<1>(GetParam());
  Sweep& s = TheSweep();
  ASSERT_EQ(s.clean_log.stopped_at, -1);
  const std::vector<std::int64_t> ks = RunsOf(s, mode);
  Tally tally;
  for (size_t i = static_cast<size_t>(shard); i < ks.size(); i += kShards) {
    const std::vector<std::string> problems = FaultAt(s, mode, ks[i], tally);
    EXPECT_TRUE(problems.empty()) << Joined(problems);
  }
  std::cout << "fault sweep, " << mode.name << " (shard " << shard + 1 << " of " << kShards
            << "): " << tally.runs << " runs of " << ks.size();
  if (mode.arm == Crash) {
    std::cout << "; fresh starts (one per state left): " << tally.fresh_starts
              << "; steps cut short whose readers were pressed: " << tally.cut_short_checked
              << ", clicks that refused: " << tally.refused << "\n";
  } else {
    std::cout << "; reports naming the failed file: " << tally.named << "\n";
  }
  for (const auto& [what, count] : tally.outcomes)
    std::cout << "  " << count << " runs: " << what << "\n";
  for (const auto& [click, count] : tally.stopped_at)
    std::cout << "  " << count << " runs stopped at " << click << "\n";
  // Each shard meets every outcome of a kill, so that no check passes for
  // want of a case.
  if (mode.arm == Crash) {
    for (const char* outcome : kCrashOutcomes)
      EXPECT_GT(tally.outcomes[outcome], 0) << "no kill gave: " << outcome;
    EXPECT_GT(tally.refused, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, FaultSweepMode,
                         ::testing::Combine(::testing::Range(0,
                                                             static_cast<int>(std::size(kModes))),
                                            ::testing::Range(0, kShards)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
                           return std::string(kModes[std::get<0>(info.param)].name) + "_" +
                                  std::to_string(std::get<1>(info.param) + 1) + "of" +
                                  std::to_string(kShards);
                         });

// --- What a user sees -----------------------------------------------------------

struct ProgramRun {
  int status;
  std::vector<std::string> lines;  // the failure lines
};

// Runs a program's own entry point with `args` (its name first) through the
// sweep's file systems.
ProgramRun RunProgram(Sweep& s, int (*program)(int, char**), std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ScopedFileSystem seam(s.faults);
  s.capture->Begin();
  const int status = program(static_cast<int>(args.size()), argv.data());
  return {status, s.capture->End()};
}

// Sets an environment variable while it lives.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* v = std::getenv(name)) former_ = v;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (former_)
      setenv(name_, former_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> former_;
};

// A sample of the faults, one of every mode in each program, through the
// programs' own entry points as a user runs them: the program that meets
// the fault exits with status 1 and a failure line names the file.
TEST(FaultSweep, WhatTheUserSeesOfAFault) {
  Sweep& s = TheSweep();
  // The stand-in's settings: no simulated download time, no progress window.
  fs::create_directories(s.root / "config" / "volq");
  WritePlain(s.root / "config" / "volq" / "jvlink-stand-in.conf", "download_seconds=0\n");
  const ScopedEnv config("XDG_CONFIG_HOME", (s.root / "config").string());
  const std::string data = s.fx.data.string();
  auto fetch = [&] {
    return RunProgram(s, RunVolqFetch,
                      {"volqfetch", "--data-dir", data, "--source", s.fx.source.string(), "-c",
                       "press Command2"});
  };
  auto build = [&] {
    return RunProgram(s, RunVolqBuild,
                      {"volqbuild", "--data-dir", data, "-c", testing::PipelineScript()});
  };

  // Without a fault the programs give the clean run's bytes.
  s.memory.Load(s.before);
  s.faults.Reset();
  s.faults.Trace(true);
  const ProgramRun clean_fetch = fetch();
  const std::int64_t fetch_calls = s.faults.operations();
  const ProgramRun clean_build = build();
  s.faults.Trace(false);
  const std::vector<FaultFileSystem::Call> trace = s.faults.trace();
  ASSERT_EQ(clean_fetch.status, 0) << Joined(clean_fetch.lines);
  ASSERT_EQ(clean_build.status, 0) << Joined(clean_build.lines);
  ASSERT_TRUE(Differing(s.memory.Save(), s.clean).empty());

  for (size_t m = 0; m < std::size(kModes); ++m) {
    const FaultMode& mode = kModes[m];
    // A kill shows the user nothing; what the next program says is the
    // crash mode's to check.
    if (mode.arm == Crash) continue;
    for (const bool in_fetch : {true, false}) {
      // The calls on a file of the data directory that the mode fails, in
      // the program; one of them picked by a fixed spread.
      std::vector<std::int64_t> ks;
      for (size_t i = 0; i < trace.size(); ++i) {
        const std::int64_t k = static_cast<std::int64_t>(i) + 1;
        if ((k <= fetch_calls) == in_fetch && mode.fails(trace[i]) &&
            !FileOf(trace[i].op + " " + trace[i].subject, s.fx.data).empty())
          ks.push_back(k);
      }
      ASSERT_FALSE(ks.empty());
      const std::int64_t k = ks[(m * 2 + in_fetch + 1) * 2654435761u % ks.size()];
      s.memory.Load(s.before);
      s.faults.Reset();
      mode.arm(s.faults, k, mode.error);
      ProgramRun run = fetch();
      if (!in_fetch) {
        EXPECT_EQ(run.status, 0) << mode.name << " k=" << k << Joined(run.lines);
        run = build();
      }
      const std::string operation = s.faults.failed_operation();
      SCOPED_TRACE(std::string(mode.name) + " k=" + std::to_string(k) + " (" + operation + ")" +
                   Joined(run.lines));
      EXPECT_EQ(run.status, 1);
      EXPECT_TRUE(NamesFile(run.lines, operation, s.fx.data));
      std::cout << "  " << mode.name << " at call " << k << " of "
                << (in_fetch ? "volqfetch" : "volqbuild") << ": " << operation << "\n";
    }
  }
}

}  // namespace
}  // namespace volq
