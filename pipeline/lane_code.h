#pragma once

#include <optional>
#include <string_view>

#include "pipeline/lane_kernels.h"

// Which build of the lane code converts vertices. Every choice gives the same bits; they
// differ in speed only.
enum class LaneCode {
  off,       // one vertex at a time (the one-value code)
  baseline,  // the instruction set the program is built for (SSE2 on x86-64)
  avx2,      // AVX2, where the program has that build and the CPU has it
};

// The lane code of this process: the best the CPU and the build have, unless the environment
// variable QUORVEX_LANES names another ("off", "baseline", "avx2"); a name the CPU cannot run
// or that is unknown is ignored. Decided once, at the first call.
[[nodiscard]] LaneCode laneCodeInUse();
// The lane code named `name` if this process can run it.
[[nodiscard]] std::optional<LaneCode> laneCodeNamed(std::string_view name);
[[nodiscard]] const char* laneCodeName(LaneCode code);
// The entry of a lane code; null for LaneCode::off.
[[nodiscard]] LaneKernel laneKernel(LaneCode code);
