#include "platform/fs/data_dir.h"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/fs/ascii_case.h"
#include "platform/fs/failure.h"
#include "platform/fs/replaced_file.h"

namespace volq {

namespace fs = std::filesystem;

namespace {

// The data directories that exist now, told of every file created; a mutex
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

DataDir::DataDir(fs::path root) : root_(std::move(root)) {
  Register(this);
}

DataDir::DataDir(const DataDir& other) : root_(other.root_), case_cache_(other.case_cache_) {
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
      case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
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
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  std::string key = dir.string();
  auto it = case_cache_.find(key);
  if (it == case_cache_.end()) {
    std::unordered_map<std::string, std::string> names;
    for (fs::directory_iterator d(dir, ec), end; !ec && d != end; d.increment(ec)) {
      std::string n = d->path().filename().string();
      // A replacement in progress, or one a killed run left, names no file.
      if (IsTemporaryName(n)) continue;
      names.emplace(AsciiLower(n), n);
    }
    it = case_cache_.emplace(key, std::move(names)).first;
  }
  // An entry stays known after its file is deleted: a step that deletes an
  // output and writes it again at the path it resolved must find it again.
  auto hit = it->second.find(AsciiLower(name));
  if (hit != it->second.end()) {
    fs::path p = dir / hit->second;
    if (fs::exists(p, ec)) return p;
  }
  return exact;
}

fs::path DataDir::Path(std::string_view relative) {
  fs::path cur = root_;
  std::string part;
  auto flush = [&] {
    if (!part.empty()) cur = Resolve(cur, part);
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
    throw Failure(Failure::Kind::File,
                  "refused file name " + quoted + " in " + std::string(folder),
                  "refused file name in " + std::string(folder), quoted);
  }
  fs::path dir = Path(folder);
  return Resolve(dir, std::string(id) + std::string(suffix));
}

bool DataDir::Exists(std::string_view relative) {
  std::error_code ec;
  return fs::exists(Path(relative), ec);
}

void DataDir::Delete(std::string_view relative) { DeletePath(Path(relative)); }

void DataDir::DeletePath(const fs::path& p) {
  std::error_code ec;
  // Deleting removes files only: an empty folder of the same name stays.
  if (fs::is_directory(p, ec)) FailFile("cannot delete", p, EISDIR);
  if (!fs::remove(p, ec) || ec) FailFile("cannot delete", p, ec ? ec.value() : ENOENT);
}

void DataDir::NoteCreated(const std::string& folder, const std::string& name) {
  auto it = case_cache_.find(folder);
  if (it != case_cache_.end()) it->second.try_emplace(AsciiLower(name), name);
}

std::string ShownPath(const fs::path& p) {
  const fs::path file = p.lexically_normal();
  std::lock_guard<std::mutex> lock(Live().mutex);
  for (const DataDir* d : Live().dirs) {
    const std::string r = file.lexically_relative(d->root().lexically_normal()).generic_string();
    if (r.empty() || r == "." || r.rfind("..", 0) == 0) continue;
    std::string shown = r;
    std::replace(shown.begin(), shown.end(), '/', '\\');
    return shown;
  }
  return p.string();
}

void NoteFileCreated(const fs::path& p) {
  std::lock_guard<std::mutex> lock(Live().mutex);
  if (Live().dirs.empty()) return;
  const std::string folder = p.parent_path().string();
  const std::string name = p.filename().string();
  for (DataDir* d : Live().dirs) d->NoteCreated(folder, name);
}

std::string DataDirProblem(const fs::path& root) {
  std::error_code ec;
  if (fs::is_directory(root, ec)) return "";
  const std::string shown = fs::absolute(root, ec).lexically_normal().string();
  const bool exists = fs::exists(root, ec);
  return "data directory " + shown + (exists ? " is not a folder" : " does not exist") +
         "; give the right one with --data-dir DIR (it is never created)";
}

void DataDir::CreateFolders(std::span<const std::string_view> folders) {
  fs::create_directories(root_);
  for (std::string_view f : folders) fs::create_directories(root_ / f);
}

}  // namespace volq
