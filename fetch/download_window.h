#pragma once
// The download program's main window: settings of the data service's
// control, the download of every record since 1 January 2018 into the raw
// record files, and the market-sale file check.
#include <cstdint>
#include <string>

#include "common/record_layout.h"
#include "common/records.h"
#include "fetch/new_raw_files.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/file_failure.h"
#include "platform/jvlink/jvlink.h"
#include "platform/ui/window.h"

namespace volq {

class VOLQF1SETUP18Z : public Window {
 public:
  VOLQF1SETUP18Z(DataDir& dir, JVLink& jvlink, std::string jvlink_description = "JV-Link");

  CommandButton Command1{this, "Command1"};
  CommandButton Command2{this, "Command2"};
  CommandButton Command3{this, "Command3"};
  TextBox Text1{this, "Text1"};
  HostedControl<JVLink> JVLink1;

  // Shared with the progress window.
  int32_t DownloadCount = 0;
  int16_t DialogResult = 0;

  // Which button does what.
  std::string Guide() const override;

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  // Lines the last market-sale check read.
  int32_t market_sale_lines() const { return line_count_; }

 private:
  // What JVOpen gave; a damaged file's reopening refreshes it.
  struct JobOpen {
    int32_t read_count = 0;
    std::string last_file_timestamp;
    bool download_failed = false;  // the progress window ended on a negative status
  };
  // The job from JVOpen to its end: the new raw files take the places of the
  // former ones only when every record was read and written.
  void Download(FailureFold& skipped, RunJournal& journal);
  // JVOpen and the progress window; false when the job ends there.
  bool OpenJob(JobOpen& open, FailureFold& skipped);
  // Every record the service delivers, until the end or a read error;
  // returns why the reading did not reach its end (empty when it did).
  std::string ReadRecords(JobOpen& open, NewRawFiles& files, FailureFold& skipped);
  // A delivered record of a kept type (kind: its file in kRawFiles; layout:
  // that type's) of its type's length with its CR LF, parsed and written to
  // its new file.
  void Store(int kind, const RecordLayout& layout, std::string_view record, NewRawFiles& files,
             FailureFold& skipped);
  // What a return code of the service means, " (...)", when the service says;
  // else empty.
  std::string Why(int32_t rc) const;
  // "RC=N" and what it means.
  std::string Code(int32_t rc) const;
  // What an end without a new download did to the raw files, for its report.
  std::string Kept();
  // Whether a raw file of an earlier download is in the data directory (or
  // may be: one that cannot be looked at counts).
  bool AnyRawFile();

  DataDir& dir_;
  ParsedRecord parsed_[kRawFileCount - 1];
  StoredRecord stored_[kRawFileCount - 1];
  MarketSaleParsed market_sale_;
  int32_t line_count_ = 0;
  std::string stored_note_;  // what a download that was put in place stored
};

}  // namespace volq
