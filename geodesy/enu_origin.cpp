// The geodetic / Earth-centred / ENU operations of EnuOrigin, one point at a time. They set
// up an EnuFrame for the call; the per-vertex pipelines keep one EnuFrame instead.
#include "coordinfo/enu_origin.h"

#include "geodesy/enu_frame.h"

Point3 EnuOrigin::geodeticToEcef(const Point3& geodetic) const {
  return EnuFrame(*this).geodeticToEcef(geodetic);
}

Point3 EnuOrigin::ecefToEnu(const Point3& ecef) const { return EnuFrame(*this).ecefToEnu(ecef); }

Point3 EnuOrigin::enuToEcef(const Point3& enu) const { return EnuFrame(*this).enuToEcef(enu); }

Point3 EnuOrigin::ecefToGeodetic(const Point3& ecef) const {
  return EnuFrame(*this).ecefToGeodetic(ecef);
}

Point3 EnuOrigin::enuToGeodetic(const Point3& enu) const {
  const EnuFrame frame(*this);
  return frame.ecefToGeodetic(frame.enuToEcef(enu));
}
