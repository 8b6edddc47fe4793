#pragma once
// The racing-data service's control as the download program uses it: eight
// operations with 32-bit results. Records come as JV-Data record texts, code
// page 932 bytes ending with CR LF. Implementations: the stand-in that serves
// a local record source (stand_in.h) and a scripted fake for tests
// (scripted_jvlink.h).
#include <cstdint>
#include <string>

namespace volq {

class JVLink {
 public:
  virtual ~JVLink() = default;

  // 0 = ready.
  virtual int32_t JVInit(const std::string& software_id) = 0;
  // Ends what JVOpen opened.
  virtual int32_t JVClose() = 0;
  // The control's own settings dialog; -1 = failure.
  virtual int32_t JVSettingsDialog() = 0;
  // Negative = error. read_count 0 = nothing to read; download_count = files
  // still to download (0 = read at once); the last-file timestamp is told too.
  virtual int32_t JVOpen(const std::string& data_spec, const std::string& from_time, int32_t option,
                         int32_t& read_count, int32_t& download_count,
                         std::string& last_file_timestamp) = 0;
  // Files downloaded so far; negative = the download failed.
  virtual int32_t JVStatus() = 0;
  // Above 0: buffer replaced by exactly one record text, file_name by the
  // name of its file; 0 = all read; -1 = next file, read again; -403 = the
  // file is damaged: delete it, close, open again and read on; other
  // negatives = error.
  virtual int32_t JVRead(std::string& buffer, int32_t& size, std::string& file_name) = 0;
  // Stops the downloads under way.
  virtual int32_t JVCancel() = 0;
  // Deletes a downloaded file, named as JVRead named it.
  virtual int32_t JVFileDelete(const std::string& file_name) = 0;

  // Why the last call that failed returned `rc`, for a report (UTF-8): what
  // the code means, the path or file it concerns, what to do next. Empty
  // when there is nothing to add to the code itself (the service's own
  // control tells nothing more).
  virtual std::string Explain(int32_t rc) const {
    (void)rc;
    return {};
  }
};

}  // namespace volq
