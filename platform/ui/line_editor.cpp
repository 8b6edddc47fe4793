#include "platform/ui/line_editor.h"

#include <histedit.h>
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "platform/base/stop_request.h"
#include "platform/ui/interrupt.h"

namespace volq {
namespace {

// The signals that end the program at the prompt, and Ctrl-Z. libedit's own
// handling of them (EL_SIGNAL) would send each on to the whole process
// group, a wrapper script with it; caught here instead, they only make the
// read return, with the terminal in its own mode again.
constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGQUIT};
volatile std::sig_atomic_t ended_by = 0;
volatile std::sig_atomic_t suspended = 0;
// A signal that lands while the line editor is not blocked in its read (it
// is drawing what was typed), or whose interrupted read it tries once more,
// would leave the prompt waiting for a key: an alarm interrupts the read
// again, each second, until the editor returns.
extern "C" void OnAlarm(int) {
  if (ended_by != 0 || suspended != 0) alarm(1);
}
extern "C" void OnEndSignal(int signal) {
  ended_by = signal;
  NoteStopSignal(signal);  // a run that shows the prompt stops as well
  alarm(1);
}
extern "C" void OnSuspend(int) {
  suspended = 1;
  alarm(1);
}

// For as long as one lives, the end signals and SIGTSTP are caught (those
// the program was started with ignored stay ignored); a read they interrupt
// returns.
class PromptSignals {
 public:
  PromptSignals() {
    ended_by = 0;
    suspended = 0;
    struct sigaction sa {};
    sigemptyset(&sa.sa_mask);
    sa.sa_handler = OnEndSignal;
    for (size_t i = 0; i < std::size(kEndSignals); ++i)
      CatchUnlessIgnored(kEndSignals[i], sa, saved_[i]);
    sa.sa_handler = OnSuspend;
    CatchUnlessIgnored(SIGTSTP, sa, saved_tstp_);
    sa.sa_handler = OnAlarm;
    sigaction(SIGALRM, &sa, &saved_alarm_);
  }
  ~PromptSignals() {
    alarm(0);
    sigaction(SIGALRM, &saved_alarm_, nullptr);
    for (size_t i = 0; i < std::size(kEndSignals); ++i)
      sigaction(kEndSignals[i], &saved_[i], nullptr);
    sigaction(SIGTSTP, &saved_tstp_, nullptr);
  }
  PromptSignals(const PromptSignals&) = delete;
  PromptSignals& operator=(const PromptSignals&) = delete;

  // Stops this process alone, as Ctrl-Z asks, until the shell continues it.
  void Suspend() {
    suspended = 0;
    struct sigaction caught {};
    struct sigaction stop {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, &caught);
    raise(SIGTSTP);
    sigaction(SIGTSTP, &caught, nullptr);
  }

 private:
  struct sigaction saved_[std::size(kEndSignals)]{};
  struct sigaction saved_tstp_ {};
  struct sigaction saved_alarm_ {};
};

}  // namespace

LineEditor::LineEditor() {
  std::setlocale(LC_CTYPE, "");
  if (std::string_view(nl_langinfo(CODESET)) != "UTF-8") std::setlocale(LC_CTYPE, "C.UTF-8");
  history_ = history_init();
  HistEvent ev;
  ::history(history_, &ev, H_SETSIZE, 1000);
  ::history(history_, &ev, H_SETUNIQUE, 1);
  el_ = el_init("volq", stdin, stdout, stderr);
  el_set(el_, EL_CLIENTDATA, this);
  el_set(el_, EL_PROMPT, &LineEditor::Prompt);
  el_set(el_, EL_EDITOR, "emacs");
  // No EL_SIGNAL: Read catches the signals itself (PromptSignals).
  el_set(el_, EL_HIST, ::history, history_);
  el_source(el_, nullptr);
}

LineEditor::~LineEditor() {
  el_end(el_);
  history_end(history_);
}

char* LineEditor::Prompt(editline* el) {
  void* self = nullptr;
  el_get(el, EL_CLIENTDATA, &self);
  return static_cast<LineEditor*>(self)->prompt_.data();
}

std::optional<std::string> LineEditor::Read(const std::string& prompt, const std::string& start,
                                            bool remember) {
  prompt_ = prompt;
  std::fflush(stdout);
  if (!start.empty()) el_push(el_, start.c_str());
  stop_signal_ = 0;
  InterruptCatcher interrupt;
  PromptSignals signals;
  int count = 0;
  const char* got = nullptr;
  while (true) {
    count = 0;
    got = el_gets(el_, &count);
    alarm(0);
    // el_gets has put the terminal back in its own mode, whatever ended it.
    if (ended_by != 0) {
      stop_signal_ = ended_by;
      return std::nullopt;
    }
    if (suspended != 0) {
      // What was typed is typed again once the shell continues the program.
      const LineInfo* typed = el_line(el_);
      const std::string kept(typed->buffer, typed->lastchar);
      std::fputs("\n", stdout);
      std::fflush(stdout);
      signals.Suspend();
      if (!kept.empty()) el_push(el_, kept.c_str());
      continue;
    }
    if (!interrupt.Take()) break;
    // Ctrl-C drops what was typed and asks again, as a shell does.
    std::fputs("^C\n", stdout);
    std::fflush(stdout);
  }
  if (!got || count <= 0) return std::nullopt;
  std::string line(got, static_cast<size_t>(count));
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (remember && line.find_first_not_of(" \t") != std::string::npos) {
    HistEvent ev;
    ::history(history_, &ev, H_ENTER, line.c_str());
  }
  return line;
}

}  // namespace volq
