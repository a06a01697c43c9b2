// End-to-end runs with central meridians west of Greenwich written from 0 to 360, and with
// points across the 180° meridian: either way of writing a meridian gives the same numbers in
// every mode, and boundaries written in either convention choose the right definition.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

// `text` with each "$M" replaced by `meridian`.
std::string withMeridian(std::string text, const std::string& meridian) {
  for (std::size_t at = text.find("$M"); at != std::string::npos; at = text.find("$M", at)) {
    text.replace(at, 2, meridian);
  }
  return text;
}

// Each row runs twice, with the meridian written both ways ($M: also the origin's longitude);
// the output files must be the same bytes, the first vertex near `expected` (values from PROJ, e.g.
//   echo "-75 40 0 0" | cct -d 6 +proj=tmerc +lon_0=-75 +x_0=500000 +ellps=GRS80
//   -> 500000.000000 4429529.030237
//   echo "-179.5 40 0 0" | cct -d 6 +proj=tmerc +lon_0=180 +x_0=500000 +ellps=GRS80
//   -> 542697.023837 4429648.783819),
// within 1 mm (the zone's flattening differs from CGCS2000's by 1.6e-11). The zone mode prints
// the code each writing gives by the zone formula.
TEST(Meridian, BothConventionsGiveTheSameNumbers) {
  const struct {
    const char* name;
    const char* meridians[2];
    const char* define;
    std::vector<std::string> args;
    const char* vertices;
    double expected[3];
    const char* zones[2];
  } cases[] = {
      {"zone, 75 W", {"285", "-75"}, R"("xoffset": 500000, "basepoint": [$M, 40])", {},
       "v 500000 4429529.030237 10\nv 640000 4500000 20\n", {500000, 4429529.030237, 10},
       {"4604", "4484"}},
      {"ENU -> project, 75 W", {"285", "-75"}, R"("xoffset": 500000, "basepoint": [$M, 40])",
       {"-toProj=0", "-bENU=1"}, "v 0 0 0\nv 1000 -2000 5\n", {500000, 4429529.030237, 0}, {}},
      {"project -> ENU, 75 W", {"285", "-75"}, R"("xoffset": 500000)",
       {"-toProj=0", "-inputbase=ENU:$M,40"}, "v 500000 4429529.030237 0\nv 420000 4400000 0\n",
       {0, 0, 0}, {}},
      {"zone, points east of 180", {"180", "-180"}, R"("xoffset": 500000)", {},
       "v 560000 4430000 0\n", {560000, 4430000, 0}, {"4569", "4449"}},
      {"ENU -> project, east of 180", {"180", "-180"},
       R"("xoffset": 500000, "basepoint": [-179.5, 40])", {"-toProj=0", "-bENU=1"}, "v 0 0 0\n",
       {542697.023837, 4429648.783819, 0}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.write("in/a.obj", c.vertices);
    std::string outputs[2];
    for (int k = 0; k < 2; ++k) {
      box.write("c.json", withMeridian(R"({"type": "Custom Gauss", "define": )"
                                       R"({"centralMeridianLongitude": $M, )" +
                                           std::string(c.define) + "}}",
                                       c.meridians[k]));
      std::vector<std::string> args = {"-input=in/a.obj", "-coord=c.json", "-output=o.obj"};
      for (const std::string& arg : c.args) args.push_back(withMeridian(arg, c.meridians[k]));
      const RunResult result = box.run(args);
      ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;
      const std::string zone = c.zones[k] == nullptr ? "" : std::string(c.zones[k]) + "\n";
      EXPECT_EQ(result.out, zone + "convert success!!\n");
      outputs[k] = box.read("o.obj");
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    const std::vector<double> v = cli::vertexNumbers(outputs[0]);
    ASSERT_FALSE(v.empty());
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(v[k], c.expected[k], 1e-3) << "number " << k;
  }
}

// Two areas west of Greenwich, each meridian and boundary written in the other convention. A
// vertex of each goes through its own definition: the same line as a run with that definition
// alone.
TEST(Meridian, BoundariesInEitherConventionSelect) {
  const std::string west = R"({"projectid": "west", "type": "Custom Gauss",
      "define": {"centralMeridianLongitude": 285, "xoffset": 500000},
      "boundary": [-75.1, 39.9, -74.9, 39.9, -74.9, 40.1, -75.1, 40.1]})";
  const std::string east = R"({"projectid": "east", "type": "Custom Gauss",
      "define": {"centralMeridianLongitude": -72, "xoffset": 1500000},
      "boundary": [287.9, 39.9, 288.1, 39.9, 288.1, 40.1, 287.9, 40.1]})";
  const char* const vertices[2] = {"v 500000 4429529.030237 0\n", "v 1500000 4429529.030237 0\n"};
  const std::string coords[3] = {"[" + west + "," + east + "]", west, east};
  const std::string inputs[3] = {std::string(vertices[0]) + vertices[1], vertices[0], vertices[1]};
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
