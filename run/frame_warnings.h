#pragma once

#include <optional>
#include <string>

#include "coordinfo/bounds3.h"
#include "coordinfo/enu_origin.h"
#include "report/run_record.h"

// Warnings of vertices that lie where the frame does not hold them well, before anyone
// delivers thousands of tiles from it.

// How far from its central meridian the Gauss-Krüger series are trusted to 1 mm (degree).
inline constexpr double kMeridianWarningOffset = 3.0;
// How far from the ENU origin vertices may lie before a run warns (m): a local ENU frame a
// hundred kilometres across is rarely what was meant; thousands of kilometres is the mark of
// an origin given longitude and latitude swapped.
inline constexpr double kFarFromOriginMetres = 100000.0;

// The warning of a file whose vertices (the corners of their box, file.meridianOffset) lie
// more than kMeridianWarningOffset from the central meridian of their projection: the largest
// distance, the series' error there (geodesy/gauss_kruger_accuracy.h), and the likely causes;
// empty otherwise.
std::optional<std::string> meridianWarning(const std::string& path, const FileRecord& file);

// The warning of a run whose ENU vertices (the box `enu`, m, about `origin`) reach farther
// than kFarFromOriginMetres from the origin (the box's farthest corner); empty otherwise.
std::optional<std::string> farFromOriginWarning(const Bounds3& enu, const EnuOrigin& origin);
