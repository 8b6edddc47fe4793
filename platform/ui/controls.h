#pragma once
// Headless controls: the properties and events the windows use, and nothing
// that draws. A control is a member of its window, named as the window's
// table names it, and registers itself with the window under that name:
//
//   CommandButton Command1{this, "Command1"};
//
// Properties are plain members with the names the windows' code uses
// (Caption, Text, Value, Max, Interval, Enabled); events are std::function
// members (OnClick, OnTimer) that the window binds to its handlers. Every
// text is code page 932 bytes. Like their designer defaults, a button's and a
// label's caption and a text box's text start as the control's name.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace volq {

class Window;

// How `show` prints a control: every line within `width` terminal columns
// (a code page 932 byte is one column, a double-byte character two); a long
// list is cut short unless `whole` (the control shown on its own).
struct ShowFit {
  size_t width = 120;
  bool whole = true;
};

class Control {
 public:
  Control(Window* owner, std::string name);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  Window& window() const { return *owner_; }

  // What `show` prints: a kind word and content lines (code page 932), with
  // control bytes and NUL escaped (Printable): a control may hold record text,
  // and no record byte may break the line or drive the terminal.
  virtual const char* kind() const = 0;
  virtual std::vector<std::string> Describe(const ShowFit& fit) const = 0;
  // The caption a press may name the control by; nullptr when it has none.
  virtual const std::string* caption() const { return nullptr; }

 private:
  Window* owner_;
  std::string name_;
};

class CommandButton : public Control {
 public:
  CommandButton(Window* owner, std::string name);
  std::string Caption;
  bool Enabled = true;
  // The key that cancels a modal window (and Ctrl-C) presses this button.
  bool Cancel = false;
  std::function<void()> OnClick;

  void Click() const {
    if (OnClick) OnClick();
  }
  const char* kind() const override { return "button"; }
  std::vector<std::string> Describe(const ShowFit& fit) const override;
  const std::string* caption() const override { return &Caption; }
};

class TextBox : public Control {
 public:
  TextBox(Window* owner, std::string name);
  std::string Text;
  const char* kind() const override { return "text"; }
  std::vector<std::string> Describe(const ShowFit&) const override;
};

class Label : public Control {
 public:
  Label(Window* owner, std::string name);
  std::string Caption;
  const char* kind() const override { return "label"; }
  std::vector<std::string> Describe(const ShowFit&) const override;
};

// Option buttons of one group (the same `Group` text; the window's frame)
// exclude each other: choosing one clears the others.
class OptionButton : public Control {
 public:
  OptionButton(Window* owner, std::string name, std::string group = {});
  std::string Caption;
  bool Value = false;
  bool Enabled = true;
  std::string Group;
  std::function<void()> OnClick;

  // Chooses this option (clearing the others of its group), then clicks it.
  void Choose();
  const char* kind() const override { return "option"; }
  std::vector<std::string> Describe(const ShowFit& fit) const override;
  const std::string* caption() const override { return &Caption; }
};

class ListBox : public Control {
 public:
  using Control::Control;
  // Selected entry, 0-based; -1 when none.
  int ListIndex = -1;
  std::function<void()> OnClick;
  // The press that fills the list (code page 932, "Command2 (表示)"): a pick
  // on the empty list names it.
  std::string FilledBy;
  // Why the list is empty when that press was made and failed (code page
  // 932, "表示 failed (...); ..."): a pick on the empty list says it instead
  // of asking for the press again. The window that fills the list sets it.
  std::string EmptyBecause;

  void AddItem(std::string item) { items_.push_back(std::move(item)); }
  void Clear();
  int ListCount() const { return static_cast<int>(items_.size()); }
  // Entry i (0-based); outside the list raises an index Failure.
  const std::string& List(int i) const;
  // The selected entry; empty when none is selected.
  std::string Text() const;
  // Selects entry i (0-based) and clicks, as a click on the entry does.
  void ClickEntry(int i);

  const char* kind() const override { return "list"; }
  // Entries numbered from 1 (right-aligned), '>' at the selected one; unless `whole`, only
  // the first kShownEntries and the selected one, the rest counted.
  static constexpr int kShownEntries = 10;
  std::vector<std::string> Describe(const ShowFit& fit) const override;

 private:
  std::vector<std::string> items_;
};

// A grid of text cells, row 0 and column 0 usually the fixed headings.
class Grid : public Control {
 public:
  Grid(Window* owner, std::string name);
  int FixedRows = 1;
  int FixedCols = 1;
  // The current cell, which Text() reads and writes.
  int Row = 0;
  int Col = 0;

  int Rows() const { return rows_; }
  int Cols() const { return cols_; }
  // Resizing keeps the cells that remain inside the grid.
  void SetRows(int rows);
  void SetCols(int cols);
  // Cell (row, col), both 0-based; outside the grid raises an index Failure.
  std::string& TextMatrix(int row, int col);
  const std::string& TextMatrix(int row, int col) const;
  std::string& Text() { return TextMatrix(Row, Col); }
  // Column width in twips; a column of width 0 is hidden, as on screen.
  void SetColWidth(int col, int twips);
  int ColWidth(int col) const;
  void Clear();  // empties every cell

  const char* kind() const override { return "grid"; }
  // The visible columns as an aligned table, one line per row, in pages of
  // as many columns as fit the width beside the fixed columns (repeated on
  // every page); a cell wider than a page goes on over the next lines of its
  // column, so every cell is seen whole. Trailing blanks of a cell (fixed
  // width record fields) are not shown; trailing rows with no text beyond
  // the fixed columns are only counted in a last line, and a grid with no
  // such text at all is the one line "(no data)".
  std::vector<std::string> Describe(const ShowFit& fit) const override;

 private:
  void Resize(int rows, int cols);
  int rows_ = 0;
  int cols_ = 0;
  std::vector<std::string> cells_;
  std::vector<int> widths_;
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  int32_t Min = 0;
  int32_t Max = 100;
  int32_t Value = 0;
  const char* kind() const override { return "progress"; }
  std::vector<std::string> Describe(const ShowFit& fit) const override;
  // The bar as `width` characters of '#' and '-', the value taken inside Min..Max.
  std::string Bar(int width) const;
};

// Ticks only while its window is shown modally (the download progress);
// Interval in milliseconds, 0 ticks never.
class Timer : public Control {
 public:
  using Control::Control;
  int Interval = 0;
  bool Enabled = false;
  std::function<void()> OnTimer;

  // One tick: the event runs when the timer is enabled.
  void Tick() const {
    if (Enabled && OnTimer) OnTimer();
  }
  const char* kind() const override { return "timer"; }
  std::vector<std::string> Describe(const ShowFit& fit) const override;
};

// A component placed on a window that is no window control of ours (the
// data service's control): the window reaches it through ->, and `show`
// lists it with a description.
template <class T>
class HostedControl : public Control {
 public:
  HostedControl(Window* owner, std::string name, T& object, std::string description)
      : Control(owner, std::move(name)), object_(&object), description_(std::move(description)) {}
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  const char* kind() const override { return "control"; }
  std::vector<std::string> Describe(const ShowFit&) const override { return {description_}; }

 private:
  T* object_;
  std::string description_;
};

}  // namespace volq
