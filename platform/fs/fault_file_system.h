#pragma once
// A file system for tests: it passes every call to another one, counts the
// calls, and fails a chosen one with a chosen errno, so that a test can fail
// each operation of a whole pipeline in turn (install it with
// ScopedFileSystem), or fail the operations of chosen files (FailWhere). A
// failed call does nothing, except that a failed Close still releases its
// handle.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/fs/file_system.h"

namespace volq {

class FaultFileSystem : public FileSystem {
 public:
  explicit FaultFileSystem(FileSystem& inner = ProductionFiles()) : inner_(inner) {}

  // Fails call k (1-based, counted over every call since construction or
  // the last Reset) with errno err; k = 0 fails none.
  void FailAt(std::int64_t k, int err);
  // Also fails every call for which `rule` gives an errno (0: let it go
  // through). It is called with the operation and its file as
  // failed_operation() names them ("write", "/path/OPTION1N/KYOSOBA.dat").
  using Rule = std::function<int(std::string_view op, const std::string& path)>;
  void FailWhere(Rule rule);
  // Starts counting again from 0 and fails none.
  void Reset();
  std::int64_t operations() const;
  std::int64_t faults() const;
  // The call failed last, as "write /path/OPTION1N/KYOSOBA.dat" (the path a
  // handle was opened with for calls on handles); empty when none was.
  std::string failed_operation() const;

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

 private:
  // Counts one call; its errno when it is the one to fail, else 0.
  int Count(const char* op, const std::string& subject);
  int CountOnHandle(const char* op, int handle);
  void Opened(int err, const OpenedFile& f, const std::filesystem::path& p);

  FileSystem& inner_;
  mutable std::mutex mutex_;
  std::int64_t count_ = 0;
  std::int64_t fail_at_ = 0;
  int fail_errno_ = 0;
  Rule rule_;
  std::int64_t faults_ = 0;
  std::string failed_;
  std::unordered_map<int, std::string> handle_paths_;
};

}  // namespace volq
