// Boundary preparation: ENU and project rings of Control points definitions (fresh fit) and
// of projected definitions (their own chain), the failed-fit mark, and the rings a converter
// keeps when its origin moves.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/printed_text.h"
#include "pipeline/prepare_boundary.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"

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

TEST(PrepareBoundary, ControlPointsUseAFreshFit) {
  EnuOrigin origin = originAt117And30();
  Similarity similarity;
  ProjectDefinition d = controlDefinition(origin, similarity);
  // A stored transform (here the identity) is not what the boundary is converted with.
  d.transform.emplace();
  const BoundaryFit fit = fitBoundary(d);
  EXPECT_EQ(fit.out, kLabels);
  EXPECT_EQ(fit.err, "");
  ASSERT_TRUE(fit.applier);
  const PreparedBoundary b = prepareBoundary(d, origin, &fit, nullptr);
  EXPECT_FALSE(b.fitFailed);
  EXPECT_EQ(b.projectFailure, "");
  EXPECT_EQ(b.pointCount, kSquare.size());
  ASSERT_EQ(b.enu.size(), kSquare.size());
  ASSERT_EQ(b.project.size(), kSquare.size());
  for (std::size_t i = 0; i < kSquare.size(); ++i) {
    SCOPED_TRACE("boundary point " + std::to_string(i));
    EXPECT_NEAR(b.enu[i].x, kSquareEnu[i].x, kEnuToleranceM);
    EXPECT_NEAR(b.enu[i].y, kSquareEnu[i].y, kEnuToleranceM);
    EXPECT_NEAR(b.enu[i].z, kSquareEnu[i].z, kEnuToleranceM);
    // The fit is exact here up to rounding (1e-9 m); 1 µm.
    const Point3 expected = similarity.apply(b.enu[i]);
    EXPECT_NEAR(b.project[i].x, expected.x, 1e-6);
    EXPECT_NEAR(b.project[i].y, expected.y, 1e-6);
    EXPECT_NEAR(b.project[i].z, expected.z, 1e-6);
  }
  EXPECT_EQ(*d.transform, TransformInfo{});  // neither used nor written

  // Prepared again with the kept fit: the same rings, bit for bit.
  const PreparedBoundary again = prepareBoundary(d, origin, &fit, nullptr);
  EXPECT_EQ(again.enu, b.enu);
  EXPECT_EQ(again.project, b.project);
}

// A fit that fails leaves no usable polygon: the mark is set, the project ring holds
// (0, 0, 0) per point, the ENU ring is still converted.
TEST(PrepareBoundary, FailedFitMarksTheDefinition) {
  EnuOrigin origin = originAt117And30();
  Similarity similarity;
  ProjectDefinition d = controlDefinition(origin, similarity);
  d.despoints.pop_back();  // 5 sources, 4 targets
  const BoundaryFit fit = fitBoundary(d);
  EXPECT_FALSE(fit.applier);
  EXPECT_EQ(fit.out, kLabels);
  EXPECT_EQ(fit.err, "control point fit: 5 source points but 4 target points\n");
  const PreparedBoundary b = prepareBoundary(d, origin, &fit, nullptr);
  EXPECT_TRUE(b.fitFailed);
  EXPECT_EQ(b.projectFailure, "its control-point fit failed");
  ASSERT_EQ(b.project.size(), kSquare.size());
  for (const Point3& q : b.project) EXPECT_EQ(q, Point3{});
  ASSERT_EQ(b.enu.size(), kSquare.size());
  EXPECT_NEAR(b.enu[2].y, kSquareEnu[2].y, kEnuToleranceM);
}

// An empty boundary gives empty rings, and a converter has no boundary fit to print for it.
TEST(PrepareBoundary, EmptyBoundaryLeavesTheRingsEmpty) {
  EnuOrigin origin = originAt117And30();
  Similarity similarity;
  ProjectDefinition empty = controlDefinition(origin, similarity);
  empty.boundary.clear();
  const BoundaryFit fit = fitBoundary(empty);
  const PreparedBoundary b = prepareBoundary(empty, origin, &fit, nullptr);
  EXPECT_EQ(b.pointCount, 0u);
  EXPECT_TRUE(b.enu.empty());
  EXPECT_TRUE(b.project.empty());

  CoordTranslateInfo model;
  model.projects = {empty, controlDefinition(origin, similarity)};
  const Converter converter(model, origin);
  EXPECT_EQ(converter.boundaryFitOut(0), "");
  EXPECT_EQ(converter.boundaryFitOut(1), kLabels);
  EXPECT_EQ(converter.boundaries()[0].pointCount, 0u);
  EXPECT_EQ(converter.boundaries()[1].project.size(), kSquare.size());
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
  const DefinitionChain chain(d, origin);
  const PreparedBoundary b = prepareBoundary(d, origin, nullptr, &chain);
  ASSERT_EQ(b.project.size(), 3u);
  ASSERT_EQ(b.enu.size(), 3u);
  EXPECT_NEAR(b.enu[0].x, 0.0, 1e-9);
  EXPECT_NEAR(b.enu[0].y, 0.0, 1e-9);
  EXPECT_NEAR(b.project[0].x, 500000.000, 1e-3);
  EXPECT_NEAR(b.project[0].y, 3320113.398, 1e-3);
  EXPECT_NEAR(b.project[0].z, 0.0, 1e-3);
  EXPECT_NEAR(b.project[1].x, 643264.135, 1e-3);
  EXPECT_NEAR(b.project[1].y, 3431940.324, 1e-3);
  EXPECT_FALSE(b.fitFailed);
  EXPECT_EQ(b.projectFailure, "");
}

}  // namespace

