#include "pipeline/run_state.h"

RunState::RunState(const Converter& converter)
    : boundarySeen_(converter.definitionCount(), false),
      transformUsed_(converter.definitionCount(), false),
      zones_(converter.definitionCount()) {}

void RunState::print(const std::string& out, const std::string& err) {
  pending_.out += out;
  pending_.err += err;
}

RunState::Printed RunState::takePrinted() {
  Printed taken;
  std::swap(taken, pending_);
  return taken;
}

void RunState::record(const Converter& converter, const ConversionTrace& trace) {
  for (std::size_t i = 0; i < trace.boundariesReached && i < boundarySeen_.size(); ++i) {
    if (boundarySeen_[i]) continue;
    boundarySeen_[i] = true;
    print(converter.boundaryFitOut(i), converter.boundaryFitErr(i));
  }
  if (trace.controlTransformUsed && trace.chosen && *trace.chosen < transformUsed_.size() &&
      !transformUsed_[*trace.chosen]) {
    transformUsed_[*trace.chosen] = true;
    print(converter.transformFitOut(*trace.chosen), converter.transformFitErr(*trace.chosen));
  }
}
