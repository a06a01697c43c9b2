#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "pipeline/converter.h"

// What of a converter a run needs for the first time, told by the traces of its conversions in
// file order: the boundaries a selection looks at (always definitions [0, reached): a
// selection visits them in order) and the control-point transforms used. The run prints the
// fits of each the first time (RunState); a block converted ahead keeps just the traces that
// are new within it, for the run to replay in file order.
class FirstUse {
 public:
  explicit FirstUse(std::size_t definitionCount) : transformUsed_(definitionCount, false) {}

  struct News {
    std::size_t boundariesFrom = 0, boundariesTo = 0;  // [from, to) looked at for the first time
    std::optional<std::size_t> transform;              // used for the first time
    bool any() const { return boundariesTo > boundariesFrom || transform.has_value(); }
  };
  // Takes `trace` in: what it needed for the first time.
  News take(const ConversionTrace& trace) {
    News news;
    if (trace.boundariesReached > reached_) {
      news.boundariesFrom = reached_;
      news.boundariesTo = std::min(trace.boundariesReached, transformUsed_.size());
      reached_ = trace.boundariesReached;
    }
    if (trace.controlTransformUsed && trace.chosen && *trace.chosen < transformUsed_.size() &&
        !transformUsed_[*trace.chosen]) {
      transformUsed_[*trace.chosen] = true;
      news.transform = *trace.chosen;
    }
    return news;
  }

  bool boundarySeen(std::size_t index) const { return index < reached_; }

 private:
  std::size_t reached_ = 0;
  std::vector<bool> transformUsed_;
};
