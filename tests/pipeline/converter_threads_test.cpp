// Many threads converting through one converter, each with its own scratch, give the bits of
// one thread, in all three conversions.
#include "pipeline/converter.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "parser/coord_parse_harness.h"
#include "pipeline/conversion_harness.h"

namespace {

using pipelinetest::sameBits;

// The README's array document: a control-point site inside a "Custom Gauss" region, both
// chosen by boundary (GEOS polygons in each thread's scratch).
const std::string kDocument = "[" + pipelinetest::kSiteDefinition + R"(,
  {"projectid": "region", "type": "Custom Gauss",
   "define": {"centralMeridianLongitude": 117, "xoffset": 500000, "basepoint": [117, 30]},
   "boundary": [116.0, 29.0, 118.0, 29.0, 118.0, 31.0, 116.0, 31.0]}
])";

enum class Op { toEnu, toProject, toZone };

struct Outcome {
  bool converted = false;
  Point3 point;
  std::size_t chosen = 99;
};

// Converts every point with its own scratch; `zones` is this thread's copy.
std::vector<Outcome> convertAll(const Converter& converter, Op op,
                                const std::vector<Point3>& points, ZoneCodes zones) {
  ConverterScratch scratch;
  std::vector<Outcome> outcomes(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    Outcome& o = outcomes[i];
    switch (op) {
      case Op::toEnu: o.converted = converter.projectToEnu(points[i], o.point, scratch); break;
      case Op::toProject: o.converted = converter.enuToProject(points[i], o.point, scratch); break;
      case Op::toZone:
        o.converted = converter.projectToZone(points[i], o.point, scratch, zones);
        break;
    }
    o.chosen = scratch.trace().chosen.value_or(98);
  }
  return outcomes;
}

TEST(ConverterThreads, TwoThreadsGiveTheBitsOfOne) {
  coordtest::Parsing parsing;
  ASSERT_TRUE(parsing.parseLocal(kDocument)) << parsing.error;
  const Converter converter(parsing.local, *parsing.local.origin);

  // Points inside the site, in the region around it, and outside both.
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> east(470000, 530000), north(3300000, 3340000);
  std::uniform_real_distribution<double> localXY(-30000, 30000), height(-20, 200);
  std::vector<Point3> project, enu;
  for (int i = 0; i < 6000; ++i) {
    project.push_back({east(rng), north(rng), height(rng)});
    enu.push_back({localXY(rng), localXY(rng), height(rng)});
  }
  // The zone of the site is fixed by its first point, before the threads start.
  ZoneCodes zones(converter.definitionCount());
  {
    ConverterScratch scratch;
    Point3 out;
    ASSERT_TRUE(converter.projectToZone({500000, 3320000, 30}, out, scratch, zones));
    ASSERT_TRUE(zones.code(0));
  }

  const struct {
    const char* name;
    Op op;
    const std::vector<Point3>& points;
  } cases[] = {{"projectToEnu", Op::toEnu, project},
               {"enuToProject", Op::toProject, enu},
               {"projectToZone", Op::toZone, project}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Outcome> one = convertAll(converter, c.op, c.points, zones);
    std::vector<Outcome> first, second;
    std::thread a([&] { first = convertAll(converter, c.op, c.points, zones); });
    std::thread b([&] { second = convertAll(converter, c.op, c.points, zones); });
    a.join();
    b.join();
    std::size_t converted = 0, bySite = 0;
    for (std::size_t i = 0; i < one.size(); ++i) {
      for (const std::vector<Outcome>* other : {&first, &second}) {
        ASSERT_EQ((*other)[i].converted, one[i].converted) << "point " << i;
        ASSERT_EQ((*other)[i].chosen, one[i].chosen) << "point " << i;
        if (one[i].converted) {
          ASSERT_TRUE(sameBits((*other)[i].point, one[i].point)) << "point " << i;
        }
      }
      converted += one[i].converted ? 1 : 0;
      bySite += one[i].chosen == 0 ? 1 : 0;
    }
    // Both definitions take part.
    EXPECT_GT(converted, one.size() / 2);
    EXPECT_GT(bySite, 100u);
    EXPECT_LT(bySite, one.size() - 100);
  }
}

}  // namespace
