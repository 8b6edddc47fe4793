#include "platform/ui/interrupt.h"

#include "platform/base/stop_request.h"

namespace volq {
namespace {

volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnInterrupt(int signal) {
  interrupted = 1;
  NoteStopSignal(signal);
}

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

StopSignals::StopSignals() {
  StopRequestsOn();
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sa.sa_flags = SA_RESTART;
  sigemptyset(&sa.sa_mask);
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &sa, &saved_[i]);
}

StopSignals::~StopSignals() {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &saved_[i], nullptr);
  StopRequestsOff();
}

}  // namespace volq
