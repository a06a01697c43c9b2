#pragma once

#include <cmath>
#include <optional>
#include <string>

#include "coordinfo/point3.h"
#include "geodesy/elementary.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/longitude.h"
#include "geodesy/units.h"

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

// The lanes (geodesy/lanes.h) of geodetic positions that offProjection surely finds on the
// projection: finite, latitude within ±90°, longitude within 10° of the meridian, directly or
// one turn away (a meridian of 285° and a longitude of −75.5°). The other lanes are left to
// offProjection. d ± 360 is exact for |d| in [180, 720] (Sterbenz), so each test compares the
// value offProjection reduces d to.
template <class V>
[[nodiscard]] auto plainlyOnProjection(V lon, V lat, V h, double centralMeridian) {
  const V d = lon - centralMeridian;
  return isFinite(lon) & isFinite(lat) & isFinite(h) & (abs(lat) <= kMaxLatitude) &
         ((abs(d) <= kGaussKrugerMaxLongitudeOffset) |
          (abs(d - kFullTurnDegrees) <= kGaussKrugerMaxLongitudeOffset) |
          (abs(d + kFullTurnDegrees) <= kGaussKrugerMaxLongitudeOffset));
}

// On the projection, for formulas written once for one value and lanes: one value is
// !offProjection, its reason in `*why` (when not null) where it is off; lanes are
// plainlyOnProjection (no reason: a lane left out goes to the one-value code).
[[nodiscard]] inline bool onProjection(double lon, double lat, double h, double centralMeridian,
                                       std::string* why) {
  std::optional<std::string> off = offProjection({lon, lat, h}, centralMeridian);
  if (off && why != nullptr) *why = std::move(*off);
  return !off;
}
template <class V>
[[nodiscard]] auto onProjection(V lon, V lat, V h, double centralMeridian, std::string*) {
  return plainlyOnProjection(lon, lat, h, centralMeridian);
}

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
// z is carried through unchanged. The central meridian and the longitude may each be written
// in either convention (−75 or 285): the longitude difference is reduced into [−180°, 180°)
// before the series, so both give the same bits.
[[nodiscard]] Point3 gaussKrugerForward(const Point3& geodetic, const GaussKrugerParams& params);
// Plane (x = easting m, y = northing m) -> geodetic (x = longitude°, y = latitude°).
// z is carried through unchanged. The longitude is counted from the central meridian reduced
// into (−180°, 180°] (285 as −75), so it lies in (−190°, 190°] for a point on the projection.
[[nodiscard]] Point3 gaussKrugerInverse(const Point3& plane, const GaussKrugerParams& params);

// Snyder 3-21 with the four coefficients of e² computed once.
class MeridianArcSeries {
 public:
  MeridianArcSeries(double a, double e2);
  // Arc length (m) from the equator to latitude φ (radian).
  [[nodiscard]] double operator()(double phi) const { return at(phi); }
  // The same for one value or lanes (geodesy/lanes.h): each lane gets the one-value bits.
  template <class V>
  [[nodiscard]] V at(V phi) const;
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

  // The formulas of forward and inverse for one value (V = double, what they call) or lanes
  // (geodesy/lanes.h): each lane gets the one-value bits. Longitude and latitude in degree,
  // easting and northing in m; the height is not touched.
  template <class V>
  void forwardPlane(V lon, V lat, V& easting, V& northing) const;
  template <class V>
  void inversePlane(V easting, V northing, V& lon, V& lat) const;

  [[nodiscard]] const GaussKrugerParams& params() const { return params_; }

 private:
  // `lon` (degree) moved by a whole turn when it lies 180° or more east, or more than 180°
  // west, of meridian_: the difference to meridian_ is then in [−180°, 180°) for any
  // longitude within 540° of it (all a geodetic conversion gives). A longitude within 180° of
  // meridian_ is returned as it is, bit for bit.
  template <class V>
  [[nodiscard]] V nearMeridian(V lon) const;

  GaussKrugerParams params_;
  // principalLongitude(params_.centralMeridian): 285 and −75 set up the same projection;
  // every meridian already in (−180°, 180°] is kept as given, and with it the bits of every
  // conversion about it.
  double meridian_;
  double e2_;               // 2f − f²
  double ep2_;              // e′² = e²/(1 − e²)
  MeridianArcSeries arc_;
  bool hasOrigin_;          // |originLatitude| > 1e-6
  double m0_;               // M(originLatitude), m; 0 without an origin latitude
  double centralRad_;       // meridian_·k, radian
  double aOneMinusE2_;      // a·(1 − e²), numerator of R1
  double muDenominator_;    // a·(1 − e²/4 − 3e⁴/64 − 5e⁶/256)
  double foot2_, foot4_, foot6_, foot8_;  // Snyder 3-26 coefficients of sin 2μ .. sin 8μ
  double ep2Times58_, ep2Times330_;       // forward series terms in e′²
  double ep2Times8_, ep2Times9_, ep2Times252_;  // inverse series terms in e′²
};

// Operation order: every product is evaluated left to right as the formula is written, a
// power of a per-point quantity expanded in place (A³·(…) as … * A * A * A); only whole
// sub-expressions that depend on the ellipsoid or the parameters alone are computed once.
// Converted coordinates depend on these exact bits, so keep the order when editing. The
// unqualified sin, sincostan and sqrt are elementary:: and std:: for double and the lane
// functions (found by argument-dependent lookup) for lanes.

template <class V>
V MeridianArcSeries::at(V phi) const {
  using elementary::sin;
  // Snyder 1987, eq. 3-21: M = a·[c0·φ − c2·sin 2φ + c4·sin 4φ − c6·sin 6φ].
  return a_ * (c0_ * phi - c2_ * sin(2 * phi) + c4_ * sin(4 * phi) - c6_ * sin(6 * phi));
}

