#include "geodesy/corrections.h"

#include <cmath>

#include "geodesy/elementary.h"
#include "geodesy/units.h"

Point3 removeAdjustOffsets(const AdjustConv& adjust, const Point3& p) {
  Point3 q = p;
  removeAdjustOffsets(adjust, q.x, q.y, q.z);
  return q;
}

Point3 applyAdjustOffsets(const AdjustConv& adjust, const Point3& p) {
  Point3 q = p;
  applyAdjustOffsets(adjust, q.x, q.y, q.z);
  return q;
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

AltCorrection::AltCorrection(const AltParam& alt) : alt_(alt) {}

PlaneCorrection::PlaneCorrection(const PlaneParam& plane) : plane_(plane) {
  const double theta = radiansFromDegrees(plane_.rotate);
  cosTheta_ = elementary::cos(theta);
  sinTheta_ = elementary::sin(theta);
  scale_ = plane_.scale == 0 ? 1.0 : plane_.scale;
}

Point3 PlaneCorrection::remove(const Point3& p) const {
  Point3 q = p;
  removeFrom(q.x, q.y);
  return q;
}

Point3 PlaneCorrection::apply(const Point3& p) const {
  Point3 q = p;
  applyTo(q.x, q.y);
  return q;
}
