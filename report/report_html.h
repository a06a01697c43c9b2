#pragma once

#include <string>
#include <vector>

#include "coordinfo/coord_translate_info.h"
#include "report/control_fit_report.h"
#include "report/run_record.h"

// The fit report: one self-contained HTML page (inline CSS and SVG; no script, nothing
// fetched) with the run (mode, coordinate file, origin, zone, files with their vertex counts
// and boxes in both frames, time), each file's accuracy (its measured round trip, highlighted
// above run.maxClosureMm, its distance from the central meridian with the projection's own
// error there), each "Control points" definition's residuals and seven
// parameters (residuals above `maxResidual` metres highlighted), and a map of the tile
// outlines, the definitions' boundary polygons and the control points with their residual
// vectors, exaggerated by a stated factor, with a scale bar.
std::string renderReportHtml(const RunRecord& run, const CoordTranslateInfo& info,
                             const std::vector<ControlFitReport>& fits, double maxResidual);

// Text as HTML character data: & < > " escaped.
std::string htmlEscaped(const std::string& text);
