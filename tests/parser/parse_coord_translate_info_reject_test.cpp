// Values outside the format are rejected with the key path, and a rejected file changes
// nothing: not the info, not any EnuOrigin, not the process-wide zone code.
#include <gtest/gtest.h>

#include <string>

#include "parser/coord_parse_harness.h"

namespace {

using coordtest::Parsing;

struct Case {
  std::string text;
  std::string error;
};

const std::string kGauss = R"({"type": "Custom Gauss", "define": )";
const std::string kControl = R"({"type": "Control points", "define": )";

const Case kRejected[] = {
    // strings
    {R"({"type": 5})", R"("type": expected a string)"},
    {R"({"projectid": ["a"]})", R"("projectid": expected a string)"},
    {kGauss + R"({"ellipsoid": 1}})", R"("define"."ellipsoid": expected a string)"},
    {kGauss + R"({}, "planeparam": {"type": null}})", R"("planeparam"."type": expected a string)"},
    {kGauss + R"({}, "altparam": {"type": 0}})", R"("altparam"."type": expected a string)"},
    {kGauss + R"({}, "ellipsoidconv": {"srcellipsoid": 1, "desellipsoid": "BJ54"}})",
     R"("ellipsoidconv"."srcellipsoid": expected a string)"},
    {kGauss + R"({}, "ellipsoidconv": {"desellipsoid": false}})",
     R"("ellipsoidconv"."desellipsoid": expected a string)"},
    // objects
    {R"({"define": 3})", R"("define": expected an object)"},
    {R"({"type": "Unknown", "define": []})", R"("define": expected an object)"},
    {kGauss + R"({}, "baseconv": []})", R"("baseconv": expected an object)"},
    {kGauss + R"({}, "planeparam": "TGO"})", R"("planeparam": expected an object)"},
    {kGauss + R"({}, "adjustconv": null})", R"("adjustconv": expected an object)"},
    {R"([{}, 5])", R"([1]: expected an object)"},
    {R"([[]])", R"([0]: expected an object)"},
    // plain numbers
    {kGauss + R"({}, "planeparam": {"startx": "1"}})", R"("planeparam"."startx": expected a number)"},
    {kGauss + R"({}, "altparam": {"Y0": null}})", R"("altparam"."Y0": expected a number)"},
    {kGauss + R"({}, "baseconv": {"ppmscale": [1]}})", R"("baseconv"."ppmscale": expected a number)"},
    {kGauss + R"({}, "adjustconv": {"eastoffset": 1, "northoffset": 2, "altoffset": true}})",
     R"("adjustconv"."altoffset": expected a number)"},
    {kGauss + R"({"basepoint": [114, "30"]}})", R"("define"."basepoint"[1]: expected a number)"},
    {kGauss + R"({"basepoint": [114, 30, 0, 1]}})",
     R"("define"."basepoint": expected at most 3 numbers, got 4)"},
    // lenient numbers that are not finite, meridians without a zone code
    {kGauss + R"({"xoffset": "inf"}})", R"("define"."xoffset": expected a finite number)"},
    {kGauss + R"({"yoffset": "-nan"}})", R"("define"."yoffset": expected a finite number)"},
    {kGauss + R"({"surfaceheight": "1e999"}})", R"("define"."surfaceheight": expected a finite number)"},
    {kGauss + R"({"centralOriginLatitude": "Infinity"}})",
     R"("define"."centralOriginLatitude": expected a finite number)"},
    {kGauss + R"({"centralMeridianLongitude": 1e12}})",
     R"("define"."centralMeridianLongitude": the meridian has no zone code in the 32-bit range)"},
    {kGauss + R"({"centralMeridianLongitude": "-1e12"}})",
     R"("define"."centralMeridianLongitude": the meridian has no zone code in the 32-bit range)"},
    // lenient numbers in strings that are not all number (atof would read 114, 0 and 0)
    {kGauss + R"({"centralMeridianLongitude": "114abc", "xoffset": "abc"}})",
     R"("define"."centralMeridianLongitude": the string "114abc" is not a number )"
     R"((a number in a string must be all number))"},
    // nothing defined: the only definition, or every one of an array
    {R"({"type": "Custom Gauss", "Define": {"centralMeridianLongitude": 117}})",
     R"(the definition defines nothing: no "define" ("Define" is not "define": keys are )"
     R"(case-sensitive))"},
    {R"([{"Type": "Custom Gauss", "define": {}}, {"type": "Control points"}])",
     R"(no definition of the array defines anything: [0]: no "type" ("Type" is not "type": )"
     R"(keys are case-sensitive) (expected "Custom Gauss" or "Control points"); [1]: no )"
     R"("define")"},
    // boundaries (array documents)
    {R"([{"boundary": [110, 30, 111]}])", R"([0]."boundary": expected a multiple of 2 numbers, got 3)"},
    {R"([{}, {"boundary": [110, "30"]}])", R"([1]."boundary"[1]: expected a number)"},
    {R"([{"type": "Custom Gauss", "define": {}, "boundary": [1e12, 0, 1e12, 1]}])",
     R"("boundary": the longitudes have no zone code in the 32-bit range)"},
    {R"([{}, {"type": "Custom Gauss", "define": {"xoffset": "nan"}}])",
     R"([1]."define"."xoffset": expected a finite number)"},
    {R"([{"type": "Custom Gauss", "define": {}, "altparam": {"A": "1"}}])",
     R"([0]."altparam"."A": expected a number)"},
    // Control points
    {kControl + R"({"srcpoints": []}})", R"("define"."srcpoints": expected at least 3 numbers, got 0)"},
    {kControl + R"({"srcpoints": [114, 30, 10, 116]}})",
     R"("define"."srcpoints": expected a multiple of 3 numbers, got 4)"},
    {kControl + R"({"srcpoints": [114, 30, null]}})", R"("define"."srcpoints"[2]: expected a number)"},
    {kControl + R"({"despoints": [1, 2, 3, 4, 5]}})",
     R"("define"."despoints": expected a multiple of 3 numbers, got 5)"},
    {kControl + R"({"despoints": [1, 2, "3"]}})", R"("define"."despoints"[2]: expected a number)"},
    {kControl + R"({"basepoint": [1, 2, 3, 4]}})",
     R"("define"."basepoint": expected at most 3 numbers, got 4)"},
    {kControl + R"({"srcpoints": [1e12, 30, 0]}})",
     R"("define"."srcpoints": the longitudes have no zone code in the 32-bit range)"},
    {kControl + R"({"transform": {"args": [1, 2, 3, 4, 5, 6, 7, 8]}}})",
     R"("define"."transform"."args": expected at most 7 numbers, got 8)"},
    {kControl + R"({"transform": {"inv_args": [1, 2, 3, 4, 5, 6, 7, 8]}}})",
     R"("define"."transform"."inv_args": expected at most 7 numbers, got 8)"},
    {kControl + R"({"transform": {"src": [1, 2, 3, 4]}}})",
     R"("define"."transform"."src": expected at most 3 numbers, got 4)"},
    {kControl + R"({"transform": {"inv_src": [1, 2, 3, 4]}}})",
     R"("define"."transform"."inv_src": expected at most 3 numbers, got 4)"},
    {kControl + R"({"transform": {"tar": [1, 2, 3, 4]}}})",
     R"("define"."transform"."tar": expected at most 3 numbers, got 4)"},
    {kControl + R"({"transform": {"inv_tar": [0, 0, 0, 0]}}})",
     R"("define"."transform"."inv_tar": expected at most 3 numbers, got 4)"},
    {kControl + R"({"transform": {"args": [1, {}]}}})",
     R"("define"."transform"."args"[1]: expected a number)"},
    {R"([)" + kControl + R"({"transform": {"src": [1, 2, 3, 4]}}}])",
     R"([0]."define"."transform"."src": expected at most 3 numbers, got 4)"},
    {R"([)" + kControl + R"({"srcpoints": [114, 30]}}])",
     R"([0]."define"."srcpoints": expected a multiple of 3 numbers, got 2)"},
};

// Distinct values in every record the parse may write, to see that none is touched.
void markRecords(Parsing& p) {
  p.localOrigin.lon = 1.25;
  p.localOrigin.height = -3.5;
  p.process.origin.lat = 2.75;
  p.process.origin.spare1 = 9.0;
  p.process.globalzonecode = 1234;
}

void expectUnchanged(const Parsing& p, const char* which) {
  SCOPED_TRACE(which);
  Parsing fresh;
  markRecords(fresh);
  EXPECT_TRUE(p.local.projects.empty());
  EXPECT_TRUE(p.process.info.projects.empty());
  EXPECT_EQ(p.localOrigin, fresh.localOrigin);
  EXPECT_EQ(p.process.origin, fresh.process.origin);
  EXPECT_EQ(p.process.globalzonecode, 1234);
}

TEST(ParseReject, ValuesOutsideTheFormat) {
  for (std::size_t i = 0; i < std::size(kRejected); ++i) {
    SCOPED_TRACE("case " + std::to_string(i) + ": " + kRejected[i].text);
    Parsing p;
    markRecords(p);
    EXPECT_FALSE(p.parseLocal(kRejected[i].text));
    EXPECT_EQ(p.error, kRejected[i].error);
    expectUnchanged(p, "local info");
    p.error.clear();
    EXPECT_FALSE(p.parseProcess(kRejected[i].text));
    EXPECT_EQ(p.error, kRejected[i].error);
    expectUnchanged(p, "process-wide info");
  }
}

// Members the format reads only when they are arrays (or objects) stay ignored otherwise.
TEST(ParseReject, NonArrayMembersAreStillIgnored) {
  const std::string texts[] = {
      kControl + R"({"srcpoints": "114 30 10", "despoints": {}, "basepoint": 5,
                     "transform": {"args": "x", "src": null}}})",
      R"([)" + kControl + R"({"srcpoints": 1, "transform": []}, "boundary": {"a": 1}}])",
      kGauss + R"({"basepoint": "114, 30"}})",
  };
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    Parsing p;
    ASSERT_TRUE(p.parseLocal(texts[i])) << p.error;
    const ProjectDefinition& d = p.local.projects.at(0);
    EXPECT_TRUE(d.srcpoints.empty());
    EXPECT_TRUE(d.despoints.empty());
    EXPECT_TRUE(d.boundary.empty());
    EXPECT_EQ(p.localOrigin, EnuOrigin{});
    EXPECT_EQ(p.process.origin, EnuOrigin{});
  }
}

