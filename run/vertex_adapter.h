#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/bounds3.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "pipeline/zone_codes.h"
#include "run/lane_batch.h"
#include "run/round_trip_sampler.h"

// The one adapter from a Converter to the OBJ rewriting, for one thread and for each worker of
// many: converts one vertex or a batch (in lanes where the run allows it, each vertex with the
// bits of the one-vertex conversion), grows the boxes of the vertices converted, and hands
// every conversion's trace to traced() (what the run prints the first time it is needed).
// Zones a first point fixes go into zones(). The vertices `sampling` picks are measured on
// their way back (RoundTripSampler), on whichever path converted them.
//
// Each vertex's numbers enter the conversion here, with the converter's inputOffset() added
// (a production's <SRSOrigin>; nothing is added when it is zero): the conversions, the boxes
// and the round trip all see the offset numbers.
//
// In the zone mode a file is projected onto one zone: the zone of its first vertex converted
// (fileZone()); a vertex whose definition projects onto another zone fails, naming both codes.
class VertexAdapter {
 public:
  VertexAdapter(const Converter& converter, ConversionKind kind,
                const RoundTripSampling& sampling = {})
      : converter_(converter), kind_(kind), lanes_(converter, kind), sampler_(sampling),
        offset_{converter.inputOffset().x, converter.inputOffset().y,
                converter.inputOffset().z},
        offsetGiven_(offset_[0] != 0.0 || offset_[1] != 0.0 || offset_[2] != 0.0) {}
  virtual ~VertexAdapter() = default;
  VertexAdapter(const VertexAdapter&) = delete;
  VertexAdapter& operator=(const VertexAdapter&) = delete;

  // One vertex (x, y, z in; out untouched on failure). False with the reason in `*why` (when
  // not null; empty when none is known).
  bool convert(const double in[3], double out[3], std::string* why);
  // `count` vertices: the number converted from the first, all, up to the first that fails
  // (its reason in `*why`), or up to and including the first not finite.
  std::size_t convertMany(const double* in, double* out, std::size_t count, std::string* why);

  // The round trip of the vertices sampled since the last take.
  RoundTripTally takeRoundTrip() { return sampler_.take(); }

  // The boxes of the input and output numbers of the vertices converted so far.
  Bounds3 inputBox, outputBox;

  // Zone mode: the zone code of the file's vertices so far (set before a block by the zone
  // earlier blocks found); empty before the first vertex.
  std::optional<int32_t> fileZone;

 protected:
  const Converter& converter() const { return converter_; }
  ConversionKind kind() const { return kind_; }
  virtual ZoneCodes& zones() = 0;
  virtual void traced(const ConversionTrace& trace) = 0;

 private:
  // Zone mode, after a conversion: its zone is the file's (taken as the file's when it is the
  // first); false with the reason otherwise.
  bool sameZoneAsFile(std::string* why);
  bool sameZoneAsFile(std::optional<std::size_t> chosen, std::string* why);
  // convert() of numbers the offset was added to.
  bool convertOffset(const double in[3], double out[3], std::string* why);

  const Converter& converter_;
  ConversionKind kind_;
  ConverterScratch scratch_;
  LaneBatch lanes_;
  RoundTripSampler sampler_;
  double offset_[3];
  bool offsetGiven_;
  std::vector<double> offsetBatch_;  // a batch's numbers with the offset added
};
