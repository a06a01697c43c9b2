// parseCoordTranslateInfo: text handling, the two document forms, the Custom Gauss block, the
// correction blocks and boundaries.
#include <gtest/gtest.h>

#include <string>

#include "parser/coord_parse_harness.h"
#include "geodesy/zone.h"

namespace {

using namespace std::string_literals;
using coordtest::Parsing;

// ---- text and JSON ------------------------------------------------------------------------

// The smallest document that defines a frame: "Custom Gauss" with the defaults.
const std::string kDefined = R"({"type": "Custom Gauss", "define": {}})";

// An object document whose definition defines nothing, or an array without definitions,
// would convert every vertex with made-up defaults: rejected, nothing changed.
TEST(ParseText, EmptyObjectIsRejected) {
  Parsing p;
  ASSERT_FALSE(p.parseLocal("{}"));
  EXPECT_EQ(p.error, R"(the definition defines nothing: no "type" (expected "Custom Gauss" or )"
                     R"("Control points") and no "define")");
  EXPECT_TRUE(p.local.projects.empty());
  EXPECT_EQ(p.process.globalzonecode, 0);
  EXPECT_TRUE(p.process.info.projects.empty());
}

TEST(ParseText, EmptyArrayIsRejected) {
  Parsing p;
  ASSERT_FALSE(p.parseLocal("[]"));
  EXPECT_EQ(p.error, "the array holds no definition");
  EXPECT_TRUE(p.local.projects.empty());
  EXPECT_EQ(p.process.globalzonecode, 0);
}

// A root that holds no definition is a mistake, not an empty file: rejected, nothing changed.
TEST(ParseText, OtherRootsAreRejected) {
  const struct {
    const char* text;
    const char* kind;
  } cases[] = {{"5", "a number"}, {"\"x\"", "a string"}, {"null", "null"}, {"true", "true"},
               {" 1.5 ", "a number"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Parsing p;
    p.process.globalzonecode = 77;
    ASSERT_FALSE(p.parseLocal(c.text));
    EXPECT_EQ(p.error, std::string("the root is ") + c.kind +
                           "; expected a definition object or an array of them");
    EXPECT_TRUE(p.local.projects.empty());
    EXPECT_EQ(p.process.globalzonecode, 77);
  }
}

// Leading EF, BB and BF bytes are each skipped when present, in that order; anything else
// reaches the JSON reader.
TEST(ParseText, ByteOrderMarkBytes) {
  struct Case {
    std::string text;
    bool accepted;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF" + kDefined, true},
      {"\xEF" + kDefined, true},
      {"\xEF\xBB" + kDefined, true},
      {"\xEF\xBF" + kDefined, true},
      {"\xBB\xBF" + kDefined, true},
      {"\xBF" + kDefined, true},
      {"\xBB\xEF" + kDefined, false},                   // out of order: EF is not skipped after BB
      {"\xEF\xBB\xBF\xEF\xBB\xBF" + kDefined, false},  // only one mark
      {"\xEF\xBB\xBF", false},                          // nothing after the mark
      {"\xEF\xBB\xBF[" + kDefined + "]", true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    Parsing p;
    EXPECT_EQ(p.parseLocal(cases[i].text), cases[i].accepted) << p.error;
  }
}

TEST(ParseText, NulEndsTheText) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(R"({"projectid": "a", "type": "Custom Gauss", "define": {}})" +
                           "\0garbage"s))
      << p.error;
  EXPECT_EQ(p.local.projects.at(0).projectid, "a");

  Parsing q;
  EXPECT_FALSE(q.parseLocal("\0{}"s));
  EXPECT_EQ(q.error, "line 1, column 1: The document is empty.");
}

TEST(ParseText, RefusedBeforeJson) {
  Parsing p;
  EXPECT_FALSE(p.parseLocal(""));
  EXPECT_EQ(p.error, "the coordinate text is empty");

  CoordTranslateInfo noOrigin;
  std::string error;
  EXPECT_FALSE(parseCoordTranslateInfo("{}", noOrigin, p.process, &error));
  EXPECT_EQ(error, "the translation info has no ENU origin");
  EXPECT_TRUE(noOrigin.projects.empty());
  // A null error pointer is allowed.
  EXPECT_FALSE(parseCoordTranslateInfo("{", p.local, p.process, nullptr));
}

// Strict JSON only, and the whole error text: the 1-based line and column (columns counting
// characters, a byte-order mark not counted) and RapidJSON's English message.
TEST(ParseText, InvalidJsonNamesLineAndColumn) {
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"   ", "line 1, column 4: The document is empty."},
      {"{} x", "line 1, column 4: The document root must not be followed by other values."},
      {"{}\n// note", "line 2, column 1: The document root must not be followed by other values."},
      {"{\"a\": 1,}", "line 1, column 9: Missing a name for object member."},
      {"[1,]", "line 1, column 4: Invalid value."},
      {"{\"a\": NaN}", "line 1, column 7: Invalid value."},
      {"{\"a\": Infinity}", "line 1, column 7: Invalid value."},
      {"{\r\n  \"type\": ,\r\n}", "line 2, column 11: Invalid value."},
      {"\"\xC3\xA9\" x", "line 1, column 5: The document root must not be followed by other values."},
      {"\xEF\xBB\xBF x", "line 1, column 2: Invalid value."},
      {"{\"a\" 1}", "line 1, column 6: Missing a colon after a name of object member."},
      {"{\"a\": 1e400}", "line 1, column 7: Number too big to be stored in double."},
      {"{\"a\": \"x}", "line 1, column 10: Missing a closing quotation mark in string."},
      {"{}{}", "line 1, column 3: The document root must not be followed by other values."},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    Parsing p;
    EXPECT_FALSE(p.parseLocal(cases[i].text));
    EXPECT_EQ(p.error, cases[i].error);
    EXPECT_TRUE(p.local.projects.empty());
  }
}

