// End-to-end runs through "Control points" definitions (object and array documents, transform
// stored in the file or fitted from the points) in all three modes, and through an array of
// three bounded "Custom Gauss" definitions, each vertex going to the definition of its area.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_harness.h"
#include "common/three_areas.h"
#include "coordinfo/point3.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

const std::string kFitLabels = "source_points: \ntarget_points: \nave_src: \nave_tar: \n";

std::string repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

std::string number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string numberList(const std::vector<double>& values) {
  std::string text = "[";
  for (std::size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + number(values[i]);
  return text + "]";
}

std::string objText(const std::vector<Point3>& points) {
  std::string text = "o mesh\n";
  char line[120];
  for (const Point3& p : points) {
    std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", p.x, p.y, p.z);
    text += line;
  }
  return text + "f 1 2 3\n";
}

// The vertices of an OBJ file as points.
std::vector<Point3> vertices(const std::string& objText) {
  const std::vector<double> v = cli::vertexNumbers(objText);
  std::vector<Point3> points;
  for (std::size_t k = 0; k + 2 < v.size(); k += 3) points.push_back({v[k], v[k + 1], v[k + 2]});
  return points;
}

// Each vertex within `toleranceM` of its expected value; `labels` name the vertices in failures.
void expectPoints(const std::vector<Point3>& actual, const std::vector<Point3>& expected,
                  double toleranceM, const std::vector<std::string>& labels = {}) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("vertex " + std::to_string(i + 1) + (i < labels.size() ? " " + labels[i] : ""));
    EXPECT_NEAR(actual[i].x, expected[i].x, toleranceM);
    EXPECT_NEAR(actual[i].y, expected[i].y, toleranceM);
    EXPECT_NEAR(actual[i].z, expected[i].z, toleranceM);
  }
}

// ---- Control points ----

// Five control points about (113.2°, 30.5°): geodetic, and ENU about the centre of their
// longitudes and latitudes, (113.2°, 30.5°, 0 m), which is the frame the definition works in:
//   printf "113.19 30.49 12 0\n113.21 30.492 25 0\n113.205 30.51 40 0\n113.192 30.505 18 0\n
//           113.2 30.5 30 0\n" | cct -d 6 +proj=pipeline +step +proj=cart +ellps=WGS84
//     +step +proj=topocentric +ellps=WGS84 +lon_0=113.2 +lat_0=30.5 +h_0=0
// and their 3-degree zone coordinates (zone 4547, central meridian 114°):
//   ... | cct -d 6 +proj=tmerc +lon_0=114 +k=1 +x_0=500000 +ellps=WGS84
struct ControlPoint {
  Point3 geodetic;
  Point3 enu;
  Point3 zone;
};
const ControlPoint kControlPoints[] = {
    {{113.19, 30.49, 12}, {-960.089261, -1108.567831, 11.831065},
     {422231.649366, 3374712.053647, 12}},
    {{113.21, 30.492, 25}, {960.071581, -886.847714, 24.865894},
     {424153.467150, 3374920.180497, 25}},
    {{113.205, 30.51, 40}, {479.948534, 1108.627572, 39.885211},
     {423687.465632, 3376919.140526, 40}},
    {{113.192, 30.505, 18}, {-767.954297, 554.333552, 17.929619},
     {422435.578906, 3376373.671669, 18}},
    {{113.2, 30.5, 30}, {0.0, 0.0, 30.0}, {423199.639108, 3375813.869711, 30}},
};

// The project frame of the site: a rotation of θ = 3e-4 rad about the vertical, a scale of
// s = 1 + 2.5e-5 and a shift, applied here to ENU points:
//   project = P0 + s·R(θ)·enu,  R(θ) = | cos θ   sin θ |  (heights: P0.z + s·up)
//                                      | −sin θ  cos θ |
// The definition's model, R = |1 εz; −εz 1| scaled by 1 + k, holds this exactly in the plane
// with εz = tan θ and 1 + k = s·cos θ; the height then scales by s·cos θ instead of s, 2 µm at
// 50 m. The inverse is εz = −tan θ, 1 + k = cos θ / s.
struct SiteFrame {
  double theta = 3e-4;
  double s = 1 + 2.5e-5;
  Point3 p0{40000.0, 25000.0, 8.5};

  Point3 toProject(const Point3& e) const {
    return {p0.x + s * (std::cos(theta) * e.x + std::sin(theta) * e.y),
            p0.y + s * (-std::sin(theta) * e.x + std::cos(theta) * e.y), p0.z + s * e.z};
  }
  // The transform as the file stores it: args/src/tar map ENU onto the project frame, and
  // inv_args/inv_src/inv_tar back.
  std::string storedTransform() const {
    return R"("transform": {"args": )" +
           numberList({0, 0, 0, 0, 0, std::tan(theta), s * std::cos(theta) - 1}) +
           R"(, "src": [0, 0, 0], "tar": )" + numberList({p0.x, p0.y, p0.z}) +
           R"(, "inv_args": )" +
           numberList({0, 0, 0, 0, 0, -std::tan(theta), std::cos(theta) / s - 1}) +
           R"(, "inv_src": )" + numberList({p0.x, p0.y, p0.z}) + R"(, "inv_tar": [0, 0, 0]})";
  }
};

