#pragma once
// Record files: fixed-length records back to back, numbered from 1, no header.
// The file is held in memory while open (read whole on open, written whole on
// Close when changed), so millions of record reads cost no system calls.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/fs/file_system.h"
#include "platform/fs/replaced_file.h"

namespace volq {

// Record count of a file of `bytes` bytes: bytes / length rounded to the
// nearest whole number, a half to the even neighbour (2.5 -> 2, 2.6 -> 3).
int32_t RecordCountOf(std::uint64_t bytes, int record_length);
// Record k (1-based) of the image of file `path`: the record length, or less
// for a trailing partial record. Outside the count an index Failure.
std::string_view RecordAt(std::string_view image, int record_length, int32_t k,
                          const std::filesystem::path& path);

class RecordFile {
 public:
  // Opens for reading and writing; a missing file is created empty: only for
  // per-entity files that the step writes. A file that cannot be opened or
  // created raises a file Failure.
  RecordFile(const std::filesystem::path& path, int record_length);
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  int32_t Count() const { return RecordCountOf(data_.size(), length_); }
  int length() const { return length_; }
  const std::filesystem::path& path() const { return path_; }

  // Record k (1-based). A record past the count raises an index Failure. The
  // trailing partial record of a count rounded up reads as its bytes padded
  // with blanks to the record length.
  std::string Read(int32_t k) const;
  // View of record k inside the file image; shorter than the record length
  // only for a trailing partial record.
  std::string_view View(int32_t k) const;
  // Writes record k; k may be one past the count (the file grows, a trailing
  // partial record before it blank-padded). rec is cut or blank-padded to the
  // record length.
  void Write(int32_t k, std::string_view rec);

  // Writes the file back when it changed; a failed write raises a file Failure.
  void Close();

  const std::string& bytes() const { return data_; }

 private:
  std::filesystem::path path_;
  int length_;
  std::string data_;
  bool dirty_ = false;
  bool open_ = false;
};

// Whether an input can be read, without reading it: 0 when it opens for
// reading, ENOENT when there is no such file, else the errno of the failed
// open (EISDIR for a folder of its name, ELOOP for a symlink, ENODEV for a
// FIFO, socket or device). Never creates the file, never waits.
int ProbeInput(const std::filesystem::path& path);

// The whole of an input into `out`: 0, ENOENT when there is no such file (or
// no such folder on the way), else the errno of the failed read.
int ReadInput(const std::filesystem::path& path, std::string& out);

// Whole-file helpers for steps that stream.
std::string ReadWholeFile(const std::filesystem::path& path);  // Failure when unreadable
// Writes the file in place (created when missing); one that another name
// links to is replaced instead (ReplaceWholeFile), so the other name keeps
// its bytes. Failure on error.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);
// Leaves the file holding exactly `bytes` like WriteWholeFile, but writes only
// from the first byte that differs and cuts what is left over (nothing at all
// when the file already holds them): rewriting thousands of small files whole
// costs many times more on file systems that secure the blocks of a file cut
// to 0 bytes before its new ones. A linked file is replaced as by
// WriteWholeFile. Failure on error.
void UpdateWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace volq

namespace volq {

// A record file read in place (mapped, not copied), for steps that only read
// a large raw file. A missing file raises a file Failure: a file that is only
// read is never created.
class RecordReader {
 public:
  RecordReader(const std::filesystem::path& path, int record_length);
  // A reader of no records, for a history that has no file.
  explicit RecordReader(int record_length) : length_(record_length) {}

  int32_t Count() const { return RecordCountOf(bytes().size(), length_); }
  // As RecordFile::View and RecordFile::Read.
  std::string_view View(int32_t k) const;
  std::string Read(int32_t k) const;
  // The whole file as mapped.
  std::string_view bytes() const { return map_.bytes(); }

 private:
  std::filesystem::path path_;
  int length_;
  MappedFile map_;
};

// A record file read whole and only read. Unlike RecordFile, a missing file
// raises a file Failure instead of being created: for a small file that a
// step only looks into.
class RecordImage {
 public:
  RecordImage(const std::filesystem::path& path, int record_length)
      : path_(path), length_(record_length), data_(ReadWholeFile(path)) {}
  int32_t Count() const { return RecordCountOf(data_.size(), length_); }
  std::string_view View(int32_t k) const { return RecordAt(data_, length_, k, path_); }

 private:
  std::filesystem::path path_;
  int length_;
  std::string data_;
};

// Records as every reader of record files sees them: a trailing partial
// record (a count rounded up) reads padded with blanks, so that each view is
// a whole record. Reader is RecordReader for large files read in place, or
// RecordFile or RecordImage for the many small per-entity files, which cost
// far less read whole than mapped and unmapped one by one. Only the padded
// last record is copied.
template <class Reader>
class PaddedRecords {
 public:
  PaddedRecords(const std::filesystem::path& path, int record_length)
      : file_(path, record_length), count_(file_.Count()) {
    if (count_ > 0 && file_.View(count_).size() < static_cast<size_t>(record_length)) {
      last_.assign(file_.View(count_)).resize(static_cast<size_t>(record_length), ' ');
    }
  }
  int32_t Count() const { return count_; }
  // Record k (1-based); outside 1..Count() an index Failure.
  std::string_view View(int32_t k) const {
    return k == count_ && !last_.empty() ? std::string_view(last_) : file_.View(k);
  }

 private:
  Reader file_;
  int32_t count_;
  std::string last_;
};

// A record file written from its first record on, record after record,
// through one buffer: the NEW files, tallies and item files. It replaces the
// former file whole on Close; until then, and when it is destroyed without
// Close or a write failed, the former file stays as it was.
class RecordAppender {
 public:
  RecordAppender(const std::filesystem::path& path, int record_length);
  RecordAppender(const RecordAppender&) = delete;
  RecordAppender& operator=(const RecordAppender&) = delete;

  // Appends one record, cut or blank-padded to the record length.
  void Append(std::string_view rec);
  int32_t Count() const { return count_; }
  // Writes what is buffered and closes the new file without putting it in
  // place yet (ReplacedFile::Finish, `durable` as there); a failed write
  // raises a file Failure.
  void Finish(bool durable = false);
  // After Finish: ReplacedFile::PutInPlace.
  void PutInPlace();
  const ReplacedFile& replacement() const { return file_; }
  // Finishes (when not done) and puts the file in place; a failed write
  // raises a file Failure.
  void Close();

 private:
  void Flush();
  ReplacedFile file_;
  int length_;
  bool open_ = true;
  bool finished_ = false;
  int32_t count_ = 0;
  size_t flush_at_;  // the file system's write buffer size
  std::string buf_;
};

}  // namespace volq
