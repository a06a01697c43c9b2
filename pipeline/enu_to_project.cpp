#include <cmath>

#include "coordinfo/coord_translate_info.h"
#include "pipeline/pipeline_cache.h"

// ENU about the info's origin -> project frame, choosing against the ENU boundaries;
// `current` is neither read nor written. A "Control points" definition first takes the point
// into the frame it was fitted in (when that differs from the origin's), then applies its
// ENU-to-project parameter set (args, src, tar); a "Custom Gauss" one runs its projection
// chain backwards, and any other type converts nothing.
bool CoordTranslateInfo::enuToProject(const Point3& in, Point3& out) {
  lastFailure.clear();
  const std::optional<std::size_t> chosen = chooseDefinition(*this, in, BoundaryFrame::enu);
  if (!chosen) return false;
  const ProjectDefinition& definition = projects[*chosen];
  if (!definition.isControlPoints() && !definition.isCustomGauss()) {
    lastFailure = "definition \"" + definition.projectid + "\" of type \"" + definition.type +
                  "\" cannot convert ENU to the project frame";
    return false;
  }
  PipelineCache& cache = preparedCacheOf(*this);
  if (definition.isControlPoints()) {
    const std::optional<ControlApplier>& applier =
        controlApplierOf(*this, cache, *chosen, ControlDirection::enuToProject);
    if (!applier) {
      lastFailure = "the control-point fit of definition \"" + definition.projectid + "\" failed";
      return false;
    }
    const std::optional<EnuFrameShift>& shift = controlShiftOf(*this, cache, *chosen);
    const Point3 project = applier->apply(shift ? shift->inverse(in) : in);
    if (!std::isfinite(project.x) || !std::isfinite(project.y) || !std::isfinite(project.z)) {
      lastFailure = "the result is not finite";
      return false;
    }
    out = project;
    return true;
  }
  if (definition.origin == nullptr) return false;
  return definitionChainOf(*this, cache, *chosen).fromEnu(in, out, &lastFailure);
}
