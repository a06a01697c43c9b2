// The lane elementary functions against the one-value ones, bit for bit, lane by lane: every
// quadrant and range the reduction handles, mixed lanes (each lane another quadrant or a
// special value, so the selects are exercised), zeros of both signs, NaN, infinities and
// arguments beyond the reduction's domain; atan2 in all four quadrants, on the axes, swapped
// and unswapped, tiny and huge quotients. Built for the baseline instruction set here; the
// chains' test (tests/pipeline/lane_kernels_test.cpp) covers every build.
#define QUORVEX_LANES_NAMESPACE test_lanes
#include "geodesy/lanes.h"
#include "geodesy/lane_elementary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using test_lanes::kLaneCount;
using test_lanes::Lanes;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Arguments: random over each range, then the special values, shuffled so that lanes mix.
std::vector<double> arguments() {
  std::mt19937_64 random(20261209);
  std::vector<double> values;
  for (const double limit : {0.7853981633974483, 2.0, 12.566370614359172, 1000.0, 8e5}) {
    std::uniform_real_distribution<double> pick(-limit, limit);
    for (int i = 0; i < 20000; ++i) values.push_back(pick(random));
  }
  for (const double x : {0.0, -0.0, kNaN, kInf, -kInf, 1e-310, -1e-310, 1e-20,
                         0.7853981633974483, 0.7853981633974484, -0.7853981633974483,
                         1.5707963267948966, 3.141592653589793, -3.141592653589793,
                         4.71238898038469, elementary::kElementaryMaxArgument,
                         -elementary::kElementaryMaxArgument,
                         std::nextafter(elementary::kElementaryMaxArgument, kInf), 1e300}) {
    values.push_back(x);
  }
  std::shuffle(values.begin(), values.end(), random);
  while (values.size() % kLaneCount != 0) values.push_back(1.0);
  return values;
}

Lanes load(const std::vector<double>& values, std::size_t start) {
  Lanes x;
  for (int i = 0; i < kLaneCount; ++i) test_lanes::setLane(x, i, values[start + static_cast<std::size_t>(i)]);
  return x;
}

}  // namespace

TEST(LaneElementary, SinCosTanHaveTheOneValueBitsInEveryLane) {
  const std::vector<double> values = arguments();
  std::size_t mismatches = 0;
  for (std::size_t start = 0; start < values.size(); start += kLaneCount) {
    const Lanes x = load(values, start);
    Lanes s1, s2, c2, s3, c3, t3;
    s1 = test_lanes::sin(x);
    test_lanes::sincos(x, s2, c2);
    test_lanes::sincostan(x, s3, c3, t3);
    for (int i = 0; i < kLaneCount; ++i) {
      const double a = test_lanes::lane(x, i);
      double s, c, t, sc, cc;
      elementary::sincostan(a, s, c, t);
      elementary::sincos(a, sc, cc);
      const bool same = sameBits(test_lanes::lane(s1, i), elementary::sin(a)) && sameBits(test_lanes::lane(s2, i), sc) &&
                        sameBits(test_lanes::lane(c2, i), cc) && sameBits(test_lanes::lane(s3, i), s) &&
                        sameBits(test_lanes::lane(c3, i), c) && sameBits(test_lanes::lane(t3, i), t);
      if (!same && ++mismatches <= 5) ADD_FAILURE() << "argument " << a;
    }
  }
  EXPECT_EQ(mismatches, 0u);
}

TEST(LaneElementary, Atan2HasTheOneValueBitsWhereRegular) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-40, 40);
  std::vector<double> ys, xs;
  for (int i = 0; i < 100000; ++i) {
    // Magnitudes over 80 orders, all signs, either larger.
    ys.push_back(std::ldexp(unit(random), exponent(random)));
    xs.push_back(std::ldexp(unit(random), exponent(random)));
  }
  // Special pairs: the axes, zeros, infinities, NaN, a quotient too tiny, a huge denominator,
  // exact diagonals and table points (t = k/8).
  const double special[][2] = {{0.0, 1.0},   {-0.0, -1.0}, {1.0, 0.0},      {1.0, -0.0},
                               {kInf, 1.0},  {1.0, kInf},  {kNaN, 1.0},     {1.0, 1e-300},
                               {1e-300, 1.0}, {1e301, 1e300}, {1.0, 1.0},   {-1.0, -1.0},
                               {3.0, 8.0},   {-5.0, 8.0},  {8.0, -7.0},     {1.0, 16.0}};
  for (const auto& pair : special) {
    ys.push_back(pair[0]);
    xs.push_back(pair[1]);
  }
  while (ys.size() % kLaneCount != 0) {
    ys.push_back(1.0);
    xs.push_back(2.0);
  }
  std::size_t mismatches = 0, regular = 0, ordinaryIrregular = 0;
  for (std::size_t start = 0; start < ys.size(); start += kLaneCount) {
    test_lanes::Mask ok;
    const Lanes a = test_lanes::atan2(load(ys, start), load(xs, start), ok);
    for (int i = 0; i < kLaneCount; ++i) {
      const std::size_t k = start + static_cast<std::size_t>(i);
      if (!test_lanes::lane(ok, i)) {
        // Only the special pairs may be left to the one-value function.
        if (k < 100000) ++ordinaryIrregular;
        continue;
      }
      ++regular;
      if (!sameBits(test_lanes::lane(a, i), elementary::atan2(ys[k], xs[k])) && ++mismatches <= 5) {
        ADD_FAILURE() << "atan2(" << ys[k] << ", " << xs[k] << ")";
      }
    }
  }
  EXPECT_EQ(mismatches, 0u);
  EXPECT_EQ(ordinaryIrregular, 0u);
  EXPECT_GE(regular, 100000u);
}
