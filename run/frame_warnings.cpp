#include "run/frame_warnings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "geodesy/gauss_kruger_accuracy.h"

std::optional<std::string> meridianWarning(const std::string& path, const FileRecord& file) {
  if (!file.meridianOffset || !(*file.meridianOffset > kMeridianWarningOffset)) {
    return std::nullopt;
  }
  const std::optional<GaussKrugerFarBand> band = gaussKrugerFarError(*file.meridianOffset);
  char error[160];
  if (band) {
    std::snprintf(error, sizeof error,
                  "where the projection's own error reaches %.3g mm forward, %.3g mm inverse",
                  band->forwardMm, band->inverseMm);
  } else {
    std::snprintf(error, sizeof error, "beyond the %g degrees where the projection holds at all",
                  kGaussKrugerFarBands[std::size(kGaussKrugerFarBands) - 1].maxOffset);
  }
  char text[400];
  std::snprintf(text, sizeof text,
                ": vertices up to %.3f degrees from the central meridian (the farthest corner "
                "of their box, latitude up to %.3f), %s; are the vertices relative to an "
                "origin not added (<SRSOrigin> of metadata.xml), or is centralMeridianLongitude "
                "wrong?",
                *file.meridianOffset, file.largestLatitude, error);
  return path + text;
}

std::optional<std::string> farFromOriginWarning(const Bounds3& enu, const EnuOrigin& origin) {
  if (enu.empty()) return std::nullopt;
  double squared = 0.0;
  for (int k = 0; k < 3; ++k) {
    const double reach = std::max(std::fabs(enu.min[k]), std::fabs(enu.max[k]));
    squared += reach * reach;
  }
  const double distance = std::sqrt(squared);
  if (!(distance > kFarFromOriginMetres)) return std::nullopt;
  char text[400];
  std::snprintf(text, sizeof text,
                "ENU vertices lie up to %.1f km from the ENU origin (longitude %.6f, latitude "
                "%.6f; the farthest corner of their box): is -inputbase swapped? It takes "
                "longitude first (-inputbase=ENU:LON,LAT); the base file and metadata.xml hold "
                "latitude first (ENU:LAT,LON)",
                distance / 1000.0, origin.lon, origin.lat);
  return std::string(text);
}
