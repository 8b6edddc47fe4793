#include "platform/fs/memory_file_system.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cstring>

namespace volq {

namespace fs = std::filesystem;

MemoryFileSystem::MemoryFileSystem() {
  // The process's umask, read the only way there is: set and put back.
  const mode_t mask = ::umask(022);
  ::umask(mask);
  create_mode_ = 0666 & ~static_cast<unsigned>(mask);
}

bool MemoryFileSystem::Key(const fs::path& p, std::string& key) {
  const std::string& s = p.native();
  // A path as DataDir builds it is normal already: only one with an empty,
  // "." or ".." part goes the long way.
  bool plain = !s.empty() && s != "." && s.back() != '/';
  for (size_t at = 0; plain && at < s.size();) {
    size_t end = s.find('/', at);
    if (end == std::string::npos) end = s.size();
    const std::string_view part(s.data() + at, end - at);
    plain = (at == 0 && part.empty()) || (!part.empty() && part != "." && part != "..");
    at = end + 1;
  }
  if (plain) {
    key = s;
    return true;
  }
  for (const fs::path& part : p) {
    if (part == "..") return false;
  }
  key = p.lexically_normal().string();
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return true;
}

std::string& MemoryFileSystem::Bytes(Node& n) {
  if (n.bytes.use_count() > 1) n.bytes = std::make_shared<std::string>(*n.bytes);
  return *n.bytes;
}

MemoryFileSystem::Where MemoryFileSystem::Look(const std::string& key) const {
  if (folders_.count(key)) return Where::Folder;
  if (files_.count(key)) return Where::File;
  // The nearest entry on the way decides: the folder of the name, so the
  // name is free; a folder further up, so a folder is missing; a file, so
  // the way is blocked.
  bool parent = true;
  for (std::string up = key;; parent = false) {
    const size_t slash = up.rfind('/');
    if (slash == std::string::npos) return Where::NoFolder;
    up.resize(slash == 0 ? 1 : slash);
    if (folders_.count(up)) return parent ? Where::Missing : Where::NoFolder;
    if (files_.count(up)) return Where::FileOnTheWay;
    if (slash == 0) return Where::NoFolder;
  }
}

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::NewNode(unsigned mode) {
  auto n = std::make_shared<Node>(Node{std::make_shared<std::string>(), mode, next_inode_++, 0});
  Touch(*n);
  return n;
}

void MemoryFileSystem::MakeFolders(const fs::path& p) {
  std::lock_guard lock(mutex_);
  std::string key;
  if (!Key(p, key)) return;
  for (size_t at = 0; at != std::string::npos;) {
    at = key.find('/', at + 1);
    const std::string part = key.substr(0, at);
    if (!part.empty()) folders_.insert(part);
  }
}

MemoryFileSystem::Image MemoryFileSystem::Save() const {
  std::lock_guard lock(mutex_);
  Image image;
  image.folders = folders_;
  for (const auto& [key, node] : files_) {
    image.files.emplace_hint(image.files.end(), key, File{node->bytes, node->mode});
  }
  return image;
}

void MemoryFileSystem::Load(const Image& image) {
  std::lock_guard lock(mutex_);
  folders_ = image.folders;
  files_.clear();
  for (const auto& [key, file] : image.files) {
    std::shared_ptr<Node> n = NewNode(file.mode);
    // Shared until written: Bytes() copies them first.
    n->bytes = std::const_pointer_cast<std::string>(file.content);
    files_.emplace_hint(files_.end(), key, std::move(n));
  }
}

const std::string* MemoryFileSystem::Peek(const fs::path& p) const {
  std::lock_guard lock(mutex_);
  std::string key;
  if (!Key(p, key)) return nullptr;
  auto it = files_.find(key);
  return it == files_.end() ? nullptr : it->second->bytes.get();
}

size_t MemoryFileSystem::open_handles() const {
  std::lock_guard lock(mutex_);
  return handles_.size();
}

int MemoryFileSystem::Find(const fs::path& p, std::shared_ptr<Node>& out,
                           std::string* key_out) const {
  std::string key;
  if (!Key(p, key)) return EINVAL;
  if (key_out) *key_out = key;
  switch (Look(key)) {
    case Where::File:
      out = files_.at(key);
      return 0;
    case Where::Folder:
      return EISDIR;
    case Where::FileOnTheWay:  // no folder there: missing, as on disk
    case Where::Missing:
    case Where::NoFolder:
      break;
  }
  return ENOENT;
}

int MemoryFileSystem::Writable(const std::string& key, std::shared_ptr<Node>& out) const {
  out = nullptr;
  switch (Look(key)) {
    case Where::Folder:
      return EISDIR;
    case Where::File:
      out = files_.at(key);
      // The data directory's rule: a file without write permission for its
      // owner is read-only, whoever writes it.
      return out->mode & S_IWUSR ? 0 : EACCES;
    case Where::FileOnTheWay:  // no folder there: missing, as on disk
    case Where::NoFolder:
      return ENOENT;
    case Where::Missing:
      break;
  }
  return 0;
}

MemoryFileSystem::Handle* MemoryFileSystem::HandleOf(int handle) {
  auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : &it->second;
}

int MemoryFileSystem::ReadWhole(const fs::path& p, std::string& out) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Node> n;
  if (const int err = Find(p, n)) return err;
  out = *n->bytes;
  return 0;
}

