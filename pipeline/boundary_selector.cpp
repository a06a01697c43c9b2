#include "pipeline/boundary_selector.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#define GEOS_USE_ONLY_R_API
#include <geos_c.h>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// GEOS measures a point-to-segment distance from coordinate differences, a few roundings of
// order 1e-16 of the coordinates involved. The bounding-box shortcut skips a polygon only when
// its box is farther than best by more than 1e-12 of those magnitudes: a thousandfold margin
// over that rounding, and still only about 1e-5 m for coordinates of 1e7 m.
constexpr double kShortcutMargin = 1e-12;

std::size_t frameIndex(BoundaryFrame frame) { return frame == BoundaryFrame::project ? 0 : 1; }

bool finitePoint(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

// Everything GEOS: one context per selector, each definition's polygon built on its first
// visit, the grids of both frames.
class BoundarySelector::Impl {
 public:
  explicit Impl(std::size_t definitionCount);
  ~Impl();
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  std::optional<std::size_t> select(const std::vector<PreparedBoundary>& boundaries,
                                    const Point3& p, BoundaryFrame frame, std::string* why);
  std::size_t lastReach() const { return reach_; }

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

BoundarySelector::Impl::Impl(std::size_t definitionCount)
    : context_(GEOS_init_r()) {
  for (std::vector<Entry>& entries : entries_) entries.resize(definitionCount);
}

BoundarySelector::Impl::~Impl() {
  if (context_ == nullptr) return;
  for (std::vector<Entry>& entries : entries_) {
    for (Entry& entry : entries) {
      if (entry.prepared != nullptr) GEOSPreparedGeom_destroy_r(context_, entry.prepared);
      if (entry.polygon != nullptr) GEOSGeom_destroy_r(context_, entry.polygon);
    }
  }
  GEOS_finish_r(context_);
}

// The point of one selection as a GEOS geometry, made on first need and released at the end.
class BoundarySelector::Impl::Query {
 public:
  Query(GEOSContextHandle_t context, const Point3& p) : context_(context), p_(p) {}
  ~Query() {
    if (geometry_ != nullptr) GEOSGeom_destroy_r(context_, geometry_);
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  const Point3& point() const { return p_; }

  // GEOS distance (x, y) from the point to the polygon; NaN when GEOS reports an error.
  double distance(const Entry& entry) {
    const GEOSGeometry* point = geometry();
    if (point == nullptr) return kNaN;
    double d = kNaN;
    const int ok = entry.prepared != nullptr && finitePoint(p_)
                       ? GEOSPreparedDistance_r(context_, entry.prepared, point, &d)
                       : GEOSDistance_r(context_, entry.polygon, point, &d);
    return ok == 1 ? d : kNaN;
  }
  // Inside or on the prepared polygon (robust predicate): exactly where the distance is 0.
  // False also when GEOS reports an error.
  bool contained(const Entry& entry) {
    const GEOSGeometry* point = geometry();
    return point != nullptr && GEOSPreparedIntersects_r(context_, entry.prepared, point) == 1;
  }

 private:
  const GEOSGeometry* geometry() {
    if (geometry_ == nullptr) geometry_ = GEOSGeom_createPointFromXY_r(context_, p_.x, p_.y);
    return geometry_;
  }

  GEOSContextHandle_t context_;
  Point3 p_;
  GEOSGeometry* geometry_ = nullptr;
};

void BoundarySelector::Impl::reach(const std::vector<PreparedBoundary>& boundaries,
                             std::vector<Entry>& entries, std::size_t i, BoundaryFrame frame) {
  reach_ = std::max(reach_, i + 1);
  if (entries[i].state == State::unvisited) visit(boundaries[i], entries[i], frame);
}

std::optional<std::size_t> BoundarySelector::Impl::select(
    const std::vector<PreparedBoundary>& boundaries, const Point3& p, BoundaryFrame frame,
    std::string* why) {
  std::vector<Entry>& entries = entries_[frameIndex(frame)];
  reach_ = 0;
  std::optional<std::size_t> unusable;
  std::optional<std::size_t> chosen;
  if (context_ == nullptr) {
    // No geometry: no polygon is ever built, every boundary is passed over.
    for (std::size_t i = 0; i < entries.size() && !chosen; ++i) {
      reach(boundaries, entries, i, frame);
      if (entries[i].state == State::empty) chosen = i;
    }
    return chosen.value_or(0);
  }
  if ((chosen = selectByGrid(boundaries, entries, frame, p))) {
    reach_ = entries.size();  // the containment rule visits every definition
    return chosen;
  }
  Query query(context_, p);
  chosen = selectByContainment(boundaries, entries, frame, query, unusable);
  if (!chosen && !unusable) chosen = selectByDistance(boundaries, entries, frame, query, unusable);
  if (unusable) {
    if (why != nullptr) {
      const PreparedBoundary& boundary = boundaries[*unusable];
      const std::string reason = boundary.projectFailure.empty()
                                     ? std::string("its control-point fit failed")
                                     : boundary.projectFailure;
      *why = "definition [" + std::to_string(*unusable) + "] \"" + boundary.projectid +
             "\" has no boundary polygon in the project frame (" + reason +
             "), so it cannot be told whether the point belongs to it";
    }
    return std::nullopt;
  }
  return chosen;
}

std::optional<std::size_t> BoundarySelector::Impl::selectByContainment(
    const std::vector<PreparedBoundary>& boundaries, std::vector<Entry>& entries,
    BoundaryFrame frame, Query& query,
    std::optional<std::size_t>& unusable) {
  const Point3& p = query.point();
  if (!finitePoint(p)) return std::nullopt;
  std::optional<std::size_t> inside;
  std::size_t uncertain[4];  // measured before `inside`, not certainly at a distance > 0
  std::size_t uncertainCount = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Entry& entry = entries[i];
    reach(boundaries, entries, i, frame);
    if (entry.state == State::empty) return i;  // chosen at once, whatever came before
    if (entry.state == State::passedOver || inside) continue;
    if (entry.state == State::unusable) {
      // The point may lie inside it, which would make it the choice.
      unusable = i;
      return std::nullopt;
    }
    if (entry.prepared == nullptr) return std::nullopt;
    if (query.contained(entry)) {
      inside = i;
      continue;
    }
    const double box = boxDistance(entry, p);
    if (box > margin(entry, p, box)) continue;  // its distance is certainly > 0
    if (uncertainCount == std::size(uncertain)) return std::nullopt;
    uncertain[uncertainCount++] = i;
  }
  if (!inside) return std::nullopt;
  // Outside a polygon GEOS's distance can still round to 0 very near an edge; such a 0 keeps
  // the earlier choice, so measure where the box could not rule it out.
  for (std::size_t k = 0; k < uncertainCount; ++k) {
    if (!(query.distance(entries[uncertain[k]]) > 0.0)) return std::nullopt;
  }
  return inside;
}

std::size_t BoundarySelector::Impl::selectByDistance(const std::vector<PreparedBoundary>& boundaries,
                                               std::vector<Entry>& entries, BoundaryFrame frame,
                                               Query& query,
                                               std::optional<std::size_t>& unusable) {
  const Point3& p = query.point();
  std::optional<std::size_t> chosen;
  double best = 0.0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Entry& entry = entries[i];
    reach(boundaries, entries, i, frame);
    if (entry.state == State::empty) return i;
    if (entry.state == State::passedOver) continue;
    if (entry.state == State::unusable) {
      // Unknown distance: it could be nearer than every polygon so far, unless one holds the
      // point (best 0).
      if (!chosen || best > 0.0) unusable = i;
      if (unusable) return 0;
      continue;
    }
    if (!chosen) {
      chosen = i;
      best = query.distance(entry);
      continue;
    }
    // Distances are never negative: after a 0 (or a NaN) no later one can replace the choice,
    // but the later definitions are still visited for an empty boundary.
    if (!(best > 0.0)) continue;
    // A box farther than best (beyond the rounding margin) holds no nearer polygon.
    const double box = boxDistance(entry, p);
    if (box > best + margin(entry, p, box)) continue;
    const double d = query.distance(entry);
    if (best > d) {
      chosen = i;
      best = d;
    }
  }
  return chosen.value_or(0);
}

void BoundarySelector::Impl::visit(const PreparedBoundary& boundary, Entry& entry,
                             BoundaryFrame frame) {
  if (boundary.pointCount == 0) {
    entry.state = State::empty;
    return;
  }
  const std::vector<Point3>& ring =
      frame == BoundaryFrame::project ? boundary.project : boundary.enu;
  // One or two points form no ring; an unprepared list gives no polygon.
  if (ring.size() < 3 || ring.size() != boundary.pointCount) {
    entry.state = State::passedOver;
    return;
  }
  if (frame == BoundaryFrame::project &&
      (boundary.fitFailed || !boundary.projectFailure.empty())) {
    entry.state = State::unusable;
    return;
  }
  buildPolygon(ring, entry);
}

void BoundarySelector::Impl::buildPolygon(const std::vector<Point3>& ring, Entry& entry) {
  entry.state = State::passedOver;
  if (context_ == nullptr) return;
  // A closed ring: the n points in order, then the first again (n + 1 coordinates).
  const auto size = static_cast<unsigned int>(ring.size());
  GEOSCoordSequence* sequence = GEOSCoordSeq_create_r(context_, size + 1, 2);
  if (sequence == nullptr) return;
  for (unsigned int i = 0; i <= size; ++i) {
    const Point3& q = ring[i == size ? 0 : i];
    GEOSCoordSeq_setXY_r(context_, sequence, i, q.x, q.y);
  }
  GEOSGeometry* shell = GEOSGeom_createLinearRing_r(context_, sequence);  // owns sequence
  if (shell == nullptr) return;  // rejected, e.g. a NaN first point cannot close the ring
  entry.polygon = GEOSGeom_createPolygon_r(context_, shell, nullptr, 0);  // owns shell
  if (entry.polygon == nullptr) return;
  entry.state = State::polygon;

  bool finite = true;
  entry.minX = entry.maxX = ring[0].x;
  entry.minY = entry.maxY = ring[0].y;
  for (const Point3& q : ring) {
    finite = finite && finitePoint(q);
    entry.minX = std::min(entry.minX, q.x);
    entry.maxX = std::max(entry.maxX, q.x);
    entry.minY = std::min(entry.minY, q.y);
    entry.maxY = std::max(entry.maxY, q.y);
  }
  entry.magnitude = finite ? std::max({std::fabs(entry.minX), std::fabs(entry.maxX),
                                       std::fabs(entry.minY), std::fabs(entry.maxY)})
                           : std::numeric_limits<double>::infinity();  // no shortcut
  // The prepared distance is used only where it is known to agree with the plain one: finite
  // coordinates and a valid polygon (a self-crossing ring is measured directly).
  if (finite && GEOSisValid_r(context_, entry.polygon) == 1) {
    entry.prepared = GEOSPrepare_r(context_, entry.polygon);
  }
}

// Distance (x, y) from the point to the bounding box, 0 inside it; NaN when the box or the
// point is not finite, so that no shortcut's comparison passes.
double BoundarySelector::Impl::boxDistance(const Entry& entry, const Point3& p) {
  if (!std::isfinite(entry.magnitude) || !finitePoint(p)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const double dx = std::max({entry.minX - p.x, p.x - entry.maxX, 0.0});
  const double dy = std::max({entry.minY - p.y, p.y - entry.maxY, 0.0});
  return std::hypot(dx, dy);
}

// GEOS may compute a distance up to this much below the true one, which is at least the box
// distance.
double BoundarySelector::Impl::margin(const Entry& entry, const Point3& p, double boxDistance) {
  return kShortcutMargin * (entry.magnitude + std::fabs(p.x) + std::fabs(p.y) + boxDistance);
}

std::optional<std::size_t> BoundarySelector::Impl::selectByGrid(
    const std::vector<PreparedBoundary>& boundaries, std::vector<Entry>& entries,
    BoundaryFrame frame, const Point3& p) {
  Grid& grid = grids_[frameIndex(frame)];
  if (!grid.checked) buildGrid(boundaries, entries, frame, grid);
  if (grid.cells.empty() || !finitePoint(p)) return std::nullopt;
  const double cx = std::floor((p.x - grid.minX) / grid.stepX);
  const double cy = std::floor((p.y - grid.minY) / grid.stepY);
  if (!(cx >= 0.0 && cx < kGridCells && cy >= 0.0 && cy < kGridCells)) return std::nullopt;
  const int ix = static_cast<int>(cx);
  const int iy = static_cast<int>(cy);
  // The cell's edges as the cell was measured; the division above may round a point near an
  // edge into the neighbouring cell, which the exact comparison catches.
  const double x0 = grid.minX + ix * grid.stepX, x1 = grid.minX + (ix + 1) * grid.stepX;
  const double y0 = grid.minY + iy * grid.stepY, y1 = grid.minY + (iy + 1) * grid.stepY;
  if (!(p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1)) return std::nullopt;
  std::int32_t& cell = grid.cells[static_cast<std::size_t>(iy) * kGridCells + ix];
  if (cell == Grid::kUnknown) cell = decideCell(entries, x0, y0, x1, y1);
  if (cell < 0) return std::nullopt;
  return static_cast<std::size_t>(cell);
}

void BoundarySelector::Impl::buildGrid(const std::vector<PreparedBoundary>& boundaries,
                                 std::vector<Entry>& entries, BoundaryFrame frame, Grid& grid) {
  grid.checked = true;
  bool any = false;
  double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    reach(boundaries, entries, i, frame);
    const Entry& entry = entries[i];
    if (entry.state == State::passedOver) continue;
    if (entry.state != State::polygon || entry.prepared == nullptr) return;
    minX = any ? std::min(minX, entry.minX) : entry.minX;
    minY = any ? std::min(minY, entry.minY) : entry.minY;
    maxX = any ? std::max(maxX, entry.maxX) : entry.maxX;
    maxY = any ? std::max(maxY, entry.maxY) : entry.maxY;
    any = true;
  }
  grid.stepX = (maxX - minX) / kGridCells;
  grid.stepY = (maxY - minY) / kGridCells;
  if (!any || !(grid.stepX > 0.0) || !(grid.stepY > 0.0)) return;
  grid.minX = minX;
  grid.minY = minY;
  grid.cells.assign(static_cast<std::size_t>(kGridCells) * kGridCells, Grid::kUnknown);
}

// The definition of every point of the closed box [x0, x1] x [y0, y1], or Grid::kNone.
std::int32_t BoundarySelector::Impl::decideCell(const std::vector<Entry>& entries, double x0,
                                          double y0, double x1, double y1) {
  GEOSGeometry* box = makeBox(x0, y0, x1, y1);
  if (box == nullptr) return Grid::kNone;
  std::int32_t chosen = Grid::kNone;
  const Point3 corner{std::max(std::fabs(x0), std::fabs(x1)),
                      std::max(std::fabs(y0), std::fabs(y1)), 0.0};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& entry = entries[i];
    if (entry.state != State::polygon) continue;
    if (GEOSPreparedContainsProperly_r(context_, entry.prepared, box) == 1) {
      chosen = static_cast<std::int32_t>(i);
      break;
    }
    // Before the one that holds the cell, each must be certainly apart from all of it.
    double d = kNaN;
    if (GEOSPreparedDistance_r(context_, entry.prepared, box, &d) != 1 ||
        !(d > margin(entry, corner, d))) {
      break;
    }
  }
  GEOSGeom_destroy_r(context_, box);
  return chosen;
}

