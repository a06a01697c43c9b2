#include "geodesy/datum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "coordinfo/enu_origin.h"
#include "geodesy/enu_frame.h"
#include "geodesy/reference_data.h"

namespace {

Ellipsoid ellipsoidOf(const std::string& a, const std::string& flattening) {
  // "+rf=298.3" or "+f=0.0033…" as cct was given it.
  const double value = std::stod(flattening.substr(flattening.find('=') + 1));
  return {std::stod(a), flattening.rfind("+rf=", 0) == 0 ? 1 / value : value};
}

Ellipsoid namedEllipsoid(const std::string& name) {
  const std::optional<Ellipsoid> e = findEllipsoid(name);
  EXPECT_TRUE(e.has_value()) << name;
  return e.value_or(kDefaultEllipsoid);
}

BaseConv baseConv(double tx, double ty, double tz, double rx, double ry, double rz, double s) {
  return {tx, ty, tz, rx, ry, rz, s};
}

// 1e-11° is about 1 µm on the ground.
constexpr double kAngleToleranceDeg = 1e-11;
constexpr double kLengthToleranceM = 1e-6;

}  // namespace

// Geodetic -> Earth-centred on the four named ellipsoids and the EnuOrigin one, against
// `cct +proj=cart` (cart_cct.txt), and the iterative way back to the same geodetic point.
TEST(EllipsoidFrameCct, CartesianBothWays) {
  const auto rows = readReferenceRows("cart_cct.txt");
  ASSERT_GE(rows.size(), 40u);
  for (const ReferenceRow& r : rows) {
    SCOPED_TRACE("cart_cct.txt line " + std::to_string(r.line));
    const Ellipsoid e = ellipsoidOf(r.fields[0], r.fields[1]);
    const Point3 g = r.point(2);
    const Point3 xyz = r.point(5);
    const Point3 ecef = geodeticToEcefOn(e, g);
    EXPECT_NEAR(ecef.x, xyz.x, kLengthToleranceM);
    EXPECT_NEAR(ecef.y, xyz.y, kLengthToleranceM);
    EXPECT_NEAR(ecef.z, xyz.z, kLengthToleranceM);
    const Point3 back = ecefToGeodeticIterative(e, xyz);
    EXPECT_NEAR(back.x, g.x, kAngleToleranceDeg);
    EXPECT_NEAR(back.y, g.y, kAngleToleranceDeg);
    EXPECT_NEAR(back.z, g.z, kLengthToleranceM);
  }
}

// The same point described on another ellipsoid, against a cct cart / inverse cart pipeline.
TEST(EllipsoidFrameCct, ChangeEllipsoid) {
  const auto rows = readReferenceRows("ellipsoid_change_cct.txt");
  ASSERT_GE(rows.size(), 20u);
  for (const ReferenceRow& r : rows) {
    SCOPED_TRACE("ellipsoid_change_cct.txt line " + std::to_string(r.line));
    const Point3 q = changeEllipsoid(namedEllipsoid(r.fields[0]), namedEllipsoid(r.fields[1]),
                                     r.point(2));
    const Point3 expected = r.point(5);
    EXPECT_NEAR(q.x, expected.x, kAngleToleranceDeg);
    EXPECT_NEAR(q.y, expected.y, kAngleToleranceDeg);
    EXPECT_NEAR(q.z, expected.z, kLengthToleranceM);
  }
}

// Pins the rotation convention: coordinate frame, exact matrix, rotate-scale-translate, as
// `cct +proj=helmert +convention=coordinate_frame +exact` (helmert_cct.txt); and the inverse
// maps cct's output back onto the input.
TEST(SevenParamCct, CoordinateFrameConvention) {
  const auto rows = readReferenceRows("helmert_cct.txt");
  ASSERT_GE(rows.size(), 16u);
  for (const ReferenceRow& r : rows) {
    SCOPED_TRACE("helmert_cct.txt line " + std::to_string(r.line));
    const BaseConv conv = baseConv(r.number(0), r.number(1), r.number(2), r.number(3),
                                   r.number(4), r.number(5), r.number(6));
    const SevenParamTransform t(conv, kCgcs2000);
    const Point3 in = r.point(7);
    const Point3 expected = r.point(10);
    const Point3 out = t.forwardEcef(in);
    EXPECT_NEAR(out.x, expected.x, kLengthToleranceM);
    EXPECT_NEAR(out.y, expected.y, kLengthToleranceM);
    EXPECT_NEAR(out.z, expected.z, kLengthToleranceM);
    const Point3 back = t.inverseEcef(expected);
    EXPECT_NEAR(back.x, in.x, kLengthToleranceM);
    EXPECT_NEAR(back.y, in.y, kLengthToleranceM);
    EXPECT_NEAR(back.z, in.z, kLengthToleranceM);
  }
}

