#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/fs/record_file.h"
#include "platform/fs/special_entries_for_tests.h"
#include "platform/jvlink/scripted_jvlink.h"
#include "platform/jvlink/stand_in.h"

namespace volq {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr const char* kSpec = "TOKURACEDIFNBLDNSLOPYSCHHOSN";
constexpr const char* kFrom = "20180101000000";

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("volq_jvlink_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "src");
  }
  void TearDown() override { fs::remove_all(root_); }

  void Put(const std::string& rel, const std::string& bytes) {
    fs::create_directories((root_ / "src" / rel).parent_path());
    WriteWholeFile(root_ / "src" / rel, bytes);
  }
  // A stand-in on the test's source whose clock the test moves.
  StandInJVLink Make(double download_seconds = 0) {
    WriteWholeFile(root_ / "settings.conf",
                   "source=" + (root_ / "src").string() +
                       "\ndownload_seconds=" + std::to_string(download_seconds) + "\n");
    StandInJVLink j(root_ / "settings.conf");
    j.SetClock([this] { return now_; });
    return j;
  }
  // Reads to the end: each record as "file:record", each -1 as "-1".
  static std::vector<std::string> ReadAll(StandInJVLink& j) {
    std::vector<std::string> got;
    std::string buf(120000, '\0'), file;
    int32_t size = 0;
    for (int32_t rc; (rc = j.JVRead(buf, size, file)) != 0;) {
      got.push_back(rc > 0 ? file + ":" + buf : std::to_string(rc));
      if (got.size() > 100) break;
    }
    return got;
  }
  fs::path root_;
  Clock::time_point now_{};
};

TEST_F(StandInTest, ServesFoldersInSpecOrderAndFilesInNameOrder) {
  Put("RACE/b.txt", "RA1\r\nSE1\r\n");
  Put("RACE/a.txt", "RA0\r\n");
  Put("TOKU/t.txt", "TK1\r\n");
  Put("RACE/empty.txt", "");
  Put("HOSN/h.txt", "HS1\r\n");
  Put("OTHR/o.txt", "XX1\r\n");  // not asked for
  StandInJVLink j = Make(0);
  ASSERT_EQ(j.JVInit("UNKNOWN"), 0);
  int32_t reads = -9, downloads = -9;
  std::string stamp;
  ASSERT_EQ(j.JVOpen(kSpec, kFrom, 3, reads, downloads, stamp), 0);
  EXPECT_EQ(reads, 5);
  EXPECT_EQ(downloads, 0);  // no simulated download: read at once
  EXPECT_EQ(ReadAll(j),
            (std::vector<std::string>{"t.txt:TK1\r\n", "-1", "a.txt:RA0\r\n", "-1", "b.txt:RA1\r\n",
                                      "b.txt:SE1\r\n", "-1", "-1", "h.txt:HS1\r\n"}));
}

TEST_F(StandInTest, StatusRisesOverTheDownloadAndStopsOnCancel) {
  Put("RACE/1", "RA\r\n");
  Put("RACE/2", "RA\r\n");
  Put("RACE/3", "RA\r\n");
  Put("RACE/4", "RA\r\n");
  StandInJVLink j = Make(2.0);
  j.JVInit("UNKNOWN");
  int32_t reads = 0, downloads = 0;
  std::string stamp;
  EXPECT_EQ(j.JVStatus(), StandInJVLink::kNotOpen);
  ASSERT_EQ(j.JVOpen(kSpec, kFrom, 3, reads, downloads, stamp), 0);
  EXPECT_EQ(downloads, 4);
  std::vector<int32_t> seen;
  for (int ms : {0, 500, 1000, 1999, 2000, 9000}) {
    now_ = Clock::time_point{} + std::chrono::milliseconds(ms);
    seen.push_back(j.JVStatus());
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 1, 2, 3, 4, 4}));
  j.JVCancel();
  EXPECT_EQ(j.JVStatus(), StandInJVLink::kCancelled);
}

