#include "report/control_fit_report.h"

#include <cmath>
#include <cstddef>
#include <optional>

#include "geodesy/control_fit.h"
#include "geodesy/control_transform.h"
#include "geodesy/units.h"

namespace {

constexpr double kArcSecondsPerRadian = kArcSecondsPerDegree * kDegreesPerHalfTurn / kPi;

std::string lastLine(const std::string& text) {
  std::string line = text;
  while (!line.empty() && line.back() == '\n') line.pop_back();
  const std::size_t newline = line.rfind('\n');
  return newline == std::string::npos ? line : line.substr(newline + 1);
}

}  // namespace

ControlFitReport reportControlFit(const ProjectDefinition& definition) {
  ControlFitReport report;
  report.projectid = definition.projectid;
  // The transform conversions use: the definition's own (stored in the file, or fitted when
  // the file was read), else the one the first conversion would fit. A fresh fit tells which.
  ProjectDefinition refit = definition;
  refit.transform.reset();
  ConsoleText fitted;
  if (!refit.srcpointsenu.empty()) fitted = fillTransformInfo(refit);
  const std::optional<TransformInfo>& used = definition.transform ? definition.transform
                                                                  : refit.transform;
  const bool stored = definition.transform &&
                      (!refit.transform || refit.transform->args != definition.transform->args ||
                       refit.transform->src != definition.transform->src ||
                       refit.transform->tar != definition.transform->tar);
  report.transformSource = stored ? "stored in the coordinate file" : "fitted to the points";
  if (!used || used->argsFailed) {
    report.reason = used ? lastLine(fitted.err)
                         : std::string("no source points and no stored transform");
    return report;
  }
  report.ok = true;
  const std::array<double, 7>& args = used->args;
  report.readableArgs = {args[0],
                         args[1],
                         args[2],
                         args[3] * kArcSecondsPerRadian,
                         args[4] * kArcSecondsPerRadian,
                         args[5] * kArcSecondsPerRadian,
                         args[6] * kPartsPerMillion};

  report.sourceCentroid = used->src;
  report.targetCentroid = used->tar;
  const ControlApplier toProject = ControlApplier::of(*used, ControlDirection::enuToProject);
  const std::size_t count = std::min(definition.srcpointsenu.size(), definition.despoints.size());
  double sumHorizontal2 = 0.0, sumUp2 = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const Point3 fitted = toProject.apply(definition.srcpointsenu[i]);
    const Point3& des = definition.despoints[i];
    ControlPointResidual point;
    point.source = i < definition.srcpoints.size() ? definition.srcpoints[i] : Point3{};
    point.target = des;
    point.residual = {des.x - fitted.x, des.y - fitted.y, des.z - fitted.z};
    point.horizontal = std::hypot(point.residual.x, point.residual.y);
    sumHorizontal2 += point.horizontal * point.horizontal;
    sumUp2 += point.residual.z * point.residual.z;
    report.maxHorizontal = std::max(report.maxHorizontal, point.horizontal);
    report.maxUp = std::max(report.maxUp, std::fabs(point.residual.z));
    report.points.push_back(point);
  }
  if (count > 0) {
    report.rmsHorizontal = std::sqrt(sumHorizontal2 / static_cast<double>(count));
    report.rmsUp = std::sqrt(sumUp2 / static_cast<double>(count));
  }
  return report;
}
