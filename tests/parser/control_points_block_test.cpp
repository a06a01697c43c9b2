// The Control points block: source points, the origin they move, the stored or estimated
// transform, and the order of the steps in the two document forms.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "parser/coord_parse_harness.h"
#include "geodesy/control_transform.h"
#include "geodesy/ellipsoid.h"

namespace {

using coordtest::Parsing;

std::string controlObject(const std::string& define) {
  return R"({"type": "Control points", "define": )" + define + "}";
}
std::string controlArray(const std::string& define) {
  std::string text = "[";
  text += controlObject(define);
  text += "]";
  return text;
}

// Two points 1° either side of (115, 31).
const char kTwoPoints[] = R"("srcpoints": [114, 30, 10, 116, 32, 20])";

// ENU (m) of the two points about (115°, 31°, 0 m) on WGS84, from PROJ:
//   printf "114 30 10\n116 32 20\n" | cct -d 9 +proj=pipeline +step +proj=cart +ellps=WGS84
//     +step +proj=topocentric +lon_0=115 +lat_0=31 +h_0=0 +ellps=WGS84
// and the same with +ellps=krass (a 6378245, 1/f 298.3, the BJ54 ellipsoid).
const Point3 kTwoPointsEnuWgs84[] = {{-96481.532900824, -110421.819457218, -1679.115369670},
                                     {94488.640531625, 111297.525610729, -1654.409237714}};
const Point3 kTwoPointsEnuKrassowsky[] = {{-96483.155027384, -110423.755095584, -1679.144462605},
                                          {94490.227749371, 111299.473510559, -1654.438044344}};
// The ENU conversion is a closed form (no iteration): PROJ and this code differ by rounding
// (~1e-9 m at 150 km) and by the last bit of the stored WGS84 flattening (~1e-11 m); cct
// prints 9 decimals. 1 µm separates that from any real error.
constexpr double kEnuToleranceM = 1e-6;

void expectEnu(const std::vector<Point3>& actual, const Point3* expected, std::size_t count) {
  ASSERT_EQ(actual.size(), count);
  for (std::size_t k = 0; k < count; ++k) {
    SCOPED_TRACE("point " + std::to_string(k));
    EXPECT_NEAR(actual[k].x, expected[k].x, kEnuToleranceM);
    EXPECT_NEAR(actual[k].y, expected[k].y, kEnuToleranceM);
    EXPECT_NEAR(actual[k].z, expected[k].z, kEnuToleranceM);
  }
}

TEST(ControlPoints, SourcePointsMoveTheProcessOriginToTheirCentre) {
  for (const bool array : {false, true}) {
    SCOPED_TRACE(array ? "array document" : "object document");
    Parsing p;
    p.process.origin.height = 40.0;
    p.process.origin.spare1 = 1.0;
    p.process.origin.spare2 = 2.0;
    p.process.globalzonecode = 1;
    const std::string define = std::string("{") + kTwoPoints + "}";
    ASSERT_TRUE(p.parseLocal(array ? controlArray(define) : controlObject(define))) << p.error;

    EnuOrigin expected;  // centre of the bounding box, height and spares 0, WGS84 kept
    expected.lon = 115.0;
    expected.lat = 31.0;
    EXPECT_EQ(p.process.origin, expected);
    EXPECT_EQ(p.localOrigin, EnuOrigin{});  // the local record receives only "basepoint"

    const ProjectDefinition& d = p.local.projects.at(0);
    const std::vector<Point3> src = {{114, 30, 10}, {116, 32, 20}};
    EXPECT_EQ(d.srcpoints, src);
    expectEnu(d.srcpointsenu, kTwoPointsEnuWgs84, 2);
    // Object document: zone of the centre longitude 115; array document: from boundaries
    // (none here, so longitude 0).
    EXPECT_EQ(p.process.globalzonecode, array ? 4509 : 4547);
  }
}

// The conversion runs on the process-wide record's own ellipsoid, which stays as it was.
TEST(ControlPoints, SourcePointsUseTheProcessOriginEllipsoid) {
  Parsing p;
  p.process.origin.a = kBj54.a;
  p.process.origin.f = kBj54.f;
  p.process.origin.b = 6356863.0188;
  ASSERT_TRUE(p.parseLocal(controlArray(std::string("{") + kTwoPoints + "}"))) << p.error;
  EXPECT_EQ(p.process.origin.a, kBj54.a);
  EXPECT_EQ(p.process.origin.f, kBj54.f);
  EXPECT_EQ(p.process.origin.b, 6356863.0188);
  expectEnu(p.local.projects.at(0).srcpointsenu, kTwoPointsEnuKrassowsky, 2);
}

// The bounding-box centre, not the mean: three points, one far east.
TEST(ControlPoints, CentreIsTheMiddleOfTheExtremes) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(controlArray(
      R"({"srcpoints": [100, 10, 0, 101, 40, 0, 130, 20, 0]})")))
      << p.error;
  EXPECT_EQ(p.process.origin.lon, 115.0);
  EXPECT_EQ(p.process.origin.lat, 25.0);
  EXPECT_EQ(p.local.projects.at(0).srcpointsenu.size(), 3u);
}

