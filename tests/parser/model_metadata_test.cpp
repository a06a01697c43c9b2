// A production's metadata.xml read and rewritten (parser/model_metadata.h).
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "parser/model_metadata.h"

namespace {

constexpr char kHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

}  // namespace

TEST(ModelMetadata, Read) {
  struct Case {
    std::string text;
    const char* srs;     // null: refused
    Point3 origin;
    const char* why;     // refused: the reason, line first
  };
  const Case cases[] = {
      {std::string(kHead) + "<ModelMetadata version=\"1\">\n  <!--SRS-->\n  <SRS>EPSG:4548</SRS>\n"
           "  <SRSOrigin>500000, 3320000 ,-12.5</SRSOrigin>\n</ModelMetadata>\n",
       "EPSG:4548", {500000, 3320000, -12.5}, ""},
      // Entities decoded; no <SRSOrigin> is 0, 0, 0.
      {"<ModelMetadata><SRS>PROJCS[&quot;a &amp; b&quot;]</SRS></ModelMetadata>",
       "PROJCS[\"a & b\"]", {0, 0, 0}, ""},
      {std::string(kHead) + "<ModelMetadata>\n<SRS>EPSG:4548</SRS>\n<Texture>\n</ModelMetadata>",
       nullptr, {}, "5: "},
      {"<Metadata><SRS>EPSG:4548</SRS></Metadata>", nullptr, {}, "1: the root element is"},
      {"<ModelMetadata>\n<SRSOrigin>0,0,0</SRSOrigin>\n</ModelMetadata>", nullptr, {},
       "1: <ModelMetadata> has no <SRS>"},
      {"<ModelMetadata>\n<SRS> </SRS></ModelMetadata>", nullptr, {}, "2: <SRS> is empty"},
      {"<ModelMetadata><SRS>EPSG:1</SRS>\n<SRS>EPSG:2</SRS></ModelMetadata>", nullptr, {},
       "2: a second <SRS>"},
      {"<ModelMetadata><SRS>EPSG:1</SRS>\n\n<SRSOrigin>1,2</SRSOrigin></ModelMetadata>", nullptr,
       {}, "3: <SRSOrigin> '1,2' is not three numbers"},
      {"<ModelMetadata><SRS>EPSG:1</SRS><SRSOrigin>1,2,nan</SRSOrigin></ModelMetadata>",
       nullptr, {}, "is not three numbers"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i));
    std::string why;
    const std::optional<ModelMetadata> metadata = readModelMetadata(c.text, &why);
    ASSERT_EQ(metadata.has_value(), c.srs != nullptr) << why;
    if (!metadata) {
      EXPECT_NE(why.find(c.why), std::string::npos) << why;
      continue;
    }
    EXPECT_EQ(metadata->srs, c.srs);
    EXPECT_EQ(metadata->origin.x, c.origin.x);
    EXPECT_EQ(metadata->origin.y, c.origin.y);
    EXPECT_EQ(metadata->origin.z, c.origin.z);
  }
}

// Everything of the file read is kept but the two values; a missing <SRSOrigin> is added on
// a line of its own; with nothing read, a minimal file. Each reads back as what was written.
TEST(ModelMetadata, RewriteKeepsTheRest) {
  const std::string read = std::string("\xEF\xBB\xBF") + kHead +
                           "<!--made by a tool-->\n<ModelMetadata version=\"1\">\n"
                           "\t<!--Spatial Reference System-->\n\t<SRS>EPSG:4548</SRS>\n"
                           "\t<Texture><ColorSource>Visible</ColorSource></Texture>\n"
                           "</ModelMetadata>\n";
  const std::string written = rewriteModelMetadata(read, "ENU:30.000000,117.000000", {});
  EXPECT_EQ(written, std::string("\xEF\xBB\xBF") + kHead +
                         "<!--made by a tool-->\n<ModelMetadata version=\"1\">\n"
                         "\t<!--Spatial Reference System-->\n"
                         "\t<SRS>ENU:30.000000,117.000000</SRS>\n\t<SRSOrigin>0,0,0</SRSOrigin>\n"
                         "\t<Texture><ColorSource>Visible</ColorSource></Texture>\n"
                         "</ModelMetadata>\n");
  const std::string fresh = rewriteModelMetadata("", "PROJCS[\"a\"]", {500000, 0.5, 0});
  EXPECT_EQ(fresh, std::string(kHead) +
                       "<ModelMetadata version=\"1\">\n  <SRS>PROJCS[\"a\"]</SRS>\n"
                       "  <SRSOrigin>500000,0.5,0</SRSOrigin>\n</ModelMetadata>\n");
  const std::optional<ModelMetadata> back = readModelMetadata(fresh, nullptr);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->srs, "PROJCS[\"a\"]");
  EXPECT_EQ(back->origin.x, 500000);
  // A UTF-16 file reaches here recoded: its declaration then names UTF-8. Another encoding's
  // bytes pass through, and keep their name.
  const std::string tail = "<ModelMetadata><SRS>a</SRS></ModelMetadata>";
  for (const auto& [declared, kept] : {std::pair{"UTF-16", "utf-8"}, {"GBK", "GBK"}}) {
    const std::string gbk = "<!--\xD6\xD0-->";
    const std::string in = std::string("<?xml version=\"1.0\" encoding=\"") + declared +
                           "\"?>\n" + gbk + tail;
    const std::string out = rewriteModelMetadata(in, "b", {});
    EXPECT_EQ(out.rfind(std::string("<?xml version=\"1.0\" encoding=\"") + kept + "\"?>\n" + gbk,
                        0),
              0u)
        << out;
  }
}
