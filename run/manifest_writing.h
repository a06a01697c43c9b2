#pragma once

#include <optional>

#include "report/run_record.h"
#include "run/run_failure.h"
#include "run/run_plan.h"

// -manifest: the record of a run (report/batch_manifest.h) from its plan and what the run
// recorded, written atomically to options.batch.manifest at the end of the run, also of a
// failed one (`failure`): each input of the plan is "written" (its record: the output's size
// and SHA-256 are read back from the file now, on the run's threads), "failed" (the input the
// run failed on, with the fixed message and the detail) or "not reached". A manifest that
// cannot be written is a failure (writeFile).
std::optional<RunFailure> writeRunManifest(const RunPlan& plan, const RunRecord& record,
                                           const std::optional<RunFailure>& failure);
