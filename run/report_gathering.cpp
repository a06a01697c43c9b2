#include "run/report_gathering.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/atomic_file.h"
#include "report/control_fit_report.h"
#include "report/footprint.h"
#include "geodesy/zone.h"
#include "report/report_html.h"

const char* modeName(ConversionKind mode) {
  switch (mode) {
    case ConversionKind::projectToZone: return "project frame -> 3-degree zone";
    case ConversionKind::enuToProject: return "ENU -> project frame";
    case ConversionKind::projectToEnu: break;
  }
  return "project frame -> ENU";
}

void recordFootprint(ConversionKind mode, std::optional<int> zoneCode, FileRecord& file,
                     const RunRecord& record) {
  if (mode == ConversionKind::projectToZone) {
    if (zoneCode) file.footprint = zoneFootprint(file.outputBounds, *zoneCode);
  } else if (record.origin) {
    file.footprint = enuFootprint(
        mode == ConversionKind::projectToEnu ? file.outputBounds : file.inputBounds,
        *record.origin);
  }
}

void recordMeridianOffset(ConversionKind mode, const std::vector<double>& definitionMeridians,
                          std::optional<int> zoneCode, FileRecord& file) {
  const auto offset = [](double lon, double meridian) {
    return std::fabs(std::remainder(lon - meridian, 360.0));  // within [0°, 180°]
  };
  const bool onZone = mode == ConversionKind::projectToZone && zoneCode;
  if (file.footprint.empty() || (definitionMeridians.empty() && !onZone)) return;
  double largest = 0.0;
  for (const Point3& corner : file.footprint) {
    double nearest = onZone ? offset(corner.x, zoneCentralMeridian(*zoneCode)) : 0.0;
    if (!definitionMeridians.empty()) {
      double own = 360.0;
      for (const double meridian : definitionMeridians) {
        own = std::min(own, offset(corner.x, meridian));
      }
      nearest = std::max(nearest, own);
    }
    largest = std::max(largest, nearest);
    file.largestLatitude = std::max(file.largestLatitude, std::fabs(corner.y));
  }
  file.meridianOffset = largest;
}

std::optional<RunFailure> writeRunReport(const std::string& path, const CoordTranslateInfo& local,
                                         RunRecord& record, double maxResidual,
                                         std::vector<std::string>& warnings) {
  record.outcome = record.succeeded
                       ? "convert success!!"
                       : "The run failed (exit status 255): the message is on standard output, "
                         "the reason on standard error. Files listed below were written.";
  std::vector<ControlFitReport> fits;
  for (const ProjectDefinition& definition : local.projects) {
    if (!definition.isControlPoints()) continue;
    fits.push_back(reportControlFit(definition));
    const ControlFitReport& fit = fits.back();
    for (std::size_t i = 0; i < fit.points.size(); ++i) {
      const ControlPointResidual& p = fit.points[i];
      if (!exceeds(p, maxResidual)) continue;
      char text[200];
      std::snprintf(text, sizeof text,
                    "control point %zu: residual east %.4f, north %.4f, up %.4f m exceeds "
                    "-maxresidual=%g m",
                    i + 1, p.residual.x, p.residual.y, p.residual.z, maxResidual);
      warnings.push_back("\"" + fit.projectid + "\" " + text);
    }
  }
  std::string error;
  if (!writeTextFile(path, renderReportHtml(record, local, fits, maxResidual), &error)) {
    return RunFailure{RunMessage::writeFile, error};
  }
  return std::nullopt;
}
