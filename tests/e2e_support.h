#pragma once
// Helpers of the end-to-end tests, which run the built programs.
#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace volq::testing {

// Exit status of a shell command (-1 when it did not exit normally).
inline int Shell(const std::string& cmd) {
  int st = std::system(cmd.c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

}  // namespace volq::testing
