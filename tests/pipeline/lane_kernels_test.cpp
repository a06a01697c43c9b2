// The lane code against the one-value code it must equal bit for bit: every vertex the lanes
// convert has the bits projectToEnu / enuToProject / projectToZone give it, in every build of
// the lane code this machine can run (baseline, and AVX2 where the CPU has it), over the
// correction models, ellipsoids and origins of the chains, and points near and beyond the
// edges of the projection. The lanes must also take the ordinary points (else the fast path
// silently never runs) and leave every point whose one-value conversion fails.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "parser/coord_parse_harness.h"
#include "pipeline/converter.h"
#include "pipeline/lane_code.h"

namespace {

struct Definition {
  const char* name;
  const char* json;
  // Of the points, at least this many fail one at a time (those beyond the projection and
  // the non-finite ones; a control-point transform takes every finite point).
  std::size_t minFailures = 3;
};

// Central meridian 117° (but the last two), false easting 500 km; the points below lie
// about 30° N.
const Definition kDefinitions[] = {
    {"TGO plane and height, offsets, surface height (the bench's)",
     R"({"projectid": "a", "type": "Custom Gauss", "define": {"centralMeridianLongitude": 117.0,
         "centralOriginLatitude": 0, "ellipsoid": "CGCS2000", "surfaceheight": 50.0,
         "xoffset": 500000, "yoffset": 0},
       "planeparam": {"type": "TGO", "startx": 500000, "starty": 3320000, "offsetx": 12.5,
         "offsety": -8.25, "rotate": 0.0015, "scale": 1.0000125},
       "altparam": {"type": "TGO", "startx": 500000, "starty": 3320000, "ppmE": 1.5,
         "ppmN": -2.0, "altbase": 0.35},
       "adjustconv": {"eastoffset": 0.12, "northoffset": -0.08, "altoffset": 0.05}})"},
    {"four-parameter plane, surface height model, origin latitude, BJ54",
     R"({"projectid": "b", "type": "Custom Gauss", "define": {"centralMeridianLongitude": 117.0,
         "centralOriginLatitude": 29.5, "ellipsoid": "BJ54", "surfaceheight": -120.0,
         "xoffset": 500000, "yoffset": 3264600},
       "planeparam": {"type": "four_param", "offsetx": -3.5, "offsety": 7.25, "rotate": -0.02,
         "scale": 0.9999871},
       "altparam": {"type": "surface", "X0": 3320000, "Y0": 500000, "A": 1e-5, "B": -2e-5,
         "C": 1e-11, "D": 2e-11, "E": -3e-11, "F": 0.4}})"},
    {"plane height model, Xian80, no plane transform",
     R"({"projectid": "c", "type": "Custom Gauss", "define": {"centralMeridianLongitude": 117.0,
         "centralOriginLatitude": 0, "ellipsoid": "XIAN80", "xoffset": 500000, "yoffset": 0},
       "altparam": {"type": "plane", "X0": 500000, "Y0": 3320000, "A": 3e-6, "B": 1e-6,
         "C": -0.2}})"},
    {"fixed height correction, WGS84, nothing else",
     R"({"projectid": "d", "type": "Custom Gauss", "define": {"centralMeridianLongitude": 117.0,
         "centralOriginLatitude": 0, "ellipsoid": "WGS84", "xoffset": 500000, "yoffset": 0},
       "altparam": {"type": "fixed_correction", "altbase": 1.25}})"},
    // Longitudes a turn away from the meridian: 75° W written from 0 to 360, and points on
    // both sides of 180°.
    {"meridian 285",
     R"({"projectid": "e", "type": "Custom Gauss", "define": {"centralMeridianLongitude": 285,
         "xoffset": 500000}})"},
    {"meridian 180",
     R"({"projectid": "f", "type": "Custom Gauss", "define": {"centralMeridianLongitude": 180,
         "xoffset": 500000}})"},
    // Fitted while parsing, about the centre of its points: the ENU origins below move its
    // results into another frame.
    {"control points (the sample site)",
     R"({"projectid": "site", "type": "Control points", "define": {
         "srcpoints": [116.9986, 29.9974, 30.1, 117.0066, 29.9974, 31.4, 117.0066, 30.0054, 29.8,
                       116.9986, 30.0054, 30.6, 117.0030, 30.0010, 30.0],
         "despoints": [499877.416, 3319816.932, 30.5, 500649.326, 3319816.950, 31.8,
                       500649.275, 3320703.770, 30.2, 499877.427, 3320703.752, 31.0,
                       500301.956, 3320216.084, 30.4]}})", 1},
};

