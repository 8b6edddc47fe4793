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

std::string_view RecordAt(std::string_view image, int record_length, int32_t k,
                          const std::filesystem::path& path) {
  if (k < 1 || k > RecordCountOf(image.size(), record_length)) {
    FailIndex("record " + std::to_string(k) + " of " + path.string());
  }
  return image.substr(static_cast<size_t>(k - 1) * record_length, record_length);
}

namespace {

// "cannot read" for what the file holds (a folder of its name, an I/O
// error), "cannot open" for the way to it (missing, refused).
[[noreturn]] void FailRead(const std::filesystem::path& path, int err) {
  FailFileOp(err == EISDIR || err == EIO ? "cannot read" : "cannot open", path, err);
}

}  // namespace

int ProbeInput(const std::filesystem::path& path) {
  OpenedFile f;
  int err = Files().OpenForReading(path, f);
  if (err == 0) err = Files().Close(f.handle);
  return err;
}

int ReadInput(const std::filesystem::path& path, std::string& out) {
  return Files().ReadWhole(path, out);
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::string data;
  if (const int err = Files().ReadWhole(path, data)) FailRead(path, err);
  return data;
}

// An existing file is overwritten in place and then cut to the new length.
// Truncating it to nothing first makes the file system flush it on close
// (its guard for files replaced by truncation), which costs many times the
// write itself when a step rewrites a hundred thousand small files.
// A file that another name links to is replaced instead, so that the other
// name keeps its bytes.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  StopAtFileBoundary();
  FileSystem& files = Files();
  OpenedFile f;
  if (const int err = files.OpenForWriting(path, WriteMode::InPlace, f)) {
    if (err == kLinkedFile) return ReplaceWholeFile(path, bytes);
    FailFileOp("cannot write", path, err);
  }
  size_t put = 0;
  int err = files.Write(f.handle, bytes, &put);
  // Also after a failed write: what was written stands alone, and no record or
  // line of the former content follows it as if it belonged to the new one.
  if (put < f.size) {
    if (const int cut = files.Truncate(f.handle, put); cut && !err) err = cut;
  }
  if (const int closed = files.Close(f.handle); closed && !err) err = closed;
  if (err) FailFileOp("cannot write", path, err);
}

void UpdateWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  StopAtFileBoundary();
  FileSystem& files = Files();
  OpenedFile f;
  if (const int err = files.OpenForWriting(path, WriteMode::ReadWrite, f)) {
    if (err == kLinkedFile) return ReplaceWholeFile(path, bytes);
    FailFileOp("cannot write", path, err);
  }
  // The former content whole (per-entity files are small), compared with the
  // new one; the file is written from the first byte that differs.
  std::string old(static_cast<size_t>(f.size), '\0');
  size_t got = 0;
  int err = 0;
  while (got < old.size()) {
    size_t n = 0;
    if ((err = files.Read(f.handle, old.data() + got, old.size() - got, n)) != 0 || n == 0) break;
    got += n;
  }
  old.resize(got);
  if (!err) {
    size_t same = 0;
    while (same < old.size() && same < bytes.size() && old[same] == bytes[same]) ++same;
    if (same < bytes.size()) err = files.WriteAt(f.handle, same, bytes.substr(same));
    if (!err && old.size() > bytes.size()) err = files.Truncate(f.handle, bytes.size());
  }
  if (const int closed = files.Close(f.handle); closed && !err) err = closed;
  if (err) FailFileOp("cannot write", path, err);
}

RecordFile::RecordFile(const std::filesystem::path& path, int record_length)
    : path_(path), length_(record_length) {
  StopAtFileBoundary();
  FileSystem& files = Files();
  int err = files.ReadWhole(path_, data_);
  if (err == ENOENT) {
    // A per-entity output that is not there yet comes into being empty.
    OpenedFile f;
    err = files.OpenForWriting(path_, WriteMode::InPlace, f);
    if (err == 0) err = files.Close(f.handle);
    if (err) FailFileOp("cannot open", path_, err);
  } else if (err) {
    FailRead(path_, err);
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
  if (const int err = Files().MapForReading(path_, map_)) FailRead(path_, err);
}

std::string_view RecordReader::View(int32_t k) const {
  return RecordAt(bytes(), length_, k, path_);
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
