// End-to-end runs with -report: the page is written (also when the run fails), residuals above
// -maxresidual are warned on standard error, and a bad threshold is refused.
#include <gtest/gtest.h>

#include <string>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

std::string sampleCoord() {
  return cli::readFile(std::string(QUORVEX_SOURCE_DIR) + "/data/coord-control-site.json");
}

TEST(Report, SampleSiteWithABlunder) {
  Sandbox box;
  box.write("c.json", sampleCoord());
  box.write("in/a.obj", "v 500271.08 3320251.5 30\nv 500300 3320300 31\nf 1 2 1\n");
  const RunResult result = box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                    "-toProj=0", "-report=r.html"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_NE(result.out.find("convert success!!\n"), std::string::npos);
  // The sample's fifth point is 8 cm off in northing: 64 mm remain at it after the fit.
  EXPECT_NE(result.err.find("quorvex: warning: \"site\" control point 5: residual east"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("control point 1:"), std::string::npos) << result.err;
  const std::string html = box.read("r.html");
  EXPECT_NE(html.find("<tr class=\"over\"><td>5</td>"), std::string::npos);
  EXPECT_NE(html.find("the centre of all vertices"), std::string::npos);
  EXPECT_NE(html.find("<td class=\"name\">in/a.obj</td>"), std::string::npos);
  EXPECT_NE(html.find("<svg"), std::string::npos);

  // A looser threshold: nothing highlighted, nothing warned.
  const RunResult loose = box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                   "-toProj=0", "-report=r.html", "-maxresidual=0.1"});
  ASSERT_EQ(loose.exitStatus, 0);
  EXPECT_EQ(loose.err, "");
  EXPECT_EQ(box.read("r.html").find("class=\"over\""), std::string::npos);
}

TEST(Report, AFailedRunStillReportsItsFit) {
  Sandbox box;
  // Two point pairs: no fit, so the site's vertices cannot be converted.
  box.write("c.json", R"([{ "projectid": "site", "type": "Control points",
      "define": { "srcpoints": [117, 30, 0, 117.01, 30.01, 0],
                  "despoints": [500000, 3320113, 0, 500964, 3321222, 0] }}])");
  box.write("in/a.obj", "v 500000 3320113 0\n");
  const RunResult result = box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                    "-toProj=0", "-inputbase=117,30", "-report=r.html"});
  EXPECT_EQ(result.exitStatus, 255);
  EXPECT_NE(result.out.find("convert vertex error!!\n"), std::string::npos);
  const std::string html = box.read("r.html");
  EXPECT_NE(html.find("The run failed"), std::string::npos);
  EXPECT_NE(html.find("No transform: control point fit: 2 point pairs; at least 3"),
            std::string::npos)
      << html;
}

TEST(Report, ThresholdMustBeAPositiveNumber) {
  for (const char* value : {"abc", "0", "-1", "0.05m"}) {
    SCOPED_TRACE(value);
    Sandbox box;
    box.write("c.json", sampleCoord());
    box.write("in/a.obj", "v 500271.08 3320251.5 30\n");
    const RunResult result =
        box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj", "-toProj=0",
                 "-report=r.html", std::string("-maxresidual=") + value});
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, "maxresidual set error!!\n");
    EXPECT_FALSE(box.exists("out.obj"));
    EXPECT_FALSE(box.exists("r.html"));
  }
}

}  // namespace
