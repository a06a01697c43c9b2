// Application of the stored control transform: filling both directions, cleaning of fitted
// values (and not of file values), failed directions, round trips, and the per-vertex applier.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geodesy/control_transform.h"

namespace {

const char kLabels[] = "source_points: \ntarget_points: \nave_src: \nave_tar: \n";

// Standard output and error redirected into strings for the life of the object.
class CapturedConsole {
 public:
  CapturedConsole()
      : oldOut_(std::cout.rdbuf(out_.rdbuf())), oldErr_(std::cerr.rdbuf(err_.rdbuf())) {}
  ~CapturedConsole() {
    std::cout.rdbuf(oldOut_);
    std::cerr.rdbuf(oldErr_);
  }
  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }

 private:
  std::ostringstream out_;
  std::ostringstream err_;
  std::streambuf* oldOut_;
  std::streambuf* oldErr_;
};

// ENU control points (±500 m, ±20 m) and their project coordinates under a similarity with
// rotations of ~1e-4 rad, a scale of 2e-5, false offsets of a Gauss-Krüger frame, and ±2 mm
// of uniform noise.
ProjectDefinition similarityDefinition(double noise = 0.002) {
  ProjectDefinition d;
  d.type = "Control points";
  std::mt19937_64 rng(21);
  std::uniform_real_distribution<double> horizontal(-500.0, 500.0);
  std::uniform_real_distribution<double> vertical(-20.0, 20.0);
  std::uniform_real_distribution<double> jitter(-noise, noise);
  const double ex = -0.9e-4, ey = 1.1e-4, ez = -2.2e-4, s = 1 + 2e-5;
  for (int i = 0; i < 10; ++i) {
    const Point3 e{horizontal(rng), horizontal(rng), vertical(rng)};
    d.srcpointsenu.push_back(e);
    d.despoints.push_back({512345.5 + s * (e.x + ez * e.y - ey * e.z) + jitter(rng),
                           3301234.25 + s * (-ez * e.x + e.y + ex * e.z) + jitter(rng),
                           35.0 + s * (ey * e.x - ex * e.y + e.z) + jitter(rng)});
  }
  return d;
}

double distance(const Point3& a, const Point3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                   (a.z - b.z) * (a.z - b.z));
}

TEST(ControlTransform, AllZeroTransformMapsEveryPointToItself) {
  ProjectDefinition d;
  d.type = "Control points";
  d.transform.emplace();
  const Point3 points[] = {{0, 0, 0}, {512345.678, 3301234.5, -12.25}, {-1e-3, 7.5, 1e4}};
  for (std::size_t i = 0; i < std::size(points); ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    Point3 a{-1, -1, -1};
    Point3 b{-1, -1, -1};
    ASSERT_TRUE(controlEnuToProject(d, points[i], a));
    ASSERT_TRUE(controlProjectToEnu(d, points[i], b));
    EXPECT_EQ(a, points[i]);
    EXPECT_EQ(b, points[i]);
  }
}

// Values from the file are used as they are, however small: εz = 5e-7 rad and k = −8e-7
// move a point 1000 m from the centroid by 0.5 mm and 0.8 mm.
TEST(ControlTransform, FileValuesAreAppliedUncleaned) {
  ProjectDefinition d;
  d.type = "Control points";
  TransformInfo& t = d.transform.emplace();
  t.args = {0, 0, 0, 0, 0, 5e-7, -8e-7};
  t.src = {100.0, 200.0, 0.0};
  t.tar = {500100.0, 3300200.0, 10.0};
  Point3 out;
  ASSERT_TRUE(controlEnuToProject(d, {1100.0, 200.0, 0.0}, out));
  // x = (1000 + 0) · (1 − 8e-7) + 500100; y = (−5e-7 · 1000) · (1 − 8e-7) + 3300200.
  EXPECT_NEAR(out.x, 500100.0 + 1000.0 * (1 - 8e-7), 1e-9);
  EXPECT_NEAR(out.y, 3300200.0 - 5e-4, 1e-9);
  EXPECT_NEAR(out.z, 10.0, 1e-12);
}

