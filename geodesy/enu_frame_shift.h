#pragma once

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"
#include "geodesy/enu_frame.h"

// The rigid change between two local east-north-up frames, `from` and `to`:
//   e_to = R_to·(R_fromᵀ·e_from + X0_from − X0_to)
// with R the ENU rotation of each origin and X0 its Earth-centred position. It goes through the
// Earth-centred point (EnuFrame::enuToEcef, then ecefToEnu), so it is exact up to rounding
// (about 1e-9 m for Earth-centred coordinates of 6.4e6 m) for any two origins, on any two
// ellipsoids: an ENU frame is a rotation plus a shift of the Earth-centred frame, and the
// ellipsoid only decides where the origin point lies.
//
// A frame fitted to control points (their ENU about their own centre) is related to the run's
// ENU frame by this change whenever the run's origin is elsewhere.
class EnuFrameShift {
 public:
  EnuFrameShift(const EnuOrigin& from, const EnuOrigin& to) : from_(from), to_(to) {}

  // ENU about `from` (m) -> ENU about `to` (m).
  [[nodiscard]] Point3 forward(const Point3& e) const { return to_.ecefToEnu(from_.enuToEcef(e)); }
  // ENU about `to` (m) -> ENU about `from` (m).
  [[nodiscard]] Point3 inverse(const Point3& e) const { return from_.ecefToEnu(to_.enuToEcef(e)); }
  // The two in place, for one value or lanes (geodesy/lanes.h), with the bits of the above.
  template <class V>
  void forwardIn(V& x, V& y, V& z) const {
    V ex, ey, ez;
    from_.enuToEcef(x, y, z, ex, ey, ez);
    to_.ecefToEnu(ex, ey, ez, x, y, z);
  }
  template <class V>
  void inverseIn(V& x, V& y, V& z) const {
    V ex, ey, ez;
    to_.enuToEcef(x, y, z, ex, ey, ez);
    from_.ecefToEnu(ex, ey, ez, x, y, z);
  }

 private:
  EnuFrame from_;
  EnuFrame to_;
};

// True when two origins define the same ENU frame: the same longitude, latitude, height and
// ellipsoid (a, b, f), compared exactly. The two spare values do not take part.
[[nodiscard]] inline bool sameEnuFrame(const EnuOrigin& p, const EnuOrigin& q) {
  return p.lon == q.lon && p.lat == q.lat && p.height == q.height && p.a == q.a && p.b == q.b &&
         p.f == q.f;
}