TEST(ControlPoints, StoredTransformIsCopiedAsGiven) {
  Parsing p;
  // 1e-9 and -5e-7 would be zeroed by the fit's cleaning; stored values are not cleaned.
  ASSERT_TRUE(p.parseLocal(controlObject(std::string("{") + kTwoPoints + R"(,
      "despoints": [500000, 3300000, 10, 700000, 3500000, 20],
      "transform": {"args": [1.5, -2, 3, 1e-9, -5e-7, 6, 7], "src": [10, 20],
                    "unknown": [1]}})")))
      << p.error;
  const ProjectDefinition& d = p.local.projects.at(0);
  ASSERT_TRUE(d.transform.has_value());
  TransformInfo expected;
  expected.args = {1.5, -2, 3, 1e-9, -5e-7, 6, 7};
  expected.src = {10, 20, 0};
  // No estimation ran: every other field is still 0 and no direction is marked failed.
  EXPECT_EQ(*d.transform, expected);
  EXPECT_EQ(d.despoints.size(), 2u);
}

TEST(ControlPoints, AllTransformMembers) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(controlArray(R"({"transform": {
      "args": [1, 2, 3, 4, 5, 6, 7], "inv_args": [-1, -2, -3, -4, -5, -6, -7],
      "src": [1, 2, 3], "inv_src": [4, 5, 6], "tar": [7, 8, 9], "inv_tar": [10, 11, 12]}})")))
      << p.error;
  TransformInfo expected;
  expected.args = {1, 2, 3, 4, 5, 6, 7};
  expected.inv_args = {-1, -2, -3, -4, -5, -6, -7};
  expected.src = {1, 2, 3};
  expected.inv_src = {4, 5, 6};
  expected.tar = {7, 8, 9};
  expected.inv_tar = {10, 11, 12};
  EXPECT_EQ(p.local.projects.at(0).transform, expected);
}

TEST(ControlPoints, ArrayDocumentWithoutTransformKeepsNone) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(controlArray(std::string("{") + kTwoPoints + R"(,
      "despoints": [1, 2, 3, 4, 5, 6], "transform": "later"})")))
      << p.error;
  EXPECT_FALSE(p.local.projects.at(0).transform.has_value());
}

TEST(ControlPoints, ObjectDocumentWithoutTransformEstimatesOne) {
  for (const char* transform : {"", R"(, "transform": [1, 2])"}) {
    SCOPED_TRACE(transform);
    Parsing p;
    ASSERT_TRUE(p.parseLocal(controlObject(std::string("{") + kTwoPoints +
                                           R"(, "despoints": [1, 2, 3, 4, 5, 6])" +
                                           transform + "}")))
        << p.error;
    EXPECT_TRUE(p.local.projects.at(0).transform.has_value());
  }
}

// Four source points about the centre (121°, 31.125°) and their ENU (m) on WGS84, from PROJ:
//   printf "120.5 31.25 5\n121.5 30.75 -3\n121 31.5 12\n120.75 30.9 30\n" | cct -d 9
//     +proj=pipeline +step +proj=cart +ellps=WGS84
//     +step +proj=topocentric +lon_0=121 +lat_0=31.125 +h_0=0 +ellps=WGS84
const char kFourPoints[] =
    R"("srcpoints": [120.5, 31.25, 5, 121.5, 30.75, -3, 121, 31.5, 12, 120.75, 30.9, 30])";
