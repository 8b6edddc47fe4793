#include "platform/fs/record_file.h"

#include <cerrno>

#include "platform/base/stop_request.h"
#include "platform/fs/file_failure.h"

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

void FailRead(const std::filesystem::path& path, int err) {
  FailFileOp(err == EISDIR || err == EIO ? "cannot read" : "cannot open", path, err);
}

RecordImage::RecordImage(const std::filesystem::path& path, int record_length)
    : path_(path), length_(record_length), data_(ReadWholeFile(path)) {
  count_ = RecordCountOf(data_.size(), length_);
  if (count_ == 0) return;
  const size_t last = static_cast<size_t>(count_ - 1) * length_;
  if (data_.size() - last < static_cast<size_t>(length_)) {
    padded_last_.assign(data_, last).resize(static_cast<size_t>(length_), ' ');
  }
}

std::string_view RecordImage::View(int32_t k) const {
  if (k < 1 || k > count_) FailIndex("record " + std::to_string(k) + " of " + path_.string());
  if (k == count_ && !padded_last_.empty()) return padded_last_;
  return std::string_view(data_).substr(static_cast<size_t>(k - 1) * length_, length_);
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::string data;
  if (const int err = Files().ReadWhole(path, data)) FailRead(path, err);
  return data;
}

namespace {

// An existing file is overwritten in place and then cut to the new length.
// Truncating it to nothing first makes the file system flush it on close
// (its guard for files replaced by truncation), which costs many times the
// write itself when a step rewrites a hundred thousand small files.
int WriteAll(FileSystem& files, const OpenedFile& f, std::string_view bytes) {
  size_t put = 0;
  int err = files.Write(f.handle, bytes, &put);
  // Also after a failed write: what was written stands alone, and no record or
  // line of the former content follows it as if it belonged to the new one.
  if (put < f.size) {
    if (const int cut = files.Truncate(f.handle, put); cut && !err) err = cut;
  }
  return err;
}

// The former content whole (per-entity files are small), compared with the
// new one; the file is written from the first byte that differs.
int WriteChange(FileSystem& files, const OpenedFile& f, std::string_view bytes) {
  std::string old(static_cast<size_t>(f.size), '\0');
  size_t got = 0;
  int err = 0;
  while (got < old.size()) {
    size_t n = 0;
    if ((err = files.Read(f.handle, old.data() + got, old.size() - got, n)) != 0 || n == 0) break;
    got += n;
  }
  old.resize(got);
  if (err) return err;
  size_t same = 0;
  while (same < old.size() && same < bytes.size() && old[same] == bytes[same]) ++same;
  if (same < bytes.size()) err = files.WriteAt(f.handle, same, bytes.substr(same));
  if (!err && old.size() > bytes.size()) err = files.Truncate(f.handle, bytes.size());
  return err;
}

}  // namespace

// A file that another name links to is replaced instead, so that the other
// name keeps its bytes.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes, Rewrite how) {
  StopAtFileBoundary();
  FileSystem& files = Files();
  OpenedFile f;
  const WriteMode mode = how == Rewrite::Whole ? WriteMode::InPlace : WriteMode::ReadWrite;
  if (const int err = files.OpenForWriting(path, mode, f)) {
    if (err == kLinkedFile) return ReplaceWholeFile(path, bytes);
    FailFileOp("cannot write", path, err);
  }
  int err = how == Rewrite::Whole ? WriteAll(files, f, bytes) : WriteChange(files, f, bytes);
  if (const int closed = files.Close(f.handle); closed && !err) err = closed;
  if (err) FailFileOp("cannot write", path, err);
}

RecordAppender::RecordAppender(const std::filesystem::path& path, int record_length)
    : file_(path), length_(record_length), flush_at_(Files().WriteBufferSize()) {
  buf_.reserve(flush_at_);
}

void RecordAppender::Append(std::string_view rec) {
  if (!open_ || finished_) FailFile("write to closed", file_.path(), 0);
  size_t n = rec.size() < static_cast<size_t>(length_) ? rec.size() : length_;
  buf_.append(rec.substr(0, n));
  buf_.append(length_ - n, ' ');
  ++count_;
  if (buf_.size() >= flush_at_) Flush();
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

void RecordAppender::Finish(bool durable) {
  if (!open_ || finished_) return;
  finished_ = true;
  try {
    Flush();
  } catch (const Failure&) {
    file_.Abandon();
    throw;
  }
  file_.Finish(durable);
}

void RecordAppender::PutInPlace() {
  open_ = false;
  file_.PutInPlace();
}

void RecordAppender::Close() {
  if (!open_) return;
  Finish();
  open_ = false;
  file_.Commit();
}

}  // namespace volq
