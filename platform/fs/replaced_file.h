#pragma once
// An output written anew. Its bytes go to a temporary file beside its final
// name, and that file takes the final name only when Commit finds every byte
// written and the file closed without error. A writer abandoned before that
// (destroyed without Commit, a write or the close failed) removes the
// temporary file: the former output stays as it was, byte for byte, and no
// step ever reads a partial one. A reader that opened the former output keeps
// reading it whole; the next open finds the new one. The new file takes the
// permission bits of the former one; a former output that is read-only (or
// a symlink, a folder, a FIFO, a socket or a device) is never replaced. A
// former output that another name links to is replaced like any other: the
// other name keeps the former bytes.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace volq {

class ReplacedFile {
 public:
  // Creates the temporary file; one that cannot be created (a missing folder,
  // a full disk), or a former output that may not be replaced (read-only, a
  // symlink, a folder, not a regular file), raises a file Failure and leaves
  // the former output alone.
  explicit ReplacedFile(std::filesystem::path final_path);
  ~ReplacedFile();  // abandons the new content unless committed
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;

  // Appends bytes. A failed write raises a file Failure, and the new content
  // can no longer be committed: every later write and Commit fail as well.
  void Write(std::string_view bytes);
  // Closes the new file and checks that every byte is stored; it stays
  // beside its final name until Commit. Outputs that are put in place
  // together are each finished before the first is renamed. A failure is
  // raised after the temporary file is removed. `durable`: the bytes are
  // put on disk (synced) before the file is closed, for a file that cannot
  // be made again.
  void Finish(bool durable = false);
  // Finishes (when not done) and puts the new file in place of the former
  // one; a failure is raised after the temporary file is removed.
  void Commit();
  // After Finish, puts the new file in place of the former one; a failure
  // raises a file Failure and leaves the new file beside its final name,
  // for the journal that lists it (run_journal.h) to put in place later.
  void PutInPlace();
  // Drops the new content; the former output stays.
  void Abandon();

  const std::filesystem::path& path() const { return final_; }
  const std::filesystem::path& temporary_path() const { return temp_; }

 private:
  std::filesystem::path final_;
  std::filesystem::path temp_;
  int handle_ = -1;
  unsigned former_mode_ = 0;  // permission bits of the former output; 0 when none
  bool pending_ = false;      // the temporary file exists and is not yet renamed
  int failed_ = 0;            // errno of the first failed write, 0 while all is well
};

// Replaces a file whole with the given bytes (Failure on error, the former
// file kept).
void ReplaceWholeFile(const std::filesystem::path& path, std::string_view bytes);

// True for the name of a temporary file of a replacement: such a file is
// never a data file, even when a killed run left it behind.
bool IsTemporaryName(std::string_view file_name);

// True when file_name is the name of a temporary file of a replacement of
// `name` (NAME.<process>-<n>.partial, NAME in any case).
bool IsTemporaryOf(std::string_view file_name, std::string_view name);

// Deletes from `folder` the temporary files of replacements of the outputs
// `names` (NAME.<process>-<n>.partial, NAME in any case) that killed runs
// left. Only for a caller that holds the data directory's lock, under which
// no other program is writing one. A failed list or delete raises a file
// Failure.
void RemoveLeftTemporaries(const std::filesystem::path& folder,
                           const std::vector<std::string>& names);

}  // namespace volq
