#pragma once
// Signals while the console waits on the person or a run works.
//
// InterruptCatcher: Ctrl-C while the console waits on the person presses a
// modal window's cancel button, and at the prompt it drops the line typed so
// far. For as long as one lives SIGINT only sets a flag, and a read it
// interrupts returns (no restart), so the waiting code sees it at once.
//
// StopSignals: for as long as a run (a build step, the download) lives,
// SIGINT, SIGTERM and SIGHUP do not end the process at once: each is noted as
// a stop request (platform/base/stop_request.h) that the run honours where it
// leaves no file torn, and file calls it interrupts go on (restart). A Ctrl-C
// caught by an InterruptCatcher inside the run is noted too.
//
// Neither catches a signal that the program was started with ignored
// (SIGHUP under nohup, SIGINT in a background job of a script): it stays
// ignored.
#include <csignal>

namespace volq {

// Installs `catcher` for `signal` unless the signal is ignored now; `saved`
// gets the former action either way, for the catcher's end to restore.
void CatchUnlessIgnored(int signal, const struct sigaction& catcher, struct sigaction& saved);

class InterruptCatcher {
 public:
  InterruptCatcher();
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;
  // Whether Ctrl-C (or, inside a run, another stop signal) came since the
  // last Take (or since the catcher began).
  bool Take();

 private:
  struct sigaction saved_ {};
};

class StopSignals {
 public:
  StopSignals();
  // Restores the former handlers; a stop request noted stays for
  // TakeStopSignal.
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction saved_[3]{};
};

}  // namespace volq
