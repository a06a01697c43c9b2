#include "geodesy/ellipsoid.h"

#include <array>

namespace {

struct NamedEllipsoid {
  std::string_view upper;
  std::string_view lower;
  Ellipsoid ellipsoid;
};

constexpr std::array<NamedEllipsoid, 4> kTable{{
    {"CGCS2000", "cgcs2000", kCgcs2000},
    {"XIAN80", "xian80", kXian80},
    {"BJ54", "bj54", kBj54},
    {"WGS84", "wgs84", kWgs84},
}};

}  // namespace

std::optional<Ellipsoid> findEllipsoid(std::string_view name) {
  for (const NamedEllipsoid& row : kTable) {
    if (name == row.upper || name == row.lower) return row.ellipsoid;
  }
  return std::nullopt;
}

Ellipsoid lookupEllipsoid(std::string_view name) {
  return findEllipsoid(name).value_or(kDefaultEllipsoid);
}
