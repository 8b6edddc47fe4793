#include "platform/fs/record_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "platform/fs/data_dir.h"
#include "platform/fs/failure.h"

namespace volq {

int32_t RecordCountOf(std::uint64_t bytes, int record_length) {
  std::uint64_t whole = bytes / record_length;
  std::uint64_t rest2 = 2 * (bytes % record_length);
  if (rest2 > static_cast<std::uint64_t>(record_length) ||
      (rest2 == static_cast<std::uint64_t>(record_length) && whole % 2 == 1)) {
    ++whole;
  }
  if (whole > INT32_MAX) FailOverflow("record count beyond 32 bits");
  return static_cast<int32_t>(whole);
}

std::string_view RecordAt(std::string_view image, int record_length, int32_t k,
                          const std::filesystem::path& path) {
  if (k < 1 || k > RecordCountOf(image.size(), record_length)) {
    FailIndex("record " + std::to_string(k) + " of " + path.string());
  }
  return image.substr(static_cast<size_t>(k - 1) * record_length, record_length);
}

namespace {

ReadFault& Fault() {
  static ReadFault fault;
  return fault;
}

int FaultOf(const std::filesystem::path& path) { return Fault() ? Fault()(path) : 0; }

}  // namespace

void SetReadFault(ReadFault fault) { Fault() = std::move(fault); }

int ProbeInput(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(st)) return ENOENT;
  if (std::filesystem::is_directory(st)) return EISDIR;
  if (const int err = FaultOf(path)) return err;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  ::close(fd);
  return 0;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  // A folder opens for reading on some systems and reports an absurd length.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) FailFile("cannot read", path, EISDIR);
  if (const int err = FaultOf(path)) FailFile("cannot open", path, err);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) FailFile("cannot open", path, errno);
  std::string data;
  std::fseek(f, 0, SEEK_END);
  long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  if (size > 0) {
    data.resize(static_cast<size_t>(size));
    size_t got = std::fread(data.data(), 1, data.size(), f);
    data.resize(got);
  }
  const int err = std::ferror(f) ? (errno ? errno : EIO) : 0;
  std::fclose(f);
  if (err) FailFile("cannot read", path, err);
  return data;
}

// An existing file is overwritten in place and then cut to the new length.
// Truncating it to nothing first makes the file system flush it on close
// (its guard for files replaced by truncation), which costs many times the
// write itself when a step rewrites a hundred thousand small files.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) FailFile("cannot write", path, errno);
  int err = 0;
  size_t put = 0;
  while (put < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + put, bytes.size() - put);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : ENOSPC;
      break;
    }
    put += static_cast<size_t>(n);
  }
  // Also after a failed write: what was written stands alone, and no record or
  // line of the former content follows it as if it belonged to the new one.
  if (::ftruncate(fd, static_cast<off_t>(put)) != 0 && !err) err = errno;
  if (::close(fd) != 0 && !err) err = errno;
  if (err) FailFile("cannot write", path, err);
  NoteFileCreated(path);
}

void UpdateWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    WriteWholeFile(path, bytes);
    return;
  }
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) FailFile("cannot write", path, errno);
  // Compare block by block; the file is positioned after the equal part.
  char block[1 << 14];
  size_t same = 0, old_size = 0;
  bool differs = false;
  while (size_t got = std::fread(block, 1, sizeof block, f)) {
    if (!differs) {
      size_t n = 0;
      while (n < got && same < bytes.size() && block[n] == bytes[same]) ++n, ++same;
      differs = n < got;
    }
    old_size += got;
  }
  int err = std::ferror(f) ? (errno ? errno : EIO) : 0;
  if (!err && (same < bytes.size() || old_size != bytes.size())) {
    if (std::fseek(f, static_cast<long>(same), SEEK_SET) != 0 ||
        std::fwrite(bytes.data() + same, 1, bytes.size() - same, f) != bytes.size() - same) {
      err = errno ? errno : EIO;
    }
  }
  if (std::fclose(f) != 0 && !err) err = errno ? errno : EIO;
  if (!err && old_size > bytes.size()) {
    std::filesystem::resize_file(path, bytes.size(), ec);
    if (ec) err = ec.value();
  }
  if (err) FailFile("cannot write", path, err);
  NoteFileCreated(path);
}

