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

// Beyond kGaussKrugerMeasuredOffset: the largest error per band of |Δλ| (the band from the
// one before up to maxOffset), at any latitude up to 80°, against the same exact projection
// (tests/geodesy/data/tmerc_far_cct.txt: three projections, 0°..80° north and south), in mm.
// It passes 1 mm just beyond 3°, a metre by 9°: a vertex out there is more likely in another
// frame (or relative to an origin not added) than meant to be projected.
struct GaussKrugerFarBand {
  double maxOffset;  // degree from the central meridian
  double forwardMm;
  double inverseMm;
};

inline constexpr GaussKrugerFarBand kGaussKrugerFarBands[] = {
    {3.5, 0.96, 1.07},  {4.0, 0.96, 2.7},   {5.0, 3.3, 12.9},     {6.0, 11.5, 46.5},
    {7.0, 33.6, 138.0}, {8.0, 85.1, 353.0}, {10.0, 404.0, 1713.0},
};

// The band of a point `meridianOffset` degrees beyond 3° from the central meridian; empty
// within 3° (gaussKrugerError) and beyond 10° (off the projection).
inline std::optional<GaussKrugerFarBand> gaussKrugerFarError(double meridianOffset) {
  const double offset = std::fabs(meridianOffset);
  if (!(offset > kGaussKrugerMeasuredOffset)) return std::nullopt;
  for (const GaussKrugerFarBand& band : kGaussKrugerFarBands) {
    if (offset <= band.maxOffset) return band;
  }
  return std::nullopt;
}

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
