#pragma once
// A file system in memory, for tests that run a whole pipeline thousands of
// times: it keeps the contract of file_system.h as the production file
// system does on disk, without a system call, and its files and folders
// can be saved and put back whole (Save, Load), so that a test restores a
// data directory by copying.
//
// Where it differs from the production file system: it holds no symlinks
// (nothing is ever refused as one), and any path with a ".." part is refused
// with EINVAL, under a data directory or not. Folders come into being only
// through MakeFolders, as the production data directory's come only from
// DataDir::CreateFolders. Paths are taken as written, made lexically normal.
//
// The lock of a data directory works on the real folder (data_dir_lock.h),
// outside the seam: a test keeps the data directory's root on disk, empty,
// while its files live here.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/fs/file_system.h"

namespace volq {

class MemoryFileSystem : public FileSystem {
 public:
  // A file as Save gives it: its bytes are shared with the file system
  // until either side changes them, so that saving and loading a data
  // directory copies no bytes.
  struct File {
    std::shared_ptr<const std::string> content;
    unsigned mode = 0644;
    const std::string& bytes() const { return *content; }
    friend bool operator==(const File& a, const File& b) {
      return a.mode == b.mode && (a.content == b.content || *a.content == *b.content);
    }
  };
  // Every folder and file by its full path, as Save gives them.
  struct Image {
    std::set<std::string> folders;
    std::map<std::string, File> files;
    friend bool operator==(const Image&, const Image&) = default;
  };

  MemoryFileSystem();

  // Makes folder p and the folders on the way to it.
  void MakeFolders(const std::filesystem::path& p);
  // A copy of every folder and file.
  Image Save() const;
  // Puts the folders and files of `image` in place of all there are. Only
  // while no handle is open.
  void Load(const Image& image);
  // The bytes of file p, or nullptr when there is none (for tests that look
  // without going through a call).
  const std::string* Peek(const std::filesystem::path& p) const;
  // How many handles are open now.
  size_t open_handles() const;

  // What writers gather before writing (FileSystem::WriteBufferSize).
  void SetWriteBufferSize(size_t bytes) { write_buffer_ = bytes; }
  size_t WriteBufferSize() const override { return write_buffer_; }

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
  // Every byte is as durable as it ever gets here: the syncs only check
  // their handle or folder.
  int Sync(int handle) override;
  int SyncFolder(const std::filesystem::path& p) override;
  int SyncFileSystem(const std::filesystem::path& p) override;
  int Replace(const std::filesystem::path& from, const std::filesystem::path& to) override;
  int Delete(const std::filesystem::path& p) override;
  int List(const std::filesystem::path& p, std::vector<std::string>& names) override;
  int Stat(const std::filesystem::path& p, EntryInfo& info) override;

 private:
  // A file's content and what Stat tells of it; shared by the handles open
  // on it, so that a reader of a file replaced meanwhile keeps its bytes.
  struct Node {
    std::shared_ptr<std::string> bytes;  // never null; shared with saved images
    unsigned mode;
    std::uint64_t inode;
    std::int64_t changed;
  };
  struct Handle {
    std::shared_ptr<Node> node;
    std::uint64_t at = 0;
    bool reads = false, writes = false, appends = false;
  };
  enum class Where { Folder, File, Missing, NoFolder, FileOnTheWay };

  // The key of path p (lexically normal, no trailing '/'); false for a path
  // with a ".." part.
  static bool Key(const std::filesystem::path& p, std::string& key);
  // What stands at key, and what stands on the way to it.
  Where Look(const std::string& key) const;
  std::shared_ptr<Node> NewNode(unsigned mode);
  void Touch(Node& n) { n.changed = ++clock_; }
  // The bytes of a node to change: its own copy when an image shares them.
  static std::string& Bytes(Node& n);
  // The file at path p into `out` (and its key into `key`), or the errno
  // of a call that needs a file there.
  int Find(const std::filesystem::path& p, std::shared_ptr<Node>& out,
           std::string* key = nullptr) const;
  // Whether a file may be written or put at key: 0 with `out` the file
  // there (nullptr when none), EISDIR a folder, EACCES a read-only file,
  // ENOTDIR a file on the way, ENOENT a missing folder.
  int Writable(const std::string& key, std::shared_ptr<Node>& out) const;
  Handle* HandleOf(int handle);

  mutable std::mutex mutex_;
  std::set<std::string> folders_;
  std::map<std::string, std::shared_ptr<Node>> files_;
  std::unordered_map<int, Handle> handles_;
  int next_handle_ = 3;
  std::uint64_t next_inode_ = 1;
  std::int64_t clock_ = 0;
  unsigned create_mode_;
  size_t write_buffer_ = kWriteBufferSize;
};

}  // namespace volq
