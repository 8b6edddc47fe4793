#pragma once
// A JVLink that plays back results set by a test and logs every call, so that
// each return code of the service and each calling order can be produced.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/jvlink/jvlink.h"

namespace volq {

class ScriptedJVLink : public JVLink {
 public:
  struct Open {
    int32_t result = 0;
    int32_t read_count = 1;
    int32_t download_count = 0;
  };
  struct Read {
    int32_t result;
    std::string record;
    std::string file;
  };
  // A delivered record (the result is its length) of a file.
  static Read Record(std::string text, std::string file = "FILE1") {
    int32_t n = static_cast<int32_t>(text.size());
    return {n, std::move(text), std::move(file)};
  }
  // A bare return code of JVRead.
  static Read Code(int32_t rc, std::string file = {}) { return {rc, {}, std::move(file)}; }

  int32_t init_result = 0;
  int32_t settings_result = 0;
  std::vector<Open> opens = {Open{}};           // one per JVOpen call; the last repeats
  std::vector<int32_t> statuses;                // one per JVStatus call; the last repeats (none: 0)
  std::vector<Read> reads;                      // one per JVRead call; after the last: 0
  std::map<int32_t, std::string> explanations;  // what Explain says of a code (none: empty)

  // Every call in order: "JVInit UNKNOWN", "JVOpen SPEC FROM OPTION",
  // "JVStatus", "JVRead", "JVCancel", "JVFileDelete NAME", "JVClose",
  // "JVSettingsDialog".
  std::vector<std::string> calls;
  // Calls of one operation ("JVRead", ...).
  int Count(std::string_view operation) const;

  int32_t JVInit(const std::string& software_id) override;
  int32_t JVClose() override;
  int32_t JVSettingsDialog() override;
  int32_t JVOpen(const std::string& data_spec, const std::string& from_time, int32_t option,
                 int32_t& read_count, int32_t& download_count,
                 std::string& last_file_timestamp) override;
  int32_t JVStatus() override;
  int32_t JVRead(std::string& buffer, int32_t& size, std::string& file_name) override;
  int32_t JVCancel() override;
  int32_t JVFileDelete(const std::string& file_name) override;
  std::string Explain(int32_t rc) const override;

 private:
  size_t next_open_ = 0;
  size_t next_status_ = 0;
  size_t next_read_ = 0;
};

}  // namespace volq
