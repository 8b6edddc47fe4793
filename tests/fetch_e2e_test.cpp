// Runs volqfetch against the service's stand-in and a small record source.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "common/records.h"
#include "e2e_support.h"
#include "platform/fs/data_dir_lock.h"
#include "platform/fs/record_file.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

std::string Rec(const std::string& type, int length, char tag) {
  return type + "7" + std::string(static_cast<size_t>(length - 5), tag) + "\r\n";
}

class FetchEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::FreshTestRoot();
    for (const char* d : {"src/TOKU", "src/RACE", "src/BLDN", "src/HOSN", "cfg/volq", "data"}) {
      fs::create_directories(root_ / d);
    }
    WriteWholeFile(root_ / "src/TOKU/TK01.txt", Rec("TK", 300, 't'));
    WriteWholeFile(root_ / "src/RACE/RA01.txt", Rec("RA", 1272, 'a') + Rec("SE", 555, 's'));
    // Cut by its last LF: the stand-in finds it damaged.
    std::string cut = Rec("RA", 1272, 'x') + Rec("SE", 555, 'y');
    cut.pop_back();
    WriteWholeFile(root_ / "src/RACE/RA02.txt", cut);
    WriteWholeFile(root_ / "src/RACE/RA03.txt", Rec("RA", 1272, 'b') + Rec("KS", 4173, 'k'));
    WriteWholeFile(root_ / "src/BLDN/UM01.txt", Rec("UM", 1609, 'u'));
    WriteWholeFile(root_ / "src/HOSN/HS01.txt", Rec("HS", 200, 'h') + Rec("HS", 200, 'i'));
    // A short simulated download, so that the progress window runs its timer.
    WriteWholeFile(root_ / "cfg/volq/jvlink-stand-in.conf", "download_seconds=0.2\n");
  }
  void TearDown() override { fs::remove_all(root_); }

  // Exit status of volqfetch run in the test's folder with `args`; `before`
  // comes before the program (a limit of the run).
  int Run(const std::string& args, const std::string& before = "") {
    std::string cmd = "cd '" + root_.string() + "' && XDG_CONFIG_HOME=cfg " + before +
                      " '" VOLQFETCH_PATH "' " + args + " >out.txt 2>err.txt </dev/null";
    int st = std::system(cmd.c_str());
    out_ = ReadWholeFile(root_ / "out.txt");
    err_ = ReadWholeFile(root_ / "err.txt");
    // The first report of a run names the data directory whole; the tests
    // compare the lines after it.
    const std::string heading =
        "failure: in data directory " + (root_ / "data").lexically_normal().string() + ":\n";
    headed_ = err_.starts_with(heading);
    if (headed_) err_.erase(0, heading.size());
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  // The raw files hold the records of every source file but RA02.txt.
  void ExpectEveryFileButRA02() {
    fs::path d = root_ / "data";
    EXPECT_EQ(ReadWholeFile(d / "RA20180101.dat"), Rec("RA", 1272, 'a') + Rec("RA", 1272, 'b'));
    EXPECT_EQ(ReadWholeFile(d / "SE20180101.dat"), Rec("SE", 555, 's'));
    EXPECT_EQ(ReadWholeFile(d / "UM20180101.dat"), Rec("UM", 1609, 'u'));
    EXPECT_EQ(ReadWholeFile(d / "KS20180101.dat"),
              StoreDelivered(JockeyLayout(), Rec("KS", 4173, 'k')));
    EXPECT_EQ(ReadWholeFile(d / "HS20180101.dat"), Rec("HS", 200, 'h') + Rec("HS", 200, 'i'));
    EXPECT_EQ(ReadWholeFile(d / "BN20180101.dat"), "");
  }
  // Every file of the data directory and its bytes.
  // The files of the data directory, without the lock's note (which a
  // killed download leaves behind, changing nothing).
  std::map<std::string, std::string> DataFiles() {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(root_ / "data")) {
      if (e.path().filename() == kLockNoteName) continue;
      files[e.path().filename().string()] = ReadWholeFile(e.path());
    }
    return files;
  }
  // volqfetch started on its own, killed with SIGKILL once `ready` holds
  // (polled every millisecond, at most 20 s); true when it was still
  // running then.
  bool KillWhen(const std::string& args, const std::function<bool()>& ready) {
    pid_t pid = ::fork();
    if (pid == 0) {
      ::chdir(root_.c_str());
      ::setenv("XDG_CONFIG_HOME", "cfg", 1);
      ::freopen("/dev/null", "w", stdout);
      ::freopen("/dev/null", "w", stderr);
      ::execl("/bin/sh", "sh", "-c", ("exec '" VOLQFETCH_PATH "' " + args).c_str(), nullptr);
      ::_exit(127);
    }
    bool running = false;
    for (int i = 0; i < 20000; ++i) {
      if (::waitpid(pid, nullptr, WNOHANG) == pid) return false;
      if (ready()) {
        running = ::kill(pid, SIGKILL) == 0;
        break;
      }
      ::usleep(1000);
    }
    int st = 0;
    ::waitpid(pid, &st, 0);
    return running && WIFSIGNALED(st) && WTERMSIG(st) == SIGKILL;
  }
  fs::path root_;
  std::string out_, err_;
  bool headed_ = false;  // the reports began with the data directory's line
};

