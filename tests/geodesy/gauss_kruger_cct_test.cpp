// The Gauss-Krüger series against PROJ's exact transverse Mercator (Poder/Engsager), from
// tests/geodesy/data/tmerc_cct.txt (commands in the file). Tolerance 1 mm within 3° of the
// central meridian: the meridian arc series stops at e⁶ (0.41 mm long at 50°) and the
// longitude series at the sixth power of Δλ, which shows towards 3° (measured values per band
// in tests/geodesy/data/README.md; this test prints them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "geodesy/gauss_kruger.h"
#include "geodesy/reference_data.h"
#include "geodesy/units.h"

namespace {

constexpr double kToleranceM = 0.001;

struct Band {
  double upTo;  // |Δλ| in degrees
  double forwardMax = 0.0;
  double inverseMax = 0.0;
};

GaussKrugerParams paramsOf(const ReferenceRow& r) {
  GaussKrugerParams p;
  p.a = r.number(0);
  p.f = 1 / r.number(1);
  p.centralMeridian = r.number(2);
  p.originLatitude = r.number(3);
  p.falseEasting = r.number(4);
  p.falseNorthing = r.number(5);
  return p;
}

}  // namespace

TEST(GaussKrugerCct, WithinOneMillimetreOfExactTransverseMercator) {
  const std::vector<ReferenceRow> rows = readReferenceRows("tmerc_cct.txt");
  ASSERT_GE(rows.size(), 500u);
  Band bands[] = {{0.5}, {1.0}, {1.5}, {2.0}, {2.5}, {3.0}};
  for (const ReferenceRow& r : rows) {
    SCOPED_TRACE("tmerc_cct.txt line " + std::to_string(r.line));
    const GaussKrugerParams p = paramsOf(r);
    const double lon = r.number(6);
    const double lat = r.number(7);
    const double easting = r.number(8);
    const double northing = r.number(9);

    const Point3 q = gaussKrugerForward({lon, lat, 0.0}, p);
    const double forwardError = std::hypot(q.x - easting, q.y - northing);
    EXPECT_LT(forwardError, kToleranceM) << "dE " << q.x - easting << " dN " << q.y - northing;

    // The inverse of the exact plane point, as a distance on the ground: radians times a
    // (times cos φ along the parallel); a, not the local radii, is good to 1 % here.
    const Point3 g = gaussKrugerInverse({easting, northing, 0.0}, p);
    const double rad = kGaussKrugerRadiansPerDegree;
    const double dNorth = (g.y - lat) * rad * p.a;
    const double dEast = (g.x - lon) * rad * p.a * std::cos(lat * rad);
    const double inverseError = std::hypot(dEast, dNorth);
    EXPECT_LT(inverseError, kToleranceM) << "dlon " << g.x - lon << " dlat " << g.y - lat;

    const double dLambda = std::fabs(lon - p.centralMeridian);
    for (Band& b : bands) {
      if (dLambda <= b.upTo + 1e-9) {
        b.forwardMax = std::max(b.forwardMax, forwardError);
        b.inverseMax = std::max(b.inverseMax, inverseError);
        break;
      }
    }
  }
  double lower = 0.0;
  for (const Band& b : bands) {
    std::printf("|dlon| %.1f..%.1f deg: forward max %.4f mm, inverse max %.4f mm\n", lower,
                b.upTo, b.forwardMax * 1000, b.inverseMax * 1000);
    lower = b.upTo;
  }
}

// On the central meridian the projected y is the meridian arc (scale 1, no 0.9996): the
// series of the arc against the exact projection's northings there.
TEST(GaussKrugerCct, MeridianArcIsTheNorthingOnTheCentralMeridian) {
  int checked = 0;
  for (const ReferenceRow& r : readReferenceRows("tmerc_cct.txt")) {
    const GaussKrugerParams p = paramsOf(r);
    if (r.number(6) != p.centralMeridian || p.originLatitude != 0 || p.falseNorthing != 0) {
      continue;
    }
    SCOPED_TRACE("tmerc_cct.txt line " + std::to_string(r.line));
    const double e2 = 2 * p.f - p.f * p.f;
    const double arc = meridianArc(r.number(7) * kGaussKrugerRadiansPerDegree, p.a, e2);
    // The arc series stops at e⁶ and runs 0.41 mm long at 50° (README.md there).
    EXPECT_NEAR(arc, r.number(9), 0.0005);
    ++checked;
  }
  EXPECT_GE(checked, 20);
}
