// A production's metadata.xml: its <SRSOrigin> added to the vertices, its <SRS> checked
// against the run, the frame written beside the outputs; the warnings of vertices far from
// the central meridian or the ENU origin; -dryrun.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <cmath>
#include <string>
#include <vector>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

// CGCS2000 Gauss-Krüger CM 117°, no basepoint (the ENU origin comes from elsewhere).
constexpr char kPlain117[] =
    R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": 117, "xoffset": 500000}})";

std::string metadata(const std::string& srs, const std::string& origin) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ModelMetadata version=\"1\">\n"
         "  <!--Spatial Reference System-->\n  <SRS>" + srs + "</SRS>\n" +
         (origin.empty() ? "" : "  <SRSOrigin>" + origin + "</SRSOrigin>\n") +
         "  <Texture><ColorSource>Visible</ColorSource></Texture>\n</ModelMetadata>\n";
}

// `text` (ASCII) as UTF-16 little-endian after its byte-order mark, as Windows PowerShell 5
// writes a file.
std::string utf16le(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char c : text) bytes += std::string{c, '\0'};
  return bytes;
}

}  // namespace

// The vertices relative to <SRSOrigin> convert as their absolute numbers do without a
// metadata.xml, in every mode; a zero <SRSOrigin> changes no byte.
TEST(Metadata, SrsOriginIsAddedInEveryMode) {
  struct Case {
    const char* name;
    std::string srs, origin, relative, absolute;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"zone", "EPSG:4548", "500000,3320000,0", "v 10.5 20.25 5\nv -30 40 6\n",
       "v 500010.5 3320020.25 5\nv 499970 3320040 6\n", {}},
      {"ENU, base point computed", "EPSG:4548", "500000,3320000,0",
       "v 10.5 20.25 5\nv -30 40 6\n", "v 500010.5 3320020.25 5\nv 499970 3320040 6\n",
       {"-toProj=0", "-base=base.txt"}},
      {"ENU -> project", "ENU:30,117", "10,-20,1.5", "v 1 2 3\nv -4 5 6\n",
       "v 11 -18 4.5\nv 6 -15 7.5\n", {"-toProj=0", "-bENU=1"}},
      {"zero origin", "EPSG:4548", "0,0,0", "v 500010.5 3320020.25 5\n",
       "v 500010.5 3320020.25 5\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.write("c.json", kPlain117);
    box.write("prod/metadata.xml", metadata(c.srs, c.origin));
    box.write("prod/Data/T/T.obj", c.relative);
    box.write("abs/T.obj", c.absolute);
    cli::fs::create_directories(box / "out1");
    cli::fs::create_directories(box / "out2");
    std::vector<std::string> rel = {"-input=prod/Data/T/T.obj", "-coord=c.json", "-output=out1"};
    std::vector<std::string> abs = {"-input=abs", "-coord=c.json", "-output=out2",
                                    "-metadata=none"};
    rel.insert(rel.end(), c.args.begin(), c.args.end());
    abs.insert(abs.end(), c.args.begin(), c.args.end());
    if (std::string(c.name) == "ENU -> project") abs.push_back("-inputbase=ENU:117,30");
    const RunResult a = box.run(rel);
    ASSERT_EQ(a.exitStatus, 0) << a.err;
    const RunResult b = box.run(abs);
    ASSERT_EQ(b.exitStatus, 0) << b.err;
    EXPECT_EQ(box.read("out1/T.obj"), box.read("out2/T.obj"));
    EXPECT_EQ(a.out, b.out);
  }
}

