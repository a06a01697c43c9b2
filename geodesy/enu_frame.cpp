#include "geodesy/enu_frame.h"

#include <cmath>

#include "geodesy/elementary.h"
#include "geodesy/units.h"

EnuFrame::EnuFrame(const EnuOrigin& origin) : origin_(origin) {
  e2_ = (2 - origin_.f) * origin_.f;
  oneMinusE2_ = 1 - e2_;
  e2OverOneMinusE2TimesB_ = e2_ / (1 - e2_) * origin_.b;
  e2TimesA_ = e2_ * origin_.a;
  const double lambda0 = origin_.lon * kPi / kDegreesPerHalfTurn;
  const double phi0 = origin_.lat * kPi / kDegreesPerHalfTurn;
  elementary::sincos(lambda0, sinLon_, cosLon_);
  elementary::sincos(phi0, sinLat_, cosLat_);
  minusSinLat_CosLon_ = -sinLat_ * cosLon_;
  minusSinLat_SinLon_ = -sinLat_ * sinLon_;
  cosLat_CosLon_ = cosLat_ * cosLon_;
  cosLat_SinLon_ = cosLat_ * sinLon_;
  // The origin's own Earth-centred position, by the same formula as geodeticToEcef.
  const double n0 = origin_.a / std::sqrt(1 - e2_ * sinLat_ * sinLat_);
  x0_ = (n0 + origin_.height) * cosLat_ * cosLon_;
  y0_ = (n0 + origin_.height) * cosLat_ * sinLon_;
  z0_ = (oneMinusE2_ * n0 + origin_.height) * sinLat_;
}

Point3 EnuFrame::geodeticToEcef(const Point3& g) const {
  const double lambda = g.x * kPi / kDegreesPerHalfTurn;
  const double phi = g.y * kPi / kDegreesPerHalfTurn;
  double sinPhi, cosPhi, sinLambda, cosLambda;
  elementary::sincos(phi, sinPhi, cosPhi);
  elementary::sincos(lambda, sinLambda, cosLambda);
  const double n = origin_.a / std::sqrt(1 - e2_ * sinPhi * sinPhi);
  return {(n + g.z) * cosPhi * cosLambda, (n + g.z) * cosPhi * sinLambda,
          (oneMinusE2_ * n + g.z) * sinPhi};
}

Point3 EnuFrame::ecefToEnu(const Point3& p) const {
  const double dx = p.x - x0_;
  const double dy = p.y - y0_;
  const double dz = p.z - z0_;
  return {-sinLon_ * dx + cosLon_ * dy,
          minusSinLat_CosLon_ * dx + minusSinLat_SinLon_ * dy + cosLat_ * dz,
          cosLat_CosLon_ * dx + cosLat_SinLon_ * dy + sinLat_ * dz};
}

Point3 EnuFrame::enuToEcef(const Point3& e) const {
  return {-sinLon_ * e.x + minusSinLat_CosLon_ * e.y + cosLat_CosLon_ * e.z + x0_,
          cosLon_ * e.x + minusSinLat_SinLon_ * e.y + cosLat_SinLon_ * e.z + y0_,
          cosLat_ * e.y + sinLat_ * e.z + z0_};
}

Point3 EnuFrame::ecefToGeodetic(const Point3& p) const {
  const double a = origin_.a;
  const double b = origin_.b;
  const double rho = std::sqrt(p.x * p.x + p.y * p.y);
  const double lambda = elementary::atan2(p.y, p.x);
  if (rho == 0) {
    // On the polar axis p / cos φ − N is 0/0 or meaningless; the distance from the ellipsoid
    // there is |Z| − b, and the latitude is ±90° by the formula below.
    const double phi = elementary::atan2(p.z, 0.0);
    return {lambda / kRadiansPerDegree, phi / kRadiansPerDegree, std::fabs(p.z) - b};
  }
  const double theta = elementary::atan2(a * p.z, b * rho);
  double st, ct;
  elementary::sincos(theta, st, ct);
  const double phi = elementary::atan2(p.z + e2OverOneMinusE2TimesB_ * st * st * st,
                                       rho - e2TimesA_ * ct * ct * ct);
  double sinPhi, cosPhi;
  elementary::sincos(phi, sinPhi, cosPhi);
  const double h = rho / cosPhi - a / std::sqrt(1 - e2_ * sinPhi * sinPhi);
  return {lambda / kRadiansPerDegree, phi / kRadiansPerDegree, h};
}