TEST_F(StandInTest, ReturnCodes) {
  Put("RACE/a", "RA\r\n");
  StandInJVLink j = Make();
  int32_t r = 0, d = 0;
  std::string s, buf, file;
  EXPECT_EQ(j.JVOpen(kSpec, kFrom, 3, r, d, s), StandInJVLink::kNotInitialised);
  EXPECT_EQ(j.JVInit(""), StandInJVLink::kNoSoftwareId);
  ASSERT_EQ(j.JVInit("UNKNOWN"), 0);
  EXPECT_EQ(j.JVRead(buf, r, file), StandInJVLink::kNotOpen);
  const struct {
    const char* spec;
    const char* from;
    int32_t option;
    int32_t rc;
  } cases[] = {
      {"RACE", kFrom, 3, 0},
      {"", kFrom, 3, StandInJVLink::kBadDataSpec},
      {"RAC", kFrom, 3, StandInJVLink::kBadDataSpec},
      {"../x", kFrom, 3, StandInJVLink::kBadDataSpec},
      {"RACE", "2018", 3, StandInJVLink::kBadFromTime},
      {"RACE", "2018010100000x", 3, StandInJVLink::kBadFromTime},
      {"RACE", kFrom, 0, StandInJVLink::kBadOption},
      {"TOKUHOSN", kFrom, 3, StandInJVLink::kNotRecordSource},  // neither folder is there
  };
  for (const auto& c : cases)
    EXPECT_EQ(j.JVOpen(c.spec, c.from, c.option, r, d, s), c.rc) << c.spec;

  StandInJVLink none(root_ / "no-settings.conf");
  none.JVInit("UNKNOWN");
  EXPECT_EQ(none.JVOpen(kSpec, kFrom, 3, r, d, s), StandInJVLink::kNoSource);
  EXPECT_EQ(none.Explain(StandInJVLink::kNoSource),
            "no record source chosen: press 設定 or give --source DIR");
  none.SetSource(root_ / "missing");
  EXPECT_EQ(none.JVOpen(kSpec, kFrom, 3, r, d, s), StandInJVLink::kSourceMissing);
  EXPECT_EQ(none.Explain(StandInJVLink::kSourceMissing),
            "the record source directory " + (root_ / "missing").string() +
                " does not exist: give --source DIR or press 設定");
  // One level too deep: a folder of the source in its place.
  none.SetSource(root_ / "src/RACE");
  EXPECT_EQ(none.JVOpen(kSpec, kFrom, 3, r, d, s), StandInJVLink::kNotRecordSource);
  EXPECT_EQ(none.Explain(StandInJVLink::kNotRecordSource),
            "the record source directory " + (root_ / "src/RACE").string() +
                " is not a record source: none of the folders TOKU RACE DIFN BLDN SLOP YSCH HOSN "
                "(docs/record-source.md)");

  // A file gone between the open and its reading cannot be read; it is passed over.
  Put("RACE/b", "RB\r\n");
  ASSERT_EQ(j.JVOpen(kSpec, kFrom, 3, r, d, s), 0);
  fs::remove(root_ / "src/RACE/a");
  EXPECT_EQ(j.JVRead(buf, r, file), StandInJVLink::kFileUnreadable);
  EXPECT_EQ(file, "a");
  EXPECT_EQ(j.Explain(StandInJVLink::kFileUnreadable),
            "cannot open " + (root_ / "src/RACE/a").string() + ": No such file or directory");
  EXPECT_GT(j.JVRead(buf, r, file), 0);
  EXPECT_EQ(buf, "RB\r\n");
}

TEST_F(StandInTest, DamagedFileIsDeletedAndReadingGoesOnAfterReopen) {
  Put("RACE/1", "RA1\r\n");
  Put("RACE/2", "RA2\r\nRA2-cut");
  Put("RACE/3", "RA3\r\n");
  Put("DIFN/2", "UM2\r\n");  // the same name in another folder is another file
  StandInJVLink j = Make();
  j.JVInit("UNKNOWN");
  int32_t r = 0, d = 0;
  std::string s, buf, file;
  ASSERT_EQ(j.JVOpen(kSpec, kFrom, 3, r, d, s), 0);
  EXPECT_GT(j.JVRead(buf, r, file), 0);
  EXPECT_EQ(j.JVRead(buf, r, file), -1);
  EXPECT_EQ(j.JVRead(buf, r, file), StandInJVLink::kFileDamaged);
  EXPECT_EQ(file, "2");
  EXPECT_EQ(j.Explain(StandInJVLink::kFileDamaged),
            (root_ / "src/RACE/2").string() + " does not end with CR LF: its last record is cut");
  j.JVFileDelete(file);
  j.JVClose();
  ASSERT_EQ(j.JVOpen(kSpec, kFrom, 3, r, d, s), 0);
  EXPECT_EQ(r, 2);  // only RACE/3 and DIFN/2 are left to read
  EXPECT_EQ(ReadAll(j), (std::vector<std::string>{"3:RA3\r\n", "-1", "2:UM2\r\n"}));
  EXPECT_TRUE(fs::exists(root_ / "src/RACE/2"));  // the source is never changed
  // A new JVInit starts from the beginning again.
  j.JVInit("UNKNOWN");
  ASSERT_EQ(j.JVOpen(kSpec, kFrom, 3, r, d, s), 0);
  EXPECT_EQ(r, 4);
}

