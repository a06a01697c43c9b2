#pragma once

#include <string>

// What a step would have printed, returned as text for the one place that prints: lines for
// standard output (e.g. a control-point fit's labels) and lines for standard error (failure
// reasons), each line ended by '\n'.
struct ConsoleText {
  std::string out;
  std::string err;

  void append(const ConsoleText& more) {
    out += more.out;
    err += more.err;
  }
};
