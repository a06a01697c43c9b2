// End-to-end runs of the quorvex binary: messages, exit statuses, which files are written.
#include <gtest/gtest.h>

#include <cmath>

#include "cli/cli_harness.h"
#include "portable.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

using cli::kCoord117;

// (117°, 30°) and (118.5°, 31°) on that projection (worked values; PROJ agrees:
// echo "118.5 31 0 0" | cct -d 4 +proj=tmerc +lon_0=117 +x_0=500000 +ellps=GRS80).
const char* const kTwoVertices =
    "# tile\nmtllib a.mtl\nv 500000.000 3320113.398 0\nv 643264.135 3431940.324 0\n"
    "vt 0.5 0.5\nf 1/1 2/1 1/1\n";

// Area "a" (meridian 117°) about (117°, 30°), and beside it "b", about (118.5°, 31°), which
// defines nothing (its "define" is misspelt).
const char* const kAreaAndUndefined = R"([
  {"projectid": "a", "type": "Custom Gauss",
   "define": {"centralMeridianLongitude": 117, "xoffset": 500000},
   "boundary": [116.9, 29.9, 117.1, 29.9, 117.1, 30.1, 116.9, 30.1]},
  {"projectid": "b", "type": "Custom Gauss", "Define": {"centralMeridianLongitude": 120},
   "boundary": [118.4, 30.9, 118.6, 30.9, 118.6, 31.1, 118.4, 31.1]}])";

// One table of setup failures and refusals: message, exit status, and nothing written.
struct FailureCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> args;
  const char* stdoutText;
  const char* stderrPart;
};

