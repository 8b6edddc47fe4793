#include "build/records/step_frame.h"

#include <algorithm>

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

void StepFrame::Skipped(std::string_view what, const Failure& e) {
  Skipped(what, e.cause(), e.subject(), e.what());
}

void StepFrame::Skipped(std::string_view what, std::string_view detail) {
  Skipped(what, detail, "", detail);
}

namespace {
constexpr size_t kShownSubjects = 3;
}

void StepFrame::Skipped(std::string_view what, std::string_view cause, std::string_view subject,
                        std::string_view detail) {
  std::string key(what);
  key += '\0';
  key += cause;
  auto it = entries_.find(key);
  if (it == entries_.end()) {
    Entry e;
    e.what = what;
    e.cause = cause;
    e.first_detail = detail;
    it = entries_.emplace(key, std::move(e)).first;
    order_.push_back(key);
  }
  Entry& e = it->second;
  ++e.times;
  if (std::find(e.subjects.begin(), e.subjects.end(), subject) != e.subjects.end()) return;
  if (e.subjects.size() < kShownSubjects) {
    e.subjects.emplace_back(subject);
  } else {
    e.more_subjects = true;
  }
}

std::vector<std::string> StepFrame::Report() const {
  std::vector<std::string> lines;
  for (const std::string& key : order_) {
    const Entry& e = entries_.find(key)->second;
    const std::string times = std::to_string(e.times) + " times";
    std::string line = e.what + ": ";
    if (e.subjects.size() <= 1) {
      line += e.first_detail;
      if (e.times > 1) line += " (" + times + ")";
    } else {
      line += e.cause + " (" + times + "; first: ";
      for (size_t i = 0; i < e.subjects.size(); ++i) line += (i ? ", " : "") + e.subjects[i];
      if (e.more_subjects) line += ", ...";
      line += ")";
    }
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
