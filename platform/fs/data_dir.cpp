#include "platform/fs/data_dir.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/fs/file_failure.h"

namespace volq {

namespace fs = std::filesystem;

namespace {

// The data directories that exist now, by which reports name paths; a mutex
// because the sample generator writes from several threads. Never destroyed,
// so that a directory that outlives the others can still leave.
struct LiveDirs {
  std::mutex mutex;
  std::vector<DataDir*> dirs;
};
LiveDirs& Live() {
  static LiveDirs* live = new LiveDirs;
  return *live;
}

void Register(DataDir* d) {
  std::lock_guard<std::mutex> lock(Live().mutex);
  Live().dirs.push_back(d);
}

}  // namespace

DataDir::DataDir(fs::path root)
    : root_(std::move(root)),
      registered_(std::make_shared<DataDirRoot>(root_)),
      names_(std::make_shared<NameCaseScope>(root_)) {
  Register(this);
}

DataDir::DataDir(const DataDir& other)
    : root_(other.root_), registered_(other.registered_), names_(other.names_) {
  Register(this);
}

DataDir& DataDir::operator=(const DataDir& other) = default;

DataDir::~DataDir() {
  std::lock_guard<std::mutex> lock(Live().mutex);
  std::vector<DataDir*>& dirs = Live().dirs;
  dirs.erase(std::find(dirs.begin(), dirs.end(), this));
}

bool IsPlainName(std::string_view id) {
  if (id.empty() || id == "." || id == "..") return false;
  bool all_blank = true;
  for (unsigned char c : id) {
    if (c < 0x20 || c == 0x7f) return false;
    switch (c) {
      case '/':
      case '\\':
      case ':':
      case '*':
      case '?':
      case '"':
      case '<':
      case '>':
      case '|':
        return false;
      default:
        break;
    }
    if (c != ' ') all_blank = false;
  }
  return !all_blank;
}

bool IsBlankId(std::string_view id) {
  return !id.empty() && id.find_first_not_of(' ') == std::string_view::npos;
}

fs::path DataDir::Resolve(const fs::path& dir, const std::string& name) {
  fs::path exact = dir / name;
  if (EntryExists(exact)) return exact;
  // An entry of another case, when the folder holds one that is there.
  std::string on_disk;
  if (const int err = NameInAnyCase(dir, name, on_disk)) FailFileOp("cannot list", dir, err);
  if (!on_disk.empty()) {
    fs::path p = dir / on_disk;
    if (EntryExists(p)) return p;
  }
  return exact;
}

fs::path DataDir::Path(std::string_view relative) {
  // A root made after the data directory was named (tests, the demo) is
  // registered once it exists.
  if (registered_->error() != 0) registered_ = std::make_shared<DataDirRoot>(root_);
  fs::path cur = root_;
  std::string part;
  // Past a ".." part no case is looked up: the seam refuses such a name.
  bool up = false;
  auto flush = [&] {
    up = up || part == "..";
    if (!part.empty()) cur = up ? cur / part : Resolve(cur, part);
    part.clear();
  };
  for (char c : relative) {
    if (c == '\\' || c == '/') {
      flush();
    } else {
      part += c;
    }
  }
  flush();
  return cur;
}

fs::path DataDir::EntityPath(std::string_view folder, std::string_view id,
                             std::string_view suffix) {
  if (!IsPlainName(id)) {
    const std::string quoted = "'" + std::string(id) + "'";
    throw Failure(Failure::Kind::File, "refused file name " + quoted + " in " + std::string(folder),
                  "refused file name in " + std::string(folder), quoted);
  }
  fs::path dir = Path(folder);
  return Resolve(dir, std::string(id) + std::string(suffix));
}

bool EntryExists(const fs::path& p) {
  EntryInfo info;
  if (const int err = Files().Stat(p, info)) FailFileOp("cannot look up", p, err);
  return info.kind != EntryKind::Missing;
}

bool DataDir::Exists(std::string_view relative) { return EntryExists(Path(relative)); }

void DataDir::Delete(std::string_view relative) { DeletePath(Path(relative)); }

// Deleting removes files only: an empty folder of the same name stays.
void DataDir::DeletePath(const fs::path& p) {
  if (const int err = Files().Delete(p)) FailFileOp("cannot delete", p, err);
}

std::string ShownPath(const fs::path& p) {
  const fs::path file = p.lexically_normal();
  std::lock_guard<std::mutex> lock(Live().mutex);
  for (const DataDir* d : Live().dirs) {
    const std::string r = file.lexically_relative(d->root().lexically_normal()).generic_string();
    if (r.empty() || r == "." || r.rfind("..", 0) == 0) continue;
    return r;
  }
  return p.string();
}

std::string DataDirHeading(const fs::path& root) {
  std::error_code ec;
  return "in data directory " + fs::absolute(root, ec).lexically_normal().string() + ":";
}

std::string ShellWord(const std::string& word) {
  const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](unsigned char c) {
    return std::isalnum(c) || std::strchr("._-/+,:=@%", c) != nullptr;
  });
  if (plain) return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string MkdirCommand(const fs::path& root, std::span<const std::string_view> folders) {
  std::error_code ec;
  const fs::path shown = fs::absolute(root, ec).lexically_normal();
  std::string command = "mkdir -p";
  for (std::string_view f : folders) command += " " + ShellWord((shown / f).string());
  return command;
}

