#pragma once

#include <optional>
#include <string>

#include "coordinfo/coord_translate_info.h"
#include "pipeline/base_point.h"

// ENU -> project: sets `*local.origin` to the origin the ENU vertices are about: -inputbase,
// else the coordinate file's "basepoint", else the frame a control-point definition was
// fitted in (the last with source points: the centre of its points), else leaves longitude 0,
// latitude 0. Returns a warning when the origin is a fallback (neither the flag nor the file
// gives it), naming it, and how the source of the origin reads in the report.
struct OriginChoice {
  std::string source;   // e.g. "-inputbase"
  std::string warning;  // empty when the user gave the origin
};
OriginChoice chooseEnuInputOrigin(const std::optional<BasePoint>& inputbase,
                                  CoordTranslateInfo& local);
