#include "platform/fs/replaced_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/fs/data_dir.h"
#include "platform/fs/failure.h"

namespace volq {

namespace {

constexpr std::string_view kTemporarySuffix = ".partial";

WriteFault& Fault() {
  static WriteFault fault;
  return fault;
}

// NAME.<process>-<n>.partial beside NAME: two writers never share one, and
// no data file ends so (they all end in ".dat").
std::filesystem::path TemporaryPathOf(const std::filesystem::path& final_path) {
  static std::atomic<unsigned> serial{0};
  std::string name = final_path.filename().string();
  name += '.' + std::to_string(::getpid()) + '-' + std::to_string(serial++);
  name += kTemporarySuffix;
  return final_path.parent_path() / name;
}

}  // namespace

void SetWriteFault(WriteFault fault) { Fault() = std::move(fault); }

bool IsTemporaryName(std::string_view file_name) {
  return file_name.size() > kTemporarySuffix.size() &&
         file_name.substr(file_name.size() - kTemporarySuffix.size()) == kTemporarySuffix;
}

ReplacedFile::ReplacedFile(std::filesystem::path final_path)
    : final_(std::move(final_path)), temp_(TemporaryPathOf(final_)) {
  std::error_code ec;
  // A folder of the output's name is no file to replace.
  if (std::filesystem::is_directory(final_, ec)) FailFile("cannot write", final_, EISDIR);
  fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) FailFile("cannot write", final_, errno);
  pending_ = true;
}

ReplacedFile::~ReplacedFile() { Abandon(); }

void ReplacedFile::Abandon() {
  if (!pending_) return;
  pending_ = false;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  ::unlink(temp_.c_str());
}

void ReplacedFile::Write(std::string_view bytes) {
  if (fd_ < 0) FailFile("write to closed", final_, 0);
  // After a failed write the new content has a gap: it is never committed.
  if (failed_ == 0 && Fault()) failed_ = Fault()(final_);
  if (failed_ != 0) FailFile("cannot write", final_, failed_);
  size_t put = 0;
  while (put < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + put, bytes.size() - put);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = n < 0 ? errno : ENOSPC;
      FailFile("cannot write", final_, failed_);
    }
    put += static_cast<size_t>(n);
  }
}

void ReplacedFile::Finish() {
  if (!pending_) FailFile("write to closed", final_, 0);
  if (fd_ < 0) return;
  if (failed_ != 0) {
    Abandon();
    FailFile("cannot write", final_, failed_);
  }
  // Closing reports what the file system could not store after all (a full
  // disk on a network or quota file system); only then is the file complete.
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    int err = errno;
    Abandon();
    FailFile("cannot write", final_, err);
  }
}

void ReplacedFile::Commit() {
  Finish();
  pending_ = false;
  if (std::rename(temp_.c_str(), final_.c_str()) != 0) {
    int err = errno;
    ::unlink(temp_.c_str());
    FailFile("cannot replace", final_, err);
  }
  NoteFileCreated(final_);
}

void ReplaceWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  ReplacedFile f(path);
  f.Write(bytes);
  f.Commit();
}

}  // namespace volq
