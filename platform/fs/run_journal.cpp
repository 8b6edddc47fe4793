#include "platform/fs/run_journal.h"

#include <algorithm>
#include <ctime>

#include "platform/base/failure.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/file_system.h"
#include "platform/fs/replaced_file.h"

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

namespace {

// The report of a journal that cannot be read: what stands there, and how to
// mend it. Nothing was done yet: the run that read it does not go on.
[[noreturn]] void FailUnreadJournal(const std::filesystem::path& p, int err) {
  const std::string head = "the journal " + ShownPath(p);
  const std::string full = std::filesystem::absolute(p).generic_string();
  switch (err) {
    case EISDIR:
      FailFile(head + " is a folder, which no run of these programs makes: nothing was changed; " +
               "remove the folder " + full + " (look into it first) and press again");
    case kRefusedSymlink:
      FailFile(head + " is a symlink, which is never followed: nothing was changed; " +
               "remove the symlink " + full + " (not what it points to) and press again");
    case kNotRegularFile:
      FailFile(head + " is no regular file (a FIFO, a socket or a device), which is never " +
               "read: nothing was changed; remove " + full + " and press again");
    case EACCES:
      FailFile(head + " cannot be read (" + SeamErrorText(err) + "): nothing was changed; " +
               "give yourself read and write permission on it (chmod u+rw " + full +
               ") and press again");
    default:
      FailFile("cannot read the journal " + ShownPath(p) + ": " + SeamErrorText(err) +
               ": nothing was changed; press again once it can be read");
  }
}

}  // namespace

void RunJournal::Load() {
  const std::filesystem::path p = root_ / kJournalName;
  std::string text;
  runs_.clear();
  const int err = Files().ReadWhole(p, text);
  if (err == ENOENT) return;
  if (err != 0) FailUnreadJournal(p, err);
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

namespace {

// An entry that no replacement takes or makes, as a report names it; ""
// for a file or nothing.
std::string OddEntry(EntryKind kind) {
  switch (kind) {
    case EntryKind::Folder:
      return "a folder";
    case EntryKind::Symlink:
      return "a symlink";
    case EntryKind::Other:
      return "no regular file (a FIFO, a socket or a device)";
    default:
      return "";
  }
}

// A replacement a run of `rule` lists: a plain name at the root, and beside
// it that name's own temporary file.
bool Listable(const std::string& from, const std::string& to, const ReplacementRule& rule) {
  return IsPlainName(to) && to.front() != '.' && from.starts_with(to) && IsTemporaryOf(from, to) &&
         rule.replaces(to);
}

}  // namespace

std::vector<JournalRun> RunJournal::FinishRenames(const ReplacementRule& rule) {
  FileSystem& files = Files();
  const std::filesystem::path journal = root_ / kJournalName;
  // Whatever a journal lists is checked before the first rename: a journal
  // that another program or a copy put there must not move any file, in the
  // data directory or beside it.
  std::vector<std::pair<std::filesystem::path, std::filesystem::path>> to_make;
  std::vector<std::filesystem::path> folders;
  for (const JournalRun& r : runs_) {
    for (const auto& [from, to] : r.renames) {
      const std::string listed =
          "it asks for '" + Printable(from) + "' to be renamed to '" + Printable(to) + "'";
      if (!Listable(from, to, rule)) {
        FailFile("the journal " + ShownPath(journal) + " is damaged: " + listed +
                 ", which no run of these programs does; nothing was renamed; " + rule.what_to_do);
      }
      const std::filesystem::path beside = root_ / from, final_path = root_ / to;
      if (std::find(folders.begin(), folders.end(), final_path.parent_path()) == folders.end()) {
        folders.push_back(final_path.parent_path());
      }
      EntryInfo info;
      if (const int err = files.Stat(beside, info)) FailFileOp("cannot look up", beside, err);
      if (const std::string odd = OddEntry(info.kind); !odd.empty()) {
        FailFile("the journal " + ShownPath(journal) + " is damaged: " + listed + ", but " +
                 Printable(from) + " is " + odd +
                 ", which no run of these programs writes; nothing was renamed; " +
                 rule.what_to_do);
      }
      // Gone: renamed already (or listed twice).
      if (info.kind != EntryKind::File ||
          std::any_of(to_make.begin(), to_make.end(),
                      [&](const auto& m) { return m.first == beside; })) {
        continue;
      }
      EntryInfo former;
      if (const int err = files.Stat(final_path, former)) {
        FailFileOp("cannot look up", final_path, err);
      }
      if (const std::string odd = OddEntry(former.kind); !odd.empty()) {
        FailFile("the journal " + ShownPath(journal) + " asks for " + ShownPath(final_path) +
                 " to be replaced, but it is " + odd +
                 ", which is never replaced: nothing was renamed; remove it and press again");
      }
      to_make.emplace_back(beside, final_path);
    }
  }
  for (const auto& [beside, final_path] : to_make) {
    if (const int err = files.Replace(beside, final_path)) {
      FailFileOp("cannot replace", final_path, err);
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