// What stands in a folder of the source in place of a file is named as a
// damaged file, whatever it is, and reading goes on behind it; a symlink to
// a file is served as the file. No open waits: the process ends at the
// alarm if one does.
TEST_F(StandInTest, AnEntryThatIsNoRegularFileIsDamaged) {
  Put("RACE/1", "RA1\r\n");
  Put("RACE/3", "RA3\r\n");
  Put("elsewhere", "RA2\r\n");
  const fs::path entry = root_ / "src/RACE/2";
  struct Case {
    const char* name;
    std::function<void()> make;
    std::string explained;  // empty: served as a file
  };
  const std::vector<Case> cases = {
      {"folder", [&] { fs::create_directory(entry); }, " is a folder, not a file of records"},
      {"FIFO", [&] { ASSERT_EQ(::mkfifo(entry.c_str(), 0644), 0); },
       " is a FIFO, not a file of records"},
      {"socket", [&] { ASSERT_TRUE(MakeSocket(entry)); },
       " is a socket or a device, not a file of records"},
      {"dangling symlink", [&] { fs::create_symlink(root_ / "nowhere", entry); },
       " is a symlink to nothing, not a file of records"},
      {"symlink to a file", [&] { fs::create_symlink(root_ / "src/elsewhere", entry); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(entry);
    c.make();
    StandInJVLink j = Make();
    j.JVInit("UNKNOWN");
    int32_t r = 0, d = 0;
    std::string s, buf, file;
    ASSERT_EQ(j.JVOpen(kSpec, kFrom, 3, r, d, s), 0);
    EXPECT_EQ(r, 3);
    ::alarm(20);
    if (c.explained.empty()) {
      EXPECT_EQ(ReadAll(j),
                (std::vector<std::string>{"1:RA1\r\n", "-1", "2:RA2\r\n", "-1", "3:RA3\r\n"}));
      ::alarm(0);
      continue;
    }
    EXPECT_GT(j.JVRead(buf, r, file), 0);
    EXPECT_EQ(j.JVRead(buf, r, file), -1);
    EXPECT_EQ(j.JVRead(buf, r, file), StandInJVLink::kFileDamaged);
    ::alarm(0);
    EXPECT_EQ(file, "2");
    EXPECT_EQ(j.Explain(StandInJVLink::kFileDamaged), entry.string() + c.explained);
    j.JVFileDelete(file);
    j.JVClose();
    ASSERT_EQ(j.JVOpen(kSpec, kFrom, 3, r, d, s), 0);
    EXPECT_EQ(ReadAll(j), (std::vector<std::string>{"3:RA3\r\n"}));
  }
}

// A folder of the record source (RACE, DIFN, ...) that stands there as something else is
// no source without its data: the open fails and names it, whatever it is,
// without waiting on a FIFO. A symlink to a folder is served as the folder.
TEST_F(StandInTest, AFolderOfTheSourceThatIsNoFolderFailsTheOpen) {
  Put("TOKU/1", "TK1\r\n");
  Put("elsewhere/1", "RA1\r\n");
  Put("file", "RA2\r\n");
  const fs::path race = root_ / "src/RACE";
  struct Case {
    const char* name;
    std::function<void()> make;
    std::string kind;  // empty: served as a folder
  };
  const std::vector<Case> cases = {
      {"file", [&] { WriteWholeFile(race, "RA1\r\n"); }, "a file"},
      {"FIFO", [&] { ASSERT_EQ(::mkfifo(race.c_str(), 0644), 0); }, "a FIFO"},
      {"socket", [&] { ASSERT_TRUE(MakeSocket(race)); }, "a socket"},
      {"dangling symlink", [&] { fs::create_symlink(root_ / "nowhere", race); },
       "a symlink to nothing"},
      {"symlink loop", [&] { fs::create_symlink(race, race); }, "a symlink to nothing"},
      {"symlink to a file", [&] { fs::create_symlink(root_ / "src/file", race); },
       "a symlink to a file"},
      {"symlink to a folder", [&] { fs::create_symlink(root_ / "src/elsewhere", race); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(race);
    c.make();
    StandInJVLink j = Make();
    j.JVInit("UNKNOWN");
    int32_t r = -9, d = 0;
    std::string s;
    ::alarm(20);
    const int32_t rc = j.JVOpen(kSpec, kFrom, 3, r, d, s);
    ::alarm(0);
    if (c.kind.empty()) {
      ASSERT_EQ(rc, 0);
      EXPECT_EQ(ReadAll(j), (std::vector<std::string>{"1:TK1\r\n", "-1", "1:RA1\r\n"}));
      continue;
    }
    EXPECT_EQ(rc, StandInJVLink::kSourceUnreadable);
    EXPECT_EQ(r, -9);  // nothing to read
    EXPECT_EQ(j.Explain(rc), race.string() + " is " + c.kind +
                                 ", not a folder of the record source's files: put the folder of "
                                 "its files in its place, or remove it if the source has no RACE "
                                 "data");
  }
  // Missing, it serves nothing and is no failure.
  fs::remove_all(race);
  StandInJVLink j = Make();
  j.JVInit("UNKNOWN");
  int32_t r = 0, d = 0;
  std::string s;
  ASSERT_EQ(j.JVOpen(kSpec, kFrom, 3, r, d, s), 0);
  EXPECT_EQ(r, 1);
}

TEST_F(StandInTest, SettingsDialogChoosesAndRemembersTheSource) {
  fs::path settings = root_ / "cfg" / "jvlink-stand-in.conf";
  StandInJVLink j(settings);
  // Each failure says why.
  EXPECT_EQ(j.JVSettingsDialog(), -1);
  EXPECT_EQ(j.Explain(-1),
            "no terminal to ask the record source directory on: give --source DIR, or press 設定 "
            "with volqfetch on a terminal");
  std::optional<std::string> answer = (root_ / "nowhere").string();
  j.SetAsk([&](const std::string&) { return answer; });
  EXPECT_EQ(j.JVSettingsDialog(), -1);
  EXPECT_EQ(j.Explain(-1),
            "the record source directory " + (root_ / "nowhere").string() + " does not exist");
  answer = "";
  EXPECT_EQ(j.JVSettingsDialog(), -1);
  EXPECT_EQ(j.Explain(-1), "no record source directory given, and none chosen before");
  answer = (root_ / "src").string();
  EXPECT_EQ(j.JVSettingsDialog(), 0);
  EXPECT_EQ(StandInJVLink(settings).source(), root_ / "src");
  answer = "";  // keeps the current one
  EXPECT_EQ(j.JVSettingsDialog(), 0);
  EXPECT_EQ(StandInJVLink(settings).source(), root_ / "src");
  EXPECT_EQ(StandInJVLink(settings).download_seconds(), 1.0);
}

TEST(ScriptedJVLink, PlaysBackAndCounts) {
  ScriptedJVLink f;
  f.opens = {{-1, 0, 0}, {0, 5, 2}};
  f.reads = {ScriptedJVLink::Record("RA\r\n", "F1"), ScriptedJVLink::Code(-1)};
  int32_t r = 0, d = 0, size = 0;
  std::string s, buf, file;
  EXPECT_EQ(f.JVOpen(kSpec, kFrom, 3, r, d, s), -1);
  EXPECT_EQ(f.JVOpen(kSpec, kFrom, 3, r, d, s), 0);
  EXPECT_EQ(f.JVOpen(kSpec, kFrom, 3, r, d, s), 0);  // the last repeats
  EXPECT_EQ(d, 2);
  EXPECT_EQ(f.JVRead(buf, size, file), 4);
  EXPECT_EQ(buf, "RA\r\n");
  EXPECT_EQ(f.JVRead(buf, size, file), -1);
  EXPECT_EQ(f.JVRead(buf, size, file), 0);
  EXPECT_EQ(f.Count("JVOpen"), 3);
  EXPECT_EQ(f.calls.front(), "JVOpen TOKURACEDIFNBLDNSLOPYSCHHOSN 20180101000000 3");
}

}  // namespace
}  // namespace volq
