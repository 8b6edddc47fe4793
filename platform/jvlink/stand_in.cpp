#include "platform/jvlink/stand_in.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/fs/file_failure.h"

namespace volq {

namespace fs = std::filesystem;

namespace {

// What stands at a path instead of a regular file, in a report.
const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "something other than a file";
}

// The record source and the settings lie outside the data directory: they
// are read and written as plain files, not through the data directory's
// file seam, whose faults and rules are the data directory's. A symlink to a
// file is followed. The open never waits (a FIFO would block it until
// something wrote to it). What stands at `path` when it is not a regular
// file goes to `not_file` ("a folder", "a FIFO", "a symlink to nothing")
// and nothing is read; without `not_file` it is a file Failure, as is a
// file that cannot be read.
std::string ReadPlainFile(const fs::path& path, std::string* not_file = nullptr) {
  const auto refuse = [&](std::string what) {
    if (!not_file) FailFile("not a regular file", path, 0);
    *not_file = std::move(what);
    return std::string();
  };
  struct stat st;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    const int err = errno;
    // A socket, or a device without its driver.
    if (err == ENXIO || err == ENODEV) return refuse("a socket or a device");
    if ((err == ENOENT || err == ELOOP) && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      return refuse("a symlink to nothing");
    }
    FailFile("cannot open", path, err);
  }
  int err = ::fstat(fd, &st) == 0 ? 0 : errno;
  if (err == 0 && !S_ISREG(st.st_mode)) {
    ::close(fd);
    return refuse(KindOf(st.st_mode));
  }
  if (err == 0 && ::fcntl(fd, F_SETFL, O_RDONLY) != 0) err = errno;
  std::string data;
  char block[1 << 16];
  while (err == 0) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) err = errno;
    if (got <= 0) break;
    data.append(block, static_cast<size_t>(got));
  }
  ::close(fd);
  if (err) FailFile("cannot read", path, err);
  return data;
}

// What stands at `folder` of the record source when it is no folder ("a
// file", "a FIFO", "a symlink to nothing"); "" for a folder (a symlink to
// one too) and for nothing at all, and when it cannot be looked at (`failed`
// says why).
std::string NotFolder(const fs::path& folder, std::error_code& failed) {
  const fs::file_status own = fs::symlink_status(folder, failed);
  if (own.type() == fs::file_type::not_found) failed.clear();
  if (failed || own.type() == fs::file_type::not_found) return "";
  std::error_code ec;
  const fs::file_status followed = fs::status(folder, ec);
  // Only a link that leads nowhere (or round in a loop) may fail to be followed.
  if (ec && ec != std::errc::no_such_file_or_directory &&
      ec != std::errc::too_many_symbolic_link_levels) {
    failed = ec;
    return "";
  }
  switch (followed.type()) {
    case fs::file_type::directory:
      return "";
    case fs::file_type::regular:
      return fs::is_symlink(own) ? "a symlink to a file" : "a file";
    case fs::file_type::fifo:
      return "a FIFO";
    case fs::file_type::socket:
      return "a socket";
    case fs::file_type::block:
    case fs::file_type::character:
      return "a device";
    default:
      // Dangling, or a loop of symlinks: it leads to no folder.
      return fs::is_symlink(own) ? "a symlink to nothing" : "something other than a folder";
  }
}

void WritePlainFile(const fs::path& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) FailFile("cannot write", path, errno);
  int err =
      std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() ? 0 : (errno ? errno : EIO);
  if (std::fclose(f) != 0 && !err) err = errno ? errno : EIO;
  if (err) FailFile("cannot write", path, err);
}

}  // namespace

std::vector<std::string> RecordSourceFoldersIn(const fs::path& dir) {
  std::vector<std::string> held;
  std::error_code ec;
  for (std::string_view f : kRecordSourceFolders) {
    if (fs::is_directory(dir / f, ec)) held.emplace_back(f);
  }
  return held;
}

StandInJVLink::StandInJVLink(fs::path settings_path) : settings_path_(std::move(settings_path)) {
  std::error_code ec;
  if (!fs::is_regular_file(settings_path_, ec)) return;
  try {
    std::string text = ReadPlainFile(settings_path_);
    for (size_t start = 0; start < text.size();) {
      size_t nl = text.find('\n', start);
      if (nl == std::string::npos) nl = text.size();
      std::string line = text.substr(start, nl - start);
      start = nl + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string key = line.substr(0, eq), value = line.substr(eq + 1);
      if (key == "source") {
        source_ = value;
      } else if (key == "download_seconds") {
        char* end = nullptr;
        double s = std::strtod(value.c_str(), &end);
        if (end != value.c_str() && std::isfinite(s) && s >= 0) download_seconds_ = s;
      }
    }
  } catch (const Failure&) {
    // Unreadable settings: the defaults hold.
  }
}

