#pragma once
// The console front end of both programs: it shows the current window as
// text and carries out the fixed command words
//
//   press CONTROL        click a button / choose an option (name or caption)
//   type CONTROL TEXT    set a text box's text ("TEXT" may be quoted)
//   pick CONTROL N       click entry N (from 1) of a list box
//   window N             make open window N current; windows: list them
//   show [CONTROL]       print the current window, or one control whole
//   help                 the command words and what they do; quit
//
// taken from `-c 'cmd; cmd'`, from standard input one per line, or at an
// interactive prompt (line editing and history: line_editor.h) when standard
// input is a terminal. Typed text is UTF-8 and becomes code page 932 for
// matching; everything shown is UTF-8, grids fitted to the terminal's width
// (else $COLUMNS, else kScriptWidth).
//
// After each press or pick one outcome line: the window's status line when
// the click changed it, else "CONTROL (CAPTION): done" ("CONTROL (CAPTION)
// does nothing: it has no step" for a button without a handler); " (ended
// with failures)" or "ended with failures" when the handler reported any,
// and "; NOTE" for what the window told of the press (TellOutcome); after a
// pick also every grid it changed, then the failures the handler reported
// (standard error). A control that the current window lacks is looked for in
// the other open windows ("Command13 is a button of window 1: window 1
// first"), then asked of the program (SetPlaceOfName), else the nearest names
// of the current window are offered. `help` ends with the current window's Guide. Record text is
// shown with control bytes escaped. A script stops at a command that cannot be carried out; the
// exit status is 1 when any command could not be carried out or any failure was reported. A script
// (from -c or standard input) also ends at a press whose step stopped on the file system (a full
// disk) or at a stop signal, with "failure: script stopped: WHY; not run: COMMANDS (WHAT TO DO)" on
// standard error; a step that completed as the signal came is said so even when nothing of the
// script is left.
//
// On a terminal: a modal window is drawn on one line of standard error and a
// key or Ctrl-C presses its cancel button; yield points show the progress of
// a long step and take commands typed meanwhile (press and pick are refused
// while a BusyScope lives); a message box at the prompt waits for Enter
// alone, and a command typed instead is kept and carried out after it. At
// the prompt Ctrl-C clears the line typed so far; Ctrl-D or quit ends.
//
//   int main(int argc, char** argv) {
//     CommandLine cl = ParseCommandLine(argc, argv);
//     if (auto end = CommandLineExit(cl, "volqbuild", kUsage)) return *end;
//     Console console;
//     WindowManager wm(console, "VolqBuild");
//     FormVolqBuild form(...);
//     return console.Run(wm, form, cl.script);
//   }
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/failure.h"
#include "platform/ui/window.h"

namespace volq {

// The command line both programs share: --data-dir DIR (default
// "VOLQNQ4DPROJECT"), -c COMMANDS (repeatable), --help, --version, and the
// program's own options that take a value (`--name VALUE` or `--name=VALUE`).
struct CommandLine {
  std::string data_dir = "VOLQNQ4DPROJECT";
  std::optional<std::string> script;
  std::map<std::string, std::string, std::less<>> options;
  bool help = false;
  bool version = false;
  std::string error;  // not empty: the command line is wrong (exit status 2)
};
CommandLine ParseCommandLine(int argc, const char* const* argv,
                             std::initializer_list<std::string_view> own_options = {});

// The command words, as both programs' usage and the prompt list them, and
// what `help` prints: each word with what it does.
extern const char* const kCommandWords;
extern const char* const kHelp;

// The width that the console's own lists (the commands, the usage) fit.
inline constexpr size_t kListWidth = 80;
// Terminal columns of UTF-8 text: a double-width character (kanji, kana,
// full-width forms) counts two.
size_t Columns(std::string_view utf8);
// The words of `utf8` in lines of at most `width` columns (one word longer
// than that stays whole): the first line keeps the text's leading blanks, the
// others are indented by `indent`; every line ends with '\n'.
std::string FoldWords(std::string_view utf8, size_t width, size_t indent = 0);

// The command line's end before any window: --help prints `usage` on
// standard output (status 0), --version "PROGRAM VERSION" (0), a wrong
// command line "PROGRAM: what is wrong" and where to find the usage on
// standard error (2); nullopt when the program goes on.
std::optional<int> CommandLineExit(const CommandLine& cl, std::string_view program,
                                   std::string_view usage, std::ostream& out, std::ostream& err);
std::optional<int> CommandLineExit(const CommandLine& cl, std::string_view program,
                                   std::string_view usage);

// Commands of a -c text: separated by ';', blanks around them removed. A
// ';' inside double quotes or written "\;" belongs to the command (the
// quotes stay for `type` to remove, the backslash goes).
std::vector<std::string> SplitCommands(std::string_view script);

// The width that output fits when it goes to no terminal and $COLUMNS is not set.
inline constexpr size_t kScriptWidth = 120;

// What `show` prints for a window (UTF-8): long lists cut short.
std::string RenderWindow(const Window& w, size_t width = kScriptWidth);
// What `show CONTROL` prints: the control whole.
std::string RenderControl(const Control& c, size_t width = kScriptWidth);
// One terminal line for a modal window: its caption, progress bars and labels.
std::string RenderProgressLine(const Window& w);

class LineEditor;
class TerminalInput;

class Console : public Host {
 public:
  // The process's terminal: standard input, output and error.
  Console();
  // No terminal: output to the given streams, script lines from `in`.
  Console(std::ostream& out, std::ostream& err, std::istream* in = nullptr);
  ~Console() override;