int MemoryFileSystem::MapForReading(const fs::path& p, MappedFile& out) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Node> n;
  if (const int err = Find(p, n)) return err;
  if (n->bytes->empty()) {
    out.Adopt(nullptr, 0);
    return 0;
  }
  // A private copy in a mapping of its own, which MappedFile unmaps.
  const size_t size = n->bytes->size();
  void* m = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return ENOMEM;
  std::memcpy(m, n->bytes->data(), size);
  ::mprotect(m, size, PROT_READ);
  out.Adopt(static_cast<const char*>(m), size);
  return 0;
}

int MemoryFileSystem::OpenForReading(const fs::path& p, OpenedFile& out) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Node> n;
  if (const int err = Find(p, n)) return err;
  const int handle = next_handle_++;
  out = OpenedFile{handle, n->bytes->size()};
  handles_[handle] = Handle{std::move(n), 0, true, false, false};
  return 0;
}

int MemoryFileSystem::OpenForWriting(const fs::path& p, WriteMode mode, OpenedFile& out) {
  std::lock_guard lock(mutex_);
  std::string key;
  if (!Key(p, key)) return EINVAL;
  std::shared_ptr<Node> n;
  const Where where = Look(key);
  if (mode == WriteMode::Temporary && (where == Where::File || where == Where::Folder)) {
    return EEXIST;
  }
  if (const int err = Writable(key, n)) return err;
  if (!n) {
    n = NewNode(create_mode_);
    files_.emplace(key, n);
  }
  const int handle = next_handle_++;
  out = OpenedFile{handle, mode == WriteMode::Temporary ? 0 : n->bytes->size()};
  handles_[handle] =
      Handle{std::move(n), 0, mode == WriteMode::ReadWrite, true, mode == WriteMode::Append};
  return 0;
}

int MemoryFileSystem::Read(int handle, char* buf, size_t size, size_t& got) {
  std::lock_guard lock(mutex_);
  got = 0;
  Handle* h = HandleOf(handle);
  if (!h || !h->reads) return EBADF;
  const std::string& bytes = *h->node->bytes;
  if (h->at < bytes.size()) {
    got = std::min<size_t>(size, bytes.size() - h->at);
    std::memcpy(buf, bytes.data() + h->at, got);
    h->at += got;
  }
  return 0;
}

int MemoryFileSystem::Write(int handle, std::string_view bytes, size_t* written) {
  std::lock_guard lock(mutex_);
  if (written) *written = 0;
  Handle* h = HandleOf(handle);
  if (!h || !h->writes) return EBADF;
  std::string& to = Bytes(*h->node);
  if (h->appends) h->at = to.size();
  if (to.size() < h->at) to.resize(h->at, '\0');
  to.replace(h->at, std::min<size_t>(bytes.size(), to.size() - h->at), bytes);
  h->at += bytes.size();
  Touch(*h->node);
  if (written) *written = bytes.size();
  return 0;
}

int MemoryFileSystem::WriteAt(int handle, std::uint64_t offset, std::string_view bytes) {
  std::lock_guard lock(mutex_);
  Handle* h = HandleOf(handle);
  if (!h || !h->writes) return EBADF;
  std::string& to = Bytes(*h->node);
  // As pwrite on this system: a file opened for appending takes it at its end.
  if (h->appends) offset = to.size();
  if (to.size() < offset) to.resize(offset, '\0');
  to.replace(offset, std::min<size_t>(bytes.size(), to.size() - offset), bytes);
  Touch(*h->node);
  return 0;
}

