#pragma once
// The rule every build step runs under: a failing operation is abandoned and
// the step goes on; a failing test runs the branch it guards; a failing loop
// end test leaves the loop; a failing selector skips the whole choice. What
// was skipped is kept, folded by operation and cause, so the front end can
// report it after the end message; the end message itself is unchanged.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs/data_dir.h"
#include "platform/fs/failure.h"

namespace volq {

class StepFrame {
 public:
  // Runs op; a Failure is skipped and recorded. True when op completed.
  template <class Op>
  bool Do(std::string_view what, Op&& op) {
    try {
      op();
      return true;
    } catch (const Failure& e) {
      Skipped(what, e);
      return false;
    }
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

  // Records a skipped failure of operation `what`.
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

  // One line per operation and cause (FailureFold).
  std::vector<std::string> Report() const;
  bool clean() const { return fold_.empty(); }

 private:
  FailureFold fold_;
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
