#include "platform/fs/run_journal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/failure.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/record_file.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

const JournalRun kStep{"volqbuild",
                       "2025-03-01 10:15:02",
                       "press FormVolqBuild Command3 UM(競走馬)",
                       {"UM20180101NEW.dat", "KYOSOBA\\"},
                       {}};
const JournalRun kDownload{"volqfetch",
                           "2025-03-01 10:20:00",
                           "download",
                           {},
                           {{"RA20180101.dat.7-0.partial", "RA20180101.dat"},
                            {"SE20180101.dat.7-1.partial", "SE20180101.dat"}}};

// The replacements the runs above list: RA and SE from their own temporary
// files.
const ReplacementRule kRule{
    [](std::string_view name) { return name == "RA20180101.dat" || name == "SE20180101.dat"; },
    "delete it"};

bool Same(const JournalRun& a, const JournalRun& b) {
  return a.program == b.program && a.at == b.at && a.name == b.name && a.writes == b.writes &&
         a.renames == b.renames;
}

TEST(JournalText, ReadsBackWhatItWritesAndRefusesAnythingElse) {
  const std::string text = JournalText({kStep, kDownload});
  EXPECT_EQ(text.substr(0, text.find("rename")),
            "volq-journal 1\nrun volqbuild\nat 2025-03-01 10:15:02\n"
            "name press FormVolqBuild Command3 UM(競走馬)\nwrite UM20180101NEW.dat\n"
            "write KYOSOBA\\\nend\nrun volqfetch\nat 2025-03-01 10:20:00\nname download\n");
  std::vector<JournalRun> runs;
  ASSERT_TRUE(ParseJournal(text, runs));
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_TRUE(Same(runs[0], kStep));
  EXPECT_TRUE(Same(runs[1], kDownload));
  EXPECT_TRUE(ParseJournal(JournalText({}), runs));
  EXPECT_TRUE(runs.empty());
  // Whatever is not a whole journal: cut short anywhere, an unknown line,
  // another file's text.
  for (const std::string& damaged :
       {text.substr(0, text.size() - 1), text.substr(0, text.size() - 4),
        text.substr(text.find('\n') + 1), text + "run volqbuild\n", text + "hello\n",
        std::string("rename A\n"), std::string(""), std::string("volq-journal 2\n")}) {
    EXPECT_FALSE(ParseJournal(damaged, runs)) << damaged;
  }
}

