#include "platform/fs/fault_file_system.h"

namespace volq {

namespace fs = std::filesystem;

void FaultFileSystem::FailAt(std::int64_t k, int err) {
  std::lock_guard lock(mutex_);
  fail_at_ = k;
  fail_errno_ = err;
}

void FaultFileSystem::FullFrom(std::int64_t k) {
  std::lock_guard lock(mutex_);
  full_from_ = k;
}

void FaultFileSystem::CrashFrom(std::int64_t k, int err) {
  std::lock_guard lock(mutex_);
  crash_from_ = k;
  crash_errno_ = err;
}

void FaultFileSystem::Trace(bool on) {
  std::lock_guard lock(mutex_);
  if (on) trace_.clear();
  tracing_ = on;
}

void FaultFileSystem::FailWhere(Rule rule) {
  std::lock_guard lock(mutex_);
  rule_ = std::move(rule);
}

void FaultFileSystem::Reset() {
  std::lock_guard lock(mutex_);
  count_ = fail_at_ = full_from_ = crash_from_ = faults_ = 0;
  fail_errno_ = crash_errno_ = 0;
  rule_ = nullptr;
  failed_.clear();
}

std::int64_t FaultFileSystem::operations() const {
  std::lock_guard lock(mutex_);
  return count_;
}

std::int64_t FaultFileSystem::faults() const {
  std::lock_guard lock(mutex_);
  return faults_;
}

std::string FaultFileSystem::failed_operation() const {
  std::lock_guard lock(mutex_);
  return failed_;
}

int FaultFileSystem::Count(const char* op, const std::string& subject, bool takes_space,
                           bool* fills) {
  std::lock_guard lock(mutex_);
  ++count_;
  if (tracing_) trace_.push_back(Call{op, subject, takes_space});
  const bool full = full_from_ > 0 && count_ >= full_from_ && takes_space;
  const int err = crash_from_ > 0 && count_ >= crash_from_ ? crash_errno_
                  : count_ == fail_at_                     ? fail_errno_
                  : full                                   ? ENOSPC
                  : rule_                                  ? rule_(op, subject)
                                                           : 0;
  if (err == 0) return 0;
  // Only the first write to meet the full disk stores some of its bytes.
  if (fills) *fills = full && err == ENOSPC && faults_ == 0;
  if (faults_++ == 0) failed_ = std::string(op) + " " + subject;
  return err;
}

int FaultFileSystem::CountOnHandle(const char* op, int handle, bool takes_space, bool* fills) {
  std::string subject;
  {
    std::lock_guard lock(mutex_);
    auto it = handle_paths_.find(handle);
    subject = it != handle_paths_.end() ? it->second : "handle " + std::to_string(handle);
  }
  return Count(op, subject, takes_space, fills);
}

void FaultFileSystem::Opened(int err, const OpenedFile& f, const fs::path& p) {
  if (err != 0) return;
  std::lock_guard lock(mutex_);
  handle_paths_[f.handle] = p.string();
}

int FaultFileSystem::ReadWhole(const fs::path& p, std::string& out) {
  if (const int err = Count("read whole", p.string())) return err;
  return inner_.ReadWhole(p, out);
}

int FaultFileSystem::MapForReading(const fs::path& p, MappedFile& out) {
  if (const int err = Count("map", p.string())) return err;
  return inner_.MapForReading(p, out);
}

int FaultFileSystem::OpenForReading(const fs::path& p, OpenedFile& out) {
  if (const int err = Count("open for reading", p.string())) return err;
  const int err = inner_.OpenForReading(p, out);
  Opened(err, out, p);
  return err;
}

int FaultFileSystem::OpenForWriting(const fs::path& p, WriteMode mode, OpenedFile& out) {
  // It takes space when it creates the file.
  EntryInfo info;
  const bool creates = mode == WriteMode::Temporary ||
                       (inner_.Stat(p, info) == 0 && info.kind == EntryKind::Missing);
  if (const int err = Count("open for writing", p.string(), creates)) return err;
  const int err = inner_.OpenForWriting(p, mode, out);
  Opened(err, out, p);
  return err;
}

int FaultFileSystem::Read(int handle, char* buf, size_t size, size_t& got) {
  got = 0;
  if (const int err = CountOnHandle("read", handle)) return err;
  return inner_.Read(handle, buf, size, got);
}

int FaultFileSystem::Write(int handle, std::string_view bytes, size_t* written) {
  if (written) *written = 0;
  bool fills = false;
  if (const int err = CountOnHandle("write", handle, !bytes.empty(), &fills)) {
    if (fills) inner_.Write(handle, bytes.substr(0, bytes.size() / 2), written);
    return err;
  }
  return inner_.Write(handle, bytes, written);
}

int FaultFileSystem::WriteAt(int handle, std::uint64_t offset, std::string_view bytes) {
  bool fills = false;
  if (const int err = CountOnHandle("write", handle, !bytes.empty(), &fills)) {
    if (fills) inner_.WriteAt(handle, offset, bytes.substr(0, bytes.size() / 2));
    return err;
  }
  return inner_.WriteAt(handle, offset, bytes);
}

int FaultFileSystem::Truncate(int handle, std::uint64_t size) {
  if (const int err = CountOnHandle("truncate", handle)) return err;
  return inner_.Truncate(handle, size);
}

int FaultFileSystem::SetMode(int handle, unsigned mode) {
  if (const int err = CountOnHandle("set mode", handle)) return err;
  return inner_.SetMode(handle, mode);
}

int FaultFileSystem::Close(int handle) {
  const int fault = CountOnHandle("close", handle);
  {
    std::lock_guard lock(mutex_);
    handle_paths_.erase(handle);
  }
  // Released whatever is reported: a failed close leaks no handle.
  const int err = inner_.Close(handle);
  return fault ? fault : err;
}

int FaultFileSystem::Sync(int handle) {
  if (const int err = CountOnHandle("sync", handle)) return err;
  return inner_.Sync(handle);
}

int FaultFileSystem::SyncFolder(const fs::path& p) {
  if (const int err = Count("sync folder", p.string())) return err;
  return inner_.SyncFolder(p);
}

int FaultFileSystem::SyncFileSystem(const fs::path& p) {
  if (const int err = Count("sync file system", p.string())) return err;
  return inner_.SyncFileSystem(p);
}

int FaultFileSystem::Replace(const fs::path& from, const fs::path& to) {
  if (const int err = Count("replace", to.string(), true)) return err;
  return inner_.Replace(from, to);
}

int FaultFileSystem::Delete(const fs::path& p) {
  if (const int err = Count("delete", p.string())) return err;
  return inner_.Delete(p);
}

int FaultFileSystem::List(const fs::path& p, std::vector<std::string>& names) {
  if (const int err = Count("list", p.string())) return err;
  return inner_.List(p, names);
}

int FaultFileSystem::Stat(const fs::path& p, EntryInfo& info) {
  if (const int err = Count("stat", p.string())) return err;
  return inner_.Stat(p, info);
}

}  // namespace volq
