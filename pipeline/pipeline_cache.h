#pragma once

#include <memory>

#include "coordinfo/coord_translate_info.h"

class BoundarySelector;  // pipeline/boundary_selector.h

// Prepared state of the per-vertex conversions of one CoordTranslateInfo. Everything here is
// derived from the definitions and the origin; it is rebuilt when either changes, so a stale
// cache can never convert a point.
struct PipelineCache {
  // Filled in by the conversion pipelines and the boundary selection (each adds its members).

  // Boundary polygons of both frames and their GEOS context; rebuilt by selectDefinition when
  // the number of definitions changes.
  std::unique_ptr<BoundarySelector> boundarySelector;
};

// The cache of `info`, created on first use.
PipelineCache& pipelineCacheOf(CoordTranslateInfo& info);
