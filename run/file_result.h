#pragma once

#include <cstdint>
#include <optional>

#include "coordinfo/bounds3.h"
#include "obj/convert_outcome.h"
#include "pipeline/round_trip_tally.h"

// What converting (or scanning) one file of a run came to, whatever way it was converted:
// the outcome, the boxes of its vertices as read (with the offset) and as written, the zone
// they were projected onto (zone mode; empty without vertices) and the round trip of those
// sampled.
struct FileResult {
  ConvertOutcome outcome;
  Bounds3 inputBox, outputBox;
  std::optional<int32_t> zone;
  RoundTripTally roundTrip;

  // A later piece of the same file (its zone, once known, is the file's).
  void merge(const FileResult& later) {
    inputBox.merge(later.inputBox);
    outputBox.merge(later.outputBox);
    if (!zone) zone = later.zone;
    roundTrip.merge(later.roundTrip);
  }
};
