// The rewriting of one file (converted in blocks on one thread): what each line becomes, the
// failures, the batches in file order, in place, very long lines.
#include "obj/obj_rewriting.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "obj/block_pipeline.h"
#include "obj/function_conversion.h"
#include "obj/obj_test_files.h"

namespace {

using namespace std::string_literals;

// x + 1, y * 2, z - 3: every output number shows that the right input went through, and the
// expected texts below can be worked out by hand.
const auto affine = [](const double in[3], double out[3]) {
  out[0] = in[0] + 1.0;
  out[1] = in[1] * 2.0;
  out[2] = in[2] - 3.0;
  return true;
};


struct RewriteCase {
  std::string input;
  std::string expected;
  std::uint64_t vertexCount;
};

const std::vector<RewriteCase>& rewriteCases() {
  static const std::vector<RewriteCase> cases = {
      {"", "", 0},
      {"v 1 2 3\n", "v 2.000000 4.000000 0.000000\n", 1},
      // Every line keeps its own line end: CR LF, LF, a lone CR, or none at the end.
      {"v 1 2 3\r\nvt 0.5 0.5\r\nf 1/1 2/2 3/3\r\n",
       "v 2.000000 4.000000 0.000000\r\nvt 0.5 0.5\r\nf 1/1 2/2 3/3\r\n", 1},
      {"v 1 2 3\rf 1 2 3\rv 0 0 0\nf 1\r\n",
       "v 2.000000 4.000000 0.000000\rf 1 2 3\rv 1.000000 0.000000 -3.000000\nf 1\r\n", 2},
      {"f 1 2 3", "f 1 2 3", 0},
      {"v 1 2 3", "v 2.000000 4.000000 0.000000", 1},
      // Tokens after the third number are kept: w, vertex colours, a trailing comment.
      {"v 1 2 3 0.5 0.25 1\n", "v 2.000000 4.000000 0.000000 0.5 0.25 1\n", 1},
      {"v 1 2 3 1.0 # corner \r\n", "v 2.000000 4.000000 0.000000 1.0 # corner\r\n", 1},
      // Indented and tab-separated vertex lines are vertex lines.
      {"  v 1 2 3\n", "v 2.000000 4.000000 0.000000\n", 1},
      {"v\t1\t2\t3\n", "v 2.000000 4.000000 0.000000\n", 1},
      // Other keywords are copied byte for byte, blanks included.
      {"vn 0 0 1\nvt 1 1\nvp 1 2 3\nv1 2 3 4\nf 1//1  2//2 3//3 \nusemtl a b\nmtllib x.mtl\n",
       "vn 0 0 1\nvt 1 1\nvp 1 2 3\nv1 2 3 4\nf 1//1  2//2 3//3 \nusemtl a b\nmtllib x.mtl\n", 0},
      // Comments (continued ones too), empty lines and lines of blanks are kept as they are.
      {"# c\n\n   \n\t\r\n  # c\n# d \\\nv 1 2 3\nf 1\n",
       "# c\n\n   \n\t\r\n  # c\n# d \\\nv 1 2 3\nf 1\n", 0},
      // A continued face line is kept; a continued vertex line becomes one line.
      {"f 1 2 \\\n3 4\n", "f 1 2 \\\n3 4\n", 0},
      {"v 1 \\\r\n2 \\\r\n3\r\n", "v 2.000000 4.000000 0.000000\r\n", 1},
      // Number text: all integer digits, six rounded decimals, "-0.000000" for a tiny negative.
      // 1234566.891 + 1 and 2.9999996 - 3 are within 1e-9 of 1234567.891 and -0.0000004
      // (python3: '%f' % (1234566.891 + 1) is 1234567.891000, '%f' % (2.9999996 - 3) is
      // -0.000000).
      {"v 1234566.891 0 2.9999996\n", "v 1234567.891000 0.000000 -0.000000\n", 1},
      {"v -1 -0.0000004 3.0000007\n", "v 0.000000 -0.000001 0.000001\n", 1},
      // Numbers as strtod reads them: exponents, hex, a sign, a point at either end.
      {"v 1e3 0x10 -.5\n", "v 1001.000000 32.000000 -3.500000\n", 1},
      {"v +2 3. 5E-1\n", "v 3.000000 6.000000 -2.500000\n", 1},
      // A UTF-8 byte-order mark at the start stays, before a vertex line or any other; a
      // partial one, or one further on, starts a line that is not a vertex line.
      {"\xEF\xBB\xBF  v 1 2 3\nf 1\n", "\xEF\xBB\xBFv 2.000000 4.000000 0.000000\nf 1\n", 1},
      {"\xEF\xBB\xBF# c\nv 1 2 3\n", "\xEF\xBB\xBF# c\nv 2.000000 4.000000 0.000000\n", 1},
      {"\xEF\xBB v 1 2 3\nv 1 2 3\n\xEF\xBB\xBFv 1 2 3\n",
       "\xEF\xBB v 1 2 3\nv 2.000000 4.000000 0.000000\n\xEF\xBB\xBFv 1 2 3\n", 1},
      // A NUL inside a further token ends the token; the other lines keep every byte.
      {"v 1 2 3 4\0x 5\nf \0 1\n"s, "v 2.000000 4.000000 0.000000 4 5\nf \0 1\n"s, 1},
  };
  return cases;
}

TEST(ObjRewriting, RewritesVertexLinesAndCopiesTheRest) {
  objtest::TempDir dir;
  const auto& cases = rewriteCases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string input = dir.write("in.obj", cases[i].input);
    // Blocks of one byte put a cut at every line end, and one takes the whole file.
    for (const std::size_t blockSize : {std::size_t{1}, std::size_t{5}, std::size_t{4096}}) {
      SCOPED_TRACE("case " + std::to_string(i) + ", block " + std::to_string(blockSize));
      const ConvertOutcome outcome =
          convertFileThrough(affine, input, dir / "out.obj", 1, blockSize);
      ASSERT_EQ(outcome.status, ConvertStatus::converted) << outcome.detail;
      EXPECT_EQ(dir.read("out.obj"), cases[i].expected);
      EXPECT_EQ(outcome.vertexCount, cases[i].vertexCount);
      EXPECT_TRUE(outcome.detail.empty());
    }
  }
  EXPECT_EQ(dir.names(), (std::set<std::string>{"in.obj", "out.obj"})) << "temporary file left";
}

