// A generated sample source downloads into raw files holding exactly the
// records the generator says it wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "common/record_layout.h"
#include "platform/fs/record_file.h"
#include "tests/e2e_support.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

using testing::Shell;

TEST(SampleDownload, RawFilesHoldWhatTheGeneratorReports) {
  const fs::path root = fs::temp_directory_path() / "volq_sample_download";
  fs::remove_all(root);
  fs::create_directories(root / "data");
  fs::create_directories(root / "cfg/volq");
  WriteWholeFile(root / "cfg/volq/jvlink-stand-in.conf", "download_seconds=0.1\n");
  ASSERT_EQ(Shell("cd '" + root.string() +
                  "' && '" VOLQGEN_PATH "' --out src --seed 3 --scale small >gen.txt"),
            0);
  ASSERT_EQ(Shell("cd '" + root.string() +
                  "' && XDG_CONFIG_HOME=cfg '" VOLQFETCH_PATH
                  "' --data-dir data --source src -c 'press Command2' >out.txt 2>err.txt"),
            0)
      << ReadWholeFile(root / "err.txt");

  // "  RA       508 records  (...)" lines up to the passed-over types.
  std::map<std::string, long> reported;
  std::istringstream gen(ReadWholeFile(root / "gen.txt"));
  std::string line;
  while (std::getline(gen, line) && line.find("passed over") == std::string::npos) {
    std::istringstream words(line);
    std::string type, records;
    long n = 0;
    if (words >> type >> n >> records && records == "records") reported[type] = n;
  }
  const std::map<std::string, int> lengths = {
      {"RA", kRaceLength},          {"SE", kRaceEntryLength}, {"UM", kHorseLength},
      {"HN", kBreedingHorseLength}, {"KS", kJockeyLength},    {"SK", kOffspringLength},
      {"CH", kTrainerLength},       {"BR", kBreederLength},   {"BN", kOwnerLength}};
  ASSERT_EQ(reported.size(), 10u);
  for (const auto& [type, length] : lengths) {
    const auto size = fs::file_size(root / "data" / (type + "20180101.dat"));
    EXPECT_EQ(size % length, 0u) << type;
    EXPECT_EQ(static_cast<long>(size / length), reported[type]) << type;
  }
  const std::string hs = ReadWholeFile(root / "data/HS20180101.dat");
  EXPECT_EQ(static_cast<long>(std::count(hs.begin(), hs.end(), '\n')), reported["HS"]);
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