// A 1″ rotation about Z takes (4000000, 0, 5000000) to about (3999999.99995, −19.3925,
// 5000000) and turns longitudes 1″ west; one parameter at a time on geodetic points.
TEST(SevenParam, SingleParameterEffects) {
  const Ellipsoid e = kCgcs2000;
  const Point3 g = ecefToGeodeticIterative(e, {4000000, 0, 5000000});
  {
    const Point3 q = sevenParamForward(baseConv(0, 0, 0, 0, 0, 1, 0), e, g);
    const Point3 xyz = geodeticToEcefOn(e, q);
    EXPECT_NEAR(xyz.x, 3999999.99995, 1e-5);
    EXPECT_NEAR(xyz.y, -19.3925, 1e-4);
    EXPECT_NEAR(xyz.z, 5000000, 1e-6);
    EXPECT_NEAR(q.x - g.x, -1.0 / 3600, 1e-12);
    EXPECT_NEAR(q.y, g.y, 1e-12);
  }
  const Point3 p{118.25, 31.5, 123.0};
  const Point3 before = geodeticToEcefOn(e, p);
  {
    const Point3 after = geodeticToEcefOn(e, sevenParamForward(baseConv(100, 0, 0, 0, 0, 0, 0),
                                                               e, p));
    EXPECT_NEAR(after.x - before.x, 100, kLengthToleranceM);
    EXPECT_NEAR(after.y - before.y, 0, kLengthToleranceM);
    EXPECT_NEAR(after.z - before.z, 0, kLengthToleranceM);
  }
  {
    const Point3 after = geodeticToEcefOn(e, sevenParamForward(baseConv(0, 0, 0, 0, 0, 0, 1),
                                                               e, p));
    EXPECT_NEAR(after.x, before.x * 1.000001, kLengthToleranceM);
    EXPECT_NEAR(after.y, before.y * 1.000001, kLengthToleranceM);
    EXPECT_NEAR(after.z, before.z * 1.000001, kLengthToleranceM);
  }
  {
    // All zero: only the iterative back-conversion can move the point.
    const BaseConv zero;
    for (const Point3& q : {sevenParamForward(zero, e, p), sevenParamInverse(zero, e, p)}) {
      EXPECT_NEAR(q.x, p.x, 1e-12);
      EXPECT_NEAR(q.y, p.y, 1e-12);
      EXPECT_NEAR(q.z, p.z, 0.001);
    }
  }
}

// The inverse is exact, not the forward with negated parameters: shifts up to kilometres,
// rotations up to minutes of arc, on every ellipsoid.
TEST(SevenParam, InverseUndoesForward) {
  const BaseConv convs[] = {
      baseConv(-24.5, 130.2, 92.7, 0.35, -2.6, 1.9, -3.4),
      baseConv(-1200, 800, 450, 45, -60, 90, 25),
      baseConv(3000, -2500, 1800, -120, 150, -180, -40),
  };
  const Ellipsoid ellipsoids[] = {kCgcs2000, kXian80, kBj54, kWgs84};
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> lon(73.0, 135.0), lat(18.0, 53.0), h(-100.0, 5000.0);
  for (std::size_t c = 0; c < std::size(convs); ++c) {
    for (std::size_t e = 0; e < std::size(ellipsoids); ++e) {
      const SevenParamTransform t(convs[c], ellipsoids[e]);
      for (int i = 0; i < 50; ++i) {
        const Point3 p{lon(rng), lat(rng), h(rng)};
        const Point3 back = t.inverse(t.forward(p));
        ASSERT_NEAR(back.x, p.x, kAngleToleranceDeg) << "conv " << c << " ell " << e << " " << i;
        ASSERT_NEAR(back.y, p.y, kAngleToleranceDeg) << "conv " << c << " ell " << e << " " << i;
        ASSERT_NEAR(back.z, p.z, kLengthToleranceM) << "conv " << c << " ell " << e << " " << i;
      }
    }
  }
}

