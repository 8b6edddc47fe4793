#include "platform/ui/controls.h"

#include <algorithm>

#include "platform/base/failure.h"
#include "platform/ui/window.h"

namespace volq {

Control::Control(Window* owner, std::string name) : owner_(owner), name_(std::move(name)) {
  owner_->controls_.push_back(this);
}

CommandButton::CommandButton(Window* owner, std::string name)
    : Control(owner, std::move(name)), Caption(this->name()) {}

std::vector<std::string> CommandButton::Describe(const ShowFit&) const {
  return {Printable(Enabled ? Caption : Caption + " (disabled)")};
}

TextBox::TextBox(Window* owner, std::string name)
    : Control(owner, std::move(name)), Text(this->name()) {}

std::vector<std::string> TextBox::Describe(const ShowFit&) const { return {Printable(Text)}; }

Label::Label(Window* owner, std::string name)
    : Control(owner, std::move(name)), Caption(this->name()) {}

std::vector<std::string> Label::Describe(const ShowFit&) const { return {Printable(Caption)}; }

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

std::vector<std::string> OptionButton::Describe(const ShowFit&) const {
  return {(Value ? "(*) " : "( ) ") + Printable(Caption)};
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

std::vector<std::string> ListBox::Describe(const ShowFit& fit) const {
  std::vector<std::string> lines;
  const size_t digits = std::to_string(ListCount()).size();
  auto entry = [&](int i) {
    const std::string n = std::to_string(i + 1);
    lines.push_back((i == ListIndex ? "> " : "  ") + std::string(digits - n.size(), ' ') + n + " " +
                    Printable(items_[static_cast<size_t>(i)]));
  };
  const int shown = fit.whole ? ListCount() : std::min(ListCount(), kShownEntries);
  for (int i = 0; i < shown; ++i) entry(i);
  if (ListIndex >= shown && ListIndex < ListCount()) entry(ListIndex);
  if (shown < ListCount()) {
    const int more = ListCount() - shown - (ListIndex >= shown ? 1 : 0);
    if (more > 0)
      lines.push_back("(" + std::to_string(more) + " more entries: show " + name() + ")");
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

namespace {

// A cell as shown: without the trailing blanks of a fixed-width field, its
// control bytes escaped, so its width is the width it takes on the terminal.
std::string ShownCell(std::string_view t) {
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return Printable(t);
}

// Bytes of the code page 932 character starting with byte b.
size_t CharBytes(unsigned char b) { return (b >= 0x81 && b <= 0x9f) || b >= 0xe0 ? 2 : 1; }

// The text in pieces of at most `width` columns, never splitting a
// double-byte character; an empty text is one empty piece.
std::vector<std::string_view> Wrapped(std::string_view t, size_t width) {
  std::vector<std::string_view> pieces;
  width = std::max<size_t>(width, 2);
  while (t.size() > width) {
    size_t n = 0;
    while (n < t.size()) {
      size_t k = std::min(CharBytes(static_cast<unsigned char>(t[n])), t.size() - n);
      if (n + k > width) break;
      n += k;
    }
    pieces.push_back(t.substr(0, n));
    t.remove_prefix(n);
  }
  pieces.push_back(t);
  return pieces;
}

}  // namespace

std::vector<std::string> Grid::Describe(const ShowFit& fit) const {
  std::vector<int> fixed, data;  // the visible columns
  for (int c = 0; c < cols_; ++c) {
    if (widths_[static_cast<size_t>(c)] == 0) continue;
    (c < FixedCols ? fixed : data).push_back(c);
  }
  const int first_row = std::clamp(FixedRows, 0, rows_);
  std::vector<std::string> shown_cells(cells_.size());
  std::transform(cells_.begin(), cells_.end(), shown_cells.begin(), ShownCell);
  auto cell = [&](int r, int c) -> const std::string& {
    return shown_cells[static_cast<size_t>(r) * cols_ + c];
  };
  auto has_data = [&](int r) {
    for (int c : data) {
      if (!cell(r, c).empty()) return true;
    }
    return false;
  };
  int shown = rows_;
  while (shown > first_row && !has_data(shown - 1)) --shown;
  if (shown == first_row) return {"(no data)"};

  // Column widths: the widest cell shown; the fixed columns take at most
  // half the page, a page column at most a third of what they leave, so
  // that one long field (the passing orders) does not leave a column a page.
  constexpr size_t kGap = 2;
  const size_t width = std::max<size_t>(fit.width, 20);
  std::vector<size_t> w(static_cast<size_t>(cols_), 0);
  for (int r = 0; r < shown; ++r) {
    for (int c = 0; c < cols_; ++c) w[c] = std::max(w[c], cell(r, c).size());
  }
  size_t fixed_w = 0;
  for (int c : fixed) {
    w[c] = std::min(w[c], width / 2);
    fixed_w += w[c] + kGap;
  }
  const size_t page_w = std::max<size_t>(width > fixed_w ? (width - fixed_w) / 3 - kGap : 0, 10);
  for (int c : data) w[c] = std::min(w[c], page_w);

  // Pages: as many data columns as fit after the fixed ones.
  std::vector<std::vector<int>> pages;
  size_t used = width;
  for (int c : data) {
    if (pages.empty() || used + w[c] > width) {
      pages.emplace_back();
      used = fixed_w;
    }
    pages.back().push_back(c);
    used += w[c] + kGap;
  }

  std::vector<std::string> lines;
  for (const std::vector<int>& page : pages) {
    if (pages.size() > 1) {
      lines.push_back("(columns " + std::to_string(page.front()) + "-" +
                      std::to_string(page.back()) + " of " + std::to_string(data.back()) + ")");
    }
    std::vector<int> cols = fixed;
    cols.insert(cols.end(), page.begin(), page.end());
    for (int r = 0; r < shown; ++r) {
      std::vector<std::vector<std::string_view>> cells;
      size_t height = 1;
      for (int c : cols) {
        cells.push_back(Wrapped(cell(r, c), w[c]));
        height = std::max(height, cells.back().size());
      }
      for (size_t k = 0; k < height; ++k) {
        std::string line;
        for (size_t i = 0; i < cols.size(); ++i) {
          std::string_view piece = k < cells[i].size() ? cells[i][k] : std::string_view();
          if (i > 0) line.append(kGap, ' ');
          line += piece;
          if (piece.size() < w[cols[i]]) line.append(w[cols[i]] - piece.size(), ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        lines.push_back(std::move(line));
      }
    }
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

std::vector<std::string> ProgressBar::Describe(const ShowFit&) const {
  return {"[" + Bar(20) + "] " + std::to_string(Value) + " (" + std::to_string(Min) + ".." +
          std::to_string(Max) + ")"};
}

std::vector<std::string> Timer::Describe(const ShowFit&) const {
  return {std::to_string(Interval) + " ms, " + (Enabled ? "enabled" : "disabled")};
}

}  // namespace volq
