#include "platform/fs/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fs/data_dir.h"
#include "platform/fs/data_dir_lock.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/special_entries_for_tests.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& p, std::string_view bytes) { std::ofstream(p, std::ios::binary) << bytes; }

bool IsSymlink(const fs::path& p) { return fs::is_symlink(fs::symlink_status(p)); }

size_t OpenHandles() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

// A data directory `data` registered with the seam, and a folder `outside`
// it that nothing may touch through it.
class SeamTest : public ::testing::Test {
 protected:
  SeamTest()
      : base_(fs::temp_directory_path() /
              ("volq_seam_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        data_((fs::remove_all(base_), fs::create_directories(base_ / "data"), base_ / "data")),
        outside_(base_ / "outside"),
        root_(data_),
        dir_(data_) {
    fs::create_directories(outside_);
    fs::create_directories(data_ / "UMAGOTOSETUP");
  }
  ~SeamTest() override { fs::remove_all(base_); }

  FileSystem& files() { return Files(); }
  // The errno of a call that may open a handle; the handle is closed.
  int Opening(const std::function<int(OpenedFile&)>& open) {
    OpenedFile f;
    const int err = open(f);
    if (err == 0) {
      EXPECT_EQ(files().Close(f.handle), 0);
    }
    return err;
  }

  fs::path base_, data_, outside_;
  DataDirRoot root_;
  DataDir dir_;
};

TEST_F(SeamTest, SymlinkInPlaceOfAFileIsRefusedAndNothingOutsideIsTouched) {
  ASSERT_EQ(root_.error(), 0);
  Put(outside_ / "target.dat", "outside bytes");
  Put(data_ / "UMAGOTOSETUP" / "new.tmp", "replacement");
  const fs::path link = data_ / "UMAGOTOSETUP" / "2010100006.dat";
  struct Call {
    const char* name;
    std::function<int()> call;
    int expected;
  };
  std::string bytes;
  MappedFile map;
  auto open_link = [&](WriteMode mode) {
    return Opening([&](OpenedFile& f) { return files().OpenForWriting(link, mode, f); });
  };
  const std::vector<Call> calls = {
      {"read whole", [&] { return files().ReadWhole(link, bytes); }, ELOOP},
      {"map", [&] { return files().MapForReading(link, map); }, ELOOP},
      {"open for reading",
       [&] { return Opening([&](OpenedFile& f) { return files().OpenForReading(link, f); }); },
       ELOOP},
      {"in place", [&] { return open_link(WriteMode::InPlace); }, ELOOP},
      {"append", [&] { return open_link(WriteMode::Append); }, ELOOP},
      {"read-write", [&] { return open_link(WriteMode::ReadWrite); }, ELOOP},
      // A temporary file is only ever made where nothing stands.
      {"temporary", [&] { return open_link(WriteMode::Temporary); }, EEXIST},
      {"replace", [&] { return files().Replace(data_ / "UMAGOTOSETUP" / "new.tmp", link); }, ELOOP},
      {"delete", [&] { return files().Delete(link); }, ELOOP},
  };
  for (const char* target : {"target.dat", "missing.dat"}) {
    fs::remove(link);
    fs::create_symlink(outside_ / target, link);
    for (const Call& c : calls) {
      SCOPED_TRACE(std::string(c.name) + " through a link to " + target);
      EXPECT_EQ(c.call(), c.expected);
      EXPECT_TRUE(IsSymlink(link));
      EXPECT_EQ(Slurp(outside_ / "target.dat"), "outside bytes");
      EXPECT_FALSE(fs::exists(outside_ / "missing.dat"));
    }
    EntryInfo info;
    EXPECT_EQ(files().Stat(link, info), 0);
    EXPECT_EQ(info.kind, EntryKind::Symlink);
  }
  EXPECT_EQ(Slurp(data_ / "UMAGOTOSETUP" / "new.tmp"), "replacement");
}

// While a data directory is registered, no call reaches a path under none:
// every one is refused, and what stands beside it keeps its bytes, nothing
// is made there, and the data directory's file stays in place.
TEST_F(SeamTest, APathBesideTheDataDirectoryIsRefused) {
  ASSERT_EQ(root_.error(), 0);
  Put(outside_ / "a", "mine");
  Put(data_ / "RA20180101.dat", "raw");
  const fs::path a = outside_ / "a", made = outside_ / "made";
  std::string bytes;
  MappedFile map;
  std::vector<std::string> names;
  EntryInfo info;
  auto open = [&](WriteMode mode) {
    return Opening([&](OpenedFile& f) { return files().OpenForWriting(made, mode, f); });
  };
  const struct {
    const char* name;
    std::function<int()> call;
  } calls[] = {
      {"read whole", [&] { return files().ReadWhole(a, bytes); }},
      {"map", [&] { return files().MapForReading(a, map); }},
      {"open for reading",
       [&] { return Opening([&](OpenedFile& f) { return files().OpenForReading(a, f); }); }},
      {"temporary", [&] { return open(WriteMode::Temporary); }},
      {"in place", [&] { return open(WriteMode::InPlace); }},
      {"append", [&] { return open(WriteMode::Append); }},
      {"read-write", [&] { return open(WriteMode::ReadWrite); }},
      {"sync folder", [&] { return files().SyncFolder(outside_); }},
      {"sync file system", [&] { return files().SyncFileSystem(outside_); }},
      {"replace from beside", [&] { return files().Replace(a, data_ / "RA20180101.dat"); }},
      {"replace to beside", [&] { return files().Replace(data_ / "RA20180101.dat", made); }},
      {"delete", [&] { return files().Delete(a); }},
      {"list", [&] { return files().List(outside_, names); }},
      {"stat", [&] { return files().Stat(a, info); }},
      // The same text as the root, but another folder.
      {"a folder named as the root begins", [&] { return files().Stat(base_ / "data2", info); }},
  };
  for (const auto& c : calls) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(), kOutsideDataDir);
    EXPECT_EQ(Slurp(a), "mine");
    EXPECT_FALSE(fs::exists(made));
    EXPECT_EQ(Slurp(data_ / "RA20180101.dat"), "raw");
  }
}

