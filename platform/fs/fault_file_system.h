#pragma once
// A file system for tests: it passes every call to another one, counts the
// calls, and fails chosen ones, so that a test can fail each operation of a
// whole pipeline in turn (install it with ScopedFileSystem), or fail the
// operations of chosen files (FailWhere). The ways to fail:
//   FailAt(k, err)   call k alone fails with err (a refused file, an I/O
//                    error, a disk full for one call);
//   FullFrom(k)      the disk is full from call k on: every call that takes
//                    space (a write of some bytes, an open that creates a
//                    file, a rename) fails with ENOSPC until Reset;
//   CrashFrom(k)     the process dies at call k: k and every later call fail
//                    at once and reach no file, as after a kill, until Reset.
// A failed call does nothing, except that a failed Close still releases its
// handle (a closed handle changes no file), and that the write that meets a
// full disk stores the first half of its bytes, as a disk that fills in the
// middle of a write does.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/fs/file_system.h"

namespace volq {

class FaultFileSystem : public FileSystem {
 public:
  explicit FaultFileSystem(FileSystem& inner = ProductionFiles()) : inner_(inner) {}

  // Fails call k (1-based, counted over every call since construction or
  // the last Reset) with errno err; k = 0 fails none.
  void FailAt(std::int64_t k, int err);
  // Fails every call that takes space from call k on with ENOSPC.
  void FullFrom(std::int64_t k);
  // Fails call k and every later one with errno err, doing nothing.
  void CrashFrom(std::int64_t k, int err = EIO);
  // Also fails every call for which `rule` gives an errno (0: let it go
  // through). It is called with the operation and its file as
  // failed_operation() names them ("write", "/path/OPTION1N/KYOSOBA.dat").
  using Rule = std::function<int(std::string_view op, const std::string& path)>;
  void FailWhere(Rule rule);
  // Starts counting again from 0 and fails none (the trace stays as it is).
  void Reset();
  std::int64_t operations() const;
  std::int64_t faults() const;
  // The call failed first since the last Reset, as "write
  // /path/OPTION1N/KYOSOBA.dat" (the path a handle was opened with for calls
  // on handles); empty when none was.
  std::string failed_operation() const;

  // A call as the trace keeps it.
  struct Call {
    std::string op, subject;  // as failed_operation() names them
    bool takes_space;         // would fail on a full disk
  };
  // Keeps every call from now on (true) or no longer (false); Trace(true)
  // empties the trace first.
  void Trace(bool on);
  const std::vector<Call>& trace() const { return trace_; }

  // The write buffer size of the file system it passes calls to.
  size_t WriteBufferSize() const override { return inner_.WriteBufferSize(); }

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
  // Counts one call; its errno when it is to fail, else 0. `fills` tells
  // that it fails as the write that meets a full disk.
  int Count(const char* op, const std::string& subject, bool takes_space = false,
            bool* fills = nullptr);
  int CountOnHandle(const char* op, int handle, bool takes_space = false, bool* fills = nullptr);
  void Opened(int err, const OpenedFile& f, const std::filesystem::path& p);

  FileSystem& inner_;
  mutable std::mutex mutex_;
  std::int64_t count_ = 0;
  std::int64_t fail_at_ = 0;
  int fail_errno_ = 0;
  std::int64_t full_from_ = 0;
  std::int64_t crash_from_ = 0;
  int crash_errno_ = 0;
  bool tracing_ = false;
  std::vector<Call> trace_;
  Rule rule_;
  std::int64_t faults_ = 0;
  std::string failed_;
  std::unordered_map<int, std::string> handle_paths_;
};

}  // namespace volq
