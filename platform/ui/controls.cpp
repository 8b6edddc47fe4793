#include "platform/ui/controls.h"

#include <algorithm>

#include "platform/fs/failure.h"
#include "platform/ui/window.h"

namespace volq {

Control::Control(Window* owner, std::string name) : owner_(owner), name_(std::move(name)) {
  owner_->controls_.push_back(this);
}

CommandButton::CommandButton(Window* owner, std::string name)
    : Control(owner, std::move(name)), Caption(this->name()) {}

std::vector<std::string> CommandButton::Describe() const {
  return {Enabled ? Caption : Caption + " (disabled)"};
}

TextBox::TextBox(Window* owner, std::string name)
    : Control(owner, std::move(name)), Text(this->name()) {}

Label::Label(Window* owner, std::string name)
    : Control(owner, std::move(name)), Caption(this->name()) {}

OptionButton::OptionButton(Window* owner, std::string name, std::string group)
    : Control(owner, std::move(name)), Caption(this->name()), Group(std::move(group)) {}

void OptionButton::Choose() {
  for (Control* c : window().controls()) {
    auto* o = dynamic_cast<OptionButton*>(c);
    if (o && o != this && o->Group == Group) o->Value = false;
  }
  Value = true;
  if (OnClick) OnClick();
}

std::vector<std::string> OptionButton::Describe() const {
  return {(Value ? "(*) " : "( ) ") + Caption};
}

void ListBox::Clear() {
  items_.clear();
  ListIndex = -1;
}

const std::string& ListBox::List(int i) const {
  if (i < 0 || i >= ListCount()) FailIndex("entry " + std::to_string(i) + " of list " + name());
  return items_[static_cast<size_t>(i)];
}

std::string ListBox::Text() const {
  return ListIndex >= 0 && ListIndex < ListCount() ? items_[static_cast<size_t>(ListIndex)]
                                                   : std::string();
}

void ListBox::ClickEntry(int i) {
  List(i);  // refuses an entry outside the list
  ListIndex = i;
  if (OnClick) OnClick();
}

std::vector<std::string> ListBox::Describe() const {
  std::vector<std::string> lines;
  for (int i = 0; i < ListCount(); ++i) {
    lines.push_back((i == ListIndex ? "> " : "  ") + std::to_string(i + 1) + " " +
                    items_[static_cast<size_t>(i)]);
  }
  if (lines.empty()) lines.push_back("(empty)");
  return lines;
}

Grid::Grid(Window* owner, std::string name) : Control(owner, std::move(name)) { Resize(2, 2); }

void Grid::Resize(int rows, int cols) {
  if (rows < 0 || cols < 0) FailIndex("grid " + name() + " cannot have a negative size");
  std::vector<std::string> cells(static_cast<size_t>(rows) * cols);
  for (int r = 0; r < std::min(rows, rows_); ++r) {
    for (int c = 0; c < std::min(cols, cols_); ++c) {
      cells[static_cast<size_t>(r) * cols + c] =
          std::move(cells_[static_cast<size_t>(r) * cols_ + c]);
    }
  }
  cells_ = std::move(cells);
  widths_.resize(static_cast<size_t>(cols), -1);  // -1: the default width
  rows_ = rows;
  cols_ = cols;
}

void Grid::SetRows(int rows) { Resize(rows, cols_); }
void Grid::SetCols(int cols) { Resize(rows_, cols); }

std::string& Grid::TextMatrix(int row, int col) {
  return const_cast<std::string&>(static_cast<const Grid&>(*this).TextMatrix(row, col));
}

const std::string& Grid::TextMatrix(int row, int col) const {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) {
    FailIndex("cell (" + std::to_string(row) + ", " + std::to_string(col) + ") of grid " + name());
  }
  return cells_[static_cast<size_t>(row) * cols_ + col];
}

void Grid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= cols_) FailIndex("column " + std::to_string(col) + " of grid " + name());
  widths_[static_cast<size_t>(col)] = twips;
}

int Grid::ColWidth(int col) const {
  if (col < 0 || col >= cols_) FailIndex("column " + std::to_string(col) + " of grid " + name());
  return widths_[static_cast<size_t>(col)];
}

void Grid::Clear() {
  for (std::string& c : cells_) c.clear();
}

std::vector<std::string> Grid::Describe() const {
  // Trailing rows with nothing in their visible cells beyond the fixed
  // columns (a grid laid out for thousands of rows, mostly unused) are
  // left out and only counted.
  auto has_data = [&](int r) {
    for (int c = std::max(FixedCols, 0); c < cols_; ++c) {
      if (widths_[static_cast<size_t>(c)] != 0 && !TextMatrix(r, c).empty()) return true;
    }
    return false;
  };
  int shown = rows_;
  while (shown > std::max(FixedRows, 0) && !has_data(shown - 1)) --shown;
  // Code page 932 keeps a double-byte character two columns wide on a
  // terminal, so the byte count is the display width.
  std::vector<size_t> width(static_cast<size_t>(cols_), 0);
  for (int r = 0; r < shown; ++r) {
    for (int c = 0; c < cols_; ++c) width[c] = std::max(width[c], TextMatrix(r, c).size());
  }
  std::vector<std::string> lines;
  for (int r = 0; r < shown; ++r) {
    std::string line;
    for (int c = 0; c < cols_; ++c) {
      if (widths_[static_cast<size_t>(c)] == 0) continue;
      if (!line.empty()) line += "  ";
      const std::string& t = TextMatrix(r, c);
      line += t;
      line.append(width[c] - t.size(), ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(std::move(line));
  }
  if (shown < rows_)
    lines.push_back("(" + std::to_string(rows_ - shown) + " more rows without data)");
  return lines;
}

std::string ProgressBar::Bar(int width) const {
  int64_t span = static_cast<int64_t>(Max) - Min;
  int64_t v = std::clamp<int64_t>(static_cast<int64_t>(Value) - Min, 0, span > 0 ? span : 0);
  int filled = span > 0 ? static_cast<int>(v * width / span) : 0;
  return std::string(static_cast<size_t>(filled), '#') +
         std::string(static_cast<size_t>(width - filled), '-');
}

std::vector<std::string> ProgressBar::Describe() const {
  return {"[" + Bar(20) + "] " + std::to_string(Value) + " (" + std::to_string(Min) + ".." +
          std::to_string(Max) + ")"};
}

std::vector<std::string> Timer::Describe() const {
  return {std::to_string(Interval) + " ms, " + (Enabled ? "enabled" : "disabled")};
}

}  // namespace volq
