#include "geodesy/zone.h"

#include <cmath>

std::optional<int32_t> zoneCodeOf(double lonDegrees) {
  const double code = (lonDegrees - 73.5) / 3 + 4534;
  const double truncated = std::trunc(code);
  // Converting a double outside the int32 range is undefined behaviour, so check first.
  if (!std::isfinite(truncated) || truncated < -2147483648.0 || truncated > 2147483647.0) {
    return std::nullopt;
  }
  return static_cast<int32_t>(truncated);
}

double zoneCentralMeridian(int32_t zoneCode) {
  return static_cast<double>(static_cast<int64_t>(zoneCode) - kFirstZoneCode) * kZoneWidth +
         kFirstZoneMeridian;
}

GaussKrugerProjection zoneProjection(int32_t zoneCode) {
  return GaussKrugerProjection(zoneProjectionParams(zoneCentralMeridian(zoneCode)));
}
