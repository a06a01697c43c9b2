#pragma once

#include <cmath>
#include <optional>
#include <string_view>

// A reference ellipsoid: semi-major axis a (m) and flattening f. The first eccentricity
// squared e² = f·(2 − f) is derived below in the four forms the formulas have always used:
// they agree to a few units in the last place, and converted coordinates depend on which one
// each formula takes, so each is defined once, by the formula it serves.
struct Ellipsoid {
  double a = 6378137.0;
  double f = 0.0033528106647474805;

  friend bool operator==(const Ellipsoid&, const Ellipsoid&) = default;
};

// e² = (2 − f)·f: the ENU frame (geodetic <-> Earth-centred about an origin).
constexpr double eccentricitySquaredFromFlattening(double f) { return (2 - f) * f; }
// e² = 2f − f²: the Gauss-Krüger projection's series.
constexpr double eccentricitySquaredOfProjection(double f) { return 2 * f - f * f; }
// e² = (a² − b²)/a² with b = a·(1 − f): the datum steps' Earth-centred coordinates and the
// projection surface's enlarged axis.
constexpr double eccentricitySquaredFromAxes(double a, double f) {
  const double b = a * (1 - f);
  return (a * a - b * b) / (a * a);
}
// e² = e·e, e = sqrt(a² − b²)/a with b = a − a/(1/f): the iterative back-conversion.
inline double eccentricitySquaredFromEccentricity(double a, double f) {
  const double b = a - a / (1 / f);
  const double e = std::sqrt(a * a - b * b) / a;
  return e * e;
}

// The ellipsoids a definition may name. Each f is the double nearest 1/(inverse flattening).
inline constexpr Ellipsoid kCgcs2000{6378137.0, 0.003352810681182319};   // 1/298.257222101
inline constexpr Ellipsoid kXian80{6378140.0, 0.0033528131778969143};    // 1/298.257
inline constexpr Ellipsoid kBj54{6378245.0, 0.003352329869259135};       // 1/298.3
inline constexpr Ellipsoid kWgs84{6378137.0, 0.0033528106647474805};     // 1/298.257223563
// What a name outside the table gives.
inline constexpr Ellipsoid kDefaultEllipsoid = kWgs84;

// Exact, case-sensitive match of the whole name against the two accepted spellings of each
// row ("CGCS2000"/"cgcs2000", "XIAN80"/"xian80", "BJ54"/"bj54", "WGS84"/"wgs84").
std::optional<Ellipsoid> findEllipsoid(std::string_view name);

// As findEllipsoid, with the default ellipsoid for any other name (the empty name included).
Ellipsoid lookupEllipsoid(std::string_view name);
