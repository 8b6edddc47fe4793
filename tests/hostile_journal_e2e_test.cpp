// A journal that no run of these programs wrote, found by the next press of
// either program in a downloaded data directory: one whose renames reach
// the folder beside it, and entries in place of the journal that are no
// file. Each is refused with a failure line that says what to do; no file
// moves, in the data directory or beside it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "e2e_support.h"
#include "platform/fs/plain_files_for_tests.h"
#include "platform/fs/run_journal.h"

namespace volq {
namespace {

namespace fs = std::filesystem;
using testing::InRoot;
using testing::Shell;

class HostileJournalEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::FreshTestRoot();
    ASSERT_TRUE(testing::DownloadSample(root_, 3));
    fs::create_directories(root_ / "OUT");
    WritePlainFile(root_ / "OUT/a", "mine\n");
    WritePlainFile(root_ / "OUT/b", "victim\n");
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs a program's press on the data directory (its stderr into err.txt),
  // stopped after a minute should it wait on anything.
  int Press(const std::string& program, const std::string& button) {
    const std::string source = program == VOLQFETCH_PATH ? "--source src " : "";
    return Shell(InRoot(root_) + "XDG_CONFIG_HOME=cfg timeout 60 '" + program +
                 "' --data-dir data " + source + "-c 'press " + button + "' >/dev/null 2>err.txt");
  }
  std::string Err() const { return ReadPlainFile(root_ / "err.txt"); }

  // Every file under the test's root but the report, with its bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root_)) {
      if (!e.is_regular_file() || e.path().filename() == "err.txt") continue;
      files[e.path().lexically_relative(root_).string()] = ReadPlainFile(e.path());
    }
    return files;
  }

  fs::path root_;
};

// The shell example: a journal whose download renames OUT/a over OUT/b.
TEST_F(HostileJournalEndToEnd, ARenameBesideTheDataDirectoryIsRefusedByBothPrograms) {
  const std::string out = (root_ / "OUT").string();
  const std::string journal =
      "volq-journal 1\nrun volqfetch\nat 2026-01-01 00:00:00\nname "
      "download\nrename " +
      out + "/a " + out + "/b\nend\n";
  const std::string damaged = "the journal .volq-journal is damaged: it asks for '" + out +
                              "/a' to be renamed to '" + out +
                              "/b', which no run of these programs does; nothing was renamed; "
                              "the raw files were left as they were; look into the journal";
  WritePlainFile(root_ / "data" / kJournalName, journal);
  const std::map<std::string, std::string> before = Files();
  for (const auto& [program, button, heading] :
       {std::tuple{VOLQBUILD_PATH, "Command1", "failure: step stopped: "},
        std::tuple{VOLQFETCH_PATH, "Command2", "failure: download not done: "}}) {
    SCOPED_TRACE(program);
    EXPECT_EQ(Press(program, button), 1) << Err();
    EXPECT_NE(Err().find(heading + damaged), std::string::npos) << Err();
    EXPECT_EQ(Err().find("completed now"), std::string::npos) << Err();
    EXPECT_EQ(ReadPlainFile(root_ / "OUT/b"), "victim\n");
    EXPECT_EQ(Files(), before);
  }
}

// A folder, a FIFO or a symlink in place of the journal: named with what to
// do, the FIFO never waited on, nothing changed; once it is removed, the
// press runs.
TEST_F(HostileJournalEndToEnd, AJournalThatIsNoFileSaysWhatToDo) {
  const fs::path at = root_ / "data" / kJournalName;
  // As the program names it: from the working directory it was started in.
  const std::string full = (fs::canonical(root_ / "data") / kJournalName).string();
  const struct {
    const char* name;
    std::string said;
  } cases[] = {
      {"folder",
       "the journal .volq-journal is a folder, which no run of these programs makes: "
       "nothing was changed; remove the folder " +
           full + " (look into it first) and press again"},
      {"fifo",
       "the journal .volq-journal is no regular file (a FIFO, a socket or a device), "
       "which is never read: nothing was changed; remove " +
           full + " and press again"},
      {"symlink",
       "the journal .volq-journal is a symlink, which is never followed: nothing was "
       "changed; remove the symlink " +
           full + " (not what it points to) and press again"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string kind = c.name;
    if (kind == "folder") fs::create_directory(at);
    if (kind == "fifo") {
      ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0);
    }
    if (kind == "symlink") fs::create_symlink(root_ / "OUT/a", at);
    const std::map<std::string, std::string> before = Files();
    EXPECT_EQ(Press(VOLQBUILD_PATH, "Command1"), 1) << Err();
    EXPECT_NE(Err().find("failure: step stopped: " + c.said), std::string::npos) << Err();
    EXPECT_EQ(Files(), before);
    fs::remove(at);
  }
  EXPECT_EQ(Press(VOLQBUILD_PATH, "Command1"), 0) << Err();
}

}  // namespace
}  // namespace volq