// Nesting far deeper than a recursive parser's call stack allows, inside a key the format
// does not read; then the same nesting as a root-array element, which is not an object.
TEST(ParseText, DeepNestingIsParsedWithoutRecursion) {
  constexpr std::size_t kDepth = 300000;
  const std::string nested = std::string(kDepth, '[') + std::string(kDepth, ']');
  Parsing p;
  ASSERT_TRUE(p.parseLocal(R"({"type": "Custom Gauss", "define": {}, "x": )" + nested + "}"))
      << p.error;
  EXPECT_EQ(p.local.projects.size(), 1u);
  EXPECT_FALSE(p.parseLocal("[" + nested + "]"));
  EXPECT_EQ(p.error, "[0]: expected an object");
  EXPECT_FALSE(p.parseLocal(std::string(kDepth, '[')));
}

// ---- Custom Gauss ---------------------------------------------------------------------------

std::string gaussDefine(const std::string& define) {
  return R"({"type": "Custom Gauss", "define": )" + define + "}";
}

TEST(ParseCustomGauss, MeridianSetsBothZoneCodesAndOffsetsDefaultToZero) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(gaussDefine(R"({"centralMeridianLongitude": 117})"))) << p.error;
  const ProjectDefinition& d = p.local.projects.at(0);
  EXPECT_EQ(d.info.centralMeridianLongitude, 117.0);
  EXPECT_EQ(d.zonecode, 4548);
  EXPECT_EQ(p.process.globalzonecode, 4548);
  EXPECT_EQ(d.info.xoffset, 0.0);
  EXPECT_EQ(d.info.yoffset, 0.0);
  EXPECT_EQ(d.info.ellipsoid, "CGCS2000");
}

// The lenient keys value by value: what the field holds afterwards, and the zone codes.
TEST(ParseCustomGauss, LenientValues) {
  struct Case {
    std::string define;
    double meridian;
    int32_t zone;
    double xoffset;
  };
  const Case cases[] = {
      {R"({"centralMeridianLongitude": "117.0"})", 117.0, 4548, 0.0},
      {R"({"centralMeridianLongitude": true})", 0.0, 4509, 0.0},  // kept 0, zone still set
      {R"({"centralMeridianLongitude": 120, "xoffset": 3000000000})", 120.0, 4549, 500000.0},
      {R"({"centralMeridianLongitude": -10, "xoffset": "-12.5"})", -10.0, 4506, -12.5},
      {R"({"centralMeridianLongitude": 1.14e2, "xoffset": 1.5e3})", 114.0, 4547, 1500.0},
      {R"({"centralMeridianLongitude": " 114 ", "xoffset": "\t-1.5e1\n"})", 114.0, 4547, -15.0},
      {R"({"centralMeridianLongitude": null, "xoffset": null})", 0.0, 4509, 500000.0},
      {R"({"centralMeridianLongitude": [117], "xoffset": {}})", 0.0, 4509, 500000.0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i) + ": " + cases[i].define);
    Parsing p;
    ASSERT_TRUE(p.parseLocal(gaussDefine(cases[i].define))) << p.error;
    const ProjectDefinition& d = p.local.projects.at(0);
    EXPECT_EQ(d.info.centralMeridianLongitude, cases[i].meridian);
    EXPECT_EQ(d.zonecode, cases[i].zone);
    EXPECT_EQ(p.process.globalzonecode, cases[i].zone);
    EXPECT_EQ(d.info.xoffset, cases[i].xoffset);
  }
}

