#include "coordinfo/coord_translate_info.h"
#include <string>

#include "coordinfo/zone_code.h"
#include "pipeline/pipeline_cache.h"

namespace {

// The fixed 3-degree zone projection: false easting 500000 m, no false northing, semi-major
// axis 6378137 m and the flattening of the default EnuOrigin (one unit in the last place
// above the WGS84 table value), whatever the origin's own ellipsoid; no surface height.
constexpr double kZoneFalseEasting = 500000.0;          // m
constexpr double kZoneSemiMajorAxis = 6378137.0;        // m
constexpr double kZoneFlattening = kStoredWgs84Flattening;

const GaussKrugerProjection& zoneProjectionOf(PipelineCache& cache, int32_t zoneCode) {
  if (!cache.zoneProjection || cache.zoneProjectionCode != zoneCode) {
    GaussKrugerParams params;
    params.centralMeridian = zoneCentralMeridian(zoneCode);
    params.falseEasting = kZoneFalseEasting;
    params.falseNorthing = 0.0;
    params.a = kZoneSemiMajorAxis;
    params.f = kZoneFlattening;
    params.originLatitude = 0.0;
    cache.zoneProjection.emplace(params);
    cache.zoneProjectionCode = zoneCode;
  }
  return *cache.zoneProjection;
}

}  // namespace

// Project frame -> 3-degree Gauss-Krüger zone of the chosen definition: projectToEnu, back to
// geodetic on the origin's ellipsoid (closed form), then the zone projection. Output
// (easting m, northing m, ellipsoidal height m on the origin's ellipsoid).
//
// A definition without a zone code takes the zone of the first point converted through it,
// trunc((λ − 73.5)/3 + 4534), and keeps it for the rest of the run, even for points in a
// neighbouring zone. False, leaving `out` untouched (lastFailure says why), when the forward
// conversion fails, no definition is chosen, that first longitude gives no 32-bit zone code,
// or the point lies off the zone (more than 10° from its meridian).
bool CoordTranslateInfo::projectToZone(const Point3& in, Point3& out) {
  Point3 enu{};
  if (!projectToEnu(in, enu)) return false;
  ProjectDefinition* definition = currentDefinition();
  if (definition == nullptr) return false;
  // projectToEnu has just made the cache current for this origin.
  PipelineCache& cache = pipelineCacheOf(*this);
  const EnuFrame& frame = *cache.originFrame;
  const Point3 geodetic = frame.ecefToGeodetic(frame.enuToEcef(enu));
  if (definition->zonecode < 0) {
    const std::optional<int32_t> code = zoneCodeOf(geodetic.x);
    if (!code) {
      lastFailure = "the longitude of the point has no zone code";
      return false;
    }
    definition->zonecode = *code;
  }
  const GaussKrugerProjection& zone = zoneProjectionOf(cache, definition->zonecode);
  // A point far from the zone's meridian (a zone fixed by an earlier point elsewhere, or a
  // position that is no place on the Earth) has no coordinates on this zone.
  if (auto off = offProjection(geodetic, zone.params().centralMeridian)) {
    lastFailure = "on zone " + std::to_string(definition->zonecode) + ": " + *off;
    return false;
  }
  const Point3 plane = zone.forward(geodetic);
  out = Point3{plane.x, plane.y, geodetic.z};
  return true;
}
