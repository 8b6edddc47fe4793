// Runs the volqbuild program as a user does, through its console commands.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/fs/data_dir.h"

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  std::string out;
  int status;
};

ProgramRun Volqbuild(const fs::path& dir, const std::string& commands) {
  std::string cmd = std::string(VOLQBUILD_PATH) + " --data-dir '" + dir.string() + "' -c '" +
                    commands + "' 2>/dev/null";
  ProgramRun r{"", -1};
  FILE* p = popen(cmd.c_str(), "r");
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  r.status = pclose(p);
  return r;
}

TEST(Volqbuild, StepsByNameAndCaptionAndWindowsBesideTheMain) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders();
  ProgramRun r = Volqbuild(dir, "press Command1; press Command2; press \"RA(レース）\"; "
                                "press \"SE(詳細)\"; press Command9; window 1; press Command9; "
                                "windows");
  // A status line after each press: the two steps by name, then by caption.
  const std::string ra = "Text1: RA 終わり  0\n", se = "Text1: SE 終わり  0\n";
  EXPECT_EQ(r.out.find(ra + se + ra + se), 0u) << r.out;
  // `windows` lists the main window and the two opened beside it.
  EXPECT_NE(r.out.find("1  VOLQNQ4DPROJECT 20180101SETUPC (FormVolqBuild)"), std::string::npos);
  EXPECT_NE(r.out.find("2  VOLQNQ4DEXPDSETUP2024 (FormVOLQNQ4DEXPDSETUP2024ZZ)"), std::string::npos);
  EXPECT_NE(r.out.find("3  VOLQNQ4DEXPDSETUP2024 (FormVOLQNQ4DEXPDSETUP2024ZZ)"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "RA20180101NEW.dat"));
  EXPECT_TRUE(fs::exists(dir / "SE20180101NEW.dat"));
  fs::remove_all(dir);
}

// The margin step shows no end message: the status line keeps the last step's.
TEST(Volqbuild, MarginStepLeavesTheStatusLine) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build_margin";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders();
  ProgramRun r = Volqbuild(dir, "press Command8; press Command13");
  const std::string line = "Text1: 終わり  0\n";
  const size_t first = r.out.find(line);
  ASSERT_NE(first, std::string::npos) << r.out;
  // The margin step leaves the line as it was, so nothing more is printed of it.
  EXPECT_EQ(r.out.find("Text1:", first + line.size()), std::string::npos) << r.out;
  fs::remove_all(dir);
}

}  // namespace
