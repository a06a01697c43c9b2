#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "coordinfo/bounds3.h"
#include "obj/parallel_obj_convert.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"
#include "pipeline/zone_codes.h"
#include "run/round_trip_sampler.h"

// The order-dependent side of converting one file in pieces on several threads (blocks of a
// big file, or a small file converted whole beside others): each worker converts a piece with
// the zones fixed when it started and keeps in its notes the traces that could print something
// and the zones it fixed itself; settle() replays them into the run's state in file order, and
// refuses a piece converted on an assumption an earlier piece has since proved wrong (a zone
// fixed otherwise, or the file's zone), which is then converted again.
class FileSettler : public BlockSettler {
 public:
  // `inputBox` and `outputBox` (when not null) receive the boxes of the settled vertices,
  // `roundTrip` (when not null) the round trip of those `sampling` picks.
  FileSettler(const Converter& converter, RunState& state, ConversionKind kind,
              Bounds3* inputBox = nullptr, Bounds3* outputBox = nullptr,
              const RoundTripSampling& sampling = {}, RoundTripTally* roundTrip = nullptr)
      : converter_(converter), state_(state), kind_(kind), inputBox_(inputBox),
        outputBox_(outputBox), sampling_(sampling), roundTrip_(roundTrip),
        published_(state.zones()) {}

  std::unique_ptr<BlockWorker> makeWorker() override;
  bool settle(BlockNotes& notes) override;

  // The zones fixed so far, and the file's zone, as a piece starting now must assume them.
  std::pair<ZoneCodes, std::optional<int32_t>> zones() {
    std::lock_guard<std::mutex> lock(mutex_);
    return {published_, publishedFileZone_};
  }
  // Takes the zones of the run's state as they are now (on the calling thread, while no piece
  // of this file is being converted): for a piece converted again after earlier files settled.
  void refresh() {
    std::lock_guard<std::mutex> lock(mutex_);
    published_ = state_.zones();
  }
  // Zone mode: the zone of the file's vertices settled so far.
  std::optional<int32_t> fileZone() const { return fileZone_; }

 private:
  const Converter& converter_;
  RunState& state_;
  ConversionKind kind_;
  Bounds3* inputBox_;
  Bounds3* outputBox_;
  RoundTripSampling sampling_;
  RoundTripTally* roundTrip_;
  std::mutex mutex_;
  ZoneCodes published_;  // a copy of state_.zones() the workers may read under mutex_
  std::optional<int32_t> fileZone_;           // the zone of the file's vertices settled so far
  std::optional<int32_t> publishedFileZone_;  // its copy for the workers, under mutex_
};
