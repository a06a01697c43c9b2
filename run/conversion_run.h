#pragma once

#include <optional>

#include "run/run_failure.h"
#include "run/run_output.h"
#include "run/run_plan.h"

// One run from its plan: reads and parses the coordinate file, sets the ENU origin (given, or
// the computed base point, written to the base file), converts every input in order into its
// output, prints each file's zone code (zone mode) and writes the base file and the report.
// Files converted before a failure keep their outputs; a failure once the run has started
// (reads an input's vertices or writes a file) still writes the report and the manifest, a
// refusal before it and a dry run write neither. Nothing is printed but through `output`.
// Empty on success.
std::optional<RunFailure> runConversion(const RunPlan& plan, RunOutput& output);
