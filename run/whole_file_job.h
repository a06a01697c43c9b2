#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "coordinfo/bounds3.h"
#include "obj/convert_obj_file.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"
#include "platform/atomic_file.h"
#include "run/block_settler.h"

// One small file of a run converted whole on any thread (into memory, then into a temporary
// file beside its output), synced to the disk on another, then settled and renamed into place
// on the calling thread in file order, so that several files convert and reach the disk at
// once while the run's state, messages and files written stay those of converting one file
// after the other: a job never committed leaves nothing. Made on the calling thread; convert()
// once on a worker, then sync() once on any thread; wait() and commit() on the calling
// thread.
class WholeFileJob {
 public:
  WholeFileJob(const Converter& converter, RunState& state, ConversionKind kind,
               std::string inputPath, std::string outputPath,
               const RoundTripSampling& sampling = {});

  // Reads and converts the file and writes it to its temporary file (any thread).
  void convert();
  // Waits for the device to hold the temporary file (any thread, after convert()).
  void sync();
  // Blocks until sync() has finished.
  void wait();
  // In file order: takes the file's traces and zones into the run's state (converting it again
  // here when an earlier file fixed a zone it assumed otherwise), then renames it over its
  // output when it converted. The outcome as convertRunFile gives it.
  ConvertOutcome commit(Bounds3* inputBox, Bounds3* outputBox, std::optional<int32_t>* fileZone,
                        RoundTripTally* roundTrip = nullptr);

 private:
  void convertNow();

  std::string inputPath_;
  std::string outputPath_;
  Bounds3 inputBox_, outputBox_;
  RoundTripTally roundTrip_;
  FileSettler settler_;
  std::unique_ptr<BlockWorker> worker_;
  std::unique_ptr<BlockNotes> notes_;
  std::unique_ptr<AtomicFileWriter> writer_;  // the converted file, synced, not yet named
  ConvertOutcome outcome_;
  std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
};
