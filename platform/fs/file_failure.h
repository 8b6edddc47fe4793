#pragma once
// Failures of file operations: the file named as reports name it, from the
// data directory that holds it, with the system's reason.
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/base/failure.h"

namespace volq {

// A file operation that failed: "cannot write OPTION1N/KYOSOBA.dat: No space
// left on device". `err` is the errno of the failed call (0: no reason known).
[[noreturn]] void FailFile(std::string_view op, const std::filesystem::path& p, int err);
// True for a failure of the file system itself (no space left, a quota
// reached, an I/O error, a file system mounted read-only) rather than of one
// file: every later write would fail the same way.
bool IsFileSystemFailure(const Failure& e);
// A path as reports name it: relative to the live data directory that holds
// it (data_dir.h), with "/" between folder and file, or as given
// when no data directory holds it.
std::string ShownPath(const std::filesystem::path& p);

}  // namespace volq
