#pragma once

#include <optional>
#include <string>

#include "geodesy/ellipsoid.h"

// Transverse Mercator frames as a standard names them: the EPSG codes of the Gauss-Krüger
// families of China (CGCS2000, Xian 1980, Beijing 1954; 3- and 6-degree zones, named by
// central meridian or with the zone number prefixed to the false easting) and WGS 84's UTM
// zones. The table (standard_frames.cpp) is checked code by code against PROJ's definitions
// (`projinfo -o WKT1_GDAL EPSG:CODE`, tests/geodesy/data/epsg_projinfo.txt).

// The numbers of one Transverse Mercator frame.
struct ProjectedFrame {
  Ellipsoid ellipsoid;
  double centralMeridian = 0.0;   // degree
  double originLatitude = 0.0;    // degree
  double scale = 1.0;             // on the central meridian
  double falseEasting = 0.0;      // m
  double falseNorthing = 0.0;     // m
};

// The frame of an EPSG code of the table; empty for any other code.
std::optional<ProjectedFrame> standardFrame(int code);

// The code of the table whose frame is `frame` (within sameFrameValue's tolerances, on every
// number), the 3-degree one where a 6-degree code names the same frame; empty when none is.
std::optional<int> standardCode(const ProjectedFrame& frame);

// One number of two frames compared: degrees to 1e-9° (0.1 mm on the ground), metres to
// 1e-6 m, the scale to 1e-12, the flattening to 1e-15 (an inverse flattening written with
// nine decimals, as WKT does, gives f within that of the table's).
enum class FrameValue { semiMajorAxis, flattening, centralMeridian, originLatitude, scale,
                        falseEasting, falseNorthing };
double frameValue(const ProjectedFrame& frame, FrameValue which);
bool sameFrameValue(FrameValue which, double a, double b);
// "central meridian", "false easting" ... as a message names the value.
const char* frameValueName(FrameValue which);

// The ellipsoid's name and inverse flattening as WKT writes them ("CGCS2000", "298.257222101")
// and the datum's name ("China_2000"), for the four ellipsoids of the table; empty names for
// another.
struct EllipsoidNames {
  std::string ellipsoid, inverseFlattening, datum;
};
EllipsoidNames ellipsoidNames(const Ellipsoid& ellipsoid);
