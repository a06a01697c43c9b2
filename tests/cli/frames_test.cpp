// End-to-end runs on where vertices land: one ENU frame per run whatever definition converts a
// vertex, origins given or computed and checked, failures instead of positions that do not
// exist, and visible mistakes in the coordinate file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli/cli_harness.h"
#include "common/readme_site.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

// The README's site and region (tests/common/readme_site.h).
const char* const kSite = testdocs::kReadmeSite;
const char kRegion[] = R"({ "projectid": "region", "type": "Custom Gauss",
    "define": { "centralMeridianLongitude": 117, "xoffset": 500000 },
    "boundary": [116.0, 29.0, 118.0, 29.0, 118.0, 31.0, 116.0, 31.0] })";
const std::string kSiteAndRegion = std::string("[") + kSite + "," + kRegion + "]";

// One vertex in the site, one in the region.
const char kProjectVertices[] = "v 500012.5 3320000 30\nv 520000 3340000 30\n";

const std::string kFitLabels = "source_points: \ntarget_points: \nave_src: \nave_tar: \n";

std::vector<double> run(const Sandbox& box, std::vector<std::string> args, RunResult* result) {
  *result = box.run(args);
  return cli::vertexNumbers(box.read("out.obj"));
}

// With -inputbase away from the site's fitted frame, both vertices are written about
// -inputbase, (117.05°, 30.02°, 0 m):
// - the site vertex is (0.000189, −105.148574, 19.889582) in the fitted frame (the output with
//   -inputbase at that frame, written unchanged to the last digit), moved into the new frame:
//     echo "0.000189 -105.148574 19.889582" | cct -d 6 +proj=pipeline
//       +step +inv +proj=topocentric +ellps=WGS84 +lon_0=117 +lat_0=30 +h_0=0
//       +step +proj=topocentric +ellps=WGS84 +lon_0=117.05 +lat_0=30.02 +h_0=0
// - the region vertex through its chain:
//     echo "520000 3340000 30" | cct -d 6 +proj=pipeline +step +inv +proj=tmerc +lon_0=117
//       +k=1 +x_0=500000 +ellps=GRS80 +step +proj=cart +ellps=WGS84
//       +step +proj=topocentric +ellps=WGS84 +lon_0=117.05 +lat_0=30.02 +h_0=0
// Tolerances: 0.01 mm for the site (the six-decimal reference), 0.5 mm for the region (the
// series against PROJ's exact projection, 20 km from the meridian).
TEST(Frames, EveryVertexOfARunIsAboutItsOrigin) {
  Sandbox box;
  box.write("c.json", kSiteAndRegion);
  box.write("in/a.obj", kProjectVertices);
  RunResult atFittedFrame;
  run(box, {"-input=in/a.obj", "-coord=c.json", "-output=out.obj", "-toProj=0",
            "-inputbase=ENU:117,30"},
      &atFittedFrame);
  ASSERT_EQ(atFittedFrame.exitStatus, 0) << atFittedFrame.err;
  EXPECT_EQ(box.read("out.obj").substr(0, 33), "v 0.000189 -105.148574 19.889582\n");

  RunResult moved;
  const std::vector<double> v = run(box, {"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                          "-toProj=0", "-inputbase=ENU:117.05,30.02"},
                                    &moved);
  ASSERT_EQ(moved.exitStatus, 0) << moved.err;
  ASSERT_EQ(v.size(), 6u);
  const double expected[] = {-4824.374122, -2321.154535, 17.643286,
                             15184.409055, 17661.842746, -12.616042};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_NEAR(v[i], expected[i], i < 3 ? 1e-5 : 5e-4) << "number " << i;
  }
}

