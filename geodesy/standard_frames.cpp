#include "geodesy/standard_frames.h"

#include <cmath>

namespace {

// A run of consecutive codes whose central meridians step evenly. `firstZone` > 0: the zone
// number (firstZone for the first code, one more per code) is prefixed to the false easting,
// zone · 1,000,000 + 500,000 m; 0: the false easting is 500,000 m.
struct Family {
  int firstCode;
  int count;
  Ellipsoid ellipsoid;
  double firstMeridian;  // degree
  double meridianStep;   // degree
  int firstZone;
  double scale;
  double falseNorthing;  // m
};

// The EPSG registry's numbering of each family (EPSG 9.x, as PROJ 9.1 ships it). The 3-degree
// forms come first: a central meridian of both a 3- and a 6-degree zone (117° E is both) is the
// same frame under two codes, and standardCode gives the 3-degree one, the zone mode's.
constexpr Family kFamilies[] = {
    // CGCS2000 / 3-degree Gauss-Kruger zone 25..45, and the same named by CM 75E..135E.
    {4513, 21, kCgcs2000, 75.0, 3.0, 25, 1.0, 0.0},
    {4534, 21, kCgcs2000, 75.0, 3.0, 0, 1.0, 0.0},
    // Xian 1980 (IAU 1976 ellipsoid) and Beijing 1954 (Krassowsky), the same two forms.
    {2349, 21, kXian80, 75.0, 3.0, 25, 1.0, 0.0},
    {2370, 21, kXian80, 75.0, 3.0, 0, 1.0, 0.0},
    {2401, 21, kBj54, 75.0, 3.0, 25, 1.0, 0.0},
    {2422, 21, kBj54, 75.0, 3.0, 0, 1.0, 0.0},
    // The 6-degree zones 13..23 and CM 75E..135E of the three.
    {4491, 11, kCgcs2000, 75.0, 6.0, 13, 1.0, 0.0},
    {4502, 11, kCgcs2000, 75.0, 6.0, 0, 1.0, 0.0},
    {2327, 11, kXian80, 75.0, 6.0, 13, 1.0, 0.0},
    {2338, 11, kXian80, 75.0, 6.0, 0, 1.0, 0.0},
    {21413, 11, kBj54, 75.0, 6.0, 13, 1.0, 0.0},
    {21473, 11, kBj54, 75.0, 6.0, 0, 1.0, 0.0},
    // WGS 84 / UTM zone 1N..60N and 1S..60S: CM −177° + 6° per zone, scale 0.9996.
    {32601, 60, kWgs84, -177.0, 6.0, 0, 0.9996, 0.0},
    {32701, 60, kWgs84, -177.0, 6.0, 0, 0.9996, 10000000.0},
};

constexpr double kZoneEasting = 1000000.0;  // m per zone number prefixed to the easting
constexpr double kFalseEasting = 500000.0;  // m

ProjectedFrame familyFrame(const Family& family, int index) {
  ProjectedFrame frame;
  frame.ellipsoid = family.ellipsoid;
  frame.centralMeridian = family.firstMeridian + family.meridianStep * index;
  frame.scale = family.scale;
  frame.falseEasting =
      family.firstZone > 0 ? (family.firstZone + index) * kZoneEasting + kFalseEasting
                           : kFalseEasting;
  frame.falseNorthing = family.falseNorthing;
  return frame;
}

constexpr FrameValue kAllValues[] = {
    FrameValue::semiMajorAxis, FrameValue::flattening,   FrameValue::centralMeridian,
    FrameValue::originLatitude, FrameValue::scale,      FrameValue::falseEasting,
    FrameValue::falseNorthing};

}  // namespace

std::optional<ProjectedFrame> standardFrame(int code) {
  for (const Family& family : kFamilies) {
    if (code >= family.firstCode && code < family.firstCode + family.count) {
      return familyFrame(family, code - family.firstCode);
    }
  }
  return std::nullopt;
}

std::optional<int> standardCode(const ProjectedFrame& frame) {
  for (const Family& family : kFamilies) {
    for (int i = 0; i < family.count; ++i) {
      const ProjectedFrame candidate = familyFrame(family, i);
      bool same = true;
      for (const FrameValue value : kAllValues) {
        same = same && sameFrameValue(value, frameValue(frame, value),
                                      frameValue(candidate, value));
      }
      if (same) return family.firstCode + i;
    }
  }
  return std::nullopt;
}

double frameValue(const ProjectedFrame& frame, FrameValue which) {
  switch (which) {
    case FrameValue::semiMajorAxis: return frame.ellipsoid.a;
    case FrameValue::flattening: return frame.ellipsoid.f;
    case FrameValue::centralMeridian: return frame.centralMeridian;
    case FrameValue::originLatitude: return frame.originLatitude;
    case FrameValue::scale: return frame.scale;
    case FrameValue::falseEasting: return frame.falseEasting;
    case FrameValue::falseNorthing: return frame.falseNorthing;
  }
  return 0.0;
}

bool sameFrameValue(FrameValue which, double a, double b) {
  const double difference = std::fabs(a - b);
  switch (which) {
    case FrameValue::centralMeridian:
    case FrameValue::originLatitude: return difference <= 1e-9;
    case FrameValue::scale: return difference <= 1e-12;
    case FrameValue::flattening: return difference <= 1e-15;
    case FrameValue::semiMajorAxis:
    case FrameValue::falseEasting:
    case FrameValue::falseNorthing: break;
  }
  return difference <= 1e-6;
}

const char* frameValueName(FrameValue which) {
  switch (which) {
    case FrameValue::semiMajorAxis: return "semi-major axis";
    case FrameValue::flattening: return "flattening";
    case FrameValue::centralMeridian: return "central meridian";
    case FrameValue::originLatitude: return "latitude of origin";
    case FrameValue::scale: return "scale factor";
    case FrameValue::falseEasting: return "false easting";
    case FrameValue::falseNorthing: return "false northing";
  }
  return "";
}

EllipsoidNames ellipsoidNames(const Ellipsoid& ellipsoid) {
  if (ellipsoid == kCgcs2000) return {"CGCS2000", "298.257222101", "China_2000"};
  if (ellipsoid == kXian80) return {"IAU 1976", "298.257", "Xian_1980"};
  if (ellipsoid == kBj54) return {"Krassowsky 1940", "298.3", "Beijing_1954"};
  if (ellipsoid == kWgs84) return {"WGS 84", "298.257223563", "WGS_1984"};
  return {};
}
