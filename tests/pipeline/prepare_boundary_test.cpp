// Boundary preparation: ENU and project lists of Control points definitions (fresh fit) and
// of projected definitions (their own chain), once only, and the failed-fit mark.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "pipeline/prepare_boundary.h"

namespace {

const char kLabels[] = "source_points: \ntarget_points: \nave_src: \nave_tar: \n";

// A 0.01° square about (117°, 30°) and its ENU coordinates about (117°, 30°, 0 m), from PROJ:
//   printf "116.995 29.995 0\n117.005 29.995 0\n117.005 30.005 0\n116.995 30.005 0\n" |
//   cct -d 9 +proj=pipeline +step +proj=cart +ellps=WGS84
//       +step +proj=topocentric +lon_0=117 +lat_0=30 +h_0=0 +ellps=WGS84
// Closed forms on both sides: they differ by rounding and by the last bit of the stored WGS84
// flattening, ~1e-11 m; cct prints 9 decimals. 1 µm.
const std::vector<Point3> kSquare = {
    {116.995, 29.995, 0}, {117.005, 29.995, 0}, {117.005, 30.005, 0}, {116.995, 30.005, 0}};
const Point3 kSquareEnu[] = {{-482.455583056, -554.251475569, -0.042415022},
                             {482.455583057, -554.251475569, -0.042415022},
                             {482.407214554, 554.272946939, -0.042413219},
                             {-482.407214554, 554.272946939, -0.042413219}};
constexpr double kEnuToleranceM = 1e-6;

EnuOrigin originAt117And30() {
  EnuOrigin o;
  o.lon = 117.0;
  o.lat = 30.0;
  return o;
}

// Control points related exactly by a linearised similarity about their centroid c:
// project = T0 + s·R·(enu − c). The fresh fit reproduces it, so a boundary point E goes to
// T0 + s·R·(E − c), computed here directly.
struct Similarity {
  double ex = 1.5e-4, ey = -2.5e-4, ez = 4e-4, s = 1 + 3e-5;
  Point3 t0{512000.0, 3320000.0, 25.0};
  Point3 c;
  Point3 apply(const Point3& e) const {
    const double x = e.x - c.x, y = e.y - c.y, z = e.z - c.z;
    return {t0.x + s * (x + ez * y - ey * z), t0.y + s * (-ez * x + y + ex * z),
            t0.z + s * (ey * x - ex * y + z)};
  }
};

ProjectDefinition controlDefinition(EnuOrigin& origin, Similarity& similarity) {
  ProjectDefinition d;
  d.type = "Control points";
  d.origin = &origin;
  d.boundary = kSquare;
  d.srcpointsenu = {{-600, -500, 3}, {650, -480, -2}, {620, 560, 6}, {-580, 540, -5},
                    {30, 20, 1}};
  for (const Point3& p : d.srcpointsenu) {
    similarity.c = {similarity.c.x + p.x / 5, similarity.c.y + p.y / 5, similarity.c.z + p.z / 5};
  }
  for (const Point3& p : d.srcpointsenu) d.despoints.push_back(similarity.apply(p));
  return d;
}

TEST(PrepareBoundary, ControlPointsUseAFreshFitOnceOnly) {
  EnuOrigin origin = originAt117And30();
  Similarity similarity;
  ProjectDefinition d = controlDefinition(origin, similarity);
  // A stored transform (here the identity) is not what the boundary is converted with.
  d.transform.emplace();
  std::ostringstream out, err;
  prepareBoundary(d, out, err);
  EXPECT_EQ(out.str(), kLabels);
  EXPECT_EQ(err.str(), "");
  EXPECT_FALSE(d.boundaryFitFailed);
  ASSERT_EQ(d.boundaryenu.size(), kSquare.size());
  ASSERT_EQ(d.boundaryproj.size(), kSquare.size());
  for (std::size_t i = 0; i < kSquare.size(); ++i) {
    SCOPED_TRACE("boundary point " + std::to_string(i));
    EXPECT_NEAR(d.boundaryenu[i].x, kSquareEnu[i].x, kEnuToleranceM);
    EXPECT_NEAR(d.boundaryenu[i].y, kSquareEnu[i].y, kEnuToleranceM);
    EXPECT_NEAR(d.boundaryenu[i].z, kSquareEnu[i].z, kEnuToleranceM);
    // The fit is exact here up to rounding (1e-9 m); 1 µm.
    const Point3 expected = similarity.apply(d.boundaryenu[i]);
    EXPECT_NEAR(d.boundaryproj[i].x, expected.x, 1e-6);
    EXPECT_NEAR(d.boundaryproj[i].y, expected.y, 1e-6);
    EXPECT_NEAR(d.boundaryproj[i].z, expected.z, 1e-6);
  }
  EXPECT_EQ(*d.transform, TransformInfo{});  // neither used nor written

  // Prepared: a second call changes nothing and writes nothing.
  const std::vector<Point3> enu = d.boundaryenu;
  const std::vector<Point3> proj = d.boundaryproj;
  std::ostringstream out2, err2;
  prepareBoundary(d, out2, err2);
  EXPECT_EQ(out2.str(), "");
  EXPECT_EQ(err2.str(), "");
  EXPECT_EQ(d.boundaryenu, enu);
  EXPECT_EQ(d.boundaryproj, proj);
}

// A fit that fails leaves no usable polygon: the mark is set, the project list holds
// (0, 0, 0) per point (so the preparation is not repeated), the ENU list is still converted.
TEST(PrepareBoundary, FailedFitMarksTheDefinition) {
  EnuOrigin origin = originAt117And30();
  Similarity similarity;
  ProjectDefinition d = controlDefinition(origin, similarity);
  d.despoints.pop_back();  // 5 sources, 4 targets
  std::ostringstream out, err;
  prepareBoundary(d, out, err);
  EXPECT_TRUE(d.boundaryFitFailed);
  EXPECT_EQ(out.str(), kLabels);
  EXPECT_EQ(err.str(), "control point fit: 5 source points but 4 target points\n");
  ASSERT_EQ(d.boundaryproj.size(), kSquare.size());
  for (const Point3& q : d.boundaryproj) EXPECT_EQ(q, Point3{});
  ASSERT_EQ(d.boundaryenu.size(), kSquare.size());
  EXPECT_NEAR(d.boundaryenu[2].y, kSquareEnu[2].y, kEnuToleranceM);
  std::ostringstream out2, err2;
  prepareBoundary(d, out2, err2);
  EXPECT_EQ(out2.str(), "");
}

TEST(PrepareBoundary, EmptyBoundaryOrNoOriginLeavesTheListsEmpty) {
  EnuOrigin origin = originAt117And30();
  Similarity similarity;
  ProjectDefinition empty = controlDefinition(origin, similarity);
  empty.boundary.clear();
  std::ostringstream out, err;
  prepareBoundary(empty, out, err);
  EXPECT_TRUE(empty.boundaryenu.empty());
  EXPECT_TRUE(empty.boundaryproj.empty());
  EXPECT_EQ(out.str(), "");

  ProjectDefinition noOrigin = controlDefinition(origin, similarity);
  noOrigin.origin = nullptr;
  prepareBoundary(noOrigin, out, err);
  EXPECT_TRUE(noOrigin.boundaryenu.empty());
  EXPECT_TRUE(noOrigin.boundaryproj.empty());
  EXPECT_EQ(out.str(), "");
}

// A projected definition converts its boundary through its own chain. CGCS2000, central
// meridian 117°, false easting 500000 m: (117°, 30°) is (500000.000, 3320113.398) and
// (118.5°, 31°) is (643264.135, 3431940.324) (Gauss-Krüger worked values, to 1 mm).
TEST(PrepareBoundary, ProjectedDefinitionUsesItsOwnChain) {
  EnuOrigin origin = originAt117And30();
  ProjectDefinition d;
  d.type = "Custom Gauss";
  d.origin = &origin;
  d.info.centralMeridianLongitude = 117.0;
  d.info.ellipsoid = "CGCS2000";
  d.info.xoffset = 500000.0;
  d.boundary = {{117.0, 30.0, 0}, {118.5, 31.0, 0}, {118.5, 30.0, 0}};
  std::ostringstream out, err;
  prepareBoundary(d, out, err);
  EXPECT_EQ(out.str(), "");
  ASSERT_EQ(d.boundaryproj.size(), 3u);
  ASSERT_EQ(d.boundaryenu.size(), 3u);
  EXPECT_NEAR(d.boundaryenu[0].x, 0.0, 1e-9);
  EXPECT_NEAR(d.boundaryenu[0].y, 0.0, 1e-9);
  EXPECT_NEAR(d.boundaryproj[0].x, 500000.000, 1e-3);
  EXPECT_NEAR(d.boundaryproj[0].y, 3320113.398, 1e-3);
  EXPECT_NEAR(d.boundaryproj[0].z, 0.0, 1e-3);
  EXPECT_NEAR(d.boundaryproj[1].x, 643264.135, 1e-3);
  EXPECT_NEAR(d.boundaryproj[1].y, 3431940.324, 1e-3);
  EXPECT_FALSE(d.boundaryFitFailed);
}

}  // namespace

