// Runs cut short for real: a program killed or interrupted at a chosen
// system call (strace delivers the signal there), then the next program
// finds the data directory's journal. A download killed among its renames
// is completed by the next press of either program; a step killed or
// interrupted stays named, and the steps that read its outputs refuse to
// run until it is pressed again, which gives the clean run's bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e_support.h"
#include "platform/fs/run_journal.h"

namespace volq {
namespace {

namespace fs = std::filesystem;
using testing::InRoot;
using testing::Shell;

class InterruptionEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v strace >/dev/null") != 0) GTEST_SKIP() << "strace is not installed";
    root_ = testing::FreshTestRoot();
    ASSERT_TRUE(testing::DownloadSample(root_, 3));
    ASSERT_EQ(
        Shell(InRoot(root_) + "'" VOLQGEN_PATH "' --out src4 --seed 4 --scale small >/dev/null"),
        0);
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs a program on the data directory `data` (its stderr into err.txt);
  // `trace` puts it under strace with those options.
  int Run(const std::string& program, const std::string& script, const std::string& trace = "",
          const std::string& data = "data") {
    // LeakSanitizer cannot work under ptrace: in the sanitizer build a traced
    // program's leak check would end it with its own error.
    const std::string traced =
        trace.empty() ? ""
                      : "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" "
                        "strace -f -o /dev/null " +
                            trace + " ";
    const std::string source = program == VOLQFETCH_PATH ? "--source src4 " : "";
    return Shell(InRoot(root_) + "XDG_CONFIG_HOME=cfg " + traced + "'" + program + "' --data-dir " +
                 data + " " + source + "-c '" + script + "' >/dev/null 2>err.txt");
  }
  std::string Err() const { return ReadWholeFile(root_ / "err.txt"); }

  // The files of a data directory with their bytes, hidden ones aside.
  std::map<std::string, std::string> Files(const std::string& data = "data") const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root_ / data)) {
      if (!e.is_regular_file() || e.path().filename().string().starts_with(".")) continue;
      files[e.path().lexically_relative(root_ / data).string()] = ReadWholeFile(e.path());
    }
    return files;
  }
  bool JournalThere() const { return fs::exists(root_ / "data" / kJournalName); }

  fs::path root_;
};

// Killed at its k-th rename: the first is the journal's own, the next ten
// are the raw files'.
TEST_F(InterruptionEndToEnd, ADownloadKilledAmongItsRenamesIsCompletedByTheNextPress) {
  const std::map<std::string, std::string> former = Files();
  fs::copy(root_ / "data", root_ / "clean", fs::copy_options::recursive);
  ASSERT_EQ(Run(VOLQFETCH_PATH, "press Command2", "", "clean"), 0);
  const std::map<std::string, std::string> downloaded = Files("clean");
  ASSERT_NE(downloaded, former);

  struct Case {
    int kill_at;   // which rename is killed
    bool journal;  // the journal was in place when it died
  };
  for (const Case c : {Case{1, false}, Case{3, true}, Case{11, true}}) {
    SCOPED_TRACE("killed at rename " + std::to_string(c.kill_at));
    fs::remove_all(root_ / "data");
    fs::copy(root_ / "clean", root_ / "data", fs::copy_options::recursive);
    for (const auto& [name, bytes] : former) WriteWholeFile(root_ / "data" / name, bytes);
    ASSERT_EQ(Files(), former);

    EXPECT_NE(Run(VOLQFETCH_PATH, "press Command2",
                  "-e trace=renameat,renameat2 -e inject=renameat,renameat2:signal=KILL:when=" +
                      std::to_string(c.kill_at)),
              0);
    EXPECT_EQ(JournalThere(), c.journal);
    EXPECT_EQ(Run(VOLQBUILD_PATH, "press Command1"), 0) << Err();
    const std::string completed =
        "was interrupted while it put its raw files in place: completed now";
    EXPECT_EQ(Err().find(completed) != std::string::npos, c.journal) << Err();
    EXPECT_FALSE(JournalThere());
    // The raw files are all of one download: the new one once the journal
    // listed its renames, else the former one.
    std::map<std::string, std::string> raw = Files(), expected = c.journal ? downloaded : former;
    // (A temporary of the killed download stays until the next download.)
    for (auto* files : {&raw, &expected}) {
      std::erase_if(*files, [](const auto& f) {
        return f.first.find("NEW") != std::string::npos || f.first.ends_with(".partial");
      });
    }
    EXPECT_TRUE(raw == expected);
  }
}

