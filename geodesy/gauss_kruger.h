#pragma once

#include <optional>
#include <string>

#include "coordinfo/point3.h"
#include "geodesy/ellipsoid.h"

// Gauss-Krüger (transverse Mercator, scale 1 on the central meridian) by the series of
// Snyder 1987, "Map Projections: A Working Manual", eqs. 8-9..8-10 (forward), 8-18..8-25
// (inverse) and 3-21 (meridian arc).
//
// Accuracy: the meridian arc series stops at e⁶ and the projection series at the sixth power
// of the longitude difference. Within 3° of the central meridian both directions agree with an
// exact transverse Mercator to better than 0.5 mm up to 50° latitude (the arc runs 0.41 mm
// long at 50°) and 1 mm at any latitude (the arc's largest, 0.96 mm, near 70°; per-band values
// in tests/geodesy/data/README.md), and forward followed by inverse returns the input to
// better than 1e-8 degrees. Farther out the error grows quickly.
//
// Degree <-> radian conversions in this file use kGaussKrugerRadiansPerDegree (geodesy/units.h)
// both ways. e² = 2f − f², e′² = e²/(1 − e²).

// The six values of one projection.
struct GaussKrugerParams {
  double centralMeridian = 0.0;  // degree, longitude of the central meridian
  double falseEasting = 0.0;     // m, added to the projected x
  double falseNorthing = 0.0;    // m, added to the projected y
  double a = kDefaultEllipsoid.a;  // m, semi-major axis (already enlarged for a surface height)
  double f = kDefaultEllipsoid.f;  // flattening
  double originLatitude = 0.0;   // degree; |value| <= 1e-6 counts as 0 (no arc subtracted)
};

// How far from its central meridian a projection is used at all (degree). The series lose
// accuracy quickly beyond 3° (about 1 mm there, metres by 10°) and turn into nonsense well before
// 90°; a point farther out belongs to another zone or is a mistake, never a position this
// projection can represent.
inline constexpr double kGaussKrugerMaxLongitudeOffset = 10.0;
inline constexpr double kMaxLatitude = 90.0;  // degree

// Why a geodetic position lies off a projection; nullopt when it is on it: finite, latitude
// within ±90°, longitude within kGaussKrugerMaxLongitudeOffset of the central meridian, the
// difference taken modulo 360° (so 359° is 2° from a meridian at 1°).
[[nodiscard]] std::optional<std::string> offProjection(const Point3& geodetic,
                                                       double centralMeridian);

// Meridian arc from the equator to latitude φ (radian) on the ellipsoid (a m, e²), in metres
// (Snyder 3-21).
[[nodiscard]] double meridianArc(double phi, double a, double e2);

// Semi-major axis (m) of the ellipsoid enlarged to a projection surface at height H (m):
// a + H / sqrt(1 − e²) with e² = (a² − b²)/a², b = (1 − f)·a; a itself when |H| <= 1e-6.
// The flattening stays, so the semi-minor axis grows by exactly H (the surface is H above the
// ellipsoid at the poles, H·a/b at the equator) and projected offsets from the false origin
// grow by a′/a = 1 + H/b.
[[nodiscard]] double surfaceSemiMajorAxis(const Ellipsoid& ellipsoid, double surfaceHeight);

// Geodetic (x = longitude°, y = latitude°) -> plane (x = easting m, y = northing m).
// z is carried through unchanged.
[[nodiscard]] Point3 gaussKrugerForward(const Point3& geodetic, const GaussKrugerParams& params);
// Plane (x = easting m, y = northing m) -> geodetic (x = longitude°, y = latitude°).
// z is carried through unchanged.
[[nodiscard]] Point3 gaussKrugerInverse(const Point3& plane, const GaussKrugerParams& params);

// Snyder 3-21 with the four coefficients of e² computed once.
class MeridianArcSeries {
 public:
  MeridianArcSeries(double a, double e2);
  // Arc length (m) from the equator to latitude φ (radian).
  [[nodiscard]] double operator()(double phi) const;
  // The coefficient of φ, 1 − e²/4 − 3e⁴/64 − 5e⁶/256 (dimensionless).
  [[nodiscard]] double linearCoefficient() const { return c0_; }

 private:
  double a_;
  double c0_, c2_, c4_, c6_;
};

// One projection set up once: the ellipsoid terms, the footpoint-latitude coefficients and
// the meridian arc of the origin latitude. forward/inverse are straight-line arithmetic; the
// free functions above build one of these per call, so both give the same bits.
class GaussKrugerProjection {
 public:
  explicit GaussKrugerProjection(const GaussKrugerParams& params);

  [[nodiscard]] Point3 forward(const Point3& geodetic) const;
  [[nodiscard]] Point3 inverse(const Point3& plane) const;

  [[nodiscard]] const GaussKrugerParams& params() const { return params_; }

 private:
  GaussKrugerParams params_;
  double e2_;               // 2f − f²
  double ep2_;              // e′² = e²/(1 − e²)
  MeridianArcSeries arc_;
  bool hasOrigin_;          // |originLatitude| > 1e-6
  double m0_;               // M(originLatitude), m; 0 without an origin latitude
  double centralRad_;       // centralMeridian·k, radian
  double aOneMinusE2_;      // a·(1 − e²), numerator of R1
  double muDenominator_;    // a·(1 − e²/4 − 3e⁴/64 − 5e⁶/256)
  double foot2_, foot4_, foot6_, foot8_;  // Snyder 3-26 coefficients of sin 2μ .. sin 8μ
  double ep2Times58_, ep2Times330_;       // forward series terms in e′²
  double ep2Times8_, ep2Times9_, ep2Times252_;  // inverse series terms in e′²
};
