#pragma once

#include <cstdint>
#include <optional>

#include "coordinfo/enu_origin.h"
#include "geodesy/gauss_kruger.h"

// The standard 3-degree zones in one place: the code of a longitude (the zone choice), the
// central meridian of a code, and the zone projection.

// 3-degree Gauss-Krüger zone codes: 4534 + k for the zone of central meridian 75 + 3k degrees
// (the EPSG codes of the CGCS2000 3-degree GK projections, 4534 = 75° E ... 4554 = 135° E).
inline constexpr int32_t kFirstZoneCode = 4534;
inline constexpr double kFirstZoneMeridian = 75.0;  // degree
inline constexpr double kZoneWidth = 3.0;           // degree

// trunc((lon − 73.5) / 3 + 4534), truncated toward zero (−10° gives 4506, not 4505).
// Empty when lon is not finite or the code does not fit a signed 32-bit integer.
std::optional<int32_t> zoneCodeOf(double lonDegrees);

// Central meridian (degree) of a zone code: (code − 4534)·3 + 75.
double zoneCentralMeridian(int32_t zoneCode);

// The standard 3-degree Gauss-Krüger zone projection: false easting 500000 m, no false
// northing, scale 1 on the central meridian, and a = 6378137 m with the stored WGS84 flattening
// of the default EnuOrigin (one unit in the last place above the WGS84 table value), whatever
// ellipsoid a definition uses; no surface height.
inline constexpr double kZoneFalseEasting = 500000.0;    // m
inline constexpr double kZoneSemiMajorAxis = 6378137.0;  // m
inline constexpr double kZoneFlattening = kStoredWgs84Flattening;

inline GaussKrugerParams zoneProjectionParams(double centralMeridian) {
  GaussKrugerParams params;
  params.centralMeridian = centralMeridian;
  params.falseEasting = kZoneFalseEasting;
  params.falseNorthing = 0.0;
  params.a = kZoneSemiMajorAxis;
  params.f = kZoneFlattening;
  params.originLatitude = 0.0;
  return params;
}

// The zone projection of a zone code, set up once.
GaussKrugerProjection zoneProjection(int32_t zoneCode);
