// tools/setup.sh on a machine that lacks the build tools: it says what it
// installs and why, waits while another program holds apt's lock, and says
// what to do when it cannot install. apt-get is a stand-in script here, and
// the tools are hidden by a PATH that holds only what the script itself runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e_support.h"
#include "platform/fs/record_file.h"

namespace volq::testing {
namespace {

namespace fs = std::filesystem;

// A folder of the commands setup.sh runs besides the tools it looks for, and
// an apt-get that answers "Could not get lock" `busy` times, then `answer`.
fs::path MachineWithoutTools(const fs::path& root, int busy, const std::string& answer) {
  const fs::path bin = root / "bin";
  fs::create_directories(bin);
  for (const char* tool : {"id", "mktemp", "tee", "grep", "rm"}) {
    for (const char* dir : {"/usr/bin", "/bin"}) {
      if (fs::exists(fs::path(dir) / tool)) {
        fs::create_symlink(fs::path(dir) / tool, bin / tool);
        break;
      }
    }
  }
  // The wait between two tries passes at once; sudo runs the command.
  WriteWholeFile(bin / "sleep", "#!/bin/sh\n");
  WriteWholeFile(bin / "sudo", "#!/bin/sh\nexec \"$@\"\n");
  const std::string calls = (root / "calls").string();
  WriteWholeFile(
      bin / "apt-get",
      "#!/bin/sh\n"
      "echo \"$*\" >>'" +
          calls +
          "'\n"
          "n=0; while read -r _; do n=$((n + 1)); done <'" +
          calls +
          "'\n"
          "if [ \"$n\" -le " +
          std::to_string(busy) +
          " ]; then\n"
          "  echo 'E: Could not get lock /var/lib/apt/lists/lock. It is held by process 7'\n"
          "  exit 100\n"
          "fi\n" +
          answer + "\n");
  for (const char* script : {"apt-get", "sleep", "sudo"}) {
    fs::permissions(bin / script, fs::perms::owner_all);
  }
  return bin;
}

TEST(SetupScript, SaysWhatItInstallsWaitsForAptsLockAndSaysWhatToDo) {
  const struct {
    const char* name;
    int busy;            // answers "Could not get lock" this often first
    const char* answer;  // then this
    const char* wait;    // VOLQ_APT_WAIT
    int status;
    std::string shown;  // on standard output and error
    std::string calls;  // apt-get's arguments, one call a line
  } cases[] = {
      {"installs", 0, "exit 0", "600", 0,
       "== setup: installing with apt-get: cmake (the build) ninja-build (the build) g++ (the "
       "C++ compiler) clang-format (the tests' layout check) strace (the interruption tests)\n"
       "== setup: installed cmake ninja-build g++ clang-format strace\n",
       "-o DPkg::Lock::Timeout=10 update\n"
       "-o DPkg::Lock::Timeout=10 install -y cmake ninja-build g++ clang-format strace\n"},
      {"lock held, then free", 1, "exit 0", "600", 0,
       "another program holds apt's lock (an unattended upgrade or another apt-get); waiting "
       "for it (at most",
       "-o DPkg::Lock::Timeout=10 update\n-o DPkg::Lock::Timeout=10 update\n"
       "-o DPkg::Lock::Timeout=10 install -y cmake ninja-build g++ clang-format strace\n"},
      {"lock held past the limit", 5, "exit 0", "0", 1,
       "setup: apt's lock is still held after 0 s; the packages are not installed: cmake "
       "ninja-build g++ clang-format strace\n"
       "setup: what to do: wait until the other apt-get or unattended upgrade has ended",
       "-o DPkg::Lock::Timeout=10 update\n"},
      {"apt-get fails", 0, "echo 'E: no network'; exit 100", "600", 1,
       "setup: apt-get update failed (exit status 100, its messages above); the packages are "
       "not installed: cmake ninja-build g++ clang-format strace\n"
       "setup: what to do: mend what apt-get says",
       "-o DPkg::Lock::Timeout=10 update\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path root = FreshTestRoot();
    const fs::path bin = MachineWithoutTools(root, c.busy, c.answer);
    const std::string shown = (root / "shown").string();
    const int status =
        Shell("VOLQ_APT_WAIT=" + std::string(c.wait) + " PATH='" + bin.string() +
              "' /bin/bash '" TESTS_SOURCE_DIR "/../tools/setup.sh' >'" + shown + "' 2>&1");
    EXPECT_EQ(status, c.status);
    const std::string out = ReadWholeFile(shown);
    EXPECT_NE(out.find(c.shown), std::string::npos) << out;
    EXPECT_EQ(ReadWholeFile(root / "calls"), c.calls);
  }
}

}  // namespace
}  // namespace volq::testing
