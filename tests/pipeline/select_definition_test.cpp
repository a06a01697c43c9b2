// Choice of definition by boundary polygon: the rules case by case in both frames, and the
// cached, prepared selection against a plain reference (fresh GEOS polygon and GEOSDistance_r
// for every point) on thousands of random points, on edges and on vertices.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#define GEOS_USE_ONLY_R_API
#include <geos_c.h>

#include "coordinfo/coord_translate_info.h"

namespace {

// The ENU lists are the project lists moved by this offset (exact in binary), so a point p in
// the project frame and p − offset in ENU must give the same choice.
constexpr double kOffsetX = 500000.0;
constexpr double kOffsetY = 3300000.0;

using Ring = std::vector<Point3>;

Ring square(double x0, double y0, double side) {
  return {{x0, y0, 0}, {x0 + side, y0, 0}, {x0 + side, y0 + side, 0}, {x0, y0 + side, 0}};
}

Ring shifted(const Ring& ring, double dx, double dy) {
  Ring out;
  for (const Point3& p : ring) out.push_back({p.x + dx, p.y + dy, p.z});
  return out;
}

// A definition whose boundary lists are already prepared (prepareBoundary leaves them): the
// project ring at project coordinates, the same ring moved by −offset in ENU.
ProjectDefinition prepared(const Ring& projectRing) {
  ProjectDefinition d;
  d.type = "test";
  d.boundary.assign(projectRing.size(), Point3{117.0, 30.0, 0.0});
  d.boundaryproj = projectRing;
  d.boundaryenu = shifted(projectRing, -kOffsetX, -kOffsetY);
  return d;
}

Ring at(const Ring& local) { return shifted(local, kOffsetX, kOffsetY); }

struct Case {
  const char* name;
  std::vector<ProjectDefinition> definitions;
  Point3 localPoint;  // relative to the offset
  std::size_t expected;
  // The project-frame selection fails (a definition without a project polygon could be the
  // choice); `expected` then holds for the ENU frame only.
  bool projectFails = false;
};

std::vector<Case> ruleCases() {
  ProjectDefinition empty;
  empty.type = "test";
  ProjectDefinition unprepared;  // boundary without lists and without origin: never filled
  unprepared.type = "test";
  unprepared.boundary = square(0, 0, 1);
  const auto fitFailedAt = [](const Ring& ring) {
    ProjectDefinition d = prepared(ring);
    d.boundaryFitFailed = true;
    return d;
  };
  const ProjectDefinition fitFailed = fitFailedAt(at(square(0, 0, 100)));
  ProjectDefinition unconvertible = prepared(at(square(0, 0, 100)));
  unconvertible.boundaryprojFailure = "boundary point 1 cannot be converted";
  const Ring twoPoints = at({{0, 0, 0}, {100, 0, 0}});
  const Ring onePoint = at({{50, 50, 0}});
  // An L shape whose notch holds the point; the square beside it is nearer.
  const Ring lShape = at({{0, 0, 0}, {100, 0, 0}, {100, 40, 0}, {40, 40, 0}, {40, 100, 0},
                          {0, 100, 0}});
  return {
      {"inside the second only", {prepared(at(square(0, 0, 100))),
                                  prepared(at(square(200, 0, 100)))}, {250, 50, 0}, 1},
      {"inside both: the first", {prepared(at(square(0, 0, 100))),
                                  prepared(at(square(50, 50, 100)))}, {75, 75, 0}, 0},
      {"on the shared edge: the first", {prepared(at(square(0, 0, 100))),
                                         prepared(at(square(100, 0, 100)))}, {100, 50, 0}, 0},
      {"empty boundary stops the visit", {prepared(at(square(0, 0, 100))), empty,
                                          prepared(at(square(200, 0, 100)))}, {250, 50, 0}, 1},
      {"empty first", {empty, prepared(at(square(0, 0, 100)))}, {50, 50, 0}, 0},
      {"empty after a containing one", {prepared(at(square(0, 0, 100))), empty},
       {50, 50, 0}, 1},
      {"far point: nearest edge", {prepared(at(square(0, 0, 100))),
                                   prepared(at(square(300, 0, 100))),
                                   prepared(at(square(0, 300, 100)))}, {60, 460, 0}, 2},
      {"equal distances: the earlier", {prepared(at(square(0, 0, 100))),
                                        prepared(at(square(200, 0, 100)))}, {150, 50, 0}, 0},
      {"concave polygon measured to its edges", {prepared(lShape),
                                                 prepared(at(square(75, 75, 50)))},
       {70, 70, 0}, 1},
      {"two-point boundary passed over", {prepared(twoPoints),
                                          prepared(at(square(500, 500, 10)))}, {50, 0, 0}, 1},
      {"one-point boundary passed over", {prepared(onePoint),
                                          prepared(at(square(500, 500, 10)))}, {50, 50, 0}, 1},
      {"failed fit first: its ENU polygon counts", {fitFailed, prepared(at(square(500, 500, 10)))},
       {50, 50, 0}, 0, true},
      {"unconvertible boundary first", {unconvertible, prepared(at(square(500, 500, 10)))},
       {600, 600, 0}, 1, true},
      {"failed fit after a containing polygon: passed over",
       {prepared(at(square(0, 0, 100))), fitFailedAt(at(square(200, 0, 100)))}, {50, 50, 0}, 0},
      {"failed fit after a farther polygon: it could be nearer",
       {prepared(at(square(0, 0, 100))), fitFailedAt(at(square(200, 0, 100)))},
       {170, 500, 0}, 1, true},
      {"unprepared boundary passed over", {unprepared, prepared(at(square(500, 500, 10)))},
       {0.5, 0.5, 0}, 1},
      {"all passed over: the first", {prepared(twoPoints), prepared(onePoint)}, {50, 50, 0}, 0},
  };
}

TEST(SelectDefinition, FollowsTheRulesInBothFrames) {
  const std::vector<Case> cases = ruleCases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    for (const BoundaryFrame frame : {BoundaryFrame::project, BoundaryFrame::enu}) {
      SCOPED_TRACE("case " + std::to_string(i) + ": " + c.name +
                   (frame == BoundaryFrame::project ? " (project)" : " (ENU)"));
      CoordTranslateInfo info;
      info.projects = c.definitions;
      const Point3 p = frame == BoundaryFrame::project
                           ? Point3{c.localPoint.x + kOffsetX, c.localPoint.y + kOffsetY, 0}
                           : c.localPoint;
      // Twice: the second answer comes from the kept polygons.
      for (int pass = 0; pass < 2; ++pass) {
        const std::optional<std::size_t> chosen = info.selectDefinition(p, frame);
        if (c.projectFails && frame == BoundaryFrame::project) {
          EXPECT_FALSE(chosen) << "pass " << pass;
          EXPECT_NE(info.lastFailure.find("has no boundary polygon in the project frame"),
                    std::string::npos)
              << info.lastFailure;
          continue;
        }
        ASSERT_TRUE(chosen);
        EXPECT_EQ(*chosen, c.expected) << "pass " << pass;
      }
    }
  }
}

