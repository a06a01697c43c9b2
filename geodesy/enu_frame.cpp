#include "geodesy/enu_frame.h"

#include <cmath>

#include "geodesy/elementary.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/longitude.h"
#include "geodesy/units.h"

EnuFrame::EnuFrame(const EnuOrigin& origin) : origin_(origin) {
  e2_ = eccentricitySquaredFromFlattening(origin_.f);
  oneMinusE2_ = 1 - e2_;
  e2OverOneMinusE2TimesB_ = e2_ / (1 - e2_) * origin_.b;
  e2TimesA_ = e2_ * origin_.a;
  // An origin written 0..360 (285) is the one written −75: the same frame, the same bits.
  const double lambda0 = radiansFromDegrees(principalLongitude(origin_.lon));
  const double phi0 = radiansFromDegrees(origin_.lat);
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
  Point3 p;
  geodeticToEcef(g.x, g.y, g.z, p.x, p.y, p.z);
  return p;
}

Point3 EnuFrame::ecefToEnu(const Point3& p) const {
  Point3 e;
  ecefToEnu(p.x, p.y, p.z, e.x, e.y, e.z);
  return e;
}

Point3 EnuFrame::enuToEcef(const Point3& e) const {
  Point3 p;
  enuToEcef(e.x, e.y, e.z, p.x, p.y, p.z);
  return p;
}

Point3 EnuFrame::ecefToGeodeticBowring(const Point3& p) const {
  if (p.x * p.x + p.y * p.y == 0) {
    // On the polar axis p / cos φ − N is 0/0 or meaningless; the distance from the ellipsoid
    // there is |Z| − b, and the latitude is ±90° by the formula below.
    const double lambda = elementary::atan2(p.y, p.x);
    const double phi = elementary::atan2(p.z, 0.0);
    return {degreesFromRadians(lambda), degreesFromRadians(phi), std::fabs(p.z) - origin_.b};
  }
  Point3 g;
  bool regular = true;
  ecefToGeodeticOffAxis(p.x, p.y, p.z, g.x, g.y, g.z, regular);
  return g;
}
