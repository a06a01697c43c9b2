#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/point3.h"
#include "pipeline/prepare_boundary.h"

// Which boundary polygon a selection measures against.
enum class BoundaryFrame { project, enu };

// The choice of definition by boundary polygon, for two or more definitions, with one GEOS
// context and each definition's polygon built once (on its first visit) from its
// PreparedBoundary and kept for every later point. One selector belongs to one thread (GEOS
// geometries are not shared); it holds its own copy of the prepared rings. The
// choice is exactly that of building every polygon afresh:
//
//   visit the definitions in file order;
//   an empty `boundary`            -> chosen at once, later ones neither visited nor prepared;
//   no usable polygon (one or two  -> passed over;
//     points, or rings not prepared)
//   no polygon in the project frame -> in the project frame, the selection fails when the
//     (projectFailure or fitFailed)   choice could still go to it (no polygon before it
//                                      contains the point); passed over once the choice is
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
// - a grid over the polygons' bounding boxes (kGridCells x kGridCells, each cell decided on
//   the first point that falls in it): a cell that lies wholly and strictly inside a polygon,
//   while every polygon before it is certainly at a distance > 0 from the whole cell (beyond
//   the rounding margin), has that polygon as the choice of every point in it, as the
//   containment rule above would find it; other cells, and points outside the grid, take the
//   rules above. Used when every definition has a valid polygon of finite coordinates or is
//   passed over, so that no empty boundary or unusable definition can take part.
// Valid polygons of finite coordinates are tested through a prepared geometry; others, and
// non-finite points, take the plain distance only.
class BoundarySelector {
 public:
  // Selects among `boundaries` (two or more, in definition order), kept by the selector.
  explicit BoundarySelector(std::vector<PreparedBoundary> boundaries);
  ~BoundarySelector();
  BoundarySelector(const BoundarySelector&) = delete;
  BoundarySelector& operator=(const BoundarySelector&) = delete;

  // Index of the chosen definition. Empty, with the reason in `*why` (when not null), when the
  // choice would depend on a definition that has no polygon in the project frame.
  std::optional<std::size_t> select(const Point3& p, BoundaryFrame frame,
                                    std::string* why = nullptr);

  // How many definitions, from the first, the last select() looked at: a definition the
  // choice depended on lies among them, and none after them was visited.
  std::size_t lastReach() const;

  // Cells per side of the grid.
  static constexpr int kGridCells = 64;

 private:
  class Impl;  // the GEOS context and geometries (pipeline/boundary_selector.cpp)
  std::vector<PreparedBoundary> boundaries_;
  std::unique_ptr<Impl> impl_;
};
