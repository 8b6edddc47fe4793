#include "build/step/step_inputs.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <set>

#include "common/interrupted_runs.h"
#include "platform/fs/file_system.h"
#include "platform/fs/replaced_file.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

// Whether an input can be read, without reading it: 0 when it opens for
// reading, ENOENT when there is no such file, else the errno of the failed
// open (EISDIR for a folder of its name, ELOOP for a symlink, ENODEV for a
// FIFO, socket or device). Never creates the file, never waits. `size`
// gets the length of one that opens.
int ProbeInput(const std::filesystem::path& path, std::uint64_t* size = nullptr) {
  OpenedFile f;
  int err = Files().OpenForReading(path, f);
  if (err == 0) err = Files().Close(f.handle);
  if (size) *size = f.size;
  return err;
}

// A raw record file of no bytes is no download's data for a step to build
// from: a download stores every record the source delivers, so the file was
// cut or emptied after it (a copy, a restore, a full disk), and a step run
// on it would replace its NEW file, and all that follows from it, with
// nothing. A source without records of the type gives one too, which is
// said. The market-sale lines are not walked by a step.
bool IsRawRecordFile(std::string_view name) {
  return std::any_of(kRawRecordFiles.begin(), kRawRecordFiles.end(),
                     [&](const RawRecordFile& f) { return f.file == name; });
}

// "; write it first: press Command3 (UM(競走馬))": what makes a missing
// input, when a program of the system does, from the window at hand.
std::string Advice(std::string_view name, std::string_view window) {
  const std::string advice = WriteItFirst(name, window.empty() ? kMainWindow : window);
  return advice.empty() ? advice : "; " + advice;
}

[[noreturn]] void StopUnreadable(std::string_view name, int err) {
  StopStep("cannot read input " + std::string(name) + ": " + SeamErrorText(err) +
           "; the step did not run and changed nothing: " +
           (err == kNotRegularFile || err == kRefusedSymlink || err == EISDIR
                ? "put the file itself in its place"
                : "make the file readable") +
           " and run it again");
}

// The folder of an output: "KYOSOBA/" and "OPTION1N/KYOSOBA.dat" give their
// folder, a file of the data directory itself none.
std::string_view FolderOf(std::string_view output) {
  const size_t slash = output.find_last_of('/');
  return slash == std::string_view::npos ? std::string_view() : output.substr(0, slash);
}

// Whether `folder` of the data directory is a folder (a symlink to one too);
// `linked` gets where a symlink leads, as an absolute path.
bool IsFolder(StepContext& ctx, std::string_view folder, std::string* linked = nullptr) {
  const std::filesystem::path p = ctx.dir.Path(folder);
  EntryInfo info;
  if (const int err = Files().Stat(p, info)) FailFileOp("cannot look up", p, err);
  if (linked && !info.link.empty()) {
    const std::filesystem::path link = info.link;
    *linked = (link.is_absolute() ? link : std::filesystem::absolute(p).parent_path() / link)
                  .lexically_normal()
                  .string();
  }
  return info.kind == EntryKind::Folder;
}

// A folder of the data directory that is a symlink is followed, so that a
// large one may live on another disk; the files a step writes into it are
// then outside the data directory. Named once a run, when a step is about to
// write there, so that nobody looks for them in the wrong place.
struct LinkedFolder {
  std::string_view folder;
  std::string target;
};

void NoteLinkedFolders(StepContext& ctx, const std::vector<LinkedFolder>& linked) {
  static std::set<std::string> said;  // for the length of the program's run
  for (const LinkedFolder& l : linked) {
    const std::string key = std::filesystem::absolute(ctx.dir.Path(l.folder)).string();
    if (!said.insert(key + '\0' + l.target).second) continue;
    ctx.frame.Note(std::string(l.folder) + " is a link to " + l.target +
                   ": its files are written there");
  }
}

// A step stops when a folder it writes into is missing; the command it gives
// makes every missing folder of the data directory at once, so that the
// next steps do not stop one after the other for theirs. The folders that
// are symlinks are returned.
std::vector<LinkedFolder> CheckFolders(StepContext& ctx,
                                       const std::vector<std::string_view>& outputs) {
  std::vector<std::string_view> missing, seen;
  std::vector<LinkedFolder> linked;
  for (std::string_view output : outputs) {
    const std::string_view folder = FolderOf(output);
    if (folder.empty() || std::find(seen.begin(), seen.end(), folder) != seen.end()) continue;
    seen.push_back(folder);
    std::string target;
    if (!IsFolder(ctx, folder, &target)) {
      missing.push_back(folder);
    } else if (!target.empty()) {
      linked.push_back({folder, std::move(target)});
    }
  }
  if (missing.empty()) return linked;
  std::string text = missing.size() > 1 ? "missing folders " : "missing folder ";
  for (size_t i = 0; i < missing.size(); ++i) text += (i ? ", " : "") + std::string(missing[i]);
  std::vector<std::string_view> all_missing = missing;
  for (std::string_view folder : kDataDirFolders) {
    const bool known = std::find(missing.begin(), missing.end(), folder) != missing.end();
    if (!known && !IsFolder(ctx, folder)) all_missing.push_back(folder);
  }
  StopStep(text + ": the step did not run and changed nothing; make " +
           (all_missing.size() > 1 ? "the data directory's missing folders" : "it") +
           " with: " + MkdirCommand(ctx.dir.root(), all_missing));
}

