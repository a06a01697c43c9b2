// The order-dependent state of a run: the label lines of control-point fits are printed once,
// when a conversion first needs them, in the order they are needed; a converter moved to
// another origin goes on with the same state and prints nothing again.
#include "common/printed_text.h"
#include "pipeline/run_state.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "parser/coord_parse_harness.h"
#include "geodesy/enu_frame.h"
#include "pipeline/conversion_harness.h"

namespace {

using pipelinetest::sameBits;

const std::string kLabels = "source_points: \ntarget_points: \nave_src: \nave_tar: \n";
const std::string kBadFit =
    "control point fit: 2 point pairs; at least 3 not on one line are needed\n";

// An array document: "bad" has two point pairs (its fits fail) and a boundary far off; "site"
// is the README's site, its transform fitted on first use. Neither fit prints while parsing.
const std::string kDocument = R"([
  {"projectid": "bad", "type": "Control points",
   "define": {"srcpoints": [117.0, 30.0, 0, 117.1, 30.1, 0],
              "despoints": [500000, 3320000, 0, 510000, 3330000, 0]},
   "boundary": [117.4, 30.4, 117.5, 30.4, 117.5, 30.5]},
)" + pipelinetest::kSiteDefinition + "]";

TEST(RunState, LabelLinesOnceInTheOrderFirstNeeded) {
  coordtest::Parsing parsing;
  ASSERT_TRUE(parsing.parseLocal(kDocument)) << parsing.error;
  const EnuOrigin origin = *parsing.local.origin;
  const Converter converter(parsing.local, origin);
  // Prepared, nothing printed yet: the texts wait in the converter.
  EXPECT_EQ(converter.boundaryFitOut(0), kLabels);
  EXPECT_EQ(converter.boundaryFitErr(0), kBadFit);
  EXPECT_EQ(converter.transformFitOut(1), kLabels + kLabels);
  std::ostringstream out, err;
  RunState state(converter);
  ConverterScratch scratch;
  std::string why;

  // In the project frame "bad" comes first and has no polygon: the selection fails after
  // looking at it, and its boundary fit is printed.
  Point3 result;
  EXPECT_FALSE(converter.projectToEnu({500000.0, 3320000.0, 30.0}, result, scratch, &why));
  EXPECT_NE(why.find("definition [0] \"bad\" has no boundary polygon"), std::string::npos) << why;
  state.record(converter, scratch.trace());
  EXPECT_EQ((flushPrinted(state, out, err), out.str()), kLabels);
  EXPECT_EQ((flushPrinted(state, out, err), err.str()), kBadFit);
  EXPECT_TRUE(state.boundarySeen(0));
  EXPECT_FALSE(state.boundarySeen(1));

  // In ENU the site holds the point: its boundary fit, then its transform's two fits.
  const EnuFrame frame(origin);
  const Point3 inSite = frame.ecefToEnu(frame.geodeticToEcef({117.0, 30.0, 30.0}));
  ASSERT_TRUE(converter.enuToProject(inSite, result, scratch, &why)) << why;
  EXPECT_EQ(scratch.trace().chosen, std::size_t{1});
  state.record(converter, scratch.trace());
  EXPECT_EQ((flushPrinted(state, out, err), out.str()), kLabels + kLabels + kLabels + kLabels);
  EXPECT_EQ((flushPrinted(state, out, err), err.str()), kBadFit);

  // Needed again: nothing more.
  ASSERT_TRUE(converter.enuToProject(inSite, result, scratch, &why)) << why;
  state.record(converter, scratch.trace());
  EXPECT_EQ((flushPrinted(state, out, err), out.str()), kLabels + kLabels + kLabels + kLabels);

  // A converter about another origin prints nothing again and converts as a fresh one.
  // (The parsed origin is longitude 0, latitude 0: an array document without "basepoint".)
  EnuOrigin elsewhere = origin;
  elsewhere.lon = 117.05;
  elsewhere.lat = 29.97;
  const Converter moved = converter.withOrigin(elsewhere, state.boundariesSeen());
  const Converter fresh(parsing.local, elsewhere);
  ConverterScratch freshScratch;
  Point3 a, b;
  ASSERT_TRUE(moved.enuToProject({10.0, -20.0, 3.0}, a, scratch, &why)) << why;
  state.record(moved, scratch.trace());
  EXPECT_EQ(scratch.trace().chosen, std::size_t{1});
  ASSERT_TRUE(fresh.enuToProject({10.0, -20.0, 3.0}, b, freshScratch, &why)) << why;
  EXPECT_TRUE(sameBits(a, b));
  EXPECT_EQ((flushPrinted(state, out, err), out.str()), kLabels + kLabels + kLabels + kLabels);
  EXPECT_EQ((flushPrinted(state, out, err), err.str()), kBadFit);
}

// A state made for a converter starts with no zone fixed and nothing seen.
TEST(RunState, StartsEmpty) {
  coordtest::Parsing parsing;
  ASSERT_TRUE(parsing.parseLocal(kDocument)) << parsing.error;
  const Converter converter(parsing.local, *parsing.local.origin);
  std::ostringstream out, err;
  RunState state(converter);
  state.record(converter, ConversionTrace{});
  EXPECT_EQ((flushPrinted(state, out, err), out.str()), "");
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_FALSE(state.boundarySeen(i));
    EXPECT_FALSE(state.zones().code(i));
  }
}

}  // namespace
