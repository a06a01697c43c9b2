// The EnuOrigin operations against PROJ `cct` (cart and topocentric, on the EnuOrigin's own
// a and f; commands in tests/geodesy/data/), and the ellipsoid table lookup.
#include <gtest/gtest.h>

#include <string>

#include "coordinfo/enu_origin.h"
#include "geodesy/enu_frame.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/reference_data.h"

namespace {

constexpr double kLengthToleranceM = 1e-6;

}  // namespace

TEST(EnuOriginCct, GeodeticToEcefOnTheOriginEllipsoid) {
  const EnuOrigin origin;  // a 6378137, f 0.003352810664747481
  int checked = 0;
  for (const ReferenceRow& r : readReferenceRows("cart_cct.txt")) {
    if (r.fields[1] != "+f=0.003352810664747481") continue;
    SCOPED_TRACE("cart_cct.txt line " + std::to_string(r.line));
    const Point3 q = EnuFrame(origin).geodeticToEcef(r.point(2));
    const Point3 expected = r.point(5);
    EXPECT_NEAR(q.x, expected.x, kLengthToleranceM);
    EXPECT_NEAR(q.y, expected.y, kLengthToleranceM);
    EXPECT_NEAR(q.z, expected.z, kLengthToleranceM);
    ++checked;
  }
  EXPECT_GE(checked, 8);
}

// Geodetic -> ENU about three origins, against cart + topocentric; and back through
// enuToGeodetic. One Bowring step (with the stored b, which only enters the latitude's
// auxiliary angle) is good to about 1e-7 m at these heights (up to 3.7 km): 1e-6 m and 1e-11°.
TEST(EnuOriginCct, TopocentricBothWays) {
  const auto rows = readReferenceRows("topocentric_cct.txt");
  ASSERT_GE(rows.size(), 18u);
  for (const ReferenceRow& r : rows) {
    SCOPED_TRACE("topocentric_cct.txt line " + std::to_string(r.line));
    EnuOrigin origin;
    origin.lon = r.number(0);
    origin.lat = r.number(1);
    origin.height = r.number(2);
    const Point3 g = r.point(3);
    const Point3 expected = r.point(6);
    const Point3 enu = EnuFrame(origin).ecefToEnu(EnuFrame(origin).geodeticToEcef(g));
    EXPECT_NEAR(enu.x, expected.x, kLengthToleranceM);
    EXPECT_NEAR(enu.y, expected.y, kLengthToleranceM);
    EXPECT_NEAR(enu.z, expected.z, kLengthToleranceM);
    const Point3 back = EnuFrame(origin).enuToGeodetic(expected);
    EXPECT_NEAR(back.x, g.x, 1e-11);
    EXPECT_NEAR(back.y, g.y, 1e-11);
    EXPECT_NEAR(back.z, g.z, kLengthToleranceM);
  }
}

TEST(Ellipsoid, LookupByExactName) {
  struct Case {
    const char* name;
    Ellipsoid expected;
  };
  const Case cases[] = {
      {"CGCS2000", {6378137.0, 0.003352810681182319}}, {"cgcs2000", kCgcs2000},
      {"XIAN80", {6378140.0, 0.0033528131778969143}}, {"xian80", kXian80},
      {"BJ54", {6378245.0, 0.003352329869259135}},    {"bj54", kBj54},
      {"WGS84", {6378137.0, 0.0033528106647474805}},  {"wgs84", kWgs84},
      {"Xian80", kDefaultEllipsoid},                  {"XIAN 80", kDefaultEllipsoid},
      {"", kDefaultEllipsoid},                        {"CGCS2000 ", kDefaultEllipsoid},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i) + ": '" + cases[i].name + "'");
    EXPECT_EQ(lookupEllipsoid(cases[i].name), cases[i].expected);
  }
  // Each flattening is the double nearest 1/(inverse flattening).
  EXPECT_EQ(kCgcs2000.f, 1 / 298.257222101);
  EXPECT_EQ(kXian80.f, 1 / 298.257);
  EXPECT_EQ(kBj54.f, 1 / 298.3);
  EXPECT_EQ(kWgs84.f, 1 / 298.257223563);
  EXPECT_EQ(kDefaultEllipsoid, (Ellipsoid{6378137.0, 0.0033528106647474805}));
}