class RunJournalTest : public ::testing::Test {
 protected:
  RunJournalTest()
      : data_(fs::temp_directory_path() /
              ("volq_journal_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        dir_((fs::remove_all(data_), fs::create_directories(data_), data_)) {}
  ~RunJournalTest() override { fs::remove_all(data_); }

  std::vector<JournalRun> OnDisk() {
    RunJournal j(data_);
    j.Load();
    return j.runs();
  }

  fs::path data_;
  DataDir dir_;
};

TEST_F(RunJournalTest, RunsEnterAndLeaveOnDiskAndTheLastOneDeletesIt) {
  RunJournal j(data_);
  j.Load();
  EXPECT_TRUE(j.runs().empty());
  const JournalRun entered = j.Enter({"volqbuild", "", kStep.name, kStep.writes, {}});
  EXPECT_EQ(entered.at.size(), 19u) << entered.at;
  // A run of the same step cut short before, and another step's.
  j.Enter(kStep);
  JournalRun other = kStep;
  other.name = "press FormVolqBuild Command1 RA(レース）";
  j.Enter(other);
  ASSERT_EQ(OnDisk().size(), 3u);
  // No file of the journal is a data file.
  std::vector<std::string> names;
  ASSERT_EQ(Files().List(data_, names), 0);
  EXPECT_TRUE(names.empty());

  // Withdrawn, only the run entered goes; left, every run of the step whose
  // outputs it wrote goes.
  j.Withdraw(entered);
  ASSERT_EQ(OnDisk().size(), 2u);
  EXPECT_TRUE(Same(OnDisk()[0], kStep));
  JournalRun fewer = kStep;
  fewer.writes.pop_back();
  j.Leave(fewer);
  EXPECT_EQ(OnDisk().size(), 2u);
  j.Leave(kStep);
  ASSERT_EQ(OnDisk().size(), 1u);
  EXPECT_EQ(OnDisk()[0].name, other.name);
  j.Leave(other);
  EXPECT_FALSE(fs::exists(data_ / kJournalName));
  EXPECT_FALSE(fs::exists(data_ / ".volq-journal.new"));
}

TEST_F(RunJournalTest, RenamesListedAreFinishedFromTheFilesStillBeside) {
  // Killed after the first rename: RA is new already, SE's file is beside.
  WriteWholeFile(data_ / "RA20180101.dat", "new RA");
  WriteWholeFile(data_ / "SE20180101.dat", "former SE");
  WriteWholeFile(data_ / "SE20180101.dat.7-1.partial", "new SE");
  WriteWholeFile(data_ / kJournalName, JournalText({kStep, kDownload}));
  RunJournal j(data_);
  j.Load();
  const std::vector<JournalRun> finished = j.FinishRenames(kRule);
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_TRUE(Same(finished[0], kDownload));
  EXPECT_EQ(ReadWholeFile(data_ / "RA20180101.dat"), "new RA");
  EXPECT_EQ(ReadWholeFile(data_ / "SE20180101.dat"), "new SE");
  EXPECT_FALSE(fs::exists(data_ / "SE20180101.dat.7-1.partial"));
  ASSERT_EQ(OnDisk().size(), 1u);
  EXPECT_TRUE(Same(OnDisk()[0], kStep));
  // Nothing left to finish.
  EXPECT_TRUE(j.FinishRenames(kRule).empty());
}

TEST_F(RunJournalTest, ADamagedJournalIsAFailureThatNamesIt) {
  WriteWholeFile(data_ / kJournalName, "volq-journal 1\nrun volqbuild\nat 2025");
  RunJournal j(data_);
  try {
    j.Load();
    FAIL() << "a damaged journal was read";
  } catch (const Failure& e) {
    EXPECT_NE(e.text().find(".volq-journal is damaged"), std::string::npos) << e.text();
  }
}

// What stands in place of the journal when it is no file, or cannot be
// read: named, with what to do, and a FIFO is never waited on.
TEST_F(RunJournalTest, AJournalThatCannotBeReadSaysWhatToDo) {
  const fs::path at = data_ / kJournalName;
  const std::string full = fs::absolute(at).generic_string();
  const struct {
    const char* name;
    int fault;  // the read fails so (0: it finds what the case lays)
    std::string said;
  } cases[] = {
      {"folder", 0,
       "the journal .volq-journal is a folder, which no run of these programs makes: nothing was "
       "changed; remove the folder " +
           full + " (look into it first) and press again"},
      {"symlink", 0,
       "the journal .volq-journal is a symlink, which is never followed: nothing was changed; "
       "remove the symlink " +
           full + " (not what it points to) and press again"},
      {"fifo", 0,
       "the journal .volq-journal is no regular file (a FIFO, a socket or a device), which is "
       "never read: nothing was changed; remove " +
           full + " and press again"},
      {"no permission", EACCES,
       "the journal .volq-journal cannot be read (Permission denied): nothing was changed; give "
       "yourself read and write permission on it (chmod u+rw " +
           full + ") and press again"},
      {"a disk error", EIO,
       "cannot read the journal .volq-journal: Input/output error: nothing was changed; press "
       "again once it can be read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(at);
    const std::string kind = c.name;
    if (kind == "folder") fs::create_directory(at);
    if (kind == "symlink") fs::create_symlink(data_ / "elsewhere", at);
    if (kind == "fifo") {
      ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0);
    }
    if (c.fault) WriteWholeFile(at, JournalText({kStep}));
    FaultFileSystem faults;
    faults.FailWhere(
        [&](std::string_view op, const std::string&) { return op == "read whole" ? c.fault : 0; });
    ScopedFileSystem seam(faults);
    RunJournal j(data_);
    try {
      j.Load();
      ADD_FAILURE() << "read";
    } catch (const Failure& e) {
      EXPECT_EQ(e.text(), c.said);
    }
  }
}

// Every call of an entry goes through the seam, the syncs among them: failed
// at any of them, the journal on disk stays as it was and nothing is left
// beside it.
TEST_F(RunJournalTest, AnEntryFailedAtAnyCallLeavesTheJournalAsItWas) {
  RunJournal(data_).Enter(kStep);
  const std::string former = ReadWholeFile(data_ / kJournalName);
  FaultFileSystem faults;
  std::vector<std::string> ops;
  for (std::int64_t k = 1;; ++k) {
    faults.Reset();
    faults.FailAt(k, EIO);
    bool failed = false;
    {
      ScopedFileSystem seam(faults);
      RunJournal j(data_);
      try {
        j.Load();
        j.Enter(kDownload);
      } catch (const Failure&) {
        failed = true;
      }
    }
    if (!failed) break;
    ops.push_back(faults.failed_operation().substr(0, faults.failed_operation().find(" /")));
    EXPECT_EQ(ReadWholeFile(data_ / kJournalName), former) << ops.back();
    EXPECT_FALSE(fs::exists(data_ / ".volq-journal.new")) << ops.back();
  }
  EXPECT_EQ(ops, (std::vector<std::string>{"read whole", "delete", "open for writing", "write",
                                           "sync", "close", "replace", "sync folder"}));
}

}  // namespace
}  // namespace volq
