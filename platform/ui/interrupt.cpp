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

void CatchUnlessIgnored(int signal, const struct sigaction& catcher, struct sigaction& saved) {
  sigaction(signal, nullptr, &saved);
  if (saved.sa_handler != SIG_IGN) sigaction(signal, &catcher, nullptr);
}

InterruptCatcher::InterruptCatcher() {
  interrupted = 0;
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  CatchUnlessIgnored(SIGINT, sa, saved_);
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
  for (int i = 0; i < 3; ++i) CatchUnlessIgnored(kSignals[i], sa, saved_[i]);
}

StopSignals::~StopSignals() {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &saved_[i], nullptr);
  StopRequestsOff();
}

}  // namespace volq