// The zone mode goes through each vertex's geodetic position, so the origin does not matter:
// a "basepoint" 2 km from the fitted frame, and a second control-point definition 38 km away
// (which moves the process-wide origin to its own centre), give the zone coordinates of the
// site alone. The only difference left is the closed-form back-conversion, far below 1 µm.
TEST(Frames, ZoneCoordinatesDoNotDependOnTheOrigin) {
  std::string siteObject = kSite;
  siteObject = siteObject.substr(0, siteObject.find(",\n    \"boundary\"")) + "}";
  std::string siteWithBase = siteObject;
  siteWithBase.replace(siteWithBase.find("\"srcpoints\""), 0, "\"basepoint\": [117.02, 30.01], ");
  // A second site 0.4° farther east (its fit only has to succeed).
  const std::string farSite = R"({ "projectid": "far", "type": "Control points",
    "define": {
      "srcpoints": [117.30, 29.95, 30.1, 117.50, 29.95, 31.4, 117.50, 30.05, 29.8,
                    117.30, 30.05, 30.6],
      "despoints": [528859.036, 3314566.753, 30.5, 548165.964, 3314566.753, 31.8,
                    548156.290, 3325652.005, 30.2, 528868.710, 3325652.005, 31.0]},
    "boundary": [117.3, 29.95, 117.5, 29.95, 117.5, 30.05, 117.3, 30.05] })";
  const std::string twoSites = "[" + std::string(kSite) + "," + farSite + "]";

  std::vector<std::vector<double>> results;
  for (const std::string& coord : {siteObject, siteWithBase, twoSites}) {
    SCOPED_TRACE(coord.substr(0, 60));
    Sandbox box;
    box.write("c.json", coord);
    box.write("in/a.obj", "v 500012.5 3320000 30\nv 505000 3318000 31\n");
    RunResult result;
    results.push_back(run(box, {"-input=in/a.obj", "-coord=c.json", "-output=out.obj"}, &result));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("4548\nconvert success!!\n"), std::string::npos) << result.out;
  }
  ASSERT_EQ(results[0].size(), 6u);
  for (std::size_t k = 1; k < results.size(); ++k) {
    ASSERT_EQ(results[k].size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
      EXPECT_NEAR(results[k][i], results[0][i], 2e-6) << "coordinate file " << k << ", " << i;
    }
  }
}

