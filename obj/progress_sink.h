#pragma once

#include <cstdint>

// Told how far the reading of the current file has come: called once per block read (never
// per line or vertex), with the bytes read from the file so far.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void advanced(std::uint64_t bytesRead) = 0;
};
