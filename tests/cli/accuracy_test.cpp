// Every run measures its round trip: the summary ends with the largest, the report has it per
// file, -maxclosure warns of a file above it (the run still succeeds) and refuses bad values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

// The number after `label` in `text`; -1 when the label is not there.
double numberAfter(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + label.size());
}

TEST(Accuracy, MeasuredInTheSummaryAndTheReportOfEachMode) {
  Sandbox box;
  for (const char* tile : {"tile_a.obj", "tile_b.obj"}) {
    box.write(std::string("in/") + tile,
              cli::readFile(std::string(QUORVEX_SOURCE_DIR) + "/data/tiles/" + tile));
  }
  box.write("c.json",
            cli::readFile(std::string(QUORVEX_SOURCE_DIR) + "/data/coord-gauss117.json"));
  cli::fs::create_directories(box / "enu");
  cli::fs::create_directories(box / "out");
  const std::string origin = "-inputbase=ENU:117.002642,30.001377";
  for (const auto& [input, output, toProj, bEnu] :
       {std::tuple{"in", "enu", "-toProj=0", "-bENU=0"}, {"enu", "out", "-toProj=0", "-bENU=1"},
        {"in", "out", "-toProj=1", "-bENU=0"}}) {
    SCOPED_TRACE(std::string(toProj) + " " + bEnu);
    const RunResult run = box.run({std::string("-input=") + input, "-coord=c.json",
                                   std::string("-output=") + output, toProj, bEnu, origin,
                                   "-progress=1", "-report=r.html", "-threads=2"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const double largest = numberAfter(run.err, "vertices/s, largest round trip ");
    EXPECT_GT(largest, 0.0) << run.err;
    EXPECT_LT(largest, 1.0) << run.err;
    const std::string html = box.read("r.html");
    for (const char* tile : {"tile_a.obj", "tile_b.obj"}) {
      const std::string row = "<tr><td class=\"name\">" +
                              (cli::fs::path(input) / tile).string() + "</td><td>64</td><td>";
      const double horizontal = numberAfter(html, row);
      EXPECT_GT(horizontal, 0.0) << html;
      EXPECT_LE(horizontal, largest);
    }
    EXPECT_NE(html.find("Written numbers: six decimals, a resolution of 1 µm."),
              std::string::npos);

    // Below what was measured: each file warned of and highlighted, the run still succeeds.
    const RunResult strict = box.run({std::string("-input=") + input, "-coord=c.json",
                                      std::string("-output=") + output, toProj, bEnu, origin,
                                      "-report=r.html", "-maxclosure=0.000001"});
    EXPECT_EQ(strict.exitStatus, 0);
    const std::string warned = (cli::fs::path(input) / "tile_b.obj").string();
    EXPECT_NE(strict.err.find("quorvex: warning: " + warned + ": round trip 0.0"),
              std::string::npos)
        << strict.err;
    EXPECT_NE(strict.err.find(" exceeds -maxclosure=1e-06 mm\n"), std::string::npos);
    EXPECT_NE(box.read("r.html").find("<tr class=\"over\"><td class=\"name\">" +
                                      (cli::fs::path(input) / "tile_a.obj").string()),
              std::string::npos);
  }
}

TEST(Accuracy, MaxClosureMustBeAPositiveFiniteNumber) {
  for (const char* value : {"0", "-1", "abc", "nan", "inf", "1mm", ""}) {
    SCOPED_TRACE(value);
    Sandbox box;
    box.write("c.json", cli::kCoord117);
    box.write("in/a.obj", "v 500000 3320113 0\n");
    const RunResult result = box.run({"-input=in/a.obj", "-coord=c.json", "-output=out.obj",
                                      std::string("-maxclosure=") + value});
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, "maxclosure set error!!\n");
    EXPECT_FALSE(box.exists("out.obj"));
  }
}

}  // namespace
