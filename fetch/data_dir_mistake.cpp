#include "fetch/data_dir_mistake.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/data_dir_catalogue.h"
#include "platform/base/ascii_case.h"
#include "platform/jvlink/stand_in.h"

namespace volq {

namespace fs = std::filesystem;

namespace {

constexpr const char* kGiveBoth =
    ": give the data directory with --data-dir and the record source with --source; nothing "
    "was written";

// The folder of the data directory that `name` is ("" when none); names of
// the data directory match without regard to ASCII case.
std::string_view DataDirFolderNamed(std::string_view name) {
  for (std::string_view f : kDataDirFolders) {
    if (SameIgnoringAsciiCase(f, name)) return f;
  }
  return {};
}

// Whether `dir` holds a folder of the data directory other than `but`: then
// `but` in it is that folder, not a directory of its own that happens to
// bear the name.
bool HoldsOtherDataDirFolder(const fs::path& dir, std::string_view but) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const std::string_view folder = DataDirFolderNamed(name);
    if (!folder.empty() && folder != but && it->is_directory(ec)) return true;
  }
  return false;
}

std::string Listed(const std::vector<std::string>& folders) {
  std::string text;
  for (const std::string& f : folders) text += (text.empty() ? "" : ", ") + f + "/";
  return text;
}

}  // namespace

std::string DataDirMistake(const fs::path& data_dir) {
  std::error_code ec;
  fs::path shown = fs::absolute(data_dir, ec).lexically_normal();
  if (shown.filename().empty()) shown = shown.parent_path();
  const std::vector<std::string> held = RecordSourceFoldersIn(shown);
  if (!held.empty()) {
    return shown.string() + " looks like a record source (it holds " + Listed(held) + ")" +
           kGiveBoth;
  }
  // The directory and each folder above it, as the links lead (a symlink to
  // a per-horse folder is that folder).
  fs::path real = fs::weakly_canonical(shown, ec);
  if (ec) real = shown;
  for (fs::path p = real; p.has_relative_path(); p = p.parent_path()) {
    const fs::path parent = p.parent_path();
    const std::string name = p.filename().string();
    const std::string_view folder = DataDirFolderNamed(name);
    const bool itself = p == real;
    if (!folder.empty() && HoldsOtherDataDirFolder(parent, folder)) {
      return shown.string() + (itself ? " is" : " lies inside") + " the folder " + name +
             " of the data directory " + parent.string() +
             ": give the data directory itself with --data-dir " + parent.string() +
             "; nothing was written";
    }
    const bool source_folder =
        std::find(std::begin(kRecordSourceFolders), std::end(kRecordSourceFolders), name) !=
        std::end(kRecordSourceFolders);
    if (source_folder && RecordSourceFoldersIn(parent).size() >= 2) {
      return shown.string() + (itself ? " is" : " lies inside") + " the folder " + name +
             " of the record source " + parent.string() + kGiveBoth;
    }
  }
  return "";
}

}  // namespace volq
