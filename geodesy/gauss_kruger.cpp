#include "geodesy/gauss_kruger.h"

#include <cmath>
#include <cstdio>

#include "geodesy/elementary.h"
#include "geodesy/units.h"

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

double meridianArc(double phi, double a, double e2) { return MeridianArcSeries(a, e2)(phi); }

double surfaceSemiMajorAxis(const Ellipsoid& ellipsoid, double surfaceHeight) {
  const double a = ellipsoid.a;
  if (std::fabs(surfaceHeight) <= kNegligibleSurfaceHeightM) return a;
  const double e2 = eccentricitySquaredFromAxes(a, ellipsoid.f);
  // The ellipsoid scaled by 1 + H/b, keeping the flattening: sqrt(1 − e²) = b/a, so
  // a′ = a + H·a/b and b′ = b + H. The surface lies H above the ellipsoid at the poles and
  // H·a/b (0.34 % more) at the equator; a/b is also c/a, c = a²/b the polar radius of
  // curvature. A frame given by its enlarged axis a′ has H = (a′ − a)·sqrt(1 − e²), and a
  // central scale k0 is H = (k0 − 1)·b (README, "Projection surface height and scale factor").
  return a + surfaceHeight / std::sqrt(1 - e2);
}

GaussKrugerProjection::GaussKrugerProjection(const GaussKrugerParams& params)
    : params_(params),
      e2_(eccentricitySquaredOfProjection(params.f)),
      ep2_(e2_ / (1 - e2_)),
      arc_(params.a, e2_) {
  hasOrigin_ = std::fabs(params_.originLatitude) > kNegligibleOriginLatitudeDeg;
  m0_ = hasOrigin_ ? arc_(params_.originLatitude * k) : 0.0;
  meridian_ = principalLongitude(params_.centralMeridian);
  centralRad_ = meridian_ * k;
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
  Point3 plane{0.0, 0.0, g.z};
  forwardPlane(g.x, g.y, plane.x, plane.y);
  return plane;
}

Point3 GaussKrugerProjection::inverse(const Point3& p) const {
  Point3 geodetic{0.0, 0.0, p.z};
  inversePlane(p.x, p.y, geodetic.x, geodetic.y);
  return geodetic;
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
