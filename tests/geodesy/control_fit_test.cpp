// The seven-parameter control-point model and its Gauss-Newton fit: the model against PROJ's
// linearised Helmert, the derivatives against finite differences, and fits of point sets
// whose relation is known by construction.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geodesy/control_fit.h"

namespace {

const char kLabels[] = "source_points: \ntarget_points: \nave_src: \nave_tar: \n";

ControlParams params(double tx, double ty, double tz, double ex, double ey, double ez,
                     double k) {
  ControlParams a;
  a << tx, ty, tz, ex, ey, ez, k;
  return a;
}

// A control network: n points spread over ±500 m horizontally and ±20 m in height about
// `centre`, the way control points of one project lie.
std::vector<Point3> network(int n, Point3 centre, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> horizontal(-500.0, 500.0);
  std::uniform_real_distribution<double> vertical(-20.0, 20.0);
  std::vector<Point3> points;
  for (int i = 0; i < n; ++i) {
    points.push_back({centre.x + horizontal(rng), centre.y + horizontal(rng),
                      centre.z + vertical(rng)});
  }
  return points;
}

Point3 centroidOf(const std::vector<Point3>& points) {
  Point3 c;
  for (const Point3& p : points) {
    c.x += p.x;
    c.y += p.y;
    c.z += p.z;
  }
  const double n = static_cast<double>(points.size());
  return {c.x / n, c.y / n, c.z / n};
}

struct Fitted {
  ControlFitResult result;
  std::string out;
  std::string err;
};

Fitted fit(const std::vector<Point3>& source, const std::vector<Point3>& target) {
  Fitted f{fitControlTransform(source, target), {}, {}};
  f.out = f.result.console.out;
  f.err = f.result.console.err;
  return f;
}

// The model against PROJ's Helmert in its linearised form (no +exact), coordinate-frame
// convention, rotations in arc-seconds (ε · 206264.80624709636), scale in ppm:
//   echo "100 -50 20" | cct -d 9 +proj=helmert +x=1 +y=2 +z=-3 +rx=206.26480624709636
//     +ry=412.5296124941927 +rz=-618.7944187412891 +s=100 +convention=coordinate_frame
//   echo "-250.5 731.25 -12" | cct -d 9 +proj=helmert +x=0.5 +y=-0.25 +z=0.125
//     +rx=-41.25296124941927 +ry=8.250592249883855 +rz=12.375888374825783 +s=-25
//     +convention=coordinate_frame
// cct prints 9 decimals: 1e-9 m of rounding, so 2e-9 m.
TEST(ControlModel, MatchesProjLinearisedHelmertInCoordinateFrameConvention) {
  struct Case {
    Point3 p;
    ControlParams args;
    Point3 expected;
  };
  const Case cases[] = {
      {{100, -50, 20}, params(1, 2, -3, 1e-3, 2e-3, -3e-3, 100e-6),
       {101.120011000, -47.684968000, 17.252025000}},
      {{-250.5, 731.25, -12}, params(0.5, -0.25, 0.125, -2e-4, 4e-5, 6e-5, -25e-6),
       {-249.949383609, 730.999148314, -11.738473406}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const Case& c = cases[i];
    const Eigen::RowVector3d r = evalControlModel(c.p.x, c.p.y, c.p.z, c.args);
    EXPECT_NEAR(r(0), c.expected.x, 2e-9);
    EXPECT_NEAR(r(1), c.expected.y, 2e-9);
    EXPECT_NEAR(r(2), c.expected.z, 2e-9);
  }
}

// The model is linear in each parameter on its own, so a central difference is exact up to
// rounding: about 1e-16 · 1e3 m / h = 1e-10 for h = 1e-3, far below 1e-7.
TEST(ControlModel, JacobianMatchesCentralDifferences) {
  const Point3 points[] = {{120.5, -340.25, 12.0}, {-480.0, 15.5, -7.25}, {0.0, 0.0, 0.0}};
  const ControlParams at[] = {ControlParams::Zero(),
                              params(0.3, -0.2, 0.1, 4e-4, -7e-4, 2e-3, 3e-5)};
  const double h = 1e-3;
  for (std::size_t pi = 0; pi < std::size(points); ++pi) {
    for (std::size_t ai = 0; ai < std::size(at); ++ai) {
      SCOPED_TRACE("point " + std::to_string(pi) + ", parameters " + std::to_string(ai));
      const Point3 p = points[pi];
      const ControlJacobian j = controlModelJacobian(p.x, p.y, p.z, at[ai]);
      for (int col = 0; col < 7; ++col) {
        ControlParams plus = at[ai];
        ControlParams minus = at[ai];
        plus(col) += h;
        minus(col) -= h;
        const Eigen::RowVector3d diff = (evalControlModel(p.x, p.y, p.z, plus) -
                                         evalControlModel(p.x, p.y, p.z, minus)) /
                                        (2 * h);
        for (int row = 0; row < 3; ++row) {
          EXPECT_NEAR(j(row, col), diff(row), 1e-7) << "row " << row << " column " << col;
        }
      }
    }
  }
}

// At zero parameters the derivatives are known by hand: ∂/∂t = identity, ∂/∂εz = (y, −x, 0),
// ∂/∂k = (x, y, z); and the residuals are target − source. Both in the row order
// x0, y0, z0, x1, y1, z1, …
TEST(ControlModel, DesignMatrixAndResidualsFollowThePointOrder) {
  ControlPointRows source(3, 3);
  source << 1, 2, 3, -4, 5, -6, 7, -8, 9;
  ControlPointRows target(3, 3);
  target << 1.5, 2, 3, -4, 4, -6, 7, -8, 12;
  const ControlDesignMatrix a = buildDesignMatrix(source, ControlParams::Zero());
  const Eigen::VectorXd l = buildResidualVector(source, target, ControlParams::Zero());
  ASSERT_EQ(a.rows(), 9);
  ASSERT_EQ(l.rows(), 9);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE("pair " + std::to_string(i));
    const double x = source(i, 0), y = source(i, 1), z = source(i, 2);
    EXPECT_TRUE(a.block(3 * i, 0, 3, 3).isIdentity());
    EXPECT_EQ(a(3 * i, 5), y);
    EXPECT_EQ(a(3 * i + 1, 5), -x);
    EXPECT_EQ(a(3 * i + 2, 5), 0.0);
    EXPECT_EQ(a(3 * i, 6), x);
    EXPECT_EQ(a(3 * i + 1, 6), y);
    EXPECT_EQ(a(3 * i + 2, 6), z);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(l(3 * i + c), target(i, c) - source(i, c));
  }
}

// Fits of targets built from the sources by a known relation. Tolerances: the reduced
// coordinates carry rounding of ~1e-16 of the absolute ones (≤ 5e6 m here, ~1e-9 m), which
// over a 1 km lever arm is ~1e-12 rad; translations and centroids get 1e-8 m.
TEST(ControlFit, RecoversKnownRelations) {
  const double theta = 2.0 * 3.14159265358979323846 / 180.0;
  struct Case {
    const char* name;
    Point3 centre;
    std::function<Point3(const Point3& p, const Point3& c)> target;  // c: source centroid
    ControlParams expected;
    double angleTolerance;
    Point3 centroidShift;  // target centroid − source centroid
  };
  const Case cases[] = {
      {"identical lists", {500000, 3320000, 50}, [](const Point3& p, const Point3&) { return p; },
       ControlParams::Zero(), 0.0, {0, 0, 0}},
      {"pure shift", {10, -20, 5},
       [](const Point3& p, const Point3&) {
         return Point3{p.x + 499000.25, p.y + 3300000.5, p.z - 35.75};
       },
       ControlParams::Zero(), 1e-12, {499000.25, 3300000.5, -35.75}},
      {"scale 1.000002 about the centroid", {0, 0, 0},
       [](const Point3& p, const Point3& c) {
         const double s = 1.000002;
         return Point3{c.x + s * (p.x - c.x), c.y + s * (p.y - c.y), c.z + s * (p.z - c.z)};
       },
       params(0, 0, 0, 0, 0, 0, 2e-6), 1e-12, {0, 0, 0}},
      {"linearised rotation 1e-5 rad about z", {0, 0, 0},
       [](const Point3& p, const Point3& c) {
         const double t = 1e-5, x = p.x - c.x, y = p.y - c.y;
         return Point3{c.x + x + t * y, c.y - t * x + y, p.z};
       },
       params(0, 0, 0, 0, 0, 1e-5, 0), 1e-12, {0, 0, 0}},
      // Points in one plane (z = 0), turned about their centroid: s·(x + εz·y) equals
      // x·cos θ + y·sin θ exactly for s = cos θ and εz = tan θ: zero residuals.
      {"true 2 degree rotation, flat network", {0, 0, 0},
       [theta](const Point3& p, const Point3& c) {
         const double x = p.x - c.x, y = p.y - c.y;
         return Point3{c.x + x * std::cos(theta) + y * std::sin(theta),
                       c.y - x * std::sin(theta) + y * std::cos(theta), 0.0};
       },
       params(0, 0, 0, 0, 0, std::tan(theta), std::cos(theta) - 1), 1e-12, {0, 0, 0}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i) + ": " + c.name);
    std::vector<Point3> source = network(15, c.centre, 11 + static_cast<unsigned>(i));
    if (std::string(c.name).find("flat") != std::string::npos) {
      for (Point3& p : source) p.z = 0.0;
    }
    const Point3 centroid = centroidOf(source);
    std::vector<Point3> target;
    for (const Point3& p : source) target.push_back(c.target(p, centroid));

    const Fitted f = fit(source, target);
    ASSERT_TRUE(f.result.ok) << f.result.reason;
    EXPECT_EQ(f.out, kLabels);
    EXPECT_EQ(f.err, "");
    const ControlFit& r = f.result.fit;
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(r.args(k), c.expected(k), 1e-8) << "t" << k;
    for (int k = 3; k < 7; ++k) {
      EXPECT_NEAR(r.args(k), c.expected(k), c.angleTolerance) << "parameter " << k;
    }
    EXPECT_NEAR(r.sourceCentroid(0), centroid.x, 1e-8);
    EXPECT_NEAR(r.sourceCentroid(1), centroid.y, 1e-8);
    EXPECT_NEAR(r.sourceCentroid(2), centroid.z, 1e-8);
    EXPECT_NEAR(r.targetCentroid(0) - r.sourceCentroid(0), c.centroidShift.x, 1e-8);
    EXPECT_NEAR(r.targetCentroid(1) - r.sourceCentroid(1), c.centroidShift.y, 1e-8);
    EXPECT_NEAR(r.targetCentroid(2) - r.sourceCentroid(2), c.centroidShift.z, 1e-8);
    if (i == 0) {
      // The first pass finds Δ = 0 exactly.
      EXPECT_EQ(r.passes, 1);
      EXPECT_TRUE(r.args.isZero(0.0));
      EXPECT_EQ(r.sourceCentroid, r.targetCentroid);
    }
    EXPECT_LE(r.passes, kControlFitMaxPasses);
  }
}