TEST(Driver, FailuresPrintTheirMessageExitWith255AndWriteNothing) {
  const std::vector<FailureCase> cases = {
      {"no flags at all", {}, {}, "coordfile set error!!\n", "-coord is required"},
      {"coord file missing",
       {{"in/a.obj", "v 1 2 3\n"}},
       {"-input=in/a.obj", "-coord=nope.json", "-output=out"},
       "coordfile set error!!\n",
       "nope.json"},
      {"coord names a folder",
       {{"in/a.obj", "v 1 2 3\n"}, {"dir/x", ""}},
       {"-input=in/a.obj", "-coord=dir", "-output=out"},
       "coordfile is empty!!\n",
       "dir"},
      {"coord file empty",
       {{"in/a.obj", "v 1 2 3\n"}, {"c.json", ""}},
       {"-input=in/a.obj", "-coord=c.json", "-output=out"},
       "coordfile is empty!!\n",
       "c.json"},
      {"coord file starts with NUL",
       {{"in/a.obj", "v 1 2 3\n"}, {"c.json", std::string("\0{}", 3)}},
       {"-input=in/a.obj", "-coord=c.json", "-output=out"},
       "coordfile is empty!!\n",
       "c.json"},
      {"coord file not JSON",
       {{"in/a.obj", "v 1 2 3\n"}, {"c.json", "{\n  \"type\": ,\n}"}},
       {"-input=in/a.obj", "-coord=c.json", "-output=out"},
       "parseCoordTranslateInfo error!!\n",
       "line 2"},
      {"coord value of the wrong type",
       {{"in/a.obj", "v 1 2 3\n"}, {"c.json", R"({"type": 5})"}},
       {"-input=in/a.obj", "-coord=c.json", "-output=out"},
       "parseCoordTranslateInfo error!!\n",
       "type"},
      {"-bENU=1 with the zone mode's -toProj=1",
       {{"in/a.obj", "v 1 2 3\n"}, {"c.json", kCoord117}},
       {"-input=in/a.obj", "-coord=c.json", "-output=out", "-bENU=1", "-toProj=1"},
       "bENU set error!!\n",
       "(the default) projects project-frame vertices onto the zone: add -toProj=0"},
      {"output empty",
       {{"in/a.obj", "v 1 2 3\n"}, {"c.json", kCoord117}},
       {"-input=in/a.obj", "-coord=c.json"},
       "output set error!!\n",
       "output"},
      {"two inputs with one output name",
       {{"in/s1/a.obj", "v 1 2 3\n"}, {"in/s2/a.obj", "v 1 2 3\n"}, {"c.json", kCoord117}},
       {"-input=in", "-coord=c.json", "-output=out"},
       "output name conflict!!\n",
       "a.obj' (give -tree=1 to keep the folders below -input in the output folder)"},
      {"several inputs, one named output file",
       {{"in/s1/a.obj", "v 1 2 3\n"}, {"in/s2/b.obj", "v 1 2 3\n"}, {"c.json", kCoord117}},
       {"-input=in", "-coord=c.json", "-output=out/merged.obj"},
       "output name conflict!!\n",
       "2 inputs would all be written to 'out/merged.obj'"},
      {"base file that is the input",
       {{"in/a.obj", "v 500000 3320000 1\n"}, {"c.json", kCoord117}},
       {"-input=in/a.obj", "-coord=c.json", "-output=out", "-base=in/./a.obj"},
       "output name conflict!!\n",
       "the base file 'in/./a.obj' is the input 'in/a.obj'"},
      // Checked before the base-point scan, which would fail on the short line first.
      {"output folder missing, before the base-point scan",
       {{"in/a.obj", "v 500000 3320000 1\nv 1 2\n"}, {"c.json", kCoord117}},
       {"-input=in/a.obj", "-coord=c.json", "-output=nofolder", "-toProj=0"},
       "write file error!!\n",
       "output folder 'nofolder' does not exist"},
      {"input path that does not exist",
       {{"c.json", kCoord117}},
       {"-input=missing", "-coord=c.json", "-output=out"},
       "open obj error!!\n",
       "missing"},
      {"input .obj that does not exist",
       {{"c.json", kCoord117}},
       {"-input=missing.obj", "-coord=c.json", "-output=out"},
       "open obj error!!\n",
       "missing.obj"},
      {"output folder that does not exist",
       {{"in/a.obj", kTwoVertices}, {"c.json", kCoord117}},
       {"-input=in/a.obj", "-coord=c.json", "-output=nofolder/x"},
       "write file error!!\n",
       "nofolder"},
      {"base-point scan meets a short vertex line",
       {{"in/a.obj", "v 500000 3320000 1\nv 1 2\n"}, {"c.json", kCoord117}},
       {"-input=in/a.obj", "-coord=c.json", "-output=out", "-toProj=0", "-base=base.txt"},
       "vertex line error!!\n",
       "in/a.obj:2:"},
      // (118.5°, 31°) about (117°, 30°): in b's boundary, and outside a's in a's frame.
      {"vertex in the boundary of a definition that defines nothing",
       {{"in/a.obj", "v 143240.029722 111792.854426 -2591.341249\n"},
        {"c.json", kAreaAndUndefined}},
       {"-input=in/a.obj", "-coord=c.json", "-output=out", "-toProj=0", "-bENU=1",
        "-inputbase=117,30"},
       "convert vertex error!!\n",
       R"(in/a.obj:1: vertex (143240.029722, 111792.854426, -2591.341249) could not be )"
       R"(converted: definition [1] "b" defines nothing (no "define")"},
      {"vertex the project frame cannot tell from an undefined boundary",
       {{"in/a.obj", "v 643264.135 3431940.324 0\n"}, {"c.json", kAreaAndUndefined}},
       {"-input=in/a.obj", "-coord=c.json", "-output=out", "-toProj=0", "-inputbase=117,30"},
       "convert vertex error!!\n",
       R"(definition [1] "b" has no boundary polygon in the project frame (it defines )"
       R"(nothing: no "define")"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const FailureCase& c = cases[i];
    SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
    Sandbox box;
    for (const auto& [path, text] : c.files) box.write(path, text);
    cli::fs::create_directories(box / "out");
    const RunResult result = box.run(c.args);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, c.stdoutText);
    EXPECT_NE(result.err.find(c.stderrPart), std::string::npos) << result.err;
    EXPECT_TRUE(box.listing("out").empty());
    EXPECT_FALSE(box.exists("base.txt"));
  }
}

