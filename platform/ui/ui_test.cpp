#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/failure.h"
#include "platform/base/stop_request.h"
#include "platform/text/cp932.h"
#include "platform/ui/console.h"
#include "platform/ui/headless_host.h"
#include "platform/ui/interrupt.h"
#include "platform/ui/terminal_input.h"
#include "platform/ui/window.h"

namespace volq {
namespace {

// A window with one control of every kind.
class FormSample : public Window {
 public:
  FormSample() : Window("FormSample", Cp932("見本")) {
    Command1.Caption = Cp932("RA(レース）");
    Command1.OnClick = [this] { Text1.Text = Cp932("RA 終わり") + "  12"; };
    Command2.Caption = Cp932("開く");
    Command2.OnClick = [this] { ShowModeless(std::make_unique<FormSample>()); };
    Command3.OnClick = [this] {
      ReportFailures({"cannot open A.dat", "cannot open B.dat"});
      Text1.Text = "done";
    };
    Command4.OnClick = [] { FailFile("cannot open HS20180101.dat"); };
    Command5.Enabled = false;
    Command6.OnClick = [this] {
      if (on_busy_click) {
        BusyScope busy(*this);
        on_busy_click();
      }
    };
    Option1.Caption = Cp932("芝");
    Option2.Caption = Cp932("ダート");
    Option1.Value = true;
    Option2.OnClick = [this] { ++option_clicks; };
    List1.AddItem("2019100001");
    List1.AddItem("2019100002");
    List1.OnClick = [this] {
      Text1.Text = List1.Text();
      Grid1.TextMatrix(1, 1) = List1.Text();
    };
    Grid1.SetCols(3);
    Grid1.TextMatrix(0, 0) = Cp932("馬名");
    Grid1.TextMatrix(0, 1) = "x";
    Grid1.TextMatrix(0, 2) = "hidden";
    Grid1.TextMatrix(1, 0) = "A";
    Grid1.TextMatrix(1, 1) = Cp932("ｱｲ");  // half-width: one column each
    Grid1.SetColWidth(2, 0);
    Timer1.Interval = 10;
  }
  CommandButton Command1{this, "Command1"};
  CommandButton Command2{this, "Command2"};
  CommandButton Command3{this, "Command3"};
  CommandButton Command4{this, "Command4"};
  CommandButton Command5{this, "Command5"};
  CommandButton Command6{this, "Command6"};
  TextBox Text1{this, "Text1"};
  Label Label1{this, "Label1"};
  OptionButton Option1{this, "Option1"};
  OptionButton Option2{this, "Option2"};
  ListBox List1{this, "List1"};
  Grid Grid1{this, "Grid1"};
  ProgressBar ProgressBar1{this, "ProgressBar1"};
  Timer Timer1{this, "Timer1"};
  std::function<void()> on_busy_click;
  int option_clicks = 0;
};

// A modal window whose timer closes it on its third tick.
class FormTicks : public Window {
 public:
  FormTicks() : Window("FormTicks", "ticks") {
    Command1.Cancel = true;
    Command1.OnClick = [this] {
      cancelled = true;
      Close();
    };
    Timer1.OnTimer = [this] {
      Label1.Caption = std::to_string(++ticks);
      if (ticks == 3) Close();
    };
  }
  void Form_Load() override {
    Timer1.Interval = 10;
    Timer1.Enabled = true;
  }
  CommandButton Command1{this, "Command1"};
  Label Label1{this, "Label1"};
  Timer Timer1{this, "Timer1"};
  int ticks = 0;
  bool cancelled = false;
};

TEST(Controls, DefaultsOptionsListsAndGrid) {
  FormSample f;
  EXPECT_EQ(f.Text1.Text, "Text1");
  EXPECT_EQ(f.Label1.Caption, "Label1");
  EXPECT_EQ(f.Command3.Caption, "Command3");
  f.Press("Option2");
  EXPECT_FALSE(f.Option1.Value);
  EXPECT_TRUE(f.Option2.Value);
  EXPECT_EQ(f.option_clicks, 1);
  f.Pick("List1", 2);
  EXPECT_EQ(f.List1.ListIndex, 1);
  EXPECT_EQ(f.Text1.Text, "2019100002");
  EXPECT_THROW(f.Pick("List1", 3), UiError);
  EXPECT_THROW(f.List1.List(2), Failure);
  EXPECT_THROW(f.Grid1.TextMatrix(2, 0), Failure);
  f.Grid1.SetRows(3);
  EXPECT_EQ(f.Grid1.TextMatrix(1, 0), "A");  // kept through the resize
  EXPECT_EQ(f.Grid1.TextMatrix(2, 0), "");
  EXPECT_THROW(f.Press("Text1"), UiError);
  EXPECT_THROW(f.Press("Command5"), UiError);  // disabled
  EXPECT_THROW(f.Press("Nothing"), UiError);
  EXPECT_EQ(f.Find(Cp932("芝")), &f.Option1);
  EXPECT_EQ(f.Find("command1"), &f.Command1);
}

TEST(Controls, GridLeavesOutTrailingRowsWithoutData) {
  FormSample f;
  f.Grid1.SetRows(7);
  for (int r = 1; r < 7; ++r) f.Grid1.TextMatrix(r, 0) = std::to_string(r);  // row numbers
  f.Grid1.TextMatrix(3, 1) = "c";
  f.Grid1.TextMatrix(5, 2) = "only in a hidden column";
  EXPECT_EQ(f.Grid1.Describe({}),
            (std::vector<std::string>{Cp932("馬名") + "  x", "1     " + Cp932("ｱｲ"), "2", "3     c",
                                      "(3 more rows without data)"}));
  f.Grid1.Clear();
  f.Grid1.TextMatrix(0, 1) = "heading only";
  EXPECT_EQ(f.Grid1.Describe({}), (std::vector<std::string>{"(no data)"}));
}

// A grid as wide as the category grid: every line stays within the width,
// and every cell is there whole (a cell wider than a page goes on below).
TEST(Controls, WideGridPrintsInPagesWithinTheWidth) {
  FormSample f;
  Grid& g = f.Grid1;
  g.SetRows(6);
  g.SetCols(61);
  g.SetColWidth(2, 1);  // shown again
  for (int c = 1; c < 61; ++c) g.TextMatrix(0, c) = Cp932("因子") + std::to_string(c);
  for (int r = 1; r < 5; ++r) {
    g.TextMatrix(r, 0) = std::to_string(r);
    for (int c = 1; c < 61; ++c)
      g.TextMatrix(r, c) = "r" + std::to_string(r) + "c" + std::to_string(c) + "   ";
  }
  const std::string wide = Cp932("馬") + std::string(150, 'X') + Cp932("名");
  g.TextMatrix(3, 7) = wide;
  for (size_t width : {80u, 120u, 160u}) {
    std::vector<std::string> lines = g.Describe({width});
    std::string all;
    for (const std::string& l : lines) {
      EXPECT_LE(l.size(), width) << l;
      all += l + '\n';
    }
    std::string spaced = all;  // every cell followed by a blank
    std::replace(spaced.begin(), spaced.end(), '\n', ' ');
    for (int r = 1; r < 5; ++r) {
      for (int c = 1; c < 61; ++c) {
        if (r == 3 && c == 7) continue;
        std::string cell = "r" + std::to_string(r) + "c" + std::to_string(c) + " ";
        EXPECT_NE(spaced.find(cell), std::string::npos) << width << ": " << cell;
      }
    }
    EXPECT_EQ(std::count(all.begin(), all.end(), 'X'), 150) << width;
    EXPECT_NE(all.find(Cp932("馬")), std::string::npos);
    EXPECT_NE(all.find(Cp932("名")), std::string::npos);
    EXPECT_NE(all.find("(columns 1-"), std::string::npos) << width;
    EXPECT_EQ(lines.back(), "(1 more rows without data)");
  }
}

TEST(WindowManager, ModelessWindowsAreNumberedAndCollected) {
  HeadlessHost host;
  WindowManager wm(host, "Test");
  FormSample f;
  wm.Open(f);
  f.Press("Command2");
  f.Press("Command2");
  std::vector<Window*> open = wm.windows();
  ASSERT_EQ(open.size(), 3u);
  EXPECT_EQ(open[0]->id(), 1);
  EXPECT_EQ(open[2]->id(), 3);
  wm.Find(2)->Close();
  wm.Collect();
  EXPECT_EQ(wm.windows().size(), 2u);
  EXPECT_EQ(wm.Find(2), nullptr);
  EXPECT_NE(wm.Find(3), nullptr);
}

TEST(WindowManager, HeadlessModalTicksUntilClosedOrGivesUp) {
  HeadlessHost host;
  WindowManager wm(host);
  FormSample owner;
  wm.Open(owner);

  FormTicks ticking;
  owner.ShowModal(ticking);
  EXPECT_EQ(ticking.ticks, 3);
  EXPECT_TRUE(host.failures.empty());

  FormTicks cancelled;
  host.on_round = [](Window& w, int round) {
    if (round == 2) w.Press("Command1");
  };
  owner.ShowModal(cancelled);
  EXPECT_EQ(cancelled.ticks, 1);
  EXPECT_TRUE(cancelled.cancelled);

  // A modal window that nothing can close is closed and reported, not waited on.
  host.on_round = [](Window& w, int) { static_cast<FormTicks&>(w).Timer1.Enabled = false; };
  FormTicks stuck;
  owner.ShowModal(stuck);
  EXPECT_TRUE(stuck.closed());
  EXPECT_EQ(host.failures.size(), 1u);
}

struct ConsoleRun {
  std::string out, err;
  int status;
};

ConsoleRun RunScript(const std::string& script, FormSample* form = nullptr) {
  std::ostringstream out, err;
  Console console(out, err);
  WindowManager wm(console, "Sample");
  FormSample own;
  FormSample& f = form ? *form : own;
  int status = console.Run(wm, f, script);
  return {out.str(), err.str(), status};
}

TEST(Console, ShowPrintsEveryControlAndAlignedGrid) {
  ConsoleRun r = RunScript("show");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "window 1: 見本 (FormSample)\n"
            "  Command1      button    RA(レース）\n"
            "  Command2      button    開く\n"
            "  Command3      button    Command3\n"
            "  Command4      button    Command4\n"
            "  Command5      button    Command5 (disabled)\n"
            "  Command6      button    Command6\n"
            "  Text1         text      Text1\n"
            "  Label1        label     Label1\n"
            "  Option1       option    (*) 芝\n"
            "  Option2       option    ( ) ダート\n"
            "  List1         list\n"
            "        1 2019100001\n"
            "        2 2019100002\n"
            "  Grid1         grid\n"
            "      馬名  x\n"
            "      A     ｱｲ\n"
            "  ProgressBar1  progress  [--------------------] 0 (0..100)\n"
            "  Timer1        timer     10 ms, disabled\n");
}

TEST(Console, CommandsAndTheirOutcomes) {
  const struct {
    const char* script;
    const char* out;  // expected to appear in standard output
    const char* err;  // expected in standard error ("" for none)
    int status;
  } cases[] = {
      {"press Command1", "Text1: RA 終わり  12\n", "", 0},
      {"press RA(レース）", "Text1: RA 終わり  12\n", "", 0},  // by caption, typed in UTF-8
      // Captions and names match with full-width and half-width forms folded.
      {"press RA(レース)", "Text1: RA 終わり  12\n", "", 0},
      {"press ＲＡ（レース）", "Text1: RA 終わり  12\n", "", 0},
      {"press Ｃｏｍｍａｎｄ１", "Text1: RA 終わり  12\n", "", 0},
      {"press ﾀﾞｰﾄ; show Option2", "  Option2  option  (*) ダート\n", "", 0},
      {"type Text1 \"a b\"; show", "  Text1         text      a b\n", "", 0},
      // A ';' in quotes or escaped belongs to the text.
      {"type Text1 \"a; b\"; show Text1", "  Text1  text  a; b\n", "", 0},
      {"type Text1 201801\\;x; show Text1", "  Text1  text  201801;x\n", "", 0},
      {"pick List1 1", "Text1: 2019100001\n  Grid1  grid\n      馬名  x\n      A     2019100001\n",
       "", 0},
      {"press ダート; show", "( ) 芝", "", 0},
      {"show Grid1", "  Grid1  grid\n      馬名  x\n      A     ｱｲ\n", "", 0},
      {"press Zap; show", "",
       "error: no control 'Zap' in window FormSample (show lists its controls)\n", 1},
      // A caption typed wrong is told back as it was typed, with the nearest
      // names and captions (width forms folded, ASCII case ignored).
      {"press 開かない", "", "error: no control '開かない' in window FormSample (show", 1},
      {"press 開く開", "",
       "error: no control '開く開' in window FormSample (nearest: Command2 (開く); show lists "
       "them all)\n",
       1},
      {"press RA(レース", "", "(nearest: Command1 (RA(レース）); show", 1},
      {"press ｏｐｔｉｏｎ", "", "(nearest: Option1 (芝), Option2 (ダート); show", 1},
      {"show Gird1", "", "(nearest: Grid1; show lists them all)", 1},
      {"show Nothing", "", "error: no control 'Nothing' in window FormSample (show", 1},
      // The wrong command word for a control names the right one.
      {"press Label1", "",
       "error: Label1 is a label, not a button (it is only shown: show Label1)\n", 1},
      {"pick Option1", "", "error: Option1 is an option, not a list (use: press Option1)\n", 1},
      {"press List1", "", "error: List1 is a list, not a button (use: pick List1 N)\n", 1},
      {"type Command1 x", "", "error: Command1 is a button, not a text box (use: press Command1)\n",
       1},
      {"jump 3", "",
       "error: unknown command 'jump' (commands: press, type, pick, window, windows, show, help, "
       "quit)\n",
       1},
      {"pick List1 0", "",
       "error: pick List1 needs an entry: its number from 1 to 2, or its text\n", 1},
      {"pick List1 3", "", "error: List1 has no entry 3 (it has 2)\n", 1},
      // An entry by its text, or by the start of it when one entry begins so.
      {"pick List1 2019100002", "Text1: 2019100002\n", "", 0},
      {"pick List1 \"2019100002\"", "Text1: 2019100002\n", "", 0},
      {"pick List1 2019100002; pick List1 2019100002", "List1 entry 2019100002: done\n", "", 0},
      {"pick List1 20191000", "",
       "error: List1 has 2 entries that begin with '20191000': give more of one (pick List1 N "
       "takes its number, from 1 to 2)\n",
       1},
      {"pick List1 x", "",
       "error: List1 has no entry 'x' (pick List1 N takes its number, from 1 to 2)\n", 1},
      {"window 4", "", "error: no open window 4", 1},
      // A failing handler is reported; the status line it left alone is not printed.
      {"press Command4", "", "error: cannot open HS20180101.dat\n", 1},
      // Reported failures follow the status line; the script goes on.
      {"press Command3; press Command1",
       "Text1: done (ended with failures)\nText1: RA 終わり  12\n",
       "failure: cannot open A.dat\nfailure: cannot open B.dat\n", 1},
      {"press Command2; windows; window 1; windows",
       "window 2: 見本 (FormSample)\n  1  見本 (FormSample)\n* 2  見本 (FormSample)\n"
       "* 1  見本 (FormSample)\n  2  見本 (FormSample)\n",
       "", 0},
      {"quit; press Command9", "", "", 0},
  };
  for (const auto& c : cases) {
    ConsoleRun r = RunScript(c.script);
    EXPECT_NE(r.out.find(c.out), std::string::npos) << c.script << "\n" << r.out;
    if (*c.err) {
      EXPECT_NE(r.err.find(c.err), std::string::npos) << c.script << "\n" << r.err;
    } else {
      EXPECT_EQ(r.err, "") << c.script;
    }
    EXPECT_EQ(r.status, c.status) << c.script;
  }
  // A script stops at the first command that cannot be carried out.
  ConsoleRun stopped = RunScript("press Nothing; press Command1");
  EXPECT_EQ(stopped.out.find("RA"), std::string::npos);
}

// A writer that fails when its destructor closes it reports late: the run it
// happens in exits 1, a later run in the same process (a test that runs a
// program twice) counts its own.
TEST(Console, ALateFailureCountsInTheRunItHappensIn) {
  std::ostringstream out, err;
  Console during(out, err);
  ::testing::internal::CaptureStderr();
  ReportLateFailure("cannot write KS20180101NEW.dat: No space left on device");
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(during.exit_status(), 1);
  Console after(out, err);
  EXPECT_EQ(after.exit_status(), 0);
}

// One outcome line per press or pick, first: the status line when the click
// changed it, else a line that names the click (by control name, also when
// the caption was typed), so that neither a second run of a step nor a
// success that leaves the status as it was is silent or reads as a new end.
TEST(Console, EveryPressAndPickPrintsOneOutcomeLine) {
  ConsoleRun three = RunScript("press Command1; press Command1; press Option2");
  EXPECT_EQ(three.out,
            "Text1: RA 終わり  12\n"
            "Command1 (RA(レース）): done\n"
            "Option2 (ダート): done\n");
  EXPECT_EQ(three.status, 0);

  ConsoleRun r = RunScript(
      "press 開く; window 1; press Command3; pick List1 1; pick ｌｉｓｔ１ 1; type Text1 x; "
      "press Nothing");
  EXPECT_EQ(r.out,
            "Command2 (開く): done\n"
            "window 2: 見本 (FormSample)\n"
            "Text1: done (ended with failures)\n"
            "Text1: 2019100001\n"
            "  Grid1  grid\n"
            "      馬名  x\n"
            "      A     2019100001\n"
            "List1 entry 1: done\n");  // type prints nothing; an error no outcome
  EXPECT_EQ(r.status, 1);              // Command3 reports failures, Nothing is no control
}

// A window beside FormSample with controls of its own.
class FormOther : public Window {
 public:
  FormOther() : Window("FormOther", Cp932("他")) {
    Command7.Caption = Cp932("別");
    Command7.OnClick = [] {};
    Command8.Caption = Cp932("空");  // Command8 and Command9 have no handler
  }
  CommandButton Command7{this, "Command7"};
  CommandButton Command8{this, "Command8"};
  CommandButton Command9{this, "Command9"};
  TextBox Text1{this, "Text1"};
};

// A name that the current window lacks is looked for in the other open
// windows, then asked of the program, then the nearest names are offered; a
// button without a handler says it does nothing; outcome lines name the
// control with its caption.
TEST(Console, APressFindsItsWindow) {
  const struct {
    const char* script;  // run in window 2 (FormOther), window 1 a FormSample
    const char* out;     // the lines after the window's line
    const char* err;
  } cases[] = {
      {"press Command1", "", "error: Command1 is a button of window 1: window 1 first\n"},
      {"press ｒａ(レース)", "",
       "error: ｒａ(レース) (Command1) is a button of window 1: window 1 first\n"},
      {"pick List1 1", "", "error: List1 is a list of window 1: window 1 first\n"},
      {"type Label1 x", "", "error: Label1 is a label of window 1: window 1 first\n"},
      // Not open anywhere: the program's answer.
      {"press Far", "", "error: Far is in the far window: press Command2 first\n"},
      // Known nowhere: the nearest names of window 2.
      {"press 別別", "", "error: no control '別別' in window FormOther (nearest: Command7 (別);"},
      {"press 別", "Command7 (別): done\n", ""},
      {"press 空", "Command8 (空) does nothing: it has no step\n", ""},
      {"press Command9", "Command9 does nothing: it has no step\n", ""},
      {"window 1; press Command7", "", "error: Command7 is a button of window 2: window 2 first\n"},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    Console console(out, err);
    std::vector<std::string> asked;
    console.SetPlaceOfName([&asked](const Window& current, std::string_view typed) {
      asked.push_back(current.name() + " " + std::string(typed));
      return typed == "Far" ? std::string("Far is in the far window: press Command2 first")
                            : std::string();
    });
    WindowManager wm(console, "Sample");
    FormSample f;
    f.Command2.OnClick = [&f] { f.ShowModeless(std::make_unique<FormOther>()); };
    const int status = console.Run(wm, f, std::string("press Command2; ") + c.script);
    EXPECT_EQ(out.str(), std::string("Command2 (開く): done\nwindow 2: 他 (FormOther)\n") + c.out)
        << c.script;
    EXPECT_EQ(err.str().substr(0, std::string_view(c.err).size()), c.err) << c.script;
    EXPECT_EQ(status, *c.err ? 1 : 0) << c.script;
    // The program is asked only of names that no open window has.
    if (std::string_view(c.script) == "press Far") {
      EXPECT_EQ(asked, std::vector<std::string>{"FormOther Far"});
    }
    if (std::string_view(c.script) == "press Command1") {
      EXPECT_TRUE(asked.empty());
    }
  }
}

// A press that reported failures says so in its outcome line, whatever its
// status line did; what the window told of the press follows there.
TEST(Console, TheOutcomeLineSaysFailuresAndWhatThePressDid) {
  FormSample f;
  f.Command1.OnClick = [&f] {
    f.Text1.Text = Cp932("終了");
    f.TellOutcome("stored RA 3");
  };
  f.Command2.OnClick = [&f] { f.TellOutcome(Cp932("12 lines checked")); };
  f.Command6.OnClick = [&f] {
    f.TellOutcome("1 line checked");
    f.ReportFailures({"line 1 is no record"});
  };
  ConsoleRun r = RunScript("press Command3; press Command1; press Command2; press Command6", &f);
  EXPECT_EQ(r.out,
            "Text1: done (ended with failures)\n"
            "Text1: 終了; stored RA 3\n"
            "Command2 (開く): done; 12 lines checked\n"
            "Command6: ended with failures; 1 line checked\n");
  EXPECT_EQ(r.status, 1);
}

// A pick on an empty list names the press that fills it.
TEST(Console, APickOnAnEmptyListNamesThePressThatFillsIt) {
  FormSample f;
  f.List1.Clear();
  EXPECT_EQ(RunScript("pick List1 1", &f).err, "error: List1 is empty\n");
  f.List1.FilledBy = Cp932("Command1 (表示)");
  ConsoleRun r = RunScript("pick List1 1", &f);
  EXPECT_EQ(r.err, "error: List1 is empty: press Command1 (表示) first\n");
  EXPECT_EQ(r.status, 1);
}

// Record text reaches the terminal with its control bytes and NUL escaped,
// and whole: the list entry, the status line it is copied to, the grid cell,
// a label and a message box.
TEST(Console, RecordTextIsShownEscapedAndWhole) {
  FormSample f;
  const std::string host = std::string("H\0", 2) + "\x1b[2J\x1b]0;t\x07\nE";
  const std::string shown = "H\\x00\\x1b[2J\\x1b]0;t\\x07\\nE";
  f.List1.AddItem(host);
  f.Label1.Caption = host;
  f.Command1.OnClick = [&f, &host] { f.MsgBox(host); };
  ConsoleRun r = RunScript("pick List1 3; show List1; show Label1; press Command1", &f);
  EXPECT_EQ(r.out, "Text1: " + shown + "\n" +
                       "  Grid1  grid\n"
                       "      馬名  x\n"
                       "      A     " +
                       shown + "\n" +
                       "  List1  list\n"
                       "        1 2019100001\n"
                       "        2 2019100002\n"
                       "      > 3 " +
                       shown + "\n" + "  Label1  label  " + shown + "\n" + "[Sample] " + shown +
                       "\n" + "Command1 (RA(レース）): done\n");
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
}

// A window with a guide to the order of its buttons.
class FormGuided : public FormSample {
 public:
  std::string Guide() const override {
    return Cp932(
        "press Command1 (RA(レース）) first, then every other button in the order "
        "show lists them, each needing what the earlier ones wrote.");
  }
};

TEST(Console, HelpAndTheListsFoldWithinEightyColumns) {
  ConsoleRun r = RunScript("help");
  EXPECT_EQ(r.out, std::string(kHelp) +
                       "In window 1 (見本): show lists its controls; the README says which to "
                       "press\n  when.\n");
  FormGuided guided;
  EXPECT_EQ(RunScript("help", &guided).out,
            std::string(kHelp) +
                "In window 1 (見本): press Command1 (RA(レース）) first, then every other button\n"
                "  in the order show lists them, each needing what the earlier ones wrote.\n");
  for (const char* word : {"press", "type", "pick", "window", "windows", "show", "help", "quit"})
    EXPECT_NE(r.out.find(std::string("\n  ") + word + " "), std::string::npos) << word;

  EXPECT_EQ(Columns("abc"), 3u);
  EXPECT_EQ(Columns("芝ダート"), 8u);  // double width
  EXPECT_EQ(Columns("ｱｲ"), 2u);        // half-width katakana
  EXPECT_EQ(Columns("（ＲＡ）"), 8u);  // full-width forms
  const struct {
    const char* text;
    size_t width, indent;
    const char* folded;
  } cases[] = {
      {"a bb ccc", 80, 0, "a bb ccc\n"},
      {"a bb ccc", 4, 2, "a bb\n  ccc\n"},
      {"  a bb ccc", 6, 2, "  a bb\n  ccc\n"},               // leading blanks kept
      {"芝 ダート 障害", 8, 0, "芝\nダート\n障害\n"},        // two columns a character
      {"longerthanwidth x", 4, 1, "longerthanwidth\n x\n"},  // a long word stays whole
  };
  for (const auto& c : cases) EXPECT_EQ(FoldWords(c.text, c.width, c.indent), c.folded) << c.text;
  std::string all = FoldWords(std::string("commands: ") + kCommandWords, kListWidth, 10) + kHelp;
  for (size_t at = 0; at < all.size();) {
    size_t nl = all.find('\n', at);
    EXPECT_LE(Columns(all.substr(at, nl - at)), kListWidth) << all.substr(at, nl - at);
    at = nl + 1;
  }
}

TEST(Console, ShowCutsLongListsThatShowControlPrintsWhole) {
  FormSample f;
  for (int i = 3; i <= 25; ++i) f.List1.AddItem(std::to_string(2019100000 + i));
  f.List1.ListIndex = 19;
  ConsoleRun window = RunScript("show", &f);
  EXPECT_NE(
      window.out.find(
          "        10 2019100010\n      > 20 2019100020\n      (14 more entries: show List1)\n"),
      std::string::npos)
      << window.out;
  EXPECT_EQ(window.out.find("2019100011"), std::string::npos);
  // Numbers right-aligned: the entries' texts begin in one column.
  EXPECT_NE(window.out.find("\n         9 2019100009\n"), std::string::npos) << window.out;
  ConsoleRun whole = RunScript("show List1", &f);
  EXPECT_NE(whole.out.find("        25 2019100025\n"), std::string::npos) << whole.out;
  EXPECT_EQ(whole.out.find("more entries"), std::string::npos);
}

TEST(Console, StandardInputAndBusySteps) {
  std::istringstream in("press Command1\n\n# a comment\nshow\n");
  std::ostringstream out, err;
  Console console(out, err, &in);
  WindowManager wm(console);
  FormSample f;
  // A press that arrives while a step runs (at a yield point) is refused.
  bool refused_ok = true;
  f.on_busy_click = [&] { refused_ok = console.Execute("press Command1"); };
  f.Command2.OnClick = [&] { f.Press("Command6"); };
  EXPECT_EQ(console.Run(wm, f, std::nullopt), 0);
  EXPECT_NE(out.str().find("Text1: RA"), std::string::npos);
  EXPECT_NE(out.str().find("window 1:"), std::string::npos);
  EXPECT_TRUE(console.Execute("press Command2"));
  EXPECT_FALSE(refused_ok);
  EXPECT_NE(err.str().find("a step is running"), std::string::npos);
}

// A press whose step stopped on the file system (a full disk: what it had
// not written kept its former content) or on a signal ends the script there,
// from -c or from standard input, and a line names the commands not run;
// so does a signal that came after the step's last file (it completed).
// Command1 stands for the step: it tells how it ended and notes a signal as
// the handlers would; Command3 counts the presses that ran after it.
TEST(Console, AStepStoppedByTheFileSystemOrASignalEndsTheScript) {
  const struct {
    const char* name;
    std::optional<StepEnd> end;
    int signal;
    const char* rest;  // after "press Command1; "
    const char* err;   // the last line of standard error ("" for none)
    int status;
  } cases[] = {
      {"full disk", StepEnd::StoppedByFileSystem, 0, "press Command3; type Text1 x; press Command3",
       "failure: script stopped: press Command1 stopped on a file-system failure; not run: press "
       "Command3; type Text1 x; press Command3 (once the file system is mended, run press "
       "Command1 and these again)\n",
       1},
      {"full disk, last press", StepEnd::StoppedByFileSystem, 0, "# nothing after it",
       "failure: step stopped: not written, kept as they were: KS20180101NEW.dat\n", 1},
      {"stopped by SIGTERM", StepEnd::StoppedBySignal, SIGTERM, "press Command3",
       "failure: script stopped: SIGTERM stopped press Command1; not run: press Command3 (run "
       "press Command1 and these again)\n",
       143},
      {"completed, then SIGHUP", StepEnd::Completed, SIGHUP, "press Command3",
       "failure: script stopped: press Command1 completed, then SIGHUP ended the program; not "
       "run: press Command3 (run these again)\n",
       129},
      {"completed, then SIGINT, last press", StepEnd::Completed, SIGINT, "",
       "note: press Command1 completed, then SIGINT ended the program\n", 130},
      {"no step, SIGTERM", std::nullopt, SIGTERM, "press Command3",
       "failure: script stopped: SIGTERM ended the program after press Command1; not run: press "
       "Command3 (run press Command1 and these again)\n",
       143},
      // A step stopped for a missing input changed nothing: the script goes on.
      {"no step end", std::nullopt, 0, "press Command3",
       "failure: step stopped: not written, kept as they were: KS20180101NEW.dat\n", 1},
  };
  for (const auto& c : cases) {
    for (const bool from_input : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (from_input ? ", standard input" : ", -c"));
      FormSample f;
      int later = 0;
      f.Command1.OnClick = [&f, &c] {
        f.ReportFailures({"step stopped: not written, kept as they were: KS20180101NEW.dat"});
        if (c.signal != 0) {
          StopRequestsOn();
          NoteStopSignal(c.signal);
          StopRequestsOff();
        }
        if (c.end) f.TellStepEnd(*c.end);
      };
      f.Command3.OnClick = [&later] { ++later; };
      const std::string script = std::string("press Command1; ") + c.rest;
      std::string lines = script;
      std::replace(lines.begin(), lines.end(), ';', '\n');
      std::istringstream in(lines);
      std::ostringstream out, err;
      Console console(out, err, from_input ? &in : nullptr);
      WindowManager wm(console);
      const int status = from_input ? console.Run(wm, f, std::nullopt) : console.Run(wm, f, script);
      EXPECT_EQ(status, c.status);
      const std::string e = err.str();
      EXPECT_TRUE(e.ends_with(c.err)) << e;
      const bool goes_on = c.signal == 0 && c.end != StepEnd::StoppedByFileSystem;
      EXPECT_EQ(later, goes_on && *c.rest ? 1 : 0);
    }
  }
}

