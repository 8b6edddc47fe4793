// Sample models on a generated sample: the category window loads them without
// a report, and factor builds in a new window score factors 17 and 29 against
// them (with no model every code is "10").
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "build/factors/factor_frame.h"
#include "platform/fs/record_file.h"
#include "tests/e2e_support.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

using testing::Shell;

TEST(SampleModels, LoadWithoutReportAndFactors17And29ScoreAgainstThem) {
  const fs::path root = fs::temp_directory_path() / "volq_sample_models";
  ASSERT_TRUE(testing::DownloadSample(root, 5));
  const std::string in_root = testing::InRoot(root);
  ASSERT_LE(Shell(in_root + "'" VOLQBUILD_PATH "' --data-dir data -c '" +
                  testing::PipelineScript() + "' >/dev/null 2>err.txt"),
            1)
      << ReadWholeFile(root / "err.txt");
  ASSERT_EQ(Shell(in_root + "'" VOLQMODELS_PATH "' --data-dir data >/dev/null 2>err.txt"), 0)
      << ReadWholeFile(root / "err.txt");

  ASSERT_LE(Shell(in_root + "'" VOLQBUILD_PATH "' --data-dir data -c 'press Command10; window 2; "
                            "press Command2; press Command3; press Command4' >out.txt 2>err.txt"),
            1);
  const std::string out = ReadWholeFile(root / "out.txt");
  const std::string err = ReadWholeFile(root / "err.txt");
  EXPECT_EQ(err.find("load model"), std::string::npos) << err;
  EXPECT_EQ(err.find("holds no"), std::string::npos) << err;
  for (const char* end : {"芝終わり", "ダート終わり", "障害終わり"}) {
    EXPECT_NE(out.find(end), std::string::npos) << end << " missing from\n" << out;
  }

  for (const char* item :
       {"SIBAITEM201801N2024.dat", "DIRTITEM201801N2024.dat", "SHOGITEM201801N2024.dat"}) {
    const std::string bytes = ReadWholeFile(root / "data" / item);
    ASSERT_GT(bytes.size(), 0u) << item;
    for (int k : {17, 29}) {
      const ItemField f = FactorField(k);
      int scored = 0;
      for (size_t at = 0; at + kItemLength <= bytes.size(); at += kItemLength) {
        const std::string code =
            bytes.substr(at + static_cast<size_t>(f.offset), static_cast<size_t>(f.width));
        if (code.find_last_not_of(' ') != std::string::npos &&
            code.substr(0, code.find(' ')) != "10")
          ++scored;
      }
      EXPECT_GT(scored, 0) << item << " factor " << k << ": every code is 10";
    }
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
