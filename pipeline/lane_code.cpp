#include "pipeline/lane_code.h"

#include <cstdlib>

namespace {

bool cpuHasAvx2() {
#if defined(QUORVEX_AVX2_LANES)
  // Also checks that the operating system saves the AVX registers.
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

LaneCode chooseLaneCode() {
  if (const char* name = std::getenv("QUORVEX_LANES")) {
    if (const std::optional<LaneCode> named = laneCodeNamed(name)) return *named;
  }
  return cpuHasAvx2() ? LaneCode::avx2 : LaneCode::baseline;
}

}  // namespace

std::optional<LaneCode> laneCodeNamed(std::string_view name) {
  if (name == "off") return LaneCode::off;
  if (name == "baseline") return LaneCode::baseline;
  if (name == "avx2" && cpuHasAvx2()) return LaneCode::avx2;
  return std::nullopt;
}

LaneCode laneCodeInUse() {
  static const LaneCode code = chooseLaneCode();
  return code;
}

const char* laneCodeName(LaneCode code) {
  switch (code) {
    case LaneCode::off: return "off";
    case LaneCode::baseline: return "baseline";
    case LaneCode::avx2: return "avx2";
  }
  return "off";
}

LaneKernel laneKernel(LaneCode code) {
  switch (code) {
    case LaneCode::off: return nullptr;
    case LaneCode::baseline: return &lanes_baseline::convertLanes;
    case LaneCode::avx2:
#if defined(QUORVEX_AVX2_LANES)
      return &lanes_avx2::convertLanes;
#else
      return nullptr;
#endif
  }
  return nullptr;
}
