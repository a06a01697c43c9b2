#pragma once

#include <cstddef>
#include <vector>

#include "obj/vertex_conversion.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "pipeline/lane_code.h"
#include "pipeline/zone_codes.h"

// Converts the vertices of a batch: first in lanes (Converter::convertInLanes), then each
// vertex the lanes left through `single`, the one-vertex conversion of the caller with all it
// does besides (what a run records and prints, the zone it fixes), in file order. A vertex
// converted in lanes is one whose one-vertex conversion would succeed without recording,
// printing or fixing anything, so the run's state and output are those of converting one
// vertex after the other; `accepted(in, out)` is called for each of them, for what `single`
// does with a converted vertex (e.g. grow a bounding box).
class LaneBatch {
 public:
  LaneBatch(const Converter& converter, ConversionKind kind,
            LaneKernel kernel = laneKernel(laneCodeInUse()))
      : converter_(converter), kind_(kind), kernel_(kernel) {}

  // The number of vertices converted, from the first, as VertexConversion's batch counts
  // them: `count`, the index of the first that failed, or one past the first not finite.
  // out is set to 0 by the caller.
  template <class Single, class Accepted>
  std::size_t convert(const ZoneCodes& zones, const double* in, double* out, std::size_t count,
                      Single&& single, Accepted&& accepted) {
    done_.resize(count);
    converter_.convertInLanes(kernel_, kind_, zones, in, out, done_.data(), count);
    for (std::size_t i = 0; i < count; ++i) {
      if (done_[i] != 0) {
        accepted(in + 3 * i, out + 3 * i);
      } else if (!single(in + 3 * i, out + 3 * i)) {
        return i;
      } else if (!finiteVertex(out + 3 * i)) {
        return i + 1;  // the rewriting stops at it
      }
    }
    return count;
  }

 private:
  const Converter& converter_;
  ConversionKind kind_;
  LaneKernel kernel_;
  std::vector<unsigned char> done_;
};
