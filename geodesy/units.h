#pragma once

// Unit constants, each defined once. Their last digits matter: files converted before depend
// on the exact bits of every product, so each constant is the one the formulas have always
// used, not a "better" value.

// π as a double (the double nearest π).
inline constexpr double kPi = 3.141592653589793;

// Degrees -> radians in the ENU and datum formulas: degrees · kPi / 180.
inline constexpr double kDegreesPerHalfTurn = 180.0;

// The double nearest π/180: radians -> degrees in the closed-form (Bowring) back-conversion,
// as radians / kRadiansPerDegree.
inline constexpr double kRadiansPerDegree = 0.017453292519943295;

// The 15-digit decimal π/180 of the Gauss-Krüger formulas; as a double it lies one unit in the
// last place above kRadiansPerDegree. Used both ways there: degrees · k, radians / k.
inline constexpr double kGaussKrugerRadiansPerDegree = 0.0174532925199433;

// 180/π as a double: radians -> degrees in the iterative back-conversion, as radians · this.
inline constexpr double kDegreesPerRadian = kDegreesPerHalfTurn / kPi;

// Degrees -> radians in the ENU, datum and plane formulas: (degrees · π) / 180, in that order
// (not degrees · (π/180), whose product rounds differently). One value or lanes.
template <class V>
constexpr V radiansFromDegrees(V degrees) {
  return degrees * kPi / kDegreesPerHalfTurn;
}

// Radians -> degrees in the closed-form (Bowring) back-conversion: radians / (π/180).
template <class V>
constexpr V degreesFromRadians(V radians) {
  return radians / kRadiansPerDegree;
}

// Arc-seconds per degree, and the ppm divisor of scales and tilts.
inline constexpr double kArcSecondsPerDegree = 3600.0;
inline constexpr double kPartsPerMillion = 1000000.0;

// Arc-seconds -> radians of the seven-parameter rotations: ((s / 3600) · π) / 180.
constexpr double radiansFromArcSeconds(double arcSeconds) {
  return radiansFromDegrees(arcSeconds / kArcSecondsPerDegree);
}

// An origin latitude (degree) of at most this magnitude counts as 0: 1e-6° is 0.11 m of
// meridian arc, and a grid whose origin is that close to the equator is the equator's.
inline constexpr double kNegligibleOriginLatitudeDeg = 1e-6;
// A projection surface height (m) of at most this magnitude counts as 0: 1 µm moves no
// coordinate by a digit the six-decimal output shows.
inline constexpr double kNegligibleSurfaceHeightM = 1e-6;
