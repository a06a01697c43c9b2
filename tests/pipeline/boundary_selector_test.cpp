// Choice of definition by boundary polygon: the rules case by case in both frames, what a
// converter's selection looks at, and the kept, prepared selection against a plain reference
// (fresh GEOS polygon and GEOSDistance_r for every point) on thousands of random points, on
// edges and on vertices.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#define GEOS_USE_ONLY_R_API
#include <geos_c.h>

#include "coordinfo/coord_translate_info.h"
#include "geodesy/enu_frame.h"
#include "pipeline/boundary_selector.h"
#include "pipeline/conversion_harness.h"
#include "pipeline/converter.h"

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

// A prepared boundary (as prepareBoundary makes them): the project ring at project
// coordinates, the same ring moved by −offset in ENU.
PreparedBoundary prepared(const Ring& projectRing) {
  PreparedBoundary d;
  d.projectid = "test";
  d.pointCount = projectRing.size();
  d.project = projectRing;
  d.enu = shifted(projectRing, -kOffsetX, -kOffsetY);
  return d;
}

// One thread's selector over `boundaries`, as a converter's scratch keeps it.
std::optional<std::size_t> selectIn(const std::vector<PreparedBoundary>& boundaries,
                                    const Point3& p, BoundaryFrame frame,
                                    std::string* why = nullptr) {
  BoundarySelector selector(boundaries);
  return selector.select(p, frame, why);
}

Ring at(const Ring& local) { return shifted(local, kOffsetX, kOffsetY); }

struct Case {
  const char* name;
  std::vector<PreparedBoundary> definitions;
  Point3 localPoint;  // relative to the offset
  std::size_t expected;
  // The project-frame selection fails (a definition without a project polygon could be the
  // choice); `expected` then holds for the ENU frame only.
  bool projectFails = false;
};

std::vector<Case> ruleCases() {
  const PreparedBoundary empty;
  PreparedBoundary unprepared;  // a boundary without rings
  unprepared.pointCount = 4;
  const auto fitFailedAt = [](const Ring& ring) {
    PreparedBoundary d = prepared(ring);
    d.fitFailed = true;
    return d;
  };
  const PreparedBoundary fitFailed = fitFailedAt(at(square(0, 0, 100)));
  PreparedBoundary unconvertible = prepared(at(square(0, 0, 100)));
  unconvertible.projectFailure = "boundary point 1 cannot be converted";
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
      BoundarySelector selector(c.definitions);
      const Point3 p = frame == BoundaryFrame::project
                           ? Point3{c.localPoint.x + kOffsetX, c.localPoint.y + kOffsetY, 0}
                           : c.localPoint;
      // Twice: the second answer comes from the kept polygons.
      for (int pass = 0; pass < 2; ++pass) {
        std::string why;
        const std::optional<std::size_t> chosen = selector.select(p, frame, &why);
        if (c.projectFails && frame == BoundaryFrame::project) {
          EXPECT_FALSE(chosen) << "pass " << pass;
          EXPECT_NE(why.find("has no boundary polygon in the project frame"), std::string::npos)
              << why;
          continue;
        }
        ASSERT_TRUE(chosen);
        EXPECT_EQ(*chosen, c.expected) << "pass " << pass;
      }
    }
  }
}

TEST(SelectDefinition, NoneOrOneDefinition) {
  const EnuOrigin origin;
  CoordTranslateInfo info;
  {
    pipelinetest::Conversion run(info, origin);
    Point3 out;
    EXPECT_FALSE(run.toEnu({1, 2, 3}, out));
    EXPECT_FALSE(run.chosen());
  }
  // A single definition converts every point; its boundary is not even looked at.
  ProjectDefinition only;
  only.type = "Control points";
  only.boundary = square(116, 29, 1);
  only.transform.emplace();
  info.projects.push_back(only);
  pipelinetest::Conversion run(info, origin);
  Point3 out;
  EXPECT_TRUE(run.toProject({1e9, -1e9, 0}, out));
  EXPECT_EQ(run.chosen(), std::size_t{0});
  EXPECT_EQ(run.scratch.trace().boundariesReached, 0u);
}

// Definitions after an empty boundary are not looked at: the selection reaches the empty one
// and stops, so a run never prints the label lines of a later one's fit for it.
TEST(SelectDefinition, DefinitionsAfterAnEmptyBoundaryAreNotLookedAt) {
  const std::vector<PreparedBoundary> boundaries = {prepared(at(square(0, 0, 100))),
                                                    PreparedBoundary{},
                                                    prepared(at(square(0, 0, 100)))};
  BoundarySelector selector(boundaries);
  EXPECT_EQ(selector.select({kOffsetX + 50, kOffsetY + 50, 0},
                            BoundaryFrame::project),
            std::size_t{1});
  EXPECT_EQ(selector.lastReach(), 2u);
  // Far from everything, the distances decide, and still nothing after the empty one.
  EXPECT_EQ(selector.select({kOffsetX + 5000, kOffsetY, 0}, BoundaryFrame::project),
            std::size_t{1});
  EXPECT_EQ(selector.lastReach(), 2u);
  // Without the empty one the third is measured too.
  const std::vector<PreparedBoundary> two = {boundaries[0], boundaries[2]};
  BoundarySelector both(two);
  EXPECT_EQ(both.select({kOffsetX + 5000, kOffsetY, 0}, BoundaryFrame::project),
            std::size_t{0});
  EXPECT_EQ(both.lastReach(), 2u);
}

