#pragma once

#include <optional>
#include <string>
#include <vector>

#include "coordinfo/coord_translate_info.h"
#include "pipeline/conversion_kind.h"
#include "report/run_record.h"
#include "run/run_failure.h"

// The mode of a run as the report names it, e.g. "project frame -> ENU".
const char* modeName(ConversionKind mode);

// A converted file's outline on the Earth, from its boxes: the output box in the zone mode
// (on `zoneCode`) and project -> ENU, the input box in ENU -> project (both about the run's
// origin in `record`).
void recordFootprint(ConversionKind mode, std::optional<int> zoneCode, FileRecord& file,
                     const RunRecord& record);

// The largest distance (degree) of `file`'s footprint corners from the central meridian of
// their projection: the nearest of `definitionMeridians`, and in the zone mode that of
// `zoneCode` when farther; and their largest |latitude|. Nothing without a footprint or a
// meridian.
void recordMeridianOffset(ConversionKind mode, const std::vector<double>& definitionMeridians,
                          std::optional<int> zoneCode, FileRecord& file);

// Writes the report of a run that ended with `failed` (or not) to `path`. `warnings` receives
// one line for each control point whose residual exceeds `maxResidual` metres. A report that
// cannot be written is a failure (the caller decides what it does to a failed run).
std::optional<RunFailure> writeRunReport(const std::string& path, const CoordTranslateInfo& local,
                                         RunRecord& record, double maxResidual,
                                         std::vector<std::string>& warnings);
