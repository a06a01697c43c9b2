#include "run/bounds_part.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

// Bounds read back to the bits they were written from: a merge of the parts must give the
// scan of the whole batch exactly.
TEST(BoundsPart, NumbersReadBackToTheirBits) {
  BoundsPart part;
  part.version = "0.1.0";
  part.coordinateFileSha256 = std::string(64, 'a');
  part.mode = "project frame -> ENU";
  part.srsOrigin = std::array<double, 3>{0.1, -1e-300, 123456789.125};
  part.batchFiles = 500;
  part.batchSha256 = std::string(64, 'b');
  part.shard = Shard{3, 7};
  part.files = 70;
  part.vertices = 18446744073709551615u;
  part.bounds.min = {500179.859066 + 1e-10, std::nextafter(3320239.720679, 0.0), -0.0};
  part.bounds.max = {500179.859066 + 0.1 + 0.2, 1.7976931348623157e308,
                     std::numeric_limits<double>::denorm_min()};
  BoundsPart read;
  std::string why;
  ASSERT_TRUE(readBoundsPart(boundsPartJson(part), read, why)) << why;
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(std::signbit(read.bounds.min[k]), std::signbit(part.bounds.min[k])) << k;
    EXPECT_EQ(read.bounds.min[k], part.bounds.min[k]) << k;
    EXPECT_EQ(read.bounds.max[k], part.bounds.max[k]) << k;
    EXPECT_EQ((*read.srsOrigin)[k], (*part.srsOrigin)[k]) << k;
  }
  EXPECT_EQ(read.vertices, part.vertices);
  // Without vertices the bounds are null, and read back empty.
  part.bounds = Bounds3{};
  ASSERT_TRUE(readBoundsPart(boundsPartJson(part), read, why)) << why;
  EXPECT_TRUE(read.bounds.empty());
}

TEST(BoundsPart, RefusesWhatIsNotABoundsFile) {
  BoundsPart part;
  part.bounds.add(std::array<double, 3>{1, 2, 3}.data());
  const std::string good = boundsPartJson(part);
  const auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    return text.replace(text.find(from), from.size(), to);
  };
  const struct {
    std::string text;
    const char* why;
  } cases[] = {
      {"{", "offset 1: Missing a name for object member."},
      {"[]", "not a bounds file (no \"quorvex\": \"bounds\")"},
      {replaced("\"bounds\"", "\"manifest\""), "not a bounds file (no \"quorvex\": \"bounds\")"},
      {replaced("\"vertices\": 0", "\"vertices\": -1"),
       "\"files\" and \"vertices\" must be counts"},
      {replaced("\"max\": [", "\"max\": [\"1\", "),
       "\"min\" and \"max\" must be null or 3 numbers each"},
  };
  for (const auto& c : cases) {
    BoundsPart read;
    std::string why;
    EXPECT_FALSE(readBoundsPart(c.text, read, why)) << c.text;
    EXPECT_EQ(why, c.why) << c.text;
  }
}

}  // namespace
