#include "platform/fs/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

#include "platform/base/ascii_case.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/replaced_file.h"

namespace volq {

namespace fs = std::filesystem;

MappedFile::~MappedFile() { Adopt(nullptr, 0); }

MappedFile::MappedFile(MappedFile&& other) noexcept : data_(other.data_), size_(other.size_) {
  other.data_ = nullptr;
  other.size_ = 0;
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Adopt(other.data_, other.size_);
    other.data_ = nullptr;
    other.size_ = 0;
  }
  return *this;
}

void MappedFile::Adopt(const char* data, size_t size) {
  if (data_) ::munmap(const_cast<char*>(data_), size_);
  data_ = data;
  size_ = size;
}

namespace {

// The text a root is matched by: its path without a trailing slash.
std::string RootKey(const fs::path& root) {
  std::string key = root.native();
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

// True when a name under a root has a ".." part, which could lead out of it.
bool LeadsUp(std::string_view name) {
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

int Errno() { return errno ? errno : EIO; }

// Closes a handle that is given up on after a failure: its own error does
// not hide the first one.
int CloseAfter(int fd, int err) {
  ::close(fd);
  return err;
}

// Opens file `name` with `flags`, never through a symlink in place of it,
// and tells what it is. The open does not wait: a FIFO would block it until
// a program opened the other end, holding the data directory's lock the
// while. A folder (which opens for reading on this system) and anything
// else that is not a regular file are refused; a regular file's handle
// blocks as usual once it is known to be one.
int OpenFile(int dir, const char* name, int flags, int& fd, struct stat& st) {
  fd = ::openat(dir, name, flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
  // ENXIO: a FIFO without a reader opened for writing, or a socket.
  if (fd < 0) return errno == ENXIO ? kNotRegularFile : Errno();
  if (::fstat(fd, &st) != 0) return CloseAfter(fd, Errno());
  if (S_ISDIR(st.st_mode)) return CloseAfter(fd, EISDIR);
  if (!S_ISREG(st.st_mode)) return CloseAfter(fd, kNotRegularFile);
  if (::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return CloseAfter(fd, Errno());
  return 0;
}

int OpenToRead(int dir, const char* name, int& fd, struct stat& st) {
  return OpenFile(dir, name, O_RDONLY, fd, st);
}

class PosixFileSystem : public FileSystem {
 public:
  int AddRoot(const std::string& key) {
    std::unique_lock lock(mutex_);
    for (Root& r : roots_) {
      if (r.key != key) continue;
      // A directory removed and made again under the same name is another
      // directory: its holders are moved onto the new one.
      struct stat held, named;
      if (::stat(key.c_str(), &named) != 0) return Errno();
      if (::fstat(r.fd, &held) != 0 || held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
        const int fd = ::open(key.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return Errno();
        ::close(r.fd);
        r.fd = fd;
      }
      ++r.refs;
      return 0;
    }
    const int fd = ::open(key.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Errno();
    roots_.push_back(Root{key, fd, 1});
    return 0;
  }

  void RemoveRoot(const std::string& key) {
    std::unique_lock lock(mutex_);
    for (auto it = roots_.begin(); it != roots_.end(); ++it) {
      if (it->key != key) continue;
      if (--it->refs == 0) {
        ::close(it->fd);
        roots_.erase(it);
      }
      return;
    }
  }

  int ReadWhole(const fs::path& p, std::string& out) override {
    return AtFile(p, [&](int dir, const char* name) {
      int fd = -1;
      struct stat st;
      if (const int err = OpenToRead(dir, name, fd, st)) return err;
      out.resize(static_cast<size_t>(st.st_size));
      size_t got = 0;
      while (got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return CloseAfter(fd, Errno());
        if (n == 0) break;  // cut meanwhile
        got += static_cast<size_t>(n);
      }
      out.resize(got);
      ::close(fd);
      return 0;
    });
  }

  int MapForReading(const fs::path& p, MappedFile& out) override {
    return AtFile(p, [&](int dir, const char* name) {
      int fd = -1;
      struct stat st;
      if (const int err = OpenToRead(dir, name, fd, st)) return err;
      const size_t size = static_cast<size_t>(st.st_size);
      if (size == 0) {
        out.Adopt(nullptr, 0);
        ::close(fd);
        return 0;
      }
      void* m = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
      if (m == MAP_FAILED) return CloseAfter(fd, Errno());
      ::madvise(m, size, MADV_WILLNEED);
      out.Adopt(static_cast<const char*>(m), size);
      ::close(fd);
      return 0;
    });
  }

  int OpenForReading(const fs::path& p, OpenedFile& out) override {
    return AtFile(p, [&](int dir, const char* name) {
      int fd = -1;
      struct stat st;
      if (const int err = OpenToRead(dir, name, fd, st)) return err;
      out = OpenedFile{fd, static_cast<std::uint64_t>(st.st_size)};
      return 0;
    });
  }

  int OpenForWriting(const fs::path& p, WriteMode mode, OpenedFile& out) override {
    int flags = O_CREAT;
    switch (mode) {
      case WriteMode::Temporary:
        flags |= O_WRONLY | O_EXCL;
        break;
      case WriteMode::InPlace:
        flags |= O_WRONLY;
        break;
      case WriteMode::Append:
        flags |= O_WRONLY | O_APPEND;
        break;
      case WriteMode::ReadWrite:
        flags |= O_RDWR;
        break;
    }
    return AtFile(p, [&](int dir, const char* name) {
      if (mode == WriteMode::Temporary) {
        // Made new (O_EXCL): a regular file of one link.
        const int fd = ::openat(dir, name, flags | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) return Errno();
        out = OpenedFile{fd, 0};
        return 0;
      }
      int fd = -1;
      struct stat st;
      if (const int err = OpenFile(dir, name, flags, fd, st)) return err;
      // The system lets the owner (and root) open a file without write
      // permission; the data directory's own rule does not.
      if (!(st.st_mode & S_IWUSR)) return CloseAfter(fd, EACCES);
      // Written in place, a file with another name would change under that
      // name too (a copy made with hard links, a file linked in from
      // outside): the caller replaces it instead.
      if (st.st_nlink > 1) return CloseAfter(fd, kLinkedFile);
      out = OpenedFile{fd, static_cast<std::uint64_t>(st.st_size)};
      return 0;
    });
  }

  int Read(int handle, char* buf, size_t size, size_t& got) override {
    got = 0;
    for (;;) {
      const ssize_t n = ::read(handle, buf, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Errno();
      got = static_cast<size_t>(n);
      return 0;
    }
  }

  int Write(int handle, std::string_view bytes, size_t* written) override {
    size_t put = 0;
    int err = 0;
    while (put < bytes.size()) {
      const ssize_t n = ::write(handle, bytes.data() + put, bytes.size() - put);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        err = n < 0 ? Errno() : ENOSPC;
        break;
      }
      put += static_cast<size_t>(n);
    }
    if (written) *written = put;
    return err;
  }

  int WriteAt(int handle, std::uint64_t offset, std::string_view bytes) override {
    size_t put = 0;
    while (put < bytes.size()) {
      const ssize_t n = ::pwrite(handle, bytes.data() + put, bytes.size() - put,
                                 static_cast<off_t>(offset + put));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return n < 0 ? Errno() : ENOSPC;
      put += static_cast<size_t>(n);
    }
    return 0;
  }

  int Truncate(int handle, std::uint64_t size) override {
    return ::ftruncate(handle, static_cast<off_t>(size)) == 0 ? 0 : Errno();
  }

  int SetMode(int handle, unsigned mode) override {
    return ::fchmod(handle, static_cast<mode_t>(mode & 07777)) == 0 ? 0 : Errno();
  }

  int Close(int handle) override {
    // After EINTR the handle is released all the same on this system.
    return ::close(handle) == 0 || errno == EINTR ? 0 : Errno();
  }

  int Sync(int handle) override { return ::fsync(handle) == 0 ? 0 : Errno(); }

  int SyncFolder(const fs::path& p) override {
    return At(p, [&](int dir, const char* name) {
      const int fd = ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return Errno();
      return ::fsync(fd) == 0 ? CloseAfter(fd, 0) : CloseAfter(fd, Errno());
    });
  }

  int SyncFileSystem(const fs::path& p) override {
    return At(p, [&](int dir, const char* name) {
      const int fd = ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return Errno();
      return ::syncfs(fd) == 0 ? CloseAfter(fd, 0) : CloseAfter(fd, Errno());
    });
  }

  int Replace(const fs::path& from, const fs::path& to) override {
    std::shared_lock lock(mutex_);
    int from_dir, to_dir;
    const char *from_name, *to_name;
    if (const int err = Resolve(from, from_dir, from_name)) return err;
    if (const int err = Resolve(to, to_dir, to_name)) return err;
    struct stat st;
    if (::fstatat(to_dir, to_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      if (const int err = Refusal(st)) return err;
    } else if (errno != ENOENT) {
      return errno == ENOTDIR ? ENOENT : Errno();
    }
    if (::renameat(from_dir, from_name, to_dir, to_name) == 0) return 0;
    return errno == ENOTDIR ? ENOENT : Errno();
  }

  int Delete(const fs::path& p) override {
    return AtFile(p, [&](int dir, const char* name) {
      struct stat st;
      if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return Errno();
      if (const int err = Refusal(st)) return err;
      return ::unlinkat(dir, name, 0) == 0 ? 0 : Errno();
    });
  }

  int List(const fs::path& p, std::vector<std::string>& names) override {
    return At(p, [&](int dir, const char* name) {
      const int fd = ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return Errno();
      DIR* d = ::fdopendir(fd);
      if (!d) return CloseAfter(fd, Errno());
      names.clear();
      for (;;) {
        errno = 0;
        const dirent* e = ::readdir(d);
        if (!e) break;
        if (e->d_name[0] != '.') names.emplace_back(e->d_name);
      }
      const int err = errno;
      ::closedir(d);
      return err;
    });
  }

  int Stat(const fs::path& p, EntryInfo& info) override {
    return At(p, [&](int dir, const char* name) {
      info = EntryInfo{};
      struct stat st;
      if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? 0 : Errno();
      }
      if (S_ISLNK(st.st_mode)) {
        // Only a link to a folder is followed.
        struct stat target;
        if (::fstatat(dir, name, &target, 0) == 0 && S_ISDIR(target.st_mode)) {
          info.kind = EntryKind::Folder;
          info.mode = target.st_mode & 07777;
          char link[4096];
          const ssize_t n = ::readlinkat(dir, name, link, sizeof link);
          if (n > 0) info.link.assign(link, static_cast<size_t>(n));
        } else {
          info.kind = EntryKind::Symlink;
        }
        return 0;
      }
      if (S_ISREG(st.st_mode)) {
        info.kind = EntryKind::File;
        info.size = static_cast<std::uint64_t>(st.st_size);
      } else {
        info.kind = S_ISDIR(st.st_mode) ? EntryKind::Folder : EntryKind::Other;
      }
      info.mode = st.st_mode & 07777;
      info.inode = static_cast<std::uint64_t>(st.st_ino);
      info.changed_ns =
          static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
      return 0;
    });
  }

 private:
  struct Root {
    std::string key;
    int fd;
    int refs;
  };

  // Why an entry found in place of a file to be replaced or deleted is left
  // alone: 0 when it may go.
  static int Refusal(const struct stat& st) {
    if (S_ISLNK(st.st_mode)) return kRefusedSymlink;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!(st.st_mode & S_IWUSR)) return EACCES;
    return 0;
  }

  // The directory descriptor and name that path p is resolved by: under the
  // longest registered root that holds it, or, while none is registered,
  // the working directory. The caller holds mutex_ while it uses them.
  int Resolve(const fs::path& p, int& dir, const char*& name) const {
    const std::string& s = p.native();
    const Root* best = nullptr;
    for (const Root& r : roots_) {
      const std::string& k = r.key;
      if (s.size() < k.size() || s.compare(0, k.size(), k) != 0) continue;
      if (s.size() > k.size() && s[k.size()] != '/' && k.back() != '/') continue;
      if (!best || k.size() > best->key.size()) best = &r;
    }
    if (!best) {
      // A program works in its data directory alone: a path beside it came
      // from a name it was given, never from one of its own files.
      if (!roots_.empty()) return kOutsideDataDir;
      dir = AT_FDCWD;
      name = s.c_str();
      return 0;
    }
    size_t pos = best->key.size();
    while (pos < s.size() && s[pos] == '/') ++pos;
    dir = best->fd;
    name = pos == s.size() ? "." : s.c_str() + pos;
    return LeadsUp(name) ? EINVAL : 0;
  }

  // Calls f(directory descriptor, name) for path p.
  template <class F>
  int At(const fs::path& p, F f) {
    std::shared_lock lock(mutex_);
    int dir;
    const char* name;
    if (const int err = Resolve(p, dir, name)) return err;
    return f(dir, name);
  }

  // The same for a call on a file: a file in place of a folder on its way is
  // a missing folder (the contract's one rule for ENOTDIR).
  template <class F>
  int AtFile(const fs::path& p, F f) {
    const int err = At(p, f);
    return err == ENOTDIR ? ENOENT : err;
  }

  std::shared_mutex mutex_;
  std::vector<Root> roots_;
};

PosixFileSystem& Production() {
  // Never destroyed: files may still be closed while the process ends.
  static PosixFileSystem* files = new PosixFileSystem;
  return *files;
}

std::atomic<FileSystem*>& Current() {
  static std::atomic<FileSystem*> current{&Production()};
  return current;
}

FileSystem& Installed() { return *Current().load(std::memory_order_acquire); }

// The names of the folders looked up in by case, kept true by every create,
// rename and delete that passes it. A mutex: the sample generator writes
// from several threads.
class NameCaseFiles final : public FileSystemWrapper {
 public:
  int OpenForWriting(const fs::path& p, WriteMode mode, OpenedFile& out) override {
    const int err = target().OpenForWriting(p, mode, out);
    // A temporary file of a replacement names no file until it is renamed.
    if (err == 0 && mode != WriteMode::Temporary) Created(p);
    return err;
  }

  int Replace(const fs::path& from, const fs::path& to) override {
    const int err = target().Replace(from, to);
    if (err == 0) {
      Deleted(from);
      Created(to);
    }
    return err;
  }

  int Delete(const fs::path& p) override {
    const int err = target().Delete(p);
    if (err == 0) Deleted(p);
    return err;
  }

  int Find(const fs::path& dir, std::string_view name, std::string& on_disk) {
    on_disk.clear();
    const std::string key = dir.string();
    const std::string lower = AsciiLower(name);
    {
      std::lock_guard lock(mutex_);
      if (auto it = folders_.find(key); it != folders_.end()) {
        if (auto hit = it->second.find(lower); hit != it->second.end()) on_disk = hit->second;
        return 0;
      }
    }
    std::vector<std::string> listed;
    if (const int err = target().List(dir, listed); err && err != ENOENT && err != ENOTDIR) {
      return err;
    }
    std::unordered_map<std::string, std::string> names;
    for (std::string& n : listed) {
      // A replacement in progress, or one a killed run left, names no file.
      if (IsTemporaryName(n)) continue;
      std::string l = AsciiLower(n);
      names.emplace(std::move(l), std::move(n));
    }
    if (auto hit = names.find(lower); hit != names.end()) on_disk = hit->second;
    std::lock_guard lock(mutex_);
    // Only the folders of an open data directory are kept.
    if (ScopeOf(key)) folders_.try_emplace(key, std::move(names));
    return 0;
  }

  void OpenScope(const std::string& root) {
    std::lock_guard lock(mutex_);
    ++scopes_[root];
  }

  void CloseScope(const std::string& root) {
    std::lock_guard lock(mutex_);
    auto it = scopes_.find(root);
    if (it == scopes_.end() || --it->second > 0) return;
    scopes_.erase(it);
    for (auto f = folders_.begin(); f != folders_.end();) {
      f = ScopeOf(f->first) ? std::next(f) : folders_.erase(f);
    }
  }

 private:
  // Whether folder `key` lies under a root of a live scope.
  bool ScopeOf(const std::string& key) const {
    for (const auto& [root, count] : scopes_) {
      if (key.size() >= root.size() && key.compare(0, root.size(), root) == 0 &&
          (key.size() == root.size() || key[root.size()] == '/' || root.back() == '/')) {
        return true;
      }
    }
    return false;
  }

  void Created(const fs::path& p) {
    std::lock_guard lock(mutex_);
    if (folders_.empty()) return;
    auto it = folders_.find(p.parent_path().string());
    if (it == folders_.end()) return;
    std::string name = p.filename().string();
    it->second.try_emplace(AsciiLower(name), std::move(name));
  }

  void Deleted(const fs::path& p) {
    std::lock_guard lock(mutex_);
    if (folders_.empty()) return;
    auto it = folders_.find(p.parent_path().string());
    if (it == folders_.end()) return;
    const std::string name = p.filename().string();
    auto hit = it->second.find(AsciiLower(name));
    if (hit != it->second.end() && hit->second == name) it->second.erase(hit);
  }

  std::mutex mutex_;
  std::unordered_map<std::string, int> scopes_;
  // folder -> (lower-case name -> name on disk)
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> folders_;
};

NameCaseFiles& NameCases() {
  // Never destroyed, as the production file system.
  static NameCaseFiles* files = new NameCaseFiles;
  return *files;
}

}  // namespace

FileSystem& Files() { return NameCases(); }
FileSystem& ProductionFiles() { return Production(); }

FileSystem& FileSystemWrapper::target() const { return target_ ? *target_ : Installed(); }

int FileSystemWrapper::ReadWhole(const fs::path& p, std::string& out) {
  return target().ReadWhole(p, out);
}
int FileSystemWrapper::MapForReading(const fs::path& p, MappedFile& out) {
  return target().MapForReading(p, out);
}
int FileSystemWrapper::OpenForReading(const fs::path& p, OpenedFile& out) {
  return target().OpenForReading(p, out);
}
int FileSystemWrapper::OpenForWriting(const fs::path& p, WriteMode mode, OpenedFile& out) {
  return target().OpenForWriting(p, mode, out);
}
int FileSystemWrapper::Read(int handle, char* buf, size_t size, size_t& got) {
  return target().Read(handle, buf, size, got);
}
int FileSystemWrapper::Write(int handle, std::string_view bytes, size_t* written) {
  return target().Write(handle, bytes, written);
}
int FileSystemWrapper::WriteAt(int handle, std::uint64_t offset, std::string_view bytes) {
  return target().WriteAt(handle, offset, bytes);
}
int FileSystemWrapper::Truncate(int handle, std::uint64_t size) {
  return target().Truncate(handle, size);
}
int FileSystemWrapper::SetMode(int handle, unsigned mode) { return target().SetMode(handle, mode); }
int FileSystemWrapper::Close(int handle) { return target().Close(handle); }
int FileSystemWrapper::Sync(int handle) { return target().Sync(handle); }
int FileSystemWrapper::SyncFolder(const fs::path& p) { return target().SyncFolder(p); }
int FileSystemWrapper::SyncFileSystem(const fs::path& p) { return target().SyncFileSystem(p); }
int FileSystemWrapper::Replace(const fs::path& from, const fs::path& to) {
  return target().Replace(from, to);
}
int FileSystemWrapper::Delete(const fs::path& p) { return target().Delete(p); }
int FileSystemWrapper::List(const fs::path& p, std::vector<std::string>& names) {
  return target().List(p, names);
}
int FileSystemWrapper::Stat(const fs::path& p, EntryInfo& info) { return target().Stat(p, info); }
size_t FileSystemWrapper::WriteBufferSize() const { return target().WriteBufferSize(); }

int NameInAnyCase(const fs::path& dir, std::string_view name, std::string& on_disk) {
  return NameCases().Find(dir, name, on_disk);
}

NameCaseScope::NameCaseScope(const fs::path& root) : key_(RootKey(root)) {
  NameCases().OpenScope(key_);
}
NameCaseScope::~NameCaseScope() { NameCases().CloseScope(key_); }

ScopedFileSystem::ScopedFileSystem(FileSystem& fs) : former_(Current().exchange(&fs)) {}
ScopedFileSystem::~ScopedFileSystem() { Current().store(former_); }

DataDirRoot::DataDirRoot(const fs::path& root) : key_(RootKey(root)) {
  error_ = key_.empty() ? ENOENT : Production().AddRoot(key_);
}

DataDirRoot::~DataDirRoot() {
  if (error_ == 0) Production().RemoveRoot(key_);
}

std::string SeamErrorText(int err) {
  if (err == kRefusedSymlink) return "refused symlink";
  if (err == kNotRegularFile) return "not a regular file";
  if (err == kOutsideDataDir) return "outside the data directory";
  return std::strerror(err);
}

void FailFileOp(std::string_view op, const fs::path& p, int err) {
  if (err == kRefusedSymlink) FailFile("refused symlink", p, 0);
  if (err == kNotRegularFile) FailFile("not a regular file", p, 0);
  if (err == kOutsideDataDir) FailFile("refused path outside the data directory", p, 0);
  FailFile(op, p, err);
}

}  // namespace volq