// A control-point definition fitted about (117°, 30°, 0 m) while the run's origin lies
// elsewhere: its ENU ring is about the run's origin (the frame the selection measures ENU
// points in), its project ring is the square taken into the fitted frame and through the fit,
// so it is the same as with the origin at the fitted frame. When the converter moves to another
// origin (withOrigin) after a selection looked at the boundary, the ENU ring follows, the
// project ring is kept bit for bit, and the fit's label lines are not printed again.
TEST(PrepareBoundary, ControlPointPolygonsAcrossFrames) {
  EnuOrigin elsewhere = originAt117And30();
  elsewhere.lon = 117.5;
  elsewhere.lat = 30.5;
  elsewhere.height = 120.0;
  Similarity similarity;
  ProjectDefinition d = controlDefinition(elsewhere, similarity);
  d.fittedFrame = originAt117And30();
  CoordTranslateInfo model;
  model.projects = {d};
  const Converter converter(model, elsewhere);
  const PreparedBoundary& b = converter.boundaries()[0];
  ASSERT_EQ(b.enu.size(), kSquare.size());
  ASSERT_EQ(b.project.size(), kSquare.size());
  // The square about (117.5°, 30.5°, 120 m):
  //   printf "116.995 29.995 0\n117.005 30.005 0\n" | cct -d 6 +proj=pipeline
  //     +step +proj=cart +ellps=WGS84 +step +proj=topocentric +ellps=WGS84
  //     +lon_0=117.5 +lat_0=30.5 +h_0=120
  const Point3 aboutElsewhere[] = {{-48727.383047, -55872.882978, -551.735063},
                                   {-47757.720199, -54768.684903, -534.788459}};
  for (std::size_t k = 0; k < 2; ++k) {
    SCOPED_TRACE("boundary point " + std::to_string(2 * k));
    EXPECT_NEAR(b.enu[2 * k].x, aboutElsewhere[k].x, kEnuToleranceM);
    EXPECT_NEAR(b.enu[2 * k].y, aboutElsewhere[k].y, kEnuToleranceM);
    EXPECT_NEAR(b.enu[2 * k].z, aboutElsewhere[k].z, kEnuToleranceM);
  }
  for (std::size_t i = 0; i < kSquare.size(); ++i) {
    SCOPED_TRACE("boundary point " + std::to_string(i));
    const Point3 expected = similarity.apply(kSquareEnu[i]);
    EXPECT_NEAR(b.project[i].x, expected.x, 1e-6);
    EXPECT_NEAR(b.project[i].y, expected.y, 1e-6);
    EXPECT_NEAR(b.project[i].z, expected.z, 1e-6);
  }
  std::ostringstream out, err;
  RunState state(converter);
  ConversionTrace looked;
  looked.boundariesReached = 1;
  state.record(converter, looked);
  EXPECT_EQ((flushPrinted(state, out, err), out.str()), kLabels);

  const Converter moved = converter.withOrigin(originAt117And30(), state.boundariesSeen());
  state.record(moved, looked);
  EXPECT_EQ((flushPrinted(state, out, err), out.str()), kLabels);  // nothing more
  EXPECT_EQ((flushPrinted(state, out, err), err.str()), "");
  const PreparedBoundary& m = moved.boundaries()[0];
  EXPECT_EQ(m.project, b.project);
  ASSERT_EQ(m.enu.size(), kSquare.size());
  for (std::size_t i = 0; i < kSquare.size(); ++i) {
    SCOPED_TRACE("moved origin, boundary point " + std::to_string(i));
    EXPECT_NEAR(m.enu[i].x, kSquareEnu[i].x, kEnuToleranceM);
    EXPECT_NEAR(m.enu[i].y, kSquareEnu[i].y, kEnuToleranceM);
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
  const PreparedBoundary b = prepareBoundary(stored, origin, nullptr, nullptr);
  EXPECT_EQ(b.projectFailure, "");
  ASSERT_EQ(b.project.size(), kSquare.size());
  EXPECT_NEAR(b.project[0].x, kSquareEnu[0].x + 1000.0, kEnuToleranceM);
  EXPECT_NEAR(b.project[0].y, kSquareEnu[0].y + 2000.0, kEnuToleranceM);

  ProjectDefinition neither = stored;
  neither.transform.reset();
  EXPECT_EQ(prepareBoundary(neither, origin, nullptr, nullptr).projectFailure,
            "it has neither source points nor a stored transform");

  // A converter places the ring with the transform as parsed, although it fits a missing one
  // for the conversions: the reason stays.
  CoordTranslateInfo model;
  model.projects = {neither};
  EXPECT_EQ(Converter(model, origin).boundaries()[0].projectFailure,
            "it has neither source points nor a stored transform");

  ProjectDefinition farOff;
  farOff.type = "Custom Gauss";
  farOff.origin = &origin;
  farOff.info.centralMeridianLongitude = 105.0;  // the square is 12° away
  farOff.boundary = kSquare;
  const DefinitionChain chain(farOff, origin);
  const std::string failure = prepareBoundary(farOff, origin, nullptr, &chain).projectFailure;
  EXPECT_NE(failure.find("boundary point 1 cannot be converted: longitude "), std::string::npos)
      << failure;
}