// One scratch used with converters of different definitions builds its polygons for each:
// a definition added in the second converter is measured, and going back to the first one
// gives the first answer again. Two "Custom Gauss" definitions south of a point at
// (117.13°, 30.2°), about the origin (117°, 30°); B lies nearer; C, in the second converter
// only, contains the point.
TEST(SelectDefinition, KeptPolygonsFollowTheConverter) {
  const EnuOrigin origin = [] {
    EnuOrigin o;
    o.lon = 117.0;
    o.lat = 30.0;
    return o;
  }();
  const auto gauss = [](const Ring& boundary) {
    ProjectDefinition d;
    d.type = "Custom Gauss";
    d.info.centralMeridianLongitude = 117.0;
    d.info.xoffset = 500000.0;
    d.boundary = boundary;
    return d;
  };
  CoordTranslateInfo two;
  two.projects = {gauss(square(116.9, 29.9, 0.1)), gauss(square(117.1, 29.9, 0.1))};
  CoordTranslateInfo three = two;
  three.projects.push_back(gauss(square(117.05, 30.15, 0.1)));
  const Converter first(two, origin);
  const Converter second(three, origin);
  const EnuFrame frame(origin);
  const Point3 p = frame.ecefToEnu(frame.geodeticToEcef({117.13, 30.2, 0}));
  ConverterScratch scratch;
  Point3 out;
  const Converter* order[] = {&first, &second, &first};
  const std::size_t expected[] = {1, 2, 1};
  for (std::size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE("step " + std::to_string(k));
    ASSERT_TRUE(order[k]->enuToProject(p, out, scratch));
    EXPECT_EQ(scratch.trace().chosen, expected[k]);
  }
}

// ---- The plain reference: the rules with nothing kept between points. ----

class PlainSelector {
 public:
  PlainSelector() : context_(GEOS_init_r()) {}
  ~PlainSelector() { GEOS_finish_r(context_); }
  PlainSelector(const PlainSelector&) = delete;
  PlainSelector& operator=(const PlainSelector&) = delete;

  // Empty when a definition without a project polygon could be nearer than the choice so far.
  std::optional<std::size_t> select(const std::vector<PreparedBoundary>& definitions,
                                    const Point3& p, BoundaryFrame frame) const {
    std::optional<std::size_t> chosen;
    double best = 0.0;
    for (std::size_t i = 0; i < definitions.size(); ++i) {
      const PreparedBoundary& d = definitions[i];
      if (d.pointCount == 0) return i;
      const Ring& ring = frame == BoundaryFrame::project ? d.project : d.enu;
      if (ring.size() < 3 || ring.size() != d.pointCount) continue;
      if (frame == BoundaryFrame::project && d.fitFailed) {
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

  EXPECT_EQ(selectIn({prepared(a), prepared(b)}, p, BoundaryFrame::project), std::size_t{0});
  // Reversed, B is measured first: it contains the point and stays chosen.
  EXPECT_EQ(selectIn({prepared(b), prepared(a)}, p, BoundaryFrame::project), std::size_t{0});
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
  std::vector<std::vector<PreparedBoundary>> scenes(3);
  for (std::size_t k = 0; k < projectRings.size(); ++k) {
    PreparedBoundary d = prepared(projectRings[k]);
    d.enu = enuRings[k];
    scenes[0].push_back(d);
  }
  scenes[1].assign(scenes[0].rbegin(), scenes[0].rend());
  scenes[2] = scenes[0];
  scenes[2][1].fitFailed = true;
  const PreparedBoundary twoPoints =
      prepared({{kOffsetX, kOffsetY, 0}, {kOffsetX + 5, kOffsetY, 0}});
  scenes[2].insert(scenes[2].begin() + 2, twoPoints);
  PreparedBoundary withNan = prepared(projectRings[6]);
  withNan.project[2].x = std::nan("");
  withNan.enu = enuRings[6];
  withNan.enu[1].y = std::nan("");
  scenes[2].push_back(withNan);
  // Valid polygons only (no bow tie, no line), as built and reversed: the selector's grid
  // then decides the points of the cells wholly inside one polygon.
  scenes.emplace_back();
  for (const std::size_t k : {0, 1, 2, 3, 6}) scenes.back().push_back(scenes[0][k]);
  scenes.emplace_back(scenes.back().rbegin(), scenes.back().rend());

  const PlainSelector plain;
  int compared = 0;
  for (std::size_t s = 0; s < scenes.size(); ++s) {
    BoundarySelector selector(scenes[s]);
    for (const BoundaryFrame frame : {BoundaryFrame::project, BoundaryFrame::enu}) {
      const bool project = frame == BoundaryFrame::project;
      const std::vector<Ring>& rings = project ? projectRings : enuRings;
      const std::vector<Point3> points = project
                                             ? randomPoints(rings, kOffsetX, kOffsetY, size, 1)
                                             : randomPoints(rings, -1500.0, 700.0, size / 2, 2);
      for (std::size_t i = 0; i < points.size(); ++i) {
        const std::optional<std::size_t> expected = plain.select(scenes[s], points[i], frame);
        const std::optional<std::size_t> chosen = selector.select(points[i], frame);
        ASSERT_EQ(chosen, expected) << "scene " << s << (project ? " project" : " ENU")
                                     << " point " << i << " (" << points[i].x << ", "
                                     << points[i].y << ")";
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 30000);
}

}  // namespace
