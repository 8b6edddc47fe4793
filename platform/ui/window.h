#pragma once
// Windows of both programs and what a window asks of the person in front of
// it. A window is a class with its controls as members and its handlers as
// member functions; it is shown through a WindowManager, which numbers the
// open windows from 1 and hands message boxes, modal display, yield points
// and failure reports to its Host: the console front end (console.h) or, in
// tests, a HeadlessHost (headless_host.h).
//
//   class FormHello : public Window {
//    public:
//     FormHello() : Window("FormHello", Cp932("挨拶")) {
//       Command1.Caption = Cp932("実行");
//       Command1.OnClick = [this] { Command1_Click(); };
//     }
//     CommandButton Command1{this, "Command1"};
//     TextBox Text1{this, "Text1"};  // the status line: printed when a press changes it
//     void Command1_Click() { Text1.Text = Cp932("終わり"); }
//   };
//
// Services a long step uses (the build program's step frame):
//   YieldPoint(label, done, total)  between records: the console shows the
//                                   progress on a terminal and takes commands
//                                   typed meanwhile; nothing in scripted runs.
//   BusyScope busy(*this);          while it lives, presses and picks that
//                                   arrive at yield points are refused.
//   ReportFailures(lines)           what the step skipped; printed on standard
//                                   error after the status line (FailureFold
//                                   folds repeats).
//   TellOutcome(note)               what the press did, for a press whose
//                                   window shows nothing of it: added to the
//                                   press's outcome line.
//   TellStepEnd(end)                how the press's step ended: the console
//                                   ends a script after a step stopped by
//                                   the file system or a signal.
//   ReportNotes(lines)              what a run found and the person should
//                                   know (a run cut short before), that is no
//                                   failure of this one: standard error, at once.
//   MsgBox(text)                    a message box with one OK button.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ui/controls.h"

namespace volq {

class WindowManager;

// How a step that a press ran ended.
enum class StepEnd {
  Completed,            // to its end, its outputs on disk
  StoppedByFileSystem,  // a full disk, a quota, an I/O error
  StoppedBySignal,      // a stop signal (Ctrl-C, SIGTERM, SIGHUP)
};

// A command of the console or a test that cannot be carried out: no such
// control, a control of another kind, a window that is not open.
class UiError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Window {
 public:
  // name: the window's name (a class name of the programs); caption in code page 932.
  Window(std::string name, std::string caption);
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const std::string& name() const { return name_; }
  std::string Caption;

  // Runs when the window is shown, before anything else reaches it.
  virtual void Form_Load() {}
  // What `help` adds for this window (code page 932): which button comes
  // first and the order of the rest, or where to find it; empty when the
  // window has no order to tell.
  virtual std::string Guide() const { return {}; }

  const std::vector<Control*>& controls() const { return controls_; }
  // A control by its name (exactly, then without regard to ASCII case), or a
  // button or option by its caption (code page 932); failing these, by name
  // or caption with full-width and half-width forms folded (WidthFolded);
  // nullptr when none.
  Control* Find(std::string_view name_or_caption) const;
  // The same; none raises UiError, which names the nearest controls (by a
  // small edit distance over names and captions, width forms folded) and
  // says how to list them all.
  Control& Need(std::string_view name_or_caption) const;

  // What the console's commands do; a control that is missing or of another
  // kind raises UiError. Press clicks a command button or chooses an option
  // button; Pick clicks entry n (from 1) of a list box.
  void Press(std::string_view control);
  void Type(std::string_view control, std::string_view text);
  void Pick(std::string_view control, int entry);
  // The same for entry `text` (code page 932): its number, else the entry
  // whose text it is, else the one entry that begins with it (a pedigree
  // number picks its EX file).
  void Pick(std::string_view control, std::string_view text);

  // The text box that receives the end message of a step: the one named
  // "Text1" unless set otherwise; nullptr when the window has none.
  TextBox* status_line() const;
  void set_status_line(TextBox* box) { status_line_ = box; }

