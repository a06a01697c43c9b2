#include "pipeline/zone_codes.h"

#include "coordinfo/enu_origin.h"
#include "coordinfo/zone_code.h"

namespace {

constexpr double kZoneFalseEasting = 500000.0;    // m
constexpr double kZoneSemiMajorAxis = 6378137.0;  // m
constexpr double kZoneFlattening = kStoredWgs84Flattening;

}  // namespace

GaussKrugerProjection zoneProjection(int32_t zoneCode) {
  GaussKrugerParams params;
  params.centralMeridian = zoneCentralMeridian(zoneCode);
  params.falseEasting = kZoneFalseEasting;
  params.falseNorthing = 0.0;
  params.a = kZoneSemiMajorAxis;
  params.f = kZoneFlattening;
  params.originLatitude = 0.0;
  return GaussKrugerProjection(params);
}
