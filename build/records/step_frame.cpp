#include "build/records/step_frame.h"

#include "platform/fs/replaced_file.h"

namespace volq {

void StepFrame::Delete(DataDir& dir, const std::filesystem::path& p) {
  std::error_code ec;
  if (!std::filesystem::exists(p, ec)) return;
  Do("delete", [&] { dir.DeletePath(p); });
}

void StepFrame::WriteAnew(std::string_view what, DataDir& dir, const std::filesystem::path& p,
                          std::string_view bytes) {
  if (bytes.empty()) {
    Delete(dir, p);
    return;
  }
  if (Do(what, [&] { ReplaceWholeFile(p, bytes); })) dir.NoteCreated(p);
}

void StepFrame::Skipped(std::string_view what, std::string_view detail) {
  auto it = entries_.find(what);
  if (it == entries_.end()) {
    it = entries_.emplace(std::string(what), Entry{std::string(detail), 0}).first;
    order_.emplace_back(what);
  }
  ++it->second.times;
}

std::vector<std::string> StepFrame::Report() const {
  std::vector<std::string> lines;
  for (const std::string& what : order_) {
    const Entry& e = entries_.find(what)->second;
    std::string line = what + ": " + e.first_detail;
    if (e.times > 1) line += " (" + std::to_string(e.times) + " times)";
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string CountText(int64_t count) {
  return (count >= 0 ? " " : "") + std::to_string(count);
}

std::string EndMessage(std::string_view label, int64_t count) {
  return std::string(label) + " " + CountText(count);
}

}  // namespace volq