const Point3 kFourPointsEnu[] = {{-47626.532399663, 13966.505576460, -188.013069336},
                                 {47875.623134115, -41467.349881569, -317.879623164},
                                 {0.0, 41577.851456081, -124.065012322},
                                 {-23900.981127478, -24918.778089844, -63.617986117}};

// Project coordinates made from the ENU positions by an exact similarity: scale 1 + 20 ppm,
// a rotation of 2 arc-seconds about the vertical, then a shift. A seven-parameter fit must
// reproduce it; the linearised rotation of the fit matches a rotation about the vertical
// exactly (tan θ with scale cos θ), so only rounding remains.
Point3 similarity(const Point3& enu) {
  const double scale = 1.00002;
  const double theta = 2.0 / 3600.0 * 3.141592653589793 / 180.0;
  const double c = std::cos(theta);
  const double s = std::sin(theta);
  return {scale * (c * enu.x - s * enu.y) + 500000.0,
          scale * (s * enu.x + c * enu.y) + 3450000.0, scale * enu.z + 12.0};
}
// The fit is a least-squares solution of exact data: residuals are rounding (~1e-9 m at
// 50 km); 0.1 mm leaves room for the iteration's stopping tolerance.
constexpr double kFitToleranceM = 1e-4;

TEST(ControlPoints, ObjectDocumentEstimatesBothDirections) {
  std::string despoints = R"("despoints": [)";
  Point3 desMean;
  for (std::size_t k = 0; k < std::size(kFourPointsEnu); ++k) {
    const Point3 d = similarity(kFourPointsEnu[k]);
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s%.17g, %.17g, %.17g", k == 0 ? "" : ", ", d.x,
                  d.y, d.z);
    despoints += buffer;
    desMean.x += d.x / 4;
    desMean.y += d.y / 4;
    desMean.z += d.z / 4;
  }
  despoints += "]";

  Parsing p;
  ASSERT_TRUE(p.parseLocal(controlObject(std::string("{") + kFourPoints + ", " + despoints +
                                         "}")))
      << p.error;
  EXPECT_EQ(p.process.origin.lon, 121.0);
  EXPECT_EQ(p.process.origin.lat, 31.125);
  EXPECT_EQ(p.process.globalzonecode, 4549);  // zone of 121° E
  ProjectDefinition& d = p.local.projects.at(0);
  expectEnu(d.srcpointsenu, kFourPointsEnu, 4);
  ASSERT_TRUE(d.transform.has_value());
  EXPECT_FALSE(d.transform->argsFailed);
  EXPECT_FALSE(d.transform->invArgsFailed);
  // The target centroid of args is the mean of the project points; args map ENU onto project
  // coordinates and inv_args back.
  EXPECT_NEAR(d.transform->tar[0], desMean.x, kFitToleranceM);
  EXPECT_NEAR(d.transform->tar[1], desMean.y, kFitToleranceM);
  EXPECT_NEAR(d.transform->tar[2], desMean.z, kFitToleranceM);
  for (std::size_t k = 0; k < std::size(kFourPointsEnu); ++k) {
    SCOPED_TRACE("point " + std::to_string(k));
    const Point3 expected = similarity(kFourPointsEnu[k]);
    Point3 project;
    ASSERT_TRUE(controlEnuToProject(d, kFourPointsEnu[k], project));
    EXPECT_NEAR(project.x, expected.x, kFitToleranceM);
    EXPECT_NEAR(project.y, expected.y, kFitToleranceM);
    EXPECT_NEAR(project.z, expected.z, kFitToleranceM);
    Point3 enu;
    ASSERT_TRUE(controlProjectToEnu(d, expected, enu));
    EXPECT_NEAR(enu.x, kFourPointsEnu[k].x, kFitToleranceM);
    EXPECT_NEAR(enu.y, kFourPointsEnu[k].y, kFitToleranceM);
    EXPECT_NEAR(enu.z, kFourPointsEnu[k].z, kFitToleranceM);
  }
}