// The seam's own refusals are reported by what stands there, the others
// with the operation and the system's reason.
TEST_F(SeamTest, RefusalsAreReportedByName) {
  const fs::path p = data_ / "UMAGOTOSETUP" / "2010100006.dat";
  const struct {
    int err;
    const char* reason;
    const char* report;
  } cases[] = {
      {kRefusedSymlink, "refused symlink", "refused symlink UMAGOTOSETUP/2010100006.dat"},
      {kNotRegularFile, "not a regular file", "not a regular file UMAGOTOSETUP/2010100006.dat"},
      {kOutsideDataDir, "outside the data directory",
       "refused path outside the data directory UMAGOTOSETUP/2010100006.dat"},
      {ENOSPC, "No space left on device",
       "cannot write UMAGOTOSETUP/2010100006.dat: No space left on device"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SeamErrorText(c.err), c.reason);
    try {
      FailFileOp("cannot write", p, c.err);
    } catch (const Failure& e) {
      EXPECT_STREQ(e.what(), c.report);
    }
  }
}

// A FIFO, with or without a program at its other end, or a socket in place
// of a file: every open is refused at once, none waits (the process ends at
// the alarm if one does), and the entry is left as it was.
TEST_F(SeamTest, WhatIsNoRegularFileIsRefusedWithoutWaiting) {
  const fs::path p = data_ / "UMAGOTOSETUP" / "2010100006.dat";
  std::string bytes;
  MappedFile map;
  auto open_as = [&](WriteMode mode) {
    return Opening([&](OpenedFile& f) { return files().OpenForWriting(p, mode, f); });
  };
  const std::vector<std::pair<const char*, std::function<int()>>> calls = {
      {"read whole", [&] { return files().ReadWhole(p, bytes); }},
      {"map", [&] { return files().MapForReading(p, map); }},
      {"open for reading",
       [&] { return Opening([&](OpenedFile& f) { return files().OpenForReading(p, f); }); }},
      {"in place", [&] { return open_as(WriteMode::InPlace); }},
      {"append", [&] { return open_as(WriteMode::Append); }},
      {"read-write", [&] { return open_as(WriteMode::ReadWrite); }},
  };
  int reader = -1;
  const std::pair<const char*, std::function<void()>> entries[] = {
      {"FIFO", [&] { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
      {"FIFO with a reader",
       [&] {
         ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0);
         reader = ::open(p.c_str(), O_RDONLY | O_NONBLOCK);
         ASSERT_GE(reader, 0);
       }},
      {"socket", [&] { ASSERT_TRUE(MakeSocket(p)); }},
  };
  for (const auto& [entry, make] : entries) {
    fs::remove(p);
    make();
    ::alarm(20);
    for (const auto& [name, call] : calls) {
      SCOPED_TRACE(std::string(name) + " of a " + entry);
      EXPECT_EQ(call(), kNotRegularFile);
    }
    ::alarm(0);
    EntryInfo info;
    EXPECT_EQ(files().Stat(p, info), 0);
    EXPECT_EQ(info.kind, EntryKind::Other);
    if (reader >= 0) ::close(reader);
    reader = -1;
  }
}

// A file that another name links to (here a name outside the data
// directory) is not opened to be written in place; read, replaced or
// deleted, the other name keeps its bytes.
TEST_F(SeamTest, AFileWithAnotherNameIsNotWrittenInPlace) {
  const fs::path p = data_ / "UMAGOTOSETUP" / "2010100003.dat";
  Put(outside_ / "kept.dat", "outside bytes");
  fs::create_hard_link(outside_ / "kept.dat", p);
  for (WriteMode mode : {WriteMode::InPlace, WriteMode::Append, WriteMode::ReadWrite}) {
    SCOPED_TRACE(static_cast<int>(mode));
    EXPECT_EQ(Opening([&](OpenedFile& f) { return files().OpenForWriting(p, mode, f); }),
              kLinkedFile);
  }
  std::string bytes;
  EXPECT_EQ(files().ReadWhole(p, bytes), 0);
  EXPECT_EQ(bytes, "outside bytes");
  const fs::path tmp = data_ / "UMAGOTOSETUP" / "2010100003.dat.1-0.partial";
  Put(tmp, "race records");
  EXPECT_EQ(files().Replace(tmp, p), 0);
  EXPECT_EQ(Slurp(p), "race records");
  EXPECT_EQ(fs::hard_link_count(p), 1u);
  fs::create_hard_link(outside_ / "kept.dat", data_ / "linked.dat");
  EXPECT_EQ(files().Delete(data_ / "linked.dat"), 0);
  EXPECT_EQ(Slurp(outside_ / "kept.dat"), "outside bytes");
}

TEST_F(SeamTest, FolderThatIsASymlinkIsFollowed) {
  fs::create_directories(outside_ / "big");
  fs::create_directory_symlink(outside_ / "big", data_ / "KYOSOBA");
  const fs::path tmp = data_ / "KYOSOBA" / "x.dat.1-0.partial";
  OpenedFile f;
  ASSERT_EQ(files().OpenForWriting(tmp, WriteMode::Temporary, f), 0);
  EXPECT_EQ(files().Write(f.handle, "horse"), 0);
  EXPECT_EQ(files().Close(f.handle), 0);
  EXPECT_EQ(files().Replace(tmp, data_ / "KYOSOBA" / "x.dat"), 0);
  EXPECT_EQ(Slurp(outside_ / "big" / "x.dat"), "horse");
  std::vector<std::string> names;
  EXPECT_EQ(files().List(data_ / "KYOSOBA", names), 0);
  EXPECT_EQ(names, std::vector<std::string>{"x.dat"});
  EntryInfo info;
  EXPECT_EQ(files().Stat(data_ / "KYOSOBA", info), 0);
  EXPECT_EQ(info.kind, EntryKind::Folder);
}

TEST_F(SeamTest, EachCallFailsWithItsStatedErrnoAndChangesNothing) {
  Put(data_ / "file.dat", "abc");
  Put(data_ / "ro.dat", "kept");
  fs::permissions(data_ / "ro.dat", fs::perms(0444));
  fs::create_directories(data_ / "SUB");
  Put(outside_ / "x.dat", "outside");
  std::string bytes;
  std::vector<std::string> names;
  EntryInfo info;
  auto open_as = [&](const char* name, WriteMode mode) {
    return Opening(
        [&, name, mode](OpenedFile& f) { return files().OpenForWriting(data_ / name, mode, f); });
  };
  struct Case {
    const char* name;
    std::function<int()> call;
    int expected;
  };
  const std::vector<Case> cases = {
      {"read a missing file", [&] { return files().ReadWhole(data_ / "none.dat", bytes); }, ENOENT},
      {"read a folder", [&] { return files().ReadWhole(data_ / "SUB", bytes); }, EISDIR},
      {"map a folder",
       [&] {
         MappedFile m;
         return files().MapForReading(data_ / "SUB", m);
       },
       EISDIR},
      {"write a folder", [&] { return open_as("SUB", WriteMode::InPlace); }, EISDIR},
      {"write into a missing folder", [&] { return open_as("NOPE/x.dat", WriteMode::InPlace); },
       ENOENT},
      {"write a read-only file", [&] { return open_as("ro.dat", WriteMode::InPlace); }, EACCES},
      {"append to a read-only file", [&] { return open_as("ro.dat", WriteMode::Append); }, EACCES},
      {"update a read-only file", [&] { return open_as("ro.dat", WriteMode::ReadWrite); }, EACCES},
      {"temporary over a file", [&] { return open_as("file.dat", WriteMode::Temporary); }, EEXIST},
      {"delete a missing file", [&] { return files().Delete(data_ / "none.dat"); }, ENOENT},
      {"delete a folder", [&] { return files().Delete(data_ / "SUB"); }, EISDIR},
      {"delete a read-only file", [&] { return files().Delete(data_ / "ro.dat"); }, EACCES},
      {"replace a read-only file",
       [&] { return files().Replace(data_ / "file.dat", data_ / "ro.dat"); }, EACCES},
      {"replace a folder", [&] { return files().Replace(data_ / "file.dat", data_ / "SUB"); },
       EISDIR},
      {"replace from a missing file",
       [&] { return files().Replace(data_ / "none.dat", data_ / "new.dat"); }, ENOENT},
      // A file where a folder should be is a missing folder to calls on files.
      {"read under a file", [&] { return files().ReadWhole(data_ / "file.dat" / "x", bytes); },
       ENOENT},
      {"write under a file", [&] { return open_as("file.dat/x.dat", WriteMode::InPlace); }, ENOENT},
      {"delete under a file", [&] { return files().Delete(data_ / "file.dat" / "x"); }, ENOENT},
      {"list a file", [&] { return files().List(data_ / "file.dat", names); }, ENOTDIR},
      {"list a missing folder", [&] { return files().List(data_ / "NOPE", names); }, ENOENT},
      {"a name leading out",
       [&] { return files().ReadWhole(data_ / ".." / "outside" / "x.dat", bytes); }, EINVAL},
      {"a name leading out, written",
       [&] { return open_as("UMAGOTOSETUP/../../outside/y.dat", WriteMode::InPlace); }, EINVAL},
      {"stat a name leading out", [&] { return files().Stat(data_ / ".." / "outside", info); },
       EINVAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(), c.expected);
  }
  EXPECT_EQ(Slurp(data_ / "file.dat"), "abc");
  EXPECT_EQ(Slurp(data_ / "ro.dat"), "kept");
  EXPECT_EQ(fs::status(data_ / "ro.dat").permissions(), fs::perms(0444));
  EXPECT_TRUE(fs::is_directory(data_ / "SUB"));
  EXPECT_FALSE(fs::exists(data_ / "new.dat"));
  EXPECT_FALSE(fs::exists(outside_ / "y.dat"));
}

TEST_F(SeamTest, StatTellsKindSizeAndModeAndListSkipsHiddenNames) {
  Put(data_ / "RA20180101.dat", "12345");
  Put(data_ / ".volq-lock", "volqfetch (pid 1) since then");
  Put(data_ / ".hidden", "");
  struct Case {
    fs::path path;
    EntryKind kind;
    std::uint64_t size;
  };
  for (const Case& c : std::vector<Case>{{data_ / "RA20180101.dat", EntryKind::File, 5},
                                         {data_ / "UMAGOTOSETUP", EntryKind::Folder, 0},
                                         {data_ / "none.dat", EntryKind::Missing, 0},
                                         {data_ / "NOPE" / "x.dat", EntryKind::Missing, 0},
                                         {data_ / "RA20180101.dat" / "x", EntryKind::Missing, 0},
                                         {data_, EntryKind::Folder, 0}}) {
    SCOPED_TRACE(c.path.string());
    EntryInfo info;
    EXPECT_EQ(files().Stat(c.path, info), 0);
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_EQ(info.size, c.size);
  }
  std::vector<std::string> names;
  ASSERT_EQ(files().List(data_, names), 0);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"RA20180101.dat", "UMAGOTOSETUP"}));
}

