#include "platform/fs/replaced_file.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/base/ascii_case.h"
#include "platform/base/stop_request.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/file_system.h"

namespace volq {

namespace {

constexpr std::string_view kTemporarySuffix = ".partial";

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

bool IsTemporaryName(std::string_view file_name) {
  return file_name.size() > kTemporarySuffix.size() &&
         file_name.substr(file_name.size() - kTemporarySuffix.size()) == kTemporarySuffix;
}

namespace {

bool AllDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

bool IsTemporaryOf(std::string_view file_name, std::string_view name) {
  if (!IsTemporaryName(file_name) || file_name.size() <= name.size() + 1) return false;
  if (!SameIgnoringAsciiCase(file_name.substr(0, name.size()), name)) return false;
  if (file_name[name.size()] != '.') return false;
  std::string_view serial = file_name.substr(name.size() + 1);
  // "RA20180101.dat.partial" has its suffix where a serial would start.
  if (serial.size() < kTemporarySuffix.size()) return false;
  serial.remove_suffix(kTemporarySuffix.size());
  const size_t dash = serial.find('-');
  return dash != std::string_view::npos && AllDigits(serial.substr(0, dash)) &&
         AllDigits(serial.substr(dash + 1));
}

void RemoveLeftTemporaries(const std::filesystem::path& folder,
                           const std::vector<std::string>& names) {
  std::vector<std::string> listed;
  if (const int err = Files().List(folder, listed)) FailFileOp("cannot list", folder, err);
  for (const std::string& file : listed) {
    if (!IsTemporaryName(file)) continue;  // the data files, nearly all of them
    for (const std::string& name : names) {
      if (!IsTemporaryOf(file, name)) continue;
      const std::filesystem::path p = folder / file;
      if (const int err = Files().Delete(p)) FailFileOp("cannot delete", p, err);
      break;
    }
  }
}

ReplacedFile::ReplacedFile(std::filesystem::path final_path)
    : final_(std::move(final_path)), temp_(TemporaryPathOf(final_)) {
  StopAtFileBoundary();
  FileSystem& files = Files();
  EntryInfo former;
  if (const int err = files.Stat(final_, former)) FailFileOp("cannot write", final_, err);
  switch (former.kind) {
    case EntryKind::Missing:
      break;
    case EntryKind::File:
      // A read-only output stays as it is, as on the system the data
      // directory comes from; any other keeps its permission bits.
      if (!(former.mode & 0200)) FailFileOp("cannot write", final_, EACCES);
      former_mode_ = former.mode;
      break;
    case EntryKind::Symlink:
      FailFileOp("cannot write", final_, kRefusedSymlink);
    case EntryKind::Folder:
      FailFileOp("cannot write", final_, EISDIR);
    case EntryKind::Other:
      FailFileOp("cannot write", final_, kNotRegularFile);
  }
  OpenedFile f;
  if (const int err = files.OpenForWriting(temp_, WriteMode::Temporary, f)) {
    FailFileOp("cannot write", final_, err);
  }
  handle_ = f.handle;
  pending_ = true;
}

ReplacedFile::~ReplacedFile() { Abandon(); }

void ReplacedFile::Abandon() {
  if (!pending_) return;
  pending_ = false;
  if (handle_ >= 0) Files().Close(handle_);
  handle_ = -1;
  // A temporary file that cannot be deleted now is removed by the next step
  // that writes this output (RemoveLeftTemporaries).
  Files().Delete(temp_);
}

void ReplacedFile::Write(std::string_view bytes) {
  if (handle_ < 0) FailFile("write to closed", final_, 0);
  // After a failed write the new content has a gap: it is never committed.
  if (failed_ == 0) failed_ = Files().Write(handle_, bytes);
  if (failed_ != 0) FailFileOp("cannot write", final_, failed_);
}

void ReplacedFile::Finish(bool durable) {
  if (!pending_) FailFile("write to closed", final_, 0);
  if (handle_ < 0) return;
  if (failed_ != 0) {
    Abandon();
    FailFileOp("cannot write", final_, failed_);
  }
  FileSystem& files = Files();
  int err = former_mode_ != 0 ? files.SetMode(handle_, former_mode_) : 0;
  if (durable && !err) err = files.Sync(handle_);
  // Closing reports what the file system could not store after all (a full
  // disk on a network or quota file system); only then is the file complete.
  const int handle = handle_;
  handle_ = -1;
  if (const int closed = files.Close(handle); closed && !err) err = closed;
  if (err) {
    Abandon();
    FailFileOp("cannot write", final_, err);
  }
}

void ReplacedFile::Commit() {
  Finish();
  pending_ = false;
  if (const int err = Files().Replace(temp_, final_)) {
    Files().Delete(temp_);
    FailFileOp("cannot replace", final_, err);
  }
}

void ReplacedFile::PutInPlace() {
  if (!pending_ || handle_ >= 0) FailFile("put in place before finished", final_, 0);
  pending_ = false;
  if (const int err = Files().Replace(temp_, final_)) FailFileOp("cannot replace", final_, err);
}

void ReplaceWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  ReplacedFile f(path);
  f.Write(bytes);
  f.Commit();
}

}  // namespace volq
