#include "coordinfo/coord_translate_info.h"
#include "pipeline/pipeline_cache.h"

// ENU about the info's origin -> project frame, choosing against the ENU boundaries;
// `current` is neither read nor written. A "Control points" definition applies its
// ENU-to-project parameter set (args, src, tar), a "Custom Gauss" one runs its projection
// chain backwards, and any other type converts nothing.
bool CoordTranslateInfo::enuToProject(const Point3& in, Point3& out) {
  const std::optional<std::size_t> chosen = chooseDefinition(*this, in, BoundaryFrame::enu);
  if (!chosen) return false;
  const ProjectDefinition& definition = projects[*chosen];
  if (!definition.isControlPoints() && !definition.isCustomGauss()) return false;
  PipelineCache& cache = preparedCacheOf(*this);
  if (definition.isControlPoints()) {
    const std::optional<ControlApplier>& applier =
        controlApplierOf(*this, cache, *chosen, ControlDirection::enuToProject);
    if (!applier) return false;
    out = applier->apply(in);
    return true;
  }
  if (definition.origin == nullptr) return false;
  return definitionChainOf(*this, cache, *chosen).fromEnu(in, out);
}