// With heights the linearised R cannot scale x and y by cos θ while leaving z: the estimate is
// only close to tan θ and cos θ − 1 (the z spread, ±20 m against ±500 m, moves k by about
// 1e-3 of cos θ − 1), and the residuals do not vanish.
TEST(ControlFit, TrueRotationWithHeightsIsMatchedOnlyApproximately) {
  const double theta = 2.0 * 3.14159265358979323846 / 180.0;
  const std::vector<Point3> source = network(12, {0, 0, 0}, 7);
  std::vector<Point3> target;
  for (const Point3& p : source) {
    target.push_back({p.x * std::cos(theta) + p.y * std::sin(theta),
                      -p.x * std::sin(theta) + p.y * std::cos(theta), p.z});
  }
  const Fitted f = fit(source, target);
  ASSERT_TRUE(f.result.ok) << f.result.reason;
  const ControlFit& r = f.result.fit;
  EXPECT_NEAR(r.args(5), std::tan(theta), 1e-5 * std::tan(theta));
  EXPECT_NEAR(r.args(6), std::cos(theta) - 1, 5e-3 * (1 - std::cos(theta)));
  EXPECT_LT(r.args(6), 0.0);

  ControlPointRows src(12, 3), tar(12, 3);
  for (int j = 0; j < 12; ++j) {
    src.row(j) << source[j].x, source[j].y, source[j].z;
    tar.row(j) << target[j].x, target[j].y, target[j].z;
  }
  src.rowwise() -= r.sourceCentroid;
  tar.rowwise() -= r.targetCentroid;
  // Height residuals of order |k|·|z| ≈ 6e-4 · 20 m.
  EXPECT_GT(buildResidualVector(src, tar, r.args).cwiseAbs().maxCoeff(), 1e-4);
}

