#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"
#include "coordinfo/projectinfo.h"
#include "coordinfo/transform_info.h"

// One project definition of a coordinate translation info: either a projected frame
// ("Custom Gauss": Gauss-Krüger parameters in `info` with optional corrections) or a frame
// tied to control points ("Control points": point pairs and a seven-parameter transform).
//
// `origin` is not owned: every definition of one CoordTranslateInfo refers to that info's
// EnuOrigin, and a copy refers to the same record, so a write to the record (a "basepoint",
// the base point the driver computes) is seen through every definition.
struct ProjectDefinition {
  std::string projectid;
  std::string type;
  std::vector<Point3> srcpoints;     // control points: lon (degree), lat (degree), h (m)
  std::vector<Point3> srcpointsenu;  // srcpoints in ENU about the origin (m)
  std::vector<Point3> despoints;     // control points in project coordinates (m)
  std::vector<Point3> boundary;      // polygon: lon (degree), lat (degree), 0
  std::vector<Point3> boundaryproj;  // boundary in project coordinates (cache)
  std::vector<Point3> boundaryenu;   // boundary in ENU (cache)
  std::optional<TransformInfo> transform;
  // The ENU frame srcpointsenu and the transform are in: the centre of the source points
  // (height 0) on the ellipsoid of the origin they were converted on. Absent (no source
  // points): the transform relates the project frame to the ENU frame of the run's origin.
  std::optional<EnuOrigin> fittedFrame;
  projectinfo info;
  EnuOrigin* origin = nullptr;
  int32_t zonecode = -1;  // 3-degree zone code; -1: none yet
  // Set when the boundary of a "Control points" definition could not be converted because
  // its fit failed: the definition then has no usable polygon.
  bool boundaryFitFailed = false;
  // Why `boundaryproj` is not a polygon of this definition (its fit failed, or a boundary
  // point could not be converted into its project frame); empty when it is. A selection in the
  // project frame that would have to measure against such a polygon fails instead of passing
  // the definition over.
  std::string boundaryprojFailure;
  // The origin `boundaryenu` is about (it is rebuilt when the origin moves).
  std::optional<EnuOrigin> boundaryenuOrigin;

  bool isControlPoints() const { return type == "Control points"; }
  bool isCustomGauss() const { return type == "Custom Gauss"; }

  // Project frame -> ENU about *origin through this definition's `info` (any type).
  // Returns false, leaving `out` untouched, when there is no origin or a step fails.
  // `why` (when not null) receives the reason of a failure.
  [[nodiscard]] bool definitionToEnu(const Point3& in, Point3& out,
                                     std::string* why = nullptr) const;
  // ENU about *origin -> project frame; the reverse chain.
  [[nodiscard]] bool definitionFromEnu(const Point3& in, Point3& out,
                                       std::string* why = nullptr) const;
};
