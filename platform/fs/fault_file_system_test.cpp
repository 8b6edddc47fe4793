#include "platform/fs/fault_file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "platform/fs/memory_file_system.h"

namespace volq {
namespace {

// Ten calls on folder /d: a.dat created and written, written again in
// place, read back, then replaced by an empty temporary file. What each
// call gave ("-" for a call on a handle that did not open).
std::vector<std::string> Calls(FileSystem& files) {
  std::vector<std::string> got;
  auto put = [&](int err) { got.push_back(std::to_string(err)); };
  OpenedFile f;
  auto write_in_place = [&](std::string_view bytes) {
    const int err = files.OpenForWriting("/d/a.dat", WriteMode::InPlace, f);
    put(err);
    if (err != 0) {
      got.insert(got.end(), {"-", "-"});
      return;
    }
    put(files.Write(f.handle, bytes));
    put(files.Close(f.handle));
  };
  write_in_place("abcdef");  // 1-3: the open creates the file
  write_in_place("XY");      // 4-6: the open finds it
  std::string bytes;
  const int read = files.ReadWhole("/d/a.dat", bytes);  // 7
  got.push_back(std::to_string(read) + " " + bytes);
  const int err = files.OpenForWriting("/d/a.dat.1-0.partial", WriteMode::Temporary, f);  // 8
  put(err);
  if (err == 0) {
    put(files.Close(f.handle));  // 9
  } else {
    got.push_back("-");
  }
  put(files.Replace("/d/a.dat.1-0.partial", "/d/a.dat"));  // 10
  return got;
}

TEST(FaultFileSystemTest, FullDiskRefusesWhatTakesSpaceAndACrashRefusesEverything) {
  struct Case {
    const char* name;
    std::function<void(FaultFileSystem&)> arm;
    std::vector<std::string> calls;
    std::string left;  // what a.dat holds at the end
    std::string failed;
  };
  const std::string no = std::to_string(ENOSPC), io = std::to_string(EIO);
  const std::vector<Case> cases = {
      {"no fault",
       [](FaultFileSystem&) {},
       {"0", "0", "0", "0", "0", "0", "0 XYcdef", "0", "0", "0"},
       "",
       ""},
      // The first write to meet the full disk stores half its bytes; an open
      // of a file that exists takes no space.
      {"full from the first write",
       [](FaultFileSystem& f) { f.FullFrom(2); },
       {"0", no, "0", "0", no, "0", "0 abc", no, "-", no},
       "abc",
       "write /d/a.dat"},
      {"full from the second write",
       [](FaultFileSystem& f) { f.FullFrom(3); },
       {"0", "0", "0", "0", no, "0", "0 Xbcdef", no, "-", no},
       "Xbcdef",
       "write /d/a.dat"},
      {"one call",
       [](FaultFileSystem& f) { f.FailAt(5, EIO); },
       {"0", "0", "0", "0", io, "0", "0 abcdef", "0", "0", "0"},
       "",
       "write /d/a.dat"},
      // After a crash nothing reaches the files; the handle is released all
      // the same.
      {"crash",
       [](FaultFileSystem& f) { f.CrashFrom(2); },
       {"0", io, io, io, "-", "-", io + " ", io, "-", io},
       "",
       "write /d/a.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem memory;
    memory.MakeFolders("/d");
    FaultFileSystem fault(memory);
    c.arm(fault);
    EXPECT_EQ(Calls(fault), c.calls);
    ASSERT_NE(memory.Peek("/d/a.dat"), nullptr);
    EXPECT_EQ(*memory.Peek("/d/a.dat"), c.left);
    EXPECT_EQ(memory.Peek("/d/a.dat.1-0.partial"), nullptr);
    EXPECT_EQ(memory.open_handles(), 0u);
    EXPECT_EQ(fault.failed_operation(), c.failed);
  }
}

TEST(FaultFileSystemTest, TraceTellsEachCallAndWhetherItTakesSpace) {
  MemoryFileSystem memory;
  memory.MakeFolders("/d");
  memory.SetWriteBufferSize(4096);
  FaultFileSystem fault(memory);
  EXPECT_EQ(fault.WriteBufferSize(), 4096u);
  fault.Trace(true);
  Calls(fault);
  std::string ops, space;
  for (const FaultFileSystem::Call& c : fault.trace()) {
    ops += c.op + ";";
    space += c.takes_space ? '1' : '0';
  }
  EXPECT_EQ(ops,
            "open for writing;write;close;open for writing;write;close;read whole;"
            "open for writing;close;replace;");
  EXPECT_EQ(space, "1100100101");
  EXPECT_EQ(fault.trace().back().subject, "/d/a.dat");
}

}  // namespace
}  // namespace volq
