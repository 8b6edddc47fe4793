#include "platform/ui/console.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "platform/base/failure.h"
#include "platform/base/stop_request.h"
#include "platform/text/cp932.h"
#include "platform/ui/interrupt.h"
#include "platform/ui/line_editor.h"
#include "platform/ui/terminal_input.h"

namespace volq {

// ---------------------------------------------------------------------------
// Command line and command text

CommandLine ParseCommandLine(int argc, const char* const* argv,
                             std::initializer_list<std::string_view> own_options) {
  CommandLine cl;
  auto own = [&](std::string_view name) {
    return std::find(own_options.begin(), own_options.end(), name) != own_options.end();
  };
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    std::string_view name = a;
    std::optional<std::string> value;
    if (size_t eq = a.find('='); a.starts_with("--") && eq != std::string_view::npos) {
      name = a.substr(0, eq);
      value = std::string(a.substr(eq + 1));
    }
    if (name == "--help" || name == "-h") {
      cl.help = true;
      continue;
    }
    if (name == "--version") {
      cl.version = true;
      continue;
    }
    bool takes_value = name == "--data-dir" || name == "-c" || own(name);
    if (!takes_value) {
      cl.error = "unknown option '" + std::string(a) + "'";
      return cl;
    }
    if (!value) {
      if (i + 1 >= argc) {
        cl.error = "option " + std::string(name) + " needs a value";
        return cl;
      }
      value = argv[++i];
    }
    if (name == "--data-dir") {
      cl.data_dir = *value;
    } else if (name == "-c") {
      cl.script = cl.script ? *cl.script + ";" + *value : *value;
    } else {
      cl.options[std::string(name)] = *value;
    }
  }
  return cl;
}

const char* const kCommandWords =
    "press CONTROL | type CONTROL TEXT | pick CONTROL N | window N | windows | show [CONTROL] | "
    "help | quit";

const char* const kHelp =
    "commands (CONTROL: a control's name or a caption, as show lists them):\n"
    "  press CONTROL      click a button, or choose an option\n"
    "  type CONTROL TEXT  set a text box's text (\"TEXT\" may be quoted)\n"
    "  pick CONTROL N     click entry N (from 1) of a list\n"
    "  window N           make open window N the current one\n"
    "  windows            list the open windows\n"
    "  show [CONTROL]     print the current window, or one control whole\n"
    "  help               print this list\n"
    "  quit               end the program (at the prompt also Ctrl-D)\n"
    "Each press or pick prints one outcome line: the status line when it changed,\n"
    "else \"CONTROL (CAPTION): done\"; a press that reported failures (on standard\n"
    "error after it) says \"ended with failures\" there. A control of another\n"
    "window is named with the window to go to first (window N).\n";

size_t Columns(std::string_view utf8) {
  size_t n = 0;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const size_t len = b < 0xc0 ? 1 : b < 0xe0 ? 2 : b < 0xf0 ? 3 : 4;
    char32_t cp = len == 1 ? b : b & (0x7f >> len);
    for (size_t k = 1; k < len && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3f);
    i += len;
    // Full-width forms, kana, kanji and their signs take two columns on a
    // terminal; half-width katakana (U+FF61-U+FF9F) one.
    const bool wide = (cp >= 0x1100 && cp <= 0x115f) || (cp >= 0x2e80 && cp <= 0xa4cf) ||
                      (cp >= 0xac00 && cp <= 0xd7a3) || (cp >= 0xf900 && cp <= 0xfaff) ||
                      (cp >= 0xfe30 && cp <= 0xfe4f) || (cp >= 0xff00 && cp <= 0xff60) ||
                      (cp >= 0xffe0 && cp <= 0xffe6);
    n += wide ? 2 : 1;
  }
  return n;
}

