// Both programs' command lines: help and version on standard output (the
// usage within 80 columns), a wrong command line on standard error with
// status 2, in the same words.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "common/data_dir_catalogue.h"
#include "platform/fs/data_dir.h"
#include "platform/ui/console.h"

namespace {

// Standard output of a shell command, and its exit status.
std::pair<std::string, int> Capture(const std::string& cmd) {
  std::string text;
  FILE* p = popen(cmd.c_str(), "r");
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) text.append(buf.data(), n);
  int s = pclose(p);
  return {text, WIFEXITED(s) ? WEXITSTATUS(s) : -1};
}

struct ProgramRun {
  std::string out, err;
  int status;
};

ProgramRun Program(const std::string& path, const std::string& args) {
  auto [out, status] = Capture(path + " " + args + " 2>/dev/null");
  return {out, Capture(path + " " + args + " 2>&1 >/dev/null").first, status};
}

TEST(Usage, HelpVersionAndWrongOptionsAlike) {
  for (const auto& [program, path] :
       {std::pair<std::string, std::string>{"volqfetch", VOLQFETCH_PATH},
        {"volqbuild", VOLQBUILD_PATH}}) {
    ProgramRun help = Program(path, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_TRUE(help.out.starts_with("usage: " + program)) << help.out;
    // Within 80 columns of a terminal, a double-width character counting two.
    for (size_t at = 0; at < help.out.size();) {
      const size_t nl = std::min(help.out.find('\n', at), help.out.size());
      const std::string line = help.out.substr(at, nl - at);
      EXPECT_LE(volq::Columns(line), 80u) << program << ": " << line;
      at = nl + 1;
    }

    ProgramRun version = Program(path, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with(program + " ")) << version.out;

    ProgramRun wrong = Program(path, "--frob");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, program + ": unknown option '--frob' (see: " + program + " --help)\n");
  }
  // What a data directory needs and the order of the buttons.
  ProgramRun help = Program(VOLQBUILD_PATH, "--help");
  for (std::string_view f : volq::kDataDirFolders)
    EXPECT_NE(help.out.find(" " + std::string(f)), std::string::npos) << f;
  EXPECT_NE(help.out.find("Command1 Command2 Command3 Command12"), std::string::npos);
}

// A path in a usage is written as a shell takes it: the one backslash there
// is the escaped ';' of -c.
TEST(Usage, PathsAreWrittenWithSlashes) {
  for (const char* path : {VOLQFETCH_PATH, VOLQBUILD_PATH, VOLQMODELS_PATH}) {
    const std::string out = Program(path, "--help").out;
    for (size_t at = out.find('\\'); at != std::string::npos; at = out.find('\\', at + 1))
      EXPECT_EQ(out.substr(at, 2), "\\;") << path << ": " << out.substr(at > 20 ? at - 20 : 0, 40);
  }
  EXPECT_NE(Program(VOLQMODELS_PATH, "--help").out.find("DIR/OPTION1N"), std::string::npos);
}

}  // namespace
