// The standard 3-degree zones: the code of a longitude and the meridian of a code.
#include "geodesy/zone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace {

TEST(ZoneCode, Table) {
  struct Case {
    double lon;
    std::optional<int32_t> code;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {75.0, 4534},
      {76.4, 4534},
      {76.5, 4535},  // zone edge 76.5 belongs to the next zone
      {73.5, 4534},
      {117.0, 4548},
      {118.49, 4548},
      {135.0, 4554},
      {0.0, 4509},
      {-10.0, 4506},
      {1e12, std::nullopt},
      {-1e12, std::nullopt},
      {inf, std::nullopt},
      {-inf, std::nullopt},
      {std::nan(""), std::nullopt},
      // Edges of the int32 range: (6442437414 − 73.5)/3 + 4534 = 2147483647.5 truncates to
      // INT32_MAX; 3 degrees more is 2147483648.5, beyond it.
      {6442437414.0, 2147483647},
      {6442437417.0, std::nullopt},
      // (−6442464474 − 73.5)/3 + 4534 = −2147483648.5 truncates to INT32_MIN; −2147483649 is
      // beyond.
      {-6442464474.0, -2147483647 - 1},
      {-6442464475.5, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i) + ", lon " + std::to_string(cases[i].lon));
    EXPECT_EQ(zoneCodeOf(cases[i].lon), cases[i].code);
  }
}

TEST(ZoneCode, CentralMeridianOfTheCodeIsInsideTheZone) {
  for (int32_t code = 4534; code <= 4554; ++code) {
    SCOPED_TRACE("zone " + std::to_string(code));
    const double meridian = zoneCentralMeridian(code);
    EXPECT_EQ(zoneCodeOf(meridian), code);
    EXPECT_EQ(zoneCodeOf(meridian - 1.49), code);
    EXPECT_EQ(zoneCodeOf(meridian + 1.49), code);
  }
  EXPECT_EQ(zoneCentralMeridian(4548), 117.0);
}

}  // namespace