std::string DataDirProblem(const fs::path& root, std::span<const std::string_view> folders) {
  EntryInfo info;
  const int err = Files().Stat(root, info);
  if (err == 0 && info.kind == EntryKind::Folder) return "";
  std::error_code ec;
  const std::string shown = fs::absolute(root, ec).lexically_normal().string();
  const std::string why = err != 0 ? std::string(" cannot be looked at: ") + std::strerror(err)
                          : info.kind == EntryKind::Missing ? " does not exist"
                                                            : " is not a folder";
  std::string problem = "data directory " + shown + why +
                        "; give the right one with --data-dir DIR (it is never created)";
  if (err == 0 && info.kind == EntryKind::Missing) {
    problem += ", or make a new one with its folders: " + MkdirCommand(root, folders);
  }
  return problem;
}

std::string DataDirWriteProblem(const fs::path& root) {
  FileSystem& files = Files();
  const fs::path probe = root / kWriteCheckName;
  OpenedFile f;
  int err = files.OpenForWriting(probe, WriteMode::Temporary, f);
  if (err == EEXIST) {
    // Left by a program killed while it looked: made anew.
    err = files.Delete(probe);
    if (err == 0) err = files.OpenForWriting(probe, WriteMode::Temporary, f);
  }
  if (err == 0) {
    err = files.Close(f.handle);
    if (const int deleted = files.Delete(probe); deleted && !err) err = deleted;
  }
  if (err == 0) return "";
  std::error_code ec;
  const std::string shown = fs::absolute(root, ec).lexically_normal().string();
  std::string mend;
  switch (err) {
    case EACCES:
    case EPERM:
      mend = "make it writable (chmod u+w " + ShellWord(shown) + ")";
      break;
    case EROFS:
      mend = "mount its file system writable";
      break;
    case ENOSPC:
    case EDQUOT:
      mend = "free space on its disk";
      break;
    default:
      mend = "see to its disk";
      break;
  }
  return "cannot write the data directory " + shown + " (" + SeamErrorText(err) +
         "): the download and the steps write their files and the journal there, so nothing "
         "was done; " +
         mend + " or choose another with --data-dir";
}

void DataDir::CreateFolders(std::span<const std::string_view> folders) {
  fs::create_directories(root_);
  for (std::string_view f : folders) fs::create_directories(root_ / f);
}

}  // namespace volq
