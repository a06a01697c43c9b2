#include "run/report_gathering.h"

#include <cstdio>

#include "platform/atomic_file.h"
#include "report/control_fit_report.h"
#include "report/footprint.h"
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
