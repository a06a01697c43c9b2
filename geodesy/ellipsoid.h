#pragma once

#include <optional>
#include <string_view>

// A reference ellipsoid: semi-major axis a (m) and flattening f. Derived quantities (b, e²)
// are computed where they are used, in the form each formula has always used.
struct Ellipsoid {
  double a = 6378137.0;
  double f = 0.0033528106647474805;

  friend bool operator==(const Ellipsoid&, const Ellipsoid&) = default;
};

// The ellipsoids a definition may name. Each f is the double nearest 1/(inverse flattening).
inline constexpr Ellipsoid kCgcs2000{6378137.0, 0.003352810681182319};   // 1/298.257222101
inline constexpr Ellipsoid kXian80{6378140.0, 0.0033528131778969143};    // 1/298.257
inline constexpr Ellipsoid kBj54{6378245.0, 0.003352329869259135};       // 1/298.3
inline constexpr Ellipsoid kWgs84{6378137.0, 0.0033528106647474805};     // 1/298.257223563
// What a name outside the table gives.
inline constexpr Ellipsoid kDefaultEllipsoid = kWgs84;

// Exact, case-sensitive match of the whole name against the two accepted spellings of each
// row ("CGCS2000"/"cgcs2000", "XIAN80"/"xian80", "BJ54"/"bj54", "WGS84"/"wgs84").
std::optional<Ellipsoid> findEllipsoid(std::string_view name);

// As findEllipsoid, with the default ellipsoid for any other name (the empty name included).
Ellipsoid lookupEllipsoid(std::string_view name);
