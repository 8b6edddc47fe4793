#include "platform/ui/window.h"

#include <algorithm>

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
    throw UiError("no control '" + std::string(control) + "' in window " + name_ +
                  " (show lists its controls)");
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
    throw UiError("pick " + c.name() + " needs an entry number from 1 to " +
                  std::to_string(l->ListCount()));
  }
  if (entry > l->ListCount()) {
    throw UiError(c.name() + " has no entry " + std::to_string(entry) + " (it has " +
                  std::to_string(l->ListCount()) + ")");
  }
  l->ClickEntry(entry - 1);
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
