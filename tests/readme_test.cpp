// The README's examples that a test can run: the build's whole order as one
// script, on a downloaded sample.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/data_dir_catalogue.h"
#include "e2e_support.h"
#include "platform/fs/record_file.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

// The lines of the README's block that starts at `first` and ends at the
// line `last` (its indent taken off).
std::vector<std::string> ReadmeBlock(const std::string& first, const std::string& last) {
  std::istringstream readme(ReadWholeFile(TESTS_SOURCE_DIR "/../README.md"));
  std::vector<std::string> lines;
  bool in = false;
  for (std::string line; std::getline(readme, line);) {
    if (line.starts_with("    ")) line.erase(0, 4);
    if (!in) {
      in = line == first;
      continue;
    }
    if (line == last) return lines;
    lines.push_back(line);
  }
  ADD_FAILURE() << "no block from '" << first << "' to '" << last << "' in the README";
  return {};
}

TEST(Readme, TheBuildOrderAsOneScriptIsTheButtonOrderAndRuns) {
  const std::vector<std::string> script =
      ReadmeBlock("out/build/volqbuild --data-dir DIR <<'EOF'", "EOF");
  // The presses of the main window in the catalogue's order, each step of
  // the extended-record window between its opening and the return.
  std::vector<std::string> expected;
  for (const BuildButton& b : BuildButtons()) {
    if (b.window != kMainWindow || b.step == BuildStep::Nothing ||
        b.step == BuildStep::OpenCategory) {
      continue;
    }
    expected.push_back("press " + std::string(b.control));
    if (b.step == BuildStep::OpenExtended) {
      expected.push_back("window 2");
      for (const BuildButton& e : BuildButtons()) {
        if (e.window == kExtendedWindow) expected.push_back("press " + std::string(e.caption));
      }
      expected.push_back("window 1");
    }
  }
  EXPECT_EQ(script, expected);

  const fs::path root = testing::FreshTestRoot();
  ASSERT_TRUE(testing::DownloadSample(root, 1));
  std::string text;
  for (const std::string& line : script) text += line + "\n";
  WriteWholeFile(root / "script.txt", text);
  EXPECT_EQ(testing::Shell(testing::InRoot(root) + "'" VOLQBUILD_PATH
                                                   "' --data-dir data <script.txt >out.txt "
                                                   "2>err.txt"),
            0)
      << ReadWholeFile(root / "err.txt");
  EXPECT_EQ(ReadWholeFile(root / "err.txt"), "");
  // The margin step ran in the main window, after the return to it.
  EXPECT_NE(ReadWholeFile(root / "out.txt").find("Command13"), std::string::npos)
      << ReadWholeFile(root / "out.txt");
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
