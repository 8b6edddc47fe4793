#include "platform/fs/replaced_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "platform/fs/data_dir.h"
#include "platform/fs/fs_test_support.h"
#include "platform/fs/record_file.h"
#include "platform/fs/record_frames.h"
#include "platform/fs/text_list.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

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

// A file beside its final name is that name's temporary only in the form
// the writers give it: the name, a dot, a serial of two numbers, the suffix.
TEST(ReplacedFileTest, ATemporaryIsKnownOnlyInItsOwnForm) {
  const struct {
    const char* file;
    bool temporary;
  } cases[] = {
      {"RA20180101.dat.41-0.partial", true},  {"ra20180101.DAT.7-12.partial", true},
      {"RA20180101.dat.partial", false},  // its suffix where the serial starts
      {"RA20180101.dat..partial", false},     {"RA20180101.dat.41.partial", false},
      {"RA20180101.dat.4a-0.partial", false}, {"RA20180101.dat.41-0", false},
      {"SE20180101.dat.41-0.partial", false}, {"RA20180101.dat", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsTemporaryOf(c.file, "RA20180101.dat"), c.temporary) << c.file;
  }
}

}  // namespace
}  // namespace volq
