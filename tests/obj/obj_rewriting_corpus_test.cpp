// Real OBJ files written by other tools (Rhino, Blender, hand-made loader fixtures) go through
// the converter unchanged in their numbers: the output must be what the string model of the
// line rules, with C's atof and "%f", gives for the same bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "obj/block_pipeline.h"
#include "obj/function_conversion.h"
#include "obj/obj_test_files.h"
#include "obj/reference_obj_reader.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(QUORVEX_SOURCE_DIR) / "tests" / "obj" / "corpus";

const auto identity = [](const double in[3], double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = in[i];
  return true;
};

std::string convertedText(const fs::path& input, const objtest::TempDir& dir,
                          ConvertOutcome& outcome) {
  outcome = convertFileThrough(identity, input.string(), dir / "out.obj");
  return outcome.status == ConvertStatus::converted ? dir.read("out.obj") : std::string();
}

TEST(ObjCorpus, EveryFileMatchesTheIstreamModel) {
  ASSERT_TRUE(fs::is_directory(kCorpus)) << kCorpus;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kCorpus)) {
    if (entry.path().extension() == ".obj") files.push_back(entry.path());
  }
  ASSERT_FALSE(files.empty());
  objtest::TempDir dir;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    const reference::Outcome expected =
        reference::convertText(objtest::readBytes(file), identity);
    ASSERT_EQ(expected.status, reference::Status::converted);
    ConvertOutcome outcome;
    const std::string text = convertedText(file, dir, outcome);
    ASSERT_EQ(outcome.status, ConvertStatus::converted) << outcome.detail;
    EXPECT_EQ(outcome.vertexCount, expected.vertexCount);
    EXPECT_EQ(text, expected.text);
  }
}

// Every logical line that is not a vertex line comes out byte for byte, in order, and each
// vertex line keeps its numbers (identity, to 1e-6) and its line end.
TEST(ObjCorpus, IdentityKeepsEveryOtherLine) {
  objtest::TempDir dir;
  for (const auto& entry : fs::directory_iterator(kCorpus)) {
    if (entry.path().extension() != ".obj") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ConvertOutcome outcome;
    const std::vector<reference::Line> out =
        reference::logicalLines(convertedText(entry.path(), dir, outcome));
    const std::vector<reference::Line> in =
        reference::logicalLines(objtest::readBytes(entry.path()));
    ASSERT_EQ(out.size(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
      SCOPED_TRACE("logical line " + std::to_string(i));
      ASSERT_EQ(out[i].vertex(), in[i].vertex());
      if (!in[i].vertex()) {
        EXPECT_EQ(out[i].raw, in[i].raw);
        continue;
      }
      EXPECT_EQ(out[i].lineEnd, in[i].lineEnd);
      for (std::size_t k = 1; k < 4; ++k) {
        EXPECT_NEAR(std::atof(out[i].runs[k].c_str()), std::atof(in[i].runs[k].c_str()), 5e-7);
      }
    }
  }
}

// A few files checked against outputs worked out by hand, so the model itself is pinned.
TEST(ObjCorpus, HandCheckedFiles) {
  ASSERT_TRUE(fs::is_directory(kCorpus)) << kCorpus;
  const std::string comment = "# Blender v2.74 (sub 0) OBJ File: ''\n# www.blender.org\n";
  const std::string triangle =
      "v -1.000000 0.000000 1.000000\n"
      "v 1.000000 0.000000 1.000000\n"
      "v -1.000000 0.000000 -1.000000\n"
      "s off\n"
      "f 1 2 3\n";
  objtest::TempDir dir;
  ConvertOutcome outcome;
  // One vertex line spread over five physical lines, one of them blank, becomes one line.
  EXPECT_EQ(convertedText(kCorpus / "helix-line-continuation-empty-continuation.obj", dir,
                          outcome),
            comment + triangle);
  EXPECT_EQ(outcome.vertexCount, 3u);
  // Only comments: the same file.
  const fs::path empty = kCorpus / "trimesh-empty-blender.obj";
  EXPECT_EQ(convertedText(empty, dir, outcome), objtest::readBytes(empty));
  EXPECT_EQ(outcome.vertexCount, 0u);

  // The cube keeps the w of each vertex (not the blank after it), its empty lines and its
  // comments.
  const std::string cube = convertedText(kCorpus / "tinyobjloader-cube-vertex-w.obj", dir, outcome);
  EXPECT_EQ(cube.substr(0, cube.find("g front")),
            "mtllib cube.mtl\n"
            "\n"
            "v 0.000000 2.000000 2.000000 0.1\n"
            "v 0.000000 0.000000 2.000000 0.2\n"
            "v 2.000000 0.000000 2.000000 0.3\n"
            "v 2.000000 2.000000 2.000000 0.4\n"
            "v 0.000000 2.000000 0.000000 0.5\n"
            "v 0.000000 0.000000 0.000000 0.6\n"
            "v 2.000000 0.000000 0.000000 0.7\n"
            "v 2.000000 2.000000 0.000000 0.8\n"
            "# 8 vertices\n"
            "\n");
  EXPECT_EQ(outcome.vertexCount, 8u);
}

}  // namespace
