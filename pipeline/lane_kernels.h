#pragma once

#include <cstddef>

#include "geodesy/enu_frame.h"
#include "geodesy/gauss_kruger.h"
#include "pipeline/control_step.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/definition_chain.h"

// What the lane code needs of one run's conversion.
struct LaneJob {
  ConversionKind kind = ConversionKind::projectToEnu;
  // The step of the definition: its projection chain, or its control-point transform.
  const DefinitionChain* chain = nullptr;
  const ControlStep* control = nullptr;
  // The run's frame, for the way back to geodetic positions in the zone mode.
  const EnuFrame* frame = nullptr;
  const GaussKrugerProjection* zone = nullptr;  // the zone mode's projection
  // The way back of `kind` (Converter::convertBack) instead of the conversion itself.
  bool back = false;
};

// Converts `count` vertices (in: x, y, z each) a few lanes at a time through `job`: where
// done[i] comes back 1, out[3i..3i+2] holds vertex i's conversion with the bits the one-value
// code gives it; where 0, out is untouched and the one-value code must convert the vertex.
// One build per instruction set (pipeline/lane_kernels_*.cpp); pipeline/lane_code.h chooses.
using LaneKernel = void (*)(const LaneJob& job, const double* in, double* out,
                            unsigned char* done, std::size_t count);

namespace lanes_baseline {
void convertLanes(const LaneJob& job, const double* in, double* out, unsigned char* done,
                  std::size_t count);
}

#if defined(QUORVEX_AVX2_LANES)
namespace lanes_avx2 {
void convertLanes(const LaneJob& job, const double* in, double* out, unsigned char* done,
                  std::size_t count);
}
#endif