template <class V>
V GaussKrugerProjection::nearMeridian(V lon) const {
  using elementary::select;
  const V offset = lon - meridian_;
  return select(offset >= kHalfTurnDegrees, lon - kFullTurnDegrees,
                select(offset < -kHalfTurnDegrees, lon + kFullTurnDegrees, lon));
}

template <class V>
void GaussKrugerProjection::forwardPlane(V lon, V lat, V& easting, V& northing) const {
  using elementary::sincostan;
  using std::sqrt;
  constexpr double k = kGaussKrugerRadiansPerDegree;
  const double a = params_.a;
  const V phi = lat * k;
  // Δλ in [−180°, 180°): a longitude a turn away from the meridian (−75.5° about 285°) would
  // otherwise enter the series as 360° and come out thousands of kilometres off.
  const V dLambda = nearMeridian(lon) * k - centralRad_;
  V sinPhi, cosPhi, tanPhi;
  sincostan(phi, sinPhi, cosPhi, tanPhi);
  // Snyder 1987, eqs. 8-12..8-16: e′², N, T = tan²φ, C = η² = e′²·cos²φ, A = Δλ·cos φ.
  const V n = a / sqrt(1 - e2_ * sinPhi * sinPhi);
  const V t = tanPhi * tanPhi;
  const V eta2 = ep2_ * cosPhi * cosPhi;
  const V A = dLambda * cosPhi;
  // Snyder 1987, eq. 8-9 with k0 = 1:
  //   x = N·[A + (1 − T + η²)·A³/6 + (5 − 18T + T² + 72η² − 58e′²)·A⁵/120].
  const V x = n * (A + (1 - t + eta2) * A * A * A / 6 +
                   (5 - 18 * t + t * t + 72 * eta2 - ep2Times58_) * A * A * A * A * A / 120);
  // Snyder 1987, eq. 8-10 with k0 = 1:
  //   y = M(φ) + N·tan φ·[A²/2 + (5 − T + 9η² + 4η⁴)·A⁴/24
  //                        + (61 − 58T + T² + 600η² − 330e′²)·A⁶/720].
  V y = arc_.at(phi) +
        n * tanPhi *
            (A * A / 2 + (5 - t + 9 * eta2 + 4 * eta2 * eta2) * A * A * A * A / 24 +
             (61 - 58 * t + t * t + 600 * eta2 - ep2Times330_) * A * A * A * A * A * A / 720);
  // Northing counted from the origin latitude (Snyder's "− M0").
  if (hasOrigin_) y = y - m0_;
  easting = x + params_.falseEasting;
  northing = y + params_.falseNorthing;
}

template <class V>
void GaussKrugerProjection::inversePlane(V easting, V northing, V& lon, V& lat) const {
  using elementary::sin;
  using elementary::sincostan;
  using std::sqrt;
  constexpr double k = kGaussKrugerRadiansPerDegree;
  const double a = params_.a;
  // Snyder 1987, eqs. 8-20 and 7-19 with k0 = 1: μ = (y − FN + M0) / (a·(1 − e²/4 − …)).
  const V mu = (northing - params_.falseNorthing + m0_) / muDenominator_;
  // Snyder 1987, eq. 3-26: footpoint latitude φ1.
  const V phi1 = mu + foot2_ * sin(2 * mu) + foot4_ * sin(4 * mu) + foot6_ * sin(6 * mu) +
                 foot8_ * sin(8 * mu);
  V sinPhi1, cosPhi1, tanPhi1;
  sincostan(phi1, sinPhi1, cosPhi1, tanPhi1);
  // Snyder 1987, eqs. 8-21..8-25: C1 = η1², T1, N1, R1, D.
  const V eta2 = ep2_ * cosPhi1 * cosPhi1;
  const V t = tanPhi1 * tanPhi1;
  const V w = 1 - e2_ * sinPhi1 * sinPhi1;
  const V n1 = a / sqrt(w);
  // (1 − e²·sin²φ1)^(3/2) as w·sqrt(w): sqrt is the only root the formulas use.
  const V r1 = aOneMinusE2_ / (w * sqrt(w));
  const V d = (easting - params_.falseEasting) / n1;
  // Snyder 1987, eq. 8-18:
  //   λ = λ0 + [D − (1 + 2T1 + η1²)·D³/6
  //             + (5 − 2η1² + 28T1 − 3η1⁴ + 8e′² + 24T1²)·D⁵/120] / cos φ1.
  const V lambda =
      centralRad_ +
      (d - (1 + 2 * t + eta2) * d * d * d / 6 +
       (5 - 2 * eta2 + 28 * t - 3 * eta2 * eta2 + ep2Times8_ + 24 * t * t) * d * d * d * d * d /
           120) /
          cosPhi1;
  // Snyder 1987, eq. 8-17:
  //   φ = φ1 − (N1·tan φ1 / R1)·[D²/2 − (5 + 3T1 + 10η1² − 4η1⁴ − 9e′²)·D⁴/24
  //                              + (61 + 90T1 + 298η1² + 45T1² − 252e′² − 3η1⁴)·D⁶/720].
  const V phi =
      phi1 -
      (n1 * tanPhi1 / r1) *
          (d * d / 2 -
           (5 + 3 * t + 10 * eta2 - 4 * eta2 * eta2 - ep2Times9_) * d * d * d * d / 24 +
           (61 + 90 * t + 298 * eta2 + 45 * t * t - ep2Times252_ - 3 * eta2 * eta2) * d * d * d *
               d * d * d / 720);
  lon = lambda / k;
  lat = phi / k;
}
