#include "platform/jvlink/scripted_jvlink.h"

namespace volq {

int ScriptedJVLink::Count(std::string_view operation) const {
  int n = 0;
  for (const std::string& c : calls) {
    if (std::string_view(c).substr(0, c.find(' ')) == operation) ++n;
  }
  return n;
}

int32_t ScriptedJVLink::JVInit(const std::string& software_id) {
  calls.push_back("JVInit " + software_id);
  return init_result;
}

int32_t ScriptedJVLink::JVClose() {
  calls.push_back("JVClose");
  return 0;
}

int32_t ScriptedJVLink::JVSettingsDialog() {
  calls.push_back("JVSettingsDialog");
  return settings_result;
}

int32_t ScriptedJVLink::JVOpen(const std::string& data_spec, const std::string& from_time,
                               int32_t option, int32_t& read_count, int32_t& download_count,
                               std::string& last_file_timestamp) {
  calls.push_back("JVOpen " + data_spec + " " + from_time + " " + std::to_string(option));
  Open o = opens.empty() ? Open{} : opens[std::min(next_open_++, opens.size() - 1)];
  read_count = o.read_count;
  download_count = o.download_count;
  last_file_timestamp = from_time;
  return o.result;
}

int32_t ScriptedJVLink::JVStatus() {
  calls.push_back("JVStatus");
  if (statuses.empty()) return 0;
  return statuses[std::min(next_status_++, statuses.size() - 1)];
}

int32_t ScriptedJVLink::JVRead(std::string& buffer, int32_t& size, std::string& file_name) {
  calls.push_back("JVRead");
  if (next_read_ >= reads.size()) return 0;
  const Read& r = reads[next_read_++];
  if (r.result > 0) {
    buffer = r.record;
    size = static_cast<int32_t>(r.record.size());
  }
  file_name = r.file;
  return r.result;
}

int32_t ScriptedJVLink::JVCancel() {
  calls.push_back("JVCancel");
  return 0;
}

int32_t ScriptedJVLink::JVFileDelete(const std::string& file_name) {
  calls.push_back("JVFileDelete " + file_name);
  return 0;
}

std::string ScriptedJVLink::Explain(int32_t rc) const {
  auto it = explanations.find(rc);
  return it == explanations.end() ? std::string() : it->second;
}

}  // namespace volq
