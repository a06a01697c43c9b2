#include "geodesy/gauss_kruger.h"

#include <cmath>
#include <cstdio>

#include "geodesy/elementary.h"
#include "geodesy/units.h"

// Operation order: every product is evaluated left to right as the formula is written, a
// power of a per-point quantity expanded in place (A³·(…) as … * A * A * A); only whole
// sub-expressions that depend on the ellipsoid or the parameters alone are computed once.
// Converted coordinates depend on these exact bits, so keep the order when editing.

namespace {

constexpr double k = kGaussKrugerRadiansPerDegree;

std::string formatDegrees(double degrees) {
  char text[48];
  std::snprintf(text, sizeof text, "%.6g°", degrees);
  return text;
}

}  // namespace

MeridianArcSeries::MeridianArcSeries(double a, double e2) : a_(a) {
  // Snyder 1987, eq. 3-21.
  c0_ = 1 - e2 / 4 - 3 * e2 * e2 / 64 - 5 * e2 * e2 * e2 / 256;
  c2_ = 3 * e2 / 8 + 3 * e2 * e2 / 32 + 45 * e2 * e2 * e2 / 1024;
  c4_ = 15 * e2 * e2 / 256 + 45 * e2 * e2 * e2 / 1024;
  c6_ = 35 * e2 * e2 * e2 / 3072;
}

double MeridianArcSeries::operator()(double phi) const {
  // Snyder 1987, eq. 3-21: M = a·[c0·φ − c2·sin 2φ + c4·sin 4φ − c6·sin 6φ].
  return a_ * (c0_ * phi - c2_ * elementary::sin(2 * phi) + c4_ * elementary::sin(4 * phi) -
               c6_ * elementary::sin(6 * phi));
}

double meridianArc(double phi, double a, double e2) { return MeridianArcSeries(a, e2)(phi); }

double surfaceSemiMajorAxis(const Ellipsoid& ellipsoid, double surfaceHeight) {
  const double a = ellipsoid.a;
  if (std::fabs(surfaceHeight) <= kNegligible) return a;
  const double b = (1 - ellipsoid.f) * a;
  const double e2 = (a * a - b * b) / (a * a);
  // The ellipsoid scaled by 1 + H/b, keeping the flattening: sqrt(1 − e²) = b/a, so
  // a′ = a + H·a/b and b′ = b + H. The surface lies H above the ellipsoid at the poles and
  // H·a/b (0.34 % more) at the equator; a/b is also c/a, c = a²/b the polar radius of
  // curvature. A frame given by its enlarged axis a′ has H = (a′ − a)·sqrt(1 − e²), and a
  // central scale k0 is H = (k0 − 1)·b (README, "Projection surface height and scale factor").
  return a + surfaceHeight / std::sqrt(1 - e2);
}

GaussKrugerProjection::GaussKrugerProjection(const GaussKrugerParams& params)
    : params_(params),
      e2_(2 * params.f - params.f * params.f),
      ep2_(e2_ / (1 - e2_)),
      arc_(params.a, e2_) {
  hasOrigin_ = std::fabs(params_.originLatitude) > kNegligible;
  m0_ = hasOrigin_ ? arc_(params_.originLatitude * k) : 0.0;
  centralRad_ = params_.centralMeridian * k;
  aOneMinusE2_ = params_.a * (1 - e2_);
  // Snyder 1987, eq. 7-19: μ = M / (a·(1 − e²/4 − 3e⁴/64 − 5e⁶/256)).
  muDenominator_ = params_.a * arc_.linearCoefficient();
  // Snyder 1987, eq. 3-24: e1 = (1 − sqrt(1 − e²)) / (1 + sqrt(1 − e²)).
  const double e1 = (1 - std::sqrt(1 - e2_)) / (1 + std::sqrt(1 - e2_));
  // Snyder 1987, eq. 3-26: footpoint latitude series in e1.
  foot2_ = 3 * e1 / 2 - 27 * e1 * e1 * e1 / 32;
  foot4_ = 21 * e1 * e1 / 16 - 55 * e1 * e1 * e1 * e1 / 32;
  foot6_ = 151 * e1 * e1 * e1 / 96;
  foot8_ = 1097 * e1 * e1 * e1 * e1 / 512;
  ep2Times58_ = 58 * ep2_;
  ep2Times330_ = 330 * ep2_;
  ep2Times8_ = 8 * ep2_;
  ep2Times9_ = 9 * ep2_;
  ep2Times252_ = 252 * ep2_;
}

