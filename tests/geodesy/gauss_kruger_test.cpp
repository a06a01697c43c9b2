#include "geodesy/gauss_kruger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "geodesy/ellipsoid.h"

namespace {

GaussKrugerParams cgcs2000Cm117() {
  GaussKrugerParams p;
  p.centralMeridian = 117.0;
  p.falseEasting = 500000.0;
  p.a = kCgcs2000.a;
  p.f = kCgcs2000.f;
  return p;
}

bool sameBits(const Point3& a, const Point3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

// Worked values for CGCS2000, central meridian 117°, false easting 500000 m; published to the
// millimetre, so 0.5 mm of rounding plus 0.1 mm of slack. Cross-checked with
// `cct -d 6 +proj=tmerc +lon_0=117 +x_0=500000 +ellps=GRS80` (500000.000000 3320113.397845,
// 643264.135290 3431940.323895).
TEST(GaussKrugerForward, WorkedValues) {
  struct Case {
    double lon, lat, x, y;
  };
  const Case cases[] = {
      {117.0, 30.0, 500000.000, 3320113.398},
      {118.5, 31.0, 643264.135, 3431940.324},
  };
  const double toleranceM = 0.0006;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const Point3 q = gaussKrugerForward({cases[i].lon, cases[i].lat, 7.5}, cgcs2000Cm117());
    EXPECT_NEAR(q.x, cases[i].x, toleranceM);
    EXPECT_NEAR(q.y, cases[i].y, toleranceM);
    EXPECT_EQ(q.z, 7.5);  // the height is carried, never changed
  }
}

// On the central meridian at the origin latitude every series term vanishes and the arc of
// the origin latitude cancels: exactly the false origin.
TEST(GaussKrugerForward, CentralMeridianAtOriginLatitudeIsFalseOrigin) {
  struct Case {
    double cm, originLat, fe, fn;
    Ellipsoid e;
  };
  const Case cases[] = {
      {117.0, 0.0, 500000.0, 0.0, kCgcs2000},
      {114.5, 22.3, 80000.0, 30000.0, kCgcs2000},
      {108.75, -34.2, 50000.0, -20000.0, kXian80},
      {102.0, 45.0, 0.0, 0.0, kBj54},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const Case& c = cases[i];
    const GaussKrugerParams p{c.cm, c.fe, c.fn, c.e.a, c.e.f, c.originLat};
    const Point3 q = gaussKrugerForward({c.cm, c.originLat, 0.0}, p);
    EXPECT_EQ(q.x, c.fe);
    EXPECT_EQ(q.y, c.fn);
  }
}

// |origin latitude| <= 1e-6° counts as absent, bit for bit; just above it does not.
TEST(GaussKruger, OriginLatitudeThreshold) {
  GaussKrugerParams zero = cgcs2000Cm117();
  GaussKrugerParams tiny = zero;
  tiny.originLatitude = 5e-7;
  GaussKrugerParams above = zero;
  above.originLatitude = 2e-6;
  const Point3 geodetic{118.2, 33.3, 0.0};
  const Point3 plane{612345.678, 3712345.678, 0.0};
  EXPECT_TRUE(sameBits(gaussKrugerForward(geodetic, zero), gaussKrugerForward(geodetic, tiny)));
  EXPECT_TRUE(sameBits(gaussKrugerInverse(plane, zero), gaussKrugerInverse(plane, tiny)));
  // 2e-6° of meridian arc is about 0.22 m.
  EXPECT_NEAR(gaussKrugerForward(geodetic, zero).y - gaussKrugerForward(geodetic, above).y,
              0.221, 0.002);
}

// A surface height H enlarges a by H/sqrt(1 − e²): 100 m on CGCS2000 gives 100.336409 m
// (e² = f(2 − f) = 0.00669438002290). The flattening stays, so every projected offset from
// the false origin grows by a′/a (each series term is proportional to a).
TEST(GaussKruger, SurfaceHeightEnlargesTheAxis) {
  EXPECT_NEAR(surfaceSemiMajorAxis(kCgcs2000, 100.0) - kCgcs2000.a, 100.336409, 1e-6);
  EXPECT_NEAR(surfaceSemiMajorAxis(kCgcs2000, -50.0) - kCgcs2000.a, -50.1682045, 1e-6);
  EXPECT_EQ(surfaceSemiMajorAxis(kCgcs2000, 1e-6), kCgcs2000.a);
  EXPECT_EQ(surfaceSemiMajorAxis(kCgcs2000, -1e-6), kCgcs2000.a);
  EXPECT_NE(surfaceSemiMajorAxis(kCgcs2000, 2e-6), kCgcs2000.a);

  const GaussKrugerParams plain = cgcs2000Cm117();
  GaussKrugerParams raised = plain;
  raised.a = surfaceSemiMajorAxis(kCgcs2000, 100.0);
  const double ratio = raised.a / plain.a;
  const Point3 points[] = {{118.5, 31.0, 0.0}, {115.2, 45.0, 0.0}, {119.9, 19.0, 0.0}};
  for (std::size_t i = 0; i < std::size(points); ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    const Point3 q0 = gaussKrugerForward(points[i], plain);
    const Point3 q1 = gaussKrugerForward(points[i], raised);
    // Offsets up to 5e6 m: rounding stays below 1e-6 m.
    EXPECT_NEAR(q1.x - 500000.0, (q0.x - 500000.0) * ratio, 1e-6);
    EXPECT_NEAR(q1.y, q0.y * ratio, 1e-6);
  }
}

// Forward then inverse within 3° of the central meridian returns the input to 1e-8° (about
// 1 mm), with and without an origin latitude and a false northing, on every ellipsoid.
TEST(GaussKruger, RoundTripWithinThreeDegrees) {
  struct Setup {
    double cm, originLat, fe, fn;
    Ellipsoid e;
  };
  const Setup setups[] = {
      {117.0, 0.0, 500000.0, 0.0, kCgcs2000},       {75.0, 0.0, 500000.0, 0.0, kWgs84},
      {114.5, 22.3, 80000.0, 30000.0, kCgcs2000},   {108.75, 34.2, 50000.0, -20000.0, kXian80},
      {102.0, 0.0, 500000.0, 0.0, kBj54},           {135.0, 40.0, 0.0, 1000000.0, kCgcs2000},
      {117.0, 0.0, 500000.0, 0.0, {surfaceSemiMajorAxis(kCgcs2000, 350.0), kCgcs2000.f}},
  };
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> dLon(-3.0, 3.0);
  std::uniform_real_distribution<double> lat(18.0, 50.0);
  const double toleranceDeg = 1e-8;
  for (std::size_t s = 0; s < std::size(setups); ++s) {
    const Setup& c = setups[s];
    const GaussKrugerParams p{c.cm, c.fe, c.fn, c.e.a, c.e.f, c.originLat};
    for (int i = 0; i < 200; ++i) {
      const Point3 g{c.cm + dLon(rng), (i % 2 ? 1 : -1) * lat(rng), 12.0};
      const Point3 back = gaussKrugerInverse(gaussKrugerForward(g, p), p);
      ASSERT_NEAR(back.x, g.x, toleranceDeg) << "setup " << s << " point " << i;
      ASSERT_NEAR(back.y, g.y, toleranceDeg) << "setup " << s << " point " << i;
      ASSERT_EQ(back.z, g.z);
    }
  }
}

// The free functions and a prepared projection are one code path: same bits.
TEST(GaussKruger, PreparedProjectionGivesTheSameBits) {
  GaussKrugerParams p = cgcs2000Cm117();
  p.originLatitude = 31.5;
  p.falseNorthing = 12345.0;
  const GaussKrugerProjection prepared(p);
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int i = 0; i < 1000; ++i) {
    const Point3 g{117.0 + 3 * u(rng), 34.0 + 16 * u(rng), 100 * u(rng)};
    ASSERT_TRUE(sameBits(prepared.forward(g), gaussKrugerForward(g, p))) << "point " << i;
    const Point3 q{500000.0 + 250000 * u(rng), 500000.0 * u(rng), 0.0};
    ASSERT_TRUE(sameBits(prepared.inverse(q), gaussKrugerInverse(q, p))) << "point " << i;
  }
}
