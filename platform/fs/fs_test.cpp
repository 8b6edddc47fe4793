#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/base/ascii_case.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/number_text.h"
#include "platform/fs/record_file.h"
#include "platform/fs/record_file_for_tests.h"
#include "platform/fs/record_frames.h"
#include "platform/fs/replaced_file.h"
#include "platform/fs/text_list.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

class FsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ =
        fs::temp_directory_path() /
        ("volq_fs_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

// Every write fails as on a full disk while it lives.
class FullDisk {
 public:
  FullDisk() {
    files_.FailWhere(
        [](std::string_view op, const std::string&) { return op == "write" ? ENOSPC : 0; });
  }

 private:
  FaultFileSystem files_;
  ScopedFileSystem installed_{files_};
};

TEST(FailureFold, FoldsRepeatedTextsWithoutAnOperation) {
  FailureFold l;
  l.Add("", "RA20180101.dat is not open");
  l.Add("", "cannot write HS20180101.dat");
  l.Add("", "RA20180101.dat is not open");
  EXPECT_EQ(l.Lines(), (std::vector<std::string>{"RA20180101.dat is not open (2 times)",
                                                 "cannot write HS20180101.dat"}));
}

TEST(ShownPath, FromTheLiveDataDirectoryThatHoldsTheFile) {
  const std::filesystem::path root = std::filesystem::path("/tmp") / "volq-shown";
  const std::filesystem::path file = root / "OPTION1N" / "KYOSOBA.dat";
  {
    DataDir dir(root);
    EXPECT_EQ(ShownPath(file), "OPTION1N/KYOSOBA.dat");
    EXPECT_EQ(ShownPath("/elsewhere/A.dat"), "/elsewhere/A.dat");
  }
  EXPECT_EQ(ShownPath(file), file.string());  // no data directory holds it now
}

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

// Runs op with writes of files beyond `bytes` refused by the system, as a
// full disk refuses them; true when op raised a Failure.
template <class Op>
bool FailsWithFileSizeLimit(size_t bytes, Op&& op) {
  rlimit old{};
  if (getrlimit(RLIMIT_FSIZE, &old) != 0) return false;
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &small);
  bool failed = false;
  try {
    op();
  } catch (const Failure&) {
    failed = true;
  }
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, old_handler);
  return failed;
}

