#pragma once

#include <array>

// The stored seven-parameter transforms of a "Control points" definition.
// Parameters in the order tx, ty, tz (coordinate unit), εx, εy, εz (radian), k (scale 1 + k);
// the model maps centroid-reduced coordinates (see geodesy/control_fit.h).
struct TransformInfo {
  std::array<double, 7> args{};      // ENU -> project (source srcpointsenu, target despoints)
  std::array<double, 7> inv_args{};  // project -> ENU
  std::array<double, 3> src{};       // centroid of the sources of args (ENU)
  std::array<double, 3> inv_src{};   // centroid of the sources of inv_args (project)
  std::array<double, 3> tar{};       // centroid of the targets of args (project)
  std::array<double, 3> inv_tar{};   // centroid of the targets of inv_args (ENU)

  // A direction whose fit failed. Converting through it is an error rather than a silent
  // identity; values read from the file never set these.
  bool argsFailed = false;
  bool invArgsFailed = false;

  friend bool operator==(const TransformInfo&, const TransformInfo&) = default;
};