// Progress is told once per block written, with the bytes of the file up to its end: blocks of
// 500 bytes end at the last whole 8-byte line in them (496, 992, 1488), the last at the file's
// end.
TEST(ObjRewriting, ProgressFollowsTheBlocksWritten) {
  struct Recorder : ProgressSink {
    std::vector<std::uint64_t> calls;
    void advanced(std::uint64_t bytesRead) override { calls.push_back(bytesRead); }
  };
  objtest::TempDir dir;
  std::string text;
  for (int i = 0; i < 100; ++i) text += "v 1 2 3\nf 1 2 3\n";  // 1600 bytes
  const std::string input = dir.write("in.obj", text);
  Recorder recorder;
  const ConvertOutcome outcome =
      convertFileThrough(affine, input, dir / "out.obj", 1, 500, &recorder);
  ASSERT_EQ(outcome.status, ConvertStatus::converted) << outcome.detail;
  EXPECT_EQ(recorder.calls, (std::vector<std::uint64_t>{496, 992, 1488, 1600}));
}

struct FailureCase {
  std::string input;
  ConvertStatus status;
  std::uint64_t line;
  std::string detail;
};

// A conversion that refuses x > 100 and multiplies by 10, so 1e308 becomes inf.
const auto refusesLargeX = [](const double in[3], double out[3]) {
  if (in[0] > 100.0) return false;
  for (int i = 0; i < 3; ++i) out[i] = in[i] * 10.0;
  return true;
};

