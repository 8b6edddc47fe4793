#pragma once
// Ctrl-C while the console waits on the person: it presses a modal window's
// cancel button, and at the prompt it drops the line typed so far. For as
// long as an InterruptCatcher lives SIGINT only sets a flag, and a read it
// interrupts returns (no restart), so the waiting code sees it at once.
#include <csignal>

namespace volq {

class InterruptCatcher {
 public:
  InterruptCatcher();
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;
  // Whether Ctrl-C came since the last Take (or since the catcher began).
  bool Take();

 private:
  struct sigaction saved_ {};
};

}  // namespace volq