// A computed base point is the geodetic position of the centre of all vertices, also when a
// control-point definition converts them, rounded to the six decimals of the base file: the
// centre (a vertex here) lies within 0.1 m of east 0, north 0, and the base file given back as
// -inputbase gives the same bytes.
TEST(Frames, ComputedBasePointIsTheCentreOfTheVertices) {
  std::string siteObject = kSite;
  siteObject = siteObject.substr(0, siteObject.find(",\n    \"boundary\"")) + "}";
  Sandbox box;
  box.write("c.json", siteObject);
  box.write("in/a.obj",
            "v 500012.5 3320000 30\nv 500800 3320500 31\nv 500406.25 3320250 30.5\n");
  RunResult computed;
  const std::vector<double> v = run(box, {"-input=in/a.obj", "-coord=c.json",
                                          "-output=out.obj", "-toProj=0", "-base=base.txt"},
                                    &computed);
  ASSERT_EQ(computed.exitStatus, 0) << computed.err;
  ASSERT_EQ(v.size(), 9u);
  EXPECT_NEAR(v[6], 0.0, 0.1);
  EXPECT_NEAR(v[7], 0.0, 0.1);
  const std::string computedText = box.read("out.obj");
  const std::string base = box.read("base.txt");
  ASSERT_EQ(base.rfind("ENU:", 0), 0u) << base;
  const std::string latLon = base.substr(4);
  const std::string lat = latLon.substr(0, latLon.find(','));
  const std::string lon = latLon.substr(latLon.find(',') + 1);
  RunResult given;
  const std::vector<double> w = run(box, {"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                          "-toProj=0", "-inputbase=ENU:" + lon + "," + lat},
                                    &given);
  ASSERT_EQ(given.exitStatus, 0) << given.err;
  ASSERT_EQ(w.size(), 9u);
  EXPECT_EQ(box.read("out.obj"), computedText);
}

// ENU -> project reads ENU about the run's origin: -inputbase, else the file's "basepoint",
// else the centre of the last control-point definition's source points; project -> ENU takes
// -inputbase, else the file's "basepoint", before it computes one. Each round trip
// returns both vertices (site and region) to within 0.05 mm.
TEST(Frames, EnuBackToTheProjectFrameAboutTheSameOrigin) {
  const std::string withBasepoint =
      std::string("[") + kSite + "," +
      std::string(kRegion).replace(std::string(kRegion).find("\"xoffset\""), 0,
                                   "\"basepoint\": [116.98, 30.03], ") +
      "]";
  const struct {
    const char* name;
    std::string coord;
    std::string origin;                   // -inputbase of the way to ENU
    std::vector<std::string> backOrigin;  // origin flags of the way back
  } cases[] = {
      {"-inputbase both ways", kSiteAndRegion, "ENU:117.05,30.02",
       {"-inputbase=ENU:117.05,30.02"}},
      {"the file's basepoint",
       withBasepoint,
       "ENU:116.98,30.03", {}},
      {"the control points' centre", kSiteAndRegion, "ENU:117,30", {}},
      // No flag either way: both directions take the file's basepoint.
      {"the file's basepoint, no flags",
       withBasepoint,
       "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.write("c.json", c.coord);
    box.write("in/a.obj", kProjectVertices);
    std::vector<std::string> toEnuArgs = {"-input=in/a.obj", "-coord=c.json", "-output=enu.obj",
                                          "-toProj=0"};
    if (!c.origin.empty()) toEnuArgs.push_back("-inputbase=" + c.origin);
    const RunResult toEnu = box.run(toEnuArgs);
    ASSERT_EQ(toEnu.exitStatus, 0) << toEnu.err;
    std::vector<std::string> args = {"-input=enu.obj", "-coord=c.json", "-output=out.obj",
                                     "-toProj=0", "-bENU=1"};
    args.insert(args.end(), c.backOrigin.begin(), c.backOrigin.end());
    RunResult back;
    const std::vector<double> v = run(box, args, &back);
    ASSERT_EQ(back.exitStatus, 0) << back.err;
    // Only the fallback to the control points' centre warns, naming it.
    EXPECT_EQ(back.err.find("the centre of the control points") != std::string::npos,
              c.backOrigin.empty() && c.coord == kSiteAndRegion)
        << back.err;
    const std::vector<double> original = cli::vertexNumbers(kProjectVertices);
    ASSERT_EQ(v.size(), original.size());
    for (std::size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], original[i], 5e-5) << i;
  }
}

TEST(Frames, EnuWithoutAnyOriginWarns) {
  Sandbox box;
  box.write("c.json", kRegion);
  box.write("in/a.obj", "v 0 0 0\n");
  const RunResult result = box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                    "-toProj=0", "-bENU=1"});
  EXPECT_EQ(result.err.substr(0, result.err.find('\n') + 1),
            "quorvex: warning: no ENU origin given (-inputbase, or \"basepoint\" in the coordinate "
            "file): the ENU vertices are taken to be about longitude 0, latitude 0; give the base "
            "point of the run that wrote them as -inputbase=ENU:LON,LAT (its base file holds "
            "ENU:LAT,LON)\n");
  // Longitude 0 is 117° from the meridian: nothing this projection can represent.
  EXPECT_EQ(result.out, "convert vertex error!!\n");
}

TEST(Frames, InputbaseIsCheckedBeforeAnythingIsWritten) {
  const char* const refused[] = {"ENU:abc",      "ENU:117",  "ENU:30.0,117.0", "117,30,5",
                                 "ENU:nan,30",   "ENU:400,30", "ENU:117,-91",  ",30",
                                 "ENU:117x,30", "ENU:1e999,30"};
  for (const std::string mode : {"0", "1"}) {
    for (const char* value : refused) {
      SCOPED_TRACE(std::string(value) + " bENU=" + mode);
      Sandbox box;
      box.write("c.json", kSiteAndRegion);
      box.write("in/a.obj", kProjectVertices);
      const RunResult result =
          box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj", "-toProj=0",
                   "-bENU=" + mode, "-base=base.txt", std::string("-inputbase=") + value});
      EXPECT_EQ(result.exitStatus, 255);
      EXPECT_EQ(result.out, "inputbase set error!!\n");
      EXPECT_NE(result.err.find("expected [PREFIX:]LON,LAT"), std::string::npos) << result.err;
      EXPECT_FALSE(box.exists("out.obj"));
      EXPECT_FALSE(box.exists("base.txt"));
    }
  }
  // Accepted spellings of one origin give one output.
  std::string first;
  for (const char* value : {"ENU:117.05,30.02", "117.05,30.02", "XY: +117.05 , 30.020"}) {
    SCOPED_TRACE(value);
    Sandbox box;
    box.write("c.json", kSiteAndRegion);
    box.write("in/a.obj", kProjectVertices);
    const RunResult result = box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                      "-toProj=0", std::string("-inputbase=") + value});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    if (first.empty()) first = box.read("out.obj");
    EXPECT_EQ(box.read("out.obj"), first);
  }
}