TEST(Driver, AFailingFileStopsTheRunAndKeepsFilesFinishedBefore) {
  const struct {
    const char* name;
    const char* badTile;
    const char* message;
    const char* where;
  } cases[] = {
      {"short vertex line", "v 500000 3320000 1\nf 1 1 1\nv 1 2\n", "vertex line error!!\n",
       "b.obj:3:"},
      {"vertex that does not convert", "v 500000 nan 1\n", "convert vertex error!!\n",
       "b.obj:1:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.write("c.json", kCoord117);
    // One file per folder, so the search order of the two is fixed: s1 holds the good tile.
    box.write("in/a.obj", kTwoVertices);
    box.write("in2/b.obj", c.badTile);
    box.write("out/b.obj", "previous output\n");
    const RunResult good =
        box.run({"-input=in", "-coord=c.json", "-output=out", "-toProj=0", "-bENU=1"});
    ASSERT_EQ(good.exitStatus, 0) << good.out << good.err;
    const RunResult bad =
        box.run({"-input=in2", "-coord=c.json", "-output=out", "-toProj=0", "-bENU=1"});
    EXPECT_EQ(bad.exitStatus, 255);
    EXPECT_EQ(bad.out, c.message);
    EXPECT_NE(bad.err.find(c.where), std::string::npos) << bad.err;
    EXPECT_TRUE(box.exists("out/a.obj"));
    EXPECT_EQ(box.read("out/b.obj"), "previous output\n");  // untouched, no partial file
    // No temporary file left; metadata.xml is of the good run.
    EXPECT_EQ(box.listing("out").size(), 3u);
  }
}

TEST(Driver, ZoneModeReprojectsPrintsTheZoneCodeAfterEveryFileAndWritesTheBaseFile) {
  Sandbox box;
  box.write("c.json", kCoord117);
  box.write("in/s1/a.obj", kTwoVertices);
  box.write("in/s2/b.obj", kTwoVertices);
  box.write("in/s3/c.obj", kTwoVertices);
  const RunResult result = box.run({"-input=in", "-coord=c.json", "-output=out/",
                                    "-base=zone.txt"});
  cli::fs::create_directories(box / "out");
  ASSERT_EQ(result.exitStatus, 255) << "the output folder does not exist yet";

  const RunResult ok = box.run({"-input=in", "-coord=c.json", "-output=out", "-base=zone.txt"});
  ASSERT_EQ(ok.exitStatus, 0) << ok.err;
  EXPECT_EQ(ok.out, "4548\n4548\n4548\nconvert success!!\n");
  EXPECT_EQ(box.read("zone.txt"), "4548");
  // Zone 4548 is central meridian 117°, the definition's own: the points keep their
  // projected values (the zone's ellipsoid differs from CGCS2000 by 1.6e-11 in f: < 1 mm).
  const std::string converted = box.read("out/a.obj");
  const std::vector<double> v = cli::vertexNumbers(converted);
  const double expected[] = {500000.000, 3320113.398, 0, 643264.135, 3431940.324, 0};
  ASSERT_EQ(v.size(), 6u);
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(v[k], expected[k], 1e-3) << "number " << k;
  EXPECT_EQ(converted.substr(0, 27), "# tile\nmtllib a.mtl\nv 50000");  // the comment is kept
  EXPECT_NE(converted.find("\nvt 0.5 0.5\nf 1/1 2/1 1/1\n"), std::string::npos);
}

TEST(Driver, ZoneModeUsesTheZoneOfTheCentralMeridian) {
  // Central meridian 118.6° lies in zone 4549 (central meridian 120°). (118.5°, 31°) is
  //   490449.5715 3430978.6159 on CM 118.6 (cct +proj=tmerc +lon_0=118.6 +x_0=500000 +ellps=GRS80)
  //   356735.8647 3431940.3240 on CM 120   (cct +proj=tmerc +lon_0=120 +x_0=500000 +ellps=WGS84)
  Sandbox box;
  box.write("c.json", R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": 118.6,
                         "xoffset": 500000, "basepoint": [118, 30.5]}})");
  box.write("in/a.obj", "v 490449.5715 3430978.6159 0\n");
  const RunResult result = box.run({"-input=in/a.obj", "-coord=c.json", "-output=z.obj"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(result.out, "4549\nconvert success!!\n");
  const std::vector<double> v = cli::vertexNumbers(box.read("z.obj"));
  ASSERT_EQ(v.size(), 3u);
  EXPECT_NEAR(v[0], 356735.8647, 1e-3);
  EXPECT_NEAR(v[1], 3431940.3240, 1e-3);
  EXPECT_NEAR(v[2], 0.0, 1e-3);
}

TEST(Driver, ProjectToEnuComputesTheBasePointOrTakesItFromInputbase) {
  Sandbox box;
  box.write("c.json", R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": 117,
                          "xoffset": 500000}})");
  // Bounding box centre (500000, 3320113.398, 0): the point (117°, 30°).
  box.write("in/a.obj", "v 499000 3319113.398 -5\nv 501000 3321113.398 5\n");
  const RunResult computed = box.run(
      {"-input=in/a.obj", "-coord=c.json", "-output=enu.obj", "-base=base.txt", "-toProj=0"});
  ASSERT_EQ(computed.exitStatus, 0) << computed.err;
  EXPECT_EQ(computed.out, "convert success!!\n");
  EXPECT_EQ(box.read("base.txt"), "ENU:30.000000,117.000000");

  const RunResult given = box.run({"-input=in/a.obj", "-coord=c.json", "-output=enu2.obj",
                                   "-base=base2.txt", "-toProj=0", "-inputbase=ENU:117,30"});
  ASSERT_EQ(given.exitStatus, 0) << given.err;
  EXPECT_FALSE(box.exists("base2.txt"));
  // The computed origin is the centre itself, (117°, 30°) only to within 1e-9° because the
  // northing 3320113.398 is rounded to 1 mm: the two runs agree to well under 1 mm.
  const std::vector<double> v = cli::vertexNumbers(box.read("enu.obj"));
  const std::vector<double> w = cli::vertexNumbers(box.read("enu2.obj"));
  ASSERT_EQ(v.size(), 6u);
  ASSERT_EQ(w.size(), 6u);
  for (std::size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], w[i], 2e-4) << i;
  // 1 km west and south of the origin, 5 m down: east ≈ -1000, north ≈ -1000 (grid scale on
  // the central meridian is 1, so north is the meridian arc), up a little below -5.
  EXPECT_NEAR(v[0], -1000.0, 0.5);
  EXPECT_NEAR(v[1], -1000.0, 0.5);
  EXPECT_LT(v[2], -5.0);
  EXPECT_NEAR(v[3] + v[0], 0.0, 0.01);
}

