#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#define GEOS_USE_ONLY_R_API
#include <geos_c.h>

#include "coordinfo/point3.h"
#include "pipeline/prepare_boundary.h"

// Which boundary polygon a selection measures against.
enum class BoundaryFrame { project, enu };

// The choice of definition by boundary polygon, for two or more definitions, with one GEOS
// context and each definition's polygon built once (on its first visit) from its
// PreparedBoundary and kept for every later point. One selector belongs to one thread (GEOS
// geometries are not shared); the prepared rings it reads are shared and never written. The
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
  explicit BoundarySelector(std::size_t definitionCount);
  ~BoundarySelector();
  BoundarySelector(const BoundarySelector&) = delete;
  BoundarySelector& operator=(const BoundarySelector&) = delete;

  // Index of the chosen definition among `boundaries` (always the same list for one
  // selector, with the count given to the constructor; two or more). Empty, with the reason in
  // `*why` (when not null), when the choice would depend on a definition that has no polygon in
  // the project frame.
  std::optional<std::size_t> select(const std::vector<PreparedBoundary>& boundaries,
                                    const Point3& p, BoundaryFrame frame,
                                    std::string* why = nullptr);

  // How many definitions, from the first, the last select() looked at: a definition the
  // choice depended on lies among them, and none after them was visited.
  std::size_t lastReach() const { return reach_; }

  // Cells per side of the grid.
  static constexpr int kGridCells = 64;

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
  std::optional<std::size_t> selectByContainment(const std::vector<PreparedBoundary>& boundaries,
                                                 std::vector<Entry>& entries,
                                                 BoundaryFrame frame, Query& query,
                                                 std::optional<std::size_t>& unusable);
  std::size_t selectByDistance(const std::vector<PreparedBoundary>& boundaries,
                               std::vector<Entry>& entries,
                               BoundaryFrame frame, Query& query,
                               std::optional<std::size_t>& unusable);
  // Entry `i` looked at: built on its first visit.
  void reach(const std::vector<PreparedBoundary>& boundaries, std::vector<Entry>& entries,
             std::size_t i, BoundaryFrame frame);
  void visit(const PreparedBoundary& boundary, Entry& entry, BoundaryFrame frame);
  void buildPolygon(const std::vector<Point3>& ring, Entry& entry);
  static double boxDistance(const Entry& entry, const Point3& p);
  static double margin(const Entry& entry, const Point3& p, double boxDistance);

  // The cells of one frame; `cells` is empty when the grid is not used for it.
  struct Grid {
    static constexpr std::int32_t kUnknown = -2;  // not decided yet
    static constexpr std::int32_t kNone = -1;     // no choice certain over the whole cell
    bool checked = false;                         // whether it can be used has been decided
    double minX = 0.0, minY = 0.0, stepX = 0.0, stepY = 0.0;
    std::vector<std::int32_t> cells;  // kGridCells x kGridCells, by rows of equal y
  };
  // The grid's choice for `p`, when its cell has one.
  std::optional<std::size_t> selectByGrid(const std::vector<PreparedBoundary>& boundaries,
                                          std::vector<Entry>& entries, BoundaryFrame frame,
                                          const Point3& p);
  void buildGrid(const std::vector<PreparedBoundary>& boundaries, std::vector<Entry>& entries,
                 BoundaryFrame frame, Grid& grid);
  std::int32_t decideCell(const std::vector<Entry>& entries, double x0, double y0, double x1,
                          double y1);
  GEOSGeometry* makeBox(double x0, double y0, double x1, double y1) const;

  GEOSContextHandle_t context_ = nullptr;
  std::array<Grid, 2> grids_;  // per BoundaryFrame
  std::size_t reach_ = 0;
  std::array<std::vector<Entry>, 2> entries_;  // per BoundaryFrame
};
