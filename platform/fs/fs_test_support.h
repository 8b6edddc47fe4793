#pragma once
// What the tests of the file layer share: a scratch folder per test, a full
// disk, and the names in a folder. Header only: no program links it.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/failure.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/file_system.h"

namespace volq {

namespace fs = std::filesystem;

class FsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ =
        fs::temp_directory_path() /
        ("volq_fs_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

// Every write fails as on a full disk while it lives.
class FullDisk {
 public:
  FullDisk() {
    files_.FailWhere(
        [](std::string_view op, const std::string&) { return op == "write" ? ENOSPC : 0; });
  }

 private:
  FaultFileSystem files_;
  ScopedFileSystem installed_{files_};
};

// Runs op with writes of files beyond `bytes` refused by the system, as a
// full disk refuses them; true when op raised a Failure.
template <class Op>
bool FailsWithFileSizeLimit(size_t bytes, Op&& op) {
  rlimit old{};
  if (getrlimit(RLIMIT_FSIZE, &old) != 0) return false;
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &small);
  bool failed = false;
  try {
    op();
  } catch (const Failure&) {
    failed = true;
  }
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, old_handler);
  return failed;
}

inline std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace volq
