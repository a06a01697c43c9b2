#include "obj/obj_line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "obj/obj_test_files.h"
#include "obj/reference_obj_reader.h"
#include "portable.h"

namespace {

using namespace std::string_literals;

// One logical line as the reader hands it on. Other lines: `text` is every byte copied, no
// tokens. Vertex lines: `tokens` are "v" and up to three numbers, `text` what copyExtras writes
// (each further token after a blank, then the line end).
struct ReadLine {
  std::string text;
  std::vector<std::string> tokens;
  std::uint64_t lineNumber = 0;
  friend bool operator==(const ReadLine&, const ReadLine&) = default;
};

struct StringSink : ObjSink {
  std::string bytes;
  bool write(std::string_view more) override {
    bytes.append(more);
    return true;
  }
};

std::vector<ReadLine> readAll(ObjLineReader& reader) {
  std::vector<ReadLine> lines;
  while (reader.readObjLine()) {
    ReadLine line{{}, {}, reader.lineNumber()};
    StringSink sink;
    if (reader.isVertexLine()) {
      line.tokens.emplace_back("v");
      const std::size_t count = reader.readNumbers();
      for (std::size_t i = 0; i < count; ++i) line.tokens.emplace_back(reader.number(i));
      EXPECT_TRUE(reader.copyExtras(sink));
    } else {
      EXPECT_TRUE(reader.copyLine(sink));
    }
    line.text = sink.bytes;
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<ReadLine> readMemory(const std::string& bytes, std::size_t blockSize) {
  ObjLineReader reader(blockSize);
  reader.openMemory(bytes);
  return readAll(reader);
}

std::vector<ReadLine> readReference(const std::string& bytes) {
  std::vector<ReadLine> lines;
  for (const reference::Line& line : reference::logicalLines(bytes)) {
    if (!line.vertex()) {
      lines.push_back({line.raw, {}, line.lineNumber});
      continue;
    }
    ReadLine vertex{{}, {"v"}, line.lineNumber};
    for (std::size_t i = 1; i < line.runs.size(); ++i) {
      if (i < 4) {
        vertex.tokens.push_back(reference::token(line.runs[i]));
      } else {
        vertex.text.append(" ").append(reference::token(line.runs[i]));
      }
    }
    vertex.text += line.lineEnd;
    lines.push_back(std::move(vertex));
  }
  return lines;
}

std::string show(const std::string& bytes) {
  std::string text;
  for (const char c : bytes) {
    if (c == '\n') text += "\\n";
    else if (c == '\r') text += "\\r";
    else if (c == '\t') text += "\\t";
    else if (c == '\0') text += "\\0";
    else text += c;
  }
  return text;
}

// Block sizes that put a boundary at every position of short lines, and one larger than
// every input here (no boundary at all; the default size behaves the same but is slow to
// allocate thousands of times under the sanitizers).
const std::size_t kBlockSizes[] = {1, 2, 3, 4, 5, 6, 7, 64, 4096};

struct Case {
  std::string input;
  std::vector<ReadLine> expected;  // written by hand from the line rules
};

// Each case: input bytes -> logical lines, tokens and start line numbers. Both the string
// model and the block reader (at every block size) must give exactly these.
const std::vector<Case>& handCases() {
  static const std::vector<Case> cases = {
      {"", {}},
      {"\n", {{"\n", {}, 1}}},
      // Empty and blank lines are lines; CR LF, LF and a lone CR each end one.
      {"\n\n\r\n   \n", {{"\n", {}, 1}, {"\n", {}, 2}, {"\r\n", {}, 3}, {"   \n", {}, 4}}},
      {"\r\r\n\r", {{"\r", {}, 1}, {"\r\n", {}, 2}, {"\r", {}, 3}}},
      {"v 1 2 3", {{"", {"v", "1", "2", "3"}, 1}}},
      {"v 1 2 3\n", {{"\n", {"v", "1", "2", "3"}, 1}}},
      {"v 1 2 3\r\nf 1 2 3\r\n", {{"\r\n", {"v", "1", "2", "3"}, 1}, {"f 1 2 3\r\n", {}, 2}}},
      // A lone CR ends a line: faces after it are lines of their own, not vertex tokens.
      {"v 1 2 3\rf 1 2 3\rv 4 5 6 7\r",
       {{"\r", {"v", "1", "2", "3"}, 1}, {"f 1 2 3\r", {}, 2}, {" 7\r", {"v", "4", "5", "6"}, 3}}},
      {"vt 1 2\r\r\n", {{"vt 1 2\r", {}, 1}, {"\r\n", {}, 2}}},
      {"\tv\t1\t2\t3 4 5 6 \n", {{" 4 5 6\n", {"v", "1", "2", "3"}, 1}}},
      {"vn 0 0 1\nvertex 1\nv1 2 3\n",
       {{"vn 0 0 1\n", {}, 1}, {"vertex 1\n", {}, 2}, {"v1 2 3\n", {}, 3}}},
      {"# comment\n  # kept\nf 1\n", {{"# comment\n", {}, 1}, {"  # kept\n", {}, 2}, {"f 1\n", {}, 3}}},
      // A comment keeps its continuation lines.
      {"# a \\\nv 1 2 3\nf 1\n", {{"# a \\\nv 1 2 3\n", {}, 1}, {"f 1\n", {}, 3}}},
      {"#v 1 2 3\n", {{"#v 1 2 3\n", {}, 1}}},
      // Continuations: other lines keep every byte, vertex lines are joined.
      {"f 1 2 \\\r\n3 4\r\nl 1\n", {{"f 1 2 \\\r\n3 4\r\n", {}, 1}, {"l 1\n", {}, 3}}},
      {"v 1 \\\n2 \\\r3\n", {{"\n", {"v", "1", "2", "3"}, 1}}},
      {"v 1\\\n\\\n2\\\n 3\n", {{"\n", {"v", "12", "3"}, 1}}},
      // The kind is decided on the joined text: "v\" + "n" is "vn", "v\" + " 1" is "v 1".
      {"v\\\nn 0 0 1\n", {{"v\\\nn 0 0 1\n", {}, 1}}},
      {"  v\\\r\n 1 2 3\n", {{"\n", {"v", "1", "2", "3"}, 1}}},
      // A continuation onto an empty line ends there.
      {"\\\n\nf 2\n", {{"\\\n\n", {}, 1}, {"f 2\n", {}, 3}}},
      {"v 1 \\\n\n2 3\n", {{"\n", {"v", "1"}, 1}, {"2 3\n", {}, 3}}},
      // Two backslashes: the last is the continuation mark, the other is text.
      {"v 1 2 3 a\\\\\nb\n", {{" a\\b\n", {"v", "1", "2", "3"}, 1}}},
      // A trailing backslash with nothing after it: the vertex line ends, its line end kept.
      {"v 1 2 3\\", {{"", {"v", "1", "2", "3"}, 1}}},
      {"v 1 2 3\\\n", {{"\n", {"v", "1", "2", "3"}, 1}}},
      {"f 1 2\\\\\\", {{"f 1 2\\\\\\", {}, 1}}},
      // Tokens end at an embedded NUL; other lines keep every byte.
      {"v\0junk 1 2 3\n"s, {{"\n", {"v", "1", "2", "3"}, 1}}},
      {"v 1\0x 2 3 4\0y 5\n"s, {{" 4 5\n", {"v", "1", "2", "3"}, 1}}},
      {"\0v 1\n"s, {{"\0v 1\n"s, {}, 1}}},
      {"x\0\n"s, {{"x\0\n"s, {}, 1}}},
      {"v", {{"", {"v"}, 1}}},
  };
  return cases;
}

TEST(ObjLineReader, HandWrittenCasesMatchTheRules) {
  const auto& cases = handCases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i) + ": \"" + show(cases[i].input) + "\"");
    EXPECT_EQ(readReference(cases[i].input), cases[i].expected) << "string model";
    EXPECT_EQ(readMemory(cases[i].input, ObjLineReader::kDefaultBlockSize), cases[i].expected);
    for (const std::size_t blockSize : kBlockSizes) {
      EXPECT_EQ(readMemory(cases[i].input, blockSize), cases[i].expected)
          << "block size " << blockSize;
    }
  }
}