fs::path StandInJVLink::DefaultSettingsPath() {
  fs::path base;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
    base = x;
  } else if (const char* h = std::getenv("HOME"); h && *h) {
    base = fs::path(h) / ".config";
  } else {
    base = ".";
  }
  return base / "volq" / "jvlink-stand-in.conf";
}

void StandInJVLink::SaveSettings() const {
  std::error_code ec;
  fs::create_directories(settings_path_.parent_path(), ec);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", download_seconds_);
  WritePlainFile(settings_path_,
                 "source=" + source_.string() + "\ndownload_seconds=" + seconds + "\n");
}

int32_t StandInJVLink::JVInit(const std::string& software_id) {
  if (software_id.empty()) return kNoSoftwareId;
  initialised_ = true;
  done_.clear();
  deleted_.clear();
  named_.clear();
  return 0;
}

int32_t StandInJVLink::JVClose() {
  open_ = false;
  loaded_ = false;
  data_.clear();
  files_.clear();
  return 0;
}

int32_t StandInJVLink::JVSettingsDialog() {
  const std::string ask_instead = "give --source DIR, or press 設定 with volqfetch on a terminal";
  why_ = "no terminal to ask the record source directory on: " + ask_instead;
  if (!ask_) return -1;
  std::string current = source_.empty() ? "none" : source_.string();
  std::optional<std::string> answer =
      ask_("JV-Link stand-in: record source directory [" + current + "]: ");
  if (!answer) return -1;
  fs::path chosen = answer->empty() ? source_ : fs::path(*answer);
  std::error_code ec;
  if (chosen.empty()) {
    why_ = "no record source directory given, and none chosen before";
    return -1;
  }
  if (!fs::is_directory(chosen, ec)) {
    why_ = "the record source directory " + fs::absolute(chosen, ec).string() +
           (fs::exists(chosen, ec) ? " is not a directory" : " does not exist");
    return -1;
  }
  source_ = fs::absolute(chosen, ec);
  try {
    SaveSettings();
  } catch (const Failure& e) {
    why_ = std::string("the stand-in's settings could not be saved: ") + e.what();
    return -1;
  }
  return 0;
}

int32_t StandInJVLink::JVOpen(const std::string& data_spec, const std::string& from_time,
                              int32_t option, int32_t& read_count, int32_t& download_count,
                              std::string& last_file_timestamp) {
  JVClose();
  if (!initialised_) return kNotInitialised;
  // Four letters or digits at a time: a folder name that cannot leave the source.
  if (data_spec.empty() || data_spec.size() % 4 != 0 ||
      !std::all_of(data_spec.begin(), data_spec.end(),
                   [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); })) {
    return kBadDataSpec;
  }
  if (from_time.size() != 14 || !std::all_of(from_time.begin(), from_time.end(),
                                             [](char c) { return c >= '0' && c <= '9'; })) {
    return kBadFromTime;
  }
  if (option < 1 || option > 4) return kBadOption;
  if (source_.empty()) return kNoSource;
  std::error_code ec;
  if (!fs::is_directory(source_, ec)) return kSourceMissing;

  std::vector<fs::path> files;
  std::string folders;  // the folders asked for (RACE, DIFN, ...), as a report names them
  bool any_folder = false;
  for (size_t i = 0; i < data_spec.size(); i += 4) {
    folders += (i ? " " : "") + data_spec.substr(i, 4);
    fs::path folder = source_ / data_spec.substr(i, 4);
    // A folder that stands there as something else is a damaged source,
    // never one without data: its records would be missing from the raw
    // files without a word.
    std::error_code look;
    const std::string not_folder = NotFolder(folder, look);
    if (look) {
      why_ = "the folder " + fs::absolute(folder, ec).string() +
             " of the record source cannot be looked at: " + look.message();
      return kSourceUnreadable;
    }
    if (!not_folder.empty()) {
      why_ = fs::absolute(folder, ec).string() + " is " + not_folder +
             ", not a folder of the record source's files: put the folder of its files in its "
             "place, or remove it if the source has no " +
             data_spec.substr(i, 4) + " data";
      return kSourceUnreadable;
    }
    if (!fs::is_directory(folder, ec)) continue;  // a missing folder serves nothing
    any_folder = true;
    std::vector<fs::path> in_folder;
    fs::directory_iterator it(folder, ec), end;
    // Every entry is a file of the service: one that is not a regular file
    // is found damaged when it is read, so that it is named, never passed
    // over in silence.
    for (; !ec && it != end; it.increment(ec)) {
      const fs::path& p = it->path();
      if (done_.count(p) || deleted_.count(p)) continue;
      in_folder.push_back(p);
    }
    if (ec) {
      why_ = "the folder " + fs::absolute(folder).string() +
             " of the record source cannot be listed: " + ec.message();
      return kSourceUnreadable;
    }
    // Byte order of the names.
    std::sort(in_folder.begin(), in_folder.end(), [](const fs::path& a, const fs::path& b) {
      return a.filename().string() < b.filename().string();
    });
    files.insert(files.end(), in_folder.begin(), in_folder.end());
  }

  // Not one of the folders asked for: the data directory or one of the
  // source's own folders given in place of the source, not a source without data.
  if (!any_folder) {
    why_ = "the record source directory " + fs::absolute(source_, ec).string() +
           " is not a record source: none of the folders " + folders + " (docs/record-source.md)";
    return kNotRecordSource;
  }
  files_ = std::move(files);
  current_ = 0;
  open_ = true;
  cancelled_ = false;
  opened_at_ = clock_();
  read_count = static_cast<int32_t>(files_.size());
  download_count_ = download_seconds_ > 0 ? read_count : 0;
  download_count = download_count_;
  last_file_timestamp = from_time;
  return 0;
}

