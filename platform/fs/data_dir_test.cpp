#include "platform/fs/data_dir.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/base/ascii_case.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/fs_test_support.h"
#include "platform/fs/record_file.h"
#include "platform/fs/record_file_for_tests.h"
#include "platform/fs/replaced_file.h"
#include "platform/fs/text_list.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

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

TEST(AsciiCase, OnlyLettersAToZFold) {
  EXPECT_EQ(AsciiLower("UmaGoto\x82\xA0Z.DAT"), "umagoto\x82\xa0z.dat");
  EXPECT_TRUE(SameIgnoringAsciiCase("Command1", "COMMAND1"));
  EXPECT_FALSE(SameIgnoringAsciiCase("\xC4", "\xE4"));  // no byte above ASCII folds
  EXPECT_FALSE(SameIgnoringAsciiCase("ab", "abc"));
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

namespace volq {
namespace {

// A data directory that cannot be written is told before any work, in one
// line with the system's reason and what to do for it; one that can is left
// as it was, also when a check that was cut short left its file.
TEST_F(FsTest, ADataDirectoryThatCannotBeWrittenIsToldBeforeAnyWork) {
  const fs::path data = root_ / "data";
  fs::create_directories(data);
  const std::string shown = data.string();
  struct Case {
    int error;
    std::string says;  // "" for a writable directory
  };
  for (const Case& c : std::vector<Case>{
           {0, ""},
           {EACCES, "cannot write the data directory " + shown +
                        " (Permission denied): the download and the steps write their files and "
                        "the journal there, so nothing was done; make it writable (chmod u+w " +
                        shown + ") or choose another with --data-dir"},
           {EROFS, "cannot write the data directory " + shown +
                       " (Read-only file system): the download and the steps write their files "
                       "and the journal there, so nothing was done; mount its file system "
                       "writable or choose another with --data-dir"},
           {EIO, "cannot write the data directory " + shown +
                     " (Input/output error): the download and the steps write their files and "
                     "the journal there, so nothing was done; see to its disk or choose another "
                     "with --data-dir"},
       }) {
    SCOPED_TRACE(c.error);
    FaultFileSystem files;
    files.FailWhere([&](std::string_view op, const std::string&) {
      return op == "open for writing" ? c.error : 0;
    });
    {
      ScopedFileSystem installed(files);
      EXPECT_EQ(DataDirWriteProblem(data), c.says);
    }
    EXPECT_TRUE(fs::is_empty(data));
  }
  WriteWholeFile(data / kWriteCheckName, "left");
  EXPECT_EQ(DataDirWriteProblem(data), "");
  EXPECT_TRUE(fs::is_empty(data));
}

}  // namespace
}  // namespace volq
