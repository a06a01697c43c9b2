#include "geodesy/corrections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

AltParam alt(AltType type) {
  AltParam a;
  a.type = type;
  return a;
}

PlaneParam plane(PlaneType type, double rotate, double scale) {
  PlaneParam p;
  p.type = type;
  p.rotate = rotate;
  p.scale = scale;
  return p;
}

}  // namespace

// Height models, worked by hand from their definitions. Heights in metres; every value is a
// short decimal sum, so 1e-9 m only absorbs rounding.
TEST(AltCorrection, RemoveAndApplyWorkedValues) {
  struct Case {
    const char* what;
    AltParam alt;
    double x, y, z;
    double removed;
  };
  std::vector<Case> cases;
  {
    AltParam a = alt(AltType::tilt);
    a.startx = 500000;
    a.starty = 3000000;
    a.ppmE = 10;
    a.ppmN = -5;
    a.altbase = 2.5;
    // T = 1000·10e-6 + 2000·(−5e-6) = 0: 50 − 0 − 2.5.
    cases.push_back({"TGO tilt cancels", a, 501000, 3002000, 50, 47.5});
    a.ppmN = 20;
    // T = 0.01 + 0.04 = 0.05: 50 − 0.05 − 2.5.
    cases.push_back({"TGO tilt", a, 501000, 3002000, 50, 47.45});
  }
  {
    AltParam a = alt(AltType::fixedCorrection);
    a.altbase = 3;
    a.ppmE = 1000;  // ignored by this model
    cases.push_back({"fixed_correction adds when removing", a, 1, 2, 10, 13});
  }
  {
    AltParam a = alt(AltType::surface);
    a.F = 1.5;
    cases.push_back({"surface constant", a, 123, 456, 10, 8.5});
    AltParam b = alt(AltType::surface);
    b.A = 0.001;
    b.X0 = 3000000;  // X0 is the reference northing
    cases.push_back({"surface north slope", b, 500000, 3001000, 10, 9});
    cases.push_back({"surface easting has no effect", b, 987654, 3001000, 10, 9});
    AltParam c = alt(AltType::surface);
    c.B = 0.002;
    c.C = 1e-6;
    c.D = 2e-6;
    c.E = -1e-6;
    c.Y0 = 400000;  // Y0 is the reference easting
    c.X0 = 3000000;
    // dN = 1000, dE = 500: 0.002·500 + 1e-6·1e6 + 2e-6·250000 − 1e-6·500000 = 1 + 1 + 0.5 − 0.5.
    cases.push_back({"surface quadratic", c, 400500, 3001000, 10, 8});
  }
  {
    AltParam a = alt(AltType::plane);
    a.A = 0.001;
    a.B = -0.002;
    a.C = 0.25;
    a.X0 = 500000;  // X0 pairs with the easting here
    a.Y0 = 3000000;
    // P = 0.001·1000 − 0.002·500 + 0.25 = 0.25; removing subtracts P.
    cases.push_back({"plane", a, 501000, 3000500, 10, 9.75});
  }
  cases.push_back({"no model (an unknown type)", alt(AltType::none), 1, 2, 10, 10});

  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i) + ": " + c.what);
    const double removed = removeAltCorrection(c.alt, c.x, c.y, c.z);
    EXPECT_NEAR(removed, c.removed, 1e-9);
    EXPECT_NEAR(applyAltCorrection(c.alt, c.x, c.y, removed), c.z, 1e-9);
    EXPECT_NEAR(removeAltCorrection(c.alt, c.x, c.y, applyAltCorrection(c.alt, c.x, c.y, c.z)),
                c.z, 1e-9);
  }
}

