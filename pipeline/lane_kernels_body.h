#pragma once

// The body of convertLanes (pipeline/lane_kernels.h), compiled once per instruction set by a
// file that defines QUORVEX_LANES_NAMESPACE. Everything is inlined into convertLanes
// (flatten): no inline function compiled here for one instruction set is left for the linker
// to pick for another.

#include <algorithm>

#include "geodesy/lanes.h"
#include "geodesy/lane_elementary.h"
#include "pipeline/definition_chain_steps.h"
#include "pipeline/lane_kernels.h"
#include "pipeline/zone_step.h"

namespace QUORVEX_LANES_NAMESPACE {

// The way back of one group of lanes through `step` (a DefinitionChain or a ControlStep), in
// place, as Converter::convertBack.
template <class Step>
inline Mask convertGroupBack(const LaneJob& job, const Step& step, Lanes& x, Lanes& y,
                             Lanes& z) {
  switch (job.kind) {
    case ConversionKind::projectToEnu:
      return step.template fromEnu<Lanes, Mask>(x, y, z);
    case ConversionKind::enuToProject:
      return step.template toEnu<Lanes, Mask>(x, y, z);
    case ConversionKind::projectToZone: {
      Lanes lon, lat, h;
      const Mask on = zonePlaneToGeodetic<Lanes, Mask>(*job.zone, x, y, z, lon, lat, h);
      return on & step.template geodeticToProject<Lanes, Mask>(lon, lat, h, x, y, z);
    }
  }
  return maskOf(false);
}

// The conversion of one group of lanes through `step`, in place; the lanes that hold the
// one-value bits.
template <class Step>
inline Mask convertGroup(const LaneJob& job, const Step& step, Lanes& x, Lanes& y, Lanes& z) {
  if (job.back) return convertGroupBack(job, step, x, y, z);
  switch (job.kind) {
    case ConversionKind::projectToEnu:
      return step.template toEnu<Lanes, Mask>(x, y, z);
    case ConversionKind::enuToProject:
      return step.template fromEnu<Lanes, Mask>(x, y, z);
    case ConversionKind::projectToZone: {
      // As Converter::projectToZone: to ENU, back to geodetic on the run's frame, then the
      // zone's projection; the height is the geodetic one.
      Mask ok = step.template toEnu<Lanes, Mask>(x, y, z);
      Lanes lon, lat, h;
      ok = ok & enuToGeodetic<Lanes, Mask>(*job.frame, x, y, z, lon, lat, h);
      ok = ok & geodeticToZonePlane<Lanes, Mask>(*job.zone, lon, lat, h, x, y, z, nullptr);
      return ok & isFinite(x) & isFinite(y);
    }
  }
  return maskOf(false);
}

template <class Step>
inline void convertAll(const LaneJob& job, const Step& step, const double* in, double* out,
                       unsigned char* done, std::size_t count) {
  for (std::size_t start = 0; start < count; start += kLaneCount) {
    const std::size_t n = std::min<std::size_t>(kLaneCount, count - start);
    Lanes x{}, y{}, z{};
    // A short last group repeats its last point in the lanes left over.
    for (int i = 0; i < kLaneCount; ++i) {
      const std::size_t at = start + std::min<std::size_t>(static_cast<std::size_t>(i), n - 1);
      const double* p = in + 3 * at;
      setLane(x, i, p[0]);
      setLane(y, i, p[1]);
      setLane(z, i, p[2]);
    }
    const Mask ok = convertGroup(job, step, x, y, z);
    for (std::size_t i = 0; i < n; ++i) {
      const bool converted = lane(ok, static_cast<int>(i));
      done[start + i] = converted ? 1 : 0;
      if (!converted) continue;
      double* q = out + 3 * (start + i);
      q[0] = lane(x, static_cast<int>(i));
      q[1] = lane(y, static_cast<int>(i));
      q[2] = lane(z, static_cast<int>(i));
    }
  }
}

// The definition's type is chosen once for the batch.
__attribute__((flatten)) void convertLanes(const LaneJob& job, const double* in, double* out,
                                           unsigned char* done, std::size_t count) {
  if (job.chain != nullptr) {
    convertAll(job, *job.chain, in, out, done, count);
  } else if (job.control != nullptr) {
    convertAll(job, *job.control, in, out, done, count);
  } else {
    std::fill(done, done + count, 0);
  }
}

}  // namespace QUORVEX_LANES_NAMESPACE
