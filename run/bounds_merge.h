#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "obj/vertex_bounds.h"
#include "run/run_failure.h"

// The bounds of every vertex of a batch from the parts its processes wrote with -boundsonly
// (see bounds_part.h): min and max of the parts' bounds, which are those of one scan of all
// their inputs to the bit, and their vertex count. Refused (mergeboundsSet, nothing merged)
// when a part cannot be read or is not a bounds file, was scanned with a coordinate file whose
// SHA-256 is not `coordinateFileSha256`, in another mode than `mode`, or with another
// metadata offset than the others; when parts of a sharded batch (-shard) are mixed with
// other parts or with parts of another batch, a part is given twice, or one is missing; and
// when two parts without -shard hold the bounds of the same inputs.
struct MergedBounds {
  std::optional<RunFailure> failure;
  VertexBounds bounds;
  // The metadata offset the parts were scanned with (the same for all), when they had one.
  std::optional<std::array<double, 3>> srsOrigin;
};
MergedBounds mergeBoundsParts(const std::vector<std::string>& paths,
                              const std::string& coordinateFileSha256, const std::string& mode);