// Random byte strings over the characters that matter to the rules, with a few others, at
// every tiny block size: the block reader must agree with the string model line for line.
TEST(ObjLineReader, RandomBytesMatchTheStringModel) {
  const char alphabet[] = {'v', ' ', '\t', '\r', '\n', '\\', '#', '\0', '1', '.', 'f', 'x', '\n'};
  std::mt19937 random(20240611);  // fixed seed: a failure can be replayed
  std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
  std::uniform_int_distribution<std::size_t> length(0, 48);
  for (int i = 0; i < 4000; ++i) {
    std::string bytes(length(random), ' ');
    for (char& c : bytes) c = alphabet[pick(random)];
    const std::vector<ReadLine> expected = readReference(bytes);
    for (const std::size_t blockSize : kBlockSizes) {
      ASSERT_EQ(readMemory(bytes, blockSize), expected)
          << "case " << i << ", block size " << blockSize << ": \"" << show(bytes) << "\"";
    }
  }
}

TEST(ObjLineReader, ReadsFilesLikeMemory) {
  objtest::TempDir dir;
  const auto& cases = handCases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string path = dir.write("case.obj", cases[i].input);
    for (const std::size_t blockSize : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
      ObjLineReader reader(blockSize);
      ASSERT_TRUE(reader.openFile(path)) << reader.error();
      EXPECT_EQ(readAll(reader), cases[i].expected) << "case " << i << ", block " << blockSize;
      EXPECT_FALSE(reader.failed()) << "case " << i;
    }
  }
}

