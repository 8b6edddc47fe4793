#include "platform/fs/record_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "platform/fs/fs_test_support.h"
#include "platform/fs/record_file_for_tests.h"
#include "platform/fs/record_frames.h"
#include "platform/fs/replaced_file.h"
#include "platform/fs/text_list.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

TEST(RecordCount, RoundsHalfToEven) {
  const struct {
    uint64_t bytes;
    int len;
    int32_t count;
  } cases[] = {
      {0, 10, 0}, {25, 10, 2}, {26, 10, 3}, {35, 10, 4}, {15, 10, 2},
      {5, 10, 0}, {6, 10, 1},  {30, 10, 3}, {24, 10, 2},
  };
  for (const auto& c : cases) EXPECT_EQ(RecordCountOf(c.bytes, c.len), c.count) << c.bytes;
}

TEST_F(FsTest, RecordFileCreatesReadsWritesAndExtends) {
  fs::path p = root_ / "R.dat";
  {
    RecordFile f(p, 4);
    EXPECT_TRUE(fs::exists(p));
    EXPECT_EQ(f.Count(), 0);
    EXPECT_THROW(f.Read(1), Failure);
    f.Write(1, "AAAA");
    f.Write(2, "BB");  // blank-padded
    EXPECT_THROW(f.Write(4, "DDDD"), Failure);
    f.Write(1, "CCCCCC");  // cut
    f.Close();
  }
  EXPECT_EQ(ReadWholeFile(p), "CCCCBB  ");
  {
    RecordFile f(p, 4);
    EXPECT_EQ(f.Count(), 2);
    EXPECT_EQ(f.Read(2), "BB  ");
    f.Write(3, "EEEE");
    f.Close();
  }
  EXPECT_EQ(ReadWholeFile(p), "CCCCBB  EEEE");
  // A whole-file write replaces every byte, also of a longer file.
  WriteWholeFile(p, "ZZ");
  EXPECT_EQ(ReadWholeFile(p), "ZZ");
  // A trailing partial record counted by rounding reads blank-padded.
  WriteWholeFile(p, "AAAABBBBCCC");
  RecordFile f(p, 4);
  EXPECT_EQ(f.Count(), 3);
  EXPECT_EQ(f.Read(3), "CCC ");
  EXPECT_EQ(f.View(3), "CCC");
}

TEST_F(FsTest, RecordFileWritesOnePastTheCountBehindAPartialRecord) {
  // Records are added at count + 1 (a download adds behind the records of a
  // file it could not delete). Behind a partial record counted or not counted
  // by rounding, the new record lands at its record number and the partial
  // one is kept as it reads: padded with blanks.
  const struct {
    const char* before;
    int32_t count;
    const char* after;
  } cases[] = {
      {"AAAABBBBCCC", 3, "AAAABBBBCCC DDDD"},  // 2.75 records count 3
      {"AAAABBBBCC", 2, "AAAABBBBDDDD"},       // 2.5 counts 2: record 3 is over it
      {"AAAABBBBC", 2, "AAAABBBBDDDD"},
      {"", 0, "DDDD"},
  };
  fs::path p = root_ / "R.dat";
  for (const auto& c : cases) {
    WriteWholeFile(p, c.before);
    {
      RecordFile f(p, 4);
      ASSERT_EQ(f.Count(), c.count) << c.before;
      f.Write(c.count + 1, "DDDD");
      EXPECT_THROW(f.Write(c.count + 3, "EEEE"), Failure) << c.before;
      f.Close();
    }
    EXPECT_EQ(ReadWholeFile(p), c.after) << c.before;
  }
}

// Every reader of a record file sees its trailing partial record padded.
template <class Reader, class... Type>
void ExpectPaddedRecords(const fs::path& p, Type... type) {
  WriteWholeFile(p, "AAAABBBBCCC");
  const Reader f(p, 4, type...);
  ASSERT_EQ(f.Count(), 3);
  EXPECT_EQ(f.View(1), "AAAA");
  EXPECT_EQ(f.View(3), "CCC ");
  EXPECT_THROW(f.View(4), Failure);
  EXPECT_THROW(f.View(0), Failure);
  WriteWholeFile(p, "AAAABBBBCC");  // 2.5 records count 2: no partial record read
  const Reader g(p, 4, type...);
  ASSERT_EQ(g.Count(), 2);
  EXPECT_EQ(g.View(2), "BBBB");
}

TEST_F(FsTest, EveryReaderPadsTheTrailingPartialRecord) {
  ExpectPaddedRecords<FramedRecords>(root_ / "NEW.dat", std::string_view());
  ExpectPaddedRecords<RecordImage>(root_ / "I.dat");
  // The readers refuse a missing file rather than creating it.
  EXPECT_THROW(RecordImage(root_ / "none.dat", 4), Failure);
  EXPECT_THROW(FramedRecords(root_ / "none.dat", 4, ""), Failure);
  EXPECT_EQ(FramedRecords(4).Count(), 0);
  EXPECT_FALSE(fs::exists(root_ / "none.dat"));
}