// Plane transforms, worked by hand. Coordinates in metres; 1e-9 m absorbs the rounding of
// cos 90° (6e-17) times kilometre-size coordinates.
TEST(PlaneCorrection, RemoveAndApplyWorkedValues) {
  struct Case {
    const char* what;
    PlaneParam plane;
    Point3 in;
    Point3 removed;
  };
  std::vector<Case> cases;
  {
    PlaneParam p = plane(PlaneType::fourParam, 0, 1);
    p.offsetx = 100;
    p.offsety = -50;
    cases.push_back({"four_param shift", p, {1100, 950, 7}, {1000, 1000, 7}});
  }
  cases.push_back({"four_param quarter turn", plane(PlaneType::fourParam, 90, 1), {1, 0, 0}, {0, 1, 0}});
  {
    PlaneParam p = plane(PlaneType::fourParam, 90, 2);
    p.offsetx = 10;
    // (x − 10, y) = (2, 4), turned by 90° = (−4, 2), halved.
    cases.push_back({"four_param turn and scale", p, {12, 4, 0}, {-2, 1, 0}});
  }
  {
    PlaneParam p = plane(PlaneType::tgo, 0, 2);
    p.startx = 1000;
    p.starty = 2000;
    cases.push_back({"TGO scale about start", p, {1010, 2020, 0}, {1005, 2010, 0}});
    p.rotate = 90;
    p.scale = 1;
    p.offsetx = 5;
    p.offsety = -5;
    // (1015, 2025) − offset − start = (10, 30), turned by 90° = (−30, 10), + start.
    cases.push_back({"TGO turn about start", p, {1015, 2025, 3}, {970, 2010, 3}});
  }
  {
    PlaneParam p = plane(PlaneType::fourParam, 0, 0);
    p.offsetx = 100;
    cases.push_back({"scale 0 is taken as 1", p, {1100, 950, 0}, {1000, 950, 0}});
    PlaneParam q = plane(PlaneType::tgo, 0, 0);
    q.startx = 1000;
    cases.push_back({"TGO scale 0 is taken as 1", q, {1010, 2020, 0}, {1010, 2020, 0}});
  }
  cases.push_back({"no model (an unknown type)", plane(PlaneType::none, 45, 3), {12, 34, 5},
                   {12, 34, 5}});

  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i) + ": " + c.what);
    const Point3 r = removePlaneCorrection(c.plane, c.in);
    EXPECT_NEAR(r.x, c.removed.x, 1e-9);
    EXPECT_NEAR(r.y, c.removed.y, 1e-9);
    EXPECT_EQ(r.z, c.in.z);
    const Point3 back = applyPlaneCorrection(c.plane, r);
    EXPECT_NEAR(back.x, c.in.x, 1e-9);
    EXPECT_NEAR(back.y, c.in.y, 1e-9);
  }
}

// Apply then remove returns the input for realistic parameters on grid-size coordinates.
// Tolerance 1e-8 m: a few ulps of 3.4e6 m.
TEST(PlaneCorrection, ApplyThenRemoveReturnsTheInput) {
  PlaneParam tgo = plane(PlaneType::tgo, -0.0123456, 1.0000234);
  tgo.startx = 512345.6;
  tgo.starty = 3456789.1;
  tgo.offsetx = -23.45;
  tgo.offsety = 67.89;
  PlaneParam four = plane(PlaneType::fourParam, 0.98765, 0.9999876);
  four.offsetx = -3210.5;
  four.offsety = 4567.25;
  const PlaneParam params[] = {tgo, four};
  const Point3 points[] = {{500000, 3400000, 0}, {587654.321, 3512345.678, 0}, {0, 0, 0}};
  for (std::size_t i = 0; i < std::size(params); ++i) {
    for (std::size_t j = 0; j < std::size(points); ++j) {
      SCOPED_TRACE("params " + std::to_string(i) + " point " + std::to_string(j));
      const Point3 back = removePlaneCorrection(params[i], applyPlaneCorrection(params[i],
                                                                                points[j]));
      EXPECT_NEAR(back.x, points[j].x, 1e-8);
      EXPECT_NEAR(back.y, points[j].y, 1e-8);
    }
  }
}

TEST(AdjustOffsets, RemoveSubtractsAndApplyAdds) {
  AdjustConv adjust;
  adjust.eastoffset = 12.5;
  adjust.northoffset = -7.25;
  adjust.altoffset = 0.75;
  const Point3 removed = removeAdjustOffsets(adjust, {1000, 2000, 30});
  EXPECT_EQ(removed, (Point3{987.5, 2007.25, 29.25}));
  EXPECT_EQ(applyAdjustOffsets(adjust, removed), (Point3{1000, 2000, 30}));
}