TEST(ControlPoints, BasepointWritesTheDefinitionsOrigin) {
  struct Case {
    const char* basepoint;
    double lon, lat, height;
  };
  const Case cases[] = {
      {"[100, 20, 5]", 100, 20, 5},
      {"[100, 20]", 100, 20, 7},  // two numbers: the height stays
      {"[]", 1, 2, 7},
  };
  for (const bool array : {false, true}) {
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      SCOPED_TRACE(std::string(array ? "array" : "object") + " case " + std::to_string(i));
      Parsing p;
      p.localOrigin.lon = 1;
      p.localOrigin.lat = 2;
      p.localOrigin.height = 7;
      const std::string define = std::string(R"({"basepoint": )") + cases[i].basepoint +
                                 R"(, "transform": {}})";
      ASSERT_TRUE(p.parseLocal(array ? controlArray(define) : controlObject(define)))
          << p.error;
      EXPECT_EQ(p.localOrigin.lon, cases[i].lon);
      EXPECT_EQ(p.localOrigin.lat, cases[i].lat);
      EXPECT_EQ(p.localOrigin.height, cases[i].height);
      EXPECT_EQ(p.process.origin, EnuOrigin{});
    }
  }
}

// Where the centre and the base point end up, by the info parsed and the document form.
TEST(ControlPoints, ResultingOriginTable) {
  struct Case {
    const char* name;
    bool processInfo;
    bool array;
    std::array<double, 3> processOrigin;  // lon, lat, height
    std::array<double, 3> localOrigin;
  };
  const std::array<double, 3> centre = {115, 31, 0};
  const std::array<double, 3> basepoint = {100, 20, 5};
  const std::array<double, 3> untouched = {0, 0, 0};
  const Case cases[] = {
      // Object document: "basepoint" is written after the centre.
      {"process-wide info, object", true, false, basepoint, untouched},
      // Array document: "srcpoints" (the centre) is written after "basepoint".
      {"process-wide info, array", true, true, centre, untouched},
      {"local info, object", false, false, centre, basepoint},
      {"local info, array", false, true, centre, basepoint},
  };
  const std::string define =
      std::string("{") + kTwoPoints + R"(, "basepoint": [100, 20, 5], "transform": {}})";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Parsing p;
    const std::string text = c.array ? controlArray(define) : controlObject(define);
    ASSERT_TRUE(c.processInfo ? p.parseProcess(text) : p.parseLocal(text)) << p.error;
    EXPECT_EQ((std::array{p.process.origin.lon, p.process.origin.lat, p.process.origin.height}),
              c.processOrigin);
    EXPECT_EQ((std::array{p.localOrigin.lon, p.localOrigin.lat, p.localOrigin.height}),
              c.localOrigin);
    // Every definition of the info refers to the info's record.
    const CoordTranslateInfo& info = c.processInfo ? p.process.info : p.local;
    EXPECT_EQ(info.projects.at(0).origin, info.origin);
  }
}

// In the process-wide info, a definition without source points but with a base point, after
// one with source points: the base point is written last and stays.
TEST(ControlPoints, BasepointOfALaterDefinitionWins) {
  Parsing p;
  std::string text = "[";
  text += controlObject(std::string("{") + kTwoPoints + "}");
  text += ",";
  text += controlObject(R"({"basepoint": [100, 20, 5]})");
  text += "]";
  ASSERT_TRUE(p.parseProcess(text)) << p.error;
  EXPECT_EQ(p.process.origin.lon, 100.0);
  EXPECT_EQ(p.process.origin.lat, 20.0);
  EXPECT_EQ(p.process.origin.height, 5.0);
}

// Source points add to those a definition already holds, and the centre and ENU list cover
// all of them.
TEST(ControlPoints, SourcePointsAppendToExistingOnes) {
  Parsing p;
  p.local.appendDefinition().srcpoints = {{110, 20, 0}};
  ASSERT_TRUE(p.parseLocal(controlArray(std::string("{") + kTwoPoints + "}"))) << p.error;
  const ProjectDefinition& d = p.local.projects.at(0);
  ASSERT_EQ(d.srcpoints.size(), 3u);
  EXPECT_EQ(d.srcpointsenu.size(), 3u);
  EXPECT_EQ(p.process.origin.lon, 113.0);  // (110 + 116) / 2
  EXPECT_EQ(p.process.origin.lat, 26.0);   // (20 + 32) / 2
}

}  // namespace