// A control-point definition fitted about (117°, 30°, 0 m) while the run's origin lies
// elsewhere: its ENU polygon is about the run's origin (the frame the selection measures ENU
// points in), its project polygon is the square taken into the fitted frame and through the fit,
// so it is the same as with the origin at the fitted frame. When the origin moves, the ENU
// polygon follows and the project polygon (and the fit's label lines) are not made again.
TEST(PrepareBoundary, ControlPointPolygonsAcrossFrames) {
  EnuOrigin elsewhere = originAt117And30();
  elsewhere.lon = 117.5;
  elsewhere.lat = 30.5;
  elsewhere.height = 120.0;
  Similarity similarity;
  ProjectDefinition d = controlDefinition(elsewhere, similarity);
  d.fittedFrame = originAt117And30();
  std::ostringstream out, err;
  prepareBoundary(d, out, err);
  ASSERT_EQ(d.boundaryenu.size(), kSquare.size());
  ASSERT_EQ(d.boundaryproj.size(), kSquare.size());
  // The square about (117.5°, 30.5°, 120 m):
  //   printf "116.995 29.995 0\n117.005 30.005 0\n" | cct -d 6 +proj=pipeline
  //     +step +proj=cart +ellps=WGS84 +step +proj=topocentric +ellps=WGS84
  //     +lon_0=117.5 +lat_0=30.5 +h_0=120
  const Point3 aboutElsewhere[] = {{-48727.383047, -55872.882978, -551.735063},
                                   {-47757.720199, -54768.684903, -534.788459}};
  for (std::size_t k = 0; k < 2; ++k) {
    SCOPED_TRACE("boundary point " + std::to_string(2 * k));
    EXPECT_NEAR(d.boundaryenu[2 * k].x, aboutElsewhere[k].x, kEnuToleranceM);
    EXPECT_NEAR(d.boundaryenu[2 * k].y, aboutElsewhere[k].y, kEnuToleranceM);
    EXPECT_NEAR(d.boundaryenu[2 * k].z, aboutElsewhere[k].z, kEnuToleranceM);
  }
  for (std::size_t i = 0; i < kSquare.size(); ++i) {
    SCOPED_TRACE("boundary point " + std::to_string(i));
    const Point3 expected = similarity.apply(kSquareEnu[i]);
    EXPECT_NEAR(d.boundaryproj[i].x, expected.x, 1e-6);
    EXPECT_NEAR(d.boundaryproj[i].y, expected.y, 1e-6);
    EXPECT_NEAR(d.boundaryproj[i].z, expected.z, 1e-6);
  }
  EXPECT_EQ(out.str(), kLabels);

  const std::vector<Point3> proj = d.boundaryproj;
  elsewhere = originAt117And30();
  std::ostringstream out2, err2;
  prepareBoundary(d, out2, err2);
  EXPECT_EQ(out2.str(), "");
  EXPECT_EQ(d.boundaryproj, proj);
  for (std::size_t i = 0; i < kSquare.size(); ++i) {
    SCOPED_TRACE("moved origin, boundary point " + std::to_string(i));
    EXPECT_NEAR(d.boundaryenu[i].x, kSquareEnu[i].x, kEnuToleranceM);
    EXPECT_NEAR(d.boundaryenu[i].y, kSquareEnu[i].y, kEnuToleranceM);
  }
}

