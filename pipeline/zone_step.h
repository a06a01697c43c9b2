#pragma once

#include <string>
#include <type_traits>

#include "geodesy/enu_frame.h"
#include "geodesy/gauss_kruger.h"

// The zone mode's own steps, written once for one value (V = double, M = bool) and lanes
// (V = Lanes, M = Mask; include geodesy/lanes.h and geodesy/lane_elementary.h first), so the
// projection onto a zone and its way back give each lane the bits of its point one at a time.

// ENU about `frame` (m) -> geodetic on the frame's ellipsoid (lon°, lat°, h m), Bowring's
// closed form. Lanes leave the polar axis and arguments the lane functions do not take.
template <class V, class M>
M enuToGeodetic(const EnuFrame& frame, V x, V y, V z, V& lon, V& lat, V& h) {
  V ex, ey, ez;
  frame.enuToEcef(x, y, z, ex, ey, ez);
  return frame.ecefToGeodetic(ex, ey, ez, lon, lat, h);
}

// Geodetic (lon°, lat°, h m) -> the zone's plane (easting, northing m) with the height kept
// (x, y, z out). False off the zone's projection, the reason in `*why` (one value, when not
// null); the result's finiteness is the caller's to check.
template <class V, class M>
M geodeticToZonePlane(const GaussKrugerProjection& zone, V lon, V lat, V h, V& x, V& y, V& z,
                      std::string* why) {
  const M on = onProjection(lon, lat, h, zone.params().centralMeridian, why);
  if constexpr (std::is_same_v<V, double>) {
    if (!on) return false;
  }
  zone.forwardPlane(lon, lat, x, y);
  z = h;
  return on;
}

// The way back: the zone's plane (easting, northing m, height m) -> geodetic (lon°, lat°,
// h m). False off the zone's projection.
template <class V, class M>
M zonePlaneToGeodetic(const GaussKrugerProjection& zone, V x, V y, V z, V& lon, V& lat, V& h) {
  zone.inversePlane(x, y, lon, lat);
  h = z;  // the height passes through
  return onProjection(lon, lat, h, zone.params().centralMeridian, nullptr);
}
