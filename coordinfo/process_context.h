#pragma once

#include <cstdint>

#include "coordinfo/coord_translate_info.h"
#include "coordinfo/enu_origin.h"

// The process-wide state of one run, owned by main and passed explicitly: the process-wide
// translation info, the EnuOrigin it refers to, and the process-wide zone code. Control-point
// definitions place `origin` at the centre of their source points whichever info is parsed.
struct ProcessContext {
  EnuOrigin origin;
  CoordTranslateInfo info;
  int32_t globalzonecode = 0;

  ProcessContext() { info.origin = &origin; }
  ProcessContext(const ProcessContext&) = delete;
  ProcessContext& operator=(const ProcessContext&) = delete;
};
