#pragma once

#include <sstream>

#include "pipeline/run_state.h"

// Moves the text `state` keeps to be printed into `out` and `err`, in order, as a run prints it.
inline void flushPrinted(RunState& state, std::ostringstream& out, std::ostringstream& err) {
  const RunState::Printed printed = state.takePrinted();
  out << printed.out;
  err << printed.err;
}
