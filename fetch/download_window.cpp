#include "fetch/download_window.h"

#include <array>
#include <exception>
#include <optional>

#include "common/interrupted_runs.h"
#include "common/record_layout.h"
#include "fetch/progress_window.h"
#include "platform/base/stop_request.h"
#include "platform/fs/data_dir_lock.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/text_list.h"
#include "platform/text/cp932.h"
#include "platform/ui/interrupt.h"

namespace volq {
namespace {

constexpr const char* kDataSpec = "TOKURACEDIFNBLDNSLOPYSCHHOSN";
constexpr const char* kFromTime = "20180101000000";
constexpr int32_t kOption = 3;
constexpr size_t kReadBufferSize = 120000;
constexpr const char* kNothingRead = "; no record was read";
constexpr std::string_view kNotStored = "download not stored: ";

// A kept record type: its index in kRawFiles (the file it is stored in) and
// its layout, or none for the types passed over. A delivered record's type
// is matched once; the layouts are looked up once per program.
struct KeptType {
  int kind = -1;
  const RecordLayout* layout = nullptr;
};

KeptType KeptTypeOf(std::string_view type) {
  static const std::array<const RecordLayout*, kRawFileCount> layouts = [] {
    std::array<const RecordLayout*, kRawFileCount> l{};
    for (int k = 0; k < kRawFileCount; ++k) l[k] = LayoutOf(kRawFiles[k].type);
    return l;
  }();
  for (int k = 0; k < kRawFileCount; ++k) {
    if (type == kRawFiles[k].type) return {k, layouts[k]};
  }
  return {};
}

// Where a delivered record came from, for reports: its source file as JVRead
// named it and its number among that file's records (from 1).
struct Delivery {
  std::string file;
  int64_t record = 0;
  void Next(const std::string& file_name) {
    if (file_name != file) {
      file = file_name;
      record = 0;
    }
    ++record;
  }
};

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
    ReportFailures({"settings not changed: the settings dialog returned " + Code(-1)});
  }
}

std::string VOLQF1SETUP18Z::Why(int32_t rc) const {
  const std::string why = JVLink1->Explain(rc);
  return why.empty() ? why : " (" + Printable(Cp932(why)) + ")";
}

std::string VOLQF1SETUP18Z::Code(int32_t rc) const { return "RC=" + std::to_string(rc) + Why(rc); }

std::string VOLQF1SETUP18Z::Guide() const {
  return Cp932("press Command2 (" + ToUtf8(Command2.Caption) +
               ") to download every record into the raw files of the data directory (the "
               "record source: --source DIR, or Command1 (" +
               ToUtf8(Command1.Caption) + ")); Command3 (" + ToUtf8(Command3.Caption) +
               ") checks the market-sale file " + std::string(kMarketSaleFile) + ".");
}

// Every end of the job but a complete download says so: the former raw files
// are never replaced by a partial download.
// Looked at only when an end needs it, so that a complete download makes no
// extra look at the files it replaces.
std::string VOLQF1SETUP18Z::Kept() {
  return AnyRawFile() ? "; the raw files of the previous download were kept"
                      : "; no raw file was written";
}

bool VOLQF1SETUP18Z::AnyRawFile() {
  std::vector<std::string_view> names;
  for (const RawRecordFile& f : kRawFiles) names.push_back(f.file);
  for (std::string_view name : names) {
    try {
      if (dir_.Exists(name)) return true;
    } catch (const Failure&) {
      return true;  // one that cannot be looked at may be there: it is kept all the same
    }
  }
  return false;
}

void VOLQF1SETUP18Z::Command2_Click() {
  FailureFold skipped;
  stored_note_.clear();
  // One program at a time on the data directory, for the whole download.
  std::optional<DataDirLock> held;
  try {
    held.emplace(dir_.root(), kFetchProgram);
  } catch (const Failure& e) {
    ReportFailures({"download not done: " + e.text() + Kept()});
    return;
  }
  // From here SIGINT, SIGTERM and SIGHUP end the download as the progress
  // window's cancel does: the former raw files stay.
  const StopSignals stops;
  // A download cut short among its renames is completed first, so that the
  // raw files are of one download before this one begins.
  try {
    ReportNotes(TakeJournal(held->journal()));
  } catch (const Failure& e) {
    ReportFailures({"download not done: " + e.text() + Kept()});
    return;
  }
  // Nothing of the previous download is touched before the new one is
  // complete: the raw files are replaced at its end, not emptied at its start.
  int32_t rc = JVLink1->JVInit("UNKNOWN");
  if (rc != 0) {
    MsgBox(Cp932("JVInitエラー。RC=") + std::to_string(rc));
    skipped.Add("", "download: JVInit returned " + Code(rc) + "; the download went on");
  }
  Download(skipped, held->journal());

  // Every end of the job comes here.
  JVLink1->JVClose();
  Text1.Text = Cp932("終了");
  if (!stored_note_.empty()) TellOutcome(stored_note_);
  ReportFailures(skipped.Lines());
}