// ENU -> project reads the ENU vertices about -inputbase when it is given, else about the
// file's "basepoint". (118.5°, 31°, 0) about (117°, 30°, 0):
//   echo "118.5 31 0 0" | cct -d 6 +proj=pipeline +step +proj=cart +ellps=WGS84
//     +step +proj=topocentric +ellps=WGS84 +lon_0=117 +lat_0=30 +h_0=0
// and (0, 0, 0) about (118.5°, 31°, 0) is that point itself: both land on (118.5°, 31°), GK
// (643264.135, 3431940.324) (Gauss-Krüger worked values, to 1 mm).
TEST(Driver, EnuToProjectTakesTheOriginFromInputbaseElseTheFile) {
  const struct {
    const char* name;
    const char* vertex;
    std::vector<std::string> extraArgs;
  } cases[] = {
      {"basepoint of the file", "v 143240.029722 111792.854426 -2591.341249 1.0 # w kept\n", {}},
      {"-inputbase over the file", "v 0 0 0 1.0 # w kept\n", {"-inputbase=ENU:118.5,31"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.write("c.json", kCoord117);
    box.write("in/a.obj", c.vertex);
    std::vector<std::string> args = {"-input=in/a.obj", "-coord=c.json", "-output=p.obj",
                                     "-toProj=0", "-bENU=1", "-base=ignored.txt"};
    args.insert(args.end(), c.extraArgs.begin(), c.extraArgs.end());
    const RunResult result = box.run(args);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err,
              "quorvex: warning: -base is not used: ENU -> project frame writes no base file\n");
    EXPECT_FALSE(box.exists("ignored.txt"));
    const std::string text = box.read("p.obj");
    const std::vector<double> v = cli::vertexNumbers(text);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_NEAR(v[0], 643264.135, 1e-3);
    EXPECT_NEAR(v[1], 3431940.324, 1e-3);
    EXPECT_NEAR(v[2], 0.0, 1e-3);
    EXPECT_NE(text.find(" 1.0 # w kept\n"), std::string::npos) << text;
  }
}

TEST(Driver, SwitchesAreExactlyTheTextOne) {
  Sandbox box;
  box.write("c.json", kCoord117);
  box.write("in/a.obj", "v 500000 3320113.398 0\n");
  // "true" is not "1": an ENU mode runs (no zone code line), with a warning; bENU "1" with
  // toProj "1" (here its default) is refused: the zone mode would take ENU vertices for
  // project ones.
  const RunResult enu = box.run({"-input=in/a.obj", "-coord=c.json", "-output=o.obj",
                                 "-toProj=true", "-inputbase=117,30"});
  EXPECT_EQ(enu.out, "convert success!!\n");
  EXPECT_NE(enu.err.find("warning: -toProj='true' is taken as 0 (off)"), std::string::npos)
      << enu.err;
  const RunResult zone =
      box.run({"-input=in/a.obj", "-coord=c.json", "-output=z.obj", "-bENU=1"});
  EXPECT_EQ(zone.out, "bENU set error!!\n");
  EXPECT_FALSE(box.exists("z.obj"));
}

TEST(Driver, InputDiscovery) {
  Sandbox box;
  box.write("c.json", kCoord117);
  box.write("in/TILE.OBJ", "v 500000 3320113.398 0\n");
  box.write("in/notes.txt", "v 1 2 3\n");
  box.write("in/sub/skipped.obj", "v 500000 3320113.398 0\n");  // the folder has OBJ files
  // Longer extensions: Windows' own "*.obj" search finds these through their short names.
  box.write("in/c.objx", "v 1 2 3\n");
  box.write("in/c.obj_old", "v 1 2 3\n");
  box.write("in/longer name.objects", "v 1 2 3\n");
  cli::fs::create_directories(box / "out");
  const RunResult folder = box.run({"-input=in", "-coord=c.json", "-output=out",
                                    "-toProj=0", "-bENU=1"});
  ASSERT_EQ(folder.exitStatus, 0) << folder.err;
  EXPECT_EQ(box.listing("out"),
            (std::vector<std::string>{"TILE.OBJ", "metadata.xml"}));

  // A file under any name is converted when named directly.
  const RunResult named = box.run({"-input=in/notes.txt", "-coord=c.json", "-output=out",
                                   "-toProj=0", "-bENU=1"});
  ASSERT_EQ(named.exitStatus, 0) << named.err;
  EXPECT_TRUE(box.exists("out/notes.txt"));

  // A folder without any OBJ file succeeds with nothing converted.
  cli::fs::create_directories(box / "empty/sub");
  const RunResult none = box.run({"-input=empty", "-coord=c.json", "-output=out2",
                                  "-toProj=0", "-bENU=1"});
  EXPECT_EQ(none.exitStatus, 0);
  EXPECT_EQ(none.out, "convert success!!\n");
}

TEST(Driver, ALinkBackToItsOwnFolderIsALoopNotFollowed) {
  SKIP_WITHOUT_SYMLINKS();
  Sandbox box;
  box.write("c.json", kCoord117);
  box.write("in/a.obj", "v 500000 3320113.398 0\n");
  cli::fs::create_directory_symlink(box / "in", box / "in/loop.obj");
  cli::fs::create_directories(box / "out");
  const RunResult folder = box.run({"-input=in", "-coord=c.json", "-output=out",
                                    "-toProj=0", "-bENU=1"});
  ASSERT_EQ(folder.exitStatus, 0) << folder.err;
  EXPECT_EQ(box.listing("out"), (std::vector<std::string>{"a.obj", "metadata.xml"}));
  EXPECT_NE(folder.err.find("warning: the link 'in/loop.obj' leads back to 'in', a folder it is "
                            "in: not followed (a loop)"),
            std::string::npos) << folder.err;
}

// A flag the run does not use: one warning line, and the run goes on.
TEST(Driver, FlagsTheRunDoesNotUseAreWarned) {
  const struct {
    std::vector<std::string> args;
    const char* warning;
  } cases[] = {
      {{"-output=out", "-inputbase=117,30"},
       "-inputbase is not used: the zone mode (-toProj=1) takes each vertex through its "
       "geodetic position, whatever the ENU origin"},
      {{"-output=out", "-bENU=0"}, "-bENU is not used: it chooses the direction of -toProj=0 only"},
      {{"-output=out", "-maxresidual=0.05"},
       "-maxresidual is not used: it marks control points in the -report, and no -report is "
       "given"},
      {{"-output=out", "-toProj=0", "-inputbase=117,30", "-base=b.txt"},
       "-base is not used: with -inputbase no base point is computed, so none is written"},
      {{"-toProj=0", "-baseonly=1", "-base=b.txt", "-materials=copy"},
       "-materials is not used: -baseonly=1 converts nothing"},
      {{"-toProj=0", "-boundsonly=b.json", "-output=out"},
       "-output is not used: -boundsonly converts nothing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.warning);
    Sandbox box;
    box.write("c.json", kCoord117);
    box.write("in/a.obj", "v 500000 3320113.398 0\n");
    cli::fs::create_directories(box / "out");
    std::vector<std::string> args = {"-input=in/a.obj", "-coord=c.json"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult result = box.run(args);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err.rfind(std::string("quorvex: warning: ") + c.warning + "\n", 0), 0u)
        << result.err;
    EXPECT_EQ(result.err.find("warning:", 10), std::string::npos) << result.err;  // one line
  }
}

TEST(Driver, EmptyBaseValueWritesNoBaseFileAndAnUnwritableOneFailsBeforeTheOutput) {
  Sandbox box;
  box.write("c.json", kCoord117);
  box.write("in/a.obj", "v 500000 3320113.398 0\n");
  const RunResult noBase = box.run({"-input=in/a.obj", "-coord=c.json", "-output=o.obj"});
  EXPECT_EQ(noBase.exitStatus, 0);
  EXPECT_EQ(noBase.out, "4548\nconvert success!!\n");

  const RunResult badBase = box.run(
      {"-input=in/a.obj", "-coord=c.json", "-output=o2.obj", "-base=nofolder/zone.txt"});
  EXPECT_EQ(badBase.exitStatus, 255);
  EXPECT_EQ(badBase.out, "write file error!!\n");
  EXPECT_FALSE(box.exists("o2.obj"));
}

TEST(Driver, Version) {
  Sandbox box;
  const RunResult version = box.run({"--version"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_NE(version.out.find("version"), std::string::npos) << version.out;
}

// The flag help texts: GBK bytes on Windows, UTF-8 elsewhere.
#ifdef _WIN32
const char* const kCoordHelp = "\xd7\xf8\xb1\xea\xd7\xaa\xbb\xbb\xd0\xc5\xcf\xa2";
// "是否是enu坐标; 1: 工程坐标转到3度带高斯-克吕格投影, 0: 工程坐标与ENU互转(方向见-bENU)", GBK
const char* const kToProjHelpZh =
    "\xca\xc7\xb7\xf1\xca\xc7\x65\x6e\x75\xd7\xf8\xb1\xea\x3b\x20\x31\x3a\x20\xb9\xa4\xb3\xcc"
    "\xd7\xf8\xb1\xea\xd7\xaa\xb5\xbd\x33\xb6\xc8\xb4\xf8\xb8\xdf\xcb\xb9\x2d\xbf\xcb\xc2\xc0"
    "\xb8\xf1\xcd\xb6\xd3\xb0\x2c\x20\x30\x3a\x20\xb9\xa4\xb3\xcc\xd7\xf8\xb1\xea\xd3\xeb\x45"
    "\x4e\x55\xbb\xa5\xd7\xaa\x28\xb7\xbd\xcf\xf2\xbc\xfb\x2d\x62\x45\x4e\x55\x29";
#else
const char* const kCoordHelp = "坐标转换信息";
const char* const kToProjHelpZh =
    "是否是enu坐标; 1: 工程坐标转到3度带高斯-克吕格投影, 0: 工程坐标与ENU互转(方向见-bENU)";
#endif

TEST(Driver, HelpPrintsTheUsageWithEveryFlagAndItsDefault) {
  Sandbox box;
  for (const char* request : {"--help", "-help", "-h", "--helpshort", "--helpfull",
                              "--helpon=quorvex", "-helpxml", "--helpmatch=q", "--helppackage"}) {
    SCOPED_TRACE(request);
    const RunResult help = box.run({request, "-coord=c.json"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("quorvex converts the vertices of Wavefront OBJ files", 0), 0u)
        << help.out;
    EXPECT_NE(help.out.find("\nusage: quorvex -input=IN -coord=COORD.json -output=OUT"),
              std::string::npos);
    // One example per mode.
    for (const char* example : {"-output=out/zone -base=out/zone.txt\n",
                                "-base=out/base.txt -toProj=0\n", "-toProj=0 -bENU=1\n"}) {
      EXPECT_NE(help.out.find(example), std::string::npos) << example;
    }
    EXPECT_NE(help.out.find("  -coord (" + std::string(kCoordHelp) + ") default: \"\"\n"),
              std::string::npos)
        << help.out;
    for (const char* flag : {"-input (", "-output (", "-base (", "-inputbase ("}) {
      EXPECT_NE(help.out.find(std::string("\n  ") + flag), std::string::npos) << flag;
    }
    EXPECT_NE(help.out.find(") default: \"0\"\n"), std::string::npos);  // -bENU
    EXPECT_NE(help.out.find("\n  -bENU ("), std::string::npos);
    // -toProj says what it does, in Chinese next to its original text, then in English.
    EXPECT_NE(help.out.find("\n  -toProj (" + std::string(kToProjHelpZh) +
                            " / 1: project frame -> 3-degree Gauss-Krueger zone, 0: project "
                            "frame <-> ENU (see -bENU)) default: \"1\"\n"),
              std::string::npos)
        << help.out;
    EXPECT_NE(help.out.find(") default: \"1\"\n"), std::string::npos);  // -toProj
    // gflags' own flags are not listed.
    for (const char* own : {"flagfile", "helpshort", "tryfromenv", "undefok"}) {
      EXPECT_EQ(help.out.find(own), std::string::npos) << own;
    }
  }
}

TEST(Driver, UnknownOrIncompleteFlagPrintsTheUsageLineAndExitsWith255) {
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{"-bogus=1", "-coord=c.json", "-output=out"}, "unknown flag '-bogus=1'"},
      {{"-coord=c.json", "--Input=a.obj"}, "unknown flag '--Input=a.obj'"},  // case matters
      {{"-noinput"}, "unknown flag '-noinput'"},  // "no" turns off switches only
      {{"-coord=c.json", "-output"}, "flag '-output' has no value"},
      {{"-coord=c.json", "-output=out", "-base", "-toProj=0"},
       "flag '-base' has no value (write -base=VALUE; '-toProj=0' is a flag, not its value)"},
      {{"-flagfile=c.json"}, "unknown flag '-flagfile=c.json'"},
      // Anything that is not a flag would be ignored while the current folder is converted.
      {{"a.obj", "-coord=c.json", "-output=z.obj"},
       "'a.obj' is not a flag: quorvex takes flags only (-input=FILE names an input)"},
      {{"-coord=c.json", "-output=z.obj", "--", "-input=a.obj"},
       "'-input=a.obj' after '--' is not a flag: quorvex takes flags only (-input=FILE names "
       "an input)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    Sandbox box;
    box.write("c.json", kCoord117);
    box.write("a.obj", "v 500000 3320113.398 0\n");
    const RunResult result = box.run(c.args);
    EXPECT_EQ(result.exitStatus, 255);
    // The usage line alone: one line naming the required flags.
    EXPECT_EQ(result.out.rfind("usage: quorvex -input=IN -coord=COORD.json -output=OUT ", 0), 0u)
        << result.out;
    EXPECT_EQ(result.out.find('\n'), result.out.size() - 1) << result.out;
    EXPECT_EQ(result.err, std::string("quorvex: ") + c.reason + "\n");
    EXPECT_FALSE(box.exists("z.obj"));
  }
  // A flag's value may also be the next argument.
  Sandbox box;
  box.write("c.json", kCoord117);
  box.write("a.obj", "v 500000 3320113.398 0\n");
  const RunResult spaced = box.run({"-input", "a.obj", "-coord", "c.json", "-output=z.obj"});
  EXPECT_EQ(spaced.exitStatus, 0) << spaced.out << spaced.err;
  EXPECT_TRUE(box.exists("z.obj"));
}

}  // namespace