// A signal the program was started with ignored (SIGHUP under nohup, SIGINT
// in a background job of a script) stays ignored while a run catches the
// stop signals and while a modal window catches Ctrl-C; the others are
// caught and noted.
TEST(StopSignals, ASignalIgnoredAtTheStartStaysIgnored) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  struct sigaction hup {};
  struct sigaction intr {};
  sigaction(SIGHUP, &ignore, &hup);
  sigaction(SIGINT, &ignore, &intr);
  const auto ignored = [](int signal) {
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    return now.sa_handler == SIG_IGN;
  };
  {
    const StopSignals stops;
    const InterruptCatcher interrupt;
    EXPECT_TRUE(ignored(SIGHUP));
    EXPECT_TRUE(ignored(SIGINT));
    EXPECT_FALSE(ignored(SIGTERM));
    raise(SIGHUP);
    raise(SIGINT);
    EXPECT_EQ(PendingStopSignal(), 0);
    raise(SIGTERM);
    EXPECT_EQ(TakeStopSignal(), SIGTERM);
  }
  EXPECT_TRUE(ignored(SIGHUP));
  EXPECT_TRUE(ignored(SIGINT));
  sigaction(SIGHUP, &hup, nullptr);
  sigaction(SIGINT, &intr, nullptr);
}

