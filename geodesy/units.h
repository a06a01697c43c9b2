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

// Arc-seconds per degree, and the ppm divisor of scales and tilts.
inline constexpr double kArcSecondsPerDegree = 3600.0;
inline constexpr double kPartsPerMillion = 1000000.0;

// A magnitude at or below this counts as absent for the origin latitude and the surface height.
inline constexpr double kNegligible = 1e-6;
