#include "build/step/step_frame.h"

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
  Do(what, [&] { ReplaceWholeFile(p, bytes); });
}

void StepFrame::Skipped(std::string_view what, const Failure& e) { fold_.Add(what, e); }

void StepFrame::Skipped(std::string_view what, std::string_view detail) { fold_.Add(what, detail); }

void StepFrame::Skipped(std::string_view what, std::string_view cause, std::string_view subject,
                        std::string_view detail) {
  fold_.Add(what, cause, subject, detail);
}

std::vector<std::string> StepFrame::Report() const { return fold_.Lines(); }

std::string CountText(int64_t count) {
  return (count >= 0 ? " " : "") + std::to_string(count);
}

std::string EndMessage(std::string_view label, int64_t count) {
  return std::string(label) + " " + CountText(count);
}

}  // namespace volq
