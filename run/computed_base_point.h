#pragma once

#include <optional>
#include <string>
#include <vector>

#include "coordinfo/bounds3.h"
#include "coordinfo/enu_origin.h"
#include "obj/progress_sink.h"
#include "obj/vertex_bounds.h"
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
// The base point of `bounds` (of the numbers as read; a scan's failure becomes the run's),
// the one step from bounds to the base point that a run over all the inputs (-baseonly=1 too)
// and a merge of the bounds of its parts (-mergebounds) share, so that both give the same
// bits. The box is moved by the converter's inputOffset() (a production's <SRSOrigin>).
ComputedBasePoint basePointFromBounds(const VertexBounds& bounds, const Converter& converter,
                                      RunState& state);

// The failure of a scan that stopped (openObj, vertexLine, naming the file and line); none for
// one that read every file.
std::optional<RunFailure> scanFailure(const VertexBounds& bounds);

// The bounds of every vertex of `files`, as read; `threads` > 1 reads each file in blocks on
// that many threads (same bounds to the bit). `progress` (when not null) is told of each file,
// in file order, from the calling thread.
VertexBounds scanBatchBounds(const std::vector<std::string>& files, unsigned threads,
                             FileProgress* progress = nullptr);

// The box of numbers as read, moved by the converter's inputOffset().
Bounds3 offsetBox(const Bounds3& read, const Converter& converter);
// The base point of a box of the offset numbers (not empty): its centre's geodetic position.
ComputedBasePoint basePointOfBox(const Bounds3& box, const Converter& converter,
                                 RunState& state);
