#include "pipeline/prepare_boundary.h"

#include "geodesy/control_fit.h"
#include "geodesy/enu_frame.h"

std::vector<Point3> boundaryAbout(const std::vector<Point3>& boundary, const EnuOrigin& origin) {
  const EnuFrame frame(origin);
  std::vector<Point3> enu;
  enu.reserve(boundary.size());
  for (const Point3& p : boundary) enu.push_back(frame.ecefToEnu(frame.geodeticToEcef(p)));
  return enu;
}

BoundaryFit fitBoundary(const ProjectDefinition& definition) {
  const ControlFitResult fit = fitControlTransform(definition.srcpointsenu, definition.despoints);
  BoundaryFit result;
  if (fit.ok) {
    // Plain copies of the fitted values: ControlApplier::apply is the arithmetic of
    // applyControlTransform, so the bits are those of the fit's own matrices.
    std::array<double, 7> args{};
    std::array<double, 3> source{}, target{};
    for (Eigen::Index i = 0; i < 7; ++i) args[static_cast<std::size_t>(i)] = fit.fit.args(i);
    for (Eigen::Index i = 0; i < 3; ++i) {
      source[static_cast<std::size_t>(i)] = fit.fit.sourceCentroid(i);
      target[static_cast<std::size_t>(i)] = fit.fit.targetCentroid(i);
    }
    result.applier.emplace(args, source, target);
  }
  result.out = fit.console.out;
  result.err = fit.console.err;
  return result;
}

namespace {

// The project ring of a "Control points" definition: the boundary in the frame the
// definition was fitted in, through its ENU-to-project parameters.
void prepareControlRing(const ProjectDefinition& definition, const BoundaryFit* fit,
                        PreparedBoundary& prepared) {
  const std::vector<Point3> fitted =
      definition.fittedFrame ? boundaryAbout(definition.boundary, *definition.fittedFrame)
                             : prepared.enu;
  if (!definition.srcpointsenu.empty()) {
    prepared.fitFailed = !fit->applier;
    if (prepared.fitFailed) prepared.projectFailure = "its control-point fit failed";
    for (const Point3& e : fitted) {
      prepared.project.push_back(fit->applier ? fit->applier->apply(e) : Point3{});
    }
    return;
  }
  if (!definition.transform || definition.transform->argsFailed) {
    prepared.projectFailure = definition.transform
                                  ? "its control-point fit failed"
                                  : "it has neither source points nor a stored transform";
    prepared.project.assign(fitted.size(), Point3{});
    return;
  }
  const ControlApplier toProject =
      ControlApplier::of(*definition.transform, ControlDirection::enuToProject);
  for (const Point3& e : fitted) prepared.project.push_back(toProject.apply(e));
}

}  // namespace

PreparedBoundary prepareBoundary(const ProjectDefinition& definition, const EnuOrigin& origin,
                                 const BoundaryFit* fit, const DefinitionChain* chain) {
  PreparedBoundary prepared;
  prepared.projectid = definition.projectid;
  prepared.pointCount = definition.boundary.size();
  if (definition.boundary.empty()) return prepared;
  prepared.enu = boundaryAbout(definition.boundary, origin);
  prepared.project.reserve(prepared.pointCount);
  if (!definition.isDefined()) {
    // No frame to place it in: like the ring of a failed fit.
    prepared.projectFailure = "it defines nothing: " + definition.undefinedReason;
    prepared.project.assign(prepared.pointCount, Point3{});
    return prepared;
  }
  if (definition.isControlPoints()) {
    prepareControlRing(definition, fit, prepared);
    return prepared;
  }
  for (std::size_t k = 0; k < prepared.pointCount; ++k) {
    Point3 q;
    std::string why;
    if (!chain->fromEnu(prepared.enu[k], q, &why)) {
      q = Point3{};
      if (prepared.projectFailure.empty()) {
        prepared.projectFailure =
            "boundary point " + std::to_string(k + 1) + " cannot be converted: " + why;
      }
    }
    prepared.project.push_back(q);
  }
  return prepared;
}
