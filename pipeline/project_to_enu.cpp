#include "coordinfo/coord_translate_info.h"
#include "pipeline/pipeline_cache.h"

// Project frame -> ENU about the info's origin. The chosen definition becomes `current`
// before the conversion (the zone projection reads it right after), even when the conversion
// then fails. A "Control points" definition applies its project-to-ENU parameter set
// (inv_args, inv_src, inv_tar); every other type runs its projection chain.
bool CoordTranslateInfo::projectToEnu(const Point3& in, Point3& out) {
  const std::optional<std::size_t> chosen = chooseDefinition(*this, in, BoundaryFrame::project);
  if (!chosen) return false;
  current = *chosen;
  PipelineCache& cache = preparedCacheOf(*this);
  if (projects[*chosen].isControlPoints()) {
    const std::optional<ControlApplier>& applier =
        controlApplierOf(*this, cache, *chosen, ControlDirection::projectToEnu);
    if (!applier) return false;
    out = applier->apply(in);
    return true;
  }
  // A definition without an origin has no ENU frame to convert into.
  if (projects[*chosen].origin == nullptr) return false;
  return definitionChainOf(*this, cache, *chosen).toEnu(in, out);
}
