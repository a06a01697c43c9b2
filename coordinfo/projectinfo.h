#pragma once

#include <optional>
#include <string>

// The five optional correction records of a projected ("Custom Gauss") definition. Each is
// created with these defaults only when the coordinate file names it. Their arithmetic is in
// geodesy/corrections.h (plane, height, offsets) and geodesy/datum.h (seven parameters,
// ellipsoid change).

// The models a correction record's "type" names, resolved by the parser: "TGO" (or empty)
// and "four_param" for the plane; "TGO" (or empty), "fixed_correction", "surface" and "plane"
// for the height. `none`: a name outside these (the parser warns); the record then changes
// nothing.
enum class PlaneType { tgo, fourParam, none };
enum class AltType { tilt, fixedCorrection, surface, plane, none };

// Plane similarity transform of grid (x, y): rotation `rotate` (degree) and scale `scale`
// about (startx, starty), then the shift (offsetx, offsety), in metres.
struct PlaneParam {
  PlaneType type = PlaneType::tgo;
  double starty = 0.0;
  double startx = 0.0;
  double offsetx = 0.0;
  double offsety = 0.0;
  double rotate = 0.0;
  double scale = 0.0;

  friend bool operator==(const PlaneParam&, const PlaneParam&) = default;
};

// Height model between ellipsoidal and project heights; tilts in ppm (mm/km), lengths in
// metres.
struct AltParam {
  AltType type = AltType::tilt;
  double starty = 0.0;
  double startx = 0.0;
  double ppmN = 0.0;
  double ppmE = 0.0;
  double altbase = 0.0;
  double A = 0.0, B = 0.0, C = 0.0, D = 0.0, E = 0.0, F = 0.0;
  double X0 = 0.0;
  double Y0 = 0.0;

  friend bool operator==(const AltParam&, const AltParam&) = default;
};

// Seven-parameter datum conversion of Earth-centred coordinates: shifts in metres, rotations
// in arc-seconds (coordinate-frame convention), scale in ppm.
struct BaseConv {
  double xoffset = 0.0;
  double yoffset = 0.0;
  double zoffset = 0.0;
  double xrotate = 0.0;
  double yrotate = 0.0;
  double zrotate = 0.0;
  double ppmscale = 0.0;

  friend bool operator==(const BaseConv&, const BaseConv&) = default;
};

// Source and destination ellipsoid names of an ellipsoid change.
struct EllipsoidConv {
  std::string srcellipsoid;
  std::string desellipsoid;

  friend bool operator==(const EllipsoidConv&, const EllipsoidConv&) = default;
};

// Final constant shift of project coordinates, metres.
struct AdjustConv {
  double eastoffset = 0.0;
  double northoffset = 0.0;
  double altoffset = 0.0;

  friend bool operator==(const AdjustConv&, const AdjustConv&) = default;
};

// Gauss-Krüger parameters of a definition and its optional corrections. Sub-records are held
// by value in std::optional, so the default copy is the deep copy and absent stays absent.
struct projectinfo {
  virtual ~projectinfo() = default;
  projectinfo() = default;
  projectinfo(const projectinfo&) = default;
  projectinfo(projectinfo&&) = default;
  projectinfo& operator=(const projectinfo&) = default;
  projectinfo& operator=(projectinfo&&) = default;

  double centralMeridianLongitude = 0.0;  // degree
  double centralOriginLatitude = 0.0;     // degree; |value| <= 1e-6 counts as 0
  std::string ellipsoid = "CGCS2000";
  double surfaceheight = 0.0;             // m; |value| <= 1e-6 counts as 0
  double xoffset = 500000.0;              // m, false easting
  double yoffset = 0.0;                   // m, false northing
  std::optional<PlaneParam> planeparam;
  std::optional<AltParam> altparam;
  std::optional<BaseConv> baseconv;
  std::optional<EllipsoidConv> ellipsoidconv;
  std::optional<AdjustConv> adjustconv;

  bool operator==(const projectinfo&) const = default;
};