TEST_F(FetchEndToEnd, DownloadsTheRecordSourceIntoTheDataDirectory) {
  fs::remove(root_ / "src/RACE/RA02.txt");
  ASSERT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 0) << err_;
  // What it stored, per record type, in the outcome line.
  EXPECT_EQ(out_,
            "Text1: 終了; stored per record type: RA 2, SE 1, UM 1, HN 0, KS 1, SK 0, CH 0, BR 0, "
            "BN 0, HS 2\n");
  EXPECT_EQ(err_, "");
  ExpectEveryFileButRA02();
}

// The damaged file is named, and the records of every other file are stored.
TEST_F(FetchEndToEnd, ADamagedSourceFileIsNamedInTheReport) {
  EXPECT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 1);
  EXPECT_EQ(out_,
            "Text1: 終了 (ended with failures); stored per record type: RA 2, SE 1, UM 1, HN 0, "
            "KS 1, SK 0, CH 0, BR 0, BN 0, HS 2\n");
  EXPECT_EQ(err_,
            "failure: source file RA02.txt was damaged (" + (root_ / "src/RACE/RA02.txt").string() +
                " does not end with CR LF: its last record is cut): skipped, none of its records "
                "stored\n");
  EXPECT_TRUE(fs::exists(root_ / "src/RACE/RA02.txt"));  // the source is never changed
  EXPECT_TRUE(headed_);  // run from anywhere, the user sees where the files are
  ExpectEveryFileButRA02();
}

// What stands in the record source in place of a file and is none is named
// like a damaged file, and the records of every other file are stored. A
// FIFO is not waited on: a run still going after 20 s is ended (124).
TEST_F(FetchEndToEnd, AnEntryOfTheSourceThatIsNoFileIsNamedAsDamaged) {
  const fs::path entry = root_ / "src/RACE/RA02.txt";
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { fs::create_directory(entry); }, "a folder"},
      {[&] { ASSERT_EQ(::mkfifo(entry.c_str(), 0644), 0); }, "a FIFO"},
      {[&] { fs::create_symlink(root_ / "src/RACE/gone.txt", entry); }, "a symlink to nothing"},
  };
  for (const auto& [make, kind] : cases) {
    SCOPED_TRACE(kind);
    fs::remove_all(entry);
    make();
    EXPECT_EQ(Run("--data-dir data --source src -c 'press Command2'", "timeout 20"), 1);
    EXPECT_EQ(err_, "failure: source file RA02.txt was damaged (" + entry.string() + " is " + kind +
                        ", not a file of records): skipped, none of its records stored\n");
    ExpectEveryFileButRA02();
  }
}

TEST_F(FetchEndToEnd, FailuresAndBadCommandsSetTheExitStatus) {
  // A data directory that is not there is named by its absolute path, as a
  // wrong option is refused, and not made; the command that makes one with
  // its folders is given.
  EXPECT_EQ(Run("--data-dir missing --source src -c 'press Command2'"), 2);
  EXPECT_EQ(out_, "");
  std::string mkdir = "mkdir -p";
  for (std::string_view f : kDataDirFolders) mkdir += " " + (root_ / "missing" / f).string();
  EXPECT_EQ(err_, "volqfetch: data directory " + (root_ / "missing").string() +
                      " does not exist; give the right one with --data-dir DIR (it is never "
                      "created), or make a new one with its folders: " +
                      mkdir + "\n");
  EXPECT_FALSE(fs::exists(root_ / "missing"));

  EXPECT_EQ(Run("--data-dir data -c 'press Command7'"), 1);
  EXPECT_NE(err_.find("error: no control 'Command7'"), std::string::npos) << err_;

  // No record source chosen: the stand-in's open fails and says so.
  EXPECT_EQ(Run("--data-dir data -c 'press 2018年1月1日セットアップ'"), 1);
  // A failed download's outcome line says so; there was no download before.
  EXPECT_EQ(out_, "[VolqFetch] JVOpenエラー。RC=-211\nText1: 終了 (ended with failures)\n");
  EXPECT_EQ(err_,
            "failure: download not done: JVOpen returned RC=-211 (no record source chosen: press "
            "設定 or give --source DIR); no record was read; no raw file was written\n");

  EXPECT_EQ(Run("--frob"), 2);
}

