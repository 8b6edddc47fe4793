#include "platform/ui/interrupt.h"

namespace volq {
namespace {

volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnInterrupt(int) { interrupted = 1; }

}  // namespace

InterruptCatcher::InterruptCatcher() {
  interrupted = 0;
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, &saved_);
}

InterruptCatcher::~InterruptCatcher() { sigaction(SIGINT, &saved_, nullptr); }

bool InterruptCatcher::Take() {
  const bool was = interrupted != 0;
  interrupted = 0;
  return was;
}

}  // namespace volq