std::string FoldWords(std::string_view utf8, size_t width, size_t indent) {
  const size_t lead = std::min(utf8.find_first_not_of(' '), utf8.size());
  std::string out, line(utf8.substr(0, lead));
  bool words_in_line = false;
  for (size_t i = lead; i < utf8.size();) {
    size_t end = std::min(utf8.find(' ', i), utf8.size());
    std::string_view word = utf8.substr(i, end - i);
    i = end + 1;
    if (word.empty()) continue;
    if (words_in_line && Columns(line) + 1 + Columns(word) > width) {
      out += line + '\n';
      line.assign(indent, ' ');
      words_in_line = false;
    }
    if (words_in_line) line += ' ';
    line += word;
    words_in_line = true;
  }
  return out + line + '\n';
}

std::optional<int> CommandLineExit(const CommandLine& cl, std::string_view program,
                                   std::string_view usage, std::ostream& out, std::ostream& err) {
  if (!cl.error.empty()) {
    err << program << ": " << cl.error << " (see: " << program << " --help)\n";
    return 2;
  }
  if (cl.help) {
    out << usage;
    return 0;
  }
  if (cl.version) {
    out << program << ' ' << VOLQ_VERSION << '\n';
    return 0;
  }
  return std::nullopt;
}

std::optional<int> CommandLineExit(const CommandLine& cl, std::string_view program,
                                   std::string_view usage) {
  return CommandLineExit(cl, program, usage, std::cout, std::cerr);
}

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
    s.remove_suffix(1);
  }
  return s;
}

// The first word of s and the rest after it (trimmed).
std::pair<std::string_view, std::string_view> SplitWord(std::string_view s) {
  s = Trim(s);
  size_t end = s.find_first_of(" \t");
  if (end == std::string_view::npos) return {s, {}};
  return {s.substr(0, end), Trim(s.substr(end))};
}

std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

// Typed text in code page 932; text that does not convert is kept as typed
// and then matches nothing but plain names.
std::string Typed(std::string_view utf8) { return TryCp932(utf8).value_or(std::string(utf8)); }

std::optional<int> Number(std::string_view s) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  int n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

std::vector<std::string> SplitCommands(std::string_view script) {
  std::vector<std::string> out;
  std::string cmd;
  bool quoted = false;
  auto end_command = [&] {
    std::string_view c = Trim(cmd);
    if (!c.empty()) out.emplace_back(c);
    cmd.clear();
  };
  for (size_t i = 0; i < script.size(); ++i) {
    char c = script[i];
    if (c == '\\' && i + 1 < script.size() && script[i + 1] == ';') {
      cmd += ';';
      ++i;
    } else if (c == ';' && !quoted) {
      end_command();
    } else {
      if (c == '"') quoted = !quoted;
      cmd += c;
    }
  }
  end_command();
  return out;
}

// ---------------------------------------------------------------------------
// Rendering

namespace {

// The lines of one control under its name and kind: one line after them, or
// several below, indented.
std::string ControlLines(const Control& c, size_t name_w, size_t kind_w, const ShowFit& fit) {
  constexpr size_t kIndent = 6;
  ShowFit inner = fit;
  inner.width = fit.width > kIndent ? fit.width - kIndent : 0;
  const std::vector<std::string> lines = c.Describe(inner);
  std::string s;
  std::string head = "  " + c.name() + std::string(name_w - c.name().size() + 2, ' ') + c.kind();
  if (lines.size() == 1) {
    s += head + std::string(kind_w - std::string_view(c.kind()).size() + 2, ' ') + ToUtf8(lines[0]);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    s += '\n';
  } else {
    s += head + '\n';
    for (const std::string& l : lines) s += std::string(kIndent, ' ') + ToUtf8(l) + '\n';
  }
  return s;
}

}  // namespace

std::string RenderWindow(const Window& w, size_t width) {
  std::string s =
      "window " + std::to_string(w.id()) + ": " + ToUtf8(w.Caption) + " (" + w.name() + ")\n";
  size_t name_w = 0, kind_w = 0;
  for (const Control* c : w.controls()) {
    name_w = std::max(name_w, c->name().size());
    kind_w = std::max(kind_w, std::string_view(c->kind()).size());
  }
  for (const Control* c : w.controls()) s += ControlLines(*c, name_w, kind_w, {width, false});
  return s;
}