// Without source points the stored transform places the polygon; with neither, or with a
// boundary point off a projected definition's projection, the definition has no project
// polygon and says why.
TEST(PrepareBoundary, StoredTransformOrAReasonWhyNot) {
  EnuOrigin origin = originAt117And30();
  ProjectDefinition stored;
  stored.type = "Control points";
  stored.origin = &origin;
  stored.boundary = kSquare;
  stored.transform.emplace();
  stored.transform->tar = {1000.0, 2000.0, 3.0};  // identity model plus a shift
  std::ostringstream out, err;
  prepareBoundary(stored, out, err);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(stored.boundaryprojFailure, "");
  ASSERT_EQ(stored.boundaryproj.size(), kSquare.size());
  EXPECT_NEAR(stored.boundaryproj[0].x, kSquareEnu[0].x + 1000.0, kEnuToleranceM);
  EXPECT_NEAR(stored.boundaryproj[0].y, kSquareEnu[0].y + 2000.0, kEnuToleranceM);

  ProjectDefinition neither = stored;
  neither.transform.reset();
  neither.boundaryproj.clear();
  prepareBoundary(neither, out, err);
  EXPECT_EQ(neither.boundaryprojFailure, "it has neither source points nor a stored transform");

  ProjectDefinition farOff;
  farOff.type = "Custom Gauss";
  farOff.origin = &origin;
  farOff.info.centralMeridianLongitude = 105.0;  // the square is 12° away
  farOff.boundary = kSquare;
  prepareBoundary(farOff, out, err);
  EXPECT_NE(farOff.boundaryprojFailure.find("boundary point 1 cannot be converted: longitude "),
            std::string::npos)
      << farOff.boundaryprojFailure;
}