TEST(Console, ModalWindowRunsItsTimerToTheEnd) {
  std::ostringstream out, err;
  Console console(out, err);
  WindowManager wm(console);
  FormSample owner;
  FormTicks modal;
  owner.Command1.OnClick = [&] { owner.ShowModal(modal); };
  EXPECT_EQ(console.Run(wm, owner, "press Command1"), 0);
  EXPECT_EQ(modal.ticks, 3);
  EXPECT_EQ(err.str(), "");  // no progress drawing without a terminal
}

TEST(CommandLine, Options) {
  const char* argv[] = {"p", "--data-dir", "D", "-c", "press Command1", "--source=S", "-c", "show"};
  CommandLine cl = ParseCommandLine(8, argv, {"--source"});
  EXPECT_EQ(cl.error, "");
  EXPECT_EQ(cl.data_dir, "D");
  EXPECT_EQ(cl.script, "press Command1;show");
  EXPECT_EQ(cl.options.at("--source"), "S");
  const char* bad[] = {"p", "--frob"};
  EXPECT_NE(ParseCommandLine(2, bad).error, "");
  const char* missing[] = {"p", "-c"};
  EXPECT_NE(ParseCommandLine(2, missing).error, "");
  const char* dflt[] = {"p", "--help"};
  CommandLine h = ParseCommandLine(2, dflt);
  EXPECT_TRUE(h.help);
  EXPECT_EQ(h.data_dir, "VOLQNQ4DPROJECT");
  EXPECT_FALSE(h.script.has_value());
  EXPECT_EQ(SplitCommands(" press A ;; show;"), (std::vector<std::string>{"press A", "show"}));
  EXPECT_EQ(SplitCommands("type Text1 \"a;b\"; type Text2 c\\;d;show"),
            (std::vector<std::string>{"type Text1 \"a;b\"", "type Text2 c;d", "show"}));
  EXPECT_EQ(SplitCommands("type Text1 \"open"), (std::vector<std::string>{"type Text1 \"open"}));
}

