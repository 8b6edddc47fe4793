#include "build/step/step_runner.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/interrupted_runs.h"
#include "platform/base/stop_request.h"
#include "platform/fs/data_dir_lock.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/file_system.h"
#include "platform/text/cp932.h"
#include "platform/ui/interrupt.h"

namespace volq {

namespace {

// Puts a completed step's outputs on disk: a step that writes folders of
// per-entity files syncs the file systems that hold them and the data
// directory (syncfs each, one call for a hundred thousand files); any other
// syncs each output file and the folders that hold them. A failure raises a
// file Failure.
void SyncOutputs(DataDir& dir, const std::vector<std::string>& writes) {
  FileSystem& files = Files();
  std::vector<std::filesystem::path> folders{dir.root()};
  auto add = [&folders](const std::filesystem::path& f) {
    if (std::find(folders.begin(), folders.end(), f) == folders.end()) folders.push_back(f);
  };
  bool per_entity = false;
  for (const std::string& w : writes) {
    if (!w.empty() && w.back() == '/') {
      per_entity = true;
      add(dir.Path(std::string_view(w).substr(0, w.size() - 1)));
    }
  }
  if (per_entity) {
    // The step's other outputs may lie in a folder on another disk
    // (OPTION1N/KYOSOBA.dat beside the per-horse files).
    for (const std::string& w : writes) {
      if (!w.empty() && w.back() != '/') add(dir.Path(w).parent_path());
    }
    for (const std::filesystem::path& f : folders) {
      if (const int err = files.SyncFileSystem(f)) FailFileOp("cannot sync", f, err);
    }
    return;
  }
  folders.clear();
  for (const std::string& w : writes) {
    const std::filesystem::path p = dir.Path(w);
    OpenedFile f;
    // A step that has nothing to write deletes its output: the folder is
    // synced all the same, so that the deletion stays.
    add(p.parent_path());
    int err = files.OpenForReading(p, f);
    if (err == ENOENT) continue;
    if (err == 0) {
      err = files.Sync(f.handle);
      if (const int closed = files.Close(f.handle); closed && !err) err = closed;
    }
    if (err) FailFileOp("cannot sync", p, err);
  }
  for (const std::filesystem::path& f : folders) {
    if (const int err = files.SyncFolder(f)) FailFileOp("cannot sync", f, err);
  }
}

// The end of a completed step: its outputs on disk, then it leaves the
// journal (with any run of it cut short before). A file system that fails
// there leaves the outputs unsure: told as a stop by the file system.
StepEnd CompleteJournal(StepContext& ctx) {
  StepJournalEntry& entry = ctx.frame.journal;
  if (entry.journal == nullptr || !entry.entered) return StepEnd::Completed;
  try {
    {
      const SyncTimer timer;
      SyncOutputs(ctx.dir, entry.writes);
    }
    entry.journal->Leave({std::string(kBuildProgram), "", entry.name, entry.writes, {}},
                         entry.former_name);
  } catch (const Failure& e) {
    ctx.frame.Skipped("step end", e.text() +
                                      ": the outputs may not be on disk; the step stays in the "
                                      "journal until it is pressed again");
    if (IsFileSystemFailure(e)) return StepEnd::StoppedByFileSystem;
  }
  return StepEnd::Completed;
}

// The end of a step that stopped before its end: a step that changed none
// of its outputs leaves the journal as it found it; any other stays there,
// named to the steps that read its outputs until it is pressed again. True
// when the step is named there now.
bool StopJournal(StepFrame& frame) {
  StepJournalEntry& entry = frame.journal;
  if (entry.journal == nullptr || !entry.entered) return false;
  if (!entry.added || !frame.NothingChanged()) return true;
  try {
    entry.journal->Withdraw(*entry.added);
  } catch (const Failure&) {
    // Named once more by the next program: the worst is one press too many.
    return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> RunWindowStep(Window& w, DataDir& dir, int32_t& record_count,
                                       const std::string& button, const StepFn& step) {
  // One step at a time: a click that arrives while a step yields is refused.
  if (w.manager().busy()) {
    std::vector<std::string> refused{"a step is running; " + button + " was not started"};
    w.ReportFailures(refused);
    return refused;
  }
  if (!step) return {};
  BusyScope busy(w);
  StepFrame frame;
  frame.window = w.name();
  // The caption as the button holds it (code page 932, like every control
  // text); the host converts it where it shows the progress.
  const auto* pressed = dynamic_cast<const CommandButton*>(w.Find(button));
  const std::string label = pressed ? pressed->Caption : button;
  // A stop signal stops the step at a yield point as well, between records.
  frame.yield_hook = [&w, &label](int64_t done, int64_t total) {
    StopAtFileBoundary();
    w.YieldPoint(label, done, total);
  };
  StepContext ctx{dir, frame, record_count};
  std::string message;
  std::vector<std::string> said;
  // Told to the host: a refused step, or one stopped for a missing input,
  // changed nothing and tells nothing.
  std::optional<StepEnd> end;
  // One program at a time on the data directory, for the length of the
  // step and of its end below. Steps never nest (a press during a step is
  // refused above), so the lock, which is not reentrant, is taken once.
  std::optional<DataDirLock> held;
  // From the lock on a stop signal stops the step where it leaves no file
  // torn; while the program waited for the lock it ended it, with nothing
  // changed.
  std::optional<StopSignals> stops;
  try {
    held.emplace(dir.root(), kBuildProgram);
    stops.emplace();
    const FileBoundaryStops boundaries;
    frame.journal.journal = &held->journal();
    frame.journal.name = StepRunName(w.name(), button, ToUtf8(label));
    said = TakeJournal(held->journal());
    message = step(ctx);
    end = CompleteJournal(ctx);
  } catch (const Interrupted&) {
    end = StepEnd::StoppedBySignal;
    // The outputs written so far are whole files, the others as they were:
    // a mix that only running the step again mends.
    frame.Skipped("step stopped", StopJournal(frame)
                                      ? StepStoppedBySignalLine(button)
                                      : button + " interrupted before it changed anything");
  } catch (const StepRefused& e) {
    // The refusal names the step cut short; the note does not say it again.
    said.erase(std::remove(said.begin(), said.end(), e.what()), said.end());
    frame.Skipped("step refused", e.what());
  } catch (const StepStopped& e) {
    // The step ends here, without its end message; what it had not written
    // yet keeps its former content, and the report names it.
    if (dynamic_cast<const FileSystemStopped*>(&e)) end = StepEnd::StoppedByFileSystem;
    StopJournal(frame);
    frame.Skipped("step stopped", e.what());
    const std::vector<std::string> kept = frame.UnchangedOutputs();
    if (!kept.empty()) {
      std::string line = "not written, kept as they were:";
      for (size_t i = 0; i < kept.size(); ++i) line += (i ? ", " : " ") + kept[i];
      frame.Skipped("step stopped", line);
    }
  } catch (const Failure& e) {
    // A failure no operation of the step caught: the step ends here, without
    // its end message, and says so.
    if (IsFileSystemFailure(e)) end = StepEnd::StoppedByFileSystem;
    StopJournal(frame);
    frame.Skipped("step stopped", e.text());
  }
  frame.journal.journal = nullptr;
  stops.reset();
  held.reset();
  said.insert(said.end(), frame.notes().begin(), frame.notes().end());
  w.ReportNotes(said);
  // A step without an end message leaves the status line as it is.
  if (!message.empty() && w.status_line()) w.status_line()->Text = Cp932(message);
  ReportSkipped(w, frame);
  if (end) w.TellStepEnd(*end);
  return frame.Report();
}

void ReportSkipped(Window& w, const StepFrame& frame) {
  if (frame.clean()) return;
  // The report is UTF-8 but may quote record bytes; those stay as they are.
  std::vector<std::string> lines;
  for (const std::string& line : frame.Report()) lines.push_back(TryCp932(line).value_or(line));
  w.ReportFailures(lines);
}

}  // namespace volq