void VOLQF1SETUP18Z::Download(FailureFold& skipped, RunJournal& journal) {
  JobOpen open;
  if (!OpenJob(open, skipped)) return;
  // Destroyed without Commit, the new files are removed.
  NewRawFiles files(dir_, skipped);
  // The end of the download when it is no complete one ("" when it is, or
  // when its end was reported already).
  const auto ended = [&]() -> std::string {
    if (open.read_count <= 0) {
      return "download not done: JVOpen gave a read count of " + std::to_string(open.read_count) +
             kNothingRead;
    }
    std::string end = ReadRecords(open, files, skipped);
    // A stop signal that came while the records were read ends the download
    // here, as a cancel: nothing is put in place.
    if (end.empty() && !open.download_failed && PendingStopSignal() != 0) {
      end = "download not done: interrupted by " + SignalName(PendingStopSignal());
    }
    if (!end.empty() || open.download_failed) return end;  // that one reported with its status
    // What the ten files hold, told once they are in place: a source that
    // delivered little shows as such.
    std::string stored = "stored per record type:";
    for (int kind = 0; kind <= NewRawFiles::kMarketSale; ++kind) {
      const std::string_view type = kRawFiles[kind].type;
      stored += (kind ? ", " : " ") + std::string(type) + " " + std::to_string(files.Count(kind));
    }
    const NewRawFiles::Committed committed =
        files.whole() ? files.Commit(journal) : NewRawFiles::Committed::None;
    if (committed == NewRawFiles::Committed::All) {
      stored_note_ = stored;
      return {};
    }
    if (committed == NewRawFiles::Committed::Pending) {
      skipped.Add("",
                  "download stored in part: a raw file could not be put in place; the data "
                  "directory's journal lists the rest, which the next run of volqfetch or "
                  "volqbuild puts in place");
      return {};
    }
    // The first causes, with what followed from them, in the end's own line.
    return std::string(kNotStored) + files.Lost();
  };
  const std::string end = ended();
  if (!end.empty()) skipped.Add("", end + Kept());
  // An end of a cause of its own still says once why the raw files could
  // not have been stored.
  if (!files.whole() && !end.starts_with(kNotStored)) {
    skipped.Add("", "raw files not written: " + files.Lost());
  }
}

bool VOLQF1SETUP18Z::OpenJob(JobOpen& open, FailureFold& skipped) {
  int32_t rc = JVLink1->JVOpen(kDataSpec, kFromTime, kOption, open.read_count, DownloadCount,
                               open.last_file_timestamp);
  // The message boxes stay as they are; the report says what the code means
  // and that the former raw files were kept.
  if (rc < 0) {
    MsgBox(Cp932("JVOpenエラー。RC=") + std::to_string(rc));
    skipped.Add("", "download not done: JVOpen returned " + Code(rc) + kNothingRead + Kept());
    return false;
  }
  if (open.read_count == 0) {
    MsgBox(Cp932("該当するデータがありません。"));
    skipped.Add("", std::string("download not done: the service has no data for ") + kDataSpec +
                        " from " + kFromTime + kNothingRead + Kept());
    return false;
  }
  if (DownloadCount != 0) {
    DialogResult = 0;
    VOLQF2SETUP18Z progress(*this);
    ShowModal(progress);
    if (DialogResult == -1) {
      // Cancelled: no record file is opened.
      skipped.Add("", std::string("download not done: cancelled in the progress window") +
                          kNothingRead + Kept());
      return false;
    }
    if (std::optional<int32_t> s = progress.failed_status()) {
      // Reading goes on as the service allows, but what it then delivers is
      // no complete download: it is not stored.
      open.download_failed = true;
      skipped.Add("", "download not done: the progress window ended on status " + Code(*s) +
                          "; what the service then delivered was read but not stored" + Kept());
    }
  }
  return true;
}

