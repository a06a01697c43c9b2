#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "obj/progress_sink.h"
#include "run/file_result.h"
#include "run/file_settler.h"
#include "run/worker_pool.h"

// The files of a run converted (or, without outputs, scanned) in file order with `threads`
// threads, each through the settler `settlerFor` makes for it. The way a file goes is chosen
// here, once, by its size (regularFileSize):
// - a regular file of at most kWholeFileBytes: converted whole, several at once on a pool of
//   `threads` threads that lives for the whole run (into memory, then into a temporary file
//   beside its output, synced to the disk on another pool, so even one converting thread
//   never waits for the disk), settled and renamed into place on the calling thread in file
//   order;
// - a larger file (or one of unknown size: a FIFO): alone, in blocks on every thread (one
//   thread: block after block on the calling thread).
// The results, the run's state, the messages and the files written are those of one thread:
// a failure leaves the files before it written and none after it.
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
  // The smallest block a file in blocks is read in (a file grown since its size was taken
  // still goes in blocks of useful size).
  static constexpr std::size_t kSmallestBlockBytes = std::size_t{64} << 10;

  // The settler of file `index` of `size` bytes (none: not a regular file).
  using SettlerFor =
      std::function<std::unique_ptr<FileSettler>(std::size_t index, std::optional<std::uint64_t>)>;

  // `outputs` empty: the files are only read (a scan).
  FileSequence(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs,
               unsigned threads, SettlerFor settlerFor);
  ~FileSequence();

  // File `index` converted into its output: called for 0, 1, 2 ... in turn, and not again
  // after a failure. `progress` (when not null) is told the bytes read of a file in blocks.
  FileResult convertFile(std::size_t index, ProgressSink* progress);

 private:
  class WholeFileJob;
  bool whole(std::size_t index) const;
  void queueAhead(std::size_t index);

  const std::vector<std::string>& inputs_;
  const std::vector<std::string>& outputs_;
  unsigned threads_;
  SettlerFor settlerFor_;
  std::vector<std::optional<std::uint64_t>> sizes_;  // regularFileSize of each input
  std::size_t submitted_ = 0;  // files [index, submitted_) are queued in pending_
  std::deque<std::unique_ptr<WholeFileJob>> pending_;
  // Stopped in this order, before the jobs go: the converting pool posts to the syncing one.
  std::unique_ptr<WorkerPool> syncPool_;
  std::unique_ptr<WorkerPool> pool_;
};