// A similarity with rotations of 1e-4 rad and a scale of 3e-5, plus ±3 mm of uniform noise
// on 20 points over 1 km: the noise moves the angles by about 3e-3 m / 500 m / sqrt(20)
// ≈ 1.5e-6, so 1e-5 rad (1 cm over 1 km) is a safe bound.
TEST(ControlFit, ReproducesAKnownSimilarityFromNoisyPoints) {
  const std::vector<Point3> source = network(20, {-120.0, 80.0, 15.0}, 3);
  const Point3 c = centroidOf(source);
  const double ex = 1.2e-4, ey = -0.8e-4, ez = 2.5e-4, k = 3e-5;
  const Point3 shift{500321.125, 3320456.75, 48.5};
  std::mt19937_64 rng(99);
  std::uniform_real_distribution<double> noise(-0.003, 0.003);
  std::vector<Point3> target;
  for (const Point3& p : source) {
    const double x = p.x - c.x, y = p.y - c.y, z = p.z - c.z;
    const double s = 1 + k;
    target.push_back({shift.x + s * (x + ez * y - ey * z) + noise(rng),
                      shift.y + s * (-ez * x + y + ex * z) + noise(rng),
                      shift.z + s * (ey * x - ex * y + z) + noise(rng)});
  }
  const Fitted f = fit(source, target);
  ASSERT_TRUE(f.result.ok) << f.result.reason;
  const ControlFit& r = f.result.fit;
  // The source centroid is reduced away: T is 0 and the shift sits in the target centroid
  // (within the mean noise, 3 mm).
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.args(i), 0.0, 1e-8) << "t" << i;
  EXPECT_NEAR(r.targetCentroid(0), shift.x, 0.003);
  EXPECT_NEAR(r.targetCentroid(1), shift.y, 0.003);
  EXPECT_NEAR(r.targetCentroid(2), shift.z, 0.003);
  EXPECT_NEAR(r.args(3), ex, 1e-5);
  EXPECT_NEAR(r.args(4), ey, 1e-5);
  EXPECT_NEAR(r.args(5), ez, 1e-5);
  EXPECT_NEAR(r.args(6), k, 1e-5);
}