struct Origin {
  double lon, lat;
};
// Near the points, and one 3° away (larger ENU values, another rotation).
const Origin kOrigins[] = {{117.0026, 30.0014}, {114.2, 27.5}};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kOrdinaryPoints = 3000;  // the first ones of projectPoints()

bool sameBits(const double* a, const double* b) { return std::memcmp(a, b, 3 * sizeof(double)) == 0; }

// Project-frame points: most within a tile or a zone of the centre, then the edges.
std::vector<double> projectPoints() {
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> tileX(499000, 501000), tileY(3319000, 3321000),
      zoneX(330000, 670000), zoneY(2000000, 5000000), height(-50, 3000);
  std::vector<double> points;
  for (std::size_t i = 0; i < kOrdinaryPoints; ++i) {
    const bool tile = i % 3 != 0;  // a third over the zone
    points.insert(points.end(), {tile ? tileX(random) : zoneX(random),
                                 tile ? tileY(random) : zoneY(random), height(random)});
  }
  // 9-12° off the meridian (the last ones are off the projection), beyond any projection, at
  // the equator and the false easting exactly (zero angles), not finite.
  for (double x : {1400000.0, 1560000.0, 1700000.0, -700000.0, 5e7, 1e10}) {
    points.insert(points.end(), {x, 3320000.0, 10.0});
  }
  points.insert(points.end(), {500000.0, 0.0, 0.0, 500000.0, 3320000.0, 0.0, 500000.0, 5e7,
                               0.0, 500000.0, -9.9e6, 0.0, kNaN, 3320000.0, 0.0,
                               500000.0, 3320000.0, std::numeric_limits<double>::infinity()});
  return points;
}

// ENU points about the origin: the project points' conversions, and far ones.
std::vector<double> enuPoints(const Converter& converter, const std::vector<double>& project) {
  ConverterScratch scratch;
  std::vector<double> points;
  for (std::size_t i = 0; i < project.size(); i += 3) {
    Point3 enu;
    if (converter.projectToEnu({project[i], project[i + 1], project[i + 2]}, enu, scratch)) {
      points.insert(points.end(), {enu.x, enu.y, enu.z});
    }
  }
  points.insert(points.end(), {3e6, 0.0, 0.0, 0.0, 0.0, -7e6, 0.0, 0.0, 0.0, 1e-300, 0.0, 0.0,
                               0.0, 1e7, 0.0, kNaN, 0.0, 0.0});
  return points;
}

struct Tally {
  std::size_t inLanes = 0, oneValueFailures = 0, failuresInLanes = 0;
  std::size_t ordinaryLeftOut = 0;  // of the first kOrdinaryPoints, converted, not in lanes
};

