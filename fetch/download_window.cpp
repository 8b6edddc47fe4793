#include "fetch/download_window.h"

#include <exception>

#include "fetch/progress_window.h"
#include "platform/fs/failure.h"
#include "platform/ui/cp932.h"

namespace volq {
namespace {

constexpr const char* kDataSpec = "TOKURACEDIFNBLDNSLOPYSCHHOSN";
constexpr const char* kFromTime = "20180101000000";
constexpr int32_t kOption = 3;
constexpr size_t kReadBufferSize = 120000;
constexpr const char* kNothingRead = "; no record was read";

// One statement of the download job: a failure is noted and the job goes on.
template <class Statement>
void Skip(FailureFold& skipped, Statement&& statement) {
  try {
    statement();
  } catch (const Failure& e) {
    skipped.Add("", e);
  }
}

// Index of a kept record file type in kRawRecordFiles; -1 for the others.
int KindOf(std::string_view type) {
  for (int i = 0; i < 9; ++i) {
    if (type == kRawRecordFiles[i].type) return i;
  }
  return -1;
}

}  // namespace

VOLQF1SETUP18Z::VOLQF1SETUP18Z(DataDir& dir, JVLink& jvlink, std::string jvlink_description)
    : Window("VOLQF1SETUP18Z", Cp932("VOLQF1C：メイン")),
      JVLink1(this, "JVLink1", jvlink, std::move(jvlink_description)),
      dir_(dir) {
  Command1.Caption = Cp932("設定");
  Command2.Caption = Cp932("2018年1月1日セットアップ");
  Command3.Caption = Cp932("HSチェック");
  Command1.OnClick = [this] { Command1_Click(); };
  Command2.OnClick = [this] { Command2_Click(); };
  Command3.OnClick = [this] { Command3_Click(); };
}

void VOLQF1SETUP18Z::Command1_Click() {
  if (JVLink1->JVSettingsDialog() == -1) {
    MsgBox(Cp932("エラーのためJV-Linkの設定に失敗しました。"));
  }
}

void VOLQF1SETUP18Z::Command2_Click() {
  FailureFold skipped;
  // Every run starts from empty files, before anything is asked of the service.
  for (const RawRecordFile& f : kRawRecordFiles) {
    Skip(skipped, [&] {
      if (dir_.Exists(f.file)) dir_.Delete(f.file);
    });
  }
  Skip(skipped, [&] { TextListWriter(dir_.Path(kMarketSaleFile)).Close(); });

  int32_t rc = JVLink1->JVInit("UNKNOWN");
  if (rc != 0) {
    MsgBox(Cp932("JVInitエラー。RC=") + std::to_string(rc));
    skipped.Add("", "download: JVInit returned RC=" + std::to_string(rc) + "; the download went on");
  }
  Download(skipped);

  // Every end of the job comes here.
  CloseFiles(skipped);
  JVLink1->JVClose();
  Text1.Text = Cp932("終了");
  ReportFailures(skipped.Lines());
}

void VOLQF1SETUP18Z::Download(FailureFold& skipped) {
  JobOpen open;
  if (!OpenJob(open, skipped)) return;
  OpenRawFiles(skipped);
  if (open.read_count <= 0) {
    skipped.Add("", "download not done: JVOpen gave a read count of " +
                        std::to_string(open.read_count) + kNothingRead);
    return;
  }
  ReadRecords(open, skipped);
}

bool VOLQF1SETUP18Z::OpenJob(JobOpen& open, FailureFold& skipped) {
  int32_t rc = JVLink1->JVOpen(kDataSpec, kFromTime, kOption, open.read_count, DownloadCount,
                               open.last_file_timestamp);
  // Every end but a read to the last record leaves data missing from the raw
  // files, so each says so; the message boxes stay as they are.
  if (rc < 0) {
    MsgBox(Cp932("JVOpenエラー。RC=") + std::to_string(rc));
    skipped.Add("", "download not done: JVOpen returned RC=" + std::to_string(rc) + kNothingRead);
    return false;
  }
  if (open.read_count == 0) {
    MsgBox(Cp932("該当するデータがありません。"));
    skipped.Add("", std::string("download not done: the service has no data for ") + kDataSpec +
                " from " + kFromTime + kNothingRead);
    return false;
  }
  if (DownloadCount != 0) {
    DialogResult = 0;
    VOLQF2SETUP18Z progress(*this);
    ShowModal(progress);
    if (DialogResult == -1) {
      // Cancelled: no record file is opened.
      skipped.Add("", std::string("download not done: cancelled in the progress window") +
                  kNothingRead);
      return false;
    }
    if (std::optional<int32_t> s = progress.failed_status()) {
      skipped.Add("", "download failed in the progress window with RC=" + std::to_string(*s) +
                  "; only what the service then delivered was read");
    }
  }
  return true;
}

void VOLQF1SETUP18Z::OpenRawFiles(FailureFold& skipped) {
  for (int i = 0; i < 9; ++i) {
    // A file whose deletion failed keeps its records; new ones follow them.
    Skip(skipped, [&] {
      files_[i].emplace(dir_.Path(kRawRecordFiles[i].file),
                        LayoutOf(kRawRecordFiles[i].type)->stored_length());
      counters_[i] = files_[i]->Count();
    });
  }
}

void VOLQF1SETUP18Z::ReadRecords(JobOpen& open, FailureFold& skipped) {
  std::string buffer(kReadBufferSize, '\0');
  int32_t size = static_cast<int32_t>(buffer.size());
  std::string file_name;
  while (true) {
    const int32_t rc = JVLink1->JVRead(buffer, size, file_name);
    if (rc > 0) {
      std::string_view type = LayoutField(record_parts::kHeader, "record_type").Of(buffer);
      if (int kind = KindOf(type); kind >= 0) {
        Store(kind, buffer, skipped);
      } else if (type == "HS") {
        StoreMarketSale(buffer, skipped);
      }
      // Any other type is passed over.
    } else if (rc == -1) {
      // The next file.
    } else if (rc == 0) {
      return;
    } else if (rc == -403) {
      // A damaged file: delete it and open again; reading goes on behind
      // the records already written.
      JVLink1->JVFileDelete(file_name);
      skipped.Add("", "source file " + file_name + " was damaged: deleted and not stored");
      JVLink1->JVClose();
      JVLink1->JVOpen(kDataSpec, kFromTime, kOption, open.read_count, DownloadCount,
                      open.last_file_timestamp);
    } else {
      MsgBox(Cp932("JVReadエラー。 RC=") + std::to_string(rc));
      skipped.Add("", "download ended early: JVRead returned RC=" + std::to_string(rc) +
                  (file_name.empty() ? std::string() : " at source file " + file_name) +
                  "; the rest of the download was not read");
      return;
    }
  }
}

void VOLQF1SETUP18Z::Store(int kind, std::string_view record, FailureFold& skipped) {
  const RawRecordFile& f = kRawRecordFiles[kind];
  ++counters_[kind];
  Skip(skipped, [&] {
    ParseRecord(*LayoutOf(f.type), record, parsed_[kind]);
    PackRecord(parsed_[kind], stored_[kind]);
    if (!files_[kind]) FailFile(std::string(f.file) + " is not open: record not written");
    files_[kind]->Write(counters_[kind], stored_[kind].bytes);
  });
}

void VOLQF1SETUP18Z::StoreMarketSale(std::string_view record, FailureFold& skipped) {
  // One open file for the whole download instead of one open per record;
  // the bytes are the same: each delivered record with its own CR LF.
  Skip(skipped, [&] {
    if (!market_sale_file_)
      market_sale_file_.emplace(dir_.Path(kMarketSaleFile), TextListWriter::Mode::Append);
  });
  Skip(skipped, [&] {
    ParseHS(record, market_sale_);
    if (!market_sale_file_)
      FailFile(std::string(kMarketSaleFile) + " is not open: record not written");
    market_sale_file_->Bytes(record);
  });
}

void VOLQF1SETUP18Z::CloseFiles(FailureFold& skipped) {
  for (int i = 8; i >= 0; --i) {
    if (!files_[i]) continue;
    Skip(skipped, [&] { files_[i]->Close(); });
    files_[i].reset();
  }
  if (market_sale_file_) {
    Skip(skipped, [&] { market_sale_file_->Close(); });
    market_sale_file_.reset();
  }
}

void VOLQF1SETUP18Z::Command3_Click() {
  line_count_ = 0;
  std::vector<std::string> lines;
  try {
    lines = ReadLines(dir_.Path(kMarketSaleFile));
  } catch (const Failure& e) {
    // The check needs the file: say so instead of ending the program.
    ReportFailures({std::string("market-sale check: ") + e.what()});
    return;
  }
  for (const std::string& line : lines) {
    ParseHS(line, market_sale_);
    ++line_count_;
  }
}

}  // namespace volq