TEST_F(SeamTest, HandlesWriteReadCutAndKeepExactModes) {
  const fs::path p = data_ / "UMAGOTOSETUP" / "2010100006.dat";
  OpenedFile f;
  ASSERT_EQ(files().OpenForWriting(p, WriteMode::InPlace, f), 0);
  EXPECT_EQ(f.size, 0u);
  size_t written = 0;
  EXPECT_EQ(files().Write(f.handle, "AAAABBBBCCCC", &written), 0);
  EXPECT_EQ(written, 12u);
  EXPECT_EQ(files().Truncate(f.handle, 8), 0);
  // Exactly the bits asked for, whatever the umask: a replacement keeps
  // those of the file it replaces.
  EXPECT_EQ(files().SetMode(f.handle, 0664), 0);
  EXPECT_EQ(files().Close(f.handle), 0);
  EXPECT_EQ(fs::status(p).permissions(), fs::perms(0664));

  ASSERT_EQ(files().OpenForWriting(p, WriteMode::ReadWrite, f), 0);
  EXPECT_EQ(f.size, 8u);
  EXPECT_EQ(files().WriteAt(f.handle, 4, "bbbbDDDD"), 0);
  char buf[64];
  size_t got = 0;
  EXPECT_EQ(files().Read(f.handle, buf, sizeof buf, got), 0);
  EXPECT_EQ(std::string(buf, got), "AAAAbbbbDDDD");
  EXPECT_EQ(files().Close(f.handle), 0);

  ASSERT_EQ(files().OpenForWriting(p, WriteMode::Append, f), 0);
  EXPECT_EQ(files().Write(f.handle, "EE"), 0);
  EXPECT_EQ(files().Close(f.handle), 0);
  MappedFile map;
  ASSERT_EQ(files().MapForReading(p, map), 0);
  EXPECT_EQ(map.bytes(), "AAAAbbbbDDDDEE");
  std::string whole;
  ASSERT_EQ(files().ReadWhole(p, whole), 0);
  EXPECT_EQ(whole, "AAAAbbbbDDDDEE");
  Put(data_ / "empty.dat", "");
  ASSERT_EQ(files().MapForReading(data_ / "empty.dat", map), 0);
  EXPECT_TRUE(map.bytes().empty());
}