TEST(SelectDefinition, NoneOrOneDefinition) {
  CoordTranslateInfo info;
  EXPECT_FALSE(info.selectDefinition({1, 2, 3}, BoundaryFrame::project));
  // A single definition converts every point; its boundary is not even prepared.
  ProjectDefinition only;
  only.type = "Control points";
  only.boundary = square(116, 29, 1);
  EnuOrigin origin;
  only.origin = &origin;
  info.projects.push_back(only);
  EXPECT_EQ(info.selectDefinition({1e9, -1e9, 0}, BoundaryFrame::enu), std::size_t{0});
  EXPECT_TRUE(info.projects[0].boundaryproj.empty());
}

// Definitions after an empty boundary are neither visited nor prepared: the third keeps its
// empty lists although it has a boundary and an origin to convert it with.
TEST(SelectDefinition, DefinitionsAfterAnEmptyBoundaryAreNotPrepared) {
  EnuOrigin origin;
  origin.lon = 117.0;
  origin.lat = 30.0;
  ProjectDefinition empty;
  ProjectDefinition third;
  third.type = "Custom Gauss";
  third.boundary = {{116.9, 29.9, 0}, {117.1, 29.9, 0}, {117.1, 30.1, 0}};
  third.origin = &origin;
  CoordTranslateInfo info;
  info.origin = &origin;
  info.projects = {prepared(at(square(0, 0, 100))), empty, third};
  EXPECT_EQ(info.selectDefinition({kOffsetX + 50, kOffsetY + 50, 0}, BoundaryFrame::project),
            std::size_t{1});
  EXPECT_TRUE(info.projects[2].boundaryproj.empty());
  EXPECT_TRUE(info.projects[2].boundaryenu.empty());
}