// Removes the temporary files that killed runs left beside the outputs the
// step writes; the step runs under the data directory's lock, so no other
// program is writing one. Per-entity files are written in place and leave
// none.
void RemoveTemporariesOfOutputs(StepContext& ctx, const std::vector<std::string_view>& outputs) {
  std::vector<std::pair<std::string_view, std::vector<std::string>>> folders;
  for (std::string_view output : outputs) {
    if (output.empty() || output.back() == '/') continue;
    const std::string_view folder = FolderOf(output);
    const std::string_view name = folder.empty() ? output : output.substr(folder.size() + 1);
    auto it = std::find_if(folders.begin(), folders.end(),
                           [&](const auto& f) { return f.first == folder; });
    if (it == folders.end()) it = folders.insert(folders.end(), {folder, {}});
    it->second.emplace_back(name);
  }
  for (const auto& [folder, names] : folders) {
    ctx.frame.Do("remove left temporary files",
                 [&] { RemoveLeftTemporaries(ctx.dir.Path(folder), names); });
  }
}

// A step does not read what a step cut short may have left incomplete: it is
// refused, with the line that names that step, until that step has run to
// its end. The step itself runs: pressing it again is the repair.
void RefuseWhileInputsCutShort(StepContext& ctx, const StepFiles& files) {
  const StepJournalEntry& entry = ctx.frame.journal;
  if (entry.journal == nullptr) return;
  std::vector<std::string_view> reads = files.walks;
  reads.insert(reads.end(), files.consults.begin(), files.consults.end());
  reads.insert(reads.end(), files.also_reads.begin(), files.also_reads.end());
  const std::string line = RefusalOf(*entry.journal, reads, entry.name);
  if (!line.empty()) throw StepRefused(line);
}

// Enters the step with its outputs in the journal, on disk, before it
// changes any of them. A run of the same step cut short before, with the
// same outputs, stays as it is: it is the one that goes when the step
// completes.
void EnterJournal(StepContext& ctx, const StepFiles& files) {
  StepJournalEntry& entry = ctx.frame.journal;
  // A step that writes no file (it only shows what it found) has nothing
  // to leave incomplete.
  if (entry.journal == nullptr || files.writes.empty()) return;
  for (std::string_view w : files.writes) {
    if (std::find(entry.writes.begin(), entry.writes.end(), w) == entry.writes.end()) {
      entry.writes.emplace_back(w);
    }
  }
  for (const JournalRun& run : entry.journal->runs()) {
    if (run.program == kBuildProgram && run.name == entry.name && run.writes == entry.writes) {
      entry.entered = true;
      return;
    }
  }
  try {
    if (entry.added) entry.journal->Withdraw(*entry.added);
    entry.added.reset();
    entry.added =
        entry.journal->Enter({std::string(kBuildProgram), "", entry.name, entry.writes, {}});
  } catch (const Failure& e) {
    StopStep(e.text() + ": the step did not run and changed nothing");
  }
  entry.entered = true;
}

}  // namespace

void BeginStep(StepContext& ctx, const StepFiles& files) {
  StepJournalEntry& entry = ctx.frame.journal;
  if (!files.run_for.empty() && entry.former_name.empty()) {
    entry.former_name = entry.name;
    entry.name = StepRunFor(entry.name, files.run_for);
  }
  RefuseWhileInputsCutShort(ctx, files);
  const std::vector<LinkedFolder> linked = CheckFolders(ctx, files.writes);
  for (std::string_view name : files.walks) {
    std::uint64_t size = 0;
    const int err = ProbeInput(ctx.dir.Path(name), &size);
    if (err == ENOENT) {
      StopStep("missing input " + std::string(name) + ": the step did not run and changed nothing" +
               Advice(name, ctx.frame.window));
    }
    if (err != 0) StopUnreadable(name, err);
    if (size == 0 && IsRawRecordFile(name)) {
      const std::string type(RecordTypeOf(name));
      StopStep("input " + std::string(name) +
               " is empty: the step did not run and changed nothing; download again with "
               "volqfetch (a download leaves it empty only when the record source has no " +
               type + " records)");
    }
  }
  for (std::string_view name : files.consults) {
    const int err = ProbeInput(ctx.dir.Path(name));
    if (err != 0 && err != ENOENT) StopUnreadable(name, err);
  }
  NoteLinkedFolders(ctx, linked);
  EnterJournal(ctx, files);
  RemoveTemporariesOfOutputs(ctx, files.writes);
  ctx.frame.NoteOutputs(ctx.dir, files.writes);
}