// The calls of one replaced output and its reading back, in order: each
// result, as many as were made.
std::vector<int> ReplaceAndReadBack(FileSystem& files, const fs::path& data) {
  std::vector<int> results;
  const fs::path tmp = data / "KS.dat.1-0.partial", out = data / "KS.dat";
  OpenedFile f;
  results.push_back(files.OpenForWriting(tmp, WriteMode::Temporary, f));
  if (results.back() == 0) {
    results.push_back(files.Write(f.handle, "records"));
    results.push_back(files.SetMode(f.handle, 0644));
    results.push_back(files.Close(f.handle));
  }
  results.push_back(files.Replace(tmp, out));
  std::string bytes;
  results.push_back(files.ReadWhole(out, bytes));
  EntryInfo info;
  results.push_back(files.Stat(out, info));
  std::vector<std::string> names;
  results.push_back(files.List(data, names));
  results.push_back(files.Delete(out));
  fs::remove(tmp);
  fs::remove(out);
  return results;
}

TEST_F(SeamTest, FaultFileSystemCountsCallsAndFailsCallK) {
  FaultFileSystem fault;
  const std::vector<int> clean = ReplaceAndReadBack(fault, data_);
  ASSERT_EQ(clean, std::vector<int>(9, 0));
  ASSERT_EQ(fault.operations(), 9);
  EXPECT_EQ(fault.faults(), 0);
  const int errs[] = {ENOSPC, EIO, EACCES};
  for (int k = 1; k <= 10; ++k) {
    SCOPED_TRACE("call " + std::to_string(k));
    const int err = errs[k % 3];
    const size_t handles = OpenHandles();
    fault.Reset();
    fault.FailAt(k, err);
    const std::vector<int> got = ReplaceAndReadBack(fault, data_);
    // A failed close still releases its handle.
    EXPECT_EQ(OpenHandles(), handles);
    if (k > 9) {
      EXPECT_EQ(got, clean);
      EXPECT_EQ(fault.faults(), 0);
      EXPECT_EQ(fault.failed_operation(), "");
      continue;
    }
    ASSERT_GE(got.size(), static_cast<size_t>(k));
    EXPECT_EQ(got[k - 1], err);
    EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + (k - 1)), std::vector<int>(k - 1, 0));
    EXPECT_EQ(fault.faults(), 1);
    EXPECT_NE(fault.failed_operation().find(data_.string()), std::string::npos)
        << fault.failed_operation();
  }
  fault.Reset();
  fault.FailAt(2, EIO);
  {
    ScopedFileSystem installed(fault);
    std::string bytes;
    Put(data_ / "a.dat", "a");
    EXPECT_EQ(Files().ReadWhole(data_ / "a.dat", bytes), 0);
    EXPECT_EQ(Files().ReadWhole(data_ / "a.dat", bytes), EIO);
    EXPECT_EQ(fault.failed_operation(), "read whole " + (data_ / "a.dat").string());
  }
  // Uninstalled, it sees no more calls.
  const std::int64_t seen = fault.operations();
  std::string bytes;
  EXPECT_EQ(Files().ReadWhole(data_ / "a.dat", bytes), 0);
  EXPECT_EQ(fault.operations(), seen);
}

