#pragma once

#include <cstdio>
#include <string_view>

// Where a run's text goes while it runs; the program implements it on its standard streams,
// tests on strings. The run never prints by itself.
class RunOutput {
 public:
  virtual ~RunOutput() = default;
  // Text for standard output, written and flushed now (zone codes, fit label lines). False
  // when it could not be written: the run then stops.
  [[nodiscard]] virtual bool out(std::string_view text) = 0;
  // One warning line for standard error (without the program's prefix or a line end).
  virtual void warn(std::string_view text) = 0;
  // One detail line for standard error (without the program's prefix or a line end).
  virtual void note(std::string_view text) = 0;
  // The stream the progress line and summary go to; null for none at all.
  virtual std::FILE* progressStream() = 0;
};
