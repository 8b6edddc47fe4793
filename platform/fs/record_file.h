#pragma once
// Record files: fixed-length records back to back, numbered from 1, no
// header. One way to use a file for each intent; a step takes its files
// through these (in a step, through the openers of build/step/step_inputs.h,
// which report a missing file in the step's words):
//
// - A raw or NEW file, or a large derived file, read in place:
//   FramedRecords (record_frames.h), mapped, by frames when typed. Missing:
//   a file Failure (a step's OpenNewRecords reports it and gives nullptr).
//   Short: typed, a record out of frame is passed over and told (damage());
//   untyped, the partial last record is padded with blanks.
// - A small derived or per-entity file read whole: RecordImage. Missing: a
//   file Failure (a step's OpenEntityRecords reports it and gives nullptr).
//   Short: the partial last record padded with blanks.
// - The bytes of a file: ReadWholeFile, or the seam's ReadWhole for an
//   errno. Missing: a file Failure, ENOENT. Short: as they are.
// - An appender, written record after record: RecordAppender. Missing:
//   created; the former file is replaced on Close. Records are cut or
//   padded to the length.
// - An in-place updater: WriteWholeFile (Rewrite::Whole or
//   FromFirstChange). Missing: created. The file is cut to the new bytes.
//
// A file that is only read is never created. A text list has its own reader
// and writer (text_list.h).
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/fs/file_system.h"
#include "platform/fs/replaced_file.h"

namespace volq {

// Record count of a file of `bytes` bytes: bytes / length rounded to the
// nearest whole number, a half to the even neighbour (2.5 -> 2, 2.6 -> 3).
int32_t RecordCountOf(std::uint64_t bytes, int record_length);

// A small record file read whole and only read: a derived or per-entity
// file. A missing or unreadable file raises a file Failure (it is never
// created). A trailing partial record (a count rounded up) reads padded with
// blanks, so that each view is a whole record; only that record is copied.
class RecordImage {
 public:
  RecordImage(const std::filesystem::path& path, int record_length);
  int32_t Count() const { return count_; }
  // Record k (1-based); outside 1..Count() an index Failure.
  std::string_view View(int32_t k) const;
  // The whole file as read.
  const std::string& bytes() const { return data_; }

 private:
  std::filesystem::path path_;
  int length_;
  std::string data_;
  int32_t count_;
  std::string padded_last_;
};

// The whole content of a file; a missing or unreadable one raises a file
// Failure (FailRead).
std::string ReadWholeFile(const std::filesystem::path& path);
// Raises the Failure of a failed read of a file: "cannot read" for what it
// holds (a folder of its name, an I/O error), "cannot open" for the way to
// it (missing, refused).
[[noreturn]] void FailRead(const std::filesystem::path& path, int err);

// How an in-place update writes the file.
enum class Rewrite {
  // Every byte written, then what is left of a longer former file cut.
  Whole,
  // Only from the first byte that differs, the rest cut (nothing at all
  // when the file already holds the bytes): rewriting thousands of small
  // files whole costs many times more on file systems that secure the
  // blocks of a file cut to 0 bytes before its new ones.
  FromFirstChange,
};

// Leaves the file holding exactly `bytes`, written in place (created when
// missing) as `how` says. One that another name links to is replaced
// instead (ReplaceWholeFile), so the other name keeps its bytes. Failure on
// error.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes,
                    Rewrite how = Rewrite::Whole);

// A record file written from its first record on, record after record,
// through one buffer: the raw files of a download, the NEW files, tallies
// and item files. It replaces the former file whole on Close; until then,
// and when it is destroyed without Close or a write failed, the former file
// stays as it was.
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
