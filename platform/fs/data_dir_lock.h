#pragma once
// One program at a time on a data directory: a download or a build step
// holds an exclusive advisory lock (flock) on the data directory itself while
// it runs, so two programs never interleave their work on its files. The
// holder leaves a note of who it is in a hidden file at the directory's
// root (kLockNoteName), which the seam never lists and no step reads; the
// lock itself needs no file, so a note that cannot be written (a read-only
// directory) or a stale one (a killed holder) changes nothing. Beside the
// note the holder keeps the data directory's journal (run_journal.h), which
// only the holder of the lock reads or writes.
#include <filesystem>
#include <iostream>
#include <string_view>

#include "platform/fs/run_journal.h"

namespace volq {

inline constexpr const char kLockNoteName[] = ".volq-lock";

class DataDirLock {
 public:
  // Takes the lock of data directory `root` for `program`. When another
  // program holds it, says so on `note` first, with what the holder's note
  // tells ("volqbuild: data directory DATA is in use by volqfetch (pid 1234)
  // since 2025-03-01 10:15:02; waiting until it is free"), then waits until
  // the lock is free. A root that cannot be opened or locked raises a file
  // Failure. Not reentrant: a second lock of the same directory taken in the
  // same process waits forever; and a child forked without exec shares it.
  DataDirLock(const std::filesystem::path& root, std::string_view program,
              std::ostream& note = std::cerr);
  ~DataDirLock();  // removes the note and lets the next program go
  DataDirLock(const DataDirLock&) = delete;
  DataDirLock& operator=(const DataDirLock&) = delete;

  // The data directory's journal, for the holder alone; not read yet.
  RunJournal& journal() { return journal_; }

 private:
  int fd_ = -1;
  RunJournal journal_;
};

}  // namespace volq
