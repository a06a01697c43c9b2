#pragma once

#include <optional>
#include <string>

#include "coordinfo/coord_translate_info.h"
#include "pipeline/base_point.h"
#include "pipeline/conversion_kind.h"

// Where the ENU origin of a run comes from, chosen in one place (chooseEnuOrigin) for both
// directions, in this order:
//   project -> ENU: -inputbase, else the coordinate file's "basepoint", else the base point
//     computed from the vertices (the only one written to -base);
//   ENU -> project: -inputbase, else "basepoint", else the ENU:LAT,LON of the production's
//     metadata.xml, else (a fallback, warned) the frame a control-point definition was fitted
//     in (the last with source points: the centre of its points), else longitude 0,
//     latitude 0;
//   zone mode: none (each vertex goes through its geodetic position).
enum class OriginSource { none, inputbase, basepoint, metadata, computed, controlCentre, zero };

struct OriginChoice {
  OriginSource source = OriginSource::none;
  std::string text;     // how the report names it, e.g. "-inputbase"
  std::string warning;  // for a fallback: which origin it fell back to, and what to give
};

// The choice for `mode`; `*local.origin` is set to the origin where it is known now (all but
// a computed one). `metadata`: the ENU:LAT,LON of the metadata.xml read, if it states one.
OriginChoice chooseEnuOrigin(ConversionKind mode, const std::optional<BasePoint>& inputbase,
                             const std::optional<BasePoint>& metadata,
                             CoordTranslateInfo& local);

// Whether a run of `mode` may compute its base point, asked before the coordinate file is read
// (its "basepoint", when it has one, then keeps the run from it).
inline bool mayComputeBasePoint(ConversionKind mode, const std::optional<BasePoint>& inputbase) {
  return mode == ConversionKind::projectToEnu && !inputbase;
}