std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(FsTest, AReplacementTakesThePlaceOfTheFormerFileOnlyWhenCommitted) {
  // Every way a replacement can end: the former file is either replaced
  // whole or left byte for byte, and no temporary file stays behind.
  const std::string former = "former\r\n";
  const std::string fresh(100000, 'n');
  const struct {
    const char* name;
    void (*write)(const fs::path&, const std::string&);
    bool replaced;
  } cases[] = {
      {"committed", [](const fs::path& p, const std::string& b) { ReplaceWholeFile(p, b); }, true},
      {"destroyed without commit",
       [](const fs::path& p, const std::string& b) { ReplacedFile(p).Write(b); }, false},
      {"abandoned",
       [](const fs::path& p, const std::string& b) {
         ReplacedFile f(p);
         f.Write(b);
         f.Abandon();
         EXPECT_THROW(f.Commit(), Failure);
       },
       false},
      {"left by an exception",
       [](const fs::path& p, const std::string& b) {
         try {
           ReplacedFile f(p);
           f.Write(b);
           throw std::runtime_error("step stopped");
         } catch (const std::runtime_error&) {
         }
       },
       false},
      {"list not closed",
       [](const fs::path& p, const std::string& b) { TextListWriter(p).String(b).EndLine(); },
       false},
      {"records not closed",
       [](const fs::path& p, const std::string& b) { RecordAppender(p, 10).Append(b); }, false},
      // Finished files wait beside their final names until they are all put in place.
      {"records finished, then closed",
       [](const fs::path& p, const std::string& b) {
         RecordAppender out(p, 10);
         for (size_t k = 0; k < b.size() / 10; ++k) out.Append(b.substr(k * 10, 10));
         out.Finish();
         EXPECT_EQ(FilesIn(p.parent_path()).size(), 2u);
         EXPECT_EQ(fs::file_size(p), 8u);
         out.Close();
       },
       true},
      {"records finished, never closed",
       [](const fs::path& p, const std::string& b) {
         RecordAppender out(p, 10);
         out.Append(b);
         out.Finish();
         EXPECT_THROW(out.Append(b), Failure);
       },
       false},
      {"a write failed, then finished",
       [](const fs::path& p, const std::string& b) {
         RecordAppender out(p, 10);
         out.Append(b);
         {
           FullDisk full;
           EXPECT_THROW(out.Finish(), Failure);
         }
         EXPECT_THROW(out.Close(), Failure);
       },
       false},
      {"a write failed, then committed",
       [](const fs::path& p, const std::string& b) {
         ReplacedFile f(p);
         {
           FullDisk full;
           EXPECT_THROW(f.Write(b), Failure);
         }
         EXPECT_THROW(f.Write(b), Failure);  // the gap stays
         try {
           f.Commit();
           ADD_FAILURE() << "committed after a failed write";
         } catch (const Failure& e) {
           EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos)
               << e.what();
         }
       },
       false},
      {"refused by the system mid-file",
       [](const fs::path& p, const std::string& b) {
         EXPECT_TRUE(FailsWithFileSizeLimit(1000, [&] {
           RecordAppender out(p, 10);
           for (size_t k = 0; k < b.size() / 10; ++k) out.Append(b.substr(k * 10, 10));
           out.Close();
         }));
       },
       false},
  };
  const fs::path p = root_ / "OUT.dat";
  for (const auto& c : cases) {
    WriteWholeFile(p, former);
    c.write(p, fresh);
    EXPECT_EQ(ReadWholeFile(p), c.replaced ? fresh : former) << c.name;
    EXPECT_EQ(FilesIn(root_), std::vector<std::string>{"OUT.dat"}) << c.name;
  }
  // A missing output comes into being only when committed.
  fs::remove(p);
  { ReplacedFile(p).Write("x"); }
  EXPECT_FALSE(fs::exists(p));
  TextListWriter list(p);
  list.Number(7).EndLine();
  EXPECT_FALSE(fs::exists(p));
  list.Close();
  EXPECT_EQ(ReadWholeFile(p), "7\r\n");
}

TEST_F(FsTest, AReplacementThatCannotStartLeavesTheFormerFile) {
  // A missing folder and a folder in the file's place: nothing is written.
  EXPECT_THROW(ReplacedFile(root_ / "NOFOLDER" / "X.dat"), Failure);
  fs::create_directories(root_ / "D.dat");
  EXPECT_THROW(ReplaceWholeFile(root_ / "D.dat", "x"), Failure);
  EXPECT_TRUE(fs::is_directory(root_ / "D.dat"));
  EXPECT_EQ(FilesIn(root_), std::vector<std::string>{"D.dat"});
}

TEST_F(FsTest, AReaderOfTheFormerFileReadsItWholeWhileItIsReplaced) {
  // A step that reads a record file in place while the file is written anew
  // (mapped, not copied) keeps seeing the former records; the next open
  // sees the new ones.
  const fs::path p = root_ / "R.dat";
  WriteWholeFile(p, "AAAABBBB");
  FramedRecords before(p, 4, "");
  ReplaceWholeFile(p, "CCCC");
  EXPECT_EQ(before.Count(), 2);
  EXPECT_EQ(before.View(2), "BBBB");
  EXPECT_EQ(FramedRecords(p, 4, "").View(1), "CCCC");
}

