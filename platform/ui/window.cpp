#include "platform/ui/window.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/base/ascii_case.h"
#include "platform/text/cp932.h"

namespace volq {
namespace {

// The command that acts on a control of this kind.
std::string Use(const Control& c) {
  if (dynamic_cast<const CommandButton*>(&c) || dynamic_cast<const OptionButton*>(&c))
    return "use: press " + c.name();
  if (dynamic_cast<const TextBox*>(&c)) return "use: type " + c.name() + " TEXT";
  if (dynamic_cast<const ListBox*>(&c)) return "use: pick " + c.name() + " N";
  return "it is only shown: show " + c.name();
}

std::string WrongKind(const Control& c, const char* wanted) {
  return c.name() + " is " + (c.kind()[0] == 'o' ? "an " : "a ") + c.kind() + ", not " + wanted +
         " (" + Use(c) + ")";
}

// The characters of UTF-8 text, each as its bytes.
std::vector<std::string_view> Characters(std::string_view utf8) {
  std::vector<std::string_view> chars;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const size_t len = std::min(b < 0xc0   ? size_t{1}
                                : b < 0xe0 ? 2
                                : b < 0xf0 ? 3
                                           : 4,
                                utf8.size() - i);
    chars.push_back(utf8.substr(i, len));
    i += len;
  }
  return chars;
}

// The edits (a character put in, taken out or changed) from a to b.
size_t EditDistance(const std::vector<std::string_view>& a,
                    const std::vector<std::string_view>& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Names and captions compared as a person types them: width forms folded,
// ASCII letters in lower case.
std::vector<std::string_view> Comparable(std::string_view cp932, std::string& keep) {
  keep = WidthFolded(cp932);
  for (char& c : keep) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return Characters(keep);
}

// "Command13 (着差)": the controls of w nearest to `key`, a misspelt name
// or caption: those fewest edits away, when that is at most a third of what
// was typed (one edit at least); "" when none is so near.
std::string Nearest(const std::vector<Control*>& controls, std::string_view key) {
  std::string typed_keep;
  const std::vector<std::string_view> typed = Comparable(key, typed_keep);
  const size_t limit = std::max<size_t>(1, typed.size() / 3);
  size_t best = limit + 1;
  std::vector<const Control*> nearest;
  for (const Control* c : controls) {
    std::string name_keep, caption_keep;
    size_t d = EditDistance(typed, Comparable(c->name(), name_keep));
    if (const std::string* cap = c->caption(); cap && !cap->empty())
      d = std::min(d, EditDistance(typed, Comparable(*cap, caption_keep)));
    if (d < best) {
      best = d;
      nearest.clear();
    }
    if (d == best) nearest.push_back(c);
  }
  std::string shown;
  for (size_t i = 0; i < nearest.size() && i < 3; ++i) {
    shown += (i ? ", " : "") + nearest[i]->name();
    if (const std::string* cap = nearest[i]->caption();
        cap && !cap->empty() && *cap != nearest[i]->name())
      shown += " (" + *cap + ")";
  }
  return shown;
}

}  // namespace

Window::Window(std::string name, std::string caption)
    : Caption(std::move(caption)), name_(std::move(name)) {}

Window::~Window() {
  if (manager_) manager_->Forget(*this);
}

Control* Window::Find(std::string_view key) const {
  for (Control* c : controls_) {
    if (c->name() == key) return c;
  }
  for (Control* c : controls_) {
    if (SameIgnoringAsciiCase(c->name(), key)) return c;
  }
  for (Control* c : controls_) {
    const std::string* cap = c->caption();
    if (cap && *cap == key) return c;
  }
  const std::string folded = WidthFolded(key);
  for (Control* c : controls_) {
    const std::string* cap = c->caption();
    if (SameIgnoringAsciiCase(WidthFolded(c->name()), folded) ||
        (cap && SameIgnoringAsciiCase(WidthFolded(*cap), folded)))
      return c;
  }
  return nullptr;
}

Control& Window::Need(std::string_view control) const {
  Control* c = Find(control);
  if (!c) {
    const std::string nearest = Nearest(controls_, control);
    throw UiError("no control '" + std::string(control) + "' in window " + name_ +
                  (nearest.empty() ? " (show lists its controls)"
                                   : " (nearest: " + nearest + "; show lists them all)"));
  }
  return *c;
}

void Window::Press(std::string_view control) {
  Control& c = Need(control);
  if (auto* b = dynamic_cast<CommandButton*>(&c)) {
    if (!b->Enabled) throw UiError(c.name() + " is disabled");
    b->Click();
  } else if (auto* o = dynamic_cast<OptionButton*>(&c)) {
    if (!o->Enabled) throw UiError(c.name() + " is disabled");
    o->Choose();
  } else {
    throw UiError(WrongKind(c, "a button"));
  }
}

void Window::Type(std::string_view control, std::string_view text) {
  Control& c = Need(control);
  auto* t = dynamic_cast<TextBox*>(&c);
  if (!t) throw UiError(WrongKind(c, "a text box"));
  t->Text = std::string(text);
}

void Window::Pick(std::string_view control, int entry) {
  Control& c = Need(control);
  auto* l = dynamic_cast<ListBox*>(&c);
  if (!l) throw UiError(WrongKind(c, "a list"));
  if (l->ListCount() == 0) {
    throw UiError(c.name() + " is empty" +
                  (!l->EmptyBecause.empty() ? ": " + l->EmptyBecause
                   : l->FilledBy.empty()    ? std::string()
                                            : ": press " + l->FilledBy + " first"));
  }
  if (entry < 1) {
    throw UiError("pick " + c.name() + " needs an entry: its number from 1 to " +
                  std::to_string(l->ListCount()) + ", or its text");
  }
  if (entry > l->ListCount()) {
    throw UiError(c.name() + " has no entry " + std::to_string(entry) + " (it has " +
                  std::to_string(l->ListCount()) + ")");
  }
  l->ClickEntry(entry - 1);
}

void Window::Pick(std::string_view control, std::string_view text) {
  Control& c = Need(control);
  auto* l = dynamic_cast<ListBox*>(&c);
  if (!l) throw UiError(WrongKind(c, "a list"));
  // A number within the list picks by position; any other text (a number
  // too large, as a pedigree number is) picks by the entries' text.
  const bool digits = !text.empty() && text.size() < 10 &&
                      text.find_first_not_of("0123456789") == std::string_view::npos;
  const int number = digits ? std::stoi(std::string(text)) : 0;
  if (text.empty() || (digits && number >= 1 && number <= l->ListCount()))
    return Pick(control, number);
  int begins = 0, begun = 0;
  for (int i = 0; i < l->ListCount(); ++i) {
    if (l->List(i) == text) return Pick(control, i + 1);
    if (l->List(i).starts_with(text)) ++begins, begun = i + 1;
  }
  if (begins == 1) return Pick(control, begun);
  // Says what fills an empty list, or which numbers there are.
  if (l->ListCount() == 0 || (digits && begins == 0)) return Pick(control, number);
  throw UiError(c.name() +
                (begins > 1 ? " has " + std::to_string(begins) + " entries that begin with '" +
                                  std::string(text) + "': give more of one"
                            : " has no entry '" + std::string(text) + "'") +
                " (pick " + c.name() + " N takes its number, from 1 to " +
                std::to_string(l->ListCount()) + ")");
}

TextBox* Window::status_line() const {
  if (status_line_) return status_line_;
  for (Control* c : controls_) {
    if (c->name() == "Text1") return dynamic_cast<TextBox*>(c);
  }
  return nullptr;
}

void Window::Close() { closed_ = true; }

WindowManager& Window::manager() const {
  if (!manager_) throw UiError("window " + name_ + " is not shown");
  return *manager_;
}

void Window::MsgBox(std::string_view text) { manager().host().Message(*this, std::string(text)); }

void Window::ShowModal(Window& w) { manager().ShowModal(w); }

Window& Window::ShowModeless(std::unique_ptr<Window> w) {
  return manager().ShowModeless(std::move(w));
}

void Window::YieldPoint(std::string_view label, int64_t done, int64_t total) {
  manager().host().YieldPoint(*this, label, done, total);
}

void Window::ReportFailures(const std::vector<std::string>& lines) {
  if (!lines.empty()) manager().host().Failures(*this, lines);
}

void Window::TellOutcome(const std::string& note) { manager().host().Outcome(*this, note); }
void Window::TellStepEnd(StepEnd end) { manager().host().StepEnded(*this, end); }
void Window::ReportNotes(const std::vector<std::string>& lines) {
  if (!lines.empty()) manager().host().Notes(*this, lines);
}

int TimerInterval(const Window& w) {
  int shortest = 0;
  for (Control* c : w.controls()) {
    auto* t = dynamic_cast<Timer*>(c);
    if (t && t->Enabled && t->Interval > 0 && (shortest == 0 || t->Interval < shortest))
      shortest = t->Interval;
  }
  return shortest;
}

void TickTimers(Window& w) {
  for (Control* c : w.controls()) {
    auto* t = dynamic_cast<Timer*>(c);
    if (t && t->Interval > 0) t->Tick();
    if (w.closed()) break;
  }
}

WindowManager::WindowManager(Host& host, std::string app_title)
    : host_(host), app_title_(std::move(app_title)) {}

WindowManager::~WindowManager() {
  for (Window* w : open_) w->manager_ = nullptr;
  open_.clear();
  for (auto& w : owned_) w->manager_ = nullptr;
  owned_.clear();
}

void WindowManager::Enter(Window& w) {
  if (w.manager_) throw UiError("window " + w.name() + " is shown already");
  w.manager_ = this;
  w.id_ = next_id_++;
  w.closed_ = false;
  open_.push_back(&w);
  w.Form_Load();
}

void WindowManager::Forget(Window& w) {
  open_.erase(std::remove(open_.begin(), open_.end(), &w), open_.end());
  w.manager_ = nullptr;
}

void WindowManager::Open(Window& w) { Enter(w); }

Window& WindowManager::ShowModeless(std::unique_ptr<Window> w) {
  Window& ref = *w;
  owned_.push_back(std::move(w));
  Enter(ref);
  return ref;
}

void WindowManager::ShowModal(Window& w) {
  Enter(w);
  if (!w.closed()) host_.RunModal(*this, w);
  w.Close();
  Forget(w);
}

std::vector<Window*> WindowManager::windows() const {
  std::vector<Window*> out;
  for (Window* w : open_) {
    if (!w->closed()) out.push_back(w);
  }
  return out;
}

Window* WindowManager::Find(int id) const {
  for (Window* w : open_) {
    if (w->id() == id && !w->closed()) return w;
  }
  return nullptr;
}

void WindowManager::Collect() {
  for (auto it = owned_.begin(); it != owned_.end();) {
    if ((*it)->closed()) {
      it = owned_.erase(it);  // its destructor takes it off the open list
    } else {
      ++it;
    }
  }
}

}  // namespace volq