TEST(ParseCustomGauss, AllDefineKeys) {
  Parsing p;
  p.localOrigin.height = 7.0;
  ASSERT_TRUE(p.parseLocal(gaussDefine(R"({
      "centralMeridianLongitude": 114.0, "centralOriginLatitude": "0.5", "ellipsoid": "XIAN80",
      "surfaceheight": 50, "xoffset": 500000, "yoffset": -10.25, "basepoint": [114.5, 30.25],
      "unknown": "ignored"})")))
      << p.error;
  const projectinfo& info = p.local.projects.at(0).info;
  EXPECT_EQ(info.centralMeridianLongitude, 114.0);
  EXPECT_EQ(info.centralOriginLatitude, 0.5);
  EXPECT_EQ(info.ellipsoid, "XIAN80");
  EXPECT_EQ(info.surfaceheight, 50.0);
  EXPECT_EQ(info.xoffset, 500000.0);
  EXPECT_EQ(info.yoffset, -10.25);
  // Two base-point numbers: longitude and latitude; the height stays.
  EXPECT_EQ(p.localOrigin.lon, 114.5);
  EXPECT_EQ(p.localOrigin.lat, 30.25);
  EXPECT_EQ(p.localOrigin.height, 7.0);
  EXPECT_EQ(p.process.origin, EnuOrigin{});  // the process-wide record is not touched
  EXPECT_FALSE(info.planeparam || info.altparam || info.baseconv || info.ellipsoidconv ||
               info.adjustconv);
}

TEST(ParseCustomGauss, BasepointForms) {
  struct Case {
    const char* basepoint;
    EnuOrigin expected;
  };
  EnuOrigin start;
  start.lon = 1;
  start.lat = 2;
  start.height = 3;
  const auto with = [&](double lon, double lat, double height) {
    EnuOrigin o = start;
    o.lon = lon;
    o.lat = lat;
    o.height = height;
    return o;
  };
  const Case cases[] = {
      {"[114.5, 30.25, 12]", with(114.5, 30.25, 12)},
      {"[114.5]", with(114.5, 2, 3)},
      {"[]", start},
      {"\"114.5, 30.25\"", start},  // not an array: ignored
      {"{\"lon\": 5}", start},
      {"[114, 30.5, -4]", with(114, 30.5, -4)},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    Parsing p;
    p.localOrigin = start;
    ASSERT_TRUE(p.parseLocal(gaussDefine(std::string("{\"basepoint\": ") +
                                         cases[i].basepoint + "}")))
        << p.error;
    EXPECT_EQ(p.localOrigin, cases[i].expected);
  }
}

// Any other type defines nothing: the only definition of a file is refused, one of an array
// stands undefined and reads nothing from "define".
TEST(ParseCustomGauss, TypeMustMatchExactly) {
  for (const char* type : {"custom gauss", "Custom Gauss ", "CustomGauss", ""}) {
    SCOPED_TRACE(type);
    const std::string definition = std::string(R"({"type": ")") + type +
                                   R"(", "define": {"centralMeridianLongitude": 117,
                                        "basepoint": [1, 2]}, "planeparam": {}})";
    Parsing p;
    ASSERT_FALSE(p.parseLocal(definition));
    EXPECT_EQ(p.error, std::string(R"(the definition defines nothing: unknown type ")") + type +
                           R"(" (expected "Custom Gauss" or "Control points"))");
    ASSERT_TRUE(p.parseLocal("[" + definition + "," + kDefined + "]")) << p.error;
    const ProjectDefinition& d = p.local.projects.at(0);
    EXPECT_EQ(d.type, type);
    EXPECT_FALSE(d.isDefined());
    EXPECT_EQ(d.info, projectinfo{});
    EXPECT_EQ(d.zonecode, -1);
    EXPECT_EQ(p.localOrigin, EnuOrigin{});
    EXPECT_TRUE(p.local.projects.at(1).isDefined());
  }
}