// Converts `points` through the lanes and one by one; every lane result must have the
// one-value bits.
Tally compare(const Converter& converter, LaneKernel kernel, ConversionKind kind,
              const std::vector<double>& points, const std::string& context) {
  const std::size_t count = points.size() / 3;
  std::vector<double> lanes(points.size(), -1.0);
  std::vector<unsigned char> done(count, 7);
  ZoneCodes zones(converter.definitionCount());
  ConverterScratch scratch;
  // A zone not parsed (control points) is fixed by the first point, one at a time.
  Point3 first;
  if (kind == ConversionKind::projectToZone) {
    static_cast<void>(converter.projectToZone({points[0], points[1], points[2]}, first, scratch,
                                              zones));
  }
  converter.convertInLanes(kernel, kind, zones, points.data(), lanes.data(), done.data(), count);
  Tally tally;
  for (std::size_t i = 0; i < count; ++i) {
    const Point3 in{points[3 * i], points[3 * i + 1], points[3 * i + 2]};
    Point3 one;
    bool ok = false;
    switch (kind) {
      case ConversionKind::projectToEnu: ok = converter.projectToEnu(in, one, scratch); break;
      case ConversionKind::enuToProject: ok = converter.enuToProject(in, one, scratch); break;
      case ConversionKind::projectToZone:
        ok = converter.projectToZone(in, one, scratch, zones);
        break;
    }
    ok = ok && std::isfinite(one.x) && std::isfinite(one.y) && std::isfinite(one.z);
    EXPECT_LE(done[i], 1) << context;
    if (!ok) ++tally.oneValueFailures;
    if (ok && done[i] != 1 && i < kOrdinaryPoints) ++tally.ordinaryLeftOut;
    if (done[i] != 1) continue;
    ++tally.inLanes;
    if (!ok) {
      ++tally.failuresInLanes;
      ADD_FAILURE() << context << ": point " << i << " converted in lanes, fails one by one";
      continue;
    }
    const double expected[3] = {one.x, one.y, one.z};
    EXPECT_TRUE(sameBits(&lanes[3 * i], expected))
        << context << ": point " << i << " (" << in.x << ", " << in.y << ", " << in.z
        << "): lanes " << lanes[3 * i] << " " << lanes[3 * i + 1] << " " << lanes[3 * i + 2]
        << ", one by one " << one.x << " " << one.y << " " << one.z;
  }
  return tally;
}

std::vector<LaneCode> runnableLaneCodes() {
  std::vector<LaneCode> codes{LaneCode::baseline};
  if (laneCodeNamed("avx2")) codes.push_back(LaneCode::avx2);
  return codes;
}

}  // namespace

TEST(LaneConversion, EveryLaneHasTheOneValueBits) {
  const std::vector<double> project = projectPoints();
  for (const Definition& definition : kDefinitions) {
    for (const Origin& origin : kOrigins) {
      coordtest::Parsing parsing;
      ASSERT_TRUE(parsing.parseLocal(definition.json)) << definition.name << ": " << parsing.error;
      EnuOrigin enuOrigin = *parsing.local.origin;
      enuOrigin.lon = origin.lon;
      enuOrigin.lat = origin.lat;
      const Converter converter(parsing.local, enuOrigin);
      const std::vector<double> enu = enuPoints(converter, project);
      for (const LaneCode code : runnableLaneCodes()) {
        for (const ConversionKind kind : {ConversionKind::projectToEnu, ConversionKind::enuToProject,
                                          ConversionKind::projectToZone}) {
          const std::string context = std::string(definition.name) + ", origin " +
                                      std::to_string(origin.lon) + ", " + laneCodeName(code) +
                                      ", kind " + std::to_string(static_cast<int>(kind));
          const std::vector<double>& points =
              kind == ConversionKind::enuToProject ? enu : project;
          const Tally tally = compare(converter, laneKernel(code), kind, points, context);
          // The ordinary points the one-value code converts all go through the lanes (almost
          // all of them convert); what it refuses (at least the points beyond the projection
          // and the non-finite ones) never does.
          EXPECT_EQ(tally.ordinaryLeftOut, 0u) << context;
          EXPECT_GE(tally.inLanes, kOrdinaryPoints * 9 / 10) << context;
          EXPECT_GE(tally.oneValueFailures, definition.minFailures) << context;
          EXPECT_EQ(tally.failuresInLanes, 0u) << context;
        }
      }
    }
  }
}
