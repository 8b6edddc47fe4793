#include "build/step/step_frame.h"

#include "platform/fs/file_system.h"
#include "platform/fs/replaced_file.h"

namespace volq {

void StopStep(const std::string& text) { throw StepStopped(text); }

namespace {

// What tells a file apart from the one that replaces it (a rename gives a
// new inode) or from itself rewritten in place (size, time of change); ""
// when missing. 0 or the errno of a file that cannot be looked at.
int IdentityOf(const std::filesystem::path& p, std::string& identity) {
  EntryInfo info;
  identity.clear();
  if (const int err = Files().Stat(p, info)) return err;
  if (info.kind != EntryKind::Missing) {
    identity = std::to_string(info.inode) + ' ' + std::to_string(info.size) + ' ' +
               std::to_string(info.changed_ns);
  }
  return 0;
}

}  // namespace

void StepFrame::NoteOutputs(DataDir& dir, const std::vector<std::string_view>& outputs) {
  for (std::string_view name : outputs) {
    std::filesystem::path p = dir.Path(name);
    std::string identity;
    // A folder of per-entity files is said as a whole: its identity is not used.
    const bool folder = !name.empty() && name.back() == '/';
    if (const int err = folder ? 0 : IdentityOf(p, identity)) FailFileOp("cannot look up", p, err);
    outputs_.push_back({std::string(name), p, identity});
  }
}

std::vector<std::string> StepFrame::UnchangedOutputs() const {
  std::vector<std::string> names;
  for (const Output& o : outputs_) {
    // A folder of per-entity files: its files not reached yet kept theirs.
    if (!o.name.empty() && o.name.back() == '/') {
      names.push_back("the files of " + o.name + " not reached");
      continue;
    }
    // One that cannot be looked at now is not said to be kept.
    std::string identity;
    if (IdentityOf(o.path, identity) == 0 && identity == o.identity) names.push_back(o.name);
  }
  return names;
}

bool StepFrame::NothingChanged() const {
  for (const Output& o : outputs_) {
    if (!o.name.empty() && o.name.back() == '/') return false;
  }
  return UnchangedOutputs().size() == outputs_.size();
}

void StepFrame::Delete(DataDir& dir, const std::filesystem::path& p) {
  Do("delete", [&] {
    if (EntryExists(p)) dir.DeletePath(p);
  });
}

void StepFrame::WriteAnew(std::string_view what, DataDir& dir, const std::filesystem::path& p,
                          std::string_view bytes) {
  if (bytes.empty()) {
    Delete(dir, p);
    return;
  }
  Do(what, [&] { ReplaceWholeFile(p, bytes); });
}

void StepFrame::Skipped(std::string_view what, const Failure& e) {
  if (IsFileSystemFailure(e)) {
    throw FileSystemStopped(std::string(what) + ": " + e.text());
  }
  fold_.Add(what, e);
}

void StepFrame::Skipped(std::string_view what, std::string_view detail) { fold_.Add(what, detail); }

void StepFrame::Skipped(std::string_view what, std::string_view cause, std::string_view subject,
                        std::string_view detail) {
  fold_.Add(what, cause, subject, detail);
}

std::vector<std::string> StepFrame::Report() const { return fold_.Lines(); }

std::string CountText(int64_t count) { return (count >= 0 ? " " : "") + std::to_string(count); }

std::string EndMessage(std::string_view label, int64_t count) {
  return std::string(label) + " " + CountText(count);
}

}  // namespace volq
