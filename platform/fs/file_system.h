#pragma once
// The file seam: every file operation of both programs on the data directory
// goes through one FileSystem, so that tests can count the operations of a
// whole pipeline and fail any one of them. Only the lock of the data
// directory and its note (data_dir_lock.h) and the making of its folders
// stand outside: they are no data of a step.
//
// Errors are errno values, never exceptions: every call returns 0 on success
// or the errno of its failure (callers raise a Failure with FailFileOp). A
// fault implementation may return any errno from any call; the values listed
// below are what the production implementation gives.
//
// Paths. Callers pass full paths, as DataDir builds them (root / FOLDER /
// NAME). A path under a data directory registered with DataDirRoot (same
// leading text as the root, then "/") is resolved against a descriptor of
// that directory opened once; the longest registered root wins. While a
// data directory is registered, a path under none is refused with EXDEV
// (kOutsideDataDir) and nothing is done: no name a file of the data
// directory gives (a journal's line, a list of files) reaches a file beside
// it. With none registered (a test's scratch file, a tool), a path is used
// as it is, relative to the working directory. The rules below hold for
// both.
//
// Symlinks. A symlink in place of a file is never followed: opening,
// reading, writing, replacing or deleting an entry that is a symlink fails
// with ELOOP (kRefusedSymlink), also when the link is dangling, and nothing
// is created where it points. Folders on the way to a file may be symlinks
// and are followed (a large folder may live on another disk); a folder
// listed with List may be one as well. A path under a root that holds a
// ".." part is refused with EINVAL, so no name leads out of the data
// directory.
//
// Not a regular file. A FIFO, a socket or a device in place of a file is
// never read or written: every open (also the ones inside ReadWhole and
// MapForReading) fails with ENODEV (kNotRegularFile) at once, without
// waiting for a writer or reader at the other end, and Stat tells it as
// EntryKind::Other. A folder in place of a file fails with EISDIR.
//
// Hard links. A file that another name links to (more than one link) is
// never written through: opening it InPlace, Append or ReadWrite fails with
// EMLINK (kLinkedFile) and changes nothing, so that the caller replaces it
// instead (written beside and renamed over this name: the other name keeps
// its bytes). Reading it, replacing it and deleting it work as for any file.
//
// Read-only files. A file that has no write permission for its owner is
// read-only, as on the system the data directory comes from, also for a
// process that could write it anyway (root): writing it in place,
// replacing it and deleting it fail with EACCES and leave it as it was.
//
// A file in place of a folder. A call on a file (all but List, SyncFolder
// and SyncFileSystem) whose way holds a file where a folder should be finds
// no folder there: ENOENT, as for a missing folder, never ENOTDIR; Stat
// tells it as Missing. Only the calls on a folder give ENOTDIR, for a path
// that is not a folder. Callers read ENOENT alone as "missing".
//
// Handles. An open file is a handle (a small non-negative number) valid
// until Close; Close always releases it, also when it reports an error.
//
// Durability. A call that returns has handed its change to the system, which
// keeps it across a crash of the process but not across a power cut: only
// the Sync calls put files and folder entries on disk. A file renamed or
// created survives a power cut once its folder is synced as well.
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace volq {

// The errno of a refused symlink.
constexpr int kRefusedSymlink = ELOOP;
// The errno of a FIFO, socket or device in place of a file.
constexpr int kNotRegularFile = ENODEV;
// The errno of an in-place open of a file that another name links to.
constexpr int kLinkedFile = EMLINK;
// The errno of a path under no registered data directory while one is.
constexpr int kOutsideDataDir = EXDEV;

// What a writer of many records gathers before it writes them, unless the
// file system says otherwise (FileSystem::WriteBufferSize).
constexpr size_t kWriteBufferSize = size_t{1} << 20;

// What stands at a path, seen without following a symlink in place of a
// file. A symlink to a folder is a Folder (folders are followed); any other
// symlink, dangling included, is a Symlink. Other is a FIFO, a socket or a
// device.
enum class EntryKind { Missing, File, Folder, Symlink, Other };

struct EntryInfo {
  EntryKind kind = EntryKind::Missing;
  std::uint64_t size = 0;  // bytes of a File, else 0
  unsigned mode = 0;       // permission bits (07777) of a File or Folder
  // What tells a file apart from the one that replaces it (a new inode) or
  // from itself rewritten in place (the time of its last change, in ns).
  std::uint64_t inode = 0;
  std::int64_t changed_ns = 0;
  // What a Folder that is a symlink names, as the link reads (relative to
  // the folder that holds it unless absolute); "" for any other entry.
  std::string link;
};

// A file opened by OpenForReading or OpenForWriting: its handle and its
// length when opened (0 for a file the open created).
struct OpenedFile {
  int handle = -1;
  std::uint64_t size = 0;
};

enum class WriteMode {
  // A new file that must not exist yet (EEXIST otherwise, whatever stands
  // there): the temporary file of a replacement.
  Temporary,
  // Written from its first byte without being cut first (the caller cuts it
  // with Truncate when done): created when missing.
  InPlace,
  // Every write goes to the end: created when missing.
  Append,
  // Read and written (Read, WriteAt, Truncate): created when missing.
  ReadWrite,
};

// A file mapped read-only into memory, unmapped when destroyed.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::string_view bytes() const { return {data_, size_}; }
  // Takes over a mapping made by mmap (size 0: none); the former one is
  // unmapped.
  void Adopt(const char* data, size_t size);

 private:
  const char* data_ = nullptr;
  size_t size_ = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The whole content of file p into `out` (one open, size, read, close).
  // ENOENT missing; EISDIR a folder; ELOOP a symlink; ENODEV not a regular
  // file; EACCES, EIO.
  virtual int ReadWhole(const std::filesystem::path& p, std::string& out) = 0;
  // File p mapped read-only (an empty file maps to no bytes), for large
  // record files read in place. Errors as ReadWhole, and ENOMEM.
  virtual int MapForReading(const std::filesystem::path& p, MappedFile& out) = 0;
  // Opens file p for reading with Read, from its first byte. Errors as
  // ReadWhole.
  virtual int OpenForReading(const std::filesystem::path& p, OpenedFile& out) = 0;
  // Opens file p for writing as `mode` says; a file created gets mode 0666
  // less the process's umask. ENOENT a missing folder; EISDIR a folder;
  // ELOOP a symlink; ENODEV not a regular file; EEXIST (Temporary) an entry
  // already there; EACCES a read-only file, then EMLINK a file with another
  // name (InPlace, Append, ReadWrite); ENOSPC, EIO.
  virtual int OpenForWriting(const std::filesystem::path& p, WriteMode mode, OpenedFile& out) = 0;

  // Reads up to `size` bytes at the handle's position; `got` is 0 at the end
  // of the file. EBADF a handle not open for reading; EIO.
  virtual int Read(int handle, char* buf, size_t size, size_t& got) = 0;
  // Writes all of `bytes` at the handle's position (the end for Append);
  // `written`, when given, tells how many went out before a failure.
  // ENOSPC (also a write that stores nothing), EIO, EFBIG, EBADF.
  virtual int Write(int handle, std::string_view bytes, size_t* written = nullptr) = 0;
  // Writes all of `bytes` from byte `offset` (not for Append). As Write.
  virtual int WriteAt(int handle, std::uint64_t offset, std::string_view bytes) = 0;
  // Cuts or extends the file to `size` bytes. EIO, EFBIG, EBADF.
  virtual int Truncate(int handle, std::uint64_t size) = 0;
  // Sets the permission bits of the open file exactly (no umask): a
  // replacement takes those of the file it replaces. EPERM, EBADF.
  virtual int SetMode(int handle, unsigned mode) = 0;
  // Closes the handle; reports what the file system could not store after
  // all (ENOSPC, EIO on a network or quota file system). The handle is
  // released whatever it returns.
  virtual int Close(int handle) = 0;

  // Puts what was written through the handle on disk before it returns
  // (fsync; a handle opened for reading serves as well): after a power cut
  // the file holds those bytes. EBADF, EIO, ENOSPC.
  virtual int Sync(int handle) = 0;
  // Puts the entries of folder p on disk (fsync of the folder; a folder
  // that is a symlink is followed): a file created, renamed or deleted in it
  // stays so after a power cut. ENOENT, ENOTDIR, EIO.
  virtual int SyncFolder(const std::filesystem::path& p) = 0;
  // Puts everything written on the file system that holds folder p on disk
  // (syncfs), files and folders: one call after a step wrote a hundred
  // thousand files. ENOENT, ENOTDIR, EIO.
  virtual int SyncFileSystem(const std::filesystem::path& p) = 0;

  // Puts file `from` in place of `to` in one step (both in one folder; a
  // reader of the former `to` keeps its bytes). `to` may be missing. ENOENT
  // `from` missing; ELOOP `to` a symlink; EISDIR `to` a folder; EACCES `to`
  // read-only. On failure nothing changed.
  virtual int Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Deletes file p. ENOENT missing; EISDIR a folder; ELOOP a symlink;
  // EACCES read-only. On failure nothing changed.
  virtual int Delete(const std::filesystem::path& p) = 0;
  // The names in folder p (followed when a symlink), in no set order,
  // without "." and "..", and without hidden names (beginning with a dot),
  // which are never data files: the lock's note is one. ENOENT missing;
  // ENOTDIR not a folder; EACCES.
  virtual int List(const std::filesystem::path& p, std::vector<std::string>& names) = 0;
  // What stands at p. A missing entry (or a missing folder on the way, or a
  // file in place of one) is no error: kind Missing. EACCES, ELOOP (a loop
  // of folder links), EIO.
  virtual int Stat(const std::filesystem::path& p, EntryInfo& info) = 0;

  // How many bytes a writer of many records (RecordAppender, TextListWriter)
  // gathers before it writes them: many, so that an output costs few calls.
  // A test file system may ask for fewer, so that outputs span several
  // writes and a failure can fall in the middle of a file.
  virtual size_t WriteBufferSize() const { return kWriteBufferSize; }
};