TEST_F(SeamTest, SyncsPutFilesAndFoldersOnDiskAndSayWhatIsMissing) {
  OpenedFile f;
  ASSERT_EQ(files().OpenForWriting(data_ / "a.dat", WriteMode::InPlace, f), 0);
  ASSERT_EQ(files().Write(f.handle, "a"), 0);
  EXPECT_EQ(files().Sync(f.handle), 0);
  EXPECT_EQ(files().Close(f.handle), 0);
  EXPECT_EQ(files().Sync(f.handle), EBADF);
  for (const fs::path& folder : {data_, data_ / "UMAGOTOSETUP"}) {
    EXPECT_EQ(files().SyncFolder(folder), 0) << folder;
    EXPECT_EQ(files().SyncFileSystem(folder), 0) << folder;
  }
  EXPECT_EQ(files().SyncFolder(data_ / "none"), ENOENT);
  EXPECT_EQ(files().SyncFileSystem(data_ / "a.dat"), ENOTDIR);
}

TEST_F(SeamTest, FreeLockIsTakenAtOnceAndLeavesAHiddenNote) {
  std::ostringstream note;
  {
    DataDirLock lock(data_, "volqbuild", note);
    std::string text;
    ASSERT_EQ(files().ReadWhole(data_ / kLockNoteName, text), 0);
    EXPECT_EQ(text.rfind("volqbuild (pid " + std::to_string(::getpid()) + ") since ", 0), 0u)
        << text;
    std::vector<std::string> names;
    ASSERT_EQ(files().List(data_, names), 0);
    EXPECT_EQ(names, std::vector<std::string>{"UMAGOTOSETUP"});
  }
  EXPECT_EQ(note.str(), "");
  EXPECT_FALSE(fs::exists(data_ / kLockNoteName));
  EXPECT_THROW(DataDirLock(data_ / "none", "volqbuild", note), Failure);
}

