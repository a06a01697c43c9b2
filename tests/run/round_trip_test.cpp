// The round trip a run measures of each file: the same figures for any thread count, block
// size and lane code, within 1 mm on the sample tiles; a broken way back is caught and warned.
#include "run/round_trip_sampler.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "obj/obj_test_files.h"
#include "parser/coord_parse_harness.h"
#include "run/file_settler.h"

namespace {

std::string source(const std::string& relative) {
  return objtest::readBytes(std::string(QUORVEX_SOURCE_DIR) + "/" + relative);
}

// A file converted with `threads` (blocks of 700 bytes when more than one) through `wayBack`.
RoundTripTally measure(const std::string& input, const Converter& converter, ConversionKind kind,
                       unsigned threads, const WayBack& wayBack, double stride = 1.0) {
  objtest::TempDir dir;
  RunState state(converter);
  ConversionSettler settler(converter, state, kind, RoundTripSampling{&wayBack, stride});
  const ConvertOutcome outcome = convertFileInBlocks(input, dir / "out.obj", settler, threads,
                                                     threads == 1 ? kBlockBytes : 700);
  EXPECT_EQ(outcome.status, ConvertStatus::converted) << outcome.detail;
  return settler.result().roundTrip;
}

auto figures(const RoundTripTally& t) {
  return std::make_tuple(t.sampled(), t.failed(), t.maxHorizontalMm(), t.maxVerticalMm(),
                         t.rmsHorizontalMm(), t.rmsVerticalMm());
}

struct Fixture {
  objtest::TempDir dir;
  coordtest::Parsing parsing;
  std::string input;
  std::optional<Converter> converter;

  Fixture(const std::string& coordFile, const std::string& obj) {
    EXPECT_TRUE(parsing.parseLocal(source(coordFile))) << parsing.error;
    input = dir.write("in.obj", obj);
    EnuOrigin origin = *parsing.local.origin;
    origin.lon = 117.002642;
    origin.lat = 30.001377;
    converter.emplace(parsing.local, origin);
  }
};

const std::string kTiles = source("data/tiles/tile_a.obj") + source("data/tiles/tile_b.obj");

TEST(RoundTrip, SameFiguresForAnyThreadsBlocksAndLanesWithin1Mm) {
  // The control site has two definitions: every vertex goes one at a time, through either.
  const char* gauss = "data/coord-gauss117.json";
  const char* control = "data/coord-control-site.json";
  for (const auto& [coord, kind] : {std::pair{gauss, ConversionKind::projectToEnu},
                                    {gauss, ConversionKind::projectToZone},
                                    {control, ConversionKind::projectToEnu},
                                    {control, ConversionKind::projectToZone}}) {
    SCOPED_TRACE(std::string(coord) + ", kind " + std::to_string(static_cast<int>(kind)));
    Fixture f(coord, kTiles);
    const ConverterWayBack lanes(*f.converter, kind), oneByOne(*f.converter, kind, nullptr);
    const RoundTripTally one = measure(f.input, *f.converter, kind, 1, lanes);
    EXPECT_EQ(one.sampled(), 128u);  // every vertex of a small file
    EXPECT_EQ(one.failed(), 0u);
    EXPECT_GT(one.worstMm(), 0.0);  // the six decimals written cost something
    EXPECT_LT(one.worstMm(), 1.0);
    for (const unsigned threads : {2u, 7u}) {
      EXPECT_EQ(figures(measure(f.input, *f.converter, kind, threads, lanes)), figures(one));
      EXPECT_EQ(figures(measure(f.input, *f.converter, kind, threads, oneByOne)), figures(one));
    }
  }
}

// A way back that is off by 2 mm north and 3 mm up, or fails for every vertex.
class BrokenWayBack : public WayBack {
 public:
  BrokenWayBack(const WayBack& real, bool fails) : real_(real), fails_(fails) {}
  void convert(const double* written, const std::uint32_t* definitions,
               const GaussKrugerProjection* zone, double* back, unsigned char* ok,
               std::size_t count) const override {
    real_.convert(written, definitions, zone, back, ok, count);
    for (std::size_t i = 0; i < count; ++i) {
      back[3 * i + 1] += 0.002;
      back[3 * i + 2] += 0.003;
      if (fails_) ok[i] = 0;
    }
  }

 private:
  const WayBack& real_;
  bool fails_;
};

TEST(RoundTrip, ABrokenWayBackIsMeasuredAndWarned) {
  Fixture f("data/coord-gauss117.json", kTiles);
  const ConverterWayBack real(*f.converter, ConversionKind::projectToEnu);
  for (const unsigned threads : {1u, 3u}) {
    const RoundTripTally off = measure(f.input, *f.converter, ConversionKind::projectToEnu,
                                       threads, BrokenWayBack(real, false));
    EXPECT_NEAR(off.maxHorizontalMm(), 2.0, 0.05);
    EXPECT_NEAR(off.maxVerticalMm(), 3.0, 0.001);
    EXPECT_NEAR(off.rmsVerticalMm(), 3.0, 0.001);
    // 2 mm north less the real way back's 0.044 mm south.
    EXPECT_EQ(roundTripWarning("in.obj", off, 1.0),
              "in.obj: round trip 3.0005 mm (horizontal 1.9563, vertical 3.0005) exceeds "
              "-maxclosure=1 mm");
    EXPECT_FALSE(off.exceeds(3.5));

    const RoundTripTally failed = measure(f.input, *f.converter, ConversionKind::projectToEnu,
                                          threads, BrokenWayBack(real, true));
    EXPECT_TRUE(failed.exceeds(1e9));
    EXPECT_EQ(roundTripWarning("in.obj", failed, 1.0),
              "in.obj: round trip failed for 128 of 128 sampled vertices (off the projection), "
              "-maxclosure=1 mm");
  }
}

// -maxclosure is compared with the round trip as its warning prints it, to 0.0001 mm.
TEST(RoundTrip, ExceedsTheLimitAsPrinted) {
  const struct {
    double backMm, limitMm;
    bool exceeds;
  } cases[] = {{0.04472, 0.0447, false}, {0.04476, 0.0447, true}, {0.0447, 0.0446, true}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    RoundTripTally tally;
    const double input[3] = {0, 0, 0}, back[3] = {cases[i].backMm / 1000.0, 0, 0};
    tally.add(input, back);
    EXPECT_EQ(tally.exceeds(cases[i].limitMm), cases[i].exceeds) << "case " << i;
  }
}

TEST(RoundTrip, AStrideTakesThatShareOfTheVertices) {
  std::string obj;
  for (int i = 0; i < 20000; ++i) {
    obj += "v " + std::to_string(500000 + i % 200 * 0.37) + " " +
           std::to_string(3320000 + i / 200 * 0.41) + " 30.5\n";
  }
  Fixture f("data/coord-gauss117.json", obj);
  const ConverterWayBack real(*f.converter, ConversionKind::projectToEnu);
  const RoundTripTally tenth =
      measure(f.input, *f.converter, ConversionKind::projectToEnu, 1, real, 10.0);
  EXPECT_NEAR(static_cast<double>(tenth.sampled()), 2000.0, 200.0);
  EXPECT_EQ(sampleStride(1000), 1.0);  // a small file: every vertex
  EXPECT_EQ(sampleStride(148500000), 9.9);
}

}  // namespace
