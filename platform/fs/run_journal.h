#pragma once
// The journal of a data directory: the runs that are under way on it, or
// were cut short (a kill, a power cut, a stop signal), kept in a hidden file
// beside the lock note (kJournalName), which the seam never lists. It is
// read and written only under the data directory's lock (DataDirLock holds
// one), through the file seam.
//
// A run enters it, on disk, before it first changes an output, and leaves it
// when it ends with its outputs whole: so a run found in it by the next
// program to take the lock is one that was cut short. Its content comes from
// the programs (what a run is called, what it writes); this layer keeps it
// and finishes the replacements a run lists (FinishRenames), which it can do
// without knowing what they are: the program that replays them says which
// files its runs replace so (ReplacementRule), and a journal that lists any
// other replacement is damaged, whoever put it there.
//
// The file, UTF-8 text in lines ending in LF:
//
//   volq-journal 1
//   run volqbuild                 one block per run: the program,
//   at 2025-03-01 10:15:02        when it entered (local time),
//   name press FormVolqBuild Command3 UM(競走馬)     what it is,
//   write UM20180101NEW.dat       what it writes (as its program names it),
//   write KYOSOBA/                one line each,
//   rename RA20180101.dat.41-0.partial RA20180101.dat   a replacement to make
//   end                           (paths from the data directory's root)
//
// Every change writes the whole journal beside it (".volq-journal.new"),
// syncs that file, renames it over the journal and syncs the data
// directory's folder, so that a reader finds the former journal or the new
// one, also after a power cut; the last run to leave deletes the file.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace volq {

inline constexpr const char kJournalName[] = ".volq-journal";

struct JournalRun {
  std::string program;  // "volqbuild"
  std::string at;       // "2025-03-01 10:15:02"; Enter sets it when empty
  std::string name;     // one line, no line end
  std::vector<std::string> writes;
  // Replacements to make: the file beside, the final one (paths from the
  // data directory's root, '/' between folders).
  std::vector<std::pair<std::string, std::string>> renames;
};

// The journal's text of `runs`, and back (false when the text is no whole
// journal: a first line or an "end" missing, an unknown line).
std::string JournalText(const std::vector<JournalRun>& runs);
bool ParseJournal(std::string_view text, std::vector<JournalRun>& runs);

// The replacements a program's runs list, as the program that replays
// them knows them. A replacement is made only when its final name is a file
// at the data directory's root that `replaces` accepts and the file beside
// is that name's own temporary file (NAME.<process>-<n>.partial, as a
// ReplacedFile writes it); `what_to_do` ends the report of a journal that
// lists anything else.
struct ReplacementRule {
  std::function<bool(std::string_view final_name)> replaces;
  std::string what_to_do;
};

class RunJournal {
 public:
  // The journal of data directory `root`; nothing is read yet.
  explicit RunJournal(std::filesystem::path root);

  // Reads the journal (none there: no runs). One that cannot be read (a
  // folder, a symlink, a FIFO in its place, no permission) or is no whole
  // journal raises a file Failure that names it and says what to do; a
  // FIFO is never waited on.
  void Load();
  const std::vector<JournalRun>& runs() const { return runs_; }
  const std::filesystem::path& root() const { return root_; }

  // Enters `run` and stores the journal, synced, before it returns; a
  // failure (Failure) leaves the journal on disk as it was. Returns the run
  // as entered (with its time).
  JournalRun Enter(JournalRun run);
  // A run that ended with its outputs whole: removes every run of its
  // program and name whose writes are all among its own (the one entered,
  // and the same run cut short before) and stores the journal, synced. Runs
  // named `former_name` (the name an older version gave the same run) go
  // so too.
  void Leave(const JournalRun& done, std::string_view former_name = {});
  // A run that ended having changed nothing: removes the one entered as
  // `run` (the last one equal to it) and stores the journal, synced.
  void Withdraw(const JournalRun& run);

  // Removes the runs that `forget` picks and stores the journal, synced
  // (nothing is stored when it picks none). Returns them.
  std::vector<JournalRun> Forget(const std::function<bool(const JournalRun&)>& forget);

  // Makes the replacements of every run that lists some: each file beside
  // that is still there takes its final name (one that is gone was renamed
  // already), the folders are synced, and those runs leave the journal.
  // Returns them. Every replacement listed is checked against `rule`, and
  // its file beside looked up, before the first is made: one that breaks
  // the rule, or whose file beside is no file, raises a file Failure that
  // calls the journal damaged, and nothing is renamed. A failed replacement
  // raises a file Failure, and the run stays in the journal for the next
  // try.
  std::vector<JournalRun> FinishRenames(const ReplacementRule& rule);

  // The local time as `at` says it.
  static std::string Now();

 private:
  void Store();

  std::filesystem::path root_;
  std::vector<JournalRun> runs_;
};

// A path of data directory `root` as a journal names it.
std::string JournalPathOf(const std::filesystem::path& root, const std::filesystem::path& p);

}  // namespace volq