// Command3 writes two files per horse; the process's 400th openat falls
// among them.
TEST_F(InterruptionEndToEnd, AStepCutShortIsNamedUntilPressedAgain) {
  // Former outputs of the whole chain, then a new download under them.
  ASSERT_EQ(Run(VOLQBUILD_PATH, "press Command2; press Command3; press Command6"), 0) << Err();
  ASSERT_EQ(Run(VOLQFETCH_PATH, "press Command2"), 0) << Err();
  ASSERT_EQ(Run(VOLQBUILD_PATH, "press Command2"), 0) << Err();
  fs::copy(root_ / "data", root_ / "clean", fs::copy_options::recursive);
  ASSERT_EQ(Run(VOLQBUILD_PATH, "press Command3; press Command6", "", "clean"), 0) << Err();
  const std::map<std::string, std::string> clean = Files("clean");
  fs::copy(root_ / "data", root_ / "former", fs::copy_options::recursive);

  struct Case {
    const char* signal;
    int status;  // as the shell tells it: 128 + the signal that killed it
  };
  for (const Case c : {Case{"KILL", 137}, Case{"INT", 130}}) {
    SCOPED_TRACE(std::string("SIG") + c.signal);
    fs::remove_all(root_ / "data");
    fs::copy(root_ / "former", root_ / "data", fs::copy_options::recursive);
    EXPECT_EQ(Run(VOLQBUILD_PATH, "press Command3; press Command6",
                  std::string("-e trace=openat -e inject=openat:signal=") + c.signal + ":when=400"),
              c.status);
    if (c.status == 130) {
      EXPECT_NE(
          Err().find("Command3 interrupted: its outputs are incomplete; press Command3 again"),
          std::string::npos)
          << Err();
    }
    ASSERT_TRUE(JournalThere());
    const std::map<std::string, std::string> cut = Files();
    ASSERT_NE(cut, clean);

    // A step that reads Command3's outputs refuses and changes nothing.
    EXPECT_EQ(Run(VOLQBUILD_PATH, "press Command6"), 1);
    EXPECT_NE(Err().find("Command3 (UM(競走馬)) was interrupted at "), std::string::npos) << Err();
    EXPECT_NE(Err().find("its outputs may be incomplete; press Command3 again"), std::string::npos);
    EXPECT_TRUE(Files() == cut);
    // One that reads none of them runs.
    EXPECT_EQ(Run(VOLQBUILD_PATH, "press Command1"), 0) << Err();

    // Pressed again, Command3 mends what it left, and the chain goes on.
    EXPECT_EQ(Run(VOLQBUILD_PATH, "press Command3; press Command6"), 0) << Err();
    EXPECT_FALSE(JournalThere());
    std::map<std::string, std::string> now = Files();
    now.erase("RA20180101NEW.dat");
    EXPECT_TRUE(now == clean);
  }
}

// A signal the program was started with ignored does not stop a step:
// SIGHUP under nohup, SIGINT in a background job of a script (the shell
// ignores it there), delivered among Command3's files. The step completes.
TEST_F(InterruptionEndToEnd, ASignalIgnoredAtTheStartDoesNotStopAStep) {
  const struct {
    const char* signal;
    const char* start;  // what starts the program, under strace
  } cases[] = {
      {"HUP", "nohup"},
      {"INT", "sh -c \"\\\"\\$0\\\" \\\"\\$@\\\" & wait \\$!\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    EXPECT_EQ(Run(VOLQBUILD_PATH, "press Command3",
                  std::string("-e trace=openat -e inject=openat:signal=") + c.signal +
                      ":when=400 " + c.start),
              0)
        << Err();
    EXPECT_EQ(Err(), "");
    EXPECT_FALSE(JournalThere());
  }
}

// A script ends where a step stopped and names what it did not run: a full
// disk met among Command3's files (openat fails with ENOSPC there), and a
// SIGTERM that lands in Command3's end sync (the syncfs of its folders):
// Command3 completes then, and the program says so before it ends.
TEST_F(InterruptionEndToEnd, AScriptEndsWhereAStepStoppedAndNamesWhatItDidNotRun) {
  const struct {
    const char* trace;
    int status;
    const char* said;
    bool journal;  // Command3 stays named
  } cases[] = {
      {"-e trace=openat -e inject=openat:error=ENOSPC:when=400", 1,
       "failure: script stopped: press Command3 stopped on a file-system failure; not run: press "
       "Command6; press Command1 (once the file system is mended, run press Command3 and these "
       "again)\n",
       true},
      {"-e trace=syncfs -e inject=syncfs:signal=TERM:when=1", 143,
       "failure: script stopped: press Command3 completed, then SIGTERM ended the program; not "
       "run: press Command6; press Command1 (run these again)\n",
       false},
  };
  ASSERT_EQ(Run(VOLQBUILD_PATH, "press Command2"), 0) << Err();
  fs::copy(root_ / "data", root_ / "former", fs::copy_options::recursive);
  const auto ra_new = [this](const char* data) {
    const fs::path p = root_ / data / "RA20180101NEW.dat";
    return fs::exists(p) ? ReadWholeFile(p) : "(none)";
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.trace);
    fs::remove_all(root_ / "data");
    fs::copy(root_ / "former", root_ / "data", fs::copy_options::recursive);
    EXPECT_EQ(Run(VOLQBUILD_PATH, "press Command3; press Command6; press Command1", c.trace),
              c.status);
    EXPECT_TRUE(Err().ends_with(c.said)) << Err();
    EXPECT_EQ(JournalThere(), c.journal);
    // Command1 did not run: RA20180101NEW.dat is as it was.
    EXPECT_EQ(ra_new("data"), ra_new("former"));
  }
}

}  // namespace
}  // namespace volq
