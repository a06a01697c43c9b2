// End-to-end runs with meridians west of Greenwich written from 0 to 360, and points across
// 180°: either writing gives the same numbers, and boundaries in either convention select.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

// Each row runs with the meridian (and the base point's longitude, "$M") written both ways:
// the same bytes, and the first vertex within 1 mm of PROJ's value, e.g.
//   echo "-179.5 40 0 0" | cct -d 6 +proj=tmerc +lon_0=180 +x_0=500000 +ellps=GRS80
//   -> 542697.023837 4429648.783819
// (the zone's flattening differs from CGCS2000's by 1.6e-11). Zone codes follow the formula.
TEST(Meridian, BothConventionsGiveTheSameNumbers) {
  const struct {
    const char* meridians[2];
    const char* basepoint;
    bool zone;  // else ENU -> project, about the base point
    const char* vertices;
    double expected[2];
    const char* codes[2];
  } cases[] = {
      {{"285", "-75"}, "$M", true, "v 500000 4429529.030237 10\nv 640000 4500000 20\n",
       {500000, 4429529.030237}, {"4604\n", "4484\n"}},
      {{"285", "-75"}, "$M", false, "v 0 0 0\nv 1000 -2000 5\n", {500000, 4429529.030237}, {}},
      {{"180", "-180"}, "-179.5", true, "v 560000 4430000 0\n", {560000, 4430000},
       {"4569\n", "4449\n"}},
      {{"180", "-180"}, "-179.5", false, "v 0 0 0\n", {542697.023837, 4429648.783819}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.meridians[0]) + (c.zone ? ", zone" : ", ENU -> project"));
    Sandbox box;
    box.write("in/a.obj", c.vertices);
    std::string outputs[2];
    for (int k = 0; k < 2; ++k) {
      const std::string m = c.meridians[k];
      const std::string base = std::string(c.basepoint) == "$M" ? m : c.basepoint;
      box.write("c.json", R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": )" +
                              m + R"(, "xoffset": 500000, "basepoint": [)" + base + ", 40]}}");
      std::vector<std::string> args = {"-input=in/a.obj", "-coord=c.json", "-output=o.obj"};
      if (!c.zone) args.insert(args.end(), {"-toProj=0", "-bENU=1"});
      const RunResult result = box.run(args);
      ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;
      EXPECT_EQ(result.out, (c.zone ? std::string(c.codes[k]) : "") + "convert success!!\n");
      outputs[k] = box.read("o.obj");
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    const std::vector<double> v = cli::vertexNumbers(outputs[0]);
    ASSERT_FALSE(v.empty());
    for (int k = 0; k < 2; ++k) EXPECT_NEAR(v[k], c.expected[k], 1e-3) << "number " << k;
  }
}

// Two areas, each meridian and boundary written in the other convention: each vertex gets the
// line a run with its definition alone gives it.
TEST(Meridian, BoundariesInEitherConventionSelect) {
  const std::string west = R"({"type": "Custom Gauss",
      "define": {"centralMeridianLongitude": 285, "xoffset": 500000},
      "boundary": [-75.1, 39.9, -74.9, 39.9, -74.9, 40.1, -75.1, 40.1]})";
  const std::string east = R"({"type": "Custom Gauss",
      "define": {"centralMeridianLongitude": -72, "xoffset": 1500000},
      "boundary": [287.9, 39.9, 288.1, 39.9, 288.1, 40.1, 287.9, 40.1]})";
  const std::string vertices[2] = {"v 500000 4429529.030237 0\n", "v 1500000 4429529.030237 0\n"};
  const std::string coords[3] = {"[" + west + "," + east + "]", west, east};
  const std::string inputs[3] = {vertices[0] + vertices[1], vertices[0], vertices[1]};
  Sandbox box;
  std::string outputs[3];
  for (int k = 0; k < 3; ++k) {
    box.write("c.json", coords[k]);
    box.write("in/a.obj", inputs[k]);
    const RunResult result = box.run({"-input=in/a.obj", "-coord=c.json", "-output=o.obj",
                                      "-toProj=0", "-inputbase=ENU:-73.5,40"});
    ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;
    outputs[k] = box.read("o.obj");
  }
  EXPECT_EQ(outputs[0], outputs[1] + outputs[2]);
}

}  // namespace