Point3 GaussKrugerProjection::forward(const Point3& g) const {
  const double a = params_.a;
  const double phi = g.y * k;
  const double dLambda = g.x * k - centralRad_;
  double sinPhi, cosPhi, tanPhi;
  elementary::sincostan(phi, sinPhi, cosPhi, tanPhi);
  // Snyder 1987, eqs. 8-12..8-16: e′², N, T = tan²φ, C = η² = e′²·cos²φ, A = Δλ·cos φ.
  const double n = a / std::sqrt(1 - e2_ * sinPhi * sinPhi);
  const double t = tanPhi * tanPhi;
  const double eta2 = ep2_ * cosPhi * cosPhi;
  const double A = dLambda * cosPhi;
  // Snyder 1987, eq. 8-9 with k0 = 1:
  //   x = N·[A + (1 − T + η²)·A³/6 + (5 − 18T + T² + 72η² − 58e′²)·A⁵/120].
  const double x =
      n * (A + (1 - t + eta2) * A * A * A / 6 +
           (5 - 18 * t + t * t + 72 * eta2 - ep2Times58_) * A * A * A * A * A / 120);
  // Snyder 1987, eq. 8-10 with k0 = 1:
  //   y = M(φ) + N·tan φ·[A²/2 + (5 − T + 9η² + 4η⁴)·A⁴/24
  //                        + (61 − 58T + T² + 600η² − 330e′²)·A⁶/720].
  double y = arc_(phi) +
             n * tanPhi *
                 (A * A / 2 + (5 - t + 9 * eta2 + 4 * eta2 * eta2) * A * A * A * A / 24 +
                  (61 - 58 * t + t * t + 600 * eta2 - ep2Times330_) * A * A * A * A * A * A /
                      720);
  // Northing counted from the origin latitude (Snyder's "− M0").
  if (hasOrigin_) y = y - m0_;
  return {x + params_.falseEasting, y + params_.falseNorthing, g.z};
}

Point3 GaussKrugerProjection::inverse(const Point3& p) const {
  const double a = params_.a;
  // Snyder 1987, eqs. 8-20 and 7-19 with k0 = 1: μ = (y − FN + M0) / (a·(1 − e²/4 − …)).
  const double mu = (p.y - params_.falseNorthing + m0_) / muDenominator_;
  // Snyder 1987, eq. 3-26: footpoint latitude φ1.
  const double phi1 = mu + foot2_ * elementary::sin(2 * mu) + foot4_ * elementary::sin(4 * mu) +
                      foot6_ * elementary::sin(6 * mu) + foot8_ * elementary::sin(8 * mu);
  double sinPhi1, cosPhi1, tanPhi1;
  elementary::sincostan(phi1, sinPhi1, cosPhi1, tanPhi1);
  // Snyder 1987, eqs. 8-21..8-25: C1 = η1², T1, N1, R1, D.
  const double eta2 = ep2_ * cosPhi1 * cosPhi1;
  const double t = tanPhi1 * tanPhi1;
  const double w = 1 - e2_ * sinPhi1 * sinPhi1;
  const double n1 = a / std::sqrt(w);
  // (1 − e²·sin²φ1)^(3/2) as w·sqrt(w): sqrt is the only root the formulas use.
  const double r1 = aOneMinusE2_ / (w * std::sqrt(w));
  const double d = (p.x - params_.falseEasting) / n1;
  // Snyder 1987, eq. 8-18:
  //   λ = λ0 + [D − (1 + 2T1 + η1²)·D³/6
  //             + (5 − 2η1² + 28T1 − 3η1⁴ + 8e′² + 24T1²)·D⁵/120] / cos φ1.
  const double lambda =
      centralRad_ +
      (d - (1 + 2 * t + eta2) * d * d * d / 6 +
       (5 - 2 * eta2 + 28 * t - 3 * eta2 * eta2 + ep2Times8_ + 24 * t * t) * d * d * d * d * d /
           120) /
          cosPhi1;
  // Snyder 1987, eq. 8-17:
  //   φ = φ1 − (N1·tan φ1 / R1)·[D²/2 − (5 + 3T1 + 10η1² − 4η1⁴ − 9e′²)·D⁴/24
  //                              + (61 + 90T1 + 298η1² + 45T1² − 252e′² − 3η1⁴)·D⁶/720].
  const double phi =
      phi1 -
      (n1 * tanPhi1 / r1) *
          (d * d / 2 -
           (5 + 3 * t + 10 * eta2 - 4 * eta2 * eta2 - ep2Times9_) * d * d * d * d / 24 +
           (61 + 90 * t + 298 * eta2 + 45 * t * t - ep2Times252_ - 3 * eta2 * eta2) * d * d * d *
               d * d * d / 720);
  return {lambda / k, phi / k, p.z};
}

std::optional<std::string> offProjection(const Point3& geodetic, double centralMeridian) {
  if (!std::isfinite(geodetic.x) || !std::isfinite(geodetic.y) || !std::isfinite(geodetic.z)) {
    return "the geodetic position is not finite";
  }
  if (std::fabs(geodetic.y) > kMaxLatitude) {
    return "latitude " + formatDegrees(geodetic.y) + " is beyond the pole";
  }
  // Difference to the meridian reduced to (−180°, 180°].
  double offset = std::fmod(geodetic.x - centralMeridian, 360.0);
  if (offset > 180.0) offset -= 360.0;
  if (offset <= -180.0) offset += 360.0;
  if (!(std::fabs(offset) <= kGaussKrugerMaxLongitudeOffset)) {
    return "longitude " + formatDegrees(geodetic.x) + " is " + formatDegrees(std::fabs(offset)) +
           " from the central meridian " + formatDegrees(centralMeridian) +
           " (more than 10° is off the projection)";
  }
  return std::nullopt;
}

Point3 gaussKrugerForward(const Point3& geodetic, const GaussKrugerParams& params) {
  return GaussKrugerProjection(params).forward(geodetic);
}

Point3 gaussKrugerInverse(const Point3& plane, const GaussKrugerParams& params) {
  return GaussKrugerProjection(params).inverse(plane);
}
