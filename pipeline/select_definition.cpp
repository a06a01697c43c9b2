#include <memory>

#include "coordinfo/coord_translate_info.h"
#include "geodesy/enu_frame_shift.h"
#include "pipeline/boundary_selector.h"
#include "pipeline/pipeline_cache.h"

std::optional<std::size_t> CoordTranslateInfo::selectDefinition(const Point3& p,
                                                                BoundaryFrame frame) {
  if (projects.empty()) return std::nullopt;
  // A single definition converts every point; its boundary is never looked at.
  if (projects.size() == 1) return std::size_t{0};
  PipelineCache& cache = pipelineCacheOf(*this);
  // The ENU polygons are about the origin: a moved origin needs them anew.
  if (!cache.boundarySelector || !cache.boundarySelector->validFor(*this) ||
      (origin != nullptr && !sameEnuFrame(cache.selectorOrigin, *origin))) {
    cache.boundarySelector = std::make_unique<BoundarySelector>(projects.size());
    if (origin != nullptr) cache.selectorOrigin = *origin;
  }
  return cache.boundarySelector->select(*this, p, frame, &lastFailure);
}
