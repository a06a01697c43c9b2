// Real OBJ files written by other tools (Rhino, Blender, hand-made loader fixtures) go through
// the converter unchanged in their numbers: the output must be what the istream model of the
// line rules, with C's atof and "%f", gives for the same bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "obj/convert_obj_file.h"
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
  outcome = convertObjFile(input.string(), dir / "out.obj", identity);
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

// A few files checked against outputs worked out by hand, so the model itself is pinned.
TEST(ObjCorpus, HandCheckedFiles) {
  ASSERT_TRUE(fs::is_directory(kCorpus)) << kCorpus;
  const std::string triangle =
      "v -1.000000 0.000000 1.000000\n"
      "v 1.000000 0.000000 1.000000\n"
      "v -1.000000 0.000000 -1.000000\n"
      "s off\n"
      "f 1 2 3\n";
  struct Expected {
    const char* file;
    std::string text;
    std::uint64_t vertexCount;
  };
  const Expected cases[] = {
      // The comment continued over four physical lines disappears whole.
      {"helix-line-continuation-comment.obj", triangle, 3},
      // One vertex line spread over five physical lines, one of them blank.
      {"helix-line-continuation-empty-continuation.obj", triangle, 3},
      // Only comments: an empty file.
      {"trimesh-empty-blender.obj", "", 0},
  };
  objtest::TempDir dir;
  for (const Expected& expected : cases) {
    SCOPED_TRACE(expected.file);
    ConvertOutcome outcome;
    EXPECT_EQ(convertedText(kCorpus / expected.file, dir, outcome), expected.text);
    EXPECT_EQ(outcome.vertexCount, expected.vertexCount);
  }

  // The cube keeps the w of each vertex; the trailing blanks, the empty lines and the
  // first-column comments go.
  ConvertOutcome outcome;
  EXPECT_EQ(convertedText(kCorpus / "tinyobjloader-cube-vertex-w.obj", dir, outcome),
            "mtllib cube.mtl\n"
            "v 0.000000 2.000000 2.000000 0.1\n"
            "v 0.000000 0.000000 2.000000 0.2\n"
            "v 2.000000 0.000000 2.000000 0.3\n"
            "v 2.000000 2.000000 2.000000 0.4\n"
            "v 0.000000 2.000000 0.000000 0.5\n"
            "v 0.000000 0.000000 0.000000 0.6\n"
            "v 2.000000 0.000000 0.000000 0.7\n"
            "v 2.000000 2.000000 0.000000 0.8\n"
            "g front cube\nusemtl white\nf 1 2 3 4\n"
            "g back cube\nf 8 7 6 5\n"
            "g right cube\nusemtl red\nf 4 3 7 8\n"
            "g top cube\nusemtl white\nf 5 1 4 8\n"
            "g left cube\nusemtl green\nf 5 6 2 1\n"
            "g bottom cube\nusemtl white\nf 2 6 7 3\n");
  EXPECT_EQ(outcome.vertexCount, 8u);
}

}  // namespace