// A stale note that another name links to is never cut or written through,
// nor is a FIFO of its name waited on (the process ends at the alarm).
TEST_F(SeamTest, ALockNoteWithAnotherNameOrAFifoIsMadeAnew) {
  Put(outside_ / "kept.txt", "outside bytes");
  fs::create_hard_link(outside_ / "kept.txt", data_ / kLockNoteName);
  std::ostringstream note;
  {
    DataDirLock lock(data_, "volqbuild", note);
    EXPECT_EQ(Slurp(data_ / kLockNoteName).rfind("volqbuild (pid ", 0), 0u);
  }
  EXPECT_EQ(Slurp(outside_ / "kept.txt"), "outside bytes");
  ASSERT_EQ(::mkfifo((data_ / kLockNoteName).c_str(), 0644), 0);
  ::alarm(20);
  {
    DataDirLock lock(data_, "volqbuild", note);
    EXPECT_TRUE(fs::is_regular_file(data_ / kLockNoteName));
  }
  ::alarm(0);
}

std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

TEST_F(SeamTest, SecondProgramIsToldWhoHoldsTheLockAndWaitsForIt) {
  int to_child[2], from_child[2];
  ASSERT_EQ(::pipe(to_child), 0);
  ASSERT_EQ(::pipe(from_child), 0);
  const fs::path released = base_ / "released";
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // Forked before the parent locks, so it shares no lock with it.
    ::close(to_child[1]);
    ::close(from_child[0]);
    ::dup2(from_child[1], 2);
    char go;
    if (::read(to_child[0], &go, 1) != 1) ::_exit(2);
    {
      DataDirLock lock(data_, "volqbuild");
      const std::string_view when =
          fs::exists(released) ? "taken after release\n" : "taken while held\n";
      if (::write(2, when.data(), when.size()) < 0) ::_exit(2);
    }
    ::_exit(0);
  }
  ::close(to_child[0]);
  ::close(from_child[1]);
  std::optional<DataDirLock> held;
  held.emplace(data_, "volqfetch");
  ASSERT_EQ(::write(to_child[1], "g", 1), 1);
  const std::string told = ReadLine(from_child[0]);
  EXPECT_EQ(
      told.rfind("volqbuild: data directory " + data_.string() + " is in use by volqfetch (pid " +
                     std::to_string(::getpid()) + ") since ",
                 0),
      0u)
      << told;
  EXPECT_NE(told.find("; waiting until it is free"), std::string::npos) << told;
  Put(released, "");
  held.reset();
  EXPECT_EQ(ReadLine(from_child[0]), "taken after release");
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ::close(to_child[1]);
  ::close(from_child[0]);
}

}  // namespace
}  // namespace volq
