#pragma once
// The rule every build step runs under: a failing operation is abandoned and
// the step goes on; a failing test runs the branch it guards; a failing loop
// end test leaves the loop; a failing selector skips the whole choice. What
// was skipped is kept, folded by operation and cause, so the front end can
// report it after the end message; the end message itself is unchanged.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/fs/data_dir.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/run_journal.h"

namespace volq {

// Ends a step where it is, passing through Do and If: an input that the step
// cannot read, a folder it writes into that is missing, a file system that
// takes no more writes. The runner reports `what()` and the outputs the step
// had not written yet.
class StepStopped : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
[[noreturn]] void StopStep(const std::string& text);
// The stop for a failure of the file system itself (StepFrame::Skipped): a
// script does not go on after it.
class FileSystemStopped : public StepStopped {
 public:
  using StepStopped::StepStopped;
};
// A step that does not run because a step cut short may have left what it
// reads incomplete: the runner reports `what()` as it stands.
class StepRefused : public StepStopped {
 public:
  using StepStopped::StepStopped;
};

// A step's entry in the data directory's journal, kept by the runner (a
// step run alone, as in a unit test, has none): BeginStep refuses the step
// while a step cut short writes what it reads, then enters it with its
// outputs before it changes any.
struct StepJournalEntry {
  RunJournal* journal = nullptr;  // the lock holder's; none: no journal kept
  std::string name;               // StepRunName of the button
  // The name of the same run before it said what it ran for (the name an
  // older version gave it); "" when the same.
  std::string former_name;
  bool entered = false;  // the step's outputs are in the journal
  // The run this press entered; empty when the same run cut short before
  // already named the same outputs (it stays until the step completes).
  std::optional<JournalRun> added;
  std::vector<std::string> writes;  // the step's outputs
};

class StepFrame {
 public:
  // Runs op; a Failure is skipped and recorded. True when op completed.
  template <class Op>
  bool Do(std::string_view what, Op&& op) {
    return Skipping(op, [&](const Failure& e) { Skipped(what, e); });
  }

  // The value of a test, or true when the test itself failed. A loop's end
  // test is one too: a failing end test ends the loop. A choice runs whole
  // inside Do, so a failing selector skips every case of it.
  template <class Test>
  bool If(std::string_view what, Test&& test) {
    try {
      return static_cast<bool>(test());
    } catch (const Failure& e) {
      Skipped(what, e);
      return true;
    }
  }

  // Deletes an output file. A file that is not there yet is the normal state
  // before a first run and is not reported.
  void Delete(DataDir& dir, const std::filesystem::path& p);

  // Puts `bytes` in place of an output written whole, as `what`; a failed
  // write keeps the former file. An output without bytes does not exist, as
  // one that a step deletes and then writes record by record.
  void WriteAnew(std::string_view what, DataDir& dir, const std::filesystem::path& p,
                 std::string_view bytes);

  // Records a skipped failure of operation `what`. A failure of the file
  // system itself (no space left, a quota, an I/O error) is not skipped: it
  // stops the step (FileSystemStopped), so that no later output is written from
  // an input that could not be written.
  void Skipped(std::string_view what, const Failure& e);
  // Records a refused input that is not a Failure: `detail` is the whole
  // text; when it concerns one record, file or identifier, `subject` names it
  // and `cause` is the text without it.
  void Skipped(std::string_view what, std::string_view detail);
  void Skipped(std::string_view what, std::string_view cause, std::string_view subject,
               std::string_view detail);
  // The same once per subject: a damaged file that a step opens twice is
  // said once.
  void SkippedOnce(std::string_view what, std::string_view cause, std::string_view subject,
                   std::string_view detail) {
    fold_.AddOnce(what, cause, subject, detail);
  }

  // Lets the window process pending events during long steps.
  void Yield(int64_t done = 0, int64_t total = 0) {
    if (yield_hook) yield_hook(done, total);
  }
  std::function<void(int64_t, int64_t)> yield_hook;

  // What the step found that the person should know and that is no failure
  // (an output written empty from inputs that had records, a folder written
  // outside the data directory through a link): told after the step as a
  // note, which leaves the exit status as it is.
  void Note(std::string text) { notes_.push_back(std::move(text)); }
  const std::vector<std::string>& notes() const { return notes_; }

  // One line per operation and cause (FailureFold).
  std::vector<std::string> Report() const;
  bool clean() const { return fold_.empty(); }

  // Notes the outputs of the step as they are before it writes any
  // (files by name; a folder of per-entity files by its name and "/").
  void NoteOutputs(DataDir& dir, const std::vector<std::string_view>& outputs);
  // The noted outputs that the step has not replaced or changed since, as
  // reports name them: after a stop, what kept its former content.
  std::vector<std::string> UnchangedOutputs() const;
  // True when every noted output is a file that the step has not replaced
  // or changed since (a folder of per-entity files cannot be told so).
  bool NothingChanged() const;

  StepJournalEntry journal;
  // The window whose press or load runs the frame ("" for the main window):
  // where a report's hint to write a missing input starts from.
  std::string window;

 private:
  struct Output {
    std::string name;
    std::filesystem::path path;
    std::string identity;  // inode, size and time of change; "" when missing
  };
  FailureFold fold_;
  std::vector<std::string> notes_;
  std::vector<Output> outputs_;
};

// What a step works with: the data directory, its frame and the main
// window's shared count of input records.
struct StepContext {
  DataDir& dir;
  StepFrame& frame;
  int32_t& RecordCount;
};

// "label" + " " + the count's decimal text, which has a leading blank when
// the count is not negative: EndMessage("RA 終わり", 1234) == "RA 終わり  1234".
std::string EndMessage(std::string_view label, int64_t count);
// The decimal text of a number as the status line shows it (" 12", "-3").
std::string CountText(int64_t count);

}  // namespace volq
