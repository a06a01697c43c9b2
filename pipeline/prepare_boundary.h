#pragma once

#include <iostream>

#include "coordinfo/project_definition.h"

// Fills the two boundary caches of `definition`: `boundaryenu` (each `boundary` point,
// lon°/lat°/0, to ENU metres about the definition's origin) and `boundaryproj` (that point in
// the definition's project frame). Afterwards both hold one point per `boundary` point, in
// order. `boundaryproj` does not depend on the origin and is made once; `boundaryenu` is made
// again when the origin has moved since (`boundaryenuOrigin`).
//
// A "Control points" definition takes each point into the frame it was fitted in
// (`fittedFrame`, or the origin when it has none) and through its ENU-to-project parameters:
// with source points a fresh fit of srcpointsenu onto despoints (four label lines on `out`),
// used as fitted (not cleaned) and not stored; without them the stored `transform`. When that
// fit fails (reason on `err`), or there is neither, `boundaryFitFailed` or
// `boundaryprojFailure` says so and `boundaryproj` holds (0, 0, 0) per point. Any other
// definition converts through definitionFromEnu; a point it cannot convert (off the
// projection) sets `boundaryprojFailure` and stays (0, 0, 0).
//
// Without an origin nothing can be converted: the lists stay empty and a boundary selection
// passes the definition over.
void prepareBoundary(ProjectDefinition& definition);
void prepareBoundary(ProjectDefinition& definition, std::ostream& out, std::ostream& err);