// The file system of the process: the installed one (the production one
// unless a test installed another) seen through the cache of names by case
// (below), which every create, rename and delete passes.
FileSystem& Files();
// The production file system (POSIX, relative to registered data
// directories).
FileSystem& ProductionFiles();

// Names by case. The names of a data directory are matched without regard to
// ASCII case, as on the system it comes from. The folders looked up in
// (NameInAnyCase) are listed once and their names kept while a NameCaseScope
// of the data directory lives; Files() enters every file it creates (an
// open for writing that is no Temporary, the target of a Replace) and takes
// out every file it deletes or renames away, so no writer keeps the cache
// by hand and a name looked up again in another case finds the file instead
// of making a second one. Files made outside the seam (another program, a
// test's plain write) are seen only by a folder listed after them.
//
// The name on disk of an entry of folder `dir` that equals `name` but for
// ASCII case, into `on_disk` ("" when the folder holds none). Temporary
// files of replacements (IsTemporaryName) name no entry. A missing folder,
// or a file in place of one, holds none; else the errno of its List.
int NameInAnyCase(const std::filesystem::path& dir, std::string_view name, std::string& on_disk);
// Keeps the names of the folders under `root` while it lives (copies of a
// data directory share one); the last scope of a root drops them, so a data
// directory opened again lists its folders afresh.
class NameCaseScope {
 public:
  explicit NameCaseScope(const std::filesystem::path& root);
  ~NameCaseScope();
  NameCaseScope(const NameCaseScope&) = delete;
  NameCaseScope& operator=(const NameCaseScope&) = delete;

