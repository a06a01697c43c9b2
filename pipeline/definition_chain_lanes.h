#pragma once

// DefinitionChain's toEnu and fromEnu on lanes: the same steps in the same order as the
// one-value code (pipeline/definition_chain.cpp), each through the formula that code runs
// (written once for one value and lanes in geodesy/), so a lane converted here has the bits
// toEnu / fromEnu give its point. Include geodesy/lanes.h and geodesy/lane_elementary.h first.

#include "pipeline/definition_chain.h"

template <class V, class M>
M DefinitionChain::toEnuLanes(V& x, V& y, V& z) const {
  if (adjust_) removeAdjustOffsets(*adjust_, x, y, z);
  // The height model sees the position without offsets, with the plane transform in place.
  if (alt_) z = alt_->removeFrom(x, y, z);
  if (plane_) plane_->removeFrom(x, y);
  V lon, lat;
  toEnuProjection_.inversePlane(x, y, lon, lat);  // z (the height) passes through
  const M on = plainlyOnProjection(lon, lat, z, toEnuProjection_.params().centralMeridian);
  V ex, ey, ez;
  frame_.geodeticToEcef(lon, lat, z, ex, ey, ez);
  frame_.ecefToEnu(ex, ey, ez, x, y, z);
  return on & isFinite(x) & isFinite(y) & isFinite(z);
}

template <class V, class M>
M DefinitionChain::geodeticToProjectLanes(V lon, V lat, V h, V& x, V& y, V& z) const {
  const M on = plainlyOnProjection(lon, lat, h, fromEnuProjection_.params().centralMeridian);
  fromEnuProjection_.forwardPlane(lon, lat, x, y);
  z = h;  // the height passes through the projection
  if (plane_) plane_->applyTo(x, y);
  // Same position as going the other way: plane transform applied, offsets not yet added.
  if (alt_) z = alt_->applyTo(x, y, z);
  if (adjust_) applyAdjustOffsets(*adjust_, x, y, z);
  return on & isFinite(x) & isFinite(y) & isFinite(z);
}

template <class V, class M>
M DefinitionChain::fromEnuLanes(V& x, V& y, V& z) const {
  V ex, ey, ez;
  frame_.enuToEcef(x, y, z, ex, ey, ez);
  // Off the polar axis as the one-value code tells it.
  const M offAxis = ex * ex + ey * ey != 0.0;
  V lon, lat, h;
  M regular;
  frame_.ecefToGeodeticOffAxis(ex, ey, ez, lon, lat, h, regular);
  return offAxis & regular & geodeticToProjectLanes<V, M>(lon, lat, h, x, y, z);
}
