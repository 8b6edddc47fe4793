#pragma once
// How a window runs one of its build steps: one step at a time, under a
// fresh frame whose yield points show progress under the button's caption,
// the step's end message into the window's status line, and what the step
// skipped reported after it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "build/step/step_frame.h"
#include "platform/fs/data_dir.h"
#include "platform/ui/window.h"

namespace volq {

// A step: returns its end message (UTF-8), or "" to leave the status line.
using StepFn = std::function<std::string(StepContext&)>;

// Runs `step` for window `w`; `button` names the pressed button (its caption
// labels the progress). A press that arrives while another step yields is
// refused and reported;
// an empty `step` does nothing.
// Returns the failure lines it reported (UTF-8; none for a clean step).
std::vector<std::string> RunWindowStep(Window& w, DataDir& dir, int32_t& record_count,
                                       const std::string& button, const StepFn& step);

// What a frame skipped, reported by window w (work outside a step, such as a
// window's load, reports through it too). Nothing when the frame is clean.
void ReportSkipped(Window& w, const StepFrame& frame);

}  // namespace volq
