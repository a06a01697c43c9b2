#pragma once

#include <string>
#include <vector>

#include "coordinfo/enu_origin.h"
#include "coordinfo/project_definition.h"

// The ellipsoid the run's ENU frame is formed on (its Earth-centred form, and the latitude and
// longitude of its origin): the one the projected definitions' geodetic coordinates end on,
// so that a model keeps its scale. A "Custom Gauss" chain ends on its "ellipsoid" (with an
// ellipsoid change that applies, the projection runs on desellipsoid and the change brings the
// coordinates back to "ellipsoid"). Control-point definitions relate the project frame to ENU
// metres directly and end on no ellipsoid; undefined ones convert nothing: neither decides.
//
// - Every deciding definition on a 6378137 m axis (WGS84, CGCS2000), or none deciding: the
//   stored WGS84 frame of EnuOrigin, bit for bit as always (WGS84 and CGCS2000 differ in f
//   only: under 1 µm over 100 km).
// - All on one other ellipsoid (XIAN80, BJ54): that ellipsoid, b = a·(1 − f).
// - On ellipsoids of different axes: the stored WGS84 frame, and a warning per definition
//   not on a 6378137 m axis with its scale error, (6378137 − a)/a in ppm (BJ54: −16.9 ppm,
//   XIAN80: −0.47 ppm; a distance of 1 km comes out 16.9 mm short on BJ54).
struct EnuFrameEllipsoid {
  double a = EnuOrigin{}.a;  // m
  double b = EnuOrigin{}.b;  // m
  double f = EnuOrigin{}.f;
  std::string name = "WGS84";  // as the README and the report say it
  std::vector<std::string> warnings;
};
EnuFrameEllipsoid chooseEnuFrameEllipsoid(const std::vector<ProjectDefinition>& definitions);

// `origin` with the ellipsoid fields of `ellipsoid` (longitude, latitude, height kept).
EnuOrigin onEllipsoid(EnuOrigin origin, const EnuFrameEllipsoid& ellipsoid);
