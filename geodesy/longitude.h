#pragma once

#include <cmath>

// A meridian has two names: west of Greenwich negative (−75°), or counted 0..360 east (285°).
// Both conventions must give the same numbers, so every formula that starts from a longitude
// the user wrote reduces it first.
inline constexpr double kHalfTurnDegrees = 180.0;
inline constexpr double kFullTurnDegrees = 360.0;

// `lon` (degree) moved by whole turns into (−180°, 180°]. Exact: fmod is, and so is the last
// turn added or taken (Sterbenz); a longitude already in that range comes back with its own
// bits (−0 too).
inline double principalLongitude(double lon) {
  double reduced = std::fmod(lon, kFullTurnDegrees);
  if (reduced > kHalfTurnDegrees) reduced -= kFullTurnDegrees;
  if (reduced <= -kHalfTurnDegrees) reduced += kFullTurnDegrees;
  return reduced;
}
