#include "pipeline/definition_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "geodesy/enu_frame.h"
#include "geodesy/reference_data.h"

namespace {

// CGCS2000, central meridian 117°, false easting 500000 m, no corrections.
ProjectDefinition plainDefinition(EnuOrigin* origin) {
  ProjectDefinition d;
  d.type = "Custom Gauss";
  d.info.centralMeridianLongitude = 117.0;
  d.info.ellipsoid = "CGCS2000";
  d.info.xoffset = 500000.0;
  d.origin = origin;
  return d;
}

bool sameBits(const Point3& a, const Point3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Realistic correction records (bit k of `mask` switches record k on).
enum : unsigned { kPlane = 1, kAlt = 2, kBase = 4, kEllipsoidConv = 8, kAdjust = 16 };

void addRecords(ProjectDefinition& d, unsigned mask, AltType altType) {
  if (mask & kPlane) {
    PlaneParam p;
    p.startx = 501234.5;
    p.starty = 3430000.0;
    p.offsetx = 12.345;
    p.offsety = -23.456;
    p.rotate = 0.0123;
    p.scale = 1.0000123;
    d.info.planeparam = p;
  }
  if (mask & kAlt) {
    AltParam a;
    a.type = altType;
    a.startx = 500000;
    a.starty = 3430000;
    a.ppmE = 3.5;
    a.ppmN = -2.25;
    a.altbase = 12.5;
    a.A = 2e-6;
    a.B = -1e-6;
    a.C = 1e-11;
    a.D = 2e-11;
    a.E = -1e-11;
    a.F = 0.75;
    a.X0 = altType == AltType::surface ? 3430000 : 500000;
    a.Y0 = altType == AltType::surface ? 500000 : 3430000;
    d.info.altparam = a;
  }
  if (mask & kBase) d.info.baseconv = BaseConv{-12.5, 85.3, 40.1, 1.2, -0.8, 2.5, 3.1};
  if (mask & kEllipsoidConv) {
    d.info.ellipsoid = "BJ54";
    d.info.ellipsoidconv = EllipsoidConv{"BJ54", "CGCS2000"};
  }
  if (mask & kAdjust) d.info.adjustconv = AdjustConv{105.25, -250.5, 3.75};
}

}  // namespace

// Project frame (500000.000, 3320113.398, 0) is the projection of (117°, 30°) to the
// millimetre; with the origin there, ENU is (0, 0, 0) within 1 mm, and back.
TEST(DefinitionChain, WorkedExample) {
  EnuOrigin origin;
  origin.lon = 117.0;
  origin.lat = 30.0;
  const ProjectDefinition d = plainDefinition(&origin);
  Point3 enu;
  ASSERT_TRUE(DefinitionChain(d, *d.origin).toEnu({500000.000, 3320113.398, 0.0}, enu));
  EXPECT_NEAR(enu.x, 0.0, 0.001);
  EXPECT_NEAR(enu.y, 0.0, 0.001);
  EXPECT_NEAR(enu.z, 0.0, 0.001);
  Point3 project;
  ASSERT_TRUE(DefinitionChain(d, *d.origin).fromEnu({0.0, 0.0, 0.0}, project));
  EXPECT_NEAR(project.x, 500000.000, 0.001);
  EXPECT_NEAR(project.y, 3320113.398, 0.001);
  EXPECT_NEAR(project.z, 0.0, 0.001);
}

// A point off the projection (20° from the central meridian) is refused both ways, with the
// reason, and nothing is written.
TEST(DefinitionChain, OffTheProjectionNothingIsWritten) {
  EnuOrigin origin;
  origin.lon = 117.0;
  origin.lat = 30.0;
  const ProjectDefinition d = plainDefinition(&origin);
  const DefinitionChain chain(d, origin);
  const Point3 sentinel{-1.25, 2.5, 1e300};
  Point3 out = sentinel;
  std::string why;
  EXPECT_FALSE(chain.toEnu({5e7, 3320113, 0}, out, &why));
  EXPECT_TRUE(sameBits(out, sentinel));
  EXPECT_FALSE(why.empty());
  // 137° E, 30° N in ENU about (117°, 30°): about 1.9e6 m east.
  const Point3 far = EnuFrame(origin).ecefToEnu(EnuFrame(origin).geodeticToEcef({137.0, 30.0, 0}));
  why.clear();
  EXPECT_FALSE(chain.fromEnu(far, out, &why));
  EXPECT_TRUE(sameBits(out, sentinel));
  EXPECT_NE(why.find("longitude"), std::string::npos) << why;
}

TEST(DefinitionChain, NonFiniteResultIsRefused) {
  EnuOrigin origin;
  const ProjectDefinition d = plainDefinition(&origin);
  const Point3 sentinel{1, 2, 3};
  Point3 out = sentinel;
  EXPECT_FALSE(DefinitionChain(d, *d.origin).toEnu({NAN, 3320113, 0}, out));
  EXPECT_FALSE(DefinitionChain(d, *d.origin).fromEnu({0, INFINITY, 0}, out));
  EXPECT_TRUE(sameBits(out, sentinel));
}

// Every combination of the five records (and each height model) goes to ENU and back to the
// project point within 1 mm, about an origin inside the area.
TEST(DefinitionChain, RoundTripEveryCombination) {
  EnuOrigin origin;
  origin.lon = 117.3;
  origin.lat = 31.0;
  origin.height = 35.0;
  struct Case {
    unsigned mask;
    AltType altType;
    const char* altName;
    bool localGrid;  // origin latitude 30.5° (arc about 3375 km), false northing 20 km
  };
  std::vector<Case> cases;
  for (unsigned mask = 0; mask < 32; ++mask) {
    const std::pair<AltType, const char*> models[] = {{AltType::tilt, "TGO"},
                                                      {AltType::fixedCorrection, "fixed"},
                                                      {AltType::surface, "surface"},
                                                      {AltType::plane, "plane"}};
    for (const auto& [altType, altName] : models) {
      if (!(mask & kAlt) && altType != AltType::tilt) continue;
      cases.push_back({mask, altType, altName, false});
      cases.push_back({mask, altType, altName, true});
    }
  }
  const Point3 points[] = {{500000, 3430000, 0},        {587654.321, 3512345.678, 1234.5},
                           {423456.789, 3398765.432, -20}, {531000.5, 3450500.25, 88.8}};
  for (std::size_t c = 0; c < cases.size(); ++c) {
    ProjectDefinition d = plainDefinition(&origin);
    d.info.surfaceheight = 150.0;
    d.info.centralOriginLatitude = cases[c].localGrid ? 30.5 : 0.0;
    d.info.yoffset = cases[c].localGrid ? 20000.0 : 0.0;
    addRecords(d, cases[c].mask, cases[c].altType);
    for (std::size_t i = 0; i < std::size(points); ++i) {
      SCOPED_TRACE("case " + std::to_string(c) + " (records " + std::to_string(cases[c].mask) +
                   ", height model " + cases[c].altName +
                   (cases[c].localGrid ? ", local grid" : "") + ") point " + std::to_string(i));
      Point3 p = points[i];
      if (cases[c].localGrid) p.y -= 3355000.0;
      Point3 enu, back;
      ASSERT_TRUE(DefinitionChain(d, *d.origin).toEnu(p, enu));
      ASSERT_TRUE(DefinitionChain(d, *d.origin).fromEnu(enu, back));
      EXPECT_NEAR(back.x, p.x, 0.001);
      EXPECT_NEAR(back.y, p.y, 0.001);
      EXPECT_NEAR(back.z, p.z, 0.001);
    }
  }
  EXPECT_EQ(cases.size(), 2u * (16 + 16 * 4));
}

// The height model sees the position without the adjust offsets but with the plane transform
// in place, in both directions. With a shift-only plane transform, a "plane" height model of
// 1 mm per metre of easting and an adjust offset, the corrected chain must equal the plain
// chain on the hand-corrected point (a wrong order moves z by 100 m or 1 m).
TEST(DefinitionChain, HeightModelSeesThePlanePosition) {
  EnuOrigin origin;
  origin.lon = 117.3;
  origin.lat = 31.0;
  const ProjectDefinition plain = plainDefinition(&origin);
  ProjectDefinition corrected = plain;
  PlaneParam shift;
  shift.type = PlaneType::fourParam;
  shift.scale = 1;
  shift.offsetx = 1000;
  corrected.info.planeparam = shift;
  AltParam tilt;
  tilt.type = AltType::plane;
  tilt.A = 0.001;
  tilt.X0 = 500000;
  corrected.info.altparam = tilt;
  corrected.info.adjustconv = AdjustConv{100, 0, 0};

  const Point3 project{531100.0, 3431234.5, 40.0};
  // Offsets off: x 531000; height model at x 531000: z − 0.001·31000; plane shift off.
  const Point3 grid{530000.0, 3431234.5, 40.0 - 31.0};
  Point3 expected, got;
  ASSERT_TRUE(DefinitionChain(plain, *plain.origin).toEnu(grid, expected));
  ASSERT_TRUE(DefinitionChain(corrected, *corrected.origin).toEnu(project, got));
  EXPECT_NEAR(got.x, expected.x, 1e-6);
  EXPECT_NEAR(got.y, expected.y, 1e-6);
  EXPECT_NEAR(got.z, expected.z, 1e-6);

  Point3 gridBack, projectBack;
  ASSERT_TRUE(DefinitionChain(plain, *plain.origin).fromEnu(expected, gridBack));
  ASSERT_TRUE(DefinitionChain(corrected, *corrected.origin).fromEnu(expected, projectBack));
  // Plane shift on: x + 1000; height model at that x; then the offsets.
  EXPECT_NEAR(projectBack.x, gridBack.x + 1000 + 100, 1e-6);
  EXPECT_NEAR(projectBack.y, gridBack.y, 1e-6);
  EXPECT_NEAR(projectBack.z, gridBack.z + 0.001 * (gridBack.x + 1000 - 500000), 1e-6);
}

// A chain made for one call and a chain set up once for many: identical bits.
TEST(DefinitionChain, MembersAndPreparedChainGiveTheSameBits) {
  EnuOrigin origin;
  origin.lon = 117.3;
  origin.lat = 31.0;
  origin.height = 35.0;
  ProjectDefinition d = plainDefinition(&origin);
  d.info.surfaceheight = 150.0;
  addRecords(d, kPlane | kAlt | kBase | kEllipsoidConv | kAdjust, AltType::tilt);
  const DefinitionChain chain(d, origin);
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> e(400000, 600000), n(3300000, 3600000), h(-50, 2000);
  std::uniform_real_distribution<double> local(-50000, 50000);
  for (int i = 0; i < 300; ++i) {
    const Point3 p{e(rng), n(rng), h(rng)};
    Point3 viaMember, viaChain;
    ASSERT_TRUE(DefinitionChain(d, *d.origin).toEnu(p, viaMember));
    ASSERT_TRUE(chain.toEnu(p, viaChain));
    ASSERT_TRUE(sameBits(viaMember, viaChain)) << "toEnu point " << i;
    const Point3 q{local(rng), local(rng), h(rng)};
    ASSERT_TRUE(DefinitionChain(d, *d.origin).fromEnu(q, viaMember));
    ASSERT_TRUE(chain.fromEnu(q, viaChain));
    ASSERT_TRUE(sameBits(viaMember, viaChain)) << "fromEnu point " << i;
  }
}

// A definition of any type converts by its `info`: an empty type like "Custom Gauss".
TEST(DefinitionChain, TypeDoesNotMatter) {
  EnuOrigin origin;
  origin.lon = 117.0;
  origin.lat = 31.0;
  ProjectDefinition gauss = plainDefinition(&origin);
  addRecords(gauss, kAlt | kAdjust, AltType::tilt);
  ProjectDefinition untyped = gauss;
  untyped.type = "";
  Point3 a, b;
  ASSERT_TRUE(DefinitionChain(gauss, *gauss.origin).toEnu({512345, 3431234, 56}, a));
  ASSERT_TRUE(DefinitionChain(untyped, *untyped.origin).toEnu({512345, 3431234, 56}, b));
  EXPECT_TRUE(sameBits(a, b));
}

// A whole chain (BJ54 definition projecting on CGCS2000 through ellipsoidconv, seven
// parameters, surface 200 m up) against one cct pipeline of the same steps
// (tests/geodesy/data/chain_cct.txt). The points lie within 1° of the central meridian,
// where the series and the exact projection agree to micrometres; 1 mm bounds the rest.
TEST(DefinitionChainCct, DatumAndEllipsoidChange) {
  EnuOrigin origin;
  origin.lon = 117.2;
  origin.lat = 31.1;
  origin.height = 50.0;
  ProjectDefinition d = plainDefinition(&origin);
  d.info.surfaceheight = 200.0;
  addRecords(d, kBase | kEllipsoidConv, AltType::tilt);
  const DefinitionChain chain(d, origin);
  const auto rows = readReferenceRows("chain_cct.txt");
  ASSERT_GE(rows.size(), 6u);
  for (const ReferenceRow& r : rows) {
    SCOPED_TRACE("chain_cct.txt line " + std::to_string(r.line));
    const Point3 project = r.point(1);
    const Point3 expected = r.point(4);
    Point3 enu, back;
    ASSERT_TRUE(chain.toEnu(project, enu));
    EXPECT_NEAR(enu.x, expected.x, 0.001);
    EXPECT_NEAR(enu.y, expected.y, 0.001);
    EXPECT_NEAR(enu.z, expected.z, 0.001);
    ASSERT_TRUE(chain.fromEnu(expected, back));
    EXPECT_NEAR(back.x, project.x, 0.001);
    EXPECT_NEAR(back.y, project.y, 0.001);
    EXPECT_NEAR(back.z, project.z, 0.001);
  }
}

// The halves without the frame compose to the full conversion, bit for bit.
TEST(DefinitionChain, HalvesComposeToTheWhole) {
  EnuOrigin origin;
  origin.lon = 117.3;
  origin.lat = 31.0;
  ProjectDefinition d = plainDefinition(&origin);
  addRecords(d, kPlane | kBase | kAdjust, AltType::tilt);
  const DefinitionChain chain(d, origin);
  const Point3 p{512345.5, 3431234.25, 45.5};
  Point3 enu;
  ASSERT_TRUE(chain.toEnu(p, enu));
  const EnuFrame& f = chain.frame();
  EXPECT_TRUE(sameBits(enu, f.ecefToEnu(f.geodeticToEcef(chain.projectToGeodetic(p).value()))));
  Point3 project;
  ASSERT_TRUE(chain.fromEnu(enu, project));
  EXPECT_TRUE(sameBits(project, chain.geodeticToProject(f.ecefToGeodeticBowring(f.enuToEcef(enu))).value()));
}