std::string VOLQF1SETUP18Z::ReadRecords(JobOpen& open, NewRawFiles& files, FailureFold& skipped) {
  std::string buffer(kReadBufferSize, '\0');
  int32_t size = static_cast<int32_t>(buffer.size());
  std::string file_name;
  Delivery delivery;
  while (true) {
    // A stop signal ends the reading as a cancel would.
    if (const int signal = PendingStopSignal()) {
      return "download not done: interrupted by " + SignalName(signal) +
             "; the rest of the download was not read";
    }
    const int32_t rc = JVLink1->JVRead(buffer, size, file_name);
    if (rc > 0) {
      delivery.Next(file_name);
      const std::string_view type = LayoutField(record_parts::kHeader, "record_type").Of(buffer);
      const KeptType kept = KeptTypeOf(type);
      if (kept.kind < 0) continue;  // a type that is not kept is passed over
      // A record cut short, or split by a stray CR LF, would be stored out of
      // frame and shift every field behind it: only whole records are stored.
      const int length = kept.layout->delivered_length();
      if (buffer.size() == static_cast<size_t>(length) && buffer.ends_with("\r\n")) {
        Store(kept.kind, *kept.layout, buffer, files, skipped);
        continue;
      }
      const std::string where =
          Printable(delivery.file) + " record " + std::to_string(delivery.record);
      const std::string got = std::string(type) + ", " + std::to_string(buffer.size()) + " bytes";
      skipped.Add("", "delivered records not of their type's length ending in CR LF: not stored",
                  where + " (" + got + ")",
                  "source file " + where + ": " + got + " where " + std::string(type) +
                      " records are " + std::to_string(length) +
                      " bytes ending in CR LF: not stored");
    } else if (rc == -1) {
      // The next file.
    } else if (rc == 0) {
      return {};
    } else if (rc == -403) {
      // A damaged file: delete it and open again; reading goes on behind
      // the records already written. The service's copy of the file is what
      // is deleted; the stand-in only stops serving it.
      skipped.Add("", "source file " + Printable(file_name) + " was damaged" + Why(rc) +
                          ": skipped, none of its records stored");
      JVLink1->JVFileDelete(file_name);
      JVLink1->JVClose();
      JVLink1->JVOpen(kDataSpec, kFromTime, kOption, open.read_count, DownloadCount,
                      open.last_file_timestamp);
    } else {
      MsgBox(Cp932("JVReadエラー。 RC=") + std::to_string(rc));
      return "download ended early: JVRead returned RC=" + std::to_string(rc) +
             (file_name.empty() ? std::string() : " at source file " + Printable(file_name)) +
             Why(rc) + "; the rest of the download was not read";
    }
  }
}

void VOLQF1SETUP18Z::Store(int kind, const RecordLayout& layout, std::string_view record,
                           NewRawFiles& files, FailureFold& skipped) {
  // A failure is noted and the job goes on.
  const auto note = [&](const Failure& e) { skipped.Add("", e); };
  if (kind == NewRawFiles::kMarketSale) {
    // The delivered text is the line, its own CR LF ending it.
    Skipping([&] { ParseHS(record, market_sale_); }, note);
    files.Store(kind, record);
    return;
  }
  Skipping(
      [&] {
        ParseRecord(layout, record, parsed_[kind]);
        PackRecord(parsed_[kind], stored_[kind]);
        files.Store(kind, stored_[kind].bytes);
      },
      note);
}

void VOLQF1SETUP18Z::Command3_Click() {
  line_count_ = 0;
  std::vector<std::string> lines;
  try {
    lines = ReadLines(dir_.Path(kMarketSaleFile));
  } catch (const Failure& e) {
    // The check needs the file: say so instead of ending the program.
    ReportFailures({"market-sale check: " + ErrorText(e)});
    return;
  }
  // A line parses whole when it is one market-sale record: its type and
  // its length without the CR LF that ended it.
  const size_t length = static_cast<size_t>(LayoutOf("HS")->delivered_length()) - 2;
  FailureFold not_parsed;
  int32_t bad = 0;
  for (const std::string& line : lines) {
    ParseHS(line, market_sale_);
    ++line_count_;
    if (line.size() == length && line.starts_with("HS")) continue;
    ++bad;
    const std::string where = "line " + std::to_string(line_count_);
    not_parsed.Add("",
                   "market-sale check: lines of " + std::string(kMarketSaleFile) +
                       " that are no market-sale record (HS, " + std::to_string(length) + " bytes)",
                   where,
                   "market-sale check: " + where + " of " + std::string(kMarketSaleFile) +
                       " is no market-sale record (HS, " + std::to_string(length) + " bytes)");
  }
  TellOutcome(std::string(kMarketSaleFile) + ": " + std::to_string(line_count_) +
              " lines checked, " + std::to_string(bad) + " did not parse");
  ReportFailures(not_parsed.Lines());
}

}  // namespace volq
