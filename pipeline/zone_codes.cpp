#include "pipeline/zone_codes.h"

#include "coordinfo/zone_code.h"
#include "geodesy/zone_projection.h"

GaussKrugerProjection zoneProjection(int32_t zoneCode) {
  return GaussKrugerProjection(zoneProjectionParams(zoneCentralMeridian(zoneCode)));
}