// The kept polygons belong to the definitions they were built from: a definition appended
// later is measured too.
TEST(SelectDefinition, KeptPolygonsAreRebuiltWhenDefinitionsAreAdded) {
  CoordTranslateInfo info;
  info.projects = {prepared(at(square(0, 0, 100))), prepared(at(square(200, 0, 100)))};
  const Point3 p{kOffsetX + 160, kOffsetY + 500, 0};
  EXPECT_EQ(info.selectDefinition(p, BoundaryFrame::project), std::size_t{1});
  info.projects.push_back(prepared(at(square(150, 450, 100))));
  EXPECT_EQ(info.selectDefinition(p, BoundaryFrame::project), std::size_t{2});
  info.projects.pop_back();
  EXPECT_EQ(info.selectDefinition(p, BoundaryFrame::project), std::size_t{1});
}

// ---- The plain reference: the rules with nothing kept between points. ----

class PlainSelector {
 public:
  PlainSelector() : context_(GEOS_init_r()) {}
  ~PlainSelector() { GEOS_finish_r(context_); }
  PlainSelector(const PlainSelector&) = delete;
  PlainSelector& operator=(const PlainSelector&) = delete;

  // Empty when a definition without a project polygon could be nearer than the choice so far.
  std::optional<std::size_t> select(const std::vector<ProjectDefinition>& definitions,
                                    const Point3& p, BoundaryFrame frame) const {
    std::optional<std::size_t> chosen;
    double best = 0.0;
    for (std::size_t i = 0; i < definitions.size(); ++i) {
      const ProjectDefinition& d = definitions[i];
      if (d.boundary.empty()) return i;
      const Ring& ring = frame == BoundaryFrame::project ? d.boundaryproj : d.boundaryenu;
      if (ring.size() < 3 || ring.size() != d.boundary.size()) continue;
      if (frame == BoundaryFrame::project && d.boundaryFitFailed) {
        if (!chosen || best > 0.0) return std::nullopt;
        continue;
      }
      const std::optional<double> distance = distanceTo(ring, p);
      if (!distance) continue;  // the library rejected the ring
      if (!chosen) {
        chosen = i;
        best = *distance;
      } else if (best > *distance) {
        chosen = i;
        best = *distance;
      }
    }
    return chosen.value_or(0);
  }