RecordFile::RecordFile(const std::filesystem::path& path, int record_length)
    : path_(path), length_(record_length) {
  std::error_code ec;
  if (std::filesystem::exists(path_, ec)) {
    data_ = ReadWholeFile(path_);
  } else {
    std::FILE* f = std::fopen(path_.c_str(), "ab");
    if (!f) FailFile("cannot open", path_, errno);
    std::fclose(f);
    NoteFileCreated(path_);
  }
  open_ = true;
}

RecordFile::~RecordFile() {
  if (open_ && dirty_) {
    try {
      Close();
    } catch (const Failure& e) {
      ReportLateFailure(e.text());
    }
  }
}

std::string_view RecordFile::View(int32_t k) const { return RecordAt(data_, length_, k, path_); }

std::string RecordFile::Read(int32_t k) const {
  std::string rec(View(k));
  rec.resize(length_, ' ');
  return rec;
}

void RecordFile::Write(int32_t k, std::string_view rec) {
  if (!open_) FailFile("write to closed", path_, 0);
  // One past the count extends the file; behind a trailing partial record
  // counted by rounding up, the record follows that one padded with blanks,
  // as it reads.
  if (k < 1 || k > Count() + 1) {
    FailIndex("record " + std::to_string(k) + " of " + path_.string());
  }
  size_t start = static_cast<size_t>(k - 1) * length_;
  if (data_.size() < start + length_) data_.resize(start + length_, ' ');
  size_t n = rec.size() < static_cast<size_t>(length_) ? rec.size() : length_;
  data_.replace(start, n, rec.substr(0, n));
  if (n < static_cast<size_t>(length_)) data_.replace(start + n, length_ - n, length_ - n, ' ');
  dirty_ = true;
}

void RecordFile::Close() {
  if (!open_) return;
  open_ = false;
  if (dirty_) {
    dirty_ = false;
    WriteWholeFile(path_, data_);
  }
}

}  // namespace volq

namespace volq {

RecordReader::RecordReader(const std::filesystem::path& path, int record_length)
    : path_(path), length_(record_length) {
  std::error_code ec;
  if (std::filesystem::is_directory(path_, ec)) FailFile("cannot read", path_, EISDIR);
  if (const int err = FaultOf(path_)) FailFile("cannot open", path_, err);
  int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) FailFile("cannot open", path_, errno);
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    FailFile("cannot read", path_, err);
  }
  size_ = static_cast<size_t>(st.st_size);
  if (size_ > 0) {
    void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
      const int err = errno;
      ::close(fd);
      FailFile("cannot read", path_, err);
    }
    ::madvise(p, size_, MADV_WILLNEED);
    data_ = static_cast<const char*>(p);
  }
  ::close(fd);
}

RecordReader::~RecordReader() {
  if (data_) ::munmap(const_cast<char*>(data_), size_);
}

std::string_view RecordReader::View(int32_t k) const {
  return RecordAt(std::string_view(data_, size_), length_, k, path_);
}

std::string RecordReader::Read(int32_t k) const {
  std::string rec(View(k));
  rec.resize(length_, ' ');
  return rec;
}

RecordAppender::RecordAppender(const std::filesystem::path& path, int record_length)
    : file_(path), length_(record_length) {
  buf_.reserve(1 << 20);
}

void RecordAppender::Append(std::string_view rec) {
  if (!open_ || finished_) FailFile("write to closed", file_.path(), 0);
  size_t n = rec.size() < static_cast<size_t>(length_) ? rec.size() : length_;
  buf_.append(rec.substr(0, n));
  buf_.append(length_ - n, ' ');
  ++count_;
  if (buf_.size() >= (1 << 20)) Flush();
}

void RecordAppender::Flush() {
  // The buffer is spent also when the write fails: a failed file is never
  // committed, so its records need not wait for another try.
  struct Spend {
    std::string& buf;
    ~Spend() { buf.clear(); }
  } spend{buf_};
  file_.Write(buf_);
}

void RecordAppender::Finish() {
  if (!open_ || finished_) return;
  finished_ = true;
  try {
    Flush();
  } catch (const Failure&) {
    file_.Abandon();
    throw;
  }
  file_.Finish();
}

void RecordAppender::Close() {
  if (!open_) return;
  Finish();
  open_ = false;
  file_.Commit();
}

}  // namespace volq