// A definition without a project polygon (its fit failed, or its boundary lies off its own
// projection) never lets its vertices go through a neighbour.
TEST(Frames, ADefinitionWithoutAProjectPolygonFailsItsArea) {
  // Two point pairs: no fit.
  const std::string twoPointSite = R"({ "projectid": "site", "type": "Control points",
    "define": { "srcpoints": [116.90, 29.95, 30.1, 117.10, 30.05, 29.8],
                "despoints": [490359.036, 3314566.753, 30.5, 509656.290, 3325652.005, 30.2]},
    "boundary": [116.9, 29.95, 117.1, 29.95, 117.1, 30.05, 116.9, 30.05] })";
  const std::string region105 = std::string(kRegion).replace(
      std::string(kRegion).find("117"), 3, "105");  // its boundary lies 11°-13° away
  const struct {
    const char* name;
    std::string coord;
    std::vector<std::string> mode;
    const char* stderrPart;
  } cases[] = {
      {"failed fit, project -> ENU", "[" + twoPointSite + "," + kRegion + "]",
       {"-toProj=0", "-inputbase=117,30"}, "definition [0] \"site\" has no boundary polygon"},
      {"failed fit, zone", "[" + twoPointSite + "," + kRegion + "]", {},
       "definition [0] \"site\" has no boundary polygon"},
      {"failed fit, ENU -> project", "[" + twoPointSite + "," + kRegion + "]",
       {"-toProj=0", "-bENU=1", "-inputbase=117,30"},
       "the control-point fit of definition \"site\" failed"},
      {"boundary off the projection", "[" + region105 + "," + kRegion + "]",
       {"-toProj=0", "-inputbase=117,30"}, "boundary point 1 cannot be converted: longitude 116°"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.write("c.json", c.coord);
    // In ENU about (117°, 30°), (0, -100, 0) lies inside the site's polygon.
    box.write("in/a.obj", c.mode.size() == 3 ? "v 0 -100 0\n" : "v 500012.5 3320000 30\n");
    std::vector<std::string> args = {"-input=in/a.obj", "-coord=c.json", "-output=out.obj"};
    args.insert(args.end(), c.mode.begin(), c.mode.end());
    const RunResult result = box.run(args);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_NE(result.out.find("convert vertex error!!\n"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("in/a.obj:1: vertex"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(c.stderrPart), std::string::npos) << result.err;
    EXPECT_FALSE(box.exists("out.obj"));
  }
}

// Positions the projection cannot represent fail in every mode instead of coming out as
// finite nonsense.
TEST(Frames, PointsOffTheProjectionFail) {
  const char kRegionWithBase[] = R"({"type": "Custom Gauss", "define": {
      "centralMeridianLongitude": 117, "xoffset": 500000, "basepoint": [117, 30]}})";
  const struct {
    const char* vertex;
    std::vector<std::string> mode;
    const char* reason;
  } cases[] = {
      {"v 50000000 3320000 0", {"-toProj=0"}, "beyond the pole"},
      {"v 1e10 1e10 0", {"-toProj=0"}, "beyond the pole"},
      {"v 500000 50000000 0", {"-toProj=0"}, "beyond the pole"},
      {"v 50000000 3320000 0", {}, "beyond the pole"},
      {"v 3000000 0 0", {"-toProj=0", "-bENU=1"}, "from the central meridian 117°"},
      {"v 0 0 -7000000", {"-toProj=0", "-bENU=1"}, "is 180° from the central meridian 117°"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.vertex) + (c.mode.empty() ? " zone" : " " + c.mode.back()));
    Sandbox box;
    box.write("c.json", kRegionWithBase);
    box.write("in/a.obj", std::string("v 500000 3320113.398 0\n") + c.vertex + "\n");
    std::vector<std::string> args = {"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                     "-inputbase=117,30"};
    args.insert(args.end(), c.mode.begin(), c.mode.end());
    const RunResult result = box.run(args);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, "convert vertex error!!\n");
    EXPECT_NE(result.err.find("in/a.obj:2: vertex"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    EXPECT_FALSE(box.exists("out.obj"));
  }
}

