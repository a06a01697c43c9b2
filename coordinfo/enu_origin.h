#pragma once

// The origin of a local east-north-up frame together with the ellipsoid it is defined on.
//
// The defaults are the WGS84 ellipsoid as this system has always stored it: b is stored, not
// derived (a·(1 − f) = 6356752.314245… differs by about 4.5e-5 m), and f is one unit in the
// last place above the double nearest 1/298.257223563. Converted files depend on these exact
// bits, so they are kept as they are.
//
// Plain data: the conversions about an origin are geodesy/enu_frame.h's EnuFrame.
//
// The stored WGS84 flattening: one unit in the last place above the double nearest
// 1/298.257223563. The default of every EnuOrigin and the fixed flattening of the 3-degree
// zone projection.
inline constexpr double kStoredWgs84Flattening = 0.003352810664747481;

struct EnuOrigin {
  double lon = 0.0;     // degree, origin longitude
  double lat = 0.0;     // degree, origin latitude
  double height = 0.0;  // m, origin ellipsoidal height
  double spare1 = 0.0;  // kept for the record layout; set to 0 with the control-point centre
  double spare2 = 0.0;
  double a = 6378137.0;               // m, semi-major axis
  double b = 6356752.3142;            // m, semi-minor axis (stored, see above)
  double f = kStoredWgs84Flattening;  // flattening

  friend bool operator==(const EnuOrigin&, const EnuOrigin&) = default;
};