// Rejected fits: the four labels are written first, then exactly one line on standard error.
TEST(ControlFit, RejectsInputItCannotFit) {
  const double nan = std::nan("");
  const std::vector<Point3> good = network(5, {0, 0, 0}, 5);
  auto line = [](double offset) {
    std::vector<Point3> points;
    for (int i = 0; i < 6; ++i) {
      const double a = 200.0 * i;
      points.push_back({a, 0.5 * a + (i == 3 ? offset : 0.0), 0.1 * a});
    }
    return points;
  };
  std::vector<Point3> withNan = good;
  withNan[2].y = nan;
  std::vector<Point3> withInf = good;
  withInf[4].z = HUGE_VAL;
  struct Case {
    const char* name;
    std::vector<Point3> source;
    std::vector<Point3> target;
    const char* reasonPart;
  };
  const Case cases[] = {
      {"two pairs", {{0, 0, 0}, {1, 1, 1}}, {{0, 0, 0}, {1, 1, 1}}, "2 point pairs"},
      {"no pairs", {}, {}, "0 point pairs"},
      {"unequal lengths", good, {good.begin(), good.end() - 1}, "5 source points but 4 target"},
      {"longer target", {good.begin(), good.end() - 2}, good, "3 source points but 5 target"},
      {"NaN source", withNan, good, "source point 2 is not finite"},
      {"infinite target", good, withInf, "target point 4 is not finite"},
      {"collinear", line(0.0), line(0.0), "collinear"},
      {"coincident", {{5, 5, 5}, {5, 5, 5}, {5, 5, 5}, {5, 5, 5}},
       {good.begin(), good.begin() + 4}, "singular"},
      // 1 µm off a line of 1.1 km: the rotation about the line is noise.
      {"nearly collinear", line(1e-6), line(1e-6), "collinear"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i) + ": " + c.name);
    const Fitted f = fit(c.source, c.target);
    EXPECT_FALSE(f.result.ok);
    EXPECT_NE(f.result.reason.find(c.reasonPart), std::string::npos) << f.result.reason;
    EXPECT_EQ(f.out, kLabels);
    EXPECT_EQ(f.err, "control point fit: " + f.result.reason + "\n");
  }
}

// The rank test does not reject thin but real networks: 10 cm off a line of 1.1 km.
TEST(ControlFit, AcceptsAThinButRealNetwork) {
  std::vector<Point3> source;
  for (int i = 0; i < 6; ++i) {
    const double a = 200.0 * i;
    source.push_back({a, 0.5 * a + (i == 3 ? 0.1 : 0.0), 0.1 * a});
  }
  std::vector<Point3> target = source;
  for (Point3& p : target) p.x += 7.0;
  const Fitted f = fit(source, target);
  ASSERT_TRUE(f.result.ok) << f.result.reason;
  EXPECT_NEAR(f.result.fit.targetCentroid(0) - f.result.fit.sourceCentroid(0), 7.0, 1e-9);
  EXPECT_TRUE(f.result.fit.args.isZero(1e-9));
}

}  // namespace