TEST(ObjLineReader, ReportsPathsThatCannotBeRead) {
  objtest::TempDir dir;
  ObjLineReader reader;
  EXPECT_FALSE(reader.openFile(dir / "missing.obj"));
  EXPECT_EQ(reader.error(), "cannot open: No such file or directory");
  EXPECT_FALSE(reader.readObjLine());

  // A folder opens on POSIX systems but cannot be read; Windows does not open it.
  EXPECT_FALSE(reader.openFile(dir.path()));
  EXPECT_EQ(reader.error(), portable::kFolderAsObjError);
  EXPECT_FALSE(reader.readObjLine());

  // The same reader opens the next file cleanly after a failure.
  ASSERT_TRUE(reader.openFile(dir.write("a.obj", "f 1\n")));
  EXPECT_EQ(readAll(reader), (std::vector<ReadLine>{{"f 1\n", {}, 1}}));
  EXPECT_FALSE(reader.failed());
}

// Lines far longer than the block, plain, continued and vertex lines with many extra tokens,
// come back whole, with the line numbers after them right.
TEST(ObjLineReader, LinesLongerThanTheBlockComeBackWhole) {
  std::string face = "f";
  for (int i = 1; i <= 20000; ++i) face.append(" ").append(std::to_string(i));
  std::string continued = "f 1 \\\n";
  for (int i = 0; i < 3000; ++i) continued += "22 \\\r\n";
  continued += "3\n";
  std::string colours;
  for (int i = 0; i < 5000; ++i) colours += " 0." + std::to_string(i);
  const std::string bytes = face + "\n" + continued + "v 1 2 3" + colours + "\r\nv 4 5 6";

  for (const std::size_t blockSize : {std::size_t{7}, std::size_t{4096}}) {
    const std::vector<ReadLine> lines = readMemory(bytes, blockSize);
    ASSERT_EQ(lines.size(), 4u) << "block " << blockSize;
    EXPECT_EQ(lines[0].text, face + "\n");
    EXPECT_EQ(lines[1].text, continued);
    EXPECT_EQ(lines[1].lineNumber, 2u);
    EXPECT_EQ(lines[2].lineNumber, 3004u);  // after 1 face line and 3002 joined physical lines
    EXPECT_EQ(lines[2].text, colours + "\r\n");
    EXPECT_EQ(lines[3].tokens, (std::vector<std::string>{"v", "4", "5", "6"}));
    EXPECT_EQ(lines[3].lineNumber, 3005u);
  }
}

}  // namespace

namespace {

#ifdef _WIN32

// The file is closed once its last byte is read, before the caller replaces it with the
// converted file: Windows refuses to delete (or replace) a file that is still open.
TEST(ObjLineReader, ClosesTheFileAtTheEnd) {
  objtest::TempDir dir;
  const std::string path = dir.write("a.obj", "f 1\nf 2");
  ObjLineReader reader(2);
  ASSERT_TRUE(reader.openFile(path));
  EXPECT_TRUE(reader.readObjLine());
  EXPECT_NE(std::remove(path.c_str()), 0) << "an open file was deleted";
  EXPECT_TRUE(reader.readObjLine());
  StringSink last;
  ASSERT_TRUE(reader.copyLine(last));
  EXPECT_EQ(last.bytes, "f 2");
  EXPECT_EQ(std::remove(path.c_str()), 0) << "the file is still open after its last line";
  EXPECT_FALSE(reader.readObjLine());
}

#else

std::size_t openDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

// The file is closed once its last byte is read, before the caller replaces it with the
// converted file (which Windows refuses for an open file).
TEST(ObjLineReader, ClosesTheFileAtTheEnd) {
  if (!std::filesystem::exists("/proc/self/fd")) GTEST_SKIP() << "no /proc/self/fd";
  objtest::TempDir dir;
  const std::string path = dir.write("a.obj", "f 1\nf 2");
  ObjLineReader reader(2);
  const std::size_t before = openDescriptors();
  ASSERT_TRUE(reader.openFile(path));
  EXPECT_EQ(openDescriptors(), before + 1);
  EXPECT_TRUE(reader.readObjLine());
  EXPECT_TRUE(reader.readObjLine());
  reader.skipLine();
  EXPECT_EQ(openDescriptors(), before);
  EXPECT_FALSE(reader.readObjLine());
}

#endif

}  // namespace
