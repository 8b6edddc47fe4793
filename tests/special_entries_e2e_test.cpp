// What may stand in a data directory besides plain files of one name: a
// per-entity file or the lock's note that a name outside links to, a FIFO
// in place of a raw file. A build step never writes through the link and
// never waits on the FIFO.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "platform/fs/data_dir_lock.h"

namespace volq {
namespace {

namespace fs = std::filesystem;
using testing::InRoot;
using testing::Shell;

// Exit status of volqbuild on ROOT/data running `script`, its standard error
// in ROOT/err.txt. A run that would wait for ever is ended after 20 s
// (status 124).
int Volqbuild(const fs::path& root, const std::string& script) {
  return Shell(InRoot(root) + "timeout 20 '" VOLQBUILD_PATH "' --data-dir data -c '" + script +
               "' >/dev/null 2>err.txt");
}

// A horse's race entries linked to a file outside (as `ln OUTSIDE
// DATA/UMAGOTOSETUP/ID.dat` makes it), and the lock's note linked to
// another: Command6 writes the horse's file as without the link, and the
// outside files keep their bytes.
TEST(SpecialEntries, AHardLinkedEntityFileAndLockNoteKeepTheirOutsideBytes) {
  const fs::path root = testing::FreshTestRoot();
  ASSERT_TRUE(testing::DownloadSample(root, 7));
  const fs::path data = root / "data";
  ASSERT_EQ(Volqbuild(root, "press Command2; press Command3"), 0)
      << ReadWholeFile(root / "err.txt");
  const int clean_status = Volqbuild(root, "press Command6");
  fs::path horse;
  for (const auto& e : fs::directory_iterator(data / "UMAGOTOSETUP")) {
    if (e.file_size() > 0 && (horse.empty() || e.path() < horse)) horse = e.path();
  }
  ASSERT_FALSE(horse.empty());
  const std::string clean = ReadWholeFile(horse);

  const fs::path outside = root / "outside.dat", note = root / "outside-note.txt";
  WriteWholeFile(outside, "outside bytes\n");
  WriteWholeFile(note, "a note kept elsewhere\n");
  fs::remove(horse);
  fs::create_hard_link(outside, horse);
  fs::create_hard_link(note, data / kLockNoteName);
  EXPECT_EQ(Volqbuild(root, "press Command6"), clean_status) << ReadWholeFile(root / "err.txt");
  EXPECT_EQ(ReadWholeFile(horse), clean);
  EXPECT_EQ(ReadWholeFile(outside), "outside bytes\n");
  EXPECT_EQ(ReadWholeFile(note), "a note kept elsewhere\n");
  EXPECT_EQ(fs::hard_link_count(horse), 1u);
  fs::remove_all(root);
}

// A FIFO in place of the raw race file: Command1 stops at once, names it,
// changes nothing and exits with 1; the FIFO stays.
TEST(SpecialEntries, AFifoInPlaceOfARawFileStopsTheStepAtOnce) {
  const fs::path root = testing::FreshTestRoot();
  DataDir(root / "data").CreateFolders(kDataDirFolders);
  const fs::path raw = root / "data/RA20180101.dat";
  ASSERT_EQ(::mkfifo(raw.c_str(), 0644), 0);
  WriteWholeFile(root / "data/RA20180101NEW.dat", "former");
  EXPECT_EQ(Volqbuild(root, "press Command1"), 1);
  EXPECT_EQ(ReadWholeFile(root / "err.txt"),
            "failure: in data directory " + (root / "data").string() +
                ":\nfailure: step stopped: cannot read input RA20180101.dat: not a regular file; "
                "the step did not run and changed nothing: put the file itself in its place and "
                "run it again\n");
  EXPECT_EQ(ReadWholeFile(root / "data/RA20180101NEW.dat"), "former");
  EXPECT_EQ(fs::status(raw).type(), fs::file_type::fifo);
  fs::remove_all(root);
}

// A folder of per-horse files kept on another disk through a symlink: the
// steps write there as before, and the run says so once.
TEST(SpecialEntries, AFolderThatIsASymlinkIsNamedOnceARun) {
  const fs::path root = testing::FreshTestRoot();
  DataDir(root / "data").CreateFolders(kDataDirFolders);
  fs::remove(root / "data/UMAGOTOSETUP");
  fs::create_directories(root / "disk/horses");
  fs::create_symlink(root / "disk/horses", root / "data/UMAGOTOSETUP");
  WriteWholeFile(root / "data/KETTONUM20180101.dat", "");
  WriteWholeFile(root / "data/SE20180101NEW.dat", "");
  EXPECT_EQ(Volqbuild(root, "press Command6; press Command6"), 0);
  EXPECT_EQ(ReadWholeFile(root / "err.txt"), "note: UMAGOTOSETUP is a link to " +
                                                 (root / "disk/horses").string() +
                                                 ": its files are written there\n");
  fs::remove_all(root);
}

// Every file under the data directory and its bytes, without the lock's note.
std::map<std::string, std::string> DataFiles(const fs::path& data) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(data)) {
    if (e.is_regular_file() && e.path().filename() != kLockNoteName) {
      files[e.path().lexically_relative(data).string()] = ReadWholeFile(e.path());
    }
  }
  return files;
}

// An emptied raw record file of a download (a cut copy, a restore) is no
// data to build from: each step that goes through it stops, names it and
// what to do, exits with 1 and changes nothing, its NEW file and everything
// built from it included.
TEST(SpecialEntries, AnEmptyRawFileStopsEveryStepThatReadsIt) {
  const fs::path root = testing::FreshTestRoot();
  ASSERT_TRUE(testing::DownloadSample(root, 7));
  const fs::path data = root / "data";
  ASSERT_EQ(Volqbuild(root,
                      "press Command1; press Command2; press Command3; press Command12; "
                      "press Command14; press Command7; press Command4; press Command5"),
            0)
      << ReadWholeFile(root / "err.txt");
  const struct {
    const char* raw;
    std::vector<const char*> buttons;  // every button whose step goes through it
  } cases[] = {
      {"RA20180101.dat", {"Command1"}},
      {"SE20180101.dat", {"Command2"}},
      {"UM20180101.dat", {"Command3"}},
      {"KS20180101.dat", {"Command12"}},
      {"CH20180101.dat", {"Command14"}},
      {"BR20180101.dat", {"Command14"}},
      {"BN20180101.dat", {"Command14"}},
      {"HN20180101.dat", {"Command7"}},
      {"SK20180101.dat", {"Command4", "Command5"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.raw);
    const std::string bytes = ReadWholeFile(data / c.raw);
    ASSERT_FALSE(bytes.empty());
    WriteWholeFile(data / c.raw, "");
    const std::map<std::string, std::string> before = DataFiles(data);
    const std::string type = std::string(c.raw).substr(0, 2);
    for (const char* button : c.buttons) {
      SCOPED_TRACE(button);
      EXPECT_EQ(Volqbuild(root, std::string("press ") + button), 1);
      EXPECT_EQ(ReadWholeFile(root / "err.txt"),
                "failure: in data directory " + data.string() + ":\nfailure: step stopped: input " +
                    c.raw +
                    " is empty: the step did not run and changed nothing; download again with "
                    "volqfetch (a download leaves it empty only when the record source has no " +
                    type + " records)\n");
      EXPECT_TRUE(DataFiles(data) == before);
    }
    WriteWholeFile(data / c.raw, bytes);
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