// ENU points between the control points, for the conversion away from the points themselves.
const Point3 kBetween[] = {{250.0, -310.0, 5.0}, {-700.0, 650.0, 12.0}};

std::string controlDefinition(bool storedTransform) {
  const SiteFrame frame;
  std::vector<double> src, des;
  for (const ControlPoint& c : kControlPoints) {
    const Point3 p = frame.toProject(c.enu);
    src.insert(src.end(), {c.geodetic.x, c.geodetic.y, c.geodetic.z});
    des.insert(des.end(), {p.x, p.y, p.z});
  }
  std::string define = R"("srcpoints": )" + numberList(src) + R"(, "despoints": )" +
                       numberList(des);
  if (storedTransform) define += ", " + frame.storedTransform();
  return R"({"projectid": "site", "type": "Control points", "define": {)" + define + "}}";
}

struct ControlCase {
  const char* name;
  bool array;
  bool storedTransform;
  // Fit label lines before the first message: an object document without "transform" is fitted
  // by each of the two parses (8 lines each); an array document's definition is fitted on its
  // first conversion (8 lines, once per run); a stored transform is never refitted.
  int labelBlocks;
};

const ControlCase kControlCases[] = {
    // The text is read once: the two fits (one per direction) print their labels once.
    {"object document, fitted", false, false, 2},
    {"object document, stored transform", false, true, 0},
    {"array document, fitted", true, false, 2},
    {"array document, stored transform", true, true, 0},
};

std::string coordText(const ControlCase& c) {
  const std::string definition = controlDefinition(c.storedTransform);
  return c.array ? "[" + definition + "]" : definition;
}

// Project -> ENU (-toProj=0) and ENU -> project (-bENU=1) through the definition, and the
// round trip. The control points and the points between them are checked against the ENU
// values of cct and the frame applied above: a fitted transform reproduces the frame to its
// linearisation, under 0.1 mm over these ±1.2 km; 1 mm.
TEST(ControlPointsCli, ConvertBothWaysInEveryDocumentForm) {
  const SiteFrame frame;
  std::vector<Point3> enu, project;
  for (const ControlPoint& c : kControlPoints) enu.push_back(c.enu);
  for (const Point3& e : kBetween) enu.push_back(e);
  for (const Point3& e : enu) project.push_back(frame.toProject(e));

  for (const ControlCase& c : kControlCases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.write("c.json", coordText(c));
    box.write("in/project.obj", objText(project));
    box.write("in/enu.obj", objText(enu));
    const std::string success = repeated(kFitLabels, c.labelBlocks) + "convert success!!\n";

    const RunResult toEnu = box.run({"-input=in/project.obj", "-coord=c.json",
                                     "-output=enu.obj", "-toProj=0",
                                     "-inputbase=ENU:113.2,30.5"});
    ASSERT_EQ(toEnu.exitStatus, 0) << toEnu.out << toEnu.err;
    EXPECT_EQ(toEnu.out, success);
    expectPoints(vertices(box.read("enu.obj")), enu, 0.001);

    const RunResult toProject = box.run({"-input=in/enu.obj", "-coord=c.json",
                                         "-output=project.obj", "-toProj=0", "-bENU=1"});
    ASSERT_EQ(toProject.exitStatus, 0) << toProject.out << toProject.err;
    EXPECT_EQ(toProject.out, success);
    expectPoints(vertices(box.read("project.obj")), project, 0.001);

    // The ENU output of the first run, taken back.
    const RunResult back = box.run({"-input=enu.obj", "-coord=c.json", "-output=back.obj",
                                    "-toProj=0", "-bENU=1"});
    ASSERT_EQ(back.exitStatus, 0) << back.out << back.err;
    expectPoints(vertices(box.read("back.obj")), project, 0.001);
  }
}

// Zone mode (the default): the definition has no zone until its first point, which lies at
// 113.19° (zone 4547, central meridian 114°); the output is the zone projection of each
// control point's geodetic position (the fitted frame reproduces it within 1 mm; the height is
// the ellipsoidal height). The printed code and the base file give the zone of the control
// points' centre, 113.2°: the same zone.
TEST(ControlPointsCli, ZoneModeTakesTheZoneOfTheFirstPoint) {
  const SiteFrame frame;
  std::vector<Point3> project, zone;
  for (const ControlPoint& c : kControlPoints) {
    project.push_back(frame.toProject(c.enu));
    zone.push_back(c.zone);
  }
  for (const bool stored : {false, true}) {
    SCOPED_TRACE(stored ? "stored transform" : "fitted");
    Sandbox box;
    box.write("c.json", controlDefinition(stored));
    box.write("in/a.obj", objText(project));
    const RunResult result =
        box.run({"-input=in/a.obj", "-coord=c.json", "-output=zone.obj", "-base=zone.txt"});
    ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;
    EXPECT_EQ(result.out, repeated(kFitLabels, stored ? 0 : 2) + "4547\nconvert success!!\n");
    EXPECT_EQ(box.read("zone.txt"), "4547");
    expectPoints(vertices(box.read("zone.obj")), zone, 0.001);
  }
}

