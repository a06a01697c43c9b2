#pragma once

#include <optional>
#include <string>
#include <vector>

#include "obj/progress_sink.h"
#include "run/bounds_merge.h"
#include "run/run_failure.h"
#include "run/run_plan.h"

// -boundsonly: scans the plan's inputs (the base-point scan, with the plan's threads) and
// writes their bounds, with what a merge checks (bounds_part.h), to options.batch.boundsOnly.
// The scan's failures are the run's;
// `warnings` receives the scan's (files without any vertex line). An empty part writes a file
// too: the merge counts the parts.
std::optional<RunFailure> writeBoundsPart(const RunPlan& plan,
                                          std::vector<std::string>& warnings);

// The bounds of every vertex of the batch a computed base point is taken from: scanned from
// the plan's inputs (`progress`, when not null, told of each file), or merged from the bounds
// files of its parts (-mergebounds).
MergedBounds batchBounds(const RunPlan& plan, FileProgress* progress = nullptr);
