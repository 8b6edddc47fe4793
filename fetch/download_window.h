#pragma once
// The download program's main window: settings of the data service's
// control, the download of every record since 1 January 2018 into the raw
// record files, and the market-sale file check.
#include <cstdint>
#include <optional>
#include <string>

#include "common/records.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/failure.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"
#include "platform/jvlink/jvlink.h"
#include "platform/ui/window.h"

namespace volq {

// The nine record files, in their file numbers' order, and the market-sale file.
struct RawRecordFile {
  const char* type;
  const char* file;
};
inline constexpr RawRecordFile kRawRecordFiles[9] = {
    {"RA", "RA20180101.dat"}, {"SE", "SE20180101.dat"}, {"UM", "UM20180101.dat"},
    {"HN", "HN20180101.dat"}, {"KS", "KS20180101.dat"}, {"SK", "SK20180101.dat"},
    {"CH", "CH20180101.dat"}, {"BR", "BR20180101.dat"}, {"BN", "BN20180101.dat"}};
inline constexpr const char* kMarketSaleFile = "HS20180101.dat";

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

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  // Lines the last market-sale check read.
  int32_t market_sale_lines() const { return line_count_; }

 private:
  // The job from JVOpen to its end; returns where the job goes to its end.
  void Download(FailureFold& skipped);
  // What JVOpen gave; a damaged file's reopening refreshes it.
  struct JobOpen {
    int32_t read_count = 0;
    std::string last_file_timestamp;
  };
  // JVOpen and the progress window; false when the job ends there.
  bool OpenJob(JobOpen& open, FailureFold& skipped);
  // The nine raw record files, opened for appending behind their records.
  void OpenRawFiles(FailureFold& skipped);
  // Every record the service delivers, until the end or a read error.
  void ReadRecords(JobOpen& open, FailureFold& skipped);
  void Store(int kind, std::string_view record, FailureFold& skipped);
  void StoreMarketSale(std::string_view record, FailureFold& skipped);
  void CloseFiles(FailureFold& skipped);

  DataDir& dir_;
  int32_t counters_[9] = {};
  ParsedRecord parsed_[9];
  StoredRecord stored_[9];
  MarketSaleParsed market_sale_;
  std::optional<RecordFile> files_[9];
  std::optional<TextListWriter> market_sale_file_;
  int32_t line_count_ = 0;
};

}  // namespace volq
