#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/run_failure.h"
#include "run/run_plan.h"

// -boundsonly: scans the plan's inputs (the base-point scan, with the plan's threads) and
// writes their bounds, with what a merge checks (bounds_part.h), to options.batch.boundsOnly.
// `coordinateFileSha256`: of the -coord file as read. The scan's failures are the run's;
// `warnings` receives the scan's (files without any vertex line). An empty part writes a file
// too: the merge counts the parts.
std::optional<RunFailure> writeBoundsPart(const RunPlan& plan,
                                          const std::string& coordinateFileSha256,
                                          std::vector<std::string>& warnings);
