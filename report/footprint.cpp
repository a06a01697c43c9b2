#include "report/footprint.h"

#include "geodesy/zone.h"
#include "geodesy/enu_frame.h"
#include "geodesy/gauss_kruger.h"

namespace {

std::vector<Point3> corners(const Bounds3& b) {
  const double z = (b.min[2] + b.max[2]) / 2;
  return {{b.min[0], b.min[1], z}, {b.max[0], b.min[1], z}, {b.max[0], b.max[1], z},
          {b.min[0], b.max[1], z}};
}

}  // namespace

std::vector<Point3> enuFootprint(const Bounds3& enu, const EnuOrigin& origin) {
  if (enu.empty()) return {};
  const EnuFrame frame(origin);
  std::vector<Point3> outline;
  for (const Point3& p : corners(enu)) outline.push_back(frame.ecefToGeodeticBowring(frame.enuToEcef(p)));
  return outline;
}

std::vector<Point3> zoneFootprint(const Bounds3& zone, int zoneCode) {
  if (zone.empty()) return {};
  const GaussKrugerProjection projection(zoneProjectionParams(zoneCentralMeridian(zoneCode)));
  std::vector<Point3> outline;
  for (const Point3& p : corners(zone)) outline.push_back(projection.inverse(p));
  return outline;
}
