#include "fetch/new_raw_files.h"

#include <string>
#include <vector>

#include "common/interrupted_runs.h"
#include "common/record_layout.h"
#include "platform/fs/file_system.h"
#include "platform/fs/replaced_file.h"

namespace volq {
namespace {

std::string_view NameOf(int kind) { return kRawFiles[kind].file; }
std::string_view TypeOf(int kind) { return kRawFiles[kind].type; }

}  // namespace

NewRawFiles::NewRawFiles(DataDir& dir, FailureFold& skipped) : dir_(dir), skipped_(skipped) {
  // What killed downloads left goes first; the download holds the data
  // directory's lock, so no other program is writing one.
  try {
    std::vector<std::string> names;
    for (int kind = 0; kind < kRawFileCount; ++kind) names.emplace_back(NameOf(kind));
    RemoveLeftTemporaries(dir.root(), names);
  } catch (const Failure& e) {
    skipped_.Add("", e);
  }
  for (int kind = 0; kind < kRawFileCount; ++kind) {
    try {
      files_[kind].emplace(dir.Path(NameOf(kind)), LayoutOf(TypeOf(kind))->stored_length());
    } catch (const Failure& e) {
      lost_.Add("", e);
      failed_[kind] = true;
      whole_ = false;
    }
  }
}

void NewRawFiles::Store(int kind, std::string_view stored) {
  if (failed_[kind]) {
    ++unwritten_;
    return;
  }
  try {
    files_[kind]->Append(stored);
  } catch (const Failure& e) {
    lost_.Add("", e);
    failed_[kind] = true;
    whole_ = false;
  }
}

std::string NewRawFiles::Lost() const {
  std::string text;
  for (const std::string& line : lost_.Lines()) text += (text.empty() ? "" : "; ") + line;
  if (unwritten_ > 0) {
    text += "; " + std::to_string(unwritten_) +
            (unwritten_ == 1 ? " delivered record was" : " delivered records were") +
            " not written because of it";
  }
  return text;
}

NewRawFiles::Committed NewRawFiles::Commit(RunJournal& journal) {
  // Every byte of all ten on disk before the first takes its final name, so
  // that neither a failed write nor a power cut mixes new raw files with
  // former ones: a download cannot be made again from the data directory.
  // (The bench's sync column counts the last buffers' writes too.)
  std::optional<SyncTimer> timer(std::in_place);
  for (int kind = 0; whole_ && kind < kRawFileCount; ++kind) {
    try {
      files_[kind]->Finish(true);
    } catch (const Failure& e) {
      lost_.Add("", e);
      whole_ = false;
    }
  }
  JournalRun run{std::string(kFetchProgram), "", std::string(kDownloadRun), {}, {}};
  try {
    if (whole_) {
      if (const int err = Files().SyncFolder(dir_.root()))
        FailFileOp("cannot sync", dir_.root(), err);
      timer.reset();
      for (const std::optional<RecordAppender>& f : files_) {
        run.renames.emplace_back(JournalPathOf(dir_.root(), f->replacement().temporary_path()),
                                 JournalPathOf(dir_.root(), f->replacement().path()));
      }
      run = journal.Enter(std::move(run));
    }
  } catch (const Failure& e) {
    lost_.Add("", e);
    whole_ = false;
  }
  if (!whole_) {
    Abandon();
    return Committed::None;
  }
  // Listed: from here the ten are put in place whatever comes; what a kill
  // leaves undone, the next program does.
  bool all = true;
  for (std::optional<RecordAppender>& f : files_) {
    try {
      f->PutInPlace();
    } catch (const Failure& e) {
      skipped_.Add("", e);
      all = false;
    }
  }
  if (!all) return Committed::Pending;
  try {
    if (const int err = Files().SyncFolder(dir_.root()))
      FailFileOp("cannot sync", dir_.root(), err);
    journal.Leave(run);
  } catch (const Failure& e) {
    // In place all the same; the next program finds nothing left to rename.
    skipped_.Add("", e);
  }
  return Committed::All;
}

void NewRawFiles::Abandon() {
  for (std::optional<RecordAppender>& f : files_) f.reset();
}

}  // namespace volq
