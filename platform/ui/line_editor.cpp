#include "platform/ui/line_editor.h"

#include <histedit.h>
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <string_view>

#include "platform/ui/interrupt.h"

namespace volq {

LineEditor::LineEditor() {
  std::setlocale(LC_CTYPE, "");
  if (std::string_view(nl_langinfo(CODESET)) != "UTF-8") std::setlocale(LC_CTYPE, "C.UTF-8");
  history_ = history_init();
  HistEvent ev;
  ::history(history_, &ev, H_SETSIZE, 1000);
  ::history(history_, &ev, H_SETUNIQUE, 1);
  el_ = el_init("volq", stdin, stdout, stderr);
  el_set(el_, EL_CLIENTDATA, this);
  el_set(el_, EL_PROMPT, &LineEditor::Prompt);
  el_set(el_, EL_EDITOR, "emacs");
  el_set(el_, EL_SIGNAL, 1);  // the terminal is restored when a signal ends the program
  el_set(el_, EL_HIST, ::history, history_);
  el_source(el_, nullptr);
}

LineEditor::~LineEditor() {
  el_end(el_);
  history_end(history_);
}

char* LineEditor::Prompt(editline* el) {
  void* self = nullptr;
  el_get(el, EL_CLIENTDATA, &self);
  return static_cast<LineEditor*>(self)->prompt_.data();
}

std::optional<std::string> LineEditor::Read(const std::string& prompt, const std::string& start,
                                            bool remember) {
  prompt_ = prompt;
  std::fflush(stdout);
  if (!start.empty()) el_push(el_, start.c_str());
  InterruptCatcher interrupt;
  int count = 0;
  const char* got = nullptr;
  while (true) {
    count = 0;
    got = el_gets(el_, &count);
    if (!interrupt.Take()) break;
    // Ctrl-C drops what was typed and asks again, as a shell does.
    std::fputs("^C\n", stdout);
    std::fflush(stdout);
  }
  if (!got || count <= 0) return std::nullopt;
  std::string line(got, static_cast<size_t>(count));
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (remember && line.find_first_not_of(" \t") != std::string::npos) {
    HistEvent ev;
    ::history(history_, &ev, H_ENTER, line.c_str());
  }
  return line;
}

}  // namespace volq
