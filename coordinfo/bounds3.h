#pragma once

#include <array>
#include <limits>

// The smallest box holding a set of points (x, y, z each), empty until the first point. A NaN
// coordinate moves no bound.
struct Bounds3 {
  std::array<double, 3> min{std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::infinity()};
  std::array<double, 3> max{-std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
  bool empty() const { return !(min[0] <= max[0]); }
  void add(const double p[3]) {
    for (int k = 0; k < 3; ++k) {
      if (p[k] < min[k]) min[k] = p[k];
      if (p[k] > max[k]) max[k] = p[k];
    }
  }
  void merge(const Bounds3& other) {
    for (int k = 0; k < 3; ++k) {
      if (other.min[k] < min[k]) min[k] = other.min[k];
      if (other.max[k] > max[k]) max[k] = other.max[k];
    }
  }
};
