#include "build/step/step_runner.h"

#include <vector>

#include "platform/fs/data_dir_lock.h"
#include "platform/text/cp932.h"

namespace volq {

void RunWindowStep(Window& w, DataDir& dir, int32_t& record_count, const std::string& button,
                   const StepFn& step) {
  // One step at a time: a click that arrives while a step yields is refused.
  if (w.manager().busy()) {
    w.ReportFailures({"a step is running; " + button + " was not started"});
    return;
  }
  if (!step) return;
  BusyScope busy(w);
  StepFrame frame;
  // The caption as the button holds it (code page 932, like every control
  // text); the host converts it where it shows the progress.
  const auto* pressed = dynamic_cast<const CommandButton*>(w.Find(button));
  const std::string label = pressed ? pressed->Caption : button;
  frame.yield_hook = [&w, &label](int64_t done, int64_t total) {
    w.YieldPoint(label, done, total);
  };
  StepContext ctx{dir, frame, record_count};
  std::string message;
  try {
    // One program at a time on the data directory, for the length of the
    // step. Steps never nest (a press during a step is refused above), so
    // the lock, which is not reentrant, is taken once.
    const DataDirLock held(dir.root(), "volqbuild");
    message = step(ctx);
  } catch (const StepStopped& e) {
    // The step ends here, without its end message; what it had not written
    // yet keeps its former content, and the report names it.
    frame.Skipped("step stopped", e.what());
    const std::vector<std::string> kept = frame.UnchangedOutputs();
    if (!kept.empty()) {
      std::string line = "not written, kept as they were:";
      for (size_t i = 0; i < kept.size(); ++i) line += (i ? ", " : " ") + kept[i];
      frame.Skipped("step stopped", line);
    }
  } catch (const Failure& e) {
    // A failure no operation of the step caught: the step ends here, without
    // its end message, and says so.
    frame.Skipped("step stopped", e.text());
  }
  // A step without an end message leaves the status line as it is.
  if (!message.empty() && w.status_line()) w.status_line()->Text = Cp932(message);
  ReportSkipped(w, frame);
}

void ReportSkipped(Window& w, const StepFrame& frame) {
  if (frame.clean()) return;
  // The report is UTF-8 but may quote record bytes; those stay as they are.
  std::vector<std::string> lines;
  for (const std::string& line : frame.Report()) lines.push_back(TryCp932(line).value_or(line));
  w.ReportFailures(lines);
}

}  // namespace volq
