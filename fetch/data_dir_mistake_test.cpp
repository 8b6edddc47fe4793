#include "fetch/data_dir_mistake.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/data_dir_catalogue.h"
#include "platform/fs/data_dir.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

// The record source, a folder of it and a folder of a data directory are
// refused, named by what they are; a data directory, a new one and a folder
// that only bears the name of a data directory's folder are taken.
TEST(DataDirMistake, TheSourceAndTheFoldersOfADataDirectoryAreNoDataDirectory) {
  const fs::path root = fs::temp_directory_path() / "volq_fetch_data_dir_mistake";
  fs::remove_all(root);
  DataDir(root / "D").CreateFolders(kDataDirFolders);
  fs::create_directories(root / "S/TOKU");
  fs::create_directories(root / "S/RACE");
  fs::create_directories(root / "P/OPTION1N");
  fs::create_directories(root / "Q/RACE/data");
  fs::create_symlink(root / "D/HAHA", root / "L");
  const std::string r = root.string(), d = r + "/D", s = r + "/S";
  const std::string give_both =
      ": give the data directory with --data-dir and the record source with --source; nothing "
      "was written";
  const std::string give_d =
      ": give the data directory itself with --data-dir " + d + "; nothing was written";
  struct Case {
    std::string dir, says;
  };
  for (const Case& c : std::vector<Case>{
           {"S", s + " looks like a record source (it holds TOKU/, RACE/)" + give_both},
           {"S/", s + " looks like a record source (it holds TOKU/, RACE/)" + give_both},
           {"S/RACE", s + "/RACE is the folder RACE of the record source " + s + give_both},
           {"S/RACE/x",
            s + "/RACE/x lies inside the folder RACE of the record source " + s + give_both},
           {"D/UMAGOTOSETUP",
            d + "/UMAGOTOSETUP is the folder UMAGOTOSETUP of the data directory " + d + give_d},
           {"D/kyosoba/new/x",
            d + "/kyosoba/new/x lies inside the folder kyosoba of the data directory " + d +
                give_d},
           {"L", r + "/L is the folder HAHA of the data directory " + d + give_d},
           {"D", ""},
           {"new", ""},
           {"P/OPTION1N", ""},
           {"Q/RACE/data", ""},
       }) {
    SCOPED_TRACE(c.dir);
    EXPECT_EQ(DataDirMistake(root / c.dir), c.says);
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
