#pragma once

#include <cstddef>
#include <cstdint>

// Told how far the reading of the current file has come: called once per block read (never
// per line or vertex), with the bytes read from the file so far.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void advanced(std::uint64_t bytesRead) = 0;
};

// Also told when a pass over a list of files starts and ends each of them, in list order.
class FileProgress : public ProgressSink {
 public:
  virtual void startFile(std::size_t index) = 0;  // 0-based, in the list
  virtual void finishFile(std::uint64_t vertices) = 0;
};
