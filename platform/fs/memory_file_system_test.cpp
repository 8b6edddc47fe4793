#include "platform/fs/memory_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace volq {
namespace {

namespace fs = std::filesystem;

// One call of the seam or a few, and what came of them as text: each
// errno, then what was read, listed or looked at.
struct Step {
  const char* name;
  std::function<std::string(FileSystem&, const fs::path& data)> run;
};

// The parts in order: the elements of a braced list are evaluated one after
// the other, so calls written in it are made in that order.
std::string Cat(std::initializer_list<std::string> parts) {
  std::string r;
  for (const std::string& p : parts) r += p + " ";
  return r;
}

std::string Err(int err) { return std::to_string(err); }

std::string OpenAs(FileSystem& files, const fs::path& p, WriteMode mode) {
  OpenedFile f;
  const int err = files.OpenForWriting(p, mode, f);
  if (err == 0) files.Close(f.handle);
  return Err(err);
}

// Writes a file through the seam and sets its mode.
std::string Put(FileSystem& files, const fs::path& p, std::string_view bytes, unsigned mode) {
  OpenedFile f;
  if (const int err = files.OpenForWriting(p, WriteMode::InPlace, f)) return Err(err);
  return Cat({Err(files.Write(f.handle, bytes)), Err(files.SetMode(f.handle, mode)),
              Err(files.Close(f.handle))});
}

std::string Look(FileSystem& files, const fs::path& p) {
  EntryInfo info;
  const int err = files.Stat(p, info);
  return Cat({Err(err), "kind", std::to_string(static_cast<int>(info.kind)), "size",
              std::to_string(info.size),
              info.kind == EntryKind::File ? "mode " + std::to_string(info.mode) : ""});
}

std::string Listed(FileSystem& files, const fs::path& p) {
  std::vector<std::string> names;
  const int err = files.List(p, names);
  std::sort(names.begin(), names.end());
  std::string r = Err(err);
  for (const std::string& n : names) r += " " + n;
  return r;
}

std::string Whole(FileSystem& files, const fs::path& p) {
  std::string bytes;
  const int err = files.ReadWhole(p, bytes);
  return Err(err) + " " + bytes;
}

std::string ReadFrom(FileSystem& files, int handle, size_t size) {
  std::string buf(size, '\0');
  size_t got = 0;
  const int err = files.Read(handle, buf.data(), size, got);
  return Err(err) + " " + buf.substr(0, got);
}

// The contract's cases, each a call or a few on a data directory that holds
// file.dat, the read-only ro.dat and the folders SUB and UMAGOTOSETUP.
const std::vector<Step>& Script() {
  using W = WriteMode;
  static const std::vector<Step> steps = {
      {"set up",
       [](FileSystem& f, const fs::path& d) {
         return Cat({Put(f, d / "file.dat", "abc", 0644), Put(f, d / "ro.dat", "kept", 0444),
                     Put(f, d / ".hidden", "", 0644)});
       }},
      {"read a missing file", [](FileSystem& f, const fs::path& d) { return Whole(f, d / "x"); }},
      {"read a folder", [](FileSystem& f, const fs::path& d) { return Whole(f, d / "SUB"); }},
      {"read through a file",
       [](FileSystem& f, const fs::path& d) { return Whole(f, d / "file.dat" / "x"); }},
      {"map a folder",
       [](FileSystem& f, const fs::path& d) {
         MappedFile m;
         return Err(f.MapForReading(d / "SUB", m));
       }},
      {"write a folder",
       [](FileSystem& f, const fs::path& d) { return OpenAs(f, d / "SUB", W::InPlace); }},
      {"write into a missing folder",
       [](FileSystem& f, const fs::path& d) {
         return OpenAs(f, d / "NOPE" / "x.dat", W::InPlace);
       }},
      {"write a read-only file",
       [](FileSystem& f, const fs::path& d) {
         return Cat({OpenAs(f, d / "ro.dat", W::InPlace), OpenAs(f, d / "ro.dat", W::Append),
                     OpenAs(f, d / "ro.dat", W::ReadWrite)});
       }},
      {"temporary over a file or folder",
       [](FileSystem& f, const fs::path& d) {
         return Cat({OpenAs(f, d / "file.dat", W::Temporary), OpenAs(f, d / "SUB", W::Temporary)});
       }},
      {"delete what may not go",
       [](FileSystem& f, const fs::path& d) {
         return Cat(
             {Err(f.Delete(d / "x")), Err(f.Delete(d / "SUB")), Err(f.Delete(d / "ro.dat"))});
       }},
      {"replace what may not go",
       [](FileSystem& f, const fs::path& d) {
         return Cat({Err(f.Replace(d / "file.dat", d / "ro.dat")),
                     Err(f.Replace(d / "file.dat", d / "SUB")), Err(f.Replace(d / "x", d / "y"))});
       }},
      {"list a file, a missing folder",
       [](FileSystem& f, const fs::path& d) {
         return Cat({Listed(f, d / "file.dat"), Listed(f, d / "NOPE")});
       }},
      {"a name leading out",
       [](FileSystem& f, const fs::path& d) {
         return Cat(
             {Whole(f, d / ".." / "x"), OpenAs(f, d / "SUB" / ".." / ".." / "y", W::InPlace)});
       }},
      {"what failed changed nothing",
       [](FileSystem& f, const fs::path& d) {
         return Cat({Whole(f, d / "file.dat"), Whole(f, d / "ro.dat"), Look(f, d / "ro.dat"),
                     Listed(f, d)});
       }},
      {"stat",
       [](FileSystem& f, const fs::path& d) {
         return Cat({Look(f, d / "file.dat"), Look(f, d / "SUB"), Look(f, d / "x"),
                     Look(f, d / "NOPE" / "x"), Look(f, d / "file.dat" / "x"), Look(f, d)});
       }},
      {"a new file's mode",
       [](FileSystem& f, const fs::path& d) {
         return Cat({OpenAs(f, d / "SUB" / "new.dat", W::Append), Look(f, d / "SUB" / "new.dat")});
       }},
      {"handles write, read, cut, append",
       [](FileSystem& f, const fs::path& d) {
         const fs::path p = d / "UMAGOTOSETUP" / "2010100006.dat";
         OpenedFile h;
         size_t written = 0;
         MappedFile m;
         return Cat({Err(f.OpenForWriting(p, W::InPlace, h)),
                     std::to_string(h.size),
                     Err(f.Write(h.handle, "AAAABBBBCCCC", &written)),
                     std::to_string(written),
                     Err(f.Truncate(h.handle, 8)),
                     Err(f.SetMode(h.handle, 0664)),
                     ReadFrom(f, h.handle, 4),
                     Err(f.Close(h.handle)),
                     Err(f.OpenForWriting(p, W::ReadWrite, h)),
                     std::to_string(h.size),
                     Err(f.WriteAt(h.handle, 4, "bbbbDDDD")),
                     ReadFrom(f, h.handle, 64),
                     Err(f.Truncate(h.handle, 14)),
                     Err(f.Close(h.handle)),
                     Err(f.OpenForWriting(p, W::Append, h)),
                     Err(f.Write(h.handle, "EE")),
                     Err(f.Close(h.handle)),
                     Err(f.Close(h.handle)),
                     Err(f.MapForReading(p, m)),
                     std::string(m.bytes()),
                     Look(f, p),
                     Err(f.OpenForReading(p, h)),
                     std::to_string(h.size),
                     Err(f.Write(h.handle, "x")),
                     ReadFrom(f, h.handle, 4),
                     ReadFrom(f, h.handle, 64),
                     ReadFrom(f, h.handle, 64),
                     Err(f.Close(h.handle))});
       }},
      {"a reader of a replaced file keeps its bytes",
       [](FileSystem& f, const fs::path& d) {
         OpenedFile old, tmp;
         EntryInfo before, after;
         const fs::path temporary = d / "file.dat.1-0.partial";
         return Cat({Err(f.OpenForReading(d / "file.dat", old)),
                     Err(f.Stat(d / "file.dat", before)),
                     Err(f.OpenForWriting(temporary, W::Temporary, tmp)),
                     Err(f.Write(tmp.handle, "new bytes")), Err(f.Close(tmp.handle)), Listed(f, d),
                     Err(f.Replace(temporary, d / "file.dat")), Err(f.Stat(d / "file.dat", after)),
                     after.inode != before.inode ? "another file" : "the same file",
                     ReadFrom(f, old.handle, 64), Err(f.Close(old.handle)),
                     Whole(f, d / "file.dat"), Listed(f, d)});
       }},
      {"delete",
       [](FileSystem& f, const fs::path& d) {
         return Cat({Err(f.Delete(d / "file.dat")), Look(f, d / "file.dat"), Listed(f, d)});
       }},
  };
  return steps;
}

// The same script on the production file system, in a data directory on
// disk, and on the memory one: every result the same.
TEST(MemoryFileSystemTest, KeepsTheContractAsTheProductionFileSystemDoes) {
  const fs::path base = fs::temp_directory_path() / "volq_memory_seam";
  fs::remove_all(base);
  const fs::path data = base / "data";
  for (const char* folder : {"SUB", "UMAGOTOSETUP"}) fs::create_directories(data / folder);
  MemoryFileSystem memory;
  memory.MakeFolders(data / "SUB");
  memory.MakeFolders(data / "UMAGOTOSETUP");
  {
    DataDirRoot root(data);
    ASSERT_EQ(root.error(), 0);
    for (const Step& step : Script()) {
      SCOPED_TRACE(step.name);
      const std::string on_disk = step.run(ProductionFiles(), data);
      EXPECT_EQ(step.run(memory, data), on_disk);
    }
  }
  EXPECT_EQ(memory.open_handles(), 0u);
  fs::remove_all(base);
}

TEST(MemoryFileSystemTest, LoadPutsBackWhatSaveCopied) {
  MemoryFileSystem memory;
  const fs::path data = "/volq/data";
  memory.MakeFolders(data / "KYOSOBA");
  Put(memory, data / "KYOSOBA" / "2015100003.dat", "placings", 0644);
  Put(memory, data / "RA20180101NEW.dat", "races", 0444);
  const MemoryFileSystem::Image saved = memory.Save();
  EXPECT_EQ(saved.folders, (std::set<std::string>{"/volq", "/volq/data", "/volq/data/KYOSOBA"}));
  EXPECT_EQ(saved.files.at("/volq/data/RA20180101NEW.dat").bytes(), "races");
  EXPECT_EQ(saved.files.at("/volq/data/RA20180101NEW.dat").mode, 0444u);

  memory.MakeFolders(data / "OPTION1N");
  Put(memory, data / "KYOSOBA" / "2015100003.dat", "other", 0644);
  Put(memory, data / "OPTION1N" / "KYOSOBA.dat", "summary", 0644);
  memory.Load(saved);
  EXPECT_EQ(memory.Save(), saved);
  EXPECT_EQ(Whole(memory, data / "KYOSOBA" / "2015100003.dat"), "0 placings");
  EXPECT_EQ(Listed(memory, data), "0 KYOSOBA RA20180101NEW.dat");
  EXPECT_EQ(memory.Peek(data / "OPTION1N" / "KYOSOBA.dat"), nullptr);

  // A file rewritten in place is told apart from itself before, as a step
  // tells which outputs it changed.
  EntryInfo before, after;
  memory.Stat(data / "KYOSOBA" / "2015100003.dat", before);
  Put(memory, data / "KYOSOBA" / "2015100003.dat", "PLACINGS", 0644);
  memory.Stat(data / "KYOSOBA" / "2015100003.dat", after);
  EXPECT_EQ(after.inode, before.inode);
  EXPECT_NE(after.changed_ns, before.changed_ns);
}

}  // namespace
}  // namespace volq