TEST_F(FsTest, AReplacedFileKeepsItsNameOfAnotherCaseAndTemporaryFilesAreNoNames) {
  WriteWholeFile(root_ / "ks20180101new.dat", "old");
  // A replacement in progress (or left by a killed run) when the folder is
  // first listed is no file of the data directory.
  WriteWholeFile(root_ / "ks20180101new.dat.123-0.partial", "half");
  EXPECT_TRUE(IsTemporaryName("ks20180101new.dat.123-0.partial"));
  EXPECT_FALSE(IsTemporaryName("KS20180101NEW.dat"));
  DataDir d(root_);
  EXPECT_EQ(d.Path("KS20180101NEW.DAT.123-0.PARTIAL"), root_ / "KS20180101NEW.DAT.123-0.PARTIAL");
  const fs::path p = d.Path("KS20180101NEW.dat");
  ASSERT_EQ(p, root_ / "ks20180101new.dat");
  ReplaceWholeFile(p, "new");
  EXPECT_EQ(d.Path("KS20180101NEW.dat"), root_ / "ks20180101new.dat");
  EXPECT_EQ(ReadWholeFile(d.Path("KS20180101NEW.dat")), "new");
  EXPECT_EQ(FilesIn(root_),
            (std::vector<std::string>{"ks20180101new.dat", "ks20180101new.dat.123-0.partial"}));
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

TEST_F(FsTest, TextListRoundTrip) {
  fs::path p = root_ / "L.dat";
  {
    TextListWriter w(p);
    w.String("2019100001").EndLine();
    w.String("").String("a b").Number(-5).Number(0).String("x").Number(123456).EndLine();
    w.Close();
  }
  EXPECT_EQ(ReadWholeFile(p), "\"2019100001\"\r\n\"\",\"a b\",-5,0,\"x\",123456\r\n");
  TextListReader r(p);
  ASSERT_TRUE(r.ok());
  std::vector<std::string> items;
  while (!r.Eof()) items.push_back(r.Next());
  EXPECT_EQ(items, (std::vector<std::string>{"2019100001", "", "a b", "-5", "0", "x", "123456"}));
  EXPECT_THROW(r.Next(), Failure);

  // Formatted into memory, the same items are the same bytes.
  TextListText text;
  text.String("2019100001").EndLine();
  text.String("").String("a b").Number(-5).Number(0).String("x").Number(123456).EndLine();
  EXPECT_EQ(text.Take(), ReadWholeFile(p));

  bool found = true;
  EXPECT_TRUE(ReadListItems(root_ / "missing.dat", &found).empty());
  EXPECT_FALSE(found);
}

TEST_F(FsTest, TextListItemsEndAtCommasAndLineEnds) {
  // Items are read one by one up to a comma or a line end, so an empty line or
  // a comma before the line end stands for an empty item.
  const struct {
    const char* bytes;
    std::vector<std::string> items;
  } cases[] = {
      {"\"a\"\r\n\r\n\"b\"\r\n", {"a", "", "b"}},
      {"1,\r\n2\r\n", {"1", "", "2"}},
      {"  \"a,b\" , 7 \r\n", {"a,b", "7"}},
      {"\"x\"", {"x"}},
      {"", {}},
  };
  fs::path p = root_ / "L.dat";
  for (const auto& c : cases) {
    WriteWholeFile(p, c.bytes);
    EXPECT_EQ(ReadListItems(p), c.items) << c.bytes;
  }
}

TEST(TextList, Numbers) {
  EXPECT_EQ(ToNumber("  0012 "), 12);
  EXPECT_EQ(ToNumber("-3"), -3);
  EXPECT_EQ(ToNumber("\t12\r\n"), 12);  // every blank, as the other readers take it
  EXPECT_THROW(ToNumber(""), Failure);
  EXPECT_THROW(ToNumber("1a"), Failure);
  EXPECT_THROW(ToNumber("1.5"), Failure);  // a whole number only
}

TEST(NumberText, OneBlankAndOneStrictReading) {
  struct Case {
    const char* text;
    bool ok;
    bool negative = false, point = false;
    const char* whole = "";
    const char* fraction = "";
  } cases[] = {
      {"12", true, false, false, "12", ""},
      {" \t-3.50\r\n", true, true, true, "3", "50"},
      {"+7.", true, false, true, "7", ""},
      {".25", true, false, true, "", "25"},
      {"", false},
      {" \t ", false},
      {"-", false},
      {".", false},
      {"1 2", false},
      {"1.2.3", false},
      {"--1", false},
      {"1a", false},
      {"\v1", false},
  };
  for (const Case& c : cases) {
    NumberText n;
    ASSERT_EQ(ScanNumber(c.text, n), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(n.negative, c.negative) << c.text;
    EXPECT_EQ(n.point, c.point) << c.text;
    EXPECT_EQ(n.whole, c.whole) << c.text;
    EXPECT_EQ(n.fraction, c.fraction) << c.text;
  }
  NumberText n;
  ASSERT_TRUE(ScanNumber(" -3.5 ", n));
  EXPECT_DOUBLE_EQ(ValueOf(n), -3.5);
}

TEST(NumberText, ValueIsWhatStrtodGivesForShortAndLongNumbers) {
  for (const char* t : {"0", "-0", "007", "7.", "2019", "-32768", "999999999999999",
                        "1234567890123456", "99999999999999999999", "0.1", "-12.75"}) {
    NumberText n;
    ASSERT_TRUE(ScanNumber(t, n)) << t;
    const double v = ValueOf(n), want = std::strtod(t, nullptr);
    EXPECT_EQ(v, want) << t;
    EXPECT_EQ(std::signbit(v), std::signbit(want)) << t;
  }
}

TEST(AsciiCase, OnlyLettersAToZFold) {
  EXPECT_EQ(AsciiLower("UmaGoto\x82\xA0Z.DAT"), "umagoto\x82\xa0z.dat");
  EXPECT_TRUE(SameIgnoringAsciiCase("Command1", "COMMAND1"));
  EXPECT_FALSE(SameIgnoringAsciiCase("\xC4", "\xE4"));  // no byte above ASCII folds
  EXPECT_FALSE(SameIgnoringAsciiCase("ab", "abc"));
}

TEST_F(FsTest, LinesSplitAtCrLf) {
  fs::path p = root_ / "HS.dat";
  WriteWholeFile(p, "one\r\ntwo\r\nthree");
  EXPECT_EQ(ReadLines(p), (std::vector<std::string>{"one", "two", "three"}));
}

// Two folders of the data directory, as the tests here use them.
constexpr std::string_view kTestFolders[] = {"KYOSOBA", "UMAGOTOSETUP"};

TEST_F(FsTest, DataDirMatchesCaseAndRefusesUnsafeNames) {
  DataDir d(root_);
  d.CreateFolders(kTestFolders);
  fs::remove_all(root_ / "KYOSOBA");
  fs::create_directories(root_ / "kyosoba");
  WriteWholeFile(root_ / "kyosoba" / "2019100001.dat", "z");
  EXPECT_EQ(d.EntityPath("KYOSOBA", "2019100001"), root_ / "kyosoba" / "2019100001.dat");
  EXPECT_EQ(d.Path("ra20180101new.DAT"), root_ / "ra20180101new.DAT");
  WriteWholeFile(root_ / "RA20180101NEW.dat", "");
  // Written through the file layer, the file is known to the live directory
  // at once, and a new run lists it.
  EXPECT_EQ(d.Path("ra20180101new.DAT"), root_ / "RA20180101NEW.dat");
  DataDir d2(root_);
  EXPECT_EQ(d2.Path("ra20180101new.DAT"), root_ / "RA20180101NEW.dat");
  // Every character the original file system refuses in a name, and each
  // control byte tried, alone and inside an identifier.
  for (std::string bad : {"", "..", ".", "a/b", "a\\b", "   ", "a\x01", "a\x1f", "a\x7f", "c:x",
                          "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "|"}) {
    EXPECT_FALSE(IsPlainName(bad)) << bad;
    EXPECT_THROW(d.EntityPath("KYOSOBA", bad), Failure) << bad;
  }
  EXPECT_TRUE(IsPlainName("2019100001"));
  EXPECT_TRUE(IsPlainName("0123 "));
  // A NUL and an ESC in a refused identifier: the report line is whole, and
  // shown with both escaped.
  try {
    d.EntityPath("KYOSOBA", std::string("a\0b\x1b[2J", 7));
    ADD_FAILURE() << "not refused";
  } catch (const Failure& e) {
    FailureFold fold;
    fold.Add("horse file name", e);
    ASSERT_EQ(fold.Lines().size(), 1u);
    EXPECT_EQ(Printable(fold.Lines()[0]),
              "horse file name: refused file name 'a\\x00b\\x1b[2J' in KYOSOBA");
  }
  d.Delete("RA20180101NEW.dat");
  EXPECT_THROW(d.Delete("RA20180101NEW.dat"), Failure);
  // A folder is never deleted as if it were a file, even an empty one.
  fs::create_directories(root_ / "EMPTY.dat");
  EXPECT_THROW(d.Delete("EMPTY.dat"), Failure);
  EXPECT_TRUE(fs::is_directory(root_ / "EMPTY.dat"));
}

TEST_F(FsTest, EveryFileTheFileLayerCreatesIsFoundInAnyCaseAtOnce) {
  DataDir d(root_);
  d.CreateFolders(kTestFolders);
  // A miss lists the folder once; the files created afterwards are told to
  // the live directory by the creating calls themselves.
  ASSERT_EQ(d.Path("UMAGOTOSETUP\\none.dat"), root_ / "UMAGOTOSETUP" / "none.dat");
  const fs::path folder = root_ / "UMAGOTOSETUP";
  const std::function<void(const fs::path&)> creators[] = {
      [](const fs::path& p) { RecordFile(p, 4); },
      [](const fs::path& p) { WriteWholeFile(p, "x"); },
      [](const fs::path& p) { WriteWholeFile(p, "x", Rewrite::FromFirstChange); },
      [](const fs::path& p) { ReplaceWholeFile(p, "x"); },
      [](const fs::path& p) { TextListWriter(p).Close(); },
      [](const fs::path& p) { RecordAppender(p, 4).Close(); },
  };
  int k = 0;
  for (const auto& create : creators) {
    const std::string name = "Made" + std::to_string(++k) + ".DAT";
    create(folder / name);
    EXPECT_EQ(d.Path("umagotosetup\\made" + std::to_string(k) + ".dat"), folder / name) << name;
  }
}

TEST_F(FsTest, TheSeamKeepsTheNamesByCaseThroughAnInstalledFileSystem) {
  DataDir d(root_);
  d.CreateFolders(kTestFolders);
  const fs::path folder = root_ / "UMAGOTOSETUP";
  ASSERT_EQ(d.Path("UMAGOTOSETUP/none.dat"), folder / "none.dat");
  FaultFileSystem faults;
  ScopedFileSystem installed(faults);
  // A bare create and a rename, as a writer that knows nothing of the cache
  // makes them.
  OpenedFile f;
  ASSERT_EQ(Files().OpenForWriting(folder / "Bare.DAT", WriteMode::InPlace, f), 0);
  ASSERT_EQ(Files().Close(f.handle), 0);
  EXPECT_EQ(d.Path("umagotosetup/bare.dat"), folder / "Bare.DAT");
  ASSERT_EQ(Files().Replace(folder / "Bare.DAT", folder / "Moved.DAT"), 0);
  EXPECT_EQ(d.Path("umagotosetup/moved.dat"), folder / "Moved.DAT");
  EXPECT_GT(faults.operations(), 0);
}

TEST_F(FsTest, AFileOfAnotherCaseDeletedAndWrittenAgainIsFoundAgain) {
  // An output left by an earlier run under another case: a step deletes it,
  // writes it anew at the same path and reads it back by its own name.
  WriteWholeFile(root_ / "ks20180101new.dat", "old");
  DataDir d(root_);
  fs::path p = d.Path("KS20180101NEW.dat");
  ASSERT_EQ(p, root_ / "ks20180101new.dat");
  d.DeletePath(p);
  WriteWholeFile(p, "new");
  EXPECT_EQ(d.Path("KS20180101NEW.dat"), p);
  EXPECT_EQ(ReadWholeFile(d.Path("KS20180101NEW.dat")), "new");

  // Written again under the name as given: that name is found.
  d.DeletePath(p);
  fs::path again = d.Path("KS20180101NEW.dat");
  EXPECT_EQ(again, root_ / "KS20180101NEW.dat");
  WriteWholeFile(again, "newer");
  EXPECT_EQ(ReadWholeFile(d.Path("KS20180101NEW.dat")), "newer");
}

}  // namespace
}  // namespace volq