// A download after a failed one finds Text1 reading 終了 already: it still
// prints its outcome. The record source appears between the two presses
// (given on standard input, the second once the first has printed its end).
TEST_F(FetchEndToEnd, ADownloadAfterAFailedOnePrintsItsOutcome) {
  fs::rename(root_ / "src", root_ / "later");
  const std::string cmd =
      "cd '" + root_.string() +
      "' && ( echo 'press Command2'; "
      "until grep -q 'Text1: ' out.txt 2>/dev/null; do sleep 0.05; done; mv later src; "
      "echo 'press Command2' ) | XDG_CONFIG_HOME=cfg '" VOLQFETCH_PATH
      "' --data-dir data --source src >out.txt 2>err.txt";
  const int st = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 1) << st;  // the first did not complete
  EXPECT_EQ(
      ReadWholeFile(root_ / "out.txt"),
      "[VolqFetch] JVOpenエラー。RC=-212\nText1: 終了 (ended with failures)\n"
      "Command2 (2018年1月1日セットアップ): ended with failures; stored per record type: RA 2, SE "
      "1, UM 1, HN 0, KS 1, SK 0, CH 0, BR 0, BN 0, HS 2\n");  // RA02 is damaged
  ExpectEveryFileButRA02();
}

// A record split by a stray CR LF reaches the download as two records: the
// head is of no kept length and is named, the tail is of no kept type.
TEST_F(FetchEndToEnd, ARecordSplitByAStrayLineEndIsNamedAndNotStored) {
  fs::remove(root_ / "src/RACE/RA02.txt");
  std::string split = Rec("UM", 1609, 'v');
  split.replace(800, 2, "\r\n");
  WriteWholeFile(root_ / "src/BLDN/UM02.txt", split + Rec("UM", 1609, 'w'));
  EXPECT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 1);
  EXPECT_EQ(err_,
            "failure: source file UM02.txt record 1: UM, 802 bytes where UM records are 1609 bytes "
            "ending in CR LF: not stored\n");
  EXPECT_EQ(ReadWholeFile(root_ / "data/UM20180101.dat"),
            Rec("UM", 1609, 'u') + Rec("UM", 1609, 'w'));
}

// A download that does not complete leaves the previous one as it was, byte
// for byte, and no file of its own; the failure says what to do.
TEST_F(FetchEndToEnd, AnIncompleteDownloadKeepsThePreviousOne) {
  fs::remove(root_ / "src/RACE/RA02.txt");
  ASSERT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 0) << err_;
  const std::map<std::string, std::string> previous = DataFiles();
  ASSERT_EQ(previous.size(), 10u);

  EXPECT_EQ(Run("--data-dir data --source nowhere -c 'press Command2'"), 1);
  EXPECT_EQ(err_,
            "failure: download not done: JVOpen returned RC=-212 (the record source directory " +
                (root_ / "nowhere").string() +
                " does not exist: give --source DIR or press 設定); no record was read; the "
                "raw files of the previous download were kept\n");
  EXPECT_TRUE(DataFiles() == previous);

  // An unreadable source file ends the download early.
  WriteWholeFile(root_ / "src/BLDN/UM00.txt", Rec("UM", 1609, 'x'));
  fs::permissions(root_ / "src/BLDN/UM00.txt", fs::perms::none);
  if (std::FILE* f = std::fopen((root_ / "src/BLDN/UM00.txt").c_str(), "rb")) {
    std::fclose(f);  // root reads every file: nothing to show
  } else {
    EXPECT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 1);
    EXPECT_NE(err_.find("JVRead returned RC=-402 at source file UM00.txt (cannot open "),
              std::string::npos)
        << err_;
    EXPECT_TRUE(DataFiles() == previous);
  }
}

// The data directory or a folder of the source given in the source's place:
// named as no record source, and the raw files kept.
TEST_F(FetchEndToEnd, AFolderThatIsNoRecordSourceIsNamedSo) {
  fs::remove(root_ / "src/RACE/RA02.txt");
  ASSERT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 0) << err_;
  const std::map<std::string, std::string> previous = DataFiles();
  for (const char* source : {"data", "src/RACE"}) {
    SCOPED_TRACE(source);
    EXPECT_EQ(Run("--data-dir data --source " + std::string(source) + " -c 'press Command2'"), 1);
    EXPECT_EQ(out_, "[VolqFetch] JVOpenエラー。RC=-214\nText1: 終了 (ended with failures)\n");
    EXPECT_EQ(err_,
              "failure: download not done: JVOpen returned RC=-214 (the record source "
              "directory " +
                  (root_ / source).string() +
                  " is not a record source: none of the folders TOKU RACE DIFN BLDN SLOP "
                  "YSCH HOSN (docs/record-source.md)); no record was read; the raw files of "
                  "the previous download were kept\n");
    EXPECT_TRUE(DataFiles() == previous);
  }
}