int32_t StandInJVLink::JVStatus() {
  if (!open_) return kNotOpen;
  if (cancelled_) return kCancelled;
  if (download_count_ == 0) return 0;
  double elapsed = std::chrono::duration<double>(clock_() - opened_at_).count();
  if (elapsed >= download_seconds_) return download_count_;
  return static_cast<int32_t>(download_count_ * (elapsed / download_seconds_));
}

void StandInJVLink::EndFile() {
  loaded_ = false;
  data_.clear();
  ++current_;
}

int32_t StandInJVLink::Damaged(const fs::path& path, const std::string& what) {
  why_ = fs::absolute(path).string() + what;
  EndFile();
  return kFileDamaged;
}

int32_t StandInJVLink::JVRead(std::string& buffer, int32_t& size, std::string& file_name) {
  if (!open_) return kNotOpen;
  if (current_ >= files_.size()) return 0;
  const fs::path& path = files_[current_];
  file_name = path.filename().string();
  named_ = path;
  if (!loaded_) {
    std::string not_file;
    try {
      data_ = ReadPlainFile(path, &not_file);
    } catch (const Failure& e) {
      why_ = e.what();
      EndFile();
      return kFileUnreadable;
    }
    if (!not_file.empty()) return Damaged(path, " is " + not_file + ", not a file of records");
    if (!data_.empty() && !data_.ends_with("\r\n")) {
      return Damaged(path, " does not end with CR LF: its last record is cut");
    }
    loaded_ = true;
    pos_ = 0;
  }
  if (pos_ < data_.size()) {
    size_t end = data_.find("\r\n", pos_) + 2;  // the file ends with CR LF
    buffer.assign(data_, pos_, end - pos_);
    pos_ = end;
    size = static_cast<int32_t>(buffer.size());
    return size;
  }
  done_.insert(path);
  EndFile();
  // Between two files the reader is told once.
  return current_ < files_.size() ? -1 : 0;
}

int32_t StandInJVLink::JVCancel() {
  cancelled_ = true;
  return 0;
}

int32_t StandInJVLink::JVFileDelete(const std::string& file_name) {
  // The record source itself is never changed: the file is only no longer
  // served. The name is the one JVRead gave, so it means the file read last;
  // a file of the same name in another folder is served on.
  if (named_.filename() == file_name) {
    deleted_.insert(named_);
    return 0;
  }
  for (const fs::path& p : files_) {
    if (p.filename() == file_name) deleted_.insert(p);
  }
  return 0;
}

std::string StandInJVLink::Explain(int32_t rc) const {
  std::error_code ec;
  switch (rc) {
    case kNoSoftwareId:
      return "JVInit was given no software identifier";
    case kBadDataSpec:
      return "the data specification is not four capital letters or digits at a time";
    case kBadFromTime:
      return "the from-time is not 14 digits";
    case kBadOption:
      return "the option is not 1 to 4";
    case kNotInitialised:
      return "JVOpen came before JVInit";
    case kCancelled:
      return "the download was cancelled";
    case kNotOpen:
      return "nothing is open";
    case kNoSource:
      return "no record source chosen: press 設定 or give --source DIR";
    case kSourceMissing:
      return "the record source directory " + fs::absolute(source_, ec).string() +
             (fs::exists(source_, ec) ? " is not a directory" : " does not exist") +
             ": give --source DIR or press 設定";
    case kSourceUnreadable:
    case kNotRecordSource:
    case kFileUnreadable:
    case kFileDamaged:
    case -1:
      return why_;
    default:
      return {};
  }
}

}  // namespace volq
