// The whole pipeline on a generated sample: every step ends, and running all
// build steps a second time leaves every file of the data directory as the
// first run left it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "platform/fs/record_file.h"
#include "tests/e2e_support.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

using testing::Shell;

std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (e.is_regular_file()) files[fs::relative(e.path(), dir).string()] = ReadWholeFile(e.path());
  }
  return files;
}

TEST(Pipeline, EveryStepRunsAndARerunChangesNoFile) {
  const fs::path root = fs::temp_directory_path() / "volq_pipeline";
  fs::remove_all(root);
  fs::create_directories(root / "cfg/volq");
  for (const char* f : {"UMAGOTOSETUP", "KISHUGOTOSETUP", "HAHAHAN", "HAHA", "HAHAN", "SHUBOBA",
                        "SHUBOBAN", "KYOSOBA", "KYOSOBAN", "KISHUFUKUSHO", "OPTION1N",
                        "UMAGOTOEXSETUP"}) {
    fs::create_directories(root / "data" / f);
  }
  WriteWholeFile(root / "cfg/volq/jvlink-stand-in.conf", "download_seconds=0.1\n");
  const std::string in_root = "cd '" + root.string() + "' && ";
  ASSERT_EQ(Shell(in_root + "'" VOLQGEN_PATH "' --out src --seed 5 --scale small >/dev/null"), 0);
  ASSERT_EQ(Shell(in_root + "XDG_CONFIG_HOME=cfg '" VOLQFETCH_PATH
                            "' --data-dir data --source src -c 'press Command2' >/dev/null"),
            0);

  std::string script;
  for (const char* b : {"Command1", "Command2", "Command3", "Command12", "Command14", "Command7",
                        "Command4", "Command5", "Command11", "Command6", "Command15", "Command8",
                        "Command9"}) {
    script += std::string("press ") + b + "; ";
  }
  script += "window 2; press 計算; press 表示; pick List1 1; window 1; press Command13; "
            "press Command10; window 3; ";
  for (const char* course : {"Option1; press Command1; press Command2; press Command5",
                             "Option2; press Command1; press Command3; press Command6",
                             "Option3; press Command1; press Command4; press Command7"}) {
    script += std::string("type Text1 201801; press ") + course + "; ";
  }
  const std::string run = in_root + "'" VOLQBUILD_PATH "' --data-dir data -c '" + script +
                          "' >out.txt 2>err.txt";
  // The category window reports the models that only come from outside, so
  // the run says it skipped something (status 1); anything else is a fault.
  ASSERT_LE(Shell(run), 1) << ReadWholeFile(root / "err.txt");
  const std::string out = ReadWholeFile(root / "out.txt");
  for (const char* end : {"RA 終わり", "SE 終わり", "UM 終わり", "HN 終わり", "SK父 終わり",
                          "SE/KS 終わり", "芝終わり", "ダート終わり", "障害終わり"}) {
    EXPECT_NE(out.find(end), std::string::npos) << end << " missing from\n" << out;
  }
  EXPECT_EQ(ReadWholeFile(root / "err.txt").find("step stopped"), std::string::npos);
  const auto first = Snapshot(root / "data");
  EXPECT_GT(first.count("SIBAITEM201801N2024.dat"), 0u);

  ASSERT_LE(Shell(run), 1) << ReadWholeFile(root / "err.txt");
  const auto second = Snapshot(root / "data");
  ASSERT_EQ(second.size(), first.size());
  for (const auto& [name, bytes] : first) {
    auto it = second.find(name);
    ASSERT_NE(it, second.end()) << name;
    EXPECT_TRUE(it->second == bytes) << name << " changed on the rerun";
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
