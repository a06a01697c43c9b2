// Interim selection: the first definition. Replaced by the boundary selector.
#include "coordinfo/coord_translate_info.h"

std::optional<std::size_t> CoordTranslateInfo::selectDefinition(const Point3&, BoundaryFrame) {
  if (projects.empty()) return std::nullopt;
  return std::size_t{0};
}