TEST(ParseCustomGauss, FirstOfRepeatedKeysAndStringsUpToNul) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(R"({"projectid": "a\u0000b", "type": "Custom Gauss",
      "type": "Control points", "define": {"ellipsoid": "BJ54", "ellipsoid": "WGS84"}})"))
      << p.error;
  const ProjectDefinition& d = p.local.projects.at(0);
  EXPECT_EQ(d.projectid, "a");
  EXPECT_EQ(d.type, "Custom Gauss");
  EXPECT_EQ(d.info.ellipsoid, "BJ54");
}

// ---- correction blocks ---------------------------------------------------------------------

TEST(ParseCorrections, AllFiveBlocks) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(R"({"type": "Custom Gauss", "define": {},
      "planeparam": {"type": "four_param", "startx": 1, "starty": 2, "offsetx": 3.5,
                     "offsety": -4, "rotate": 0.25, "scale": 1.0000125},
      "altparam": {"type": "plane", "starty": 1, "startx": 2, "ppmN": 3, "ppmE": 4,
                   "altbase": 5, "A": 6, "B": 7, "C": 8, "D": 9, "E": 10, "F": 11,
                   "X0": 12, "Y0": 13},
      "baseconv": {"xoffset": 1, "yoffset": 2, "zoffset": 3, "xrotate": 4, "yrotate": 5,
                   "zrotate": 6, "ppmscale": 7},
      "ellipsoidconv": {"srcellipsoid": "BJ54", "desellipsoid": "CGCS2000"},
      "adjustconv": {"eastoffset": 0.12, "northoffset": -0.08, "altoffset": 0.05}})"))
      << p.error;
  const projectinfo& info = p.local.projects.at(0).info;
  EXPECT_EQ(info.planeparam,
            (PlaneParam{PlaneType::fourParam, 2, 1, 3.5, -4, 0.25, 1.0000125}));
  EXPECT_EQ(info.altparam,
            (AltParam{AltType::plane, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
  EXPECT_EQ(info.baseconv, (BaseConv{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(info.ellipsoidconv, (EllipsoidConv{"BJ54", "CGCS2000"}));
  EXPECT_EQ(info.adjustconv, (AdjustConv{0.12, -0.08, 0.05}));
}

// The "type" names of the two correction records, matched exactly: a name outside the table
// (a lower-case "tgo" too) keeps the record but applies no correction, with a warning.
TEST(ParseCorrections, TypeNames) {
  const struct {
    const char* record;
    const char* name;
    int type;  // PlaneType or AltType
    bool warned;
  } cases[] = {
      {"planeparam", "", static_cast<int>(PlaneType::tgo), false},
      {"planeparam", "TGO", static_cast<int>(PlaneType::tgo), false},
      {"planeparam", "four_param", static_cast<int>(PlaneType::fourParam), false},
      {"planeparam", "tgo", static_cast<int>(PlaneType::none), true},
      {"planeparam", "seven_param", static_cast<int>(PlaneType::none), true},
      {"altparam", "", static_cast<int>(AltType::tilt), false},
      {"altparam", "TGO", static_cast<int>(AltType::tilt), false},
      {"altparam", "fixed_correction", static_cast<int>(AltType::fixedCorrection), false},
      {"altparam", "surface", static_cast<int>(AltType::surface), false},
      {"altparam", "plane", static_cast<int>(AltType::plane), false},
      {"altparam", "geoid", static_cast<int>(AltType::none), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.record) + " \"" + c.name + "\"");
    Parsing p;
    ASSERT_TRUE(p.parseLocal(std::string(R"({"type": "Custom Gauss", "define": {}, ")") +
                             c.record + R"(": {"type": ")" + c.name + R"("}})"))
        << p.error;
    const projectinfo& info = p.local.projects.at(0).info;
    const int type = c.record == std::string("planeparam")
                         ? static_cast<int>(info.planeparam.value().type)
                         : static_cast<int>(info.altparam.value().type);
    EXPECT_EQ(type, c.type);
    ASSERT_EQ(p.warnings.size(), c.warned ? 1u : 0u);
    if (c.warned) {
      EXPECT_EQ(p.warnings[0], std::string("\"") + c.record + "\".\"type\": unknown type \"" +
                                   c.name + "\" (expected " +
                                   (c.record == std::string("planeparam")
                                        ? "\"TGO\", \"four_param\"): the plane correction"
                                        : "\"TGO\", \"fixed_correction\", \"surface\", "
                                          "\"plane\"): the height correction") +
                                   " is not applied");
    }
  }
}

TEST(ParseCorrections, PresenceRules) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(R"({"type": "Custom Gauss", "define": {},
      "planeparam": {}, "altparam": {"ppmE": 1.5}, "baseconv": {},
      "ellipsoidconv": {"srcellipsoid": "BJ54"},
      "adjustconv": {"eastoffset": 1, "northoffset": 2}})"))
      << p.error;
  const projectinfo& info = p.local.projects.at(0).info;
  EXPECT_EQ(info.planeparam, PlaneParam{});
  AltParam alt;
  alt.ppmE = 1.5;
  EXPECT_EQ(info.altparam, alt);
  EXPECT_EQ(info.baseconv, BaseConv{});
  EXPECT_FALSE(info.ellipsoidconv.has_value());  // one name only
  EXPECT_FALSE(info.adjustconv.has_value());     // no "altoffset"
}

// Correction blocks are siblings of "define", read only with a "define".
TEST(ParseCorrections, OnlyBesideDefine) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(R"([{"type": "Custom Gauss", "planeparam": {}}, )" + kDefined + "]"))
      << p.error;
  EXPECT_FALSE(p.local.projects.at(0).info.planeparam.has_value());
  Parsing q;
  ASSERT_TRUE(q.parseLocal(gaussDefine(R"({"planeparam": {}, "adjustconv":
      {"eastoffset": 1, "northoffset": 2, "altoffset": 3}})")))
      << q.error;
  EXPECT_FALSE(q.local.projects.at(0).info.planeparam.has_value());
  EXPECT_FALSE(q.local.projects.at(0).info.adjustconv.has_value());
}

// ---- filling existing definitions -----------------------------------------------------------

TEST(ParseExisting, ObjectFillsTheFirstDefinitionInPlace) {
  Parsing p;
  ProjectDefinition& first = p.local.appendDefinition();
  first.projectid = "old";
  first.info.planeparam = PlaneParam{PlaneType::tgo, 1, 2, 3, 4, 5, 6};
  p.local.appendDefinition().projectid = "second";
  ASSERT_TRUE(p.parseLocal(R"({"type": "Custom Gauss", "define": {"xoffset": 7},
                              "planeparam": {"rotate": 9}})"))
      << p.error;
  ASSERT_EQ(p.local.projects.size(), 2u);
  const ProjectDefinition& d = p.local.projects[0];
  EXPECT_EQ(d.projectid, "old");
  EXPECT_EQ(d.info.xoffset, 7.0);
  EXPECT_EQ(d.info.planeparam, (PlaneParam{PlaneType::tgo, 1, 2, 3, 4, 9, 6}));  // record reused
  EXPECT_EQ(p.local.projects[1].projectid, "second");
  EXPECT_EQ(d.origin, &p.localOrigin);
}

// ---- array documents ------------------------------------------------------------------------

TEST(ParseArray, BoundariesAndZoneCodes) {
  Parsing p;
  p.process.globalzonecode = 1;
  ASSERT_TRUE(p.parseLocal(R"([
      {"projectid": "west", "type": "Custom Gauss",
       "define": {"centralMeridianLongitude": 111},
       "planeparam": {"scale": 2},
       "boundary": [110, 30, 112, 30, 112, 31]},
      {"projectid": "east", "type": "Unknown", "boundary": [118.5, 31.5, 120, 32]},
      {"projectid": "none", "boundary": "not an array"}
  ])")) << p.error;
  ASSERT_EQ(p.local.projects.size(), 3u);
  const ProjectDefinition& west = p.local.projects[0];
  EXPECT_EQ(west.zonecode, 4546);  // its own meridian 111
  EXPECT_EQ(west.info.planeparam->scale, 2.0);
  const std::vector<Point3> westBoundary = {{110, 30, 0}, {112, 30, 0}, {112, 31, 0}};
  EXPECT_EQ(west.boundary, westBoundary);
  const std::vector<Point3> eastBoundary = {{118.5, 31.5, 0}, {120, 32, 0}};
  EXPECT_EQ(p.local.projects[1].boundary, eastBoundary);
  EXPECT_EQ(p.local.projects[1].zonecode, -1);
  EXPECT_TRUE(p.local.projects[2].boundary.empty());
  for (const ProjectDefinition& d : p.local.projects) EXPECT_EQ(d.origin, &p.localOrigin);
  // Longitudes 110..120 over all elements: middle 115, zone 4547 (not the meridian's 4546).
  EXPECT_EQ(p.process.globalzonecode, 4547);
}

TEST(ParseArray, WithoutBoundariesZoneOfLongitudeZero) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(R"([{"type": "Custom Gauss",
                                "define": {"centralMeridianLongitude": 117}}])"))
      << p.error;
  EXPECT_EQ(p.local.projects.at(0).zonecode, 4548);
  EXPECT_EQ(p.process.globalzonecode, 4509);
}

