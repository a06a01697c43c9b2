#pragma once

#include <optional>
#include <string>

#include "coordinfo/coord_translate_info.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"
#include "run/run_failure.h"
#include "run/run_output.h"
#include "run/run_plan.h"

// -dryrun=1, once the coordinate file is parsed and the origin chosen: prints the plan (each
// input and its output, the bounds files merged or the one written, the base file, the report,
// the metadata.xml read and what it says, the one written) and the frame facts, reading each
// input once on the run's threads
// (scanFrames): per definition its vertex count, box in the frame read, the box in latitude and
// longitude and in the project frame (ENU -> project) of that box's corners, the largest
// distance of the corners from the central meridian, and the zone; the ENU origin the run
// would use (the computed base point when it computes one). Warns as the run would of
// vertices far from the central meridian (per file) or from the ENU origin, of several zones,
// and of the material files the plan found missing (-materials=copy|link). -mergebounds reads
// no input: the bounds files are merged and checked as the run does (its refusals are the
// dry run's) and the base point they give is printed. Writes nothing.
// `model`: the definitions `converter` was built from; `originSource` says how the origin was
// chosen.
std::optional<RunFailure> dryRun(const RunPlan& plan, const CoordTranslateInfo& model,
                                 const Converter& converter,
                                 RunState& state, bool computesBase,
                                 const std::string& originSource, RunOutput& output);