// What the run says of the metadata.xml and of where the vertices lie: the message, a part of
// standard error, and whether anything was written.
TEST(Metadata, FrameChecksAndWarnings) {
  const std::string wkt =
      "PROJCS[&quot;local&quot;,GEOGCS[&quot;g&quot;,DATUM[&quot;d&quot;,SPHEROID[&quot;s&quot;,"
      "6378137,298.257222101]]],PROJECTION[&quot;Transverse_Mercator&quot;],"
      "PARAMETER[&quot;latitude_of_origin&quot;,0],PARAMETER[&quot;central_meridian&quot;,"
      "113.37],PARAMETER[&quot;scale_factor&quot;,1],PARAMETER[&quot;false_easting&quot;,"
      "500000],PARAMETER[&quot;false_northing&quot;,0],AUTHORITY[&quot;EPSG&quot;,"
      "&quot;4547&quot;]]";
  struct Case {
    const char* name;
    std::string xml;  // prod/metadata.xml; empty: none
    std::vector<std::string> args;
    int exit;
    const char* out;
    const char* err;
  };
  const Case cases[] = {
      {"not well-formed", "<ModelMetadata>\n<SRS>EPSG:4548</SRS>\n<SRSOrigin>\n",
       {}, 255, "metadata set error!!\n", "metadata.xml:3: "},
      {"UTF-16 with a lone surrogate",
       utf16le(metadata("EPSG:4548", "")) + std::string("\0\xD8", 2), {}, 255,
       "metadata set error!!\n", "metadata.xml:7: not UTF-16 text at byte"},
      {"ENU tiles into the zone", metadata("ENU:30,117", ""), {}, 255,
       "metadata set error!!\n", "convert it back with -toProj=0 -bENU=1"},
      {"project tiles as ENU", metadata("EPSG:4548", ""), {"-toProj=0", "-bENU=1"}, 255,
       "metadata set error!!\n", "is not an ENU frame"},
      {"-inputbase not the SRS", metadata("ENU:30,117", ""),
       {"-toProj=0", "-bENU=1", "-inputbase=ENU:117,30.01"}, 255, "inputbase set error!!\n",
       "latitude 30.010000, is not the one"},
      {"no such file", "", {"-metadata=nothere.xml"}, 255, "metadata set error!!\n",
       "'nothere.xml' does not exist"},
      {"written onto the one read", metadata("EPSG:4548", "500000,3320000,0"),
       {"-input=prod/Data", "-output=prod", "-tree=0"}, 255, "output name conflict!!\n",
       "is the metadata.xml read"},
      {"nearest standard code", metadata("EPSG:4547", "500000,3320000,0"), {}, 0,
       "4548\nconvert success!!\n", "central meridian 114 vs 117"},
      {"WKT against its own tag", metadata(wkt, "500000,3320000,0"), {}, 0,
       "4548\nconvert success!!\n", "is tagged EPSG:4547 but its parameters"},
      {"other forms", metadata("+proj=tmerc +lon_0=117", "500000,3320000,0"), {}, 0,
       "4548\nconvert success!!\n", "is not checked against the coordinate file"},
      {"SRSOrigin missing", "", {}, 0, "4548\nconvert success!!\n",
       "vertices up to 4.487 degrees from the central meridian"},
      {"-inputbase swapped", "", {"-toProj=0", "-inputbase=ENU:30,50"}, 0,
       "convert success!!\n", "is -inputbase swapped?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.write("c.json", kPlain117);
    if (!c.xml.empty()) box.write("prod/metadata.xml", c.xml);
    box.write("prod/Data/T/T.obj", "v 10.5 20.25 5\nv -30 40 6\n");
    cli::fs::create_directories(box / "out");
    std::vector<std::string> args = {"-input=prod", "-coord=c.json", "-output=out", "-tree=1"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult result = box.run(args);
    EXPECT_EQ(result.exitStatus, c.exit) << result.err;
    EXPECT_EQ(result.out, c.out);
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    if (c.exit != 0) {
      EXPECT_TRUE(box.listing("out").empty());
    }
  }
  // Far from the meridian: the warning names the distance and the error there.
  Sandbox box;
  box.write("c.json", kPlain117);
  box.write("t.obj", "v 10.5 20.25 5\n");
  const RunResult distant = box.run({"-input=t.obj", "-coord=c.json", "-output=z.obj"});
  EXPECT_NE(distant.err.find("t.obj: vertices up to 4.487"), std::string::npos) << distant.err;
  EXPECT_NE(distant.err.find("error reaches 3.3 mm forward, 12.9 mm inverse"), std::string::npos)
      << distant.err;
}

// A production tree to ENU (-tree=1 -materials=copy) and back: the same numbers, and each
// metadata.xml written says the frame its vertices are in, everything else kept.
TEST(Metadata, ProductionTreeToEnuAndBack) {
  Sandbox box;
  box.write("c.json", kPlain117);
  box.write("prod/metadata.xml", metadata("EPSG:4548", "500000,3320000,0"));
  for (const std::string tile : {"Tile_+000_+000", "Tile_+001_+000"}) {
    box.write("prod/Data/" + tile + "/" + tile + ".obj",
              "mtllib " + tile + ".mtl\nv 10.5 20.25 5\nv -30 " +
                  (tile.back() == '0' ? "40" : "140") + " 6\nvt 0 0\nf 1/1 2/1 1/1\n");
    box.write("prod/Data/" + tile + "/" + tile + ".mtl", "newmtl m\nmap_Kd tex.jpg\n");
    box.write("prod/Data/" + tile + "/tex.jpg", tile);
  }
  cli::fs::create_directories(box / "enu");
  cli::fs::create_directories(box / "back");
  const RunResult there = box.run({"-input=prod", "-coord=c.json", "-output=enu", "-tree=1",
                                   "-materials=copy", "-toProj=0", "-base=enu/base.txt"});
  ASSERT_EQ(there.exitStatus, 0) << there.err;
  EXPECT_EQ(box.read("enu/Data/Tile_+001_+000/tex.jpg"), "Tile_+001_+000");
  pugi::xml_document written;
  ASSERT_TRUE(written.load_file((box / "enu/metadata.xml").string().c_str(),
                                 pugi::parse_default | pugi::parse_comments));
  const pugi::xml_node root = written.child("ModelMetadata");
  EXPECT_EQ(std::string(root.child_value("SRS")), box.read("enu/base.txt"));
  EXPECT_STREQ(root.child_value("SRSOrigin"), "0,0,0");
  EXPECT_STREQ(root.child("Texture").child_value("ColorSource"), "Visible");
  EXPECT_STREQ(root.first_child().value(), "Spatial Reference System");

  // Back: the origin is the ENU:LAT,LON of enu/metadata.xml (one line says so).
  const RunResult back = box.run({"-input=enu", "-coord=c.json", "-output=back", "-tree=1",
                                  "-materials=copy", "-toProj=0", "-bENU=1"});
  ASSERT_EQ(back.exitStatus, 0) << back.err;
  EXPECT_NE(back.err.find("the ENU origin is <SRS>" + box.read("enu/base.txt")),
            std::string::npos)
      << back.err;
  const std::vector<double> expected = {500010.5, 3320020.25, 5, 499970, 3320040, 6};
  const std::vector<double> got =
      cli::vertexNumbers(box.read("back/Data/Tile_+000_+000/Tile_+000_+000.obj"));
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], 1e-4) << i;
  pugi::xml_document project;
  ASSERT_TRUE(project.load_file((box / "back/metadata.xml").string().c_str()));
  const std::string srs = project.child("ModelMetadata").child_value("SRS");
  EXPECT_EQ(srs.rfind("PROJCS[", 0), 0u) << srs;
  EXPECT_NE(srs.find("PARAMETER[\"central_meridian\",117]"), std::string::npos) << srs;
  EXPECT_NE(srs.find("AUTHORITY[\"EPSG\",\"4548\"]"), std::string::npos) << srs;

  // A plane correction: no standard frame states the project frame, so none is written.
  box.write("plane.json", R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude":
      117, "xoffset": 500000}, "planeparam": {"startx": 500000, "starty": 3320000,
      "rotate": 0.001, "scale": 1}})");
  cli::fs::create_directories(box / "corrected");
  const RunResult corrected = box.run({"-input=enu", "-coord=plane.json", "-output=corrected",
                                       "-tree=1", "-toProj=0", "-bENU=1"});
  ASSERT_EQ(corrected.exitStatus, 0) << corrected.err;
  EXPECT_FALSE(box.exists("corrected/metadata.xml"));
  EXPECT_NE(corrected.err.find("has a plane correction"), std::string::npos) << corrected.err;
  // The zone mode: the zone code printed.
  cli::fs::create_directories(box / "zone");
  ASSERT_EQ(box.run({"-input=prod", "-coord=c.json", "-output=zone", "-tree=1"}).exitStatus, 0);
  pugi::xml_document zone;
  ASSERT_TRUE(zone.load_file((box / "zone/metadata.xml").string().c_str()));
  EXPECT_STREQ(zone.child("ModelMetadata").child_value("SRS"), "EPSG:4548");
}

