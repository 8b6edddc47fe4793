#pragma once
// The interactive prompt's line editing and history, through libedit: the
// arrow keys move in the line and recall earlier commands (emacs keys, and
// whatever the person's ~/.editrc sets). Used only when standard input is a
// terminal; scripts and piped input never reach it.
#include <optional>
#include <string>

struct editline;
struct history;

namespace volq {

class LineEditor {
 public:
  // Standard input and output of the process; a UTF-8 character locale is
  // set when the environment's is not, so that double-byte characters are
  // edited whole.
  LineEditor();
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // One line typed after `prompt` (UTF-8), without its end of line; `start`
  // is taken as typed already (keys that came while a step ran). nullopt at
  // the end of input (Ctrl-D on an empty line); Ctrl-C drops the line typed
  // so far and asks again. `remember`: the line goes into the history.
  // SIGTERM, SIGHUP or SIGQUIT end the read too (nullopt), the terminal in
  // its own mode again, and stop_signal() then names the signal; no signal
  // reaches another process. Ctrl-Z stops this process alone, and the line
  // typed so far is there again when it is continued.
  std::optional<std::string> Read(const std::string& prompt, const std::string& start,
                                  bool remember);
  // The signal that ended the last Read, 0 when none did.
  int stop_signal() const { return stop_signal_; }

 private:
  static char* Prompt(editline* el);
  editline* el_ = nullptr;
  history* history_ = nullptr;
  std::string prompt_;
  int stop_signal_ = 0;
};

}  // namespace volq
