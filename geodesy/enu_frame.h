#pragma once

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"

// An EnuOrigin set up once for many points (the pattern of GeographicLib's
// LocalCartesian::Reset): the origin's sines and cosines, its Earth-centred position and the
// ellipsoid terms are computed in the constructor, so each per-point call is straight-line
// arithmetic. A one-off conversion builds an EnuFrame for the call: the same bits.
//
// Frames and units as in coordinfo/point3.h. Accuracy: the ENU conversions are exact
// rotations and shifts (rounding only); ecefToGeodetic is one step of Bowring's closed form,
// better than 1 mm in latitude and height for heights under 10 km.
class EnuFrame {
 public:
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
  Point3 ecefToGeodetic(const Point3& ecef) const;
  // ENU (m) -> geodetic (lon°, lat°, h m): enuToEcef then ecefToGeodetic.
  Point3 enuToGeodetic(const Point3& enu) const { return ecefToGeodetic(enuToEcef(enu)); }

  const EnuOrigin& origin() const { return origin_; }

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
