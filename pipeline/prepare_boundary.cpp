#include "pipeline/prepare_boundary.h"

#include <cstddef>
#include <string>

#include "geodesy/control_fit.h"
#include "geodesy/control_transform.h"
#include "geodesy/enu_frame.h"
#include "geodesy/enu_frame_shift.h"

namespace {

std::vector<Point3> boundaryAbout(const std::vector<Point3>& boundary, const EnuOrigin& origin) {
  const EnuFrame frame(origin);
  std::vector<Point3> enu;
  enu.reserve(boundary.size());
  for (const Point3& p : boundary) enu.push_back(frame.ecefToEnu(frame.geodeticToEcef(p)));
  return enu;
}

// The project polygon of a "Control points" definition: the boundary in the frame the
// definition was fitted in, through its ENU-to-project parameters.
void prepareControlPolygon(ProjectDefinition& definition, std::ostream& out, std::ostream& err) {
  const std::vector<Point3> fitted =
      definition.fittedFrame ? boundaryAbout(definition.boundary, *definition.fittedFrame)
                             : definition.boundaryenu;
  if (!definition.srcpointsenu.empty()) {
    const ControlFitResult fit =
        fitControlTransform(definition.srcpointsenu, definition.despoints, out, err);
    definition.boundaryFitFailed = !fit.ok;
    if (!fit.ok) definition.boundaryprojFailure = "its control-point fit failed";
    for (const Point3& e : fitted) {
      definition.boundaryproj.push_back(
          fit.ok ? applyControlTransform(e, fit.fit.args, fit.fit.sourceCentroid,
                                         fit.fit.targetCentroid)
                 : Point3{});
    }
    return;
  }
  if (!definition.transform || definition.transform->argsFailed) {
    definition.boundaryprojFailure =
        definition.transform ? "its control-point fit failed"
                             : "it has neither source points nor a stored transform";
    definition.boundaryproj.assign(fitted.size(), Point3{});
    return;
  }
  const ControlApplier toProject =
      ControlApplier::of(*definition.transform, ControlDirection::enuToProject);
  for (const Point3& e : fitted) definition.boundaryproj.push_back(toProject.apply(e));
}

}  // namespace

void prepareBoundary(ProjectDefinition& definition) {
  prepareBoundary(definition, std::cout, std::cerr);
}

void prepareBoundary(ProjectDefinition& definition, std::ostream& out, std::ostream& err) {
  if (definition.boundary.empty()) return;
  const std::size_t count = definition.boundary.size();
  if (definition.origin == nullptr) {
    // Lists made by someone else stay; nothing can be made without an origin.
    if (definition.boundaryproj.size() == count && definition.boundaryenu.size() == count) return;
    definition.boundaryproj.clear();
    definition.boundaryenu.clear();
    definition.boundaryenuOrigin.reset();
    return;
  }
  const bool enuReady = definition.boundaryenu.size() == count && definition.boundaryenuOrigin &&
                        sameEnuFrame(*definition.boundaryenuOrigin, *definition.origin);
  if (!enuReady) {
    definition.boundaryenu = boundaryAbout(definition.boundary, *definition.origin);
    definition.boundaryenuOrigin = *definition.origin;
  }
  if (definition.boundaryproj.size() == count) return;  // prepared

  definition.boundaryproj.clear();
  definition.boundaryproj.reserve(count);
  definition.boundaryFitFailed = false;
  definition.boundaryprojFailure.clear();
  if (definition.isControlPoints()) {
    prepareControlPolygon(definition, out, err);
    return;
  }
  for (std::size_t k = 0; k < count; ++k) {
    Point3 q;
    std::string why;
    if (!definition.definitionFromEnu(definition.boundaryenu[k], q, &why)) {
      q = Point3{};
      if (definition.boundaryprojFailure.empty()) {
        definition.boundaryprojFailure =
            "boundary point " + std::to_string(k + 1) + " cannot be converted: " + why;
      }
    }
    definition.boundaryproj.push_back(q);
  }
}
