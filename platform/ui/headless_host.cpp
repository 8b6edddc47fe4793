#include "platform/ui/headless_host.h"

namespace volq {

void HeadlessHost::Message(const Window&, const std::string& text) { messages.push_back(text); }

void HeadlessHost::RunModal(WindowManager&, Window& w) {
  for (int round = 1; !w.closed(); ++round) {
    if (on_round) on_round(w, round);
    if (w.closed()) break;
    if (round > max_rounds || TimerInterval(w) == 0) {
      failures.push_back("modal window " + w.name() + " left open");
      w.Close();
    } else {
      TickTimers(w);
    }
  }
}

void HeadlessHost::Notes(const Window&, const std::vector<std::string>& lines) {
  notes.insert(notes.end(), lines.begin(), lines.end());
}

void HeadlessHost::Failures(const Window&, const std::vector<std::string>& lines) {
  failures.insert(failures.end(), lines.begin(), lines.end());
}

void HeadlessHost::Outcome(const Window&, const std::string& note) { outcomes.push_back(note); }

void HeadlessHost::StepEnded(const Window&, StepEnd end) { step_ends.push_back(end); }

}  // namespace volq
