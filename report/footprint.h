#pragma once

#include <vector>

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"
#include "report/run_record.h"

// Outlines of a file's vertices on the Earth for the report's map: the four corners of its box
// (x, y at the middle height), as geodetic lon°, lat°, h m. Empty for an empty box.

// A box of ENU coordinates (m) about `origin`.
std::vector<Point3> enuFootprint(const Bounds3& enu, const EnuOrigin& origin);
// A box of 3-degree zone coordinates (easting, northing m) of zone code `zoneCode`.
std::vector<Point3> zoneFootprint(const Bounds3& zone, int zoneCode);
