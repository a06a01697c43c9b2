#pragma once

#include <cmath>

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"
#include "geodesy/elementary.h"
#include "geodesy/units.h"

// An EnuOrigin set up once for many points (the pattern of GeographicLib's
// LocalCartesian::Reset): the origin's sines and cosines, its Earth-centred position and the
// ellipsoid terms are computed in the constructor, so each per-point call is straight-line
// arithmetic. A one-off conversion builds an EnuFrame for the call: the same bits.
//
// Frames and units as in coordinfo/point3.h. Accuracy: the ENU conversions are exact
// rotations and shifts (rounding only); ecefToGeodeticBowring is one step of Bowring's closed form,
// better than 1 mm in latitude and height for heights under 10 km.
class EnuFrame {
 public:
  // The origin's longitude may be written in either convention (285 or −75): the frame is
  // set up about principalLongitude of it, the same bits for both.
  explicit EnuFrame(const EnuOrigin& origin);

  // Geodetic (lon°, lat°, h m) -> Earth-centred (m) on the origin's a and f:
  //   N = a / sqrt(1 − e²·sin²φ), e² = (2 − f)·f
  //   X = (N + h)·cos φ·cos λ, Y = (N + h)·cos φ·sin λ, Z = ((1 − e²)·N + h)·sin φ.
  Point3 geodeticToEcef(const Point3& geodetic) const;
  // Earth-centred -> ENU: rotation of (X − X0, Y − Y0, Z − Z0) into east, north, up.
  Point3 ecefToEnu(const Point3& ecef) const;
  // ENU -> Earth-centred: the transposed rotation, then + (X0, Y0, Z0).
  Point3 enuToEcef(const Point3& enu) const;
  // Earth-centred -> geodetic, Bowring (1976) in one step, no iteration:
  //   θ = atan2(a·Z, b·p), φ = atan2(Z + e′²·b·sin³θ, p − e²·a·cos³θ),
  //   h = p / cos φ − N(φ). On the polar axis (p = 0) h = |Z| − b.
  Point3 ecefToGeodeticBowring(const Point3& ecef) const;
  // ENU (m) -> geodetic (lon°, lat°, h m): enuToEcef then ecefToGeodeticBowring.
  Point3 enuToGeodetic(const Point3& enu) const { return ecefToGeodeticBowring(enuToEcef(enu)); }

  const EnuOrigin& origin() const { return origin_; }

  // The formulas of the four conversions for one value (V = double, what they call) or lanes
  // (geodesy/lanes.h): each lane gets the one-value bits. ecefToGeodeticOffAxis is
  // ecefToGeodeticBowring for a point off the polar axis (p > 0), and `regular` (lanes only) is false
  // in a lane whose atan2 arguments the lane functions leave to the one-value code.
  template <class V>
  void geodeticToEcef(V lon, V lat, V h, V& x, V& y, V& z) const;
  template <class V>
  void ecefToEnu(V x, V y, V z, V& east, V& north, V& up) const;
  template <class V>
  void enuToEcef(V east, V north, V up, V& x, V& y, V& z) const;
  template <class V, class M>
  void ecefToGeodeticOffAxis(V x, V y, V z, V& lon, V& lat, V& h, M& regular) const;
  // Earth-centred -> geodetic for formulas written once for one value and lanes: one value is
  // ecefToGeodeticBowring (the polar axis too; always true); lanes are ecefToGeodeticOffAxis,
  // true in the lanes off the polar axis whose arguments it takes.
  bool ecefToGeodetic(double x, double y, double z, double& lon, double& lat, double& h) const {
    const Point3 g = ecefToGeodeticBowring({x, y, z});
    lon = g.x;
    lat = g.y;
    h = g.z;
    return true;
  }
  template <class V>
  auto ecefToGeodetic(V x, V y, V z, V& lon, V& lat, V& h) const {
    const auto offAxis = x * x + y * y != 0.0;
    decltype(x * x != 0.0) regular;
    ecefToGeodeticOffAxis(x, y, z, lon, lat, h, regular);
    return offAxis & regular;
  }

 private:
  EnuOrigin origin_;
  double e2_;           // (2 − f)·f
  double oneMinusE2_;   // 1 − e²
  double e2OverOneMinusE2TimesB_;  // e²/(1 − e²)·b
  double e2TimesA_;     // e²·a
  double sinLon_, cosLon_, sinLat_, cosLat_;
  double minusSinLat_CosLon_, minusSinLat_SinLon_;  // (−sin φ0)·cos λ0, (−sin φ0)·sin λ0
  double cosLat_CosLon_, cosLat_SinLon_;
  double x0_, y0_, z0_;
};

// The unqualified sincos, atan2 and sqrt are elementary:: and std:: for double and the lane
// functions (found by argument-dependent lookup) for lanes.

template <class V>
void EnuFrame::geodeticToEcef(V lon, V lat, V h, V& x, V& y, V& z) const {
  using elementary::sincos;
  using std::sqrt;
  const V lambda = radiansFromDegrees(lon);
  const V phi = radiansFromDegrees(lat);
  V sinPhi, cosPhi, sinLambda, cosLambda;
  sincos(phi, sinPhi, cosPhi);
  sincos(lambda, sinLambda, cosLambda);
  const V n = origin_.a / sqrt(1 - e2_ * sinPhi * sinPhi);
  x = (n + h) * cosPhi * cosLambda;
  y = (n + h) * cosPhi * sinLambda;
  z = (oneMinusE2_ * n + h) * sinPhi;
}

template <class V>
void EnuFrame::ecefToEnu(V x, V y, V z, V& east, V& north, V& up) const {
  const V dx = x - x0_;
  const V dy = y - y0_;
  const V dz = z - z0_;
  east = -sinLon_ * dx + cosLon_ * dy;
  north = minusSinLat_CosLon_ * dx + minusSinLat_SinLon_ * dy + cosLat_ * dz;
  up = cosLat_CosLon_ * dx + cosLat_SinLon_ * dy + sinLat_ * dz;
}

template <class V>
void EnuFrame::enuToEcef(V east, V north, V up, V& x, V& y, V& z) const {
  x = -sinLon_ * east + minusSinLat_CosLon_ * north + cosLat_CosLon_ * up + x0_;
  y = cosLon_ * east + minusSinLat_SinLon_ * north + cosLat_SinLon_ * up + y0_;
  z = cosLat_ * north + sinLat_ * up + z0_;
}

template <class V, class M>
void EnuFrame::ecefToGeodeticOffAxis(V x, V y, V z, V& lon, V& lat, V& h, M& regular) const {
  using elementary::atan2;
  using elementary::sincos;
  using std::sqrt;
  const double a = origin_.a;
  const double b = origin_.b;
  const V rho = sqrt(x * x + y * y);
  M lonRegular, thetaRegular, phiRegular;
  const V lambda = atan2(y, x, lonRegular);
  const V theta = atan2(a * z, b * rho, thetaRegular);
  V st, ct;
  sincos(theta, st, ct);
  const V phi = atan2(z + e2OverOneMinusE2TimesB_ * st * st * st, rho - e2TimesA_ * ct * ct * ct,
                      phiRegular);
  V sinPhi, cosPhi;
  sincos(phi, sinPhi, cosPhi);
  h = rho / cosPhi - a / sqrt(1 - e2_ * sinPhi * sinPhi);
  lon = degreesFromRadians(lambda);
  lat = degreesFromRadians(phi);
  regular = lonRegular & thetaRegular & phiRegular;
}