 private:
  std::optional<double> distanceTo(const Ring& ring, const Point3& p) const {
    const auto n = static_cast<unsigned int>(ring.size());
    GEOSCoordSequence* sequence = GEOSCoordSeq_create_r(context_, n + 1, 3);
    for (unsigned int i = 0; i <= n; ++i) {
      const Point3& q = ring[i == n ? 0 : i];
      GEOSCoordSeq_setXYZ_r(context_, sequence, i, q.x, q.y, std::nan(""));
    }
    GEOSGeometry* shell = GEOSGeom_createLinearRing_r(context_, sequence);
    if (shell == nullptr) return std::nullopt;
    GEOSGeometry* polygon = GEOSGeom_createPolygon_r(context_, shell, nullptr, 0);
    GEOSGeometry* point = GEOSGeom_createPointFromXY_r(context_, p.x, p.y);
    double d = std::nan("");
    if (GEOSDistance_r(context_, polygon, point, &d) != 1) d = std::nan("");
    GEOSGeom_destroy_r(context_, point);
    GEOSGeom_destroy_r(context_, polygon);
    return d;
  }

  GEOSContextHandle_t context_;
};

// Two triangles sharing a slanted edge, and a point just on B's side of it: GEOS's robust
// predicate puts it outside A and inside B, but its distance to A rounds to exactly 0. By the
// rules A is measured first with 0, and B's 0 does not replace it.
TEST(SelectDefinition, ADistanceRoundedToZeroKeepsTheEarlierChoice) {
  const double x0 = 500000.1, y0 = 3300000.3, x1 = 500733.7, y1 = 3301234.9;
  const Ring a = {{x0, y0, 0}, {x1, y1, 0}, {x0 - 800, y1, 0}};
  const Ring b = {{x0, y0, 0}, {x0 + 1500, y0, 0}, {x1, y1, 0}};
  const Point3 p{500221.24649933842, 3300372.4748474415, 0};  // found by search

  // The premise, in GEOS's own terms.
  GEOSContextHandle_t context = GEOS_init_r();
  GEOSCoordSequence* sequence = GEOSCoordSeq_create_r(context, 4, 2);
  for (unsigned int i = 0; i < 4; ++i) {
    GEOSCoordSeq_setXY_r(context, sequence, i, a[i % 3].x, a[i % 3].y);
  }
  GEOSGeometry* polygon = GEOSGeom_createPolygon_r(
      context, GEOSGeom_createLinearRing_r(context, sequence), nullptr, 0);
  GEOSGeometry* point = GEOSGeom_createPointFromXY_r(context, p.x, p.y);
  double d = -1.0;
  ASSERT_EQ(GEOSDistance_r(context, polygon, point, &d), 1);
  EXPECT_EQ(GEOSIntersects_r(context, polygon, point), 0);
  EXPECT_EQ(d, 0.0);
  GEOSGeom_destroy_r(context, point);
  GEOSGeom_destroy_r(context, polygon);
  GEOS_finish_r(context);

  CoordTranslateInfo info;
  info.projects = {prepared(a), prepared(b)};
  EXPECT_EQ(info.selectDefinition(p, BoundaryFrame::project), std::size_t{0});
  // Reversed, B is measured first: it contains the point and stays chosen.
  info.projects = {prepared(b), prepared(a)};
  EXPECT_EQ(info.selectDefinition(p, BoundaryFrame::project), std::size_t{0});
}

// Polygons of several kinds about a centre: squares, a concave one, a 100-point star, a
// self-crossing bow tie, a collinear "polygon", overlapping and touching ones.
std::vector<Ring> randomScene(double cx, double cy, double size) {
  auto local = [&](std::vector<Point3> ring) { return shifted(ring, cx, cy); };
  std::vector<Ring> rings;
  rings.push_back(local(square(0, 0, size)));
  rings.push_back(local(square(size, 0, size)));  // shares an edge with the first
  rings.push_back(local({{0, 2 * size, 0}, {2 * size, 2 * size, 0}, {2 * size, 3 * size, 0},
                         {size, 2.5 * size, 0}, {0, 3 * size, 0}}));  // concave
  Ring star;
  for (int k = 0; k < 100; ++k) {
    const double a = 2 * 3.141592653589793 * k / 100;
    const double r = size * (k % 2 == 0 ? 0.9 : 0.45);
    star.push_back({cx + 3.2 * size + r * std::cos(a), cy + 1.5 * size + r * std::sin(a), 0});
  }
  rings.push_back(star);
  rings.push_back(local({{-size, 0, 0}, {-0.2 * size, size, 0}, {-size, size, 0},
                         {-0.2 * size, 0, 0}}));  // bow tie
  rings.push_back(local({{0, -size, 0}, {size, -size, 0}, {2 * size, -size, 0}}));  // a line
  rings.push_back(local(square(0.5 * size, 0.5 * size, size)));  // overlaps the first two
  return rings;
}

