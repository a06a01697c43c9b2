// End-to-end runs on what an input file may start with or lack (a UTF-8 byte-order mark before
// the first vertex, a UTF-16 file, no vertex line), with one thread and several.
#include <gtest/gtest.h>

#include <string>

#include "cli/cli_harness.h"

namespace {

using cli::RunResult;
using cli::Sandbox;

const char* const kCoord117 =
    R"({"type": "Custom Gauss", "define": {"centralMeridianLongitude": 117, "xoffset": 500000}})";

// "v 1 2 3\n" in UTF-16 little-endian, after its byte-order mark.
const std::string kUtf16("\xFF\xFEv\0 \0001\0 \0002\0 \0003\0\n\0", 18);

TEST(InputFiles, ByteOrderMarkIsKeptAndFilesWithoutVerticesAreWarned) {
  for (const char* threads : {"-threads=1", "-threads=2"}) {
    SCOPED_TRACE(threads);
    Sandbox box;
    box.write("c.json", kCoord117);
    box.write("in/bom.obj", "\xEF\xBB\xBFv 500000 3320113.398 0\nf 1 1 1\n");
    box.write("in/utf16.obj", kUtf16);
    box.write("in/faces.obj", "f 1 2 3\n");
    cli::fs::create_directories(box / "out");
    const RunResult zone = box.run({"-input=in", "-coord=c.json", "-output=out", threads});
    ASSERT_EQ(zone.exitStatus, 0) << zone.out << zone.err;
    EXPECT_EQ(box.read("out/bom.obj").rfind("\xEF\xBB\xBFv 500000.000000 3320113.3", 0), 0u);
    EXPECT_EQ(box.read("out/utf16.obj"), kUtf16);
    // (The folder's files are named with the system's separator: in\utf16.obj on Windows.)
    EXPECT_NE(zone.err.find("utf16.obj: the file starts with a UTF-16 byte-order mark"),
              std::string::npos)
        << zone.err;
    EXPECT_NE(zone.err.find("faces.obj: no vertex line"), std::string::npos) << zone.err;

    // The base-point scan reads the vertex after the mark: the base point is that vertex.
    const RunResult base = box.run({"-input=in", "-coord=c.json", "-toProj=0", "-baseonly=1",
                                    "-base=base.txt", threads});
    ASSERT_EQ(base.exitStatus, 0) << base.out << base.err;
    EXPECT_EQ(box.read("base.txt"), "ENU:30.000000,117.000000");
    EXPECT_NE(base.err.find("utf16.obj: the file starts with a UTF-16"), std::string::npos);
  }
}

}  // namespace
