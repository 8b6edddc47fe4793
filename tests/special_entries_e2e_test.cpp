// What may stand in a data directory besides plain files of one name: a
// per-entity file or the lock's note that a name outside links to, a FIFO
// in place of a raw file. A build step never writes through the link and
// never waits on the FIFO.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

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

}  // namespace
}  // namespace volq
