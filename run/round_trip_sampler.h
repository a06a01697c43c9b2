#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geodesy/gauss_kruger.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "pipeline/lane_code.h"
#include "pipeline/round_trip_tally.h"

// The inverse of a run's conversion, applied to results as they were written.
class WayBack {
 public:
  virtual ~WayBack() = default;
  // back[3i..3i+2] = the way back of written[3i..3i+2], converted through definition
  // definitions[i] (and in the zone mode onto `zone`); ok[i] = 0 where it failed.
  virtual void convert(const double* written, const std::uint32_t* definitions,
                       const GaussKrugerProjection* zone, double* back, unsigned char* ok,
                       std::size_t count) const = 0;
};

// Converter::convertBack for a run of `kind`, in lanes where the converter takes them (with
// the bits of one point at a time). Only read: many threads may share one.
class ConverterWayBack : public WayBack {
 public:
  ConverterWayBack(const Converter& converter, ConversionKind kind,
                   LaneKernel kernel = laneKernel(laneCodeInUse()))
      : converter_(converter), kind_(kind), kernel_(kernel) {}
  void convert(const double* written, const std::uint32_t* definitions,
               const GaussKrugerProjection* zone, double* back, unsigned char* ok,
               std::size_t count) const override;

 private:
  const Converter& converter_;
  ConversionKind kind_;
  LaneKernel kernel_;
};

// How a file's round trip is measured: through `wayBack` (null: not at all), one vertex in
// `stride` (sampleStride; at least 1).
struct RoundTripSampling {
  const WayBack* wayBack = nullptr;
  double stride = 1.0;
};

// The stride for a file of `bytes` bytes, known before it is read: 1 (every vertex) up to
// kSampleVertices · kBytesPerVertex bytes (15 MB), then bytes / (kSampleVertices ·
// kBytesPerVertex), so that a file of at most kBytesPerVertex bytes a vertex (a `v` line of
// six-decimal numbers with a `vt` line and two faces takes about 150, as the bench tile)
// has about kSampleVertices of its vertices sampled, or more.
inline constexpr double kSampleVertices = 100000;
inline constexpr double kBytesPerVertex = 150;
double sampleStride(std::uint64_t bytes);

// One thread's sample of the vertices it converts: a vertex is taken when a hash of the bits
// of its three input numbers falls in the first 1/stride of its range, so the same vertices
// are taken whatever the thread, block or lane that converts them. Taken vertices wait in a
// batch; each batch goes through the way back at once and into the tally.
class RoundTripSampler {
 public:
  explicit RoundTripSampler(const RoundTripSampling& sampling);

  // Whether vertex `input` is one of the sample: a few integer operations.
  bool wanted(const double input[3]) const {
    if (wayBack_ == nullptr) return false;
    // Each number's bits times an odd constant, mixed as SplitMix64's finaliser does.
    std::uint64_t h = std::bit_cast<std::uint64_t>(input[0]) * 0x9E3779B97F4A7C15u ^
                      std::bit_cast<std::uint64_t>(input[1]) * 0xC2B2AE3D27D4EB4Fu ^
                      std::bit_cast<std::uint64_t>(input[2]) * 0x165667B19E3779F9u;
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9u;
    h ^= h >> 27;
    return h <= threshold_;
  }
  // A vertex of the sample, read as `input`, converted to `result` through definition
  // `definition` (on zone `zoneCode` in the zone mode): compared as the text written reads
  // back (six decimals).
  void add(const double input[3], const double result[3], std::size_t definition,
           std::optional<int32_t> zoneCode);
  // The tally of the vertices added since the last take (none waits afterwards).
  RoundTripTally take();

 private:
  static constexpr std::size_t kBatch = 256;
  void flush();

  const WayBack* wayBack_;
  std::uint64_t threshold_;  // a vertex is taken when its hash is at most this
  std::vector<double> input_, written_, back_;
  std::vector<std::uint32_t> definitions_;
  std::vector<unsigned char> ok_;
  std::optional<int32_t> zoneCode_;  // of the waiting vertices
  std::optional<int32_t> projectionCode_;
  std::optional<GaussKrugerProjection> projection_;  // of projectionCode_
  RoundTripTally tally_;
};

// The warning of a file whose round trip exceeds `limitMm`: one line with its path, what was
// measured and the limit.
std::string roundTripWarning(const std::string& path, const RoundTripTally& tally,
                             double limitMm);
