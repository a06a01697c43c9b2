// Residuals and readable parameters of a control-point transform, and the report page built
// from them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "report/control_fit_report.h"
#include "report/report_html.h"

namespace {

// Five control points in ENU (m) and their project coordinates under a known similarity about
// their centroid: εz = 5e-6 rad (1.031324 arc-seconds), k = 3e-6 (3 ppm), a shift.
constexpr double kEz = 5e-6;
constexpr double kK = 3e-6;

ProjectDefinition similarSite(double blunderNorth) {
  ProjectDefinition d;
  d.projectid = "site <A&B>";
  d.type = "Control points";
  d.srcpointsenu = {{-400, -350, 1}, {420, -330, 2}, {410, 380, -1}, {-390, 360, 0}, {10, 5, 1}};
  Point3 c{};
  for (const Point3& p : d.srcpointsenu) c = {c.x + p.x / 5, c.y + p.y / 5, c.z + p.z / 5};
  for (const Point3& p : d.srcpointsenu) {
    const double x = p.x - c.x, y = p.y - c.y, z = p.z - c.z;
    d.despoints.push_back({500000 + (x + kEz * y) * (1 + kK), 3320000 + (-kEz * x + y) * (1 + kK),
                           30 + z * (1 + kK)});
    d.srcpoints.push_back({117 + p.x * 1e-5, 30 + p.y * 1e-5, 30});
  }
  d.despoints[4].y += blunderNorth;
  return d;
}

TEST(ControlFitReport, ExactSimilarityHasNoResidualAndReadableParameters) {
  const ControlFitReport report = reportControlFit(similarSite(0.0));
  ASSERT_TRUE(report.ok) << report.reason;
  EXPECT_EQ(report.transformSource, "fitted to the points");
  ASSERT_EQ(report.points.size(), 5u);
  // The linearised model reproduces its own form exactly: only rounding remains (1 µm).
  EXPECT_LT(report.maxHorizontal, 1e-6);
  EXPECT_LT(report.maxUp, 1e-6);
  // 5e-6 rad × 206264.806 ″/rad; k in ppm. Tolerances: the fit's convergence, 1e-6 of each.
  EXPECT_NEAR(report.readableArgs[5], 1.031324, 1e-6);
  EXPECT_NEAR(report.readableArgs[6], 3.0, 1e-6);
  EXPECT_NEAR(report.readableArgs[3], 0.0, 1e-6);
}

TEST(ControlFitReport, ABlunderShowsAtItsPointAndIsHighlighted) {
  const ControlFitReport report = reportControlFit(similarSite(0.1));
  ASSERT_TRUE(report.ok);
  // Least squares spreads the 0.1 m error: the blundered point keeps the largest share.
  std::size_t largest = 0;
  for (std::size_t i = 1; i < report.points.size(); ++i) {
    if (report.points[i].horizontal > report.points[largest].horizontal) largest = i;
  }
  EXPECT_EQ(largest, 4u);
  EXPECT_GT(report.points[4].residual.y, 0.05);
  EXPECT_TRUE(exceeds(report.points[4], 0.05));
  EXPECT_FALSE(exceeds(report.points[0], 0.05));
  EXPECT_NEAR(report.maxHorizontal, report.points[4].horizontal, 1e-12);

  RunRecord run;
  run.mode = "project frame -> ENU";
  run.outcome = "convert success!!";
  run.succeeded = true;
  CoordTranslateInfo info;
  info.projects.push_back(similarSite(0.1));
  const std::string html = renderReportHtml(run, info, {report}, 0.05);
  EXPECT_NE(html.find("<tr class=\"over\"><td>5</td>"), std::string::npos);
  EXPECT_EQ(html.find("<tr class=\"over\"><td>1</td>"), std::string::npos);
  // Names are escaped; nothing is fetched or run.
  EXPECT_NE(html.find("site &lt;A&amp;B&gt;"), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("http://www.w3.org/2000/svg\" width"), html.find("http://"));
  EXPECT_NE(html.find("residual vectors ×"), std::string::npos);
}

TEST(ControlFitReport, FailedFitOrNoTransformSaysWhy) {
  ProjectDefinition twoPairs = similarSite(0.0);
  twoPairs.srcpointsenu.resize(2);
  twoPairs.despoints.resize(2);
  const ControlFitReport failed = reportControlFit(twoPairs);
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.reason.find("2 point pairs; at least 3"), std::string::npos) << failed.reason;

  ProjectDefinition nothing;
  nothing.type = "Control points";
  EXPECT_EQ(reportControlFit(nothing).reason, "no source points and no stored transform");

  ProjectDefinition stored = similarSite(0.0);
  stored.transform.emplace();  // identity, unlike the points
  const ControlFitReport fromFile = reportControlFit(stored);
  EXPECT_EQ(fromFile.transformSource, "stored in the coordinate file");
  EXPECT_GT(fromFile.maxHorizontal, 1000.0);  // the identity misses by the whole shift
}

}  // namespace