TEST(ParseArray, ObjectDocumentIgnoresBoundary) {
  Parsing p;
  ASSERT_TRUE(p.parseLocal(R"({"type": "Custom Gauss", "define": {},
                              "boundary": [110, 30, 120, 31, "x"]})"))
      << p.error;
  EXPECT_TRUE(p.local.projects.at(0).boundary.empty());
  EXPECT_EQ(p.process.globalzonecode, 0);
}

// Every definition refers to the one record of its info: a write through one is seen through
// all, also after the list has relocated its entries.
TEST(ParseArray, AllDefinitionsShareTheInfoOrigin) {
  std::string text = "[";
  for (int k = 0; k < 64; ++k) {
    text += k == 0 ? "" : ",";
    text += R"({"type": "Custom Gauss", "define": {"basepoint": [)" + std::to_string(100 + k) +
            "]}}";
  }
  text += "]";
  Parsing p;
  ASSERT_TRUE(p.parseLocal(text)) << p.error;
  ASSERT_EQ(p.local.projects.size(), 64u);
  EXPECT_EQ(p.localOrigin.lon, 163.0);  // the last base point written
  p.local.projects[5].origin->lat = 33.5;
  for (const ProjectDefinition& d : p.local.projects) {
    ASSERT_EQ(d.origin, &p.localOrigin);
    EXPECT_EQ(d.origin->lat, 33.5);
  }
  for (int k = 0; k < 200; ++k) p.local.appendDefinition();  // relocate again
  p.local.projects.back().origin->height = -2.0;
  EXPECT_EQ(p.local.projects.front().origin->height, -2.0);
  EXPECT_EQ(p.local.projects[63].origin->lat, 33.5);
}