void BeginStep(StepContext& ctx, BuildStep step) {
  const BuildButton& b = ButtonOf(step);
  BeginStep(ctx, {b.walks, b.consults, b.writes, b.also_reads});
}

void StopOnUnreadAtLoad(const std::string& what) {
  StopStep(what +
           " when the window opened: the step did not run and changed nothing; open the window "
           "again once it can be read");
}

void StopOnMissingAtLoad(std::string_view name, std::string_view window) {
  StopStep("missing input " + std::string(name) +
           " when the window opened: the step did not run and changed nothing" +
           Advice(name, window) + ", then open the window again");
}

void ReportMissingInput(StepFrame& frame, std::string_view name) {
  frame.Skipped("missing input " + std::string(name), "read as empty" + Advice(name, frame.window));
}

std::vector<std::string> ReadKeyList(StepContext& ctx, std::string_view name) {
  TextListReader r(ctx.dir.Path(name));
  if (r.error() == ENOENT) {
    ReportMissingInput(ctx.frame, name);
  } else if (!r.ok()) {
    StopUnreadable(name, r.error());
  }
  std::vector<std::string> items;
  while (!r.Eof()) items.push_back(r.Next());
  return items;
}

void ReportIfMissing(StepContext& ctx, std::string_view name) {
  if (!ctx.dir.Exists(name)) ReportMissingInput(ctx.frame, name);
}

std::string_view RecordTypeOf(std::string_view file) { return file.substr(0, 2); }

std::unique_ptr<FramedRecords> OpenNewRecords(StepContext& ctx, std::string_view name,
                                              int record_length, std::string_view record_type) {
  const std::filesystem::path p = ctx.dir.Path(name);
  const int err = ProbeInput(p);
  if (err == ENOENT) {
    ReportMissingInput(ctx.frame, name);
    return nullptr;
  }
  if (err != 0) StopUnreadable(name, err);
  std::unique_ptr<FramedRecords> file;
  try {
    file = std::make_unique<FramedRecords>(p, record_length, record_type);
  } catch (const Failure& e) {
    StopUnreadable(name, e.error() ? e.error() : EIO);
  }
  if (file->damage().damaged()) {
    const std::string shown = ShownPath(p);
    ctx.frame.SkippedOnce("read", "records out of frame passed over", shown,
                          FrameDamageText(shown, file->damage()));
  }
  return file;
}

namespace {

// A missing per-entity file says, as a missing input does, what writes it:
// the button that writes its folder.
void ReportMissingEntityFile(StepContext& ctx, const std::filesystem::path& path) {
  const std::string file = ShownPath(path);
  const size_t slash = file.find_last_of('/');
  std::string advice =
      slash == std::string::npos
          ? std::string()
          : WriteItFirst(file.substr(0, slash + 1),
                         ctx.frame.window.empty() ? kMainWindow : ctx.frame.window);
  std::string one = advice;
  if (constexpr std::string_view it = "write it first: "; advice.starts_with(it)) {
    advice = "write them first: " + advice.substr(it.size());
  }
  if (!advice.empty()) advice = "; " + advice, one = "; " + one;
  ctx.frame.Skipped("missing entity file", "read as empty" + advice, file,
                    file + " read as empty" + one);
}

}  // namespace

void ReportIfMissingEntityFile(StepContext& ctx, const std::filesystem::path& path) {
  bool exists = true;
  if (ctx.frame.Do("read", [&] { exists = EntryExists(path); }) && !exists) {
    ReportMissingEntityFile(ctx, path);
  }
}

std::unique_ptr<RecordImage> OpenEntityRecords(StepContext& ctx, const std::filesystem::path& path,
                                               int record_length, std::string_view what) {
  // One read tells a missing file from a present one: no look before it,
  // as steps open a hundred thousand of these.
  std::unique_ptr<RecordImage> file;
  bool missing = false;
  ctx.frame.Do(what, [&] {
    try {
      file = std::make_unique<RecordImage>(path, record_length);
    } catch (const Failure& e) {
      if (e.error() != ENOENT) throw;
      missing = true;
    }
  });
  if (missing) ReportMissingEntityFile(ctx, path);
  return file;
}

}  // namespace volq
