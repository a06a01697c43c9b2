#include "pipeline/prepare_boundary.h"

#include "coordinfo/control_points_block.h"
#include "geodesy/control_fit.h"
#include "geodesy/control_transform.h"
#include "geodesy/enu_frame.h"

namespace {

// The ENU frame the definition reads ENU points in. A control-point definition was fitted on
// its source points taken to ENU about their centre (height 0), and converts every ENU point
// as one of that frame, whatever the info's origin is now; its polygon must be in that frame
// too, or the selection would measure against a polygon somewhere else. Every other
// definition converts about its origin.
EnuOrigin boundaryEnuOrigin(const ProjectDefinition& definition) {
  EnuOrigin origin = *definition.origin;
  if (definition.isControlPoints() && !definition.srcpoints.empty()) {
    const Point3 centre = sourcePointsCentre(definition.srcpoints);
    origin.lon = centre.x;
    origin.lat = centre.y;
    origin.height = 0.0;
  }
  return origin;
}

}  // namespace

void prepareBoundary(ProjectDefinition& definition) {
  prepareBoundary(definition, std::cout, std::cerr);
}

void prepareBoundary(ProjectDefinition& definition, std::ostream& out, std::ostream& err) {
  if (definition.boundary.empty()) return;
  if (definition.boundaryproj.size() == definition.boundary.size()) return;  // prepared
  definition.boundaryproj.clear();
  definition.boundaryenu.clear();
  if (definition.origin == nullptr) return;

  const EnuFrame frame(boundaryEnuOrigin(definition));
  definition.boundaryenu.reserve(definition.boundary.size());
  for (const Point3& p : definition.boundary) {
    definition.boundaryenu.push_back(frame.ecefToEnu(frame.geodeticToEcef(p)));
  }

  definition.boundaryproj.reserve(definition.boundary.size());
  if (definition.isControlPoints()) {
    const ControlFitResult fit =
        fitControlTransform(definition.srcpointsenu, definition.despoints, out, err);
    definition.boundaryFitFailed = !fit.ok;
    for (const Point3& e : definition.boundaryenu) {
      definition.boundaryproj.push_back(
          fit.ok ? applyControlTransform(e, fit.fit.args, fit.fit.sourceCentroid,
                                         fit.fit.targetCentroid)
                 : Point3{});
    }
    return;
  }
  for (const Point3& e : definition.boundaryenu) {
    Point3 q;
    if (!definition.definitionFromEnu(e, q)) q = Point3{};
    definition.boundaryproj.push_back(q);
  }
}
