#pragma once
// The ten raw files of one download, written anew: each record goes through
// a buffer into a temporary file beside its final name as it arrives, and the
// ten take the places of the former raw files together, only when the
// download is complete. Until then, and on every other end, the previous
// download stays as it was, byte for byte.
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/data_dir_catalogue.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/record_file.h"

namespace volq {

class NewRawFiles {
 public:
  // Index of the market-sale file; 0 to 8 are the record files of
  // kRawRecordFiles.
  static constexpr int kMarketSale = 9;

  // Creates the ten temporary files; one that cannot be created is noted in
  // `skipped` and makes the download one that cannot be stored.
  NewRawFiles(DataDir& dir, FailureFold& skipped);
  // Removes the temporary files unless committed.
  ~NewRawFiles() = default;

  // Appends a stored record (a market-sale line with its own CR LF) to
  // file `kind`; a failure is noted and makes the download one that cannot
  // be stored.
  void Store(int kind, std::string_view stored);
  int32_t Count(int kind) const { return files_[kind] ? files_[kind]->Count() : 0; }
  // False once a file could not be created or written.
  bool whole() const { return whole_; }

  // Finishes all ten, then puts all ten in place; false (every new file
  // removed, the former ones kept) when one of them was not wholly written.
  bool Commit();
  // Drops the new files; the former ones stay.
  void Abandon();

 private:
  FailureFold& skipped_;
  std::optional<RecordAppender> files_[10];
  bool whole_ = true;
};

}  // namespace volq