int MemoryFileSystem::Truncate(int handle, std::uint64_t size) {
  std::lock_guard lock(mutex_);
  Handle* h = HandleOf(handle);
  if (!h) return EBADF;
  if (!h->writes) return EINVAL;
  Bytes(*h->node).resize(size, '\0');
  Touch(*h->node);
  return 0;
}

int MemoryFileSystem::SetMode(int handle, unsigned mode) {
  std::lock_guard lock(mutex_);
  Handle* h = HandleOf(handle);
  if (!h) return EBADF;
  h->node->mode = mode & 07777;
  Touch(*h->node);
  return 0;
}

int MemoryFileSystem::Close(int handle) {
  std::lock_guard lock(mutex_);
  return handles_.erase(handle) ? 0 : EBADF;
}

int MemoryFileSystem::Sync(int handle) {
  std::lock_guard lock(mutex_);
  return HandleOf(handle) ? 0 : EBADF;
}

int MemoryFileSystem::SyncFolder(const fs::path& p) {
  std::lock_guard lock(mutex_);
  std::string key;
  if (!Key(p, key)) return EINVAL;
  switch (Look(key)) {
    case Where::Folder:
      return 0;
    case Where::File:
    case Where::FileOnTheWay:
      return ENOTDIR;
    case Where::Missing:
    case Where::NoFolder:
      break;
  }
  return ENOENT;
}

int MemoryFileSystem::SyncFileSystem(const fs::path& p) { return SyncFolder(p); }

int MemoryFileSystem::Replace(const fs::path& from, const fs::path& to) {
  std::lock_guard lock(mutex_);
  std::string from_key, to_key;
  if (!Key(from, from_key) || !Key(to, to_key)) return EINVAL;
  std::shared_ptr<Node> former;
  if (const int err = Writable(to_key, former)) return err;
  auto it = files_.find(from_key);
  if (it == files_.end()) return folders_.count(from_key) ? EISDIR : ENOENT;
  if (from_key == to_key) return 0;
  std::shared_ptr<Node> n = std::move(it->second);
  files_.erase(it);
  Touch(*n);
  files_[to_key] = std::move(n);
  return 0;
}

int MemoryFileSystem::Delete(const fs::path& p) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Node> n;
  std::string key;
  if (const int err = Find(p, n, &key)) return err;
  if (!(n->mode & S_IWUSR)) return EACCES;
  files_.erase(key);
  return 0;
}

int MemoryFileSystem::List(const fs::path& p, std::vector<std::string>& names) {
  std::lock_guard lock(mutex_);
  std::string key;
  if (!Key(p, key)) return EINVAL;
  switch (Look(key)) {
    case Where::Folder:
      break;
    case Where::File:
    case Where::FileOnTheWay:
      return ENOTDIR;
    case Where::Missing:
    case Where::NoFolder:
      return ENOENT;
  }
  names.clear();
  const std::string prefix = key == "/" ? key : key + "/";
  // Names right inside the folder: no '/' after the prefix, no leading dot.
  auto add = [&](const std::string& k) {
    const std::string_view name = std::string_view(k).substr(prefix.size());
    if (!name.empty() && name.find('/') == std::string_view::npos && name.front() != '.') {
      names.emplace_back(name);
    }
  };
  for (auto it = folders_.lower_bound(prefix); it != folders_.end() && it->starts_with(prefix);
       ++it) {
    add(*it);
  }
  for (auto it = files_.lower_bound(prefix); it != files_.end() && it->first.starts_with(prefix);
       ++it) {
    add(it->first);
  }
  return 0;
}

int MemoryFileSystem::Stat(const fs::path& p, EntryInfo& info) {
  std::lock_guard lock(mutex_);
  info = EntryInfo{};
  std::string key;
  if (!Key(p, key)) return EINVAL;
  switch (Look(key)) {
    case Where::Folder:
      info.kind = EntryKind::Folder;
      info.mode = 0755;
      return 0;
    case Where::File: {
      const Node& n = *files_.at(key);
      info.kind = EntryKind::File;
      info.size = n.bytes->size();
      info.mode = n.mode;
      info.inode = n.inode;
      info.changed_ns = n.changed;
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace volq
