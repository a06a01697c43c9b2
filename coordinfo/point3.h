#pragma once

// A point of one of the four frames the converter works in. The frame decides the meaning:
//   project frame   x = easting (m),        y = northing (m),      z = height (m)
//   geodetic        x = longitude (degree), y = latitude (degree), z = ellipsoidal height (m)
//                   (east and north positive)
//   Earth-centred   X, Y, Z (m)
//   ENU             x = east (m),           y = north (m),         z = up (m), about an EnuOrigin
struct Point3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  friend bool operator==(const Point3&, const Point3&) = default;
};
