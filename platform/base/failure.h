#pragma once
// The one error type of the system: file, index and conversion failures raise
// it, and the build program's step frame catches it to skip the operation.
// A failure tells its cause apart from the record, file or identifier it
// concerns (its subject), so that repeated failures of one cause fold into
// one report line that still names the different subjects. This is the
// base layer of both programs: it knows no file, window or record.
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace volq {

class Failure : public std::runtime_error {
 public:
  enum class Kind { File, Index, Conversion, Overflow };
  Failure(Kind kind, const std::string& what)
      : std::runtime_error(what), kind_(kind), text_(what), cause_(what) {}
  // `what` is the whole sentence; `cause` the same without the subject.
  Failure(Kind kind, const std::string& what, std::string cause, std::string subject, int error = 0)
      : std::runtime_error(what),
        kind_(kind),
        text_(what),
        cause_(std::move(cause)),
        subject_(std::move(subject)),
        error_(error) {}
  Kind kind() const { return kind_; }
  // The whole sentence. what() is a C string, which a NUL byte of an
  // identifier or record text would cut short; reports take this.
  const std::string& text() const { return text_; }
  // The system's errno of a failed file operation, 0 when none is known.
  int error() const { return error_; }
  const std::string& cause() const { return cause_; }
  const std::string& subject() const { return subject_; }  // empty when none

 private:
  Kind kind_;
  std::string text_;
  std::string cause_;
  std::string subject_;
  int error_ = 0;
};

// The whole text of any error a report shows: a Failure's text(), else
// what().
inline std::string ErrorText(const std::exception& e) {
  const auto* f = dynamic_cast<const Failure*>(&e);
  return f != nullptr ? f->text() : std::string(e.what());
}

[[noreturn]] inline void FailFile(const std::string& what) {
  throw Failure(Failure::Kind::File, what);
}
[[noreturn]] inline void FailIndex(const std::string& what) {
  throw Failure(Failure::Kind::Index, what);
}
[[noreturn]] inline void FailConversion(const std::string& what) {
  throw Failure(Failure::Kind::Conversion, what);
}
[[noreturn]] inline void FailOverflow(const std::string& what) {
  throw Failure(Failure::Kind::Overflow, what);
}

// A text that does not convert: "not a whole number: '1A'".
[[noreturn]] void FailConversion(std::string_view cause, std::string_view text);

// Repeated failures folded into report lines, one per operation and cause,
// in the order they first came: "what: detail (N times)" while every
// occurrence concerns one subject, else "what: cause (N times; first: A, B,
// C, ...)" with the first distinct subjects. An empty `what` gives lines
// without the "what: " part.
class FailureFold {
 public:
  void Add(std::string_view what, std::string_view cause, std::string_view subject,
           std::string_view detail);
  // A failure of operation `what`: its cause and subject.
  void Add(std::string_view what, const Failure& e) { Add(what, e.cause(), e.subject(), e.text()); }
  // A whole text of one cause and no subject.
  void Add(std::string_view what, std::string_view text) { Add(what, text, "", text); }
  // The same, but a subject already folded under this operation and cause
  // is not counted again: for a state of a file that several opens find.
  void AddOnce(std::string_view what, std::string_view cause, std::string_view subject,
               std::string_view detail);
  bool empty() const { return order_.empty(); }
  std::vector<std::string> Lines() const;

 private:
  struct Entry {
    std::string what, cause, first_detail;
    std::vector<std::string> subjects;  // the first distinct ones
    bool more_subjects = false;
    int64_t times = 0;
  };
  std::unordered_map<std::string, Entry> entries_;
  std::vector<std::string> order_;
};

// Text fit for a terminal line: control bytes (a line feed, ESC) are shown
// escaped ("\n", "\x1b") so that no record byte can break or drive the
// terminal; every other byte is kept.
std::string Printable(std::string_view text);

// Runs op; a Failure it raises is handed to on_failure and the caller goes
// on: the rule "a failing operation is abandoned" of the build steps and the
// download alike. True when op completed.
template <class Op, class OnFailure>
bool Skipping(Op&& op, OnFailure&& on_failure) {
  try {
    op();
    return true;
  } catch (const Failure& e) {
    on_failure(e);
    return false;
  }
}

// A failure found where nobody can be told any more (a writer closed by its
// destructor): printed on standard error as a "failure:" line and counted,
// so that the program's exit status still shows it.
void ReportLateFailure(std::string_view text);
int LateFailureCount();

}  // namespace volq
