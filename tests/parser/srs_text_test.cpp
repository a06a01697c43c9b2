// <SRS> texts read (parser/srs_text.h), and the EPSG table (geodesy/standard_frames.h) against
// PROJ's own definition of every code (tests/geodesy/data/epsg_projinfo.txt, written by
// make_epsg_reference.py there with projinfo).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "geodesy/reference_data.h"
#include "parser/srs_text.h"

namespace {

// Every number of two frames, within the table's own tolerances.
void expectSameFrame(const ProjectedFrame& a, const ProjectedFrame& b) {
  for (FrameValue v : {FrameValue::semiMajorAxis, FrameValue::flattening,
                       FrameValue::centralMeridian, FrameValue::originLatitude, FrameValue::scale,
                       FrameValue::falseEasting, FrameValue::falseNorthing}) {
    EXPECT_TRUE(sameFrameValue(v, frameValue(a, v), frameValue(b, v)))
        << frameValueName(v) << ": " << frameValue(a, v) << " vs " << frameValue(b, v);
  }
}

}  // namespace

// PROJ's WKT of each code, read as a metadata.xml's <SRS> is: the frame the table gives the
// code, its own AUTHORITY, and the table's code back for that frame (the 3-degree code where
// a 6-degree one is the same frame: CGCS2000 CM 117E is both EPSG:4509 and EPSG:4548).
TEST(SrsText, EveryTableCodeIsProjsFrame) {
  std::ifstream in(std::string(QUORVEX_SOURCE_DIR) + "/tests/geodesy/data/epsg_projinfo.txt");
  int checked = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const int code = std::stoi(line);
    SCOPED_TRACE("EPSG:" + std::to_string(code));
    std::string why;
    const std::optional<SrsText> srs = readSrsText(line.substr(line.find(' ') + 1), &why);
    ASSERT_TRUE(srs && srs->frame) << why;
    EXPECT_EQ(srs->code, code);
    const std::optional<ProjectedFrame> table = standardFrame(code);
    ASSERT_TRUE(table.has_value());
    expectSameFrame(*srs->frame, *table);
    const std::optional<int> back = standardCode(*srs->frame);
    ASSERT_TRUE(back.has_value());
    if (*back != code) {
      expectSameFrame(*standardFrame(*back), *table);
      // Only a 6-degree zone named by its central meridian is also a 3-degree one.
      EXPECT_TRUE((code >= 4502 && code <= 4512) || (code >= 2338 && code <= 2348) ||
                  (code >= 21473 && code <= 21483));
    }
    ++checked;
  }
  EXPECT_EQ(checked, 312);
  // Our WKT of a frame reads back as the same frame and code.
  const std::string wkt = formatWktProjcs(*standardFrame(4548), "site", 4548);
  const std::optional<SrsText> again = readSrsText(wkt, nullptr);
  ASSERT_TRUE(again && again->frame);
  expectSameFrame(*again->frame, *standardFrame(4548));
  EXPECT_EQ(again->code, 4548);
}

TEST(SrsText, Forms) {
  struct Case {
    const char* text;
    bool read;
    SrsText::Kind kind;
    double first, second;  // ENU: latitude, longitude; EPSG: code; WKT: central meridian
    const char* why;       // a part of the reason a text is refused
  };
  const Case cases[] = {
      {" ENU:30.001377,117.002642 ", true, SrsText::Kind::enu, 30.001377, 117.002642, ""},
      {"enu:-33.5, 151.25", true, SrsText::Kind::enu, -33.5, 151.25, ""},
      {"ENU:117.002642,30.001377", false, SrsText::Kind::enu, 0, 0, "latitude within"},
      {"ENU:30.1", false, SrsText::Kind::enu, 0, 0, "not ENU:LAT,LON"},
      {"EPSG:4548", true, SrsText::Kind::epsg, 4548, 0, ""},
      {"epsg: 32650", true, SrsText::Kind::epsg, 32650, 0, ""},
      {"EPSG:45x8", false, SrsText::Kind::epsg, 0, 0, "whole number"},
      {"PROJCS[\"local\",GEOGCS[\"g\",DATUM[\"d\",SPHEROID[\"s\",6378137,298.257222101]]],"
       "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"central_meridian\",113.37],"
       "PARAMETER[\"latitude_of_origin\",0],PARAMETER[\"scale_factor\",1],"
       "PARAMETER[\"false_easting\",500000],PARAMETER[\"false_northing\",0],"
       "AXIS[\"Easting\",EAST],AUTHORITY[\"EPSG\",\"4547\"]]",
       true, SrsText::Kind::wkt, 4547, 113.37, ""},
      {"PROJCS[\"p\",GEOGCS[\"g\",DATUM[\"d\",SPHEROID[\"s\",6378137,298.3]]],"
       "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"central_meridian\",117]]",
       false, SrsText::Kind::wkt, 0, 0, "latitude_of_origin"},
      {"PROJCS[\"p\",GEOGCS[\"g\"]", false, SrsText::Kind::wkt, 0, 0, "expected"},
      {"+proj=tmerc +lon_0=117", true, SrsText::Kind::other, 0, 0, ""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i) + ": " + c.text);
    std::string why;
    const std::optional<SrsText> srs = readSrsText(c.text, &why);
    ASSERT_EQ(srs.has_value(), c.read) << why;
    if (!c.read) {
      EXPECT_NE(why.find(c.why), std::string::npos) << why;
      continue;
    }
    EXPECT_EQ(srs->kind, c.kind);
    if (c.kind == SrsText::Kind::enu) {
      EXPECT_EQ(srs->latitude, c.first);
      EXPECT_EQ(srs->longitude, c.second);
    } else if (c.kind == SrsText::Kind::epsg) {
      EXPECT_EQ(srs->code, c.first);
    } else if (c.kind == SrsText::Kind::wkt) {
      EXPECT_EQ(srs->code, c.first);
      ASSERT_TRUE(srs->frame.has_value());
      EXPECT_EQ(srs->frame->centralMeridian, c.second);
    }
  }
}
