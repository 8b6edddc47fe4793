#include "platform/fs/run_journal.h"

#include <algorithm>
#include <ctime>

#include "platform/fs/file_failure.h"
#include "platform/fs/file_system.h"

namespace volq {

namespace {

constexpr std::string_view kFirstLine = "volq-journal 1";
constexpr const char kNewJournalName[] = ".volq-journal.new";

// The rest of `line` after `word` and one blank, when it begins so.
bool After(std::string_view line, std::string_view word, std::string_view& rest) {
  if (line.size() <= word.size() || line.substr(0, word.size()) != word ||
      line[word.size()] != ' ') {
    return false;
  }
  rest = line.substr(word.size() + 1);
  return true;
}

}  // namespace

std::string JournalText(const std::vector<JournalRun>& runs) {
  std::string text = std::string(kFirstLine) + "\n";
  for (const JournalRun& r : runs) {
    text += "run " + r.program + "\nat " + r.at + "\nname " + r.name + "\n";
    for (const std::string& w : r.writes) text += "write " + w + "\n";
    for (const auto& [from, to] : r.renames) text += "rename " + from + " " + to + "\n";
    text += "end\n";
  }
  return text;
}

bool ParseJournal(std::string_view text, std::vector<JournalRun>& runs) {
  runs.clear();
  bool first = true, open = false;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    if (nl == std::string_view::npos) return false;  // a line cut short
    const std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl + 1);
    std::string_view rest;
    if (first) {
      if (line != kFirstLine) return false;
      first = false;
    } else if (!open) {
      if (!After(line, "run", rest)) return false;
      runs.push_back({std::string(rest), {}, {}, {}, {}});
      open = true;
    } else if (line == "end") {
      open = false;
    } else if (After(line, "at", rest)) {
      runs.back().at = rest;
    } else if (After(line, "name", rest)) {
      runs.back().name = rest;
    } else if (After(line, "write", rest)) {
      runs.back().writes.emplace_back(rest);
    } else if (After(line, "rename", rest)) {
      const size_t blank = rest.find(' ');
      if (blank == std::string_view::npos) return false;
      runs.back().renames.emplace_back(rest.substr(0, blank), rest.substr(blank + 1));
    } else {
      return false;
    }
  }
  return !first && !open;
}

std::string JournalPathOf(const std::filesystem::path& root, const std::filesystem::path& p) {
  return p.lexically_relative(root).generic_string();
}

RunJournal::RunJournal(std::filesystem::path root) : root_(std::move(root)) {}

std::string RunJournal::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

void RunJournal::Load() {
  const std::filesystem::path p = root_ / kJournalName;
  std::string text;
  runs_.clear();
  const int err = Files().ReadWhole(p, text);
  if (err == ENOENT) return;
  if (err != 0) FailFileOp("cannot read the journal", p, err);
  if (!ParseJournal(text, runs_)) {
    runs_.clear();
    FailFile("the journal " + ShownPath(p) +
             " is damaged (written by no run of these programs): what runs were cut short "
             "is not known; delete it, then download again and press every button in order");
  }
}

JournalRun RunJournal::Enter(JournalRun run) {
  if (run.at.empty()) run.at = Now();
  runs_.push_back(run);
  try {
    Store();
  } catch (...) {
    // A run that may not go on is not left in the journal where the new
    // text got before the failure (a folder that could not be synced).
    runs_.pop_back();
    try {
      Store();
    } catch (...) {
    }
    throw;
  }
  return run;
}

namespace {

bool Equal(const JournalRun& a, const JournalRun& b) {
  return a.program == b.program && a.at == b.at && a.name == b.name && a.writes == b.writes &&
         a.renames == b.renames;
}

}  // namespace

void RunJournal::Leave(const JournalRun& done, std::string_view former_name) {
  std::vector<JournalRun> kept;
  for (JournalRun& r : runs_) {
    const bool repaired =
        r.program == done.program &&
        (r.name == done.name || (!former_name.empty() && r.name == former_name)) &&
        std::all_of(r.writes.begin(), r.writes.end(), [&](const std::string& w) {
          return std::find(done.writes.begin(), done.writes.end(), w) != done.writes.end();
        });
    if (!repaired) kept.push_back(std::move(r));
  }
  runs_ = std::move(kept);
  Store();
}

std::vector<JournalRun> RunJournal::Forget(const std::function<bool(const JournalRun&)>& forget) {
  std::vector<JournalRun> forgotten, kept;
  for (const JournalRun& r : runs_) (forget(r) ? forgotten : kept).push_back(r);
  if (forgotten.empty()) return forgotten;
  // A failure leaves the journal on disk as it was, and so the one here.
  std::swap(runs_, kept);
  try {
    Store();
  } catch (...) {
    std::swap(runs_, kept);
    throw;
  }
  return forgotten;
}

void RunJournal::Withdraw(const JournalRun& run) {
  for (auto it = runs_.rbegin(); it != runs_.rend(); ++it) {
    if (!Equal(*it, run)) continue;
    runs_.erase(std::next(it).base());
    break;
  }
  Store();
}

std::vector<JournalRun> RunJournal::FinishRenames() {
  FileSystem& files = Files();
  std::vector<std::filesystem::path> folders;
  for (const JournalRun& r : runs_) {
    for (const auto& [from, to] : r.renames) {
      const std::filesystem::path beside = root_ / from, final_path = root_ / to;
      EntryInfo info;
      if (const int err = files.Stat(beside, info)) FailFileOp("cannot look up", beside, err);
      if (info.kind == EntryKind::File) {
        if (const int err = files.Replace(beside, final_path)) {
          FailFileOp("cannot replace", final_path, err);
        }
      }
      const std::filesystem::path folder = final_path.parent_path();
      if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
        folders.push_back(folder);
      }
    }
  }
  for (const std::filesystem::path& folder : folders) {
    if (const int err = files.SyncFolder(folder)) FailFileOp("cannot sync", folder, err);
  }
  std::vector<JournalRun> finished, kept;
  for (JournalRun& r : runs_) (r.renames.empty() ? kept : finished).push_back(std::move(r));
  runs_ = std::move(kept);
  if (!finished.empty()) Store();
  return finished;
}

void RunJournal::Store() {
  FileSystem& files = Files();
  const std::filesystem::path p = root_ / kJournalName;
  if (runs_.empty()) {
    const int err = files.Delete(p);
    if (err != 0 && err != ENOENT) FailFileOp("cannot delete the journal", p, err);
  } else {
    const std::filesystem::path beside = root_ / kNewJournalName;
    // The new text goes beside the journal (one that a run cut short there
    // left goes first); failures name the file that failed.
    if (const int err = files.Delete(beside); err != 0 && err != ENOENT) {
      FailFileOp("cannot write the journal", beside, err);
    }
    OpenedFile f;
    int err = files.OpenForWriting(beside, WriteMode::Temporary, f);
    if (err == 0) {
      err = files.Write(f.handle, JournalText(runs_));
      if (err == 0) err = files.Sync(f.handle);
      if (const int closed = files.Close(f.handle); closed && !err) err = closed;
      if (err == 0 && (err = files.Replace(beside, p)) != 0) {
        files.Delete(beside);
        FailFileOp("cannot replace the journal", p, err);
      }
      if (err != 0) files.Delete(beside);
    }
    if (err != 0) FailFileOp("cannot write the journal", beside, err);
  }
  if (const int err = files.SyncFolder(root_)) FailFileOp("cannot sync", root_, err);
}

}  // namespace volq