TEST(CommandLine, HelpVersionAndUsageErrors) {
  const struct {
    std::vector<const char*> argv;
    std::optional<int> status;
    const char* out;
    const char* err;
  } cases[] = {
      {{"prog", "--help"}, 0, "usage: prog\n", ""},
      {{"prog", "--version"}, 0, "prog 0.", ""},
      {{"prog", "--frob"}, 2, "", "prog: unknown option '--frob' (see: prog --help)\n"},
      {{"prog", "-c"}, 2, "", "prog: option -c needs a value (see: prog --help)\n"},
      {{"prog", "-c", "show"}, std::nullopt, "", ""},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    CommandLine cl = ParseCommandLine(static_cast<int>(c.argv.size()), c.argv.data());
    EXPECT_EQ(CommandLineExit(cl, "prog", "usage: prog\n", out, err), c.status) << c.argv[1];
    EXPECT_TRUE(out.str().starts_with(c.out)) << out.str();
    EXPECT_EQ(err.str(), c.err);
  }
}

}  // namespace
}  // namespace volq

namespace volq {
namespace {

TEST(TerminalInputTest, AKeyPressIsTakenWholeAndTheNextLineStaysIntact) {
  struct Case {
    const char* what;
    std::string typed;
  };
  const Case cases[] = {{"letter", "x"},
                        {"arrow", "\x1b[A"},
                        {"function key", "\x1b[15~"},
                        {"application cursor key", "\x1bOB"},
                        {"double-byte character", "\xe3\x81\x82"}};
  for (const Case& c : cases) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    TerminalInput in(fds[0]);
    const std::string bytes = c.typed + "show\n";
    ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    EXPECT_TRUE(in.TakeKey()) << c.what;
    EXPECT_EQ(in.ReadLine().value_or("<none>"), "show") << c.what;
    EXPECT_FALSE(in.TakeKey()) << c.what;
    close(fds[0]);
    close(fds[1]);
  }
}

}  // namespace
}  // namespace volq
