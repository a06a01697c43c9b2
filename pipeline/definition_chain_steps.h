#pragma once

// DefinitionChain's conversions, each written once for one value (V = double, M = bool, what
// definition_chain.cpp instantiates) and for lanes (V = Lanes, M = Mask, instantiated by the
// lane kernels; include geodesy/lanes.h and geodesy/lane_elementary.h first): the same steps in
// the same order through formulas that are themselves written for both (geodesy/), so a lane
// converted here has the bits its point gets one at a time.
//
// Where the two differ is in what they may leave: one value takes every step (the datum and
// ellipsoid steps iterate, point by point) and says why a point is off the projection; lanes
// take no datum or ellipsoid step (lanesToEnu, lanesFromEnu) and leave a lane near an edge of
// the projection, on the polar axis, or with arguments the lane functions leave to the
// one-value code, to the one-value code (false in the mask).

#include <type_traits>

#include "geodesy/elementary.h"
#include "pipeline/definition_chain.h"

// Whether x, y and z are finite; one value says so in `*why` (when not null) where not.
template <class V, class M>
M finiteResult(const V& x, const V& y, const V& z, std::string* why) {
  using elementary::isFinite;
  const M finite = isFinite(x) & isFinite(y) & isFinite(z);
  if constexpr (std::is_same_v<V, double>) {
    if (!finite && why != nullptr) *why = "the result is not finite";
  }
  return finite;
}

template <class V, class M>
M DefinitionChain::projectToGeodeticSteps(V& x, V& y, V& z, std::string* why) const {
  if (adjust_) removeAdjustOffsets(*adjust_, x, y, z);
  // The height model sees the position without offsets, with the plane transform in place.
  if (alt_) z = alt_->removeFrom(x, y, z);
  if (plane_) plane_->removeFrom(x, y);
  V lon, lat;
  toEnuProjection_.inversePlane(x, y, lon, lat);  // z (the height) passes through
  // The series give finite numbers far beyond where they mean anything (an easting of 5e7 m
  // comes out as some longitude): such a point is not a position of this projection.
  const M on = onProjection(lon, lat, z, toEnuProjection_.params().centralMeridian, why);
  x = lon;
  y = lat;
  if constexpr (std::is_same_v<V, double>) {
    if (!on) return false;
    Point3 g{x, y, z};
    if (toEnuDatum_) g = toEnuDatum_->inverse(g);
    if (toEnuChange_) g = (*toEnuChange_)(g);
    x = g.x;
    y = g.y;
    z = g.z;
  }
  return on;
}

template <class V, class M>
M DefinitionChain::geodeticToProjectSteps(V& x, V& y, V& z, std::string* why) const {
  if constexpr (std::is_same_v<V, double>) {
    Point3 g{x, y, z};
    if (fromEnuChange_) g = (*fromEnuChange_)(g);
    if (fromEnuDatum_) g = fromEnuDatum_->forward(g);
    x = g.x;
    y = g.y;
    z = g.z;
  }
  const M on = onProjection(x, y, z, fromEnuProjection_.params().centralMeridian, why);
  if constexpr (std::is_same_v<V, double>) {
    if (!on) return false;
  }
  const V lon = x, lat = y;
  fromEnuProjection_.forwardPlane(lon, lat, x, y);  // z (the height) passes through
  if (plane_) plane_->applyTo(x, y);
  // Same position as going the other way: plane transform applied, offsets not yet added.
  if (alt_) z = alt_->applyTo(x, y, z);
  if (adjust_) applyAdjustOffsets(*adjust_, x, y, z);
  return on;
}

template <class V, class M>
M DefinitionChain::toEnuSteps(V& x, V& y, V& z, std::string* why) const {
  const M on = projectToGeodeticSteps<V, M>(x, y, z, why);
  if constexpr (std::is_same_v<V, double>) {
    if (!on) return false;
  }
  V ex, ey, ez;
  frame_.geodeticToEcef(x, y, z, ex, ey, ez);
  frame_.ecefToEnu(ex, ey, ez, x, y, z);
  return on & finiteResult<V, M>(x, y, z, why);
}

template <class V, class M>
M DefinitionChain::fromEnuSteps(V& x, V& y, V& z, std::string* why) const {
  V ex, ey, ez;
  frame_.enuToEcef(x, y, z, ex, ey, ez);
  const M geodetic = frame_.ecefToGeodetic(ex, ey, ez, x, y, z);
  const M on = geodeticToProjectSteps<V, M>(x, y, z, why);
  if constexpr (std::is_same_v<V, double>) {
    if (!on) return false;
  }
  return geodetic & on & finiteResult<V, M>(x, y, z, why);
}

template <class V, class M>
M DefinitionChain::toEnu(V& x, V& y, V& z) const {
  return toEnuSteps<V, M>(x, y, z, nullptr);
}

template <class V, class M>
M DefinitionChain::fromEnu(V& x, V& y, V& z) const {
  return fromEnuSteps<V, M>(x, y, z, nullptr);
}

template <class V, class M>
M DefinitionChain::geodeticToProject(V lon, V lat, V h, V& x, V& y, V& z) const {
  x = lon;
  y = lat;
  z = h;
  const M on = geodeticToProjectSteps<V, M>(x, y, z, nullptr);
  return on & finiteResult<V, M>(x, y, z, nullptr);
}