TEST(ObjRewriting, VertexFailuresNameTheLineAndWriteNothing) {
  const std::vector<FailureCase> cases = {
      {"v 1 2 3\nv 1 2\n", ConvertStatus::shortVertexLine, 2, "v line has 2 numbers, needs 3"},
      {"v\n", ConvertStatus::shortVertexLine, 1, "v line has 0 numbers, needs 3"},
      {"f 1\r\n  v 7 \r\n", ConvertStatus::shortVertexLine, 2, "v line has 1 number, needs 3"},
      // The line number is where the logical line starts, after skipped and joined lines.
      {"# a \\\nb\n\nf 1 \\\n2\nv 1\\\n 2\n", ConvertStatus::shortVertexLine, 6,
       "v line has 2 numbers, needs 3"},
      // A NUL inside one of the three numbers would silently shorten it.
      {"v 1 2 3\nv 1 2\0 3\n"s, ConvertStatus::shortVertexLine, 2,
       "number 2 of the v line holds a NUL byte"},
      {"v 1 2 3\rv 1 2\rf 1 2 3\n", ConvertStatus::shortVertexLine, 2,
       "v line has 2 numbers, needs 3"},
      // A number must be all number: no word, decimal comma, trailing byte or comment.
      {"v 1 2 3\nv abc def ghi\n", ConvertStatus::shortVertexLine, 2,
       "number 1 of the v line is not a number: \"abc\""},
      {"v 500179,859066 3320239,720679 37,603738\n", ConvertStatus::shortVertexLine, 1,
       "number 1 of the v line is not a number: \"500179,859066\""},
      {"v 500000 3320000 #10\n", ConvertStatus::shortVertexLine, 1,
       "number 3 of the v line is not a number: \"#10\""},
      {"v 1 2 \x01" + std::string(70, '9') + "\n", ConvertStatus::shortVertexLine, 1,
       "number 3 of the v line is not a number: \"\\x01" + std::string(63, '9') +
           "\"... (71 bytes)"},
      {"v 1 2 3\nv 101 2 3\n", ConvertStatus::convertFailed, 2,
       "vertex (101, 2, 3) could not be converted"},
      {"v 1 1e308 3\n", ConvertStatus::convertFailed, 1,
       "vertex (1, 1e+308, 3) could not be converted: the result (10, inf, 30) is not finite"},
      {"v 1 nan 3\n", ConvertStatus::convertFailed, 1,
       "vertex (1, nan, 3) could not be converted: the result (10, nan, 30) is not finite"},
      {"f 1\nv -inf 0 0\n", ConvertStatus::convertFailed, 2,
       "vertex (-inf, 0, 0) could not be converted: the result (-inf, 0, 0) is not finite"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    objtest::TempDir dir;
    const std::string input = dir.write("in.obj", cases[i].input);
    ConvertOutcome outcome = convertFileThrough(refusesLargeX, input, dir / "new.obj");
    EXPECT_EQ(outcome.status, cases[i].status);
    EXPECT_EQ(outcome.line, cases[i].line);
    EXPECT_EQ(outcome.detail, cases[i].detail);
    EXPECT_FALSE(dir.exists("new.obj"));

    // An existing target is left as it was; no temporary file stays behind.
    dir.write("old.obj", "previous contents\n");
    outcome = convertFileThrough(refusesLargeX, input, dir / "old.obj");
    EXPECT_EQ(outcome.status, cases[i].status);
    EXPECT_EQ(dir.read("old.obj"), "previous contents\n");
    EXPECT_EQ(dir.names(), (std::set<std::string>{"in.obj", "old.obj"}));
  }
}

// Batches of vertices with other bytes between them: more vertices than a batch holds, other
// lines and further tokens between the vertices (CR LF, comments, a comment longer than what
// a batch holds back), and a failing vertex followed, within the same batch, by a short
// vertex line: every vertex in its place, and the first failure in file order.
TEST(ObjRewriting, BatchesKeepTheFileOrder) {
  std::string text = "# head\r\n", expected = text;
  std::uint64_t lines = 1;
  for (int i = 0; i < 1000; ++i) {
    const std::string x = std::to_string(i % 100), extra = i % 7 == 0 ? " 0.5 # c" : "";
    text += "v " + x + " 2 3" + extra + "\r\n";
    expected += "v " + x + ".000000 2.000000 3.000000" + extra + "\r\n";
    ++lines;
    std::string other;
    if (i % 3 == 0) other += "f 1 2 3\n# between\n", lines += 2;
    if (i == 500) other += "# " + std::string(3u << 20, 'x') + "\n", ++lines;
    text += other;
    expected += other;
  }
  auto identity = [](const double in[3], double out[3]) {
    for (int k = 0; k < 3; ++k) out[k] = in[k];
    return true;
  };
  objtest::TempDir dir;
  const std::string input = dir.write("in.obj", text);
  for (const std::size_t blockSize : {std::size_t{4096}, kBlockBytes}) {
    const ConvertOutcome outcome =
        convertFileThrough(identity, input, dir / "out.obj", 1, blockSize);
    ASSERT_EQ(outcome.status, ConvertStatus::converted) << outcome.detail;
    EXPECT_TRUE(dir.read("out.obj") == expected) << "block " << blockSize;
  }
  // Small x only, so `text` converts; the second copy fails at its vertex 101 first.
  const std::string bad = dir.write("bad.obj", text + "v 101 2 3\n" + text + "v 1 2\n");
  const ConvertOutcome outcome =
      convertFileThrough(refusesLargeX, bad, dir / "bad-out.obj", 1, 4096);
  EXPECT_EQ(outcome.status, ConvertStatus::convertFailed);
  EXPECT_EQ(outcome.detail, "vertex (101, 2, 3) could not be converted");
  EXPECT_EQ(outcome.line, lines + 1);
  EXPECT_FALSE(dir.exists("bad-out.obj"));
}

TEST(ObjRewriting, MissingInputCreatesNothing) {
  objtest::TempDir dir;
  const ConvertOutcome outcome = convertFileThrough(affine, dir / "missing.obj", dir / "out.obj");
  EXPECT_EQ(outcome.status, ConvertStatus::openFailed);
  EXPECT_EQ(outcome.detail, "cannot open: No such file or directory");
  EXPECT_TRUE(dir.names().empty());
}

TEST(ObjRewriting, UnwritableOutputIsWriteFailed) {
  objtest::TempDir dir;
  const std::string input = dir.write("in.obj", "v 1 2 3\n");
  const ConvertOutcome outcome = convertFileThrough(affine, input, dir / "no-such-folder/out.obj");
  EXPECT_EQ(outcome.status, ConvertStatus::writeFailed);
  EXPECT_NE(outcome.detail.find("No such file or directory"), std::string::npos)
      << outcome.detail;
  EXPECT_EQ(dir.names(), (std::set<std::string>{"in.obj"}));
}

// Converting a file onto itself reads the original to the end before replacing it, also when
// the file is larger than one block and one output chunk.
TEST(ObjRewriting, ConvertsInPlace) {
  objtest::TempDir dir;
  std::string input;
  std::string expected;
  for (int i = 0; i < 60000; ++i) {
    const std::string n = std::to_string(i);
    input += "v " + n + " 0.5 3 0.9\r\nvt 0.25 0.75\r\nf " + n + " 1 2\r\n";
    expected += "v " + std::to_string(i + 1) + ".000000 1.000000 0.000000 0.9\r\nvt 0.25 0.75\r\nf " +
                n + " 1 2\r\n";
  }
  const std::string path = dir.write("tile.obj", input);
  const ConvertOutcome outcome = convertFileThrough(affine, path, path, 1, 64 * 1024);
  ASSERT_EQ(outcome.status, ConvertStatus::converted) << outcome.detail;
  EXPECT_EQ(outcome.vertexCount, 60000u);
  EXPECT_TRUE(dir.read("tile.obj") == expected) << "in-place output differs";
  EXPECT_EQ(dir.names(), (std::set<std::string>{"tile.obj"}));
}

// A line longer than the output chunk (1 MiB) and than a block may grow to (streamed) is
// written whole.
TEST(ObjRewriting, KeepsVeryLongLines) {
  objtest::TempDir dir;
  std::string face = "f";
  for (int i = 1; i <= 300000; ++i) face.append(" ").append(std::to_string(i));
  std::string colours;
  for (int i = 0; i < 200000; ++i) colours += " 0.5";
  const std::string input = dir.write(
      "in.obj", "v 0 0 3" + colours + "\n" + face + "\r\nv 1 2 3\n");
  const ConvertOutcome outcome = convertFileThrough(affine, input, dir / "out.obj", 1, 4096);
  ASSERT_EQ(outcome.status, ConvertStatus::converted) << outcome.detail;
  EXPECT_TRUE(dir.read("out.obj") == "v 1.000000 0.000000 0.000000" + colours + "\n" + face +
                                         "\r\nv 2.000000 4.000000 0.000000\n");
}

}  // namespace
