#pragma once

#include "coordinfo/point3.h"
#include "coordinfo/projectinfo.h"
#include "geodesy/ellipsoid.h"

// Datum and ellipsoid conversions of geodetic points (x = longitude°, y = latitude°,
// z = ellipsoidal height m) through Earth-centred coordinates (X, Y, Z m).
//
// Seven-parameter convention (BaseConv): coordinate frame rotation, exact matrix,
// rotate-scale-translate:
//   P′ = s·M·P + T,  s = 1 + ppmscale/1e6,  M = Rz(ωz)·Ry(ωy)·Rx(ωx),
//   Rx(ω) = [[1, 0, 0], [0, cos ω, sin ω], [0, −sin ω, cos ω]] (Ry, Rz likewise),
// rotations in arc-seconds (ω = r/3600·π/180). For small angles
// M ≈ [[1, ωz, −ωy], [−ωz, 1, ωx], [ωy, −ωx, 1]]: PROJ's
// "+proj=helmert +convention=coordinate_frame +exact" (pinned by tests/geodesy/datum_test.cpp).

// Most fixed-point steps ecefToGeodeticIterative takes. Measured on the four table ellipsoids,
// every 0.37° of latitude and heights from −500 m to 100 km: 3 to 9 steps (9 at 24°, 1 km
// up); past the limit it keeps the input latitude of the last step.
inline constexpr int kGeodeticIterationLimit = 25;
// Convergence: successive latitudes closer than this, in degrees.
inline constexpr double kGeodeticIterationTolerance = 1e-15;

// Which way a definition chain runs: project frame -> ENU, or ENU -> project frame.
enum class ChainDirection { toEnu, fromEnu };

// True when the definition's ellipsoidconv is present, its srcellipsoid equals `ellipsoid`
// (exact, whole string) and its desellipsoid differs from its srcellipsoid.
[[nodiscard]] bool ellipsoidChangeApplies(const projectinfo& info);

// The ellipsoid a definition projects on: lookupEllipsoid(ellipsoid), or, when the ellipsoid
// change applies, that of desellipsoid. A desellipsoid outside the table leaves the
// definition's own ellipsoid when going to ENU, and gives the default ellipsoid (WGS84
// values) when coming from ENU.
[[nodiscard]] Ellipsoid projectionEllipsoid(const projectinfo& info, ChainDirection direction);

// Geodetic -> Earth-centred on (a, f), with e² = (a² − b²)/a², b = a·(1 − f).
[[nodiscard]] Point3 geodeticToEcefOn(const Ellipsoid& ellipsoid, const Point3& geodetic);
// Earth-centred -> geodetic on (a, f) by fixed-point iteration of
// φ ← atan2(Z + e²·N(φ)·sin φ, p), started at atan2(Z, p), at most kGeodeticIterationLimit
// steps; h = Z / sin φ − (1 − e²)·N. Agrees with an exact solution to well below 1 mm for
// heights under 10 km. Where no step is taken (|atan2(Z, p)| <= 1e-15°: on the equatorial
// plane) h = p − a, the distance from the equator of the ellipsoid.
[[nodiscard]] Point3 ecefToGeodeticIterative(const Ellipsoid& ellipsoid, const Point3& ecef);

// The same point in space described on `to` instead of `from`: geodeticToEcefOn(from) then
// ecefToGeodeticIterative(to). The height changes with the ellipsoid.
[[nodiscard]] Point3 changeEllipsoid(const Ellipsoid& from, const Ellipsoid& to,
                                     const Point3& geodetic);

// Seven parameters on ellipsoid E (never the surface-enlarged one): ENU side -> project side.
[[nodiscard]] Point3 sevenParamForward(const BaseConv& conv, const Ellipsoid& ellipsoid,
                                       const Point3& geodetic);
// The exact inverse of sevenParamForward: P = Mᵀ·((P′ − T)/s).
[[nodiscard]] Point3 sevenParamInverse(const BaseConv& conv, const Ellipsoid& ellipsoid,
                                       const Point3& geodetic);

// One ellipsoid set up for the two conversions above.
class EllipsoidFrame {
 public:
  explicit EllipsoidFrame(const Ellipsoid& ellipsoid);
  [[nodiscard]] Point3 geodeticToEcef(const Point3& geodetic) const;
  [[nodiscard]] Point3 ecefToGeodeticIterative(const Point3& ecef) const;  // the iteration above

 private:
  double a_;
  double e2_;          // (a² − b²)/a², b = a·(1 − f), for geodeticToEcef
  double oneMinusE2_;
  double iterE2_;      // e·e with e = sqrt(a² − b²)/a, b = a − a/(1/f), for the iteration
  double iterOneMinusE2_;
};

// changeEllipsoid set up once.
class EllipsoidChange {
 public:
  EllipsoidChange(const Ellipsoid& from, const Ellipsoid& to) : from_(from), to_(to) {}
  [[nodiscard]] Point3 operator()(const Point3& geodetic) const {
    return to_.ecefToGeodeticIterative(from_.geodeticToEcef(geodetic));
  }

 private:
  EllipsoidFrame from_;
  EllipsoidFrame to_;
};

// A seven-parameter conversion on one ellipsoid, its matrix and scale set up once.
class SevenParamTransform {
 public:
  SevenParamTransform(const BaseConv& conv, const Ellipsoid& ellipsoid);
  // Geodetic in, geodetic out (the operations above).
  [[nodiscard]] Point3 forward(const Point3& geodetic) const;
  [[nodiscard]] Point3 inverse(const Point3& geodetic) const;
  // The Earth-centred cores: s·M·P + T, and Mᵀ·((P′ − T)/s).
  [[nodiscard]] Point3 forwardEcef(const Point3& ecef) const;
  [[nodiscard]] Point3 inverseEcef(const Point3& ecef) const;

 private:
  EllipsoidFrame frame_;
  double tx_, ty_, tz_;  // m
  double scale_;         // 1 + ppmscale/1e6
  double m_[3][3];       // rotationMatrix, row-major
};
