#pragma once
// Helpers of the end-to-end tests, which run the built programs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/data_dir_catalogue.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/record_file.h"

namespace volq::testing {

// Exit status of a shell command (-1 when it did not exit normally).
inline int Shell(const std::string& cmd) {
  int st = std::system(cmd.c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// The folder of the running test, emptied: TMPDIR/volq_e2e_TESTNAME.
inline std::filesystem::path FreshTestRoot() {
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() /
      ("volq_e2e_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  std::filesystem::remove_all(root);
  return root;
}

// "cd ROOT && ": the sample's commands run in its root folder.
inline std::string InRoot(const std::filesystem::path& root) {
  return "cd '" + root.string() + "' && ";
}

// A small generated sample downloaded into ROOT/data, which has every folder
// the steps write into (record source ROOT/src, the stand-in's settings
// ROOT/cfg); false when generating or downloading failed.
inline bool DownloadSample(const std::filesystem::path& root, int seed) {
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "cfg/volq");
  DataDir(root / "data").CreateFolders(kDataDirFolders);
  WriteWholeFile(root / "cfg/volq/jvlink-stand-in.conf", "download_seconds=0.1\n");
  return Shell(InRoot(root) + "'" VOLQGEN_PATH "' --out src --seed " + std::to_string(seed) +
               " --scale small >/dev/null") == 0 &&
         Shell(InRoot(root) + "XDG_CONFIG_HOME=cfg '" VOLQFETCH_PATH
                              "' --data-dir data --source src -c 'press Command2' >/dev/null") == 0;
}

// Every build step in the order of the buttons, the extended-record window's
// build, then in the category window (window 3) per course type from January
// 2018: the extraction, the factor item build and the categorisation.
inline std::string PipelineScript() {
  std::string script;
  for (const BuildButton& b : BuildButtons()) {
    if (b.window != kMainWindow || b.step == BuildStep::Nothing) continue;
    script += "press " + std::string(b.control) + "; ";
    if (b.step == BuildStep::OpenExtended) {
      script += "window 2; ";
      for (const BuildButton& e : BuildButtons()) {
        if (e.window == kExtendedWindow) script += "press " + std::string(e.caption) + "; ";
      }
      script += "pick List1 1; window 1; ";
    } else if (b.step == BuildStep::OpenCategory) {
      script += "window 3; ";
      for (const char* course : {"Option1; press Command1; press Command2; press Command5",
                                 "Option2; press Command1; press Command3; press Command6",
                                 "Option3; press Command1; press Command4; press Command7"}) {
        script += std::string("type Text1 201801; press ") + course + "; ";
      }
    }
  }
  return script;
}

}  // namespace volq::testing