std::string RenderControl(const Control& c, size_t width) {
  return ControlLines(c, c.name().size(), std::string_view(c.kind()).size(), {width, true});
}

namespace {

const CommandButton* CancelButton(const Window& w) {
  const CommandButton* first = nullptr;
  for (const Control* c : w.controls()) {
    auto* b = dynamic_cast<const CommandButton*>(c);
    if (!b) continue;
    if (b->Cancel) return b;
    if (!first) first = b;
  }
  return first;
}

}  // namespace

std::string RenderProgressLine(const Window& w) {
  std::string s = ToUtf8(w.Caption);
  for (const Control* c : w.controls()) {
    if (auto* p = dynamic_cast<const ProgressBar*>(c)) s += " [" + p->Bar(30) + "]";
    if (auto* l = dynamic_cast<const Label*>(c)) s += " " + Printable(ToUtf8(l->Caption));
  }
  if (const CommandButton* b = CancelButton(w)) s += "  (any key: " + ToUtf8(b->Caption) + ")";
  return s;
}

namespace {

// Keys without Enter and without echo while a modal window runs.
class KeyMode {
 public:
  explicit KeyMode(bool on) {
    if (!on || tcgetattr(0, &saved_) != 0) return;
    termios t = saved_;
    t.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    active_ = tcsetattr(0, TCSANOW, &t) == 0;
  }
  ~KeyMode() {
    if (active_) tcsetattr(0, TCSANOW, &saved_);
  }
  KeyMode(const KeyMode&) = delete;
  KeyMode& operator=(const KeyMode&) = delete;

 private:
  termios saved_{};
  bool active_ = false;
};

}  // namespace

// ---------------------------------------------------------------------------
// The console

Console::Console() : out_(std::cout), err_(std::cerr) {
  terminal_ = std::make_unique<TerminalInput>(0);
  keys_ = isatty(0) == 1;
  draw_ = isatty(2) == 1;
  out_terminal_ = isatty(1) == 1;
}

Console::Console(std::ostream& out, std::ostream& err, std::istream* in)
    : out_(out), err_(err), in_(in) {}

Console::~Console() = default;