 private:
  std::string key_;
};

// A file system that passes every call to another one: the base of a
// decorator that changes a few calls. The target is the one given, or, when
// none is, the file system installed for the process at each call (so a
// wrapper that is itself installed with ScopedFileSystem needs its target
// given: it would call itself).
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem* target = nullptr) : target_(target) {}

  int ReadWhole(const std::filesystem::path& p, std::string& out) override;
  int MapForReading(const std::filesystem::path& p, MappedFile& out) override;
  int OpenForReading(const std::filesystem::path& p, OpenedFile& out) override;
  int OpenForWriting(const std::filesystem::path& p, WriteMode mode, OpenedFile& out) override;
  int Read(int handle, char* buf, size_t size, size_t& got) override;
  int Write(int handle, std::string_view bytes, size_t* written = nullptr) override;
  int WriteAt(int handle, std::uint64_t offset, std::string_view bytes) override;
  int Truncate(int handle, std::uint64_t size) override;
  int SetMode(int handle, unsigned mode) override;
  int Close(int handle) override;
  int Sync(int handle) override;
  int SyncFolder(const std::filesystem::path& p) override;
  int SyncFileSystem(const std::filesystem::path& p) override;
  int Replace(const std::filesystem::path& from, const std::filesystem::path& to) override;
  int Delete(const std::filesystem::path& p) override;
  int List(const std::filesystem::path& p, std::vector<std::string>& names) override;
  int Stat(const std::filesystem::path& p, EntryInfo& info) override;
  size_t WriteBufferSize() const override;

 protected:
  FileSystem& target() const;

 private:
  FileSystem* target_;
};

// Installs a file system for the process while it lives, then restores the
// former one; Files() wraps whichever is installed. Not for use while other
// threads are inside the seam.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& fs);
  ~ScopedFileSystem();
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

 private:
  FileSystem* former_;
};

// Registers a data directory with the production file system while it
// lives: paths under `root` resolve against a descriptor of it opened here
// (the root itself may be a symlink; it is followed once, now). Registering
// one root again shares the descriptor. A root that cannot be opened leaves
// error() set and its paths plain.
class DataDirRoot {
 public:
  explicit DataDirRoot(const std::filesystem::path& root);
  ~DataDirRoot();
  DataDirRoot(const DataDirRoot&) = delete;
  DataDirRoot& operator=(const DataDirRoot&) = delete;
  int error() const { return error_; }

 private:
  std::string key_;
  int error_ = 0;
};

// Raises the file Failure of a failed seam call: "refused symlink
// UMAGOTOSETUP/2010100006.dat" for kRefusedSymlink, "not a regular file
// RA20180101.dat" for kNotRegularFile, "refused path outside the data
// directory /abs/OUT/b" for kOutsideDataDir, else as FailFile(op, p, err)
// ("cannot write OPTION1N/KYOSOBA.dat: No space left on device").
[[noreturn]] void FailFileOp(std::string_view op, const std::filesystem::path& p, int err);
// The reason of a failed seam call in a report: "refused symlink",
// "not a regular file", "outside the data directory", else the system's
// text ("Permission denied").
std::string SeamErrorText(int err);

}  // namespace volq