  // Closes the window (the modal display it runs in ends).
  void Close();
  bool closed() const { return closed_; }
  // Number of the window among the open windows (0 before it is shown).
  int id() const { return id_; }
  // The manager that shows the window; UiError before it is shown.
  WindowManager& manager() const;

  // Services, through the manager.
  void MsgBox(std::string_view text);
  void ShowModal(Window& w);
  Window& ShowModeless(std::unique_ptr<Window> w);
  void YieldPoint(std::string_view label = {}, int64_t done = 0, int64_t total = 0);
  void ReportFailures(const std::vector<std::string>& lines);
  // A note (code page 932) for the outcome line of the press that runs: what
  // it did where neither the status line nor a message box says so (what a
  // download stored, how many lines a check read).
  void TellOutcome(const std::string& note);
  // How the step the press ran ended (a press that runs no step tells
  // nothing).
  void TellStepEnd(StepEnd end);
  void ReportNotes(const std::vector<std::string>& lines);

 private:
  friend class Control;
  friend class WindowManager;
  std::string name_;
  std::vector<Control*> controls_;
  TextBox* status_line_ = nullptr;
  WindowManager* manager_ = nullptr;
  int id_ = 0;
  bool closed_ = false;
};

// The person's side of the windows.
class Host {
 public:
  virtual ~Host() = default;
  // A message box (text in code page 932) with one OK button.
  virtual void Message(const Window& from, const std::string& text) = 0;
  // Runs the timers of a modal window until it closes.
  virtual void RunModal(WindowManager& wm, Window& w) = 0;
  // A long step's yield point; label in code page 932.
  virtual void YieldPoint(const Window& from, std::string_view label, int64_t done, int64_t total) {
    (void)from, (void)label, (void)done, (void)total;
  }
  virtual void Failures(const Window& from, const std::vector<std::string>& lines) = 0;
  // A note for the outcome line of the running press (code page 932).
  virtual void Outcome(const Window& from, const std::string& note) { (void)from, (void)note; }
  // How the running press's step ended.
  virtual void StepEnded(const Window& from, StepEnd end) { (void)from, (void)end; }
  // Lines (UTF-8) the person should know that are no failure.
  virtual void Notes(const Window& from, const std::vector<std::string>& lines) = 0;
};

class WindowManager {
 public:
  explicit WindowManager(Host& host, std::string app_title = {});
  ~WindowManager();
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;

  Host& host() const { return host_; }
  // The program's title: the title of its message boxes.
  const std::string& app_title() const { return app_title_; }

  // Shows a window the caller owns (the start window) modeless and loads it.
  void Open(Window& w);
  // Shows a new window modeless beside the others; the manager owns it.
  Window& ShowModeless(std::unique_ptr<Window> w);
  // Shows a window modally and returns when it has closed.
  void ShowModal(Window& w);

  // The open windows in the order of their numbers.
  std::vector<Window*> windows() const;
  Window* Find(int id) const;
  // Frees the closed windows the manager owns; the console calls it between
  // commands, never while a handler of such a window runs.
  void Collect();

  bool busy() const { return busy_ > 0; }

 private:
  friend class Window;
  friend class BusyScope;
  void Enter(Window& w);
  void Forget(Window& w);
  Host& host_;
  std::string app_title_;
  std::vector<Window*> open_;
  std::vector<std::unique_ptr<Window>> owned_;
  int next_id_ = 1;
  int busy_ = 0;
};

// The shortest interval in milliseconds among the running timers of a window
// (enabled, interval above 0); 0 when none runs, and the window then waits
// for its buttons only.
int TimerInterval(const Window& w);
// Ticks every running timer of the window once.
void TickTimers(Window& w);

// Marks a step as running for as long as it lives.
class BusyScope {
 public:
  explicit BusyScope(Window& w) : wm_(w.manager()) { ++wm_.busy_; }
  ~BusyScope() { --wm_.busy_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  WindowManager& wm_;
};

}  // namespace volq
