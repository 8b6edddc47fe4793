#pragma once
// Fixture text shared by the tests of the per-entity steps.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "build/step/step_frame.h"
#include "common/data_dir_catalogue.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/record_file.h"

namespace volq::testing {

// A key list: one quoted item per line.
inline std::string ListText(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += "\"" + item + "\"\r\n";
  return text;
}

// Every file of a folder by name, with its bytes.
inline std::map<std::string, std::string> FolderFiles(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    files[e.path().filename().string()] = ReadWholeFile(e.path());
  }
  return files;
}

// A data directory made anew at root with every folder, and a frame, for
// comparing two ways of running a step side by side.
struct FreshRun {
  explicit FreshRun(const std::filesystem::path& root) : dir(Emptied(root)) {
    dir.CreateFolders(kDataDirFolders);
  }
  StepContext ctx() { return StepContext{dir, frame, count}; }
  static std::filesystem::path Emptied(const std::filesystem::path& root) {
    std::filesystem::remove_all(root);
    return root;
  }
  DataDir dir;
  StepFrame frame;
  int32_t count = 0;
};

}  // namespace volq::testing
