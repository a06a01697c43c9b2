#include "run/round_trip_sampler.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "geodesy/zone.h"
#include "platform/number_text.h"

void ConverterWayBack::convert(const double* written, const std::uint32_t* definitions,
                               const GaussKrugerProjection* zone, double* back,
                               unsigned char* ok, std::size_t count) const {
  converter_.convertBackInLanes(kernel_, kind_, zone, written, back, ok, count);
  for (std::size_t i = 0; i < count; ++i) {
    if (ok[i] != 0) continue;
    const double* w = written + 3 * i;
    Point3 result{};
    ok[i] = converter_.convertBack(kind_, definitions[i], zone, Point3{w[0], w[1], w[2]}, result)
                ? 1
                : 0;
    back[3 * i] = result.x;
    back[3 * i + 1] = result.y;
    back[3 * i + 2] = result.z;
  }
}

double sampleStride(std::uint64_t bytes) {
  return std::max(1.0, static_cast<double>(bytes) / (kSampleVertices * kBytesPerVertex));
}

RoundTripSampler::RoundTripSampler(const RoundTripSampling& sampling)
    : wayBack_(sampling.wayBack),
      // 2^64 / stride, below 2^64 for a stride above 1.
      threshold_(!(sampling.stride > 1.0)
                     ? std::numeric_limits<std::uint64_t>::max()
                     : static_cast<std::uint64_t>(0x1p64 / sampling.stride)) {}

void RoundTripSampler::add(const double input[3], const double result[3],
                           std::size_t definition, std::optional<int32_t> zoneCode) {
  if (wayBack_ == nullptr) return;
  if (zoneCode != zoneCode_) {
    flush();
    zoneCode_ = zoneCode;
  }
  input_.insert(input_.end(), input, input + 3);
  for (int k = 0; k < 3; ++k) written_.push_back(writtenFixed6(result[k]));
  definitions_.push_back(static_cast<std::uint32_t>(definition));
  if (definitions_.size() >= kBatch) flush();
}

void RoundTripSampler::flush() {
  const std::size_t count = definitions_.size();
  if (count == 0) return;
  if (zoneCode_ && zoneCode_ != projectionCode_) {
    projection_.emplace(zoneProjection(*zoneCode_));
    projectionCode_ = zoneCode_;
  }
  back_.assign(3 * count, 0.0);
  ok_.assign(count, 0);
  wayBack_->convert(written_.data(), definitions_.data(), zoneCode_ ? &*projection_ : nullptr,
                    back_.data(), ok_.data(), count);
  for (std::size_t i = 0; i < count; ++i) {
    if (ok_[i] != 0) {
      tally_.add(&input_[3 * i], &back_[3 * i]);
    } else {
      tally_.addFailed();
    }
  }
  input_.clear();
  written_.clear();
  definitions_.clear();
}

RoundTripTally RoundTripSampler::take() {
  flush();
  RoundTripTally taken = tally_;
  tally_ = RoundTripTally{};
  return taken;
}

std::string roundTripWarning(const std::string& path, const RoundTripTally& tally,
                             double limitMm) {
  char text[200];
  if (tally.failed() > 0) {
    std::snprintf(text, sizeof text,
                  ": round trip failed for %llu of %llu sampled vertices (off the projection), "
                  "-maxclosure=%g mm",
                  static_cast<unsigned long long>(tally.failed()),
                  static_cast<unsigned long long>(tally.sampled()), limitMm);
  } else {
    std::snprintf(text, sizeof text,
                  ": round trip %.4f mm (horizontal %.4f, vertical %.4f) exceeds "
                  "-maxclosure=%g mm",
                  tally.worstMm(), tally.maxHorizontalMm(), tally.maxVerticalMm(), limitMm);
  }
  return path + text;
}
