#pragma once

#include <iostream>

#include "coordinfo/project_definition.h"

// Fills the two boundary caches of `definition` once: `boundaryenu` (each `boundary` point,
// lon°/lat°/0, to ENU metres about the definition's origin) and `boundaryproj` (that ENU point
// in the definition's project frame). Afterwards both hold one point per `boundary` point, in
// order; a later call with the lists already that long does nothing and writes nothing.
//
// A "Control points" definition with source points takes its ENU list about the centre of
// those points (height 0), the frame its srcpointsenu and its transforms are in, instead of
// the definition's origin (whose ellipsoid it keeps). It converts its boundary with a fresh
// fit of srcpointsenu onto despoints (four label lines on `out`), used as fitted (not cleaned) and not stored; its
// stored `transform`, from the file or not, is not used here. When that fit fails (reason on
// `err`) the definition has no usable polygon: `boundaryFitFailed` is set and `boundaryproj`
// holds (0, 0, 0) per point. Any other definition converts through definitionFromEnu; a point
// that conversion does not write stays (0, 0, 0).
//
// Without an origin nothing can be converted: the lists stay empty and a boundary selection
// passes the definition over.
void prepareBoundary(ProjectDefinition& definition);
void prepareBoundary(ProjectDefinition& definition, std::ostream& out, std::ostream& err);
