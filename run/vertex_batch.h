#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "coordinfo/bounds3.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "pipeline/first_use.h"
#include "pipeline/lane_code.h"
#include "pipeline/round_trip_tally.h"
#include "pipeline/zone_codes.h"
#include "run/round_trip_sampler.h"

// What converting a block (or a whole small file) learned that only the file order settles.
struct BatchNotes {
  // The traces that could print something (what they needed is new within the block), in
  // file order.
  std::vector<ConversionTrace> traces;
  // Zone mode: the zones this block fixed itself (definition, code); the file's zone when the
  // block began (from earlier blocks) and at its end (the first vertex's when none was known).
  std::vector<std::pair<std::size_t, int32_t>> fixedZones;
  bool zoneKnownAtStart = false;
  std::optional<int32_t> fileZone;
  // The boxes of the vertices converted (their numbers with the offset, and the results) and
  // the round trip of those sampled.
  Bounds3 inputBox, outputBox;
  RoundTripTally roundTrip;
};

// The one road of a batch of vertices of a run, one per thread: the prepared converter, a copy
// of the zones fixed when its block began, a first-use filter of the traces (FirstUse, as the
// run's state keeps it), and the round-trip sampler of the file. A batch goes through the
// lanes of its definition first (the definition chosen per vertex when there are several;
// Converter::convertInLanes), then each vertex the lanes left through the one-vertex
// conversion, in file order: the results, traces, zones fixed and failures are those of
// converting one vertex after the other.
//
// Each vertex's numbers enter the conversion here, with the converter's inputOffset() added
// (a production's <SRSOrigin>; nothing is added when it is zero): the conversions, the boxes and
// the round trip all see the offset numbers.
//
// In the zone mode a file is projected onto one zone: the zone of its first vertex converted;
// a vertex whose definition projects onto another zone fails, naming both codes.
class VertexBatch {
 public:
  VertexBatch(const Converter& converter, ConversionKind kind,
              const RoundTripSampling& sampling = {},
              LaneKernel kernel = laneKernel(laneCodeInUse()));

  // Before a block: the zones fixed so far and the file's zone, as the block must assume them.
  void begin(const ZoneCodes& zones, std::optional<int32_t> fileZone);
  // `count` vertices (in: x, y, z each, as read; out set to 0 by the caller): the number
  // converted from the first, all, up to the first that fails (its reason in `why`), or up to
  // and including the first not finite.
  std::size_t convertBatch(const double* in, double* out, std::size_t count, std::string& why);
  // After the block (also one that failed or stopped early): what the file order settles.
  BatchNotes end();

 private:
  // One vertex the lanes left (its numbers with the offset).
  bool convertOne(const double in[3], double out[3], std::string& why);
  // Takes a vertex converted with trace `trace` (recorded first): false (with the reason) when
  // it lies on another zone than the file's.
  bool accept(const double in[3], const double out[3], const ConversionTrace& trace,
              std::string* why);
  void traced(const ConversionTrace& trace);
  // The lanes' conversion of the batch into `out` and done_ (traces_ per vertex with several
  // definitions).
  void convertInLanes(const double* in, double* out, std::size_t count);

  const Converter& converter_;
  ConversionKind kind_;
  LaneKernel kernel_;
  Point3 offset_;
  bool offsetGiven_;
  ConverterScratch scratch_;
  RoundTripSampler sampler_;
  ZoneCodes zones_;
  std::vector<bool> fixedBefore_;
  FirstUse firstUse_;  // of this block
  BatchNotes notes_;
  // Scratch of a batch.
  std::vector<double> offsetIn_;
  std::vector<unsigned char> done_;
  std::vector<std::size_t> chosen_;
  std::vector<ConversionTrace> traces_;
  std::vector<std::size_t> present_, at_;
  std::vector<double> gatherIn_, gatherOut_;
  std::vector<unsigned char> gatherDone_;
};
