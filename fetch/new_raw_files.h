#pragma once
// The ten raw files of one download, written anew: each record goes through
// a buffer into a temporary file beside its final name as it arrives, and the
// ten take the places of the former raw files together, only when the
// download is complete. Until then, and on every other end, the previous
// download stays as it was, byte for byte.
//
// The ten are committed as one: all ten are synced to disk with the folder
// that holds them, the data directory's journal lists the ten renames (on
// disk), then they are made, the folder synced, and the download leaves the
// journal. A download cut short among the renames (a kill, a power cut) is
// completed by the next program that takes the lock (TakeJournal); one cut
// short before the journal was written leaves the former raw files.
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/data_dir_catalogue.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/record_file.h"
#include "platform/fs/run_journal.h"

namespace volq {

class NewRawFiles {
 public:
  // File `kind` is kRawFiles[kind]: the record files, then the market-sale
  // file last.
  static constexpr int kMarketSale = kRawFileCount - 1;

  // Creates the ten temporary files; one that cannot be created makes the
  // download one that cannot be stored (Lost). `skipped` takes the failures
  // that leave the download storable and those of putting it in place.
  NewRawFiles(DataDir& dir, FailureFold& skipped);
  // Removes the temporary files unless committed.
  ~NewRawFiles() = default;

  // Appends a stored record (a market-sale line with its own CR LF) to
  // file `kind`; a failure makes the download one that cannot be stored,
  // and the file's later records are only counted: they follow from it.
  void Store(int kind, std::string_view stored);
  int32_t Count(int kind) const { return files_[kind] ? files_[kind]->Count() : 0; }
  // False once a file could not be created or written.
  bool whole() const { return whole_; }
  // Why the download cannot be stored, once (not whole): the first causes,
  // folded ("cannot write: Permission denied (10 times; first:
  // RA20180101.dat, ...)"), with the delivered records that then were not
  // written counted in the same line.
  std::string Lost() const;

  enum class Committed {
    All,      // the ten are in place
    None,     // every new file removed, the former ones kept
    Pending,  // some are in place, the journal lists the rest
  };
  // Finishes all ten, then puts all ten in place, listed first in `journal`
  // (of the lock the download holds). None when one of them was not wholly
  // written, or could not be synced or listed (Lost tells why); Pending
  // when a rename failed (each failure noted in `skipped`).
  Committed Commit(RunJournal& journal);
  // Drops the new files; the former ones stay.
  void Abandon();

 private:
  DataDir& dir_;
  FailureFold& skipped_;
  std::optional<RecordAppender> files_[kRawFileCount];
  bool failed_[kRawFileCount] = {};
  bool whole_ = true;
  FailureFold lost_;
  int64_t unwritten_ = 0;
};

}  // namespace volq
