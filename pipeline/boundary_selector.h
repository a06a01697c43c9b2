#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#define GEOS_USE_ONLY_R_API
#include <geos_c.h>

#include "coordinfo/coord_translate_info.h"
#include "coordinfo/point3.h"

// The choice of definition by boundary polygon, for an info with two or more definitions,
// with one GEOS context and each definition's polygon built once (on its first visit) and
// kept for every later point. The choice is exactly that of building every polygon afresh:
//
//   visit the definitions in file order; prepareBoundary on each visited one;
//   an empty `boundary`            -> chosen at once, later ones neither visited nor prepared;
//   no usable polygon (one or two  -> passed over;
//     points, or lists not prepared)
//   no polygon in the project frame -> in the project frame, the selection fails when the
//     (boundaryprojFailure or         choice could still go to it (no polygon before it
//     boundaryFitFailed)               contains the point); passed over once the choice is
//                                      certain. Its ENU polygon is used as any other.
//   otherwise d = planar distance (x, y) from the point to the polygon, 0 inside or on it;
//     the first measured definition is chosen with best = d, a later one replaces it only
//     when best > d (ties keep the earlier one, a NaN never replaces);
//   every visited definition passed over -> the first definition.
//
// Shortcuts that cannot change the choice:
// - containment first: GEOS's distance is 0 exactly when its (robust) point-in-polygon test
//   puts the point inside or on the polygon. So the first polygon that contains the point is
//   the choice, provided every polygon measured before it is at a distance > 0; that is
//   certain when the point lies outside its bounding box by more than the rounding margin,
//   and measured otherwise. Only when no polygon contains the point are distances compared.
// - once best is 0 (or NaN) no later distance can replace it;
// - a polygon whose bounding box is farther than best (with a margin far above the rounding
//   of the distance) cannot replace it either.
// Valid polygons of finite coordinates are tested through a prepared geometry; others, and
// non-finite points, take the plain distance only.
class BoundarySelector {
 public:
  explicit BoundarySelector(std::size_t definitionCount);
  ~BoundarySelector();
  BoundarySelector(const BoundarySelector&) = delete;
  BoundarySelector& operator=(const BoundarySelector&) = delete;

  // The state belongs to an info with this many definitions; any other count means the
  // definitions changed and the selector must be rebuilt.
  bool validFor(const CoordTranslateInfo& info) const {
    return info.projects.size() == definitionCount_;
  }

  // Index of the chosen definition of `info` (validFor(info) must hold, two or more
  // definitions); fills the boundary caches of each visited definition. Empty, with the reason
  // in `*why` (when not null), when the choice would depend on a definition that has no
  // polygon in the project frame.
  std::optional<std::size_t> select(CoordTranslateInfo& info, const Point3& p,
                                    BoundaryFrame frame, std::string* why = nullptr);

 private:
  class Query;
  enum class State { unvisited, empty, passedOver, polygon, unusable };
  struct Entry {
    State state = State::unvisited;
    GEOSGeometry* polygon = nullptr;
    const GEOSPreparedGeometry* prepared = nullptr;  // null: measure `polygon` directly
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;  // bounding box
    double magnitude = 0.0;  // largest |coordinate| of the box, for the shortcut's margin
  };

  // The choice when a polygon contains the point and every one before it is certainly at a
  // distance > 0; empty when only the comparison of distances can decide.
  // `unusable` receives an unusable definition the choice could go to; the selection then
  // fails.
  std::optional<std::size_t> selectByContainment(CoordTranslateInfo& info,
                                                 std::vector<Entry>& entries,
                                                 BoundaryFrame frame, Query& query,
                                                 std::optional<std::size_t>& unusable);
  std::size_t selectByDistance(CoordTranslateInfo& info, std::vector<Entry>& entries,
                               BoundaryFrame frame, Query& query,
                               std::optional<std::size_t>& unusable);
  void visit(ProjectDefinition& definition, Entry& entry, BoundaryFrame frame);
  void buildPolygon(const std::vector<Point3>& ring, Entry& entry);
  static double boxDistance(const Entry& entry, const Point3& p);
  static double margin(const Entry& entry, const Point3& p, double boxDistance);

  GEOSContextHandle_t context_ = nullptr;
  std::size_t definitionCount_ = 0;
  std::array<std::vector<Entry>, 2> entries_;  // per BoundaryFrame
};
