#pragma once

#include <string>
#include <string_view>

// The base point (ENU origin) of the project-to-ENU mode.

struct BasePoint {
  double lon = 0.0;  // degree
  double lat = 0.0;  // degree
};

// Reads an `inputbase` value: a prefix, ':', the longitude, ',', the latitude. The longitude
// text runs from after the first ':' (the start when there is none) to before the first ','
// (the end when there is none, or when that ',' comes before the first ':'); the latitude text
// is everything after the first ',' (the whole text when there is none). Each is read by
// atof's rules, so a text without a number gives 0: "121.5" alone gives (121.5, 121.5) and
// "ENU:121.5" gives (121.5, 0).
BasePoint readInputBase(std::string_view text);

// The base-point file text "ENU:<lat>,<lon>", both "%f" (six decimals), no line end. Note the
// order: latitude first, the reverse of the `inputbase` order.
std::string formatBasePoint(const BasePoint& point);

// Centre of the bounding box of all vertices: ((min + max) × 0.5) per axis. With no vertex the
// bounds are (+max double, −max double) and the centre is exactly 0.
double boundsCentre(double minimum, double maximum);
