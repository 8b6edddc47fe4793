// The whole pipeline on a generated sample: every step ends, and running all
// build steps a second time leaves every file of the data directory as the
// first run left it; the files of the per-entity folders are not even
// written again (their inode and times stay), so tools that go by a file's
// time (make, rsync, backups) see no change. Each step that writes
// per-entity files, pressed again alone, leaves them so too.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/data_dir_catalogue.h"
#include "platform/fs/record_file.h"
#include "tests/e2e_support.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

using testing::Shell;

// A file as a rerun may leave it: its bytes, and what a write, a cut or a
// rename would have changed.
struct FileState {
  std::string bytes;
  ino_t inode = 0;
  long long modified_ns = 0, changed_ns = 0;
};

long long Nanoseconds(const timespec& t) { return t.tv_sec * 1000000000LL + t.tv_nsec; }

std::map<std::string, FileState> Snapshot(const fs::path& dir) {
  std::map<std::string, FileState> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    struct stat st;
    EXPECT_EQ(::stat(e.path().c_str(), &st), 0) << e.path();
    files[fs::relative(e.path(), dir).generic_string()] = {
        ReadWholeFile(e.path()), st.st_ino, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
  }
  return files;
}

// A file inside a per-entity folder: any folder but OPTION1N.
bool PerEntity(const std::string& rel) {
  const size_t slash = rel.find('/');
  return slash != std::string::npos && rel.compare(0, slash, "OPTION1N") != 0;
}

// "N: first, second, ..." for the names of a kind of change, at most five.
std::string Named(const std::vector<std::string>& names) {
  std::string text = std::to_string(names.size()) + ":";
  for (size_t i = 0; i < names.size() && i < 5; ++i) text += " " + names[i];
  return text + (names.size() > 5 ? " ..." : "");
}

// The same files with the same bytes; those of the per-entity folders also
// with the same inode and times. The number of per-entity files compared.
size_t ExpectUnchanged(const std::map<std::string, FileState>& before,
                       const std::map<std::string, FileState>& after, const std::string& run) {
  size_t entity_files = 0;
  std::vector<std::string> gone, changed, replaced, touched;
  for (const auto& [name, was] : before) {
    auto it = after.find(name);
    if (it == after.end()) {
      gone.push_back(name);
      continue;
    }
    const FileState& now = it->second;
    if (now.bytes != was.bytes) changed.push_back(name);
    if (!PerEntity(name)) continue;
    ++entity_files;
    if (now.inode != was.inode) {
      replaced.push_back(name);
    } else if (now.modified_ns != was.modified_ns || now.changed_ns != was.changed_ns) {
      touched.push_back(name);
    }
  }
  EXPECT_EQ(after.size(), before.size()) << "files before and after " << run;
  EXPECT_TRUE(gone.empty()) << "files gone after " << run << " " << Named(gone);
  EXPECT_TRUE(changed.empty()) << "files changed by " << run << " " << Named(changed);
  EXPECT_TRUE(replaced.empty()) << "per-entity files replaced by " << run << " " << Named(replaced);
  EXPECT_TRUE(touched.empty()) << "per-entity files written again (new times) by " << run << " "
                               << Named(touched);
  return entity_files;
}

std::string BuildRun(const fs::path& root, const std::string& script) {
  return testing::InRoot(root) + "'" VOLQBUILD_PATH "' --data-dir data -c '" + script +
         "' >out.txt 2>err.txt";
}

TEST(Pipeline, EveryStepRunsAndARerunChangesNoFile) {
  const fs::path root = fs::temp_directory_path() / "volq_pipeline";
  ASSERT_TRUE(testing::DownloadSample(root, 5));
  const std::string run = BuildRun(root, testing::PipelineScript());
  // The category window reports the models that only come from outside, so
  // the run says it skipped something (status 1); anything else is a fault.
  ASSERT_LE(Shell(run), 1) << ReadWholeFile(root / "err.txt");
  const std::string out = ReadWholeFile(root / "out.txt");
  for (const char* end : {"RA 終わり", "SE 終わり", "UM 終わり", "HN 終わり", "SK父 終わり",
                          "SE/KS 終わり", "芝終わり", "ダート終わり", "障害終わり"}) {
    EXPECT_NE(out.find(end), std::string::npos) << end << " missing from\n" << out;
  }
  EXPECT_EQ(ReadWholeFile(root / "err.txt").find("step stopped"), std::string::npos);
  const auto first = Snapshot(root / "data");
  EXPECT_GT(first.count("SIBAITEM201801N2024.dat"), 0u);

  ASSERT_LE(Shell(run), 1) << ReadWholeFile(root / "err.txt");
  EXPECT_GT(ExpectUnchanged(first, Snapshot(root / "data"), "the rerun"), 1000u);
  fs::remove_all(root);
}

// Each step that writes per-entity files, after the whole pipeline ran once,
// pressed again alone: no file of any per-entity folder is written again,
// and every file of the data directory keeps its bytes.
TEST(Pipeline, AStepPressedAgainLeavesEveryPerEntityFileAsItIs) {
  const struct {
    const char* control;
    const char* press;
    std::vector<std::string> folders;  // the per-entity folders it writes
  } steps[] = {
      {"Command3", "press Command3", {"KYOSOBA", "KYOSOBAN"}},
      {"Command4", "press Command4", {"HAHA", "HAHAN"}},
      {"Command5", "press Command5", {"SHUBOBA", "SHUBOBAN"}},
      {"Command11", "press Command11", {"HAHAHAN"}},
      {"Command6", "press Command6", {"UMAGOTOSETUP"}},
      {"Command15", "press Command15", {"KISHUGOTOSETUP"}},
      {"Command8", "press Command8", {"KISHUFUKUSHO"}},
      {"Command1", "press Command9; window 2; press 計算", {"UMAGOTOEXSETUP"}},
  };
  // Every button whose step writes a per-entity folder is in the table.
  for (const BuildButton& b : BuildButtons()) {
    std::set<std::string> folders;
    for (std::string_view w : b.writes) {
      if (w.back() == '/') folders.emplace(w.substr(0, w.size() - 1));
    }
    if (folders.empty()) continue;
    bool found = false;
    for (const auto& s : steps) {
      if (s.control == b.control &&
          std::set<std::string>(s.folders.begin(), s.folders.end()) == folders) {
        found = true;
      }
    }
    EXPECT_TRUE(found) << ButtonShown(b) << " writes per-entity folders the table lacks";
  }

  const fs::path root = fs::temp_directory_path() / "volq_pipeline_steps";
  ASSERT_TRUE(testing::DownloadSample(root, 6));
  ASSERT_LE(Shell(BuildRun(root, testing::PipelineScript())), 1) << ReadWholeFile(root / "err.txt");
  for (const auto& s : steps) {
    SCOPED_TRACE(s.press);
    const auto before = Snapshot(root / "data");
    for (const std::string& folder : s.folders) {
      EXPECT_FALSE(fs::is_empty(root / "data" / folder)) << folder << " has no file to keep";
    }
    ASSERT_EQ(Shell(BuildRun(root, s.press)), 0) << ReadWholeFile(root / "err.txt");
    ExpectUnchanged(before, Snapshot(root / "data"), s.press);
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