TEST_F(FsTest, WholeFileWriteThatFailsLeavesNoOldTail) {
  // A write cut short (here by a file-size limit, as by a full disk) is
  // reported, and the file keeps none of its former bytes behind the new ones.
  fs::path p = root_ / "R.dat";
  WriteWholeFile(p, std::string(100, 'o'));
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool failed = false;
  try {
    WriteWholeFile(p, std::string(50, 'n'));
  } catch (const Failure&) {
    failed = true;
  }
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_TRUE(failed);
  EXPECT_EQ(ReadWholeFile(p), std::string(10, 'n'));
}

TEST_F(FsTest, OpenInMissingFolderFails) {
  EXPECT_THROW(RecordFile(root_ / "NOFOLDER" / "X.dat", 4), Failure);
  EXPECT_THROW(TextListWriter(root_ / "NOFOLDER" / "X.dat"), Failure);
}

TEST_F(FsTest, ARewriteFromTheFirstChangeLeavesExactlyTheNewBytes) {
  const std::string big(40000, 'a');
  const struct {
    std::string before, after;
  } cases[] = {{"", "abc"},
               {"abc", "abc"},
               {"abc", "abcdef"},
               {"abcdef", "abc"},
               {"abcdef", "abXdef"},
               {"abcdef", ""},
               {big, big + "b"},
               {big + "b", big},
               {big, big.substr(0, 20000) + "X" + big.substr(20001)},
               {"abc", big}};
  fs::path p = root_ / "U.dat";
  for (const auto& c : cases) {
    WriteWholeFile(p, c.before);
    WriteWholeFile(p, c.after, Rewrite::FromFirstChange);
    EXPECT_EQ(ReadWholeFile(p), c.after) << c.before.size() << " -> " << c.after.size();
  }
  fs::remove(p);
  WriteWholeFile(p, "new", Rewrite::FromFirstChange);
  EXPECT_EQ(ReadWholeFile(p), "new");
  EXPECT_THROW(WriteWholeFile(root_ / "NOFOLDER" / "X.dat", "x", Rewrite::FromFirstChange),
               Failure);
  fs::create_directories(root_ / "D.dat");
  EXPECT_THROW(WriteWholeFile(root_ / "D.dat", "x", Rewrite::FromFirstChange), Failure);
}

// Each writer of a file in place, given a file that a name outside links to
// (a copy of the data directory made with hard links): the file ends with
// the new bytes and its mode, the outside name keeps the former bytes.
TEST_F(FsTest, AFileWithAnotherNameIsReplacedNotWrittenThrough) {
  const fs::path p = root_ / "2010100003.dat", outside = root_ / "outside.dat";
  struct Case {
    const char* name;
    std::function<void()> write;
    const char* after;
  };
  const std::vector<Case> cases = {
      {"whole", [&] { WriteWholeFile(p, "RA01"); }, "RA01"},
      {"updated", [&] { WriteWholeFile(p, "RA01SE02", Rewrite::FromFirstChange); }, "RA01SE02"},
      {"record file",
       [&] {
         RecordFile f(p, 4);
         f.Write(2, "SE02");
         f.Close();
       },
       "RA00SE02"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(p);
    WriteWholeFile(outside, "RA00");
    const std::string former = ReadWholeFile(outside);
    fs::permissions(outside, fs::perms(0640));
    fs::create_hard_link(outside, p);
    c.write();
    EXPECT_EQ(ReadWholeFile(p), c.after);
    EXPECT_EQ(ReadWholeFile(outside), former);
    EXPECT_EQ(fs::hard_link_count(p), 1u);
    EXPECT_EQ(fs::status(p).permissions(), fs::perms(0640));
  }
}

// A FIFO in place of a file: every reader and writer fails at once and
// names it, and it stays (the process ends at the alarm if one waits).
TEST_F(FsTest, AFifoIsNeitherReadNorWritten) {
  const fs::path p = root_ / "RA20180101.dat";
  ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0);
  const std::function<void()> calls[] = {
      [&] { ReadWholeFile(p); },
      [&] { FramedRecords(p, 4, ""); },
      [&] { RecordFile(p, 4); },
      [&] { WriteWholeFile(p, "x"); },
      [&] { WriteWholeFile(p, "x", Rewrite::FromFirstChange); },
      [&] { ReplaceWholeFile(p, "x"); },
      [&] { TextListWriter(p).Close(); },
  };
  ::alarm(20);
  for (const auto& call : calls) {
    try {
      call();
      ADD_FAILURE() << "not refused";
    } catch (const Failure& e) {
      EXPECT_EQ(std::string(e.what()), "not a regular file " + p.string());
    }
  }
  OpenedFile opened;
  EXPECT_EQ(Files().OpenForReading(p, opened), kNotRegularFile);
  EXPECT_EQ(TextListReader(p).error(), kNotRegularFile);
  ::alarm(0);
  EXPECT_EQ(fs::status(p).type(), fs::file_type::fifo);
}

TEST_F(FsTest, AFolderIsNoRecordFile) {
  fs::create_directories(root_ / "X.dat");
  EXPECT_THROW(RecordFile(root_ / "X.dat", 4), Failure);
  EXPECT_THROW(ReadWholeFile(root_ / "X.dat"), Failure);
}

}  // namespace
}  // namespace volq
