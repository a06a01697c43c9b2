#include <memory>

#include "coordinfo/coord_translate_info.h"
#include "pipeline/boundary_selector.h"
#include "pipeline/pipeline_cache.h"

std::optional<std::size_t> CoordTranslateInfo::selectDefinition(const Point3& p,
                                                                BoundaryFrame frame) {
  if (projects.empty()) return std::nullopt;
  // A single definition converts every point; its boundary is never looked at.
  if (projects.size() == 1) return std::size_t{0};
  PipelineCache& cache = pipelineCacheOf(*this);
  if (!cache.boundarySelector || !cache.boundarySelector->validFor(*this)) {
    cache.boundarySelector = std::make_unique<BoundarySelector>(projects.size());
  }
  return cache.boundarySelector->select(*this, p, frame);
}
