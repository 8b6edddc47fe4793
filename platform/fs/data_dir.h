#pragma once
// The data directory: every file of both programs is named relative to it,
// with the folder and file names the steps use. Names are matched without
// regard to ASCII case, as on the system the data directory comes from:
// the file seam keeps the names of its folders by case while it is open
// (NameInAnyCase), seeing every file created, renamed and deleted, so that a
// name looked up again is found in any case; reports name a file from the
// live data directory that holds it (ShownPath).
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/fs/file_system.h"

namespace volq {

class DataDir {
 public:
  explicit DataDir(std::filesystem::path root);
  ~DataDir();
  DataDir(const DataDir& other);
  DataDir& operator=(const DataDir& other);

  const std::filesystem::path& root() const { return root_; }

  // Path of a file or folder given as "NAME" or "FOLDER\\NAME" (either slash).
  // An existing entry of another case is found; otherwise the name as given.
  std::filesystem::path Path(std::string_view relative);

  // Path of a per-entity file FOLDER\<id><suffix>. An id that is not a plain
  // file name (empty or blank, a separator, "." or "..", a control byte, a
  // character Windows refuses in names) raises a file Failure.
  std::filesystem::path EntityPath(std::string_view folder, std::string_view id,
                                   std::string_view suffix = ".dat");

  // Whether anything stands at the name (a symlink too); a failed look
  // raises a file Failure.
  bool Exists(std::string_view relative);
  // Deleting a missing file is a failure, as on the original platform; so
  // is deleting a read-only file or a symlink, which stay as they are.
  void Delete(std::string_view relative);
  void DeletePath(const std::filesystem::path& p);

  // Creates the data directory and the given folders in it (the catalogue of
  // common/ names the ones the steps write into); tests and tools do this.
  void CreateFolders(std::span<const std::string_view> folders);

 private:
  std::filesystem::path Resolve(const std::filesystem::path& dir, const std::string& name);
  std::filesystem::path root_;
  // The root registered with the file seam, so that every path of it is
  // resolved against one descriptor of the directory; shared by copies.
  std::shared_ptr<DataDirRoot> registered_;
  // Keeps the seam's names of its folders by case while a copy lives.
  std::shared_ptr<NameCaseScope> names_;
};

// Whether anything stands at path p (a file, a folder, a symlink); a failed
// look raises a file Failure.
bool EntryExists(const std::filesystem::path& p);

// What is wrong with data directory `root` for a program to start in it ("" when
// nothing): it must exist as a folder; it is never created. The message names
// its absolute path, and for a missing one the command that makes it with
// `folders` (MkdirCommand).
std::string DataDirProblem(const std::filesystem::path& root,
                           std::span<const std::string_view> folders);
// What keeps a program from writing in data directory `root` ("" when
// nothing): a hidden file is made there and removed again through the file
// seam, as the journal is written, so that a read-only directory (EACCES,
// EPERM), a read-only mount (EROFS) or a failing disk is found before any
// work begins. One line: the absolute path, the system's reason and what to
// do ("cannot write the data directory /abs/DIR (Permission denied): ...").
std::string DataDirWriteProblem(const std::filesystem::path& root);
// The name of that hidden file, which no step reads and the seam never lists.
inline constexpr const char kWriteCheckName[] = ".volq-write-check";
// "mkdir -p /abs/ROOT/F1 /abs/ROOT/F2 ...": the command that makes `folders`
// of data directory `root` (and the directory itself), to be pasted into a
// shell: absolute paths, each quoted when the shell would take it apart.
std::string MkdirCommand(const std::filesystem::path& root,
                         std::span<const std::string_view> folders);
// A word as a shell takes it whole: quoted when it holds anything but
// letters, digits and . _ - / + , : = @ %.
std::string ShellWord(const std::string& word);
// The line that leads a run's reports: "in data directory /abs/path:".
std::string DataDirHeading(const std::filesystem::path& root);

// True when id can stand as a file name inside a folder.
bool IsPlainName(std::string_view id);
// True when id holds blanks only (a field the record leaves empty): it names
// no entity, so a lookup by it reads an empty history and creates no file.
bool IsBlankId(std::string_view id);

}  // namespace volq
