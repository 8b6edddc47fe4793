#include "fetch/new_raw_files.h"

#include <string>
#include <vector>

#include "common/record_layout.h"
#include "platform/fs/replaced_file.h"

namespace volq {
namespace {

std::string_view NameOf(int kind) {
  return kind == NewRawFiles::kMarketSale ? kMarketSaleFile : kRawRecordFiles[kind].file;
}
std::string_view TypeOf(int kind) {
  return kind == NewRawFiles::kMarketSale ? "HS" : kRawRecordFiles[kind].type;
}

}  // namespace

NewRawFiles::NewRawFiles(DataDir& dir, FailureFold& skipped) : skipped_(skipped) {
  // What killed downloads left goes first; the download holds the data
  // directory's lock, so no other program is writing one.
  try {
    std::vector<std::string> names;
    for (int kind = 0; kind < 10; ++kind) names.emplace_back(NameOf(kind));
    RemoveLeftTemporaries(dir.root(), names);
  } catch (const Failure& e) {
    skipped_.Add("", e);
  }
  for (int kind = 0; kind < 10; ++kind) {
    try {
      files_[kind].emplace(dir.Path(NameOf(kind)), LayoutOf(TypeOf(kind))->stored_length());
    } catch (const Failure& e) {
      skipped_.Add("", e);
      whole_ = false;
    }
  }
}

void NewRawFiles::Store(int kind, std::string_view stored) {
  try {
    if (!files_[kind]) FailFile(std::string(NameOf(kind)) + " is not open: record not written");
    files_[kind]->Append(stored);
  } catch (const Failure& e) {
    skipped_.Add("", e);
    whole_ = false;
  }
}

bool NewRawFiles::Commit() {
  // Every byte of all ten stored before the first takes its final name, so
  // that a failed write never mixes new raw files with former ones.
  for (int kind = 0; whole_ && kind < 10; ++kind) {
    try {
      files_[kind]->Finish();
    } catch (const Failure& e) {
      skipped_.Add("", e);
      whole_ = false;
    }
  }
  if (!whole_) {
    Abandon();
    return false;
  }
  bool all = true;
  for (int kind = 0; kind < 10; ++kind) {
    try {
      files_[kind]->Close();
    } catch (const Failure& e) {
      skipped_.Add("", e);
      all = false;
    }
  }
  return all;
}

void NewRawFiles::Abandon() {
  for (std::optional<RecordAppender>& f : files_) f.reset();
}

}  // namespace volq
