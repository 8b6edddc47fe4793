#include "platform/base/stop_request.h"

#include <atomic>
#include <csignal>

namespace volq {
namespace {

volatile std::sig_atomic_t taken = 0;
volatile std::sig_atomic_t noted = 0;
std::atomic<int> boundaries{0};

}  // namespace

void NoteStopSignal(int signal) noexcept {
  if (taken) noted = signal;
}

bool StopRequestsTaken() noexcept { return taken != 0; }

void StopRequestsOn() noexcept {
  noted = 0;
  taken = 1;
}

void StopRequestsOff() noexcept { taken = 0; }

int PendingStopSignal() noexcept { return noted; }

int TakeStopSignal() noexcept {
  const int signal = noted;
  noted = 0;
  return signal;
}

std::string SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(signal);
  }
}

FileBoundaryStops::FileBoundaryStops() { ++boundaries; }
FileBoundaryStops::~FileBoundaryStops() { --boundaries; }

void StopAtFileBoundary() {
  if (boundaries.load(std::memory_order_relaxed) == 0) return;
  if (const int signal = noted) throw Interrupted(signal);
}

}  // namespace volq
