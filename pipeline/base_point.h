#pragma once

#include <optional>
#include <string>
#include <string_view>

// The base point (ENU origin) of the project-to-ENU mode.

struct BasePoint {
  double lon = 0.0;  // degree
  double lat = 0.0;  // degree
};

// Longitudes an `inputbase` may give: west of Greenwich negative, or counted 0..360 east.
inline constexpr double kInputBaseMinLongitude = -180.0;  // degree
inline constexpr double kInputBaseMaxLongitude = 360.0;   // degree

// Reads an `inputbase` value, `[PREFIX:]LON,LAT`: an optional prefix ending at the first ':'
// (e.g. "ENU:"), then two decimal numbers separated by one ',' (blanks around each allowed),
// longitude first, in degrees. Empty, with what was expected in `*why` (when not null), when
// a number is missing, is not wholly a number or is not finite, the longitude lies outside
// [-180, 360] or the latitude outside [-90, 90] ("ENU:30.0,117.0" has latitude 117).
std::optional<BasePoint> parseInputBase(std::string_view text, std::string* why = nullptr);

// The base-point file text "ENU:<lat>,<lon>", both "%f" (six decimals), no line end. Note the
// order: latitude first, the reverse of the `inputbase` order.
std::string formatBasePoint(const BasePoint& point);

// The base-point text of a point that is not rounded to six decimals (the coordinate file's
// "basepoint"), which -inputbase must give back to the bit: each number "%f" when that reads
// back as it, else in the fewest fixed decimals that do ("ENU:30.00137712,117.0026423").
std::string formatBasePointExact(const BasePoint& point);

// The point the base-point text of `point` names: each number rounded to the six decimals it is
// written with, read back as -inputbase reads it. A run converts about this point, so that its
// base file, given back as -inputbase, gives the same numbers to the bit.
BasePoint basePointAsWritten(const BasePoint& point);

// Centre of the bounding box of all vertices: ((min + max) × 0.5) per axis. With no vertex the
// bounds are (+max double, −max double) and the centre is exactly 0.
double boundsCentre(double minimum, double maximum);
