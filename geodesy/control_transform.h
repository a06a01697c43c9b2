#pragma once

#include "coordinfo/point3.h"
#include "coordinfo/project_definition.h"

// Creates `transform` when absent and fills it by two fits: args/src/tar from srcpointsenu
// onto despoints, then inv_args/inv_src/inv_tar from despoints onto srcpointsenu. Stored
// values of magnitude <= 1e-6, and NaN, are stored as 0. A failed direction keeps its
// values and is marked failed (argsFailed / invArgsFailed).
void fillTransformInfo(ProjectDefinition& definition);

// ENU -> project through args/src/tar (filling a missing transform first). False, leaving
// `out` untouched, when that direction's fit failed.
[[nodiscard]] bool controlEnuToProject(ProjectDefinition& definition, const Point3& in,
                                       Point3& out);
// Project -> ENU through inv_args/inv_src/inv_tar (filling a missing transform first).
[[nodiscard]] bool controlProjectToEnu(ProjectDefinition& definition, const Point3& in,
                                       Point3& out);
