#include "geodesy/corrections.h"

#include <cmath>

#include "geodesy/elementary.h"
#include "geodesy/units.h"

Point3 removeAdjustOffsets(const AdjustConv& adjust, const Point3& p) {
  return {p.x - adjust.eastoffset, p.y - adjust.northoffset, p.z - adjust.altoffset};
}

Point3 applyAdjustOffsets(const AdjustConv& adjust, const Point3& p) {
  return {p.x + adjust.eastoffset, p.y + adjust.northoffset, p.z + adjust.altoffset};
}

double removeAltCorrection(const AltParam& alt, double x, double y, double z) {
  return AltCorrection(alt).remove(x, y, z);
}

double applyAltCorrection(const AltParam& alt, double x, double y, double z) {
  return AltCorrection(alt).apply(x, y, z);
}

Point3 removePlaneCorrection(const PlaneParam& plane, const Point3& p) {
  return PlaneCorrection(plane).remove(p);
}

Point3 applyPlaneCorrection(const PlaneParam& plane, const Point3& p) {
  return PlaneCorrection(plane).apply(p);
}

AltCorrection::AltCorrection(const AltParam& alt) : alt_(alt) {
  if (alt_.type.empty() || alt_.type == "TGO") {
    model_ = Model::tilt;
  } else if (alt_.type == "fixed_correction") {
    model_ = Model::fixedCorrection;
  } else if (alt_.type == "surface") {
    model_ = Model::surface;
  } else if (alt_.type == "plane") {
    model_ = Model::plane;
  } else {
    model_ = Model::none;
  }
}

double AltCorrection::tilt(double x, double y) const {
  // ppm = mm per km: a tilt of ppmE along the easting and ppmN along the northing about start.
  return (x - alt_.startx) * alt_.ppmE / kPartsPerMillion +
         (y - alt_.starty) * alt_.ppmN / kPartsPerMillion;
}

double AltCorrection::surface(double x, double y) const {
  // Surveying axes: X0 is the reference northing, Y0 the reference easting.
  const double dN = y - alt_.X0;
  const double dE = x - alt_.Y0;
  return alt_.A * dN + alt_.B * dE + alt_.C * dN * dN + alt_.D * dE * dE + alt_.E * dN * dE +
         alt_.F;
}

double AltCorrection::plane(double x, double y) const {
  // Here X0 pairs with the easting and Y0 with the northing.
  return alt_.A * (x - alt_.X0) + alt_.B * (y - alt_.Y0) + alt_.C;
}

double AltCorrection::remove(double x, double y, double z) const {
  switch (model_) {
    case Model::tilt: return z - tilt(x, y) - alt_.altbase;
    case Model::fixedCorrection: return z + alt_.altbase;
    case Model::surface: return z - surface(x, y);
    case Model::plane: return z - plane(x, y);
    case Model::none: break;
  }
  return z;
}

double AltCorrection::apply(double x, double y, double z) const {
  switch (model_) {
    case Model::tilt: return z + tilt(x, y) + alt_.altbase;
    case Model::fixedCorrection: return z - alt_.altbase;
    case Model::surface: return z + surface(x, y);
    case Model::plane: return z + plane(x, y);
    case Model::none: break;
  }
  return z;
}

PlaneCorrection::PlaneCorrection(const PlaneParam& plane) : plane_(plane) {
  if (plane_.type.empty() || plane_.type == "TGO") {
    model_ = Model::tgo;
  } else if (plane_.type == "four_param") {
    model_ = Model::fourParam;
  } else {
    model_ = Model::none;
  }
  const double theta = plane_.rotate * kPi / kDegreesPerHalfTurn;
  cosTheta_ = elementary::cos(theta);
  sinTheta_ = elementary::sin(theta);
  scale_ = plane_.scale == 0 ? 1.0 : plane_.scale;
}

Point3 PlaneCorrection::remove(const Point3& p) const {
  const double c = cosTheta_;
  const double s = sinTheta_;
  switch (model_) {
    case Model::tgo: {
      // R(θ)·((x, y) − offset − start)/s + start.
      const double u = p.x - plane_.offsetx - plane_.startx;
      const double v = p.y - plane_.offsety - plane_.starty;
      return {(u * c) / scale_ - (v * s) / scale_ + plane_.startx,
              (u * s) / scale_ + (v * c) / scale_ + plane_.starty, p.z};
    }
    case Model::fourParam: {
      // R(θ)·((x, y) − offset)/s.
      const double u = p.x - plane_.offsetx;
      const double v = p.y - plane_.offsety;
      return {(u * c) / scale_ - (v * s) / scale_, (v * c) / scale_ + (u * s) / scale_, p.z};
    }
    case Model::none: break;
  }
  return p;
}

Point3 PlaneCorrection::apply(const Point3& p) const {
  const double c = cosTheta_;
  const double s = sinTheta_;
  switch (model_) {
    case Model::tgo: {
      // R(−θ)·((x, y) − start)·s + start + offset.
      const double u = p.x - plane_.startx;
      const double v = p.y - plane_.starty;
      return {(v * s + u * c) * scale_ + plane_.startx + plane_.offsetx,
              (v * c - u * s) * scale_ + plane_.starty + plane_.offsety, p.z};
    }
    case Model::fourParam:
      // R(−θ)·(x, y)·s + offset.
      return {(p.x * c + p.y * s) * scale_ + plane_.offsetx,
              (p.y * c - p.x * s) * scale_ + plane_.offsety, p.z};
    case Model::none: break;
  }
  return p;
}
