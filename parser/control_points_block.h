#pragma once

#include <vector>

#include "coordinfo/enu_origin.h"
#include "parser/json_object_reader.h"
#include "parser/parse_target.h"
#include "coordinfo/point3.h"
#include "coordinfo/project_definition.h"

// Reads the "define" object of a "Control points" definition: "despoints" (project x, y, z
// in m), "srcpoints" (lon°, lat°, ellipsoidal h m), "transform" (stored seven-parameter sets
// and centroids) and "basepoint". Flat number arrays hold three numbers per point; a member
// that is not an array (or a "transform" that is not an object) is ignored.
//
// Reading "srcpoints" moves the process-wide EnuOrigin (`target.processOrigin`) to the centre
// of all source points (height and spares 0, ellipsoid kept) and rebuilds `srcpointsenu`
// about it, whichever info is parsed; "basepoint" goes to the definition's own origin.
//
// Object document order: despoints; srcpoints, then `globalzonecode` from the source
// longitudes; "transform" when it is an object, otherwise the transform is estimated
// (fillTransformInfo, which prints the fit's lines); basepoint.
// Array document order: despoints; "transform" only when it is an object (otherwise none, it
// is estimated on first use); basepoint; srcpoints (no zone code).
//
// Fails on a number array with an element that is not a number, "srcpoints" empty,
// "srcpoints"/"despoints" not a multiple of 3, "args"/"inv_args" beyond 7 numbers, a centroid
// beyond 3, "basepoint" beyond 3, or source longitudes without a 32-bit zone code.
[[nodiscard]] bool readControlPointsDefine(const JsonObjectReader& define,
                                           ProjectDefinition& definition,
                                           ParseTarget& target);

// Centre of the bounding box of the source points: ((min + max) / 2 of longitude, of
// latitude), degree. `points` must not be empty.
Point3 sourcePointsCentre(const std::vector<Point3>& points);

// Longitude (degree) whose zone code is the process-wide zone of a Control points object
// document: (m + M) / 2 with m = min(200, smallest longitude), M = max(−200, largest); for
// longitudes within ±200 this is the centre longitude.
double sourcePointsZoneLongitude(const std::vector<Point3>& points);

// `srcpoints` converted geodetic -> Earth-centred -> ENU about `origin` (on its ellipsoid).
std::vector<Point3> sourcePointsToEnu(const std::vector<Point3>& srcpoints,
                                      const EnuOrigin& origin);
