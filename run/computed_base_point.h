#pragma once

#include <optional>
#include <string>
#include <vector>

#include "coordinfo/bounds3.h"
#include "coordinfo/enu_origin.h"
#include "obj/progress_sink.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"
#include "run/run_failure.h"

// Project -> ENU without a given origin: the ENU origin is the geodetic position of the centre
// of the bounding box of every vertex of `files`, whatever definition converts it. The centre
// is converted through `converter` (about the origin the coordinate file gave, or longitude 0,
// latitude 0): the position does not depend on that origin. The origin is that position
// rounded to the six decimals the base file holds.
struct ComputedBasePoint {
  std::optional<RunFailure> failure;  // an input unreadable, a bad vertex line, no position
  std::optional<EnuOrigin> origin;    // `converter`'s origin moved there; empty: no vertex
  std::vector<std::string> warnings;  // of the files read, e.g. one without any vertex line
};
// `threads` > 1 reads each file in blocks on that many threads (same bounds to the bit).
// The vertices' numbers are taken with the converter's inputOffset() added.
// `progress` (when not null) is told of each file, in file order, from the calling thread.
ComputedBasePoint computeBasePoint(const std::vector<std::string>& files, unsigned threads,
                                   const Converter& converter, RunState& state,
                                   FileProgress* progress = nullptr);

// The box of numbers as read, moved by the converter's inputOffset().
Bounds3 offsetBox(const Bounds3& read, const Converter& converter);
// The base point of a box of the offset numbers (not empty): its centre's geodetic position.
ComputedBasePoint basePointOfBox(const Bounds3& box, const Converter& converter,
                                 RunState& state);
