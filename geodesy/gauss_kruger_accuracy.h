#pragma once

#include <cmath>
#include <optional>

// The Gauss-Krüger series' own horizontal error (geodesy/gauss_kruger.h), measured against
// PROJ's exact transverse Mercator (tests/geodesy/data/tmerc_cct.txt: 645 points within
// kGaussKrugerMeasuredOffset of the central meridians of ten projections): the largest per
// band of |latitude|, in mm. The README's "Accuracy" quotes this table.
struct GaussKrugerErrorBand {
  double maxLatitude;  // degree: the band is |latitude| up to this (from the band before)
  double forwardMm;    // geodetic -> plane
  double inverseMm;    // plane -> geodetic
};

inline constexpr GaussKrugerErrorBand kGaussKrugerErrorBands[] = {
    {30.0, 0.054, 0.240}, {50.0, 0.408, 0.376}, {60.0, 0.760, 0.384},
    {70.0, 0.955, 0.377}, {80.0, 0.948, 0.314},
};

// How far from the central meridian (degree) the table was measured; farther out the error
// grows quickly (the series are truncated in the longitude difference).
inline constexpr double kGaussKrugerMeasuredOffset = 3.0;

// The band of a point `meridianOffset` degrees from the central meridian at `latitude`
// degrees; empty where nothing was measured (farther than 3° out, or beyond 80° latitude).
inline std::optional<GaussKrugerErrorBand> gaussKrugerError(double meridianOffset,
                                                            double latitude) {
  if (!(std::fabs(meridianOffset) <= kGaussKrugerMeasuredOffset)) return std::nullopt;
  for (const GaussKrugerErrorBand& band : kGaussKrugerErrorBands) {
    if (std::fabs(latitude) <= band.maxLatitude) return band;
  }
  return std::nullopt;
}
