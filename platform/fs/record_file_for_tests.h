#pragma once
// A record file read and written at random, for tests that build or change
// a file record by record. No step uses it: steps take their files through
// the readers and writers of record_file.h. Header only: no program links it.
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/base/failure.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/file_system.h"
#include "platform/fs/record_file.h"

namespace volq {

class RecordFile {
 public:
  // Reads the file whole; a missing file is created empty. One that cannot
  // be opened or created raises a file Failure.
  RecordFile(const std::filesystem::path& path, int record_length)
      : path_(path), length_(record_length) {
    FileSystem& files = Files();
    int err = files.ReadWhole(path_, data_);
    if (err == ENOENT) {
      OpenedFile f;
      err = files.OpenForWriting(path_, WriteMode::InPlace, f);
      if (err == 0) err = files.Close(f.handle);
      if (err) FailFileOp("cannot open", path_, err);
    } else if (err) {
      FailRead(path_, err);
    }
  }
  // Writes the file back when it changed and was not closed.
  ~RecordFile() {
    if (!open_ || !dirty_) return;
    try {
      Close();
    } catch (const Failure& e) {
      ReportLateFailure(e.text());
    }
  }
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  int32_t Count() const { return RecordCountOf(data_.size(), length_); }
  // View of record k inside the file; shorter than the record length only
  // for a trailing partial record. Outside the count an index Failure.
  std::string_view View(int32_t k) const {
    if (k < 1 || k > Count()) FailIndex("record " + std::to_string(k) + " of " + path_.string());
    return std::string_view(data_).substr(static_cast<size_t>(k - 1) * length_, length_);
  }
  // Record k padded with blanks to the record length.
  std::string Read(int32_t k) const {
    std::string rec(View(k));
    rec.resize(length_, ' ');
    return rec;
  }
  // Writes record k; k may be one past the count (the file grows, a
  // trailing partial record before it blank-padded, as it reads). rec is
  // cut or blank-padded to the record length.
  void Write(int32_t k, std::string_view rec) {
    if (!open_) FailFile("write to closed", path_, 0);
    if (k < 1 || k > Count() + 1)
      FailIndex("record " + std::to_string(k) + " of " + path_.string());
    const size_t start = static_cast<size_t>(k - 1) * length_;
    if (data_.size() < start + length_) data_.resize(start + length_, ' ');
    const size_t n = rec.size() < static_cast<size_t>(length_) ? rec.size() : length_;
    data_.replace(start, n, rec.substr(0, n));
    if (n < static_cast<size_t>(length_)) data_.replace(start + n, length_ - n, length_ - n, ' ');
    dirty_ = true;
  }
  // Writes the file back (WriteWholeFile) when it changed.
  void Close() {
    if (!open_) return;
    open_ = false;
    if (dirty_) {
      dirty_ = false;
      WriteWholeFile(path_, data_);
    }
  }

 private:
  std::filesystem::path path_;
  int length_;
  std::string data_;
  bool dirty_ = false;
  bool open_ = true;
};

}  // namespace volq
