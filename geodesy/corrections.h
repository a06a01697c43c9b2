#pragma once

#include "coordinfo/point3.h"
#include "coordinfo/projectinfo.h"

// The local corrections between a definition's projection grid and its project frame, in the
// project frame (x = easting m, y = northing m, z = height m):
//   - removing: project frame -> grid / ellipsoidal side (project to ENU);
//   - applying: grid / ellipsoidal side -> project frame (ENU to project).
// Each apply is the exact inverse of its remove (up to rounding).
//
// Types are matched exactly and case-sensitively ("tgo" is not "TGO").
// Height models (AltParam):
//   "" / "TGO"        tilt T = (x − startx)·ppmE/1e6 + (y − starty)·ppmN/1e6;
//                     remove z − T − altbase, apply z + T + altbase
//   "fixed_correction" remove z + altbase, apply z − altbase
//   "surface"         S = A·dN + B·dE + C·dN² + D·dE² + E·dN·dE + F with dN = y − X0 (X0 is a
//                     northing), dE = x − Y0 (Y0 is an easting); remove z − S, apply z + S
//   "plane"           P = A·(x − X0) + B·(y − Y0) + C (X0 an easting, Y0 a northing);
//                     remove z − P, apply z + P (the same sign as "surface" and the tilt)
//   any other         z unchanged
// Plane models (PlaneParam), θ = rotate·π/180 counter-clockwise, s = scale:
//   "" / "TGO"        remove (x′, y′) = R(θ)·((x, y) − offset − start)/s + start
//   "four_param"      remove (x′, y′) = R(θ)·((x, y) − offset)/s
//   any other         (x, y) unchanged
// A scale of 0 (what a file without "scale" gives) is taken as 1 in both directions: it
// would otherwise divide by zero when removing and collapse every point when applying.

// (x − eastoffset, y − northoffset, z − altoffset).
[[nodiscard]] Point3 removeAdjustOffsets(const AdjustConv& adjust, const Point3& p);
// (x + eastoffset, y + northoffset, z + altoffset).
[[nodiscard]] Point3 applyAdjustOffsets(const AdjustConv& adjust, const Point3& p);

// The new height z (m) at plane position (x, y) (m).
[[nodiscard]] double removeAltCorrection(const AltParam& alt, double x, double y, double z);
[[nodiscard]] double applyAltCorrection(const AltParam& alt, double x, double y, double z);

// The new plane position; z is carried through unchanged.
[[nodiscard]] Point3 removePlaneCorrection(const PlaneParam& plane, const Point3& p);
[[nodiscard]] Point3 applyPlaneCorrection(const PlaneParam& plane, const Point3& p);

// A height model with its type resolved once.
class AltCorrection {
 public:
  explicit AltCorrection(const AltParam& alt);
  [[nodiscard]] double remove(double x, double y, double z) const;
  [[nodiscard]] double apply(double x, double y, double z) const;

 private:
  enum class Model { tilt, fixedCorrection, surface, plane, none };
  [[nodiscard]] double tilt(double x, double y) const;
  [[nodiscard]] double surface(double x, double y) const;
  [[nodiscard]] double plane(double x, double y) const;

  AltParam alt_;
  Model model_;
};

// A plane transform with its type, cos θ, sin θ and scale resolved once.
class PlaneCorrection {
 public:
  explicit PlaneCorrection(const PlaneParam& plane);
  [[nodiscard]] Point3 remove(const Point3& p) const;
  [[nodiscard]] Point3 apply(const Point3& p) const;

 private:
  enum class Model { tgo, fourParam, none };

  PlaneParam plane_;
  Model model_;
  double cosTheta_;
  double sinTheta_;
  double scale_;  // `scale`, or 1 when it is 0
};
