// A normal run reads as normal: the category window without models (no step
// writes them) is a note and exit status 0, a damaged model still a failure;
// standard output and standard error stay in order where they are joined;
// the demo ends with its verdict, and says so when something unexpected
// failed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e_support.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

using testing::Shell;

// A data directory with its folders and the two tables the category window
// loads, empty: opening it reports nothing but what the models give.
fs::path CategoryReady() {
  const fs::path root = testing::FreshTestRoot();
  DataDir(root / "data").CreateFolders(kDataDirFolders);
  WriteWholeFile(root / "data/KETTONUM20180101.dat", "");
  WriteWholeFile(root / "data/FL20180101.dat", "");
  return root;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return lines;
}

// The number of the first line that starts with `start` (-1 when none).
int LineStarting(const std::vector<std::string>& lines, const std::string& start) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind(start, 0) == 0) return static_cast<int>(i);
  }
  return -1;
}

TEST(NormalRun, NoModelsYetIsANoteAndADamagedModelAFailure) {
  const fs::path root = CategoryReady();
  const std::string open =
      testing::InRoot(root) + "'" VOLQBUILD_PATH "' --data-dir data -c 'press Command10' ";
  ASSERT_EQ(Shell(open + ">out.txt 2>err.txt"), 0) << ReadWholeFile(root / "err.txt");
  const std::vector<std::string> err = Lines(ReadWholeFile(root / "err.txt"));
  ASSERT_EQ(err.size(), 1u) << ReadWholeFile(root / "err.txt");
  EXPECT_EQ(err[0].rfind("note: OPTION1N holds no models yet (Siba, Dirt and Shog: ", 0), 0u)
      << err[0];
  EXPECT_NE(ReadWholeFile(root / "out.txt").find("Command10 (CATEGORY2006): done"),
            std::string::npos);

  // A model that is there but cannot be read whole stays a failure.
  WriteWholeFile(root / "data/OPTION1N/QA1SibaTotalData201801N2024.dat", "x\r\n");
  ASSERT_EQ(Shell(open + ">out.txt 2>err.txt"), 1);
  const std::string damaged = ReadWholeFile(root / "err.txt");
  EXPECT_NE(damaged.find("failure: load model Siba: "), std::string::npos) << damaged;
  EXPECT_NE(damaged.find("note: OPTION1N holds no Dirt and Shog model yet"), std::string::npos)
      << damaged;
  fs::remove_all(root);
}

TEST(NormalRun, StandardOutputIsWrittenOutBeforeEachLineOfStandardError) {
  // Through one pipe, as a script joins them: standard output is buffered
  // there, so each line of standard error must come after what was printed
  // before it.
  const fs::path root = CategoryReady();
  ASSERT_EQ(Shell(testing::InRoot(root) + "'" VOLQBUILD_PATH
                                          "' --data-dir data -c 'press Command9; window 1; "
                                          "press Command10; window 3; press Command2; window "
                                          "1; press Command10; press Command99' 2>&1 | "
                                          "cat >joined.txt"),
            0);
  const std::string joined = ReadWholeFile(root / "joined.txt");
  const std::vector<std::string> lines = Lines(joined);
  const int opened = LineStarting(lines, "window 2: ");
  const int note = LineStarting(lines, "note: OPTION1N holds no models yet");
  const int pressed = LineStarting(lines, "Command2 (芝因子設定): ended with failures");
  const int failure = LineStarting(lines, "failure: step stopped: missing input SIBA201801N.dat");
  const int reopened = LineStarting(lines, "window 4: ");
  const int error = LineStarting(lines, "error: no control 'Command99'");
  ASSERT_GE(opened, 0) << joined;
  ASSERT_GE(pressed, 0) << joined;
  ASSERT_GE(reopened, 0) << joined;
  EXPECT_LT(opened, note) << joined;
  EXPECT_LT(pressed, failure) << joined;
  EXPECT_LT(reopened, error) << joined;
  fs::remove_all(root);
}

TEST(NormalRun, TheDemoEndsWithItsVerdictAndSaysSoWhenSomethingUnexpectedFailed) {
  const fs::path root = testing::FreshTestRoot();
  fs::create_directories(root);
  const std::string demo = "VOLQ_DEMO_BUILD_DIR='" +
                           fs::path(VOLQBUILD_PATH).parent_path().parent_path().string() +
                           "' VOLQ_DEMO_DIR='" + (root / "demo").string() + "' bash '" +
                           TESTS_SOURCE_DIR "/../tools/demo.sh' ";
  ASSERT_EQ(Shell(demo + ">" + (root / "out.txt").string() + " 2>&1"), 0)
      << ReadWholeFile(root / "out.txt");
  std::vector<std::string> lines = Lines(ReadWholeFile(root / "out.txt"));
  ASSERT_FALSE(lines.empty());
  // The expected notes and failure lines of the sample, counted, and the
  // next command: the viewer on the data directory just built.
  EXPECT_EQ(lines.back().rfind("demo done: a download and 34 presses, every step ran; 1 note and "
                               "12 failure lines expected on the sample",
                               0),
            0u)
      << lines.back();
  EXPECT_NE(lines.back().find("next, one horse's extended records: "), std::string::npos);
  EXPECT_NE(lines.back().find((root / "demo/VOLQNQ4DPROJECT").string() +
                              " -c 'press Command9; window 2; press 表示; pick List1 1'"),
            std::string::npos)
      << lines.back();

  // A folder where the record source holds files: the download names it and
  // ends with status 1, which the sample does not give.
  fs::create_directories(root / "demo/source/HOSN/zz");
  EXPECT_EQ(Shell(demo + ">" + (root / "out.txt").string() + " 2>&1"), 1);
  lines = Lines(ReadWholeFile(root / "out.txt"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("demo done, but not as expected: 1 failure that the sample should "
                               "not give",
                               0),
            0u)
      << lines.back();
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
