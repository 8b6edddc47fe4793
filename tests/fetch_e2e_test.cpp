// Runs volqfetch against the service's stand-in and a small record source.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "common/records.h"
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
    root_ = fs::temp_directory_path() /
            ("volq_e2e_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
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

  // Exit status of volqfetch run in the test's folder with `args`.
  int Run(const std::string& args) {
    std::string cmd = "cd '" + root_.string() + "' && XDG_CONFIG_HOME=cfg '" VOLQFETCH_PATH "' " +
                      args + " >out.txt 2>err.txt </dev/null";
    int st = std::system(cmd.c_str());
    out_ = ReadWholeFile(root_ / "out.txt");
    err_ = ReadWholeFile(root_ / "err.txt");
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
  fs::path root_;
  std::string out_, err_;
};

TEST_F(FetchEndToEnd, DownloadsTheRecordSourceIntoTheDataDirectory) {
  fs::remove(root_ / "src/RACE/RA02.txt");
  ASSERT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 0) << err_;
  EXPECT_EQ(out_, "Text1: 終了\n");
  EXPECT_EQ(err_, "");
  ExpectEveryFileButRA02();
}

// The damaged file is named, and the records of every other file are stored.
TEST_F(FetchEndToEnd, ADamagedSourceFileIsNamedInTheReport) {
  EXPECT_EQ(Run("--data-dir data --source src -c 'press Command2'"), 1);
  EXPECT_EQ(out_, "Text1: 終了\n");
  EXPECT_EQ(err_, "failure: source file RA02.txt was damaged: deleted and not stored\n");
  ExpectEveryFileButRA02();
}

TEST_F(FetchEndToEnd, FailuresAndBadCommandsSetTheExitStatus) {
  // A data directory that is not there is named by its absolute path, as a
  // wrong option is refused, and not made.
  EXPECT_EQ(Run("--data-dir missing --source src -c 'press Command2'"), 2);
  EXPECT_EQ(out_, "");
  EXPECT_EQ(err_, "volqfetch: data directory " + (root_ / "missing").string() +
                      " does not exist; give the right one with --data-dir DIR (it is never "
                      "created)\n");
  EXPECT_FALSE(fs::exists(root_ / "missing"));

  EXPECT_EQ(Run("--data-dir data -c 'press Command7'"), 1);
  EXPECT_NE(err_.find("error: no control 'Command7'"), std::string::npos) << err_;

  // No record source chosen: the stand-in's open fails and says so.
  EXPECT_EQ(Run("--data-dir data -c 'press 2018年1月1日セットアップ'"), 1);
  EXPECT_EQ(out_, "[VolqFetch] JVOpenエラー。RC=-211\nText1: 終了\n");
  EXPECT_EQ(err_, "failure: download not done: JVOpen returned RC=-211; no record was read\n");

  EXPECT_EQ(Run("--frob"), 2);
}

}  // namespace
}  // namespace volq
