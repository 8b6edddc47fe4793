#pragma once
// A stop asked for from outside while a run works (Ctrl-C, a kill with
// SIGTERM, a closed terminal's SIGHUP): the signal handlers note the signal
// here, and the run looks at it where it can stop without leaving a file
// torn. While a FileBoundaryStops lives, the file layer looks before it opens
// the next file for writing and throws Interrupted there; a file already
// opened is written to its end first.
#include <stdexcept>
#include <string>

namespace volq {

// Notes `signal` as a stop request, when a run has asked for them
// (StopRequestsOn); async-signal-safe. Else it is dropped.
void NoteStopSignal(int signal) noexcept;
// True while stop requests are taken (between StopRequestsOn and Off).
bool StopRequestsTaken() noexcept;
// Starts taking stop requests, dropping any noted earlier; Off stops taking
// them and keeps what was noted for TakeStopSignal.
void StopRequestsOn() noexcept;
void StopRequestsOff() noexcept;
// The signal of the stop request noted, 0 when none.
int PendingStopSignal() noexcept;
// The same, and forgets it.
int TakeStopSignal() noexcept;
// "SIGINT", "SIGTERM", "SIGHUP", else "signal N".
std::string SignalName(int signal);

// A run stopped on a stop request at a file boundary. No Failure: no step
// frame skips it.
class Interrupted : public std::runtime_error {
 public:
  explicit Interrupted(int signal)
      : std::runtime_error("interrupted by " + SignalName(signal)), signal_(signal) {}
  int signal() const { return signal_; }

 private:
  int signal_;
};

// While one lives, StopAtFileBoundary throws on a pending stop request.
class FileBoundaryStops {
 public:
  FileBoundaryStops();
  ~FileBoundaryStops();
  FileBoundaryStops(const FileBoundaryStops&) = delete;
  FileBoundaryStops& operator=(const FileBoundaryStops&) = delete;
};

// Throws Interrupted when a stop was requested and a FileBoundaryStops
// lives: called between whole files, never inside the writing of one.
void StopAtFileBoundary();

}  // namespace volq
