// The project's own elementary functions against long double references: the largest error in
// units in the last place on the ranges the conversion chains use, and the special values.
#include "geodesy/elementary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// |value − reference| in units of the last place of the double nearest the reference.
double ulpError(double value, long double reference) {
  const double nearest = static_cast<double>(reference);
  const double ulp = std::nextafter(std::fabs(nearest), std::numeric_limits<double>::infinity()) -
                     std::fabs(nearest);
  return static_cast<double>(std::fabs(static_cast<long double>(value) - reference) / ulp);
}

struct Range {
  const char* what;
  double low, high;
};

double worstOver(const Range& range, const std::function<double(double)>& f,
                 const std::function<long double(long double)>& reference) {
  std::mt19937_64 rng(20261209);
  std::uniform_real_distribution<double> pick(range.low, range.high);
  double worst = 0.0;
  for (int i = 0; i < 200000; ++i) {
    const double x = pick(rng);
    worst = std::max(worst, ulpError(f(x), reference(x)));
  }
  return worst;
}

// The long double references are the C library's extended-precision functions (64-bit
// significands), 2^-11 units of a double's last place or better: enough to measure 1 unit.
#if defined(_WIN32)
#define QX_SKIP_WITHOUT_EXTENDED_REFERENCE() \
  GTEST_SKIP() << "the MinGW C library's long double functions are not accurate enough"
#else
#define QX_SKIP_WITHOUT_EXTENDED_REFERENCE() static_cast<void>(0)
#endif

TEST(Elementary, SinCosTanWithinOneUnitOnTheChainsRanges) {
  QX_SKIP_WITHOUT_EXTENDED_REFERENCE();
  // Latitudes and longitudes (radian, to ±2π) and the multiple angles of the meridian arc and
  // footpoint series (2φ … 8μ, to ±4π); a wider range for the reduction.
  const Range ranges[] = {{"small", -0.01, 0.01},
                          {"latitude", -1.5707963267948966, 1.5707963267948966},
                          {"longitude", -6.283185307179586, 6.283185307179586},
                          {"multiple angles", -12.566370614359172, 12.566370614359172},
                          {"wide", -1000.0, 1000.0}};
  for (const Range& range : ranges) {
    SCOPED_TRACE(range.what);
    const double sinWorst = worstOver(range, elementary::sin, [](long double x) { return sinl(x); });
    const double cosWorst = worstOver(range, elementary::cos, [](long double x) { return cosl(x); });
    std::printf("%-16s sin %.3f ulp, cos %.3f ulp\n", range.what, sinWorst, cosWorst);
    EXPECT_LE(sinWorst, 1.0);
    EXPECT_LE(cosWorst, 1.0);
  }
  // tan of latitudes up to 89.99°, and of the footpoint latitude (to just under π/2).
  const Range tanRanges[] = {{"latitude", -1.5706, 1.5706}, {"small", -0.01, 0.01}};
  for (const Range& range : tanRanges) {
    SCOPED_TRACE(range.what);
    const double tanWorst = worstOver(range, elementary::tan, [](long double x) { return tanl(x); });
    std::printf("%-16s tan %.3f ulp\n", range.what, tanWorst);
    EXPECT_LE(tanWorst, 1.0);
  }
}

// sincos and sincostan give the bits of the separate functions in every quadrant.
TEST(Elementary, CombinedFunctionsGiveTheSeparateBits) {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> pick(-20.0, 20.0);
  for (int i = 0; i < 20000; ++i) {
    const double x = i < 4 ? std::vector<double>{0.0, -0.0, 1e5, 3.141592653589793}[i] : pick(rng);
    double s = 0.0, c = 0.0, s3 = 0.0, c3 = 0.0, t3 = 0.0;
    elementary::sincos(x, s, c);
    elementary::sincostan(x, s3, c3, t3);
    ASSERT_EQ(std::memcmp(&s, &s3, sizeof s), 0) << x;
    ASSERT_EQ(std::memcmp(&c, &c3, sizeof c), 0) << x;
    const double sx = elementary::sin(x), cx = elementary::cos(x), tx = elementary::tan(x);
    ASSERT_EQ(std::memcmp(&s, &sx, sizeof s), 0) << x;
    ASSERT_EQ(std::memcmp(&c, &cx, sizeof c), 0) << x;
    ASSERT_EQ(std::memcmp(&t3, &tx, sizeof t3), 0) << x;
  }
}

TEST(Elementary, Atan2WithinOneUnit) {
  QX_SKIP_WITHOUT_EXTENDED_REFERENCE();
  std::mt19937_64 rng(7);
  // Earth-centred coordinates and their ratios (the geodetic back-conversions), and angles in
  // every quadrant.
  std::uniform_real_distribution<double> coordinate(-6.4e6, 6.4e6);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> exponent(-30.0, 30.0);
  double worst = 0.0;
  for (int i = 0; i < 400000; ++i) {
    double y = 0.0, x = 0.0;
    switch (i % 3) {
      case 0: y = coordinate(rng); x = coordinate(rng); break;
      case 1: y = unit(rng); x = unit(rng); break;
      default: y = unit(rng) * std::exp2(exponent(rng)); x = unit(rng); break;
    }
    worst = std::max(worst, ulpError(elementary::atan2(y, x), atan2l(y, x)));
  }
  std::printf("atan2            %.3f ulp\n", worst);
  EXPECT_LE(worst, 1.0);
}

TEST(Elementary, SpecialValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const double pi = 3.141592653589793;
  const struct {
    double y, x, expected;
  } atan2Cases[] = {
      {0.0, 1.0, 0.0},       {-0.0, 1.0, -0.0},      {0.0, -1.0, pi},
      {-0.0, -1.0, -pi},     {0.0, -0.0, pi},        {-0.0, 0.0, -0.0},
      {1.0, 0.0, pi / 2},    {-1.0, -0.0, -pi / 2},  {1.0, inf, 0.0},
      {1.0, -inf, pi},       {inf, 1.0, pi / 2},     {inf, inf, pi / 4},
      {-inf, -inf, -3 * pi / 4}, {1.0, 1.0, pi / 4}, {1e300, 1e-300, pi / 2},
  };
  for (const auto& c : atan2Cases) {
    const double a = elementary::atan2(c.y, c.x);
    EXPECT_EQ(a, c.expected) << c.y << ", " << c.x;
    EXPECT_EQ(std::signbit(a), std::signbit(c.expected)) << c.y << ", " << c.x;
  }
  EXPECT_TRUE(std::isnan(elementary::atan2(std::nan(""), 1.0)));
  // Exact at 0; NaN off the reducible range and for non-finite input.
  EXPECT_EQ(elementary::sin(0.0), 0.0);
  EXPECT_TRUE(std::signbit(elementary::sin(-0.0)));
  EXPECT_EQ(elementary::cos(0.0), 1.0);
  EXPECT_EQ(elementary::tan(0.0), 0.0);
  for (const double x : {inf, -inf, std::nan(""), 1e6, -1e300}) {
    EXPECT_TRUE(std::isnan(elementary::sin(x))) << x;
    EXPECT_TRUE(std::isnan(elementary::cos(x))) << x;
    EXPECT_TRUE(std::isnan(elementary::tan(x))) << x;
  }
}

}  // namespace
