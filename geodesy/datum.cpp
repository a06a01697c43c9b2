#include "geodesy/datum.h"

#include <cmath>
#include <string>

#include "geodesy/elementary.h"
#include "geodesy/units.h"

bool ellipsoidChangeApplies(const projectinfo& info) {
  return info.ellipsoidconv.has_value() && info.ellipsoidconv->srcellipsoid == info.ellipsoid &&
         info.ellipsoidconv->desellipsoid != info.ellipsoidconv->srcellipsoid;
}

Ellipsoid projectionEllipsoid(const projectinfo& info, ChainDirection direction) {
  const Ellipsoid own = lookupEllipsoid(info.ellipsoid);
  if (!ellipsoidChangeApplies(info)) return own;
  const std::string& destination = info.ellipsoidconv->desellipsoid;
  // The two directions disagree on an unknown destination name; kept as the files converted
  // so far were.
  if (direction == ChainDirection::toEnu) return findEllipsoid(destination).value_or(own);
  return lookupEllipsoid(destination);
}

EllipsoidFrame::EllipsoidFrame(const Ellipsoid& ellipsoid) : a_(ellipsoid.a) {
  const double a = ellipsoid.a;
  const double f = ellipsoid.f;
  e2_ = eccentricitySquaredFromAxes(a, f);
  oneMinusE2_ = 1 - e2_;
  // The iteration's own form of e² (its last bits differ from e2_ above; both are kept).
  iterE2_ = eccentricitySquaredFromEccentricity(a, f);
  iterOneMinusE2_ = 1 - iterE2_;
}

Point3 EllipsoidFrame::geodeticToEcef(const Point3& g) const {
  const double lambda = radiansFromDegrees(g.x);
  const double phi = radiansFromDegrees(g.y);
  const double sinPhi = elementary::sin(phi);
  const double cosPhi = elementary::cos(phi);
  // N = a / sqrt(1 − e²·sin²φ), the prime-vertical radius of curvature.
  const double n = a_ / std::sqrt(1 - e2_ * sinPhi * sinPhi);
  return {(n + g.z) * cosPhi * elementary::cos(lambda),
          (n + g.z) * cosPhi * elementary::sin(lambda),
          (oneMinusE2_ * n + g.z) * sinPhi};
}

Point3 EllipsoidFrame::ecefToGeodeticIterative(const Point3& p) const {
  constexpr double toDegrees = kDegreesPerRadian;
  const double rho = std::sqrt(p.x * p.x + p.y * p.y);
  double phi = elementary::atan2(p.z, rho);
  double n = 0.0;
  double phiTaken = 0.0;
  if (std::fabs(phi) * toDegrees > kGeodeticIterationTolerance) {
    for (int step = 0; step < kGeodeticIterationLimit; ++step) {
      const double sinPhi = elementary::sin(phi);
      n = a_ / std::sqrt(1 - iterE2_ * sinPhi * sinPhi);
      const double next = elementary::atan2(p.z + iterE2_ * n * sinPhi, rho);
      // phiTaken is always the latitude the last N came from.
      phiTaken = phi;
      if (std::fabs(phi - next) * toDegrees <= kGeodeticIterationTolerance) break;
      phi = next;
    }
  }
  const double lon = elementary::atan2(p.y, p.x) * toDegrees;
  if (phiTaken == 0.0) {
    // No step taken: the point lies on the equatorial plane, where Z / sin φ is 0/0. Its
    // height there is its distance from the equator of the ellipsoid.
    return {lon, 0.0, rho - a_};
  }
  return {lon, phiTaken * toDegrees, p.z / elementary::sin(phiTaken) - iterOneMinusE2_ * n};
}

Point3 geodeticToEcefOn(const Ellipsoid& ellipsoid, const Point3& geodetic) {
  return EllipsoidFrame(ellipsoid).geodeticToEcef(geodetic);
}

Point3 ecefToGeodeticIterative(const Ellipsoid& ellipsoid, const Point3& ecef) {
  return EllipsoidFrame(ellipsoid).ecefToGeodeticIterative(ecef);
}

Point3 changeEllipsoid(const Ellipsoid& from, const Ellipsoid& to, const Point3& geodetic) {
  return EllipsoidChange(from, to)(geodetic);
}

SevenParamTransform::SevenParamTransform(const BaseConv& conv, const Ellipsoid& ellipsoid)
    : frame_(ellipsoid),
      tx_(conv.xoffset),
      ty_(conv.yoffset),
      tz_(conv.zoffset),
      scale_(1 + conv.ppmscale / kPartsPerMillion) {
  // ω = (r/3600)·π/180, r in arc-seconds.
  const double wx = radiansFromArcSeconds(conv.xrotate);
  const double wy = radiansFromArcSeconds(conv.yrotate);
  const double wz = radiansFromArcSeconds(conv.zrotate);
  const double cx = elementary::cos(wx), sx = elementary::sin(wx);
  const double cy = elementary::cos(wy), sy = elementary::sin(wy);
  const double cz = elementary::cos(wz), sz = elementary::sin(wz);
  // M = Rz(ωz)·Ry(ωy)·Rx(ωx), coordinate frame rotations, written out.
  m_[0][0] = cz * cy;
  m_[0][1] = sz * cx + cz * sy * sx;
  m_[0][2] = sz * sx - cz * sy * cx;
  m_[1][0] = -sz * cy;
  m_[1][1] = cz * cx - sz * sy * sx;
  m_[1][2] = cz * sx + sz * sy * cx;
  m_[2][0] = sy;
  m_[2][1] = -cy * sx;
  m_[2][2] = cy * cx;
}

Point3 SevenParamTransform::forwardEcef(const Point3& p) const {
  // Rotate, then scale the rotated vector, then shift.
  return {scale_ * (m_[0][0] * p.x + m_[0][1] * p.y + m_[0][2] * p.z) + tx_,
          scale_ * (m_[1][0] * p.x + m_[1][1] * p.y + m_[1][2] * p.z) + ty_,
          scale_ * (m_[2][0] * p.x + m_[2][1] * p.y + m_[2][2] * p.z) + tz_};
}

Point3 SevenParamTransform::inverseEcef(const Point3& p) const {
  const double bx = (p.x - tx_) / scale_;
  const double by = (p.y - ty_) / scale_;
  const double bz = (p.z - tz_) / scale_;
  // M is a rotation, so the solution of M·P = b is Mᵀ·b (no elimination needed).
  return {m_[0][0] * bx + m_[1][0] * by + m_[2][0] * bz,
          m_[0][1] * bx + m_[1][1] * by + m_[2][1] * bz,
          m_[0][2] * bx + m_[1][2] * by + m_[2][2] * bz};
}

Point3 SevenParamTransform::forward(const Point3& geodetic) const {
  return frame_.ecefToGeodeticIterative(forwardEcef(frame_.geodeticToEcef(geodetic)));
}

Point3 SevenParamTransform::inverse(const Point3& geodetic) const {
  return frame_.ecefToGeodeticIterative(inverseEcef(frame_.geodeticToEcef(geodetic)));
}

Point3 sevenParamForward(const BaseConv& conv, const Ellipsoid& ellipsoid,
                         const Point3& geodetic) {
  return SevenParamTransform(conv, ellipsoid).forward(geodetic);
}

Point3 sevenParamInverse(const BaseConv& conv, const Ellipsoid& ellipsoid,
                         const Point3& geodetic) {
  return SevenParamTransform(conv, ellipsoid).inverse(geodetic);
}