// No vertex, no base point: nothing is made up, the other lines are still copied.
TEST(Frames, NoVerticesWriteNoBasePoint) {
  Sandbox box;
  box.write("c.json", kSiteAndRegion);
  box.write("in/a.obj", "mtllib a.mtl\ng tile\n");
  cli::fs::create_directories(box / "out");
  const RunResult result = box.run({"-input=in", "-coord=c.json", "-output=out", "-toProj=0",
                                    "-base=base.txt"});
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(result.out, "convert success!!\n");
  EXPECT_NE(result.err.find("quorvex: warning: the inputs hold no vertex"), std::string::npos)
      << result.err;
  EXPECT_FALSE(box.exists("base.txt"));
  EXPECT_EQ(box.read("out/a.obj"), "mtllib a.mtl\ng tile\n");
}

// Mistakes that do not stop a run are named on standard error; the run goes on as before.
TEST(Frames, CoordinateFileMistakesAreWarned) {
  const struct {
    const char* name;
    const char* coord;
    const char* warning;
  } cases[] = {
      {"unknown type beside a definition",
       R"([{"type": "Custom gauss", "define": {"centralMeridianLongitude": 117}},
           {"type": "Custom Gauss", "define": {}}])",
       R"(quorvex: warning: c.json: [0]: defines nothing (unknown type "Custom gauss")"},
      {"misspelt key of a definition",
       R"({"type": "Custom Gauss", "define": {}, "planeParam": {"offsetx": 12.5}})",
       R"(quorvex: warning: c.json: "planeParam": unknown key, ignored)"},
      {"misspelt define key",
       R"({"type": "Custom Gauss", "define": {"centralMeridianLongtitude": 117}})",
       R"(quorvex: warning: c.json: "define"."centralMeridianLongtitude": unknown key, ignored)"},
      {"misspelt correction key",
       R"({"type": "Custom Gauss", "define": {}, "planeparam": {"rotation": 1}})",
       R"(quorvex: warning: c.json: "planeparam"."rotation": unknown key, ignored)"},
      {"lenient number as an array",
       R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": [117]}})",
       R"("define"."centralMeridianLongitude": expected a number or a numeric string, got an array)"},
      {"lenient number as null", R"({"type": "Custom Gauss", "define": {"xoffset": null}})",
       R"("define"."xoffset": expected a number or a numeric string, got null)"},
      {"lenient number as an object", R"([{"type": "Custom Gauss", "define": {"yoffset": {}}}])",
       R"([0]."define"."yoffset": expected a number or a numeric string, got an object)"},
      {"unknown ellipsoid", R"({"type": "Custom Gauss", "define": {"ellipsoid": "XIAN 80"}})",
       R"("define"."ellipsoid": unknown ellipsoid "XIAN 80")"},
      {"unknown correction type", R"({"type": "Custom Gauss", "define": {},
           "altparam": {"type": "geoid", "altbase": 3}})",
       R"("altparam"."type": unknown type "geoid" (expected "TGO", "fixed_correction", )"
       R"("surface", "plane"): the height correction is not applied)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.write("c.json", c.coord);
    box.write("in/a.obj", "f 1 2 3\n");
    const RunResult result = box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                      "-toProj=0", "-inputbase=117,30"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "convert success!!\n");
    EXPECT_NE(result.err.find(c.warning), std::string::npos) << result.err;
    // One parse's warnings, printed once (the file holds no vertex line: one more warning).
    const std::string coordWarning = "warning: c.json";
    EXPECT_EQ(result.err.find(coordWarning, result.err.find(coordWarning) + 1), std::string::npos)
        << result.err;
  }
  Sandbox box;
  box.write("c.json", "5");
  const RunResult root = box.run({"-coord=c.json", "-output=out.obj"});
  EXPECT_EQ(root.exitStatus, 255);
  EXPECT_EQ(root.out, "parseCoordTranslateInfo error!!\n");
  EXPECT_NE(root.err.find("the root is a number"), std::string::npos) << root.err;
}

}  // namespace
