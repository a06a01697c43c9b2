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
  std::optional<TransformInfo> transform;
  // The ENU frame srcpointsenu and the transform are in: the centre of the source points
  // (height 0) on the ellipsoid of the origin they were converted on. Absent (no source
  // points): the transform relates the project frame to the ENU frame of the run's origin.
  std::optional<EnuOrigin> fittedFrame;
  projectinfo info;
  EnuOrigin* origin = nullptr;
  // 3-degree zone code as parsed (a "Custom Gauss" definition's central meridian); -1: none,
  // the zone of the first point converted through it is taken (pipeline/zone_codes.h; the zones themselves: geodesy/zone.h).
  int32_t zonecode = -1;
  // Why the definition defines no frame: its "type" is none the program knows, or it has no
  // "define" (e.g. `no "define"`). Empty when it defines one. A vertex converted through an
  // undefined definition fails; its boundary still takes part in the choice of definition.
  std::string undefinedReason;

  bool isControlPoints() const { return type == "Control points"; }
  bool isCustomGauss() const { return type == "Custom Gauss"; }
  bool isDefined() const { return undefinedReason.empty(); }
};
