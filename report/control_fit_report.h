#pragma once

#include <array>
#include <string>
#include <vector>

#include "coordinfo/point3.h"
#include "coordinfo/project_definition.h"

// The quality of the transform of one "Control points" definition: each point pair's residual
// after the transform (project frame: east = x, north = y, up = z, metres), their RMS and the
// largest, and the seven parameters in readable units.
struct ControlPointResidual {
  Point3 source;    // lon°, lat°, h m
  Point3 target;    // project x, y, z (m)
  Point3 residual;  // target − transform(source), m
  double horizontal = 0.0;  // sqrt(e² + n²), m
};

struct ControlFitReport {
  std::string projectid;
  std::string transformSource;  // "fitted to the points" or "stored in the coordinate file"
  bool ok = false;
  std::string reason;           // why there is no transform, when !ok
  std::vector<ControlPointResidual> points;
  double rmsHorizontal = 0.0;   // m
  double rmsUp = 0.0;           // m
  double maxHorizontal = 0.0;   // m
  double maxUp = 0.0;           // m, largest |up|
  // ENU -> project: tx, ty, tz (m), εx, εy, εz (arc-second), k (ppm).
  std::array<double, 7> readableArgs{};
  std::array<double, 3> sourceCentroid{};  // ENU, m
  std::array<double, 3> targetCentroid{};  // project, m
};

// Residuals of `definition`'s ENU -> project transform at its own points: the transform the
// conversions use (stored in the file, or fitted to srcpointsenu and despoints; nothing is
// printed). Not ok when the fit fails (`reason` says why) or there is no transform.
ControlFitReport reportControlFit(const ProjectDefinition& definition);

// Does point `p` exceed the threshold (m) horizontally or in height?
inline bool exceeds(const ControlPointResidual& p, double threshold) {
  return p.horizontal > threshold || p.residual.z > threshold || -p.residual.z > threshold;
}