  // Shows the start window and runs the commands (the script when given,
  // else standard input); returns the exit status.
  int Run(WindowManager& wm, Window& start, const std::optional<std::string>& script);
  // One command line; false when it could not be carried out.
  bool Execute(std::string_view line);
  // A line that leads the first failure report of the run, printed once
  // (the programs name their data directory's absolute path there, for a
  // user who started them elsewhere).
  void SetFirstReportLine(std::string line) { first_report_line_ = std::move(line); }
  // Where the program keeps a control that no open window has (a button of
  // a window not open yet): `typed` is the name or caption as typed, in code
  // page 932; the answer (UTF-8) says which window and how to reach it from
  // `current` ("芝因子設定 is in the category window: press Command10
  // first"); "" when the program knows no such control.
  using PlaceOfName = std::function<std::string(const Window& current, std::string_view typed)>;
  void SetPlaceOfName(PlaceOfName place) { place_of_name_ = std::move(place); }
  // 128 + the signal after a run that a stop signal ended (130 for SIGINT);
  // else 1 when anything failed in this run, else 0.
  int exit_status() const {
    if (stop_signal_ != 0) return 128 + stop_signal_;
    return failed_ || LateFailureCount() > late_at_start_ ? 1 : 0;
  }

  // A line typed at the terminal in answer to `prompt` (both UTF-8); nullopt
  // without a terminal. A component's own dialog (the data service's
  // settings) asks through it.
  std::optional<std::string> Ask(const std::string& prompt);

  void Message(const Window& from, const std::string& text) override;
  void RunModal(WindowManager& wm, Window& w) override;
  void YieldPoint(const Window& from, std::string_view label, int64_t done, int64_t total) override;
  void Failures(const Window& from, const std::vector<std::string>& lines) override;
  void Outcome(const Window& from, const std::string& note) override;
  void StepEnded(const Window& from, StepEnd end) override;
  // "note: TEXT" on standard error at once; the exit status stays.
  void Notes(const Window& from, const std::vector<std::string>& lines) override;

 private:
  bool Fail(const std::string& what);
  bool Click(std::string_view rest, bool pick);
  bool Show(std::string_view control);
  // Raises UiError when window w has no control `typed` (code page 932):
  // which open window has it, where the program keeps it, or the nearest
  // names of w.
  void NeedHere(const Window& w, std::string_view typed) const;
  size_t Width() const;
  // A line typed at the prompt: what was typed while a step ran comes first.
  std::optional<std::string> PromptLine(const std::string& prompt, bool remember);
  Window* Current();
  // `pressed` names the click in its outcome line; empty when it failed.
  void AfterClick(Window& w, int last_id, const std::string& pressed,
                  const std::optional<std::string>& status_before,
                  const std::vector<std::pair<const Grid*, std::vector<std::string>>>& grids);
  void FlushFailures();
  void ClearLine();
  void Draw(const std::string& line);  // the one progress line of standard error
  std::optional<std::string> NextLine();
  void PressCancel(Window& w);
  // The lines of a script on standard input that are there to be read.
  std::vector<std::string> WaitingLines();
  // The line that says why the script ended before `rest` (its commands not
  // run), when a press ended it (ended_).
  void ReportScriptEnd(const std::vector<std::string>& rest);

  std::ostream& out_;
  std::ostream& err_;
  std::istream* in_ = nullptr;
  std::unique_ptr<TerminalInput> terminal_;  // standard input, when it is read
  std::unique_ptr<LineEditor> editor_;       // the prompt, once it is shown
  std::deque<std::string> kept_;             // typed at a message box: run after it
  bool keys_ = false;                        // standard input is a terminal
  bool draw_ = false;                        // standard error is a terminal
  bool out_terminal_ = false;                // standard output is a terminal
  bool interactive_ = false;                 // commands come from the prompt
  WindowManager* wm_ = nullptr;
  int current_ = 0;
  int depth_ = 0;  // commands taken at yield points run nested
  bool failed_ = false;
  // Late failures (failure.h) before this console: a process that runs a
  // program twice, as a test does, counts each run's own.
  const int late_at_start_ = LateFailureCount();
  bool quit_ = false;
  int stop_signal_ = 0;              // a stop signal that ended a run: the program ends
  std::optional<StepEnd> step_end_;  // of the running press's step, when it told
  // Why a press ended the script: what it says, what to do with the commands
  // not run, and whether it is said even when none is left (nothing else
  // said it).
  struct ScriptEnd {
    std::string what;
    std::string again;
    bool said_nowhere = false;
  };
  std::optional<ScriptEnd> ended_;
  bool drawn_ = false;
  std::string drawn_line_;
  std::chrono::steady_clock::time_point last_draw_{};
  std::vector<std::string> pending_;
  std::vector<std::string> notes_;  // for the running press's outcome line
  std::string first_report_line_;
  PlaceOfName place_of_name_;
  bool did_nothing_ = false;  // the running press found a button without a handler
};

}  // namespace volq
