#pragma once

#include "coordinfo/enu_origin.h"
#include "geodesy/gauss_kruger.h"

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