std::vector<Point3> randomPoints(const std::vector<Ring>& rings, double cx, double cy,
                                 double size, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-2.0 * size, 6.0 * size);
  std::uniform_real_distribution<double> t(0.0, 1.0);
  std::vector<Point3> points;
  for (int i = 0; i < 3000; ++i) points.push_back({cx + u(rng), cy + u(rng), 0});
  for (const Ring& ring : rings) {
    for (std::size_t k = 0; k < ring.size(); ++k) {
      const Point3& a = ring[k];
      const Point3& b = ring[(k + 1) % ring.size()];
      points.push_back(a);                                                   // a vertex
      points.push_back({(a.x + b.x) / 2, (a.y + b.y) / 2, 0});               // midpoint
      const double s = t(rng);
      points.push_back({a.x + s * (b.x - a.x), a.y + s * (b.y - a.y), 0});  // on the edge
    }
  }
  return points;
}

TEST(SelectDefinition, AgreesWithThePlainReferenceOnRandomPoints) {
  const double size = 1000.0;
  const std::vector<Ring> projectRings = randomScene(kOffsetX, kOffsetY, size);
  const std::vector<Ring> enuRings = randomScene(-1500.0, 700.0, size / 2);
  // Orders: the scene as built, reversed, and with a failed fit, a two-point boundary and
  // a NaN vertex in between.
  std::vector<std::vector<ProjectDefinition>> scenes(3);
  for (std::size_t k = 0; k < projectRings.size(); ++k) {
    ProjectDefinition d = prepared(projectRings[k]);
    d.boundaryenu = enuRings[k];
    scenes[0].push_back(d);
  }
  scenes[1].assign(scenes[0].rbegin(), scenes[0].rend());
  scenes[2] = scenes[0];
  scenes[2][1].boundaryFitFailed = true;
  const ProjectDefinition twoPoints =
      prepared({{kOffsetX, kOffsetY, 0}, {kOffsetX + 5, kOffsetY, 0}});
  scenes[2].insert(scenes[2].begin() + 2, twoPoints);
  ProjectDefinition withNan = prepared(projectRings[6]);
  withNan.boundaryproj[2].x = std::nan("");
  withNan.boundaryenu = enuRings[6];
  withNan.boundaryenu[1].y = std::nan("");
  scenes[2].push_back(withNan);

  const PlainSelector plain;
  int compared = 0;
  for (std::size_t s = 0; s < scenes.size(); ++s) {
    CoordTranslateInfo info;
    info.projects = scenes[s];
    for (const BoundaryFrame frame : {BoundaryFrame::project, BoundaryFrame::enu}) {
      const bool project = frame == BoundaryFrame::project;
      const std::vector<Ring>& rings = project ? projectRings : enuRings;
      const std::vector<Point3> points = project
                                             ? randomPoints(rings, kOffsetX, kOffsetY, size, 1)
                                             : randomPoints(rings, -1500.0, 700.0, size / 2, 2);
      for (std::size_t i = 0; i < points.size(); ++i) {
        const std::optional<std::size_t> expected = plain.select(scenes[s], points[i], frame);
        const std::optional<std::size_t> chosen = info.selectDefinition(points[i], frame);
        ASSERT_EQ(chosen, expected) << "scene " << s << (project ? " project" : " ENU")
                                     << " point " << i << " (" << points[i].x << ", "
                                     << points[i].y << ")";
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 20000);
}

}  // namespace