// The closed box as a GEOS polygon (null when GEOS refuses it).
GEOSGeometry* BoundarySelector::Impl::makeBox(double x0, double y0, double x1, double y1) const {
  GEOSCoordSequence* sequence = GEOSCoordSeq_create_r(context_, 5, 2);
  if (sequence == nullptr) return nullptr;
  const double xs[5] = {x0, x1, x1, x0, x0};
  const double ys[5] = {y0, y0, y1, y1, y0};
  for (unsigned int i = 0; i < 5; ++i) GEOSCoordSeq_setXY_r(context_, sequence, i, xs[i], ys[i]);
  GEOSGeometry* shell = GEOSGeom_createLinearRing_r(context_, sequence);
  if (shell == nullptr) return nullptr;
  return GEOSGeom_createPolygon_r(context_, shell, nullptr, 0);
}

BoundarySelector::BoundarySelector(std::vector<PreparedBoundary> boundaries)
    : boundaries_(std::move(boundaries)), impl_(std::make_unique<Impl>(boundaries_.size())) {}

BoundarySelector::~BoundarySelector() = default;

std::optional<std::size_t> BoundarySelector::select(const Point3& p, BoundaryFrame frame,
                                                    std::string* why) {
  return impl_->select(boundaries_, p, frame, why);
}

std::size_t BoundarySelector::lastReach() const { return impl_->lastReach(); }
