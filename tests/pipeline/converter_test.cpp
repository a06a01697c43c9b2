// The three per-vertex conversions of a Converter: projectToEnu, enuToProject and
// projectToZone. Worked and PROJ (cct) values, the prepared conversion against the one-off
// ones while the origin moves (fresh converters and withOrigin), the choice of definition and
// what is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "parser/coord_parse_harness.h"
#include "coordinfo/coord_translate_info.h"
#include "geodesy/control_transform.h"
#include "geodesy/ellipsoid.h"
#include "pipeline/conversion_harness.h"
#include "pipeline/definition_chain.h"
#include "pipeline/run_state.h"

namespace {

using pipelinetest::Conversion;
using pipelinetest::sameBits;

// A sentinel an untouched output keeps, bit for bit.
const Point3 kUntouched{-7.25, 1e300, 3.5};

EnuOrigin originAt(double lon, double lat, double height = 0.0) {
  EnuOrigin origin;
  origin.lon = lon;
  origin.lat = lat;
  origin.height = height;
  return origin;
}

// A CGCS2000 Gauss-Krüger definition appended to `info` (sharing its origin).
ProjectDefinition& appendGauss(CoordTranslateInfo& info, double centralMeridian,
                               double falseEasting) {
  ProjectDefinition& d = info.appendDefinition();
  d.type = "Custom Gauss";
  d.info.centralMeridianLongitude = centralMeridian;
  d.info.ellipsoid = "CGCS2000";
  d.info.xoffset = falseEasting;
  d.info.yoffset = 0.0;
  return d;
}

// A square boundary of half-width `half` degrees about (lon, lat).
std::vector<Point3> squareAbout(double lon, double lat, double half) {
  return {{lon - half, lat - half, 0}, {lon + half, lat - half, 0},
          {lon + half, lat + half, 0}, {lon - half, lat + half, 0}};
}

// The worked example: (117°, 30°) on CGCS2000, central meridian 117°, false easting 500000 m is
// (500000.000, 3320113.398) to the millimetre; PROJ agrees:
//   echo "117 30 0 0" | cct -d 6 +proj=tmerc +lon_0=117 +k=1 +x_0=500000 +ellps=GRS80
//   -> 500000.000000 3320113.397845
// With the ENU origin at (117°, 30°, 0 m) that point is ENU (0, 0, 0); 1 mm covers the
// rounding of the published northing (0.155 mm).
const Point3 kWorkedProject{500000.000, 3320113.398, 0.0};
constexpr double kWorkedToleranceM = 0.001;

void expectNear(const Point3& actual, const Point3& expected, double toleranceM) {
  EXPECT_NEAR(actual.x, expected.x, toleranceM);
  EXPECT_NEAR(actual.y, expected.y, toleranceM);
  EXPECT_NEAR(actual.z, expected.z, toleranceM);
}

// One definition on the worked example's parameters, varied: the type decides whether ENU goes
// back to the project frame; a single definition's boundary, however far, is not looked at
// (and not even prepared).
TEST(PipelineOps, SingleDefinitionWorkedExample) {
  const struct {
    const char* name;
    std::function<void(ProjectDefinition&)> edit;
    bool convertsBack;
  } cases[] = {
      {"Custom Gauss", [](ProjectDefinition&) {}, true},
      {"empty type", [](ProjectDefinition& d) { d.type.clear(); }, false},
      {"boundary 20 degrees away",
       [](ProjectDefinition& d) { d.boundary = squareAbout(97.0, 45.0, 0.5); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EnuOrigin origin = originAt(117.0, 30.0);
    CoordTranslateInfo info;
    info.origin = &origin;
    c.edit(appendGauss(info, 117.0, 500000.0));
    Conversion run(info, origin);

    Point3 enu = kUntouched;
    ASSERT_TRUE(run.toEnu(kWorkedProject, enu));
    expectNear(enu, {0.0, 0.0, 0.0}, kWorkedToleranceM);
    EXPECT_EQ(run.scratch.trace().boundariesReached, 0u);

    Point3 project = kUntouched;
    ASSERT_EQ(run.toProject({0.0, 0.0, 0.0}, project), c.convertsBack);
    if (c.convertsBack) {
      expectNear(project, kWorkedProject, kWorkedToleranceM);
    } else {
      EXPECT_TRUE(sameBits(project, kUntouched));
    }
    EXPECT_EQ(run.scratch.trace().boundariesReached, 0u);
  }
}

// ---- Prepared conversions against the one-off ones, while the origin moves. ----

// Edits of the origin record between rounds of conversions; each but the ellipsoid changes
// what a point converts to, so a chain or frame left over from the previous values would
// show. The ellipsoid of the frame is the one the definitions end on, whatever the record says.
struct OriginEdit {
  const char* name;
  std::function<void(EnuOrigin&)> apply;
  bool movesResult = true;
};

std::vector<OriginEdit> originEdits() {
  return {
      {"as set", [](EnuOrigin&) {}},
      {"longitude", [](EnuOrigin& o) { o.lon = 117.6; }},
      {"latitude", [](EnuOrigin& o) { o.lat = 30.8; }},
      {"height only", [](EnuOrigin& o) { o.height = -20.0; }},
      {"ellipsoid only", [](EnuOrigin& o) {
         o.a = kXian80.a;
         o.f = kXian80.f;
         o.b = kXian80.a * (1 - kXian80.f);
       }, false},
      {"back to the first values", [](EnuOrigin& o) { o = originAt(117.3, 31.0, 35.0); }},
  };
}

// A definition with a surface height, seven parameters and final offsets, so that every part
// of the chain depends on the values it was set up with. Each origin gets a converter made by
// withOrigin from the first one and a fresh one: both give the bits of a one-off chain.
TEST(PipelineOps, PreparedGaussConversionFollowsTheOriginBitForBit) {
  EnuOrigin origin = originAt(117.3, 31.0, 35.0);
  CoordTranslateInfo info;
  info.origin = &origin;
  ProjectDefinition& d = appendGauss(info, 117.0, 500000.0);
  d.info.surfaceheight = 150.0;
  d.info.baseconv = BaseConv{-12.5, 85.3, 40.1, 1.2, -0.8, 2.5, 3.1};
  d.info.adjustconv = AdjustConv{105.25, -250.5, 3.75};

  const Point3 probe{531000.5, 3450500.25, 88.8};
  Point3 previousProbe = kUntouched;
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> east(480000, 560000), north(3400000, 3500000);
  std::uniform_real_distribution<double> local(-40000, 40000), height(-50, 1500);
  const Converter first(info, origin);
  const RunState state(first);
  for (const OriginEdit& edit : originEdits()) {
    SCOPED_TRACE(edit.name);
    edit.apply(origin);
    Conversion moved(first.withOrigin(origin, state.boundariesSeen()));
    Conversion fresh(info, origin);
    Point3 probeEnu;
    ASSERT_TRUE(moved.toEnu(probe, probeEnu));
    EXPECT_EQ(sameBits(probeEnu, previousProbe), !edit.movesResult) << "moves the result";
    previousProbe = probeEnu;
    const EnuOrigin frame = onEllipsoid(origin, chooseEnuFrameEllipsoid(info.projects));
    for (int i = 0; i < 50; ++i) {
      const Point3 p{east(rng), north(rng), height(rng)};
      Point3 prepared, again, oneOff;
      ASSERT_TRUE(moved.toEnu(p, prepared));
      ASSERT_TRUE(fresh.toEnu(p, again));
      ASSERT_TRUE(DefinitionChain(info.projects[0], frame).toEnu(p, oneOff));
      ASSERT_TRUE(sameBits(prepared, oneOff)) << "to ENU, point " << i;
      ASSERT_TRUE(sameBits(again, oneOff)) << "to ENU, point " << i;
      const Point3 e{local(rng), local(rng), height(rng)};
      ASSERT_TRUE(moved.toProject(e, prepared));
      ASSERT_TRUE(fresh.toProject(e, again));
      ASSERT_TRUE(DefinitionChain(info.projects[0], frame).fromEnu(e, oneOff));
      ASSERT_TRUE(sameBits(prepared, oneOff)) << "to project, point " << i;
      ASSERT_TRUE(sameBits(again, oneOff)) << "to project, point " << i;
    }
  }
}

// Control points ENU (m) and their project coordinates under a rotation of 2e-4 rad about
// the vertical, a scale of 1 + 3e-5 and a shift into a Gauss-Krüger frame.
ProjectDefinition& appendControl(CoordTranslateInfo& info) {
  ProjectDefinition& d = info.appendDefinition();
  d.type = "Control points";
  d.srcpointsenu = {{-820, -640, 4}, {760, -700, -3}, {810, 690, 9}, {-750, 720, -6},
                    {40, -15, 2}, {-300, 250, 12}};
  const double theta = 2e-4, s = 1 + 3e-5;
  for (const Point3& e : d.srcpointsenu) {
    d.despoints.push_back({421000.0 + s * (std::cos(theta) * e.x + std::sin(theta) * e.y),
                           3376000.0 + s * (-std::sin(theta) * e.x + std::cos(theta) * e.y),
                           18.0 + s * e.z});
  }
  return d;
}

// A Control points definition converts without the origin: moving it changes nothing, and the
// prepared appliers give the bits of the one-off conversions throughout.
TEST(PipelineOps, PreparedControlConversionMatchesTheOneOffBitForBit) {
  EnuOrigin origin = originAt(117.3, 31.0, 35.0);
  CoordTranslateInfo info;
  info.origin = &origin;
  ProjectDefinition& d = appendControl(info);
  const ConsoleText console = fillTransformInfo(d);
  ASSERT_FALSE(d.transform->argsFailed);
  ASSERT_FALSE(d.transform->invArgsFailed);

  const std::vector<Point3> projectPoints = {{421000.0, 3376000.0, 18.0},
                                             {420123.25, 3376987.5, 40.5},
                                             {422345.75, 3375111.0, -3.0}};
  const std::vector<Point3> enuPoints = {{0, 0, 0}, {-512.5, 333.25, 7.0}, {901.0, -45.5, -2.0}};
  std::vector<Point3> firstEnu, firstProject;
  const Converter first(info, origin);
  const RunState state(first);
  for (const OriginEdit& edit : originEdits()) {
    SCOPED_TRACE(edit.name);
    edit.apply(origin);
    Conversion run(first.withOrigin(origin, state.boundariesSeen()));
    for (std::size_t i = 0; i < projectPoints.size(); ++i) {
      Point3 prepared, oneOff;
      ASSERT_TRUE(run.toEnu(projectPoints[i], prepared));
      ASSERT_TRUE(controlProjectToEnu(info.projects[0], projectPoints[i], oneOff));
      EXPECT_TRUE(sameBits(prepared, oneOff)) << "to ENU, point " << i;
      if (firstEnu.size() < projectPoints.size()) firstEnu.push_back(prepared);
      EXPECT_TRUE(sameBits(prepared, firstEnu[i])) << "to ENU, point " << i;

      ASSERT_TRUE(run.toProject(enuPoints[i], prepared));
      ASSERT_TRUE(controlEnuToProject(info.projects[0], enuPoints[i], oneOff));
      EXPECT_TRUE(sameBits(prepared, oneOff)) << "to project, point " << i;
      if (firstProject.size() < enuPoints.size()) firstProject.push_back(prepared);
      EXPECT_TRUE(sameBits(prepared, firstProject[i])) << "to project, point " << i;
    }
  }
}

// ---- Refusals, the type rule and the choice of definition. ----

// A converter always has an origin; without definitions nothing converts, and nothing is
// chosen.
TEST(PipelineOps, WithoutDefinitionsNothingConverts) {
  const EnuOrigin origin = originAt(117.0, 30.0);
  const CoordTranslateInfo info;
  Conversion run(info, origin);
  using Op = bool (Conversion::*)(const Point3&, Point3&);
  const struct {
    const char* name;
    Op op;
  } ops[] = {{"projectToEnu", &Conversion::toEnu},
             {"enuToProject", &Conversion::toProject},
             {"projectToZone", &Conversion::toZone}};
  for (const auto& op : ops) {
    SCOPED_TRACE(op.name);
    Point3 out = kUntouched;
    EXPECT_FALSE((run.*op.op)(kWorkedProject, out));
    EXPECT_TRUE(sameBits(out, kUntouched));
    EXPECT_FALSE(run.chosen());
  }
}

// Two definitions on central meridian 117° that differ by 1000 km of false easting, each with a
// 0.2° square about its own area: A about (116.5°, 30°), B about (117.5°, 30°). Their points,
// from PROJ:
//   echo "116.5 30 10 0" | cct -d 6 +proj=tmerc +lon_0=117 +k=1 +x_0=500000 +ellps=GRS80
//   echo "117.5 30 10 0" | cct -d 6 +proj=tmerc +lon_0=117 +k=1 +x_0=1500000 +ellps=GRS80
// Converted by the other definition a point would land 1000 km away; the one-off conversion
// of the expected definition is the reference.
TEST(PipelineOps, EachDirectionChoosesByItsOwnFrame) {
  EnuOrigin origin = originAt(117.0, 30.0);
  CoordTranslateInfo info;
  info.origin = &origin;
  appendGauss(info, 117.0, 500000.0).boundary = squareAbout(116.5, 30.0, 0.1);
  appendGauss(info, 117.0, 1500000.0).boundary = squareAbout(117.5, 30.0, 0.1);
  const ProjectDefinition a = info.projects[0];
  const ProjectDefinition b = info.projects[1];
  const Point3 inA{451756.551394, 3320218.650410, 10.0};
  const Point3 inB{1548243.448606, 3320218.650410, 10.0};
  Point3 enuA, enuB;
  ASSERT_TRUE(DefinitionChain(a, origin).toEnu(inA, enuA));
  ASSERT_TRUE(DefinitionChain(b, origin).toEnu(inB, enuB));
  Conversion run(info, origin);
  ASSERT_NEAR(enuA.x, -48200.0, 500.0);  // the areas lie either side of the origin
  ASSERT_NEAR(enuB.x, 48200.0, 500.0);

  const struct {
    Point3 project;
    std::size_t chosen;
    const ProjectDefinition& definition;
    Point3 enuOfTheOther;  // converted back right after
    const ProjectDefinition& other;
    std::size_t otherIndex;
  } steps[] = {{inA, 0, a, enuB, b, 1}, {inB, 1, b, enuA, a, 0}};
  for (const auto& step : steps) {
    SCOPED_TRACE("definition " + std::to_string(step.chosen));
    Point3 enu, expected;
    ASSERT_TRUE(run.toEnu(step.project, enu));
    ASSERT_TRUE(DefinitionChain(step.definition, origin).toEnu(step.project, expected));
    EXPECT_TRUE(sameBits(enu, expected));
    ASSERT_TRUE(run.chosen());
    EXPECT_EQ(*run.chosen(), step.chosen);

    // The previous choice plays no part: the ENU point goes to the other definition.
    Point3 project, expectedProject;
    ASSERT_TRUE(run.toProject(step.enuOfTheOther, project));
    ASSERT_TRUE(DefinitionChain(step.other, origin).fromEnu(step.enuOfTheOther, expectedProject));
    EXPECT_TRUE(sameBits(project, expectedProject));
    ASSERT_TRUE(run.chosen());
    EXPECT_EQ(*run.chosen(), step.otherIndex);
  }

  // A point that cannot be converted still becomes the choice (a NaN distance never replaces
  // the first definition), and nothing is written.
  Point3 out = kUntouched;
  EXPECT_FALSE(run.toEnu({NAN, inB.y, 0.0}, out));
  EXPECT_TRUE(sameBits(out, kUntouched));
  ASSERT_TRUE(run.chosen());
  EXPECT_EQ(*run.chosen(), 0u);
}

// ---- projectToZone ----

// The zone projection is the exact transverse Mercator of PROJ on WGS84 (the zone's ellipsoid
// differs from it in the last bit of f), applied after the ENU -> geodetic step, here with the
// geodetic point the project point was made from. The series, the closed-form back-conversion
// and the cct rounding stay far below 1 mm within 2° of the central meridians used.
constexpr double kZoneToleranceM = 0.001;

struct ZoneCase {
  const char* name;
  const char* centralMeridian;  // as written in the coordinate file; the origin lies on it
  Point3 project;
  Point3 expected;
  int32_t zonecode;
};

// An object document with one "Custom Gauss" definition: false easting 500000 m, the ENU
// origin at (centralMeridian, 30.5°).
std::string gaussDocument(const std::string& centralMeridian) {
  return R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": )" +
         centralMeridian + R"(, "xoffset": 500000, "basepoint": [)" + centralMeridian +
         ", 30.5]}}";
}

TEST(PipelineOps, ProjectToZoneUsesTheZoneOfTheCentralMeridian) {
  const ZoneCase cases[] = {
      // (117°, 31°, 25 m): on the meridian, x = 500000.
      //   echo "117 31 25 0" | cct -d 6 +proj=tmerc +lon_0=117 +k=1 +x_0=500000 +ellps=GRS80
      //   echo "117 31 25 0" | cct -d 6 +proj=tmerc +lon_0=117 +k=1 +x_0=500000 +ellps=WGS84
      {"central meridian 117", "117", {500000.000000, 3430974.323409, 25.0},
       {500000.000000, 3430974.323506, 25.0},
       4548},
      // Central meridian 118.6° lies in zone 4549 (central meridian 120°). The point, at
      // 118.4°, would give zone 4548 by its own longitude: the definition's code wins.
      //   echo "118.4 30.7 15 0" | cct -d 6 +proj=tmerc +lon_0=118.6 +k=1 +x_0=500000 +ellps=GRS80
      //   echo "118.4 30.7 15 0" | cct -d 6 +proj=tmerc +lon_0=120 +k=1 +x_0=500000 +ellps=WGS84
      {"central meridian 118.6", "118.6", {480839.593879, 3397731.329301, 15.0},
       {346707.291722, 3398807.184804, 15.0},
       4549},
  };
  for (const ZoneCase& c : cases) {
    SCOPED_TRACE(c.name);
    coordtest::Parsing parsing;
    ASSERT_TRUE(parsing.parseLocal(gaussDocument(c.centralMeridian))) << parsing.error;
    CoordTranslateInfo& info = parsing.local;
    ASSERT_EQ(info.projects.size(), 1u);
    Conversion run(info, *info.origin);
    Point3 zone = kUntouched;
    ASSERT_TRUE(run.toZone(c.project, zone));
    expectNear(zone, c.expected, kZoneToleranceM);
    EXPECT_EQ(run.converter.zoneCode(0, run.zones), c.zonecode);
    EXPECT_FALSE(run.zones.code(0)) << "a parsed zone is not fixed by the run";
  }
}

// A Control points definition has no zone until its first point: at 113.2° that is 4547
// (central meridian 114°), and a later point at 115.7° (zone 4548 by its own longitude) stays
// on 114°. The stored transform is a plain shift: project = ENU + (500000, 3300000, 0).
// ENU about (114.5°, 30.5°, 0 m), and the zone values, from PROJ:
//   printf "113.2 30.5 20 0\n115.7 30.6 35 0\n" | cct -d 6 +proj=pipeline
//     +step +proj=cart +ellps=WGS84
//     +step +proj=topocentric +ellps=WGS84 +lon_0=114.5 +lat_0=30.5 +h_0=0
//   printf "113.2 30.5 20 0\n115.7 30.6 35 0\n" | cct -d 6
//     +proj=tmerc +lon_0=114 +k=1 +x_0=500000 +ellps=WGS84
TEST(PipelineOps, ControlPointsTakeTheZoneOfTheFirstPoint) {
  EnuOrigin origin = originAt(114.5, 30.5);
  CoordTranslateInfo info;
  info.origin = &origin;
  const ProjectDefinition& d = pipelinetest::addShiftedControlPoints(info);
  ASSERT_EQ(d.zonecode, -1);
  Conversion run(info, origin);
  ASSERT_FALSE(run.converter.zoneCode(0, run.zones));

  const Point3 shift{500000.0, 3300000.0, 0.0};
  const struct {
    Point3 enu;
    Point3 zone;
  } points[] = {
      {{-124788.288944, 718.541838, -1199.841978}, {423199.639108, 3375813.869711, 20.0}},
      {{115072.911510, 11697.858540, -1013.010762}, {663042.594433, 3387859.397888, 35.0}},
  };
  for (std::size_t i = 0; i < std::size(points); ++i) {
    SCOPED_TRACE("point " + std::to_string(i));
    const Point3& e = points[i].enu;
    Point3 zone = kUntouched;
    ASSERT_TRUE(run.toZone({e.x + shift.x, e.y + shift.y, e.z + shift.z}, zone));
    expectNear(zone, points[i].zone, kZoneToleranceM);
    EXPECT_EQ(run.zones.code(0), 4547);
    EXPECT_EQ(run.converter.zoneCode(0, run.zones), 4547);
  }
}

// A forward conversion that fails leaves the output and the zone code alone.
TEST(PipelineOps, ProjectToZoneRefusesWhatProjectToEnuRefuses) {
  EnuOrigin origin = originAt(117.0, 30.0);

  CoordTranslateInfo none;
  none.origin = &origin;

  CoordTranslateInfo failedFit;
  failedFit.origin = &origin;
  ProjectDefinition& control = failedFit.appendDefinition();
  control.type = "Control points";
  control.srcpointsenu = {{0, 0, 0}, {100, 100, 0}};  // two pairs: no fit
  control.despoints = {{500000, 3320000, 0}, {500100, 3320100, 0}};
  const ConsoleText console = fillTransformInfo(control);
  ASSERT_TRUE(control.transform->invArgsFailed);

  CoordTranslateInfo gauss;
  gauss.origin = &origin;
  appendGauss(gauss, 117.0, 500000.0);

  const struct {
    const char* name;
    CoordTranslateInfo& info;
    Point3 project;
  } cases[] = {
      {"no definitions", none, kWorkedProject},
      {"control points whose fit failed", failedFit, kWorkedProject},
      {"not a number", gauss, {500000.0, NAN, 0.0}},
      {"infinite", gauss, {INFINITY, 3320113.398, 0.0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Conversion run(c.info, origin);
    Point3 zone = kUntouched;
    EXPECT_FALSE(run.toZone(c.project, zone));
    EXPECT_TRUE(sameBits(zone, kUntouched));
    for (std::size_t i = 0; i < c.info.projects.size(); ++i) {
      EXPECT_FALSE(run.zones.code(i));
    }
  }
}

}  // namespace
