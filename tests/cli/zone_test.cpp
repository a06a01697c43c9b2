// The zone mode end to end: the code printed after each file (and written to -base) is the
// zone that file's vertices were projected onto, with one thread and with several.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_harness.h"
#include "common/readme_site.h"
#include "common/three_areas.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

// The README's control-point site as one object document without a boundary: its points lie
// about (117°, 30°), zone 4548. A project point 160 km west of them lies near 115.34°E, on
// zone 4547 (meridian 114°).
std::string siteObject() {
  const std::string site = testdocs::kReadmeSite;
  return site.substr(0, site.find(",\n    \"boundary\"")) + "}";
}

// (111°, 30°), (114°, 30°) and (117°, 30°) in the three areas' project frames.
const char kWest[] = "v 37500000 3320113.398 0\n";
const char kEast[] = "v 39500000 3320113.398 0\n";

TEST(Zones, ThePrintedCodeIsTheZoneOfTheFilesVertices) {
  const struct {
    const char* name;
    std::string coord;
    std::vector<std::pair<std::string, std::string>> files;
    int exitStatus;
    std::string out;      // standard output (both codes of a two-file folder: either order)
    std::string errPart;  // on standard error
  } cases[] = {
      {"control points, vertices west of the points' zone", siteObject(),
       {{"in/a.obj", "v 340000 3320000 30\nv 341000 3321000 31\n"}}, 0,
       "4547\nconvert success!!\n", ""},
      {"two files on two zones", testdocs::kThreeAreas,
       {{"in/a.obj", kWest}, {"in/b.obj", kEast}}, 0, "",
       "the files of this run lie on 2 zones: 4546 (1 file), 4548 (1 file)"},
      {"one file across two zones", testdocs::kThreeAreas,
       {{"in/a.obj", std::string(kWest) + "# east\n" + kEast}}, 255,
       "convert vertex error!!\n",
       ":3: vertex (39500000, 3320113.398, 0) could not be converted: this vertex lies on zone "
       "4548, the vertices before it on zone 4546"},
  };
  for (const auto& c : cases) {
    for (const char* threads : {"-threads=1", "-threads=2"}) {
      SCOPED_TRACE(testing::Message() << c.name << ", " << threads);
      Sandbox box;
      box.write("c.json", c.coord);
      for (const auto& [path, text] : c.files) box.write(path, text);
      cli::fs::create_directories(box / "out");
      const RunResult result =
          box.run({"-input=in", "-coord=c.json", "-output=out", "-base=zone.txt", threads});
      EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
      if (!c.out.empty()) {  // after the label lines of a control-point fit
        EXPECT_EQ(result.out.substr(result.out.size() - std::min(result.out.size(), c.out.size())),
                  c.out);
      }
      EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
      if (c.exitStatus == 0 && c.files.size() == 1) {
        EXPECT_EQ(box.read("zone.txt"), c.out.substr(0, c.out.find('\n')));
      }
      if (c.exitStatus != 0) {
        EXPECT_TRUE(box.listing("out").empty());
      }
    }
  }
}

}  // namespace