// Fitted values of magnitude <= 1e-6 are stored as 0: here a rotation of 5e-7 rad, a scale
// correction of −8e-7 and a centroid x of 1e-7 m; a rotation of 3e-6 rad is kept.
TEST(ControlTransform, FittedValuesAreCleaned) {
  ProjectDefinition d;
  d.type = "Control points";
  const Point3 base[] = {{-400, -300, 5}, {350, -250, -4}, {420, 380, 2}, {-380, 330, -3}};
  for (const Point3& p : base) d.srcpointsenu.push_back(p);
  Point3 mean;
  for (const Point3& p : base) mean = {mean.x + p.x / 4, mean.y + p.y / 4, mean.z + p.z / 4};
  for (Point3& p : d.srcpointsenu) p = {p.x - mean.x + 1e-7, p.y - mean.y + 40.0, p.z - mean.z};
  const double ez = 5e-7, ex = 3e-6, s = 1 - 8e-7;
  for (const Point3& p : d.srcpointsenu) {
    const double x = p.x - 1e-7, y = p.y - 40.0, z = p.z;
    d.despoints.push_back({1000.0 + s * (x + ez * y), 2000.0 + s * (-ez * x + y + ex * z),
                           30.0 + s * (-ex * y + z)});
  }
  const ConsoleText console = fillTransformInfo(d);
  ASSERT_TRUE(d.transform);
  const TransformInfo& t = *d.transform;
  EXPECT_FALSE(t.argsFailed);
  EXPECT_FALSE(t.invArgsFailed);
  EXPECT_EQ(t.args[5], 0.0);  // εz 5e-7
  EXPECT_EQ(t.args[6], 0.0);  // k −8e-7
  EXPECT_NEAR(t.args[3], ex, 1e-9);
  EXPECT_EQ(t.src[0], 0.0);  // centroid x 1e-7
  EXPECT_NEAR(t.src[1], 40.0, 1e-9);
  EXPECT_EQ(t.inv_tar[0], 0.0);
  EXPECT_NEAR(t.tar[0], 1000.0, 1e-9);
  EXPECT_EQ(t.inv_args[5], 0.0);
  EXPECT_NEAR(t.inv_args[3], -ex, 1e-9);
  for (double v : t.args) EXPECT_TRUE(v == 0.0 || std::fabs(v) > 1e-6) << v;
  for (double v : t.inv_args) EXPECT_TRUE(v == 0.0 || std::fabs(v) > 1e-6) << v;
  EXPECT_EQ(console.out, std::string(kLabels) + kLabels);
  EXPECT_EQ(console.err, "");
}

// Two independent fits: ENU -> project -> ENU returns each control point within the sum of
// the two fits' largest residuals (the second map scales the first's residual by 1 + 2e-5).
TEST(ControlTransform, RoundTripReturnsWithinTheResiduals) {
  ProjectDefinition d = similarityDefinition();
  const ConsoleText console = fillTransformInfo(d);
  ASSERT_FALSE(d.transform->argsFailed);
  ASSERT_FALSE(d.transform->invArgsFailed);
  double forwardResidual = 0.0, inverseResidual = 0.0;
  for (std::size_t i = 0; i < d.srcpointsenu.size(); ++i) {
    Point3 q, e;
    ASSERT_TRUE(controlEnuToProject(d, d.srcpointsenu[i], q));
    ASSERT_TRUE(controlProjectToEnu(d, d.despoints[i], e));
    forwardResidual = std::max(forwardResidual, distance(q, d.despoints[i]));
    inverseResidual = std::max(inverseResidual, distance(e, d.srcpointsenu[i]));
  }
  // Noise of ±2 mm per coordinate: residuals of a few mm, not zero, not centimetres.
  EXPECT_GT(forwardResidual, 1e-4);
  EXPECT_LT(forwardResidual, 0.01);
  for (std::size_t i = 0; i < d.srcpointsenu.size(); ++i) {
    SCOPED_TRACE("control point " + std::to_string(i));
    Point3 q, back;
    ASSERT_TRUE(controlEnuToProject(d, d.srcpointsenu[i], q));
    ASSERT_TRUE(controlProjectToEnu(d, q, back));
    EXPECT_LE(distance(back, d.srcpointsenu[i]),
              inverseResidual + forwardResidual * 1.001 + 1e-9);
  }
  // Between the control points the two fits agree to the same order.
  for (const Point3 e : {Point3{0, 0, 0}, Point3{-250, 310, 4}, Point3{420, -90, -11}}) {
    Point3 q, back;
    ASSERT_TRUE(controlEnuToProject(d, e, q));
    ASSERT_TRUE(controlProjectToEnu(d, q, back));
    EXPECT_LE(distance(back, e), inverseResidual + forwardResidual * 1.001);
  }
}

