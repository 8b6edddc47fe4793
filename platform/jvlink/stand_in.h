#pragma once
// The stand-in of the data service's control: it serves the JV-Data records
// of a local record source directory (docs/record-source.md) and simulates
// the download phase, so the download program runs whole without the
// service. Its settings (the record source, the length of the simulated
// download) live in a small file of its own, like the control's own settings.
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/jvlink/jvlink.h"

namespace volq {

// The folders of a record source, one per kind of records (RACE, DIFN, ...) the download
// asks for (docs/record-source.md).
inline constexpr std::string_view kRecordSourceFolders[] = {"TOKU", "RACE", "DIFN", "BLDN",
                                                            "SLOP", "YSCH", "HOSN"};
// Those of kRecordSourceFolders that `dir` holds as folders, in that order
// (none for a directory that cannot be looked at): the names the stand-in
// serves from, matched as it matches them.
std::vector<std::string> RecordSourceFoldersIn(const std::filesystem::path& dir);

class StandInJVLink : public JVLink {
 public:
  // Return codes besides those every JVLink has.
  static constexpr int32_t kNoSoftwareId = -101;      // JVInit with an empty identifier
  static constexpr int32_t kBadDataSpec = -111;       // not four letters or digits at a time
  static constexpr int32_t kBadFromTime = -112;       // not 14 digits
  static constexpr int32_t kBadOption = -115;         // not 1 to 4
  static constexpr int32_t kNotInitialised = -201;    // JVOpen before JVInit
  static constexpr int32_t kCancelled = -202;         // JVStatus after JVCancel
  static constexpr int32_t kNotOpen = -203;           // JVStatus or JVRead with nothing open
  static constexpr int32_t kNoSource = -211;          // no record source chosen
  static constexpr int32_t kSourceMissing = -212;     // the record source is not a directory
  static constexpr int32_t kSourceUnreadable = -213;  // a folder of it is none or cannot be listed
  static constexpr int32_t kNotRecordSource = -214;   // none of the folders asked for
  static constexpr int32_t kFileUnreadable =
      -402;  // a file cannot be read; the next read serves the next file
  // A file does not end with CR LF, or is no regular file (a folder, a FIFO,
  // a symlink to nothing).
  static constexpr int32_t kFileDamaged = -403;

  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // Asks the person a line (UTF-8); nullopt when nobody can answer.
  using Ask = std::function<std::optional<std::string>(const std::string& prompt)>;

  // Reads the settings file when it exists.
  explicit StandInJVLink(std::filesystem::path settings_path);

  // ${XDG_CONFIG_HOME:-$HOME/.config}/volq/jvlink-stand-in.conf
  static std::filesystem::path DefaultSettingsPath();

  // A record source for this run only (the front end's --source); the
  // settings file keeps its own.
  // Kept absolute, so that reports name the directory wherever they are read.
  void SetSource(const std::filesystem::path& source) {
    source_ = source.empty() ? source : std::filesystem::absolute(source);
  }
  const std::filesystem::path& source() const { return source_; }
  double download_seconds() const { return download_seconds_; }
  void SetAsk(Ask ask) { ask_ = std::move(ask); }
  void SetClock(Clock clock) { clock_ = std::move(clock); }

  int32_t JVInit(const std::string& software_id) override;
  int32_t JVClose() override;
  // Asks for the record source directory; an empty answer keeps the current
  // one. 0 = chosen and saved; -1 = nobody to ask, not a directory, or the
  // settings could not be saved.
  int32_t JVSettingsDialog() override;
  int32_t JVOpen(const std::string& data_spec, const std::string& from_time, int32_t option,
                 int32_t& read_count, int32_t& download_count,
                 std::string& last_file_timestamp) override;
  int32_t JVStatus() override;
  int32_t JVRead(std::string& buffer, int32_t& size, std::string& file_name) override;
  int32_t JVCancel() override;
  int32_t JVFileDelete(const std::string& file_name) override;
  // The meaning of each code above (docs/record-source.md), with the record
  // source's path or the file concerned and what to do next.
  std::string Explain(int32_t rc) const override;

 private:
  void SaveSettings() const;
  void EndFile();
  // Ends a damaged file: kFileDamaged, explained as its absolute path and
  // `what` is wrong with it.
  int32_t Damaged(const std::filesystem::path& path, const std::string& what);
  std::filesystem::path settings_path_;
  std::filesystem::path source_;
  double download_seconds_ = 1.0;
  Ask ask_;
  Clock clock_ = [] { return std::chrono::steady_clock::now(); };

  bool initialised_ = false;
  bool open_ = false;
  bool cancelled_ = false;
  std::chrono::steady_clock::time_point opened_at_{};
  int32_t download_count_ = 0;
  std::vector<std::filesystem::path> files_;  // of the current open, in serving order
  size_t current_ = 0;
  bool loaded_ = false;
  std::string data_;
  size_t pos_ = 0;
  // Since JVInit: files read to their end and files deleted are not served
  // again, so reading after a reopen goes on where it stopped.
  std::set<std::filesystem::path> done_;
  std::set<std::filesystem::path> deleted_;
  std::filesystem::path named_;  // the file JVRead named last
  std::string why_;              // what the last failure that needs more than its code concerned
};

}  // namespace volq