TEST(ParseArray, FillsExistingDefinitionsByPosition) {
  Parsing p;
  EnuOrigin other;
  p.local.appendDefinition().projectid = "kept";
  p.local.projects[0].origin = &other;
  ASSERT_TRUE(p.parseLocal(R"([{"type": "A"}, {"type": "Custom Gauss", "define": {}}])"))
      << p.error;
  ASSERT_EQ(p.local.projects.size(), 2u);
  EXPECT_EQ(p.local.projects[0].projectid, "kept");
  EXPECT_EQ(p.local.projects[0].type, "A");
  EXPECT_EQ(p.local.projects[0].origin, &p.localOrigin);  // re-pointed at the info's record
  EXPECT_EQ(p.local.projects[1].type, "Custom Gauss");
}

// The driver's two parses of the data file shipped with the project.
TEST(ParseSample, GaussFileIntoBothInfos) {
  const std::string text = R"({
    "projectid": "sample-117", "type": "Custom Gauss",
    "define": {"centralMeridianLongitude": 117.0, "centralOriginLatitude": 0,
               "ellipsoid": "CGCS2000", "surfaceheight": 50.0, "xoffset": 500000, "yoffset": 0},
    "altparam": {"type": "TGO", "ppmE": 1.5}})";
  Parsing p;
  ASSERT_TRUE(p.parseLocal(text)) << p.error;
  ASSERT_TRUE(p.parseProcess(text)) << p.error;
  ASSERT_EQ(p.local.projects.size(), 1u);
  ASSERT_EQ(p.process.info.projects.size(), 1u);
  EXPECT_EQ(p.local.projects[0].info, p.process.info.projects[0].info);
  EXPECT_EQ(p.local.projects[0].origin, &p.localOrigin);
  EXPECT_EQ(p.process.info.projects[0].origin, &p.process.origin);
  EXPECT_EQ(p.process.info.projects[0].info.surfaceheight, 50.0);
  EXPECT_EQ(p.process.globalzonecode, 4548);
}

}  // namespace
