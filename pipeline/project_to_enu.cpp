#include <cmath>

#include "coordinfo/coord_translate_info.h"
#include "pipeline/pipeline_cache.h"

// Project frame -> ENU about the info's origin. The chosen definition becomes `current`
// before the conversion (the zone projection reads it right after), even when the conversion
// then fails. A "Control points" definition applies its project-to-ENU parameter set
// (inv_args, inv_src, inv_tar), which gives ENU in the frame it was fitted in, then changes
// that frame to the origin's when they differ; every other type runs its projection chain.
bool CoordTranslateInfo::projectToEnu(const Point3& in, Point3& out) {
  lastFailure.clear();
  const std::optional<std::size_t> chosen = chooseDefinition(*this, in, BoundaryFrame::project);
  if (!chosen) return false;
  current = *chosen;
  PipelineCache& cache = preparedCacheOf(*this);
  const ProjectDefinition& definition = projects[*chosen];
  if (definition.isControlPoints()) {
    const std::optional<ControlApplier>& applier =
        controlApplierOf(*this, cache, *chosen, ControlDirection::projectToEnu);
    if (!applier) {
      lastFailure = "the control-point fit of definition \"" + definition.projectid + "\" failed";
      return false;
    }
    Point3 enu = applier->apply(in);
    if (const std::optional<EnuFrameShift>& shift = controlShiftOf(*this, cache, *chosen)) {
      enu = shift->forward(enu);
    }
    if (!std::isfinite(enu.x) || !std::isfinite(enu.y) || !std::isfinite(enu.z)) {
      lastFailure = "the result is not finite";
      return false;
    }
    out = enu;
    return true;
  }
  // A definition without an origin has no ENU frame to convert into.
  if (definition.origin == nullptr) return false;
  return definitionChainOf(*this, cache, *chosen).toEnu(in, out, &lastFailure);
}