// The iteration's edge cases: the equatorial plane (no step is taken; h = p − a), the polar
// axis, and agreement with the closed form of the EnuOrigin for ordinary heights.
TEST(EcefToGeodeticIterative, EdgeCases) {
  const Ellipsoid e = kWgs84;
  {
    const Point3 q = ecefToGeodeticIterative(e, {e.a + 50, 0, 0});
    EXPECT_EQ(q, (Point3{0, 0, 50}));
  }
  {
    const Point3 q = ecefToGeodeticIterative(e, {0, -(e.a - 20), 0});
    EXPECT_EQ(q.x, -90);
    EXPECT_EQ(q.y, 0);
    EXPECT_NEAR(q.z, -20, 1e-9);
  }
  {
    // 1e-12 m off the plane is below the start test of 1e-15°: treated as on it.
    const Point3 q = ecefToGeodeticIterative(e, {e.a + 50, 0, 1e-12});
    EXPECT_TRUE(std::isfinite(q.z));
    EXPECT_NEAR(q.z, 50, 1e-9);
  }
  {
    const double b = e.a * (1 - e.f);
    const Point3 q = ecefToGeodeticIterative(e, {0, 0, -(b + 100)});
    EXPECT_NEAR(q.y, -90, 1e-12);
    EXPECT_NEAR(q.z, 100, kLengthToleranceM);
  }
  {
    // Deep inside the Earth the fixed point need not settle; the bounded loop still ends
    // with finite numbers.
    const Point3 q = ecefToGeodeticIterative(e, {100, 0, 100});
    EXPECT_TRUE(std::isfinite(q.y) && std::isfinite(q.z));
  }
  const EnuOrigin origin;
  const Ellipsoid originEllipsoid{origin.a, origin.f};
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> lon(-180, 180), lat(-89, 89), h(-500, 10000);
  for (int i = 0; i < 500; ++i) {
    const Point3 ecef = geodeticToEcefOn(originEllipsoid, {lon(rng), lat(rng), h(rng)});
    const Point3 iterative = ecefToGeodeticIterative(originEllipsoid, ecef);
    const Point3 closed = EnuFrame(origin).ecefToGeodeticBowring(ecef);
    // Sub-millimetre for heights under 10 km: 1e-8° is about 1 mm on the ground.
    ASSERT_NEAR(iterative.y, closed.y, 1e-8) << i;
    ASSERT_NEAR(iterative.z, closed.z, 0.001) << i;
  }
}

// Which ellipsoid a definition projects on, per direction.
TEST(ProjectionEllipsoid, Rule) {
  struct Case {
    const char* what;
    const char* ellipsoid;
    bool hasConv;
    const char* src;
    const char* des;
    Ellipsoid toEnu, fromEnu;
    bool changes;
  };
  const Case cases[] = {
      {"no ellipsoidconv", "XIAN80", false, "", "", kXian80, kXian80, false},
      {"BJ54 -> CGCS2000 applies", "BJ54", true, "BJ54", "CGCS2000", kCgcs2000, kCgcs2000, true},
      {"source is not the definition's", "XIAN80", true, "BJ54", "CGCS2000", kXian80, kXian80,
       false},
      {"source spelled differently", "bj54", true, "BJ54", "CGCS2000", kBj54, kBj54, false},
      {"source equals destination", "XIAN80", true, "BJ54", "BJ54", kXian80, kXian80, false},
      {"unknown destination", "CGCS2000", true, "CGCS2000", "GRS80", kCgcs2000,
       kDefaultEllipsoid, true},
      {"unknown own name", "Krassowsky", false, "", "", kDefaultEllipsoid, kDefaultEllipsoid,
       false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i) + ": " + c.what);
    projectinfo info;
    info.ellipsoid = c.ellipsoid;
    if (c.hasConv) info.ellipsoidconv = EllipsoidConv{c.src, c.des};
    EXPECT_EQ(ellipsoidChangeApplies(info), c.changes);
    EXPECT_EQ(projectionEllipsoid(info, ChainDirection::toEnu), c.toEnu);
    EXPECT_EQ(projectionEllipsoid(info, ChainDirection::fromEnu), c.fromEnu);
  }
}
