#include "pipeline/run_state.h"

RunState::RunState(const Converter& converter)
    : definitionCount_(converter.definitionCount()),
      firstUse_(converter.definitionCount()),
      zones_(converter.definitionCount()) {}

std::vector<bool> RunState::boundariesSeen() const {
  std::vector<bool> seen(definitionCount_);
  for (std::size_t i = 0; i < seen.size(); ++i) seen[i] = firstUse_.boundarySeen(i);
  return seen;
}

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
  const FirstUse::News news = firstUse_.take(trace);
  for (std::size_t i = news.boundariesFrom; i < news.boundariesTo; ++i) {
    print(converter.boundaryFitOut(i), converter.boundaryFitErr(i));
  }
  if (news.transform) {
    print(converter.transformFitOut(*news.transform), converter.transformFitErr(*news.transform));
  }
}
