// QUORVEX_LANES: the program converts in whichever lane code the environment names (seen in
// --version), and every lane code (one vertex at a time, the baseline build, AVX2 where the
// CPU has it) writes the same bytes in all three modes, with one thread and with two: over the
// demo tiles, a tile spread over its whole zone (every quadrant the angles take there, points
// 9-10° from the meridian), and one whose vertex off the projection fails the same way.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_harness.h"
#include "pipeline/lane_code.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

std::string source(const std::string& relative) {
  return cli::readFile(std::string(QUORVEX_SOURCE_DIR) + "/" + relative);
}

void setLanes(const char* name) {
#ifdef _WIN32
  _putenv_s("QUORVEX_LANES", name);
#else
  setenv("QUORVEX_LANES", name, 1);
#endif
}

// Points over the zone of meridian 117° (easting 500 km ± 580 km, within 9° of the meridian up
// to the northing 6 Mm, 54°), with faces.
std::string zoneTile(bool withFailure) {
  std::string text = "# zone\n";
  char line[96];
  int n = 0;
  for (double north = 500000; north <= 6000000; north += 250000) {
    for (double east = -80000; east <= 1080000; east += 29000) {
      std::snprintf(line, sizeof line, "v %.3f %.3f %.3f\n", east + north * 1e-4, north,
                    (n % 50) * 37.5 - 120);
      text += line;
      if (++n % 3 == 0) text += "f " + std::to_string(n - 2) + " " + std::to_string(n - 1) + " " +
                                std::to_string(n) + "\n";
    }
  }
  if (withFailure) text += "v 1e10 3320000 0\n" + text;
  return text;
}

struct LaneRuns {
  std::string code;
  std::vector<std::string> files;  // output texts, in run order
  std::vector<RunResult> results;
};

}  // namespace

TEST(Lanes, EveryLaneCodeWritesTheSameBytes) {
  Sandbox box;
  box.write("gauss.json", source("data/coord-gauss117.json"));
  box.write("in/tile_a.obj", source("data/tiles/tile_a.obj"));
  box.write("in/tile_b.obj", source("data/tiles/tile_b.obj"));
  box.write("in/zone.obj", zoneTile(false));
  box.write("bad/zone.obj", zoneTile(true));
  const std::vector<std::vector<std::string>> runs = {
      {"-input=in", "-coord=gauss.json", "-toProj=0", "-inputbase=ENU:117.0026,30.0014"},
      {"-input=in", "-coord=gauss.json"},
      {"-input=bad", "-coord=gauss.json", "-toProj=0", "-inputbase=ENU:117.0026,30.0014"},
  };
  std::vector<std::string> codes = {"off", "baseline"};
  if (laneCodeNamed("avx2")) codes.push_back("avx2");
  std::vector<LaneRuns> all;
  for (const std::string& code : codes) {
    setLanes(code.c_str());
    LaneRuns lane{code, {}, {}};
    EXPECT_NE(box.run({"--version"}).out.find("\nlanes: " + code + "\n"), std::string::npos)
        << code;
    int k = 0;
    for (const char* threads : {"1", "2"}) {
      for (const std::vector<std::string>& run : runs) {
        // The same names for every lane code (they show in messages), emptied first.
        const std::string out = "out-" + std::to_string(k++);
        for (const std::string& folder : {out, out + "-back"}) {
          std::filesystem::remove_all(box / folder);
          std::filesystem::create_directories(box / folder);
        }
        std::vector<std::string> args = run;
        args.push_back("-output=" + out);
        args.push_back(std::string("-threads=") + threads);
        lane.results.push_back(box.run(args));
        for (const char* name : {"tile_a.obj", "tile_b.obj", "zone.obj"}) {
          const std::string path = out + "/" + name;
          lane.files.push_back(box.exists(path) ? box.read(path) : "(none)");
        }
        // ENU back to the project frame, from this lane code's ENU files.
        if (run[1] == "-coord=gauss.json" && run.size() == 4 && run[0] == "-input=in") {
          std::vector<std::string> back = {"-input=" + out, "-coord=gauss.json", "-toProj=0",
                                            "-bENU=1", "-inputbase=ENU:117.0026,30.0014",
                                            "-output=" + out + "-back",
                                            std::string("-threads=") + threads};
          lane.results.push_back(box.run(back));
          lane.files.push_back(box.read(out + "-back/zone.obj"));
        }
      }
    }
    all.push_back(lane);
  }
  setLanes("");
  const LaneRuns& one = all.front();
  // What the comparison stands on: the runs converted (the last of each thread count failed
  // at the vertex off the projection), and the zone tile's ENU output is not empty.
  ASSERT_EQ(one.results.size(), 8u);
  EXPECT_EQ(one.results[0].exitStatus, 0) << one.results[0].out << one.results[0].err;
  EXPECT_EQ(one.results[3].exitStatus, 255) << one.results[3].out;
  EXPECT_GT(cli::vertexNumbers(one.files[2]).size(), 1000u);
  for (const LaneRuns& lane : all) {
    SCOPED_TRACE("lanes " + lane.code);
    ASSERT_EQ(lane.files.size(), one.files.size());
    for (std::size_t i = 0; i < lane.files.size(); ++i) {
      EXPECT_TRUE(lane.files[i] == one.files[i]) << "file " << i;
    }
    for (std::size_t i = 0; i < lane.results.size(); ++i) {
      EXPECT_EQ(lane.results[i].exitStatus, one.results[i].exitStatus) << "run " << i;
      EXPECT_EQ(lane.results[i].out, one.results[i].out) << "run " << i;
      EXPECT_EQ(lane.results[i].err, one.results[i].err) << "run " << i;
    }
  }
}
