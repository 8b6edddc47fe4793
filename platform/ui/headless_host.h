#pragma once
// The host of windows without a person: tests, and programs run without the
// console. Message boxes and failure reports are collected; a modal window's
// timers tick round after round without sleeping until it closes.
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/window.h"

namespace volq {

class HeadlessHost : public Host {
 public:
  std::vector<std::string> messages;  // message box texts (code page 932), in order
  std::vector<std::string> failures;  // reported failures, in order
  std::vector<std::string> outcomes;  // notes for outcome lines (code page 932), in order
  std::vector<std::string> notes;     // reported notes, in order
  std::vector<StepEnd> step_ends;     // how the steps of presses ended, in order
  // Runs before each round of ticks of a modal window (rounds from 1): a test
  // presses buttons of the modal window here.
  std::function<void(Window& modal, int round)> on_round;
  // A modal window still open after this many rounds, or with no running
  // timer, is closed and a failure recorded, so that no test hangs.
  int max_rounds = 100000;

  void Message(const Window& from, const std::string& text) override;
  void RunModal(WindowManager& wm, Window& w) override;
  void Failures(const Window& from, const std::vector<std::string>& lines) override;
  void Outcome(const Window& from, const std::string& note) override;
  void Notes(const Window& from, const std::vector<std::string>& lines) override;
  void StepEnded(const Window& from, StepEnd end) override;
};

}  // namespace volq