size_t Console::Width() const {
  if (out_terminal_) {
    winsize ws{};
    if (ioctl(1, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  }
  if (&out_ == &std::cout) {
    if (const char* columns = std::getenv("COLUMNS")) {
      if (std::optional<int> n = Number(columns); n && *n > 0) return static_cast<size_t>(*n);
    }
  }
  return kScriptWidth;
}

std::optional<std::string> Console::PromptLine(const std::string& prompt, bool remember) {
  if (std::optional<std::string> line = terminal_->BufferedLine()) {
    // Typed while a step ran, echoed then: shown again with the prompt it answers.
    out_ << prompt << *line << '\n' << std::flush;
    return line;
  }
  if (!editor_) editor_ = std::make_unique<LineEditor>();
  out_ << std::flush;
  std::optional<std::string> line = editor_->Read(prompt, terminal_->TakeRest(), remember);
  // SIGTERM, SIGHUP or SIGQUIT at the prompt end the program, after the
  // press that shows it, if any.
  if (const int signal = editor_->stop_signal(); signal != 0) {
    stop_signal_ = signal;
    quit_ = true;
  }
  return line;
}

bool Console::Fail(const std::string& what) {
  ClearLine();
  err_ << "error: " << what << '\n';
  failed_ = true;
  return false;
}

void Console::ClearLine() {
  if (drawn_) {
    err_ << "\r\033[K" << std::flush;
    drawn_ = false;
    drawn_line_.clear();
  }
}

void Console::Draw(const std::string& line) {
  if (drawn_ && line == drawn_line_) return;
  err_ << '\r' << line << "\033[K" << std::flush;
  drawn_ = true;
  drawn_line_ = line;
}

std::optional<std::string> Console::NextLine() {
  if (in_) {
    std::string line;
    if (!std::getline(*in_, line)) return std::nullopt;
    return line;
  }
  if (terminal_) return terminal_->ReadLine();
  return std::nullopt;
}

Window* Console::Current() {
  Window* w = wm_ ? wm_->Find(current_) : nullptr;
  if (!w) throw UiError("no window is open");
  return w;
}

int Console::Run(WindowManager& wm, Window& start, const std::optional<std::string>& script) {
  wm_ = &wm;
  try {
    wm.Open(start);
  } catch (const std::exception& e) {
    Fail(std::string("cannot show ") + start.name() + ": " + ErrorText(e));
    return exit_status();
  }
  current_ = start.id();
  FlushFailures();
  if (script) {
    const std::vector<std::string> commands = SplitCommands(*script);
    for (size_t i = 0; i < commands.size(); ++i) {
      if (!Execute(commands[i]) || quit_ || ended_) {
        ReportScriptEnd({commands.begin() + static_cast<ptrdiff_t>(i) + 1, commands.end()});
        break;
      }
    }
  } else if (in_ || !keys_) {
    while (std::optional<std::string> line = NextLine()) {
      if (!Execute(*line) || quit_ || ended_) {
        ReportScriptEnd(WaitingLines());
        break;
      }
    }
  } else {
    interactive_ = true;
    const size_t width = std::min(Width(), kListWidth);
    out_ << RenderWindow(start, Width())
         << FoldWords(std::string("commands: ") + kCommandWords, width, 10)
         << FoldWords(
                "(help explains them; Up and Down recall earlier commands; Ctrl-C clears "
                "the line; Ctrl-D or quit ends)",
                width, 1);
    while (!quit_) {
      Window* w = wm.Find(current_);
      std::string prompt = (w ? ToUtf8(w->Caption) : std::string()) + "> ";
      if (!kept_.empty()) {
        std::string line = std::move(kept_.front());
        kept_.pop_front();
        out_ << prompt << line << '\n';
        Execute(line);
        continue;
      }
      std::optional<std::string> line = PromptLine(prompt, true);
      if (!line) {
        out_ << '\n';
        break;
      }
      Execute(*line);
    }
    ReportScriptEnd({});
  }
  ClearLine();
  out_ << std::flush;
  return exit_status();
}

std::vector<std::string> Console::WaitingLines() {
  std::vector<std::string> lines;
  if (in_) {
    for (std::string line; std::getline(*in_, line);) lines.push_back(line);
  } else if (terminal_) {
    // Only what is there already: a writer that sends more later is not waited for.
    while (terminal_->LineReady()) {
      if (std::optional<std::string> line = terminal_->ReadLine()) lines.push_back(*line);
    }
  }
  return lines;
}

void Console::ReportScriptEnd(const std::vector<std::string>& rest) {
  if (!ended_) return;
  std::string not_run;
  for (const std::string& command : rest) {
    const std::string_view c = Trim(command);
    if (c.empty() || c.front() == '#') continue;
    not_run += (not_run.empty() ? "" : "; ") + std::string(c);
  }
  ClearLine();
  if (!not_run.empty()) {
    err_ << "failure: script stopped: " << Printable(ended_->what)
         << "; not run: " << Printable(not_run) << " (" << ended_->again << ")\n";
  } else if (ended_->said_nowhere) {
    err_ << "note: " << Printable(ended_->what) << '\n';
  }
  err_ << std::flush;
  ended_.reset();
}

bool Console::Execute(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == '#') return true;
  auto [word, rest] = SplitWord(line);
  try {
    if (word == "press") return Click(rest, false);
    if (word == "pick") return Click(rest, true);
    if (word == "type") {
      auto [control, text] = SplitWord(rest);
      if (control.empty()) return Fail("type needs a control and a text");
      NeedHere(*Current(), Typed(control));
      Current()->Type(Typed(control), Typed(Unquote(text)));
      return true;
    }
    if (word == "window") {
      std::optional<int> n = Number(rest);
      if (!n || !wm_->Find(*n))
        return Fail("no open window " + std::string(rest) + " (see: windows)");
      current_ = *n;
      return true;
    }
    if (word == "windows") {
      for (Window* w : wm_->windows()) {
        out_ << (w->id() == current_ ? "* " : "  ") << w->id() << "  " << ToUtf8(w->Caption) << " ("
             << w->name() << ")\n";
      }
      return true;
    }
    if (word == "show") return Show(rest);
    if (word == "help") {
      out_ << kHelp;
      // Which button comes first in the window at hand.
      Window* w = Current();
      std::string guide = ToUtf8(w->Guide());
      if (guide.empty()) guide = "show lists its controls; the README says which to press when.";
      out_ << FoldWords(
          "In window " + std::to_string(w->id()) + " (" + ToUtf8(w->Caption) + "): " + guide,
          std::min(Width(), kListWidth), 2);
      return true;
    }
    if (word == "quit") {
      quit_ = true;
      return true;
    }
    return Fail("unknown command '" + std::string(word) +
                "' (commands: press, type, pick, window, windows, show, help, quit)");
  } catch (const UiError& e) {
    return Fail(ToUtf8(e.what()));  // a caption in it is code page 932
  } catch (const std::exception& e) {
    return Fail(ErrorText(e));
  }
}

bool Console::Show(std::string_view control) {
  ClearLine();
  Window* w = Current();
  if (control.empty()) {
    out_ << RenderWindow(*w, Width());
  } else {
    NeedHere(*w, Typed(Unquote(control)));
    out_ << RenderControl(w->Need(Typed(Unquote(control))), Width());
  }
  return true;
}

void Console::NeedHere(const Window& w, std::string_view typed) const {
  if (w.Find(typed)) return;
  const std::string shown = ToUtf8(typed);
  for (const Window* o : wm_->windows()) {
    if (o == &w) continue;
    if (const Control* c = o->Find(typed)) {
      const std::string id = std::to_string(o->id());
      const std::string name = c->name() == typed ? shown : shown + " (" + c->name() + ")";
      throw UiError(TryCp932(name + " is " + (c->kind()[0] == 'o' ? "an " : "a ") + c->kind() +
                             " of window " + id + ": window " + id + " first")
                        .value_or(name + " is in window " + id));
    }
  }
  if (place_of_name_) {
    if (const std::string place = place_of_name_(w, typed); !place.empty()) {
      throw UiError(TryCp932(place).value_or(place));
    }
  }
  w.Need(typed);
}

namespace {

std::vector<std::string> Cells(const Grid& g) {
  std::vector<std::string> cells;
  cells.reserve(static_cast<size_t>(g.Rows()) * g.Cols() + 2);
  cells.push_back(std::to_string(g.Rows()));
  cells.push_back(std::to_string(g.Cols()));
  for (int r = 0; r < g.Rows(); ++r) {
    for (int c = 0; c < g.Cols(); ++c) cells.push_back(g.TextMatrix(r, c));
  }
  return cells;
}

}  // namespace

bool Console::Click(std::string_view rest, bool pick) {
  Window* w = Current();
  if (rest.empty())
    return Fail(pick ? "pick needs a list and an entry (its number or its text)"
                     : "press needs a control");
  if (wm_->busy()) return Fail("a step is running: wait for its end");
  int last_id = 0;
  for (Window* o : wm_->windows()) last_id = std::max(last_id, o->id());
  std::optional<std::string> status_before;
  if (TextBox* status = w->status_line()) status_before = status->Text;
  // A pick shows what it put in the window's grids (the viewer's records).
  std::vector<std::pair<const Grid*, std::vector<std::string>>> grids;
  if (pick) {
    for (const Control* c : w->controls()) {
      if (auto* g = dynamic_cast<const Grid*>(c)) grids.emplace_back(g, Cells(*g));
    }
  }
  step_end_.reset();
  bool ok = true;
  // What the outcome line names: the control by its name (also when a
  // caption was typed) with its caption, and for a pick the entry.
  std::string pressed;
  did_nothing_ = false;
  try {
    if (pick) {
      auto [control, entry] = SplitWord(rest);
      NeedHere(*w, Typed(control));
      const Control* c = w->Find(Typed(control));
      pressed = c->name() + " entry " + std::string(Unquote(entry));
      w->Pick(Typed(control), std::string_view(Typed(Unquote(entry))));
    } else {
      NeedHere(*w, Typed(Unquote(rest)));
      const Control* c = w->Find(Typed(Unquote(rest)));
      pressed = c->name();
      // A button whose caption was never set shows its name.
      if (const std::string* caption = c->caption();
          caption && !caption->empty() && *caption != c->name())
        pressed += " (" + ToUtf8(*caption) + ")";
      const auto* b = dynamic_cast<const CommandButton*>(c);
      did_nothing_ = b && b->Enabled && !b->OnClick;
      w->Press(Typed(Unquote(rest)));
    }
  } catch (const UiError& e) {
    ok = Fail(ToUtf8(e.what()));  // a caption in it is code page 932
  } catch (const std::exception& e) {
    ok = Fail(ErrorText(e));
  }
  AfterClick(*w, last_id, ok ? pressed : std::string(), status_before, grids);
  // A stop signal that came during the run (which stopped it, or ended the
  // download as its cancel) ends the program as the signal asks, after the
  // run's report; Ctrl-C at the prompt brings the prompt back instead.
  const int signal = TakeStopSignal();
  const std::string command = (pick ? "pick " : "press ") + std::string(Trim(rest));
  if (signal != 0 && !(interactive_ && signal == SIGINT)) {
    stop_signal_ = signal;
    quit_ = true;
    const std::string name = SignalName(signal);
    if (step_end_ == StepEnd::Completed) {
      // The signal came when nothing was left to stop (the outputs were
      // being synced): the step's end message stands, and this says why
      // the program ends all the same.
      ended_ = ScriptEnd{command + " completed, then " + name + " ended the program",
                         "run these again", true};
    } else if (step_end_ == StepEnd::StoppedBySignal) {
      ended_ = ScriptEnd{name + " stopped " + command, "run " + command + " and these again"};
    } else {
      // A download the signal cancelled, or a press that tells nothing of its end.
      ended_ = ScriptEnd{name + " ended the program after " + command,
                         "run " + command + " and these again"};
    }
  } else if (step_end_ == StepEnd::StoppedByFileSystem && !interactive_) {
    // The steps after it would read the outputs it kept as they were.
    ended_ = ScriptEnd{command + " stopped on a file-system failure",
                       "once the file system is mended, run " + command + " and these again"};
  }
  return ok;
}

void Console::AfterClick(
    Window& w, int last_id, const std::string& pressed,
    const std::optional<std::string>& status_before,
    const std::vector<std::pair<const Grid*, std::vector<std::string>>>& grids) {
  ClearLine();
  // One outcome line: the status line when the click changed it, else a line
  // that names the click, so that a second run of a step with the same end
  // text is not read as a step that did nothing, nor a success as silence.
  // A press that reported failures (listed on standard error next) is not
  // told as a plain success, whatever its status line says; what the window
  // told of the press follows.
  TextBox* status = w.status_line();
  std::string line;
  if (status && status->Text != status_before) {
    line = status->name() + ": " + Printable(ToUtf8(status->Text)) +
           (pending_.empty() ? "" : " (ended with failures)");
  } else if (!pressed.empty() && did_nothing_) {
    // A button the window gives no handler: nothing ran, and nothing is
    // left for the press to have done.
    line = Printable(pressed) + " does nothing: it has no step";
  } else if (!pressed.empty()) {
    line = Printable(pressed) + (pending_.empty() ? ": done" : ": ended with failures");
  }
  for (const std::string& note : notes_) {
    if (!line.empty()) line += "; " + Printable(ToUtf8(note));
  }
  notes_.clear();
  if (!line.empty()) out_ << line << '\n';
  for (const auto& [grid, before] : grids) {
    if (Cells(*grid) != before) out_ << RenderControl(*grid, Width());
  }
  out_ << std::flush;
  FlushFailures();
  // A window opened by the click takes the focus, as on screen.
  for (Window* o : wm_->windows()) {
    if (o->id() > last_id) {
      current_ = o->id();
      out_ << "window " << o->id() << ": " << ToUtf8(o->Caption) << " (" << o->name() << ")\n";
    }
  }
  if (!wm_->Find(current_)) {
    std::vector<Window*> open = wm_->windows();
    if (open.empty()) {
      quit_ = true;  // the last window has closed: the program ends
    } else {
      current_ = open.front()->id();
    }
  }
  if (depth_ == 0) wm_->Collect();
}

void Console::FlushFailures() {
  if (pending_.empty()) return;
  ClearLine();
  if (!first_report_line_.empty()) {
    err_ << "failure: " << Printable(first_report_line_) << '\n';
    first_report_line_.clear();
  }
  for (const std::string& f : pending_) err_ << "failure: " << Printable(ToUtf8(f)) << '\n';
  err_ << std::flush;
  pending_.clear();
  failed_ = true;
}

std::optional<std::string> Console::Ask(const std::string& prompt) {
  if (in_ || !keys_ || !terminal_) return std::nullopt;
  ClearLine();
  return PromptLine(prompt, false);
}

void Console::Message(const Window& from, const std::string& text) {
  ClearLine();
  std::string title = from.manager().app_title();
  out_ << '[' << (title.empty() ? from.name() : title) << "] " << Printable(ToUtf8(text)) << '\n';
  if (interactive_ && terminal_) {
    // Only an empty line is the OK: a command typed ahead is kept for after it.
    while (std::optional<std::string> line = PromptLine("  OK: press Enter> ", false)) {
      if (Trim(*line).empty()) break;
      kept_.push_back(*line);
      out_ << "  (kept to run after the OK: " << Trim(*line) << ")\n";
    }
  }
  out_ << std::flush;
}

void Console::Notes(const Window&, const std::vector<std::string>& lines) {
  ClearLine();
  for (const std::string& n : lines) err_ << "note: " << Printable(n) << '\n';
  err_ << std::flush;
}

void Console::Failures(const Window&, const std::vector<std::string>& lines) {
  pending_.insert(pending_.end(), lines.begin(), lines.end());
}

void Console::Outcome(const Window&, const std::string& note) { notes_.push_back(note); }

void Console::StepEnded(const Window&, StepEnd end) { step_end_ = end; }

void Console::PressCancel(Window& w) {
  const CommandButton* b = CancelButton(w);
  if (!b) {
    w.Close();
    return;
  }
  try {
    b->Click();
  } catch (const std::exception& e) {
    Fail(ErrorText(e));
  }
}

void Console::RunModal(WindowManager&, Window& w) {
  using Clock = std::chrono::steady_clock;
  bool keys = keys_ && !in_ && terminal_;
  KeyMode key_mode(keys);
  InterruptCatcher interrupt;
  Clock::time_point next = Clock::now();
  while (!w.closed()) {
    int interval = TimerInterval(w);
    if (interval == 0) {
      // Nothing ticks: only a key can end the window.
      if (!keys) {
        Fail("modal window " + w.name() + " waits for a key, and there is no terminal: closed");
        w.Close();
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } else {
      next += std::chrono::milliseconds(interval);
      Clock::time_point now = Clock::now();
      if (next < now) next = now;
      std::this_thread::sleep_until(next);
      try {
        TickTimers(w);
      } catch (const std::exception& e) {
        Fail(ErrorText(e));
        w.Close();
      }
    }
    if (w.closed()) break;
    if (draw_) Draw(RenderProgressLine(w));
    if (interrupt.Take() || (keys && terminal_->TakeKey())) PressCancel(w);
  }
  ClearLine();
}

void Console::YieldPoint(const Window&, std::string_view label, int64_t done, int64_t total) {
  if (draw_) {
    auto now = std::chrono::steady_clock::now();
    if (now - last_draw_ >= std::chrono::milliseconds(100)) {
      last_draw_ = now;
      std::string line = ToUtf8(label) + " " + std::to_string(done);
      if (total > 0) line += " / " + std::to_string(total);
      Draw(line);
    }
  }
  if (interactive_ && terminal_ && terminal_->LineReady()) {
    std::optional<std::string> line = terminal_->ReadLine();
    if (!line) return;
    ClearLine();
    ++depth_;
    Execute(*line);
    --depth_;
  }
}

}  // namespace volq