// -dryrun reads, prints the frame facts and every warning of the run, and writes nothing.
TEST(Metadata, DryRunWritesNothing) {
  Sandbox box;
  box.write("c.json", kPlain117);
  box.write("prod/metadata.xml", metadata("EPSG:4547", ""));
  box.write("prod/Data/T/T.obj", "v 10.5 20.25 5\nv -30 40 6\n");
  cli::fs::create_directories(box / "out");
  const std::vector<std::string> args = {"-input=prod", "-coord=c.json", "-output=out",
                                         "-tree=1", "-toProj=0", "-base=out/base.txt"};
  std::vector<std::string> dry = args;
  dry.push_back("-dryrun=1");
  const RunResult plan = box.run(dry);
  ASSERT_EQ(plan.exitStatus, 0) << plan.err;
  EXPECT_TRUE(box.listing("out").empty());
  for (const char* said : {"input 'prod", "metadata.xml read 'prod", "<SRS>EPSG:4547</SRS>",
                           "definition 1: 2 vertices", "largest distance 4.487",
                           "ENU origin ENU:", "nothing written"}) {
    EXPECT_NE(plan.out.find(said), std::string::npos) << said << "\n" << plan.out;
  }
  const RunResult run = box.run(args);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(plan.err, run.err);  // the same warnings, and no other
}