// A folder of the record source (RACE, ...) that stands there as something else is a
// damaged source: the download fails naming it, reads nothing and keeps the
// previous raw files byte for byte; a FIFO is not waited on (124 after 20 s).
TEST_F(FetchEndToEnd, AFolderOfTheSourceThatIsNoFolderFailsTheDownload) {
  fs::remove(root_ / "src/RACE/RA02.txt");
  ASSERT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 0) << err_;
  const std::map<std::string, std::string> previous = DataFiles();
  const fs::path race = root_ / "src/RACE";
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { WriteWholeFile(race, Rec("RA", 1272, 'a')); }, "a file"},
      {[&] { ASSERT_EQ(::mkfifo(race.c_str(), 0644), 0); }, "a FIFO"},
      {[&] { fs::create_symlink(root_ / "gone", race); }, "a symlink to nothing"},
  };
  for (const auto& [make, kind] : cases) {
    SCOPED_TRACE(kind);
    fs::remove_all(race);
    make();
    EXPECT_EQ(Run("--data-dir data --source src -c 'press Command2'", "timeout 20"), 1);
    EXPECT_EQ(out_, "[VolqFetch] JVOpenエラー。RC=-213\nText1: 終了 (ended with failures)\n");
    EXPECT_EQ(err_, "failure: download not done: JVOpen returned RC=-213 (" + race.string() +
                        " is " + kind +
                        ", not a folder of the record source's files: put the folder of its "
                        "files in its place, or remove it if the source has no RACE data); no "
                        "record was read; the raw files of the previous download were kept\n");
    EXPECT_TRUE(DataFiles() == previous);
  }
}

TEST_F(FetchEndToEnd, AFailedSettingSaysWhyAndExits1) {
  EXPECT_EQ(Run("--data-dir data -c 'press 設定'"), 1);
  EXPECT_EQ(out_,
            "[VolqFetch] エラーのためJV-Linkの設定に失敗しました。\n"
            "Command1 (設定): ended with failures\n");
  EXPECT_EQ(err_,
            "failure: settings not changed: the settings dialog returned RC=-1 (no terminal to ask "
            "the record source directory on: give --source DIR, or press 設定 with volqfetch on a "
            "terminal)\n");
}

// A download killed in its download phase or while it reads leaves the
// previous download whole; a killed run's temporary files are no data files,
// and the next download replaces all ten.
TEST_F(FetchEndToEnd, AKilledDownloadKeepsThePreviousOne) {
  fs::remove(root_ / "src/RACE/RA02.txt");
  ASSERT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 0) << err_;
  const std::map<std::string, std::string> previous = DataFiles();

  WriteWholeFile(root_ / "cfg/volq/jvlink-stand-in.conf", "download_seconds=30\n");
  EXPECT_TRUE(KillWhen("--data-dir data --source src -c 'press Command2'",
                       [start = std::chrono::steady_clock::now()] {
                         return std::chrono::steady_clock::now() - start >
                                std::chrono::milliseconds(300);
                       }));
  EXPECT_TRUE(DataFiles() == previous);

  // Enough records that the reading is under way when it is killed.
  std::string many;
  for (int i = 0; i < 20000; ++i) many += Rec("SE", 555, static_cast<char>('a' + i % 26));
  for (int f = 0; f < 10; ++f)
    WriteWholeFile(root_ / ("src/RACE/SE" + std::to_string(f) + ".txt"), many);
  WriteWholeFile(root_ / "cfg/volq/jvlink-stand-in.conf", "download_seconds=0\n");
  EXPECT_TRUE(KillWhen("--data-dir data --source src -c 'press Command2'", [&] {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(root_ / "data", ec)) {
      if (e.path().filename().string().starts_with("SE") && e.path().extension() == ".partial" &&
          e.file_size(ec) > 0)
        return true;
    }
    return false;
  }));
  std::map<std::string, std::string> after = DataFiles();
  std::erase_if(after, [](const auto& f) { return f.first.ends_with(".partial"); });
  EXPECT_TRUE(after == previous);

  ASSERT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 0) << err_;
  EXPECT_EQ(fs::file_size(root_ / "data/SE20180101.dat"), 555u * (1 + 10 * 20000));
}

}  // namespace
}  // namespace volq
