// Two programs on one data directory: the second waits for the first, says
// so on standard error, and the outputs are those of the two run one after
// the other.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e_support.h"
#include "platform/fs/data_dir_lock.h"

namespace volq {
namespace {

namespace fs = std::filesystem;
using testing::InRoot;
using testing::Shell;

class LockEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::FreshTestRoot();
    fs::create_directories(root_ / "cfg/volq");
    WriteWholeFile(root_ / "cfg/volq/jvlink-stand-in.conf", "download_seconds=0.1\n");
    ASSERT_EQ(
        Shell(InRoot(root_) + "'" VOLQGEN_PATH "' --out src --seed 3 --scale small >/dev/null"), 0);
    DataDir(root_ / "data").CreateFolders(kDataDirFolders);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Command(const std::string& program, const std::string& script) const {
    return "exec '" + program + "' --data-dir data " +
           (program == VOLQFETCH_PATH ? "--source src " : "") + "-c '" + script + "'";
  }
  int Run(const std::string& program, const std::string& script) {
    return Shell(InRoot(root_) + "XDG_CONFIG_HOME=cfg " + Command(program, script) +
                 " >/dev/null 2>/dev/null");
  }
  pid_t Start(const std::string& program, const std::string& script, const std::string& err) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::chdir(root_.c_str());
      ::setenv("XDG_CONFIG_HOME", "cfg", 1);
      ::freopen("/dev/null", "w", stdout);
      ::freopen(err.c_str(), "w", stderr);
      ::execl("/bin/sh", "sh", "-c", Command(program, script).c_str(), nullptr);
      ::_exit(127);
    }
    return pid;
  }
  static int Wait(pid_t pid) {
    int st = 0;
    ::waitpid(pid, &st, 0);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  // The text of a file another process may be making or removing now.
  static std::string Text(const std::string& file) {
    std::string text;
    return Files().ReadWhole(file, text) == 0 ? text : std::string();
  }
  // The holder's note written whole (it is made, then written).
  bool NoteThere() const { return Text((root_ / "data" / kLockNoteName).string()).ends_with("\n"); }

  // Every file of the data directory with its bytes, the lock's note aside.
  std::map<std::string, std::string> DataFiles() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root_ / "data")) {
      if (!e.is_regular_file() || e.path().filename() == kLockNoteName) continue;
      files[e.path().lexically_relative(root_ / "data").string()] = ReadWholeFile(e.path());
    }
    return files;
  }
  void Restore(const fs::path& saved) {
    fs::remove_all(root_ / "data");
    fs::copy(saved, root_ / "data", fs::copy_options::recursive);
  }

  // Runs p1 and, while it holds the lock (stopped there), starts p2; once
  // p2 says it waits, p1 goes on. Both must exit 0; waited_ is what p2 said.
  void RunOverlapped(const std::string& p1, const std::string& s1, const std::string& p2,
                     const std::string& s2) {
    const std::string err1 = (root_ / "err1.txt").string(), err2 = (root_ / "err2.txt").string();
    for (int attempt = 0; attempt < 20; ++attempt) {
      const pid_t first = Start(p1, s1, err1);
      // Stopped while its note is there, it holds the lock.
      bool holding = false;
      for (int i = 0; i < 20000 && !holding; ++i) {
        if (NoteThere()) {
          ::kill(first, SIGSTOP);
          holding = NoteThere();
          if (!holding) ::kill(first, SIGCONT);
        }
        if (!holding) ::usleep(500);
        if (::waitpid(first, nullptr, WNOHANG) == first) break;
      }
      if (!holding) continue;  // it ended before it could be caught: again
      const pid_t second = Start(p2, s2, err2);
      std::string said;
      for (int i = 0; i < 20000; ++i) {
        said = Text(err2);
        if (said.find("waiting until it is free") != std::string::npos) break;
        ::usleep(500);
      }
      ::kill(first, SIGCONT);
      EXPECT_EQ(Wait(first), 0) << Text(err1);
      EXPECT_EQ(Wait(second), 0) << Text(err2);
      waited_ = Text(err2);
      return;
    }
    ADD_FAILURE() << "the first program was never caught holding the lock";
  }

  fs::path root_;
  std::string waited_;
};

TEST_F(LockEndToEnd, ABuildStepStartedDuringADownloadWaitsForIt) {
  // Without the download's raw file the step would stop for a missing input.
  ASSERT_EQ(Run(VOLQFETCH_PATH, "press Command2"), 0);
  ASSERT_EQ(Run(VOLQBUILD_PATH, "press Command1"), 0);
  const std::map<std::string, std::string> one_after_the_other = DataFiles();
  fs::remove_all(root_ / "data");
  DataDir(root_ / "data").CreateFolders(kDataDirFolders);

  RunOverlapped(VOLQFETCH_PATH, "press Command2", VOLQBUILD_PATH, "press Command1");
  EXPECT_NE(waited_.find("volqbuild: data directory data is in use by volqfetch (pid "),
            std::string::npos)
      << waited_;
  EXPECT_TRUE(DataFiles() == one_after_the_other);
}

TEST_F(LockEndToEnd, TwoBuildStepsAtOnceRunOneAfterTheOther) {
  ASSERT_EQ(Run(VOLQFETCH_PATH, "press Command2"), 0);
  ASSERT_EQ(Run(VOLQBUILD_PATH, "press Command1; press Command2; press Command3"), 0);
  fs::copy(root_ / "data", root_ / "before", fs::copy_options::recursive);
  // The per-horse files rewritten twice over: interleaved, some would hold
  // the entries of both runs.
  ASSERT_EQ(Run(VOLQBUILD_PATH, "press Command6"), 0);
  ASSERT_EQ(Run(VOLQBUILD_PATH, "press Command6"), 0);
  const std::map<std::string, std::string> one_after_the_other = DataFiles();
  Restore(root_ / "before");

  RunOverlapped(VOLQBUILD_PATH, "press Command6", VOLQBUILD_PATH, "press Command6");
  EXPECT_NE(waited_.find("volqbuild: data directory data is in use by volqbuild (pid "),
            std::string::npos)
      << waited_;
  EXPECT_TRUE(DataFiles() == one_after_the_other);
}

}  // namespace
}  // namespace volq