// ---- Three bounded definitions ----

// Three areas 3° apart at 30° N, each a "Custom Gauss" definition on its own central meridian
// with the zone number before the false easting (37, 38, 39 for 111°, 114°, 117°), so that
// their project coordinates differ by 1000 km, and each with a 0.2° square about its area.
// The origin is (114°, 30°, 0 m). One vertex per area, and one 5 km outside the middle area's
// square (its polygon is the nearest). Values from PROJ, for each vertex "lon lat h":
//   project: cct -d 6 +proj=tmerc +lon_0=<CM> +k=1 +x_0=<CM's false easting> +ellps=GRS80
//   ENU:     cct -d 6 +proj=pipeline +step +proj=cart +ellps=WGS84
//              +step +proj=topocentric +ellps=WGS84 +lon_0=114 +lat_0=30 +h_0=0
//   zone:    cct -d 6 +proj=tmerc +lon_0=<CM> +k=1 +x_0=500000 +ellps=WGS84
// Converted by a neighbour's definition a vertex would be off by hundreds of kilometres.
using testdocs::kThreeAreas;

struct AreaVertex {
  const char* where;
  Point3 project;
  Point3 enu;
  Point3 zone;
};
const AreaVertex kAreaVertices[] = {
    // 113.95 29.97 20
    {"middle", {38495174.235285, 3316788.884016, 20}, {-4825.778913, -3324.523191, 17.305826},
     {495174.235285, 3316788.884112, 20}},
    // 117.05 30.02 30
    {"east", {39504823.346657, 3322331.502993, 30}, {294086.571716, 6131.731068, -6750.791549},
     {504823.346657, 3322331.503089, 30}},
    // 111.02 30.03 10
    {"west", {37501929.144938, 3323439.147208, 10}, {-287313.465802, 7062.279977, -6463.014554},
     {501929.144938, 3323439.147303, 10}},
    // 114.15 30.0 5
    {"outside, nearest the middle", {38514472.950367, 3320122.870383, 5},
     {14472.936841, 9.472520, -11.406887}, {514472.950367, 3320122.870478, 5}},
};

// Series, closed-form back-conversion (300 km from the origin, 6.8 km below its tangent plane)
// and cct rounding together stay well under 1 mm this close to the central meridians.
constexpr double kAreaToleranceM = 0.001;

TEST(ControlPointsCli, EachVertexGoesToTheDefinitionOfItsArea) {
  Sandbox box;
  box.write("c.json", kThreeAreas);
  std::vector<Point3> project, enu, zone;
  std::vector<std::string> areas;
  for (const AreaVertex& v : kAreaVertices) {
    areas.push_back(std::string("(area: ") + v.where + ")");
    project.push_back(v.project);
    enu.push_back(v.enu);
    zone.push_back(v.zone);
  }
  box.write("in/project.obj", objText(project));
  box.write("in/enu.obj", objText(enu));

  const struct {
    const char* mode;
    std::vector<std::string> args;
    const std::vector<Point3>& expected;
    const char* stdoutText;
  } runs[] = {
      {"project -> ENU",
       {"-input=in/project.obj", "-output=out.obj", "-toProj=0", "-inputbase=ENU:114,30"},
       enu,
       "convert success!!\n"},
      {"ENU -> project", {"-input=in/enu.obj", "-output=out.obj", "-toProj=0", "-bENU=1"},
       project, "convert success!!\n"},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.mode);
    std::vector<std::string> args = run.args;
    args.push_back("-coord=c.json");
    const RunResult result = box.run(args);
    ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;
    EXPECT_EQ(result.out, run.stdoutText);
    expectPoints(vertices(box.read("out.obj")), run.expected, kAreaToleranceM, areas);
  }
  // Onto the zones: the areas' definitions lie on different zones, and one file is projected
  // onto one zone, so the tile fails at its first vertex on another zone than its first one.
  const RunResult zoned = box.run({"-input=in/project.obj", "-output=zone.obj", "-coord=c.json"});
  EXPECT_EQ(zoned.exitStatus, 255);
  EXPECT_EQ(zoned.out, "convert vertex error!!\n");
  EXPECT_NE(zoned.err.find("a file is projected onto one zone"), std::string::npos) << zoned.err;
  EXPECT_FALSE(box.exists("zone.obj"));
}

}  // namespace
