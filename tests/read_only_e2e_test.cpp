// The programs on a data directory they cannot write, and volqfetch given a
// directory that is no data directory: each says so in one line before it
// does anything, and nothing is written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "platform/fs/record_file.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

// The user "nobody", whom permission bits stop as they stop any user but root.
constexpr uid_t kNobody = 65534;

struct Ran {
  int status = -1;
  std::string err;
};

// Runs `command` with sh in `root`; as root, in a child that is nobody, so
// that a folder without write permission is one it cannot write. nullopt
// when the child could not become nobody or reach `root` as nobody (a test
// folder under a folder closed to others).
std::optional<Ran> RunAsUser(const fs::path& root, const std::string& command) {
  const fs::path err = root / "err.txt";
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = ::open("/dev/null", O_RDWR);
    if (fd < 0 || null < 0 || dup2(fd, 2) < 0 || dup2(null, 1) < 0 || dup2(null, 0) < 0) _exit(126);
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) _exit(125);
    if (::chdir(root.c_str()) != 0) _exit(125);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(126);
  }
  int st = 0;
  if (pid < 0 || waitpid(pid, &st, 0) != pid || !WIFEXITED(st)) return Ran{};
  if (WEXITSTATUS(st) == 125) return std::nullopt;
  return Ran{WEXITSTATUS(st), ReadWholeFile(err)};
}

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(dir)) names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReadOnlyDataDir, BothProgramsSayItAtOnceAndDoNothing) {
  const fs::path root = testing::FreshTestRoot();
  DataDir(root / "data").CreateFolders(kDataDirFolders);
  fs::create_directories(root / "src/RACE");
  fs::create_directories(root / "cfg/volq");
  WriteWholeFile(root / "src/RACE/RA01.txt", "RA7" + std::string(1267, 'a') + "\r\n");
  WriteWholeFile(root / "cfg/volq/jvlink-stand-in.conf", "download_seconds=0\n");
  // Readable and enterable by nobody, the data directory itself not writable.
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    fs::permissions(e.path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
  }
  fs::permissions(root, fs::perms::all, fs::perm_options::add);
  fs::permissions(root / "data",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  if (::geteuid() != 0 && ::access((root / "data").c_str(), W_OK) == 0) {
    GTEST_SKIP() << "the file system lets the folder be written without write permission";
  }
  const std::vector<std::string> before = Entries(root / "data");
  const std::string data = (root / "data").string();
  const std::string says =
      ": cannot write the data directory " + data +
      " (Permission denied): the download and the steps write their files and the journal "
      "there, so nothing was done; make it writable (chmod u+w " +
      data + ") or choose another with --data-dir\n";
  struct Case {
    std::string program, command;
  };
  for (const Case& c : std::vector<Case>{
           {"volqfetch", "XDG_CONFIG_HOME=cfg '" VOLQFETCH_PATH
                         "' --data-dir data --source src -c 'press Command2'"},
           {"volqbuild", "'" VOLQBUILD_PATH "' --data-dir data -c 'press Command1'"},
       }) {
    SCOPED_TRACE(c.program);
    const std::optional<Ran> ran = RunAsUser(root, c.command);
    if (!ran) {
      GTEST_SKIP() << "no read-only case can be made: as root the test must run the programs as "
                      "nobody (setuid), and that failed, or nobody cannot reach "
                   << root;
    }
    EXPECT_EQ(ran->status, 1);
    EXPECT_EQ(ran->err, c.program + says);
    EXPECT_EQ(Entries(root / "data"), before);
  }
  fs::permissions(root / "data", fs::perms::owner_write, fs::perm_options::add);
  fs::remove_all(root);
}

// The record source, or a folder of a data directory, given as the data
// directory: refused with exit status 2 before anything is read or written.
TEST(ReadOnlyDataDir, VolqfetchRefusesTheSourceOrAFolderOfADataDirectory) {
  const fs::path root = testing::FreshTestRoot();
  ASSERT_TRUE(testing::DownloadSample(root, 3));
  const std::vector<std::string> before = Entries(root);
  for (const char* given : {"src", "data/UMAGOTOSETUP", "src/RACE"}) {
    SCOPED_TRACE(given);
    const int status = testing::Shell(
        testing::InRoot(root) + "XDG_CONFIG_HOME=cfg '" VOLQFETCH_PATH "' --data-dir " + given +
        " --source src -c 'press Command2' 2>err.txt >/dev/null");
    EXPECT_EQ(status, 2);
    const std::string err = ReadWholeFile(root / "err.txt");
    EXPECT_TRUE(err.starts_with("volqfetch: " + (root / given).string() + " ")) << err;
    EXPECT_NE(err.find("; nothing was written\n"), std::string::npos) << err;
    fs::remove(root / "err.txt");
    EXPECT_EQ(Entries(root), before);
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