// A direction whose fit fails keeps its values, is marked, and converts nothing; the other
// direction is unaffected by the mark.
TEST(ControlTransform, FailedDirectionsRefuseToConvert) {
  ProjectDefinition d;
  d.type = "Control points";
  d.srcpointsenu = {{0, 0, 0}, {10, 10, 0}};
  d.despoints = {{500000, 3300000, 0}, {500010, 3300010, 0}};
  TransformInfo& t = d.transform.emplace();
  t.args = {1, 2, 3, 4, 5, 6, 7};
  t.inv_src = {8, 9, 10};
  const ConsoleText console = fillTransformInfo(d);
  EXPECT_TRUE(t.argsFailed);
  EXPECT_TRUE(t.invArgsFailed);
  EXPECT_EQ(t.args, (std::array<double, 7>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(t.inv_src, (std::array<double, 3>{8, 9, 10}));
  EXPECT_EQ(console.out, std::string(kLabels) + kLabels);
  const std::string line =
      "control point fit: 2 point pairs; at least 3 not on one line are needed\n";
  EXPECT_EQ(console.err, line + line);

  const Point3 untouched{-7, -7, -7};
  Point3 a = untouched, b = untouched;
  EXPECT_FALSE(controlEnuToProject(d, {1, 1, 1}, a));
  EXPECT_FALSE(controlProjectToEnu(d, {1, 1, 1}, b));
  EXPECT_EQ(a, untouched);
  EXPECT_EQ(b, untouched);

  // Only the project -> ENU direction failed: ENU -> project still converts.
  t.argsFailed = false;
  EXPECT_TRUE(controlEnuToProject(d, {1, 1, 1}, a));
  EXPECT_FALSE(controlProjectToEnu(d, {1, 1, 1}, b));
}

// A definition without transform is filled by its first conversion (eight label lines) and
// only then; values read from a file are never marked failed.
TEST(ControlTransform, MissingTransformIsFilledOnFirstUse) {
  ProjectDefinition d = similarityDefinition();
  Point3 q;
  {
    CapturedConsole console;
    ASSERT_TRUE(controlProjectToEnu(d, d.despoints[0], q));
    EXPECT_EQ(console.out(), "");  // the geodesy prints nothing
    EXPECT_EQ(console.err(), "");
  }
  ASSERT_TRUE(d.transform);
  EXPECT_LT(distance(q, d.srcpointsenu[0]), 0.01);
  {
    CapturedConsole console;
    ASSERT_TRUE(controlEnuToProject(d, d.srcpointsenu[1], q));
    EXPECT_EQ(console.out(), "");
  }
  EXPECT_LT(distance(q, d.despoints[1]), 0.01);
}

// The prepared applier, the one-off conversion and applyControlTransform on the same values
// give the same bits.
TEST(ControlTransform, AppliersAgreeBitForBit) {
  ProjectDefinition d = similarityDefinition();
  const ConsoleText console = fillTransformInfo(d);
  const TransformInfo& t = *d.transform;
  const std::optional<ControlApplier> prepared =
      prepareControlApplier(d, ControlDirection::projectToEnu);
  ASSERT_TRUE(prepared);
  ControlParams args;
  for (int i = 0; i < 7; ++i) args(i) = t.inv_args[static_cast<std::size_t>(i)];
  const Eigen::RowVector3d cs(t.inv_src[0], t.inv_src[1], t.inv_src[2]);
  const Eigen::RowVector3d ct(t.inv_tar[0], t.inv_tar[1], t.inv_tar[2]);
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> u(-2000.0, 2000.0);
  for (int i = 0; i < 1000; ++i) {
    const Point3 p{512345.5 + u(rng), 3301234.25 + u(rng), u(rng) / 20};
    Point3 oneOff;
    ASSERT_TRUE(controlProjectToEnu(d, p, oneOff));
    const Point3 fast = prepared->apply(p);
    const Point3 matrix = applyControlTransform(p, args, cs, ct);
    ASSERT_EQ(std::memcmp(&fast, &oneOff, sizeof fast), 0) << "point " << i;
    ASSERT_EQ(std::memcmp(&fast, &matrix, sizeof fast), 0) << "point " << i;
  }
}

}  // namespace