// A metadata.xml in UTF-16 is read as its UTF-8 twin is; the one written is UTF-8 and says so.
TEST(Metadata, Utf16IsRead) {
  Sandbox box;
  box.write("c.json", kPlain117);
  const std::string xml = metadata("EPSG:4548", "500000,3320000,0");
  const std::string declared = "encoding=\"utf-8\"";
  std::string utf16 = xml;
  utf16.replace(utf16.find(declared), declared.size(), "encoding=\"utf-16\"");
  box.write("utf8/metadata.xml", xml);
  box.write("utf16/metadata.xml", utf16le(utf16));
  for (const std::string prod : {"utf8", "utf16"}) {
    box.write(prod + "/Data/T/T.obj", "v 10.5 20.25 5\nv -30 40 6\n");
    cli::fs::create_directories(box / ("out-" + prod));
    const RunResult run = box.run({"-input=" + prod, "-coord=c.json", "-output=out-" + prod,
                                   "-tree=1", "-toProj=0", "-base=base-" + prod + ".txt"});
    ASSERT_EQ(run.exitStatus, 0) << prod << ": " << run.err;
  }
  EXPECT_EQ(box.read("out-utf16/Data/T/T.obj"), box.read("out-utf8/Data/T/T.obj"));
  EXPECT_EQ(box.read("out-utf16/metadata.xml"), box.read("out-utf8/metadata.xml"));
  EXPECT_EQ(box.read("out-utf16/metadata.xml").rfind(
                "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ModelMetadata", 0),
            0u);
}
