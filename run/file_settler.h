#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "obj/block_pipeline.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/lane_code.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"
#include "pipeline/zone_codes.h"
#include "run/file_result.h"
#include "run/round_trip_sampler.h"

// The order-dependent side of one file of a run, in blocks or whole (FileSequence makes one
// per file): the blocks' notes taken in file order, and the file's result.
class FileSettler : public BlockSettler {
 public:
  // The boxes, zone and round trip of the blocks settled (the outcome is the caller's).
  virtual FileResult result() const = 0;
  // Takes the run's state as it is now (on the calling thread, while no block of this file is
  // being converted): for a file converted again after earlier files settled.
  virtual void refresh() {}
};

// A file converted through `converter` (VertexBatch on each thread): each block converts with
// the zones fixed when it starts and keeps in its notes the traces that could print something
// and the zones it fixed itself; settle() replays them into the run's state in file order, and
// refuses a block converted on an assumption an earlier one has since proved wrong (a zone
// fixed otherwise, or the file's zone), which is then converted again. So the output, the
// run's state and its messages are those of converting one vertex after the other.
class ConversionSettler : public FileSettler {
 public:
  // `kernel`: the lane code (null: every vertex one at a time).
  ConversionSettler(const Converter& converter, RunState& state, ConversionKind kind,
                    const RoundTripSampling& sampling = {},
                    LaneKernel kernel = laneKernel(laneCodeInUse()))
      : converter_(converter), state_(state), kind_(kind), sampling_(sampling), kernel_(kernel),
        published_(state.zones()) {}

  std::unique_ptr<BlockWorker> makeWorker() override;
  bool settle(BlockNotes& notes) override;
  FileResult result() const override { return result_; }
  void refresh() override {
    std::lock_guard<std::mutex> lock(mutex_);
    published_ = state_.zones();
  }

  // The zones fixed so far, and the file's zone, as a block starting now must assume them.
  std::pair<ZoneCodes, std::optional<int32_t>> zones() {
    std::lock_guard<std::mutex> lock(mutex_);
    return {published_, publishedFileZone_};
  }

 private:
  const Converter& converter_;
  RunState& state_;
  ConversionKind kind_;
  RoundTripSampling sampling_;
  LaneKernel kernel_;
  FileResult result_;  // of the blocks settled
  std::mutex mutex_;
  ZoneCodes published_;  // a copy of state_.zones() the workers may read under mutex_
  std::optional<int32_t> publishedFileZone_;  // result_.zone for the workers, under mutex_
};
