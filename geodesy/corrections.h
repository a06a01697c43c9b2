#pragma once

#include "coordinfo/point3.h"
#include "coordinfo/projectinfo.h"
#include "geodesy/units.h"

// The local corrections between a definition's projection grid and its project frame, in the
// project frame (x = easting m, y = northing m, z = height m):
//   - removing: project frame -> grid / ellipsoidal side (project to ENU);
//   - applying: grid / ellipsoidal side -> project frame (ENU to project).
// Each apply is the exact inverse of its remove (up to rounding).
//
// The parser resolves the "type" names (exactly and case-sensitively: "tgo" is not "TGO").
// Height models (AltParam):
//   "" / "TGO"        tilt T = (x − startx)·ppmE/1e6 + (y − starty)·ppmN/1e6;
//                     remove z − T − altbase, apply z + T + altbase
//   "fixed_correction" remove z + altbase, apply z − altbase
//   "surface"         S = A·dN + B·dE + C·dN² + D·dE² + E·dN·dE + F with dN = y − X0 (X0 is a
//                     northing), dE = x − Y0 (Y0 is an easting); remove z − S, apply z + S
//   "plane"           P = A·(x − X0) + B·(y − Y0) + C (X0 an easting, Y0 a northing);
//                     remove z − P, apply z + P (the same sign as "surface" and the tilt)
//   none              z unchanged (a name outside these)
// Plane models (PlaneParam), θ = rotate·π/180 counter-clockwise, s = scale:
//   "" / "TGO"        remove (x′, y′) = R(θ)·((x, y) − offset − start)/s + start
//   "four_param"      remove (x′, y′) = R(θ)·((x, y) − offset)/s
//   none              (x, y) unchanged
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
  [[nodiscard]] double remove(double x, double y, double z) const { return removeFrom(x, y, z); }
  [[nodiscard]] double apply(double x, double y, double z) const { return applyTo(x, y, z); }
  // The same for one value or lanes (geodesy/lanes.h): each lane gets the one-value bits.
  template <class V>
  [[nodiscard]] V removeFrom(V x, V y, V z) const;
  template <class V>
  [[nodiscard]] V applyTo(V x, V y, V z) const;

 private:
  template <class V>
  [[nodiscard]] V tilt(V x, V y) const;
  template <class V>
  [[nodiscard]] V surface(V x, V y) const;
  template <class V>
  [[nodiscard]] V plane(V x, V y) const;

  AltParam alt_;
};

// A plane transform with cos θ, sin θ and scale computed once.
class PlaneCorrection {
 public:
  explicit PlaneCorrection(const PlaneParam& plane);
  [[nodiscard]] Point3 remove(const Point3& p) const;
  [[nodiscard]] Point3 apply(const Point3& p) const;
  // The plane position (m) of remove and apply for one value or lanes (geodesy/lanes.h),
  // in place: each lane gets the one-value bits.
  template <class V>
  void removeFrom(V& x, V& y) const;
  template <class V>
  void applyTo(V& x, V& y) const;

 private:
  PlaneParam plane_;
  double cosTheta_;
  double sinTheta_;
  double scale_;  // `scale`, or 1 when it is 0
};

// The formulas (operation order as written; converted coordinates depend on these bits).

template <class V>
void removeAdjustOffsets(const AdjustConv& adjust, V& x, V& y, V& z) {
  x = x - adjust.eastoffset;
  y = y - adjust.northoffset;
  z = z - adjust.altoffset;
}

template <class V>
void applyAdjustOffsets(const AdjustConv& adjust, V& x, V& y, V& z) {
  x = x + adjust.eastoffset;
  y = y + adjust.northoffset;
  z = z + adjust.altoffset;
}

template <class V>
V AltCorrection::tilt(V x, V y) const {
  // ppm = mm per km: a tilt of ppmE along the easting and ppmN along the northing about start.
  return (x - alt_.startx) * alt_.ppmE / kPartsPerMillion +
         (y - alt_.starty) * alt_.ppmN / kPartsPerMillion;
}

template <class V>
V AltCorrection::surface(V x, V y) const {
  // Surveying axes: X0 is the reference northing, Y0 the reference easting.
  const V dN = y - alt_.X0;
  const V dE = x - alt_.Y0;
  return alt_.A * dN + alt_.B * dE + alt_.C * dN * dN + alt_.D * dE * dE + alt_.E * dN * dE +
         alt_.F;
}

template <class V>
V AltCorrection::plane(V x, V y) const {
  // Here X0 pairs with the easting and Y0 with the northing.
  return alt_.A * (x - alt_.X0) + alt_.B * (y - alt_.Y0) + alt_.C;
}

template <class V>
V AltCorrection::removeFrom(V x, V y, V z) const {
  switch (alt_.type) {
    case AltType::tilt: return z - tilt(x, y) - alt_.altbase;
    case AltType::fixedCorrection: return z + alt_.altbase;
    case AltType::surface: return z - surface(x, y);
    case AltType::plane: return z - plane(x, y);
    case AltType::none: break;
  }
  return z;
}

template <class V>
V AltCorrection::applyTo(V x, V y, V z) const {
  switch (alt_.type) {
    case AltType::tilt: return z + tilt(x, y) + alt_.altbase;
    case AltType::fixedCorrection: return z - alt_.altbase;
    case AltType::surface: return z + surface(x, y);
    case AltType::plane: return z + plane(x, y);
    case AltType::none: break;
  }
  return z;
}

template <class V>
void PlaneCorrection::removeFrom(V& x, V& y) const {
  const double c = cosTheta_;
  const double s = sinTheta_;
  switch (plane_.type) {
    case PlaneType::tgo: {
      // R(θ)·((x, y) − offset − start)/s + start.
      const V u = x - plane_.offsetx - plane_.startx;
      const V v = y - plane_.offsety - plane_.starty;
      x = (u * c) / scale_ - (v * s) / scale_ + plane_.startx;
      y = (u * s) / scale_ + (v * c) / scale_ + plane_.starty;
      return;
    }
    case PlaneType::fourParam: {
      // R(θ)·((x, y) − offset)/s.
      const V u = x - plane_.offsetx;
      const V v = y - plane_.offsety;
      x = (u * c) / scale_ - (v * s) / scale_;
      y = (v * c) / scale_ + (u * s) / scale_;
      return;
    }
    case PlaneType::none: break;
  }
}

template <class V>
void PlaneCorrection::applyTo(V& x, V& y) const {
  const double c = cosTheta_;
  const double s = sinTheta_;
  switch (plane_.type) {
    case PlaneType::tgo: {
      // R(−θ)·((x, y) − start)·s + start + offset.
      const V u = x - plane_.startx;
      const V v = y - plane_.starty;
      x = (v * s + u * c) * scale_ + plane_.startx + plane_.offsetx;
      y = (v * c - u * s) * scale_ + plane_.starty + plane_.offsety;
      return;
    }
    case PlaneType::fourParam: {
      // R(−θ)·(x, y)·s + offset.
      const V px = x;
      x = (px * c + y * s) * scale_ + plane_.offsetx;
      y = (y * c - px * s) * scale_ + plane_.offsety;
      return;
    }
    case PlaneType::none: break;
  }
}
