#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
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
// does with a converted vertex (e.g. grow a bounding box), and returns whether it takes it (a
// vertex refused goes through `single`).
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
    return settle(in, out, count, single, accepted);
  }

  // The same with several definitions: each vertex's definition chosen first (its trace kept
  // for `accepted(in, out, trace)`), then the vertices of each definition in lanes together.
  // A vertex whose definition is not chosen goes through `single`, which chooses again.
  template <class Single, class Accepted>
  std::size_t convertByDefinition(ConverterScratch& scratch, const ZoneCodes& zones,
                                  const double* in, double* out, std::size_t count,
                                  Single&& single, Accepted&& accepted) {
    const std::size_t definitions = converter_.definitionCount();
    chosen_.assign(count, definitions);  // `definitions`: none chosen
    traces_.resize(count);
    present_.clear();  // the definitions chosen in this batch, usually one or two
    for (std::size_t i = 0; i < count; ++i) {
      const Point3 p{in[3 * i], in[3 * i + 1], in[3 * i + 2]};
      if (const std::optional<std::size_t> c = converter_.chooseFor(kind_, p, scratch)) {
        chosen_[i] = *c;
        if (std::find(present_.begin(), present_.end(), *c) == present_.end()) {
          present_.push_back(*c);
        }
      }
      traces_[i] = scratch.trace();
    }
    done_.assign(count, 0);
    for (const std::size_t d : present_) {
      gatherIn_.clear();
      at_.clear();
      for (std::size_t i = 0; i < count; ++i) {
        if (chosen_[i] != d) continue;
        gatherIn_.insert(gatherIn_.end(), in + 3 * i, in + 3 * i + 3);
        at_.push_back(i);
      }
      if (at_.empty()) continue;
      gatherOut_.assign(gatherIn_.size(), 0.0);
      gatherDone_.resize(at_.size());
      converter_.convertInLanes(kernel_, kind_, zones, d, gatherIn_.data(), gatherOut_.data(),
                                gatherDone_.data(), at_.size());
      for (std::size_t k = 0; k < at_.size(); ++k) {
        if (gatherDone_[k] == 0) continue;
        std::copy_n(&gatherOut_[3 * k], 3, out + 3 * at_[k]);
        done_[at_[k]] = 1;
      }
    }
    return settle(in, out, count, single, [&](const double* one, const double* result) {
      const std::size_t i = static_cast<std::size_t>(one - in) / 3;
      return accepted(one, result, traces_[i]);
    });
  }

 private:
  // In file order: each vertex the lanes converted is accepted (`accepted` may refuse it: it
  // then goes through `single` as the others do).
  template <class Single, class Accepted>
  std::size_t settle(const double* in, double* out, std::size_t count, Single& single,
                     Accepted&& accepted) {
    for (std::size_t i = 0; i < count; ++i) {
      if (done_[i] != 0 && accepted(in + 3 * i, out + 3 * i)) continue;
      if (!single(in + 3 * i, out + 3 * i)) {
        return i;
      } else if (!finiteVertex(out + 3 * i)) {
        return i + 1;  // the rewriting stops at it
      }
    }
    return count;
  }

  const Converter& converter_;
  ConversionKind kind_;
  LaneKernel kernel_;
  std::vector<unsigned char> done_;
  std::vector<std::size_t> chosen_;        // per vertex of a batch: its definition
  std::vector<std::size_t> present_;       // the definitions chosen in the batch
  std::vector<ConversionTrace> traces_;    // per vertex: the trace of its choice
  std::vector<double> gatherIn_, gatherOut_;  // the vertices of one definition
  std::vector<unsigned char> gatherDone_;
  std::vector<std::size_t> at_;            // their places in the batch
};
