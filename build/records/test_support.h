#pragma once
// Test fixture of the build steps: a fresh data directory with every folder,
// a frame and the shared count, plus helpers to write raw records.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "build/step/step_frame.h"
#include "common/data_dir_catalogue.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/record_file.h"
#include "platform/fs/replaced_file.h"

namespace volq::testing {

// Writes of the outputs of the given file names (in place, or to the
// temporary file of a replacement) fail as on a full disk while it lives.
class FullDiskFor {
 public:
  explicit FullDiskFor(std::vector<std::string> names) {
    files_.FailWhere([names = std::move(names)](std::string_view op, const std::string& path) {
      if (op != "write") return 0;
      const std::string file = std::filesystem::path(path).filename().string();
      for (const std::string& n : names) {
        if (file == n || (file.starts_with(n + ".") && IsTemporaryName(file))) return ENOSPC;
      }
      return 0;
    });
  }

 private:
  FaultFileSystem files_;
  ScopedFileSystem installed_{files_};
};

// Opens of the given file for reading fail as for a file that exists but
// cannot be read (chmod 000 does not stop root) while it lives.
class UnreadableFor {
 public:
  explicit UnreadableFor(const std::filesystem::path& path, int error = EACCES) {
    files_.FailWhere([path = path.string(), error](std::string_view op, const std::string& p) {
      const bool opens = op == "read whole" || op == "map" || op == "open for reading";
      return opens && p == path ? error : 0;
    });
  }

 private:
  FaultFileSystem files_;
  ScopedFileSystem installed_{files_};
};

// Names of the temporary files of replacements left anywhere under root.
inline std::vector<std::string> TemporaryFilesUnder(const std::filesystem::path& root) {
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (IsTemporaryName(e.path().filename().string())) left.push_back(e.path().string());
  }
  return left;
}

class StepTest : public ::testing::Test {
 public:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::temp_directory_path() /
            ("volq_" + std::string(info->test_suite_name()) + "_" + info->name());
    std::filesystem::remove_all(root_);
    dir_ = std::make_unique<DataDir>(root_);
    dir_->CreateFolders(kDataDirFolders);
    frame_ = std::make_unique<StepFrame>();
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

 public:
  StepContext ctx() { return StepContext{*dir_, *frame_, record_count_}; }

  // A record of `length` blanks with the given (offset, text) fields set.
  static std::string Rec(int length, std::initializer_list<std::pair<int, std::string>> fields) {
    std::string r(static_cast<size_t>(length), ' ');
    for (const auto& [off, text] : fields) r.replace(off, text.size(), text);
    r.replace(r.size() - 2, 2, "\r\n");
    return r;
  }
  void WriteFile(std::string_view name, const std::string& bytes) {
    WriteWholeFile(dir_->Path(name), bytes);
  }
  void WriteRecords(std::string_view name, const std::vector<std::string>& recs) {
    std::string all;
    for (const auto& r : recs) all += r;
    WriteFile(name, all);
  }
  std::string ReadFile(std::string_view name) { return ReadWholeFile(dir_->Path(name)); }
  bool Exists(std::string_view name) { return std::filesystem::exists(dir_->Path(name)); }
  // Records of a record file, split by length.
  std::vector<std::string> Records(std::string_view name, int length) {
    std::string all = ReadFile(name);
    std::vector<std::string> out;
    for (size_t i = 0; i + length <= all.size(); i += length) out.push_back(all.substr(i, length));
    return out;
  }

  std::filesystem::path root_;
  std::unique_ptr<DataDir> dir_;
  std::unique_ptr<StepFrame> frame_;
  int32_t record_count_ = 0;
};

}  // namespace volq::testing