// A rejection late in a file, after earlier parts have been written: into definitions that
// existed before (filled in place), into the shared origin, into the process-wide origin by
// a Control points centre and into the zone code.
TEST(ParseReject, LateRejectionLeavesEarlierWritesUndone) {
  const std::string text = R"([
      {"projectid": "new", "type": "Custom Gauss",
       "define": {"centralMeridianLongitude": 117, "basepoint": [114, 30, 5]},
       "planeparam": {"rotate": 1}, "boundary": [110, 30, 111, 31]},
      {"type": "Control points", "define": {"srcpoints": [114, 30, 10, 116, 32, 20]}},
      {"type": "Custom Gauss", "define": {"xoffset": "inf"}}])";
  for (const bool processInfo : {false, true}) {
    SCOPED_TRACE(processInfo ? "process-wide info" : "local info");
    Parsing p;
    markRecords(p);
    CoordTranslateInfo& info = processInfo ? p.process.info : p.local;
    for (int k = 0; k < 3; ++k) info.appendDefinition().projectid = "old" + std::to_string(k);
    const std::vector<ProjectDefinition> before = info.projects;
    const EnuOrigin localBefore = p.localOrigin;
    const EnuOrigin processBefore = p.process.origin;

    EXPECT_FALSE(parseCoordTranslateInfo(text, info, p.process, &p.error));
    EXPECT_EQ(p.error, R"([2]."define"."xoffset": expected a finite number)");
    ASSERT_EQ(info.projects.size(), before.size());
    for (std::size_t k = 0; k < before.size(); ++k) {
      SCOPED_TRACE("definition " + std::to_string(k));
      EXPECT_EQ(info.projects[k].projectid, before[k].projectid);
      EXPECT_EQ(info.projects[k].type, before[k].type);
      EXPECT_EQ(info.projects[k].info, before[k].info);
      EXPECT_EQ(info.projects[k].boundary, before[k].boundary);
      EXPECT_EQ(info.projects[k].srcpoints, before[k].srcpoints);
      EXPECT_EQ(info.projects[k].zonecode, before[k].zonecode);
      EXPECT_EQ(info.projects[k].origin, info.origin);
    }
    EXPECT_EQ(p.localOrigin, localBefore);
    EXPECT_EQ(p.process.origin, processBefore);
    EXPECT_EQ(p.process.globalzonecode, 1234);

    // The same file without its last element is accepted and does write all of that.
    const std::string good = text.substr(0, text.rfind("},") + 1) + "]";
    ASSERT_TRUE(parseCoordTranslateInfo(good, info, p.process, &p.error)) << p.error;
    EXPECT_EQ(info.projects[0].projectid, "new");
    EXPECT_EQ(info.projects[0].zonecode, 4548);
    EXPECT_EQ(info.projects[1].srcpoints.size(), 2u);
    EXPECT_EQ(p.process.globalzonecode, 4546);  // boundary longitudes 110..111
    EXPECT_EQ(p.process.origin.lon, 115.0);     // the Control points centre, written last
  }
}

}  // namespace
