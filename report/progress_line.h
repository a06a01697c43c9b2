#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "obj/progress_sink.h"
#include "pipeline/round_trip_tally.h"

// One line on a terminal that follows a batch: "[k/n] name  37%  112.4 MB/s  0:12 left",
// rewritten in place at most ten times a second (from the block loop, never per vertex),
// erased at the end; then one summary line: files, vertices, MB, seconds, vertices per second
// and the largest round trip of the run. A base-point scan before the conversion shows as
// "[k/n] base point: name ..." (its bytes count in the rate and the time left); a run that
// only scans ends with the scan's summary.
// Writes nothing when not enabled. Time left assumes the rate so far for the bytes still to
// read.
class ProgressLine : public ProgressSink {
 public:
  // `totalBytes`: the bytes the run reads (the sizes of all input files, twice when they are
  // scanned first); `fileCount`: how many files.
  ProgressLine(std::FILE* out, bool enabled, std::uint64_t totalBytes, std::size_t fileCount);

  // The files that follow are read for the base point (true) or converted (false, the start).
  void setScanning(bool scanning) { scanning_ = scanning; }

  // The next file (1-based `index`), of `bytes` bytes.
  void startFile(std::size_t index, const std::string& name, std::uint64_t bytes);
  void advanced(std::uint64_t bytesRead) override;
  // The current file is done, with this many vertices and this round trip.
  void finishFile(std::uint64_t vertices, const RoundTripTally& roundTrip = {});
  // Erases the line (a failure's messages follow on a clean line).
  void erase();
  // Erases the line and writes the summary.
  void summary();

  // The text of a summary, e.g. "quorvex: 3 files, 1000000 vertices, 148.5 MB, 1.52 s,
  // 657894 vertices/s, largest round trip 0.0452 mm" (or "round trip failed for 2 vertices",
  // "no vertex sampled").
  static std::string summaryText(std::size_t files, std::uint64_t vertices, std::uint64_t bytes,
                                 double seconds, const RoundTripTally& roundTrip);
  // That of a run that only scanned: "quorvex: base point of 3 files, 1000000 vertices,
  // 148.5 MB, 0.52 s, 1923076 vertices/s".
  static std::string scanSummaryText(std::size_t files, std::uint64_t vertices,
                                     std::uint64_t bytes, double seconds);

 private:
  using Clock = std::chrono::steady_clock;
  void draw(bool force);

  std::FILE* out_;
  bool enabled_;
  std::uint64_t totalBytes_;
  std::size_t fileCount_;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
  bool drawn_ = false;      // the line is on the screen now
  bool everDrawn_ = false;
  std::size_t index_ = 0;
  std::string name_;
  std::uint64_t fileBytes_ = 0;
  std::uint64_t fileRead_ = 0;
  bool scanning_ = false;
  std::uint64_t doneBytes_ = 0;  // of the finished files, scanned and converted
  // The finished files of each pass.
  struct Pass {
    std::size_t files = 0;
    std::uint64_t vertices = 0;
    std::uint64_t bytes = 0;
  };
  Pass scanned_;
  Pass converted_;
  RoundTripTally roundTrip_;  // of the finished files
};

// The files of a pass over a list (the base-point scan) on a progress line, `bytesOf` giving
// each one's size.
class ScanProgress : public FileProgress {
 public:
  using Size = std::uint64_t (*)(const std::string&);
  ScanProgress(ProgressLine& line, const std::vector<std::string>& files, Size bytesOf)
      : line_(line), files_(files), bytesOf_(bytesOf) {}
  void startFile(std::size_t index) override {
    line_.startFile(index + 1, files_[index], bytesOf_(files_[index]));
  }
  void finishFile(std::uint64_t vertices) override { line_.finishFile(vertices); }
  void advanced(std::uint64_t bytesRead) override { line_.advanced(bytesRead); }

 private:
  ProgressLine& line_;
  const std::vector<std::string>& files_;
  Size bytesOf_;
};
