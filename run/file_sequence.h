#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/bounds3.h"
#include "obj/convert_obj_file.h"
#include "obj/progress_sink.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"
#include "run/round_trip_sampler.h"
#include "run/whole_file_job.h"
#include "run/worker_pool.h"

// The files of a run converted in file order with `threads` threads. With more than one, a
// small file (a regular file of at most kWholeFileBytes) is converted whole, several at once, on
// a pool of threads that lives for the whole run, while the calling thread settles and writes
// them in file order; a larger file is converted alone, in blocks (convertRunFile). The
// outcomes, the run's state, the messages and the files written are those of one thread: a
// failure leaves the files before it written and none after it. Each file's round trip is
// measured through `wayBack` (none when null), on a sample whose stride its size sets.
class FileSequence {
 public:
  // At most this many bytes are held per small file in flight (its converted text).
  static constexpr std::uint64_t kWholeFileBytes = std::uint64_t{4} << 20;
  // Small files converted ahead of the one being named, at most (each keeps a temporary file
  // open: within the descriptors and the interrupt clean-up's slots of one process).
  static constexpr std::size_t kMaxAhead = 32;
  // Threads that wait for small files to reach the disk (fsync), besides those converting:
  // a thread waiting on the device takes no CPU, and the device serves several at once.
  static constexpr unsigned kSyncThreads = 4;

  FileSequence(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs,
               const Converter& converter, RunState& state, ConversionKind kind,
               unsigned threads, const WayBack* wayBack = nullptr);

  // Converts file `index` into its output: called for 0, 1, 2 ... in turn, and not again after
  // a failure. As convertRunFile.
  ConvertOutcome convert(std::size_t index, ProgressSink* progress, Bounds3* inputBox,
                         Bounds3* outputBox, std::optional<int32_t>* fileZone,
                         RoundTripTally* roundTrip = nullptr);

 private:
  bool small(std::size_t index) const;
  RoundTripSampling sampling(std::size_t index) const;

  const std::vector<std::string>& inputs_;
  const std::vector<std::string>& outputs_;
  const Converter& converter_;
  RunState& state_;
  ConversionKind kind_;
  unsigned threads_;
  const WayBack* wayBack_;
  std::size_t submitted_ = 0;  // files [index, submitted_) are queued in pending_
  std::deque<std::unique_ptr<WholeFileJob>> pending_;
  // Stopped in this order, before the jobs go: the converting pool posts to the syncing one.
  std::unique_ptr<WorkerPool> syncPool_;
  std::unique_ptr<WorkerPool> pool_;
};
