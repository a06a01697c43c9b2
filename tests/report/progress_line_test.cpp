// The progress line: what it draws, that it erases itself, the summary, and silence when off.
#include "report/progress_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string drawn(bool enabled) {
  std::FILE* out = std::tmpfile();
  ProgressLine progress(out, enabled, 3000000, 2);
  progress.startFile(1, "tiles/a.obj", 2000000);
  progress.advanced(1000000);  // within 100 ms of the start: not redrawn
  progress.finishFile(10);
  progress.startFile(2, "tiles/b.obj", 1000000);
  progress.finishFile(5);
  progress.summary();
  std::rewind(out);
  std::string text;
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) text += static_cast<char>(c);
  std::fclose(out);
  return text;
}

TEST(ProgressLine, DrawsEachFileThenErasesAndSummarises) {
  const std::string text = drawn(true);
  EXPECT_EQ(text.rfind("\r[1/2] tiles/a.obj  0%  ", 0), 0u) << text;
  // Within 100 ms of the first drawing nothing is redrawn, not even for the next file.
  EXPECT_EQ(text.find("50%"), std::string::npos) << text;
  EXPECT_EQ(text.find("[2/2]"), std::string::npos) << text;
  // Erased (carriage return, clear to the end of the line), then the summary on its own line.
  const std::size_t summary = text.find("\r\x1b[Kquorvex: 2 files, 15 vertices, 3.0 MB, ");
  ASSERT_NE(summary, std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 31), " vertices/s, no vertex sampled\n") << text;
}

TEST(ProgressLine, WritesNothingWhenOff) { EXPECT_EQ(drawn(false), ""); }

TEST(ProgressLine, SummaryText) {
  RoundTripTally measured, failed;
  const double input[3] = {1, 2, 3}, back[3] = {1.00003, 2.00004, 3.00001};  // 0.05 mm
  measured.add(input, back);
  failed.merge(measured);
  failed.addFailed();
  EXPECT_EQ(ProgressLine::summaryText(1, 1000000, 148500000, 2.0, measured),
            "quorvex: 1 file, 1000000 vertices, 148.5 MB, 2.00 s, 500000 vertices/s, "
            "largest round trip 0.0500 mm");
  EXPECT_EQ(ProgressLine::summaryText(2, 5, 0, 0.0, failed),
            "quorvex: 2 files, 5 vertices, 0.0 MB, 0.00 s, 0 vertices/s, "
            "round trip failed for 1 vertices");
  EXPECT_EQ(ProgressLine::summaryText(0, 0, 0, 0.0, {}),
            "quorvex: 0 files, 0 vertices, 0.0 MB, 0.00 s, 0 vertices/s, no vertex sampled");
}

}  // namespace
