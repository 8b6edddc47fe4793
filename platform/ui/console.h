#pragma once
// The console front end of both programs: it shows the current window as
// text and carries out the fixed command words
//
//   press CONTROL        click a button / choose an option (name or caption)
//   type CONTROL TEXT    set a text box's text ("TEXT" may be quoted)
//   pick CONTROL N       click entry N (from 1) of a list box
//   window N             make open window N current; windows: list them
//   show                 print the current window; quit
//
// taken from `-c 'cmd; cmd'`, from standard input one per line, or at an
// interactive prompt when standard input is a terminal. Typed text is UTF-8
// and becomes code page 932 for matching; everything shown is UTF-8.
//
// After each press or pick the window's status line is printed, then the
// failures the handler reported (standard error). A script stops at a
// command that cannot be carried out; the exit status is 1 when any command
// could not be carried out or any failure was reported.
//
// On a terminal: a modal window is drawn on one line of standard error and a
// key or Ctrl-C presses its cancel button; yield points show the progress of
// a long step and take commands typed meanwhile (press and pick are refused
// while a BusyScope lives); message boxes wait for Enter at the prompt.
//
//   int main(int argc, char** argv) {
//     CommandLine cl = ParseCommandLine(argc, argv);
//     Console console;
//     WindowManager wm(console, "VolqBuild");
//     FormVolqBuild form(...);
//     return console.Run(wm, form, cl.script);
//   }
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/window.h"

namespace volq {

// The command line both programs share: --data-dir DIR (default
// "VOLQNQ4DPROJECT"), -c COMMANDS (repeatable), --help, and the program's own
// options that take a value (`--name VALUE` or `--name=VALUE`).
struct CommandLine {
  std::string data_dir = "VOLQNQ4DPROJECT";
  std::optional<std::string> script;
  std::map<std::string, std::string, std::less<>> options;
  bool help = false;
  std::string error;  // not empty: the command line is wrong (exit status 2)
};
CommandLine ParseCommandLine(int argc, const char* const* argv,
                             std::initializer_list<std::string_view> own_options = {});

// Commands of a -c text: separated by ';', blanks around them removed.
std::vector<std::string> SplitCommands(std::string_view script);

// What `show` prints for a window (UTF-8).
std::string RenderWindow(const Window& w);
// One terminal line for a modal window: its caption, progress bars and labels.
std::string RenderProgressLine(const Window& w);

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
  int exit_status() const { return failed_ ? 1 : 0; }

  // A line typed at the terminal in answer to `prompt` (both UTF-8); nullopt
  // without a terminal. A component's own dialog (the data service's
  // settings) asks through it.
  std::optional<std::string> Ask(const std::string& prompt);

  void Message(const Window& from, const std::string& text) override;
  void RunModal(WindowManager& wm, Window& w) override;
  void YieldPoint(const Window& from, std::string_view label, int64_t done, int64_t total) override;
  void Failures(const Window& from, const std::vector<std::string>& lines) override;

 private:
  bool Fail(const std::string& what);
  bool Click(std::string_view rest, bool pick);
  Window* Current();
  void AfterClick(Window& w, int last_id);
  void FlushFailures();
  void ClearLine();
  void Draw(const std::string& line);  // the one progress line of standard error
  std::optional<std::string> NextLine();
  void PressCancel(Window& w);

  std::ostream& out_;
  std::ostream& err_;
  std::istream* in_ = nullptr;
  std::unique_ptr<TerminalInput> terminal_;  // standard input, when it is read
  bool keys_ = false;                        // standard input is a terminal
  bool draw_ = false;                        // standard error is a terminal
  bool interactive_ = false;                 // commands come from the prompt
  WindowManager* wm_ = nullptr;
  int current_ = 0;
  int depth_ = 0;  // commands taken at yield points run nested
  bool failed_ = false;
  bool quit_ = false;
  bool drawn_ = false;
  std::string drawn_line_;
  std::chrono::steady_clock::time_point last_draw_{};
  std::vector<std::string> pending_;
};

}  // namespace volq
