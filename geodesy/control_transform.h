#pragma once

#include <array>

#include "coordinfo/point3.h"
#include "coordinfo/project_definition.h"

// Creates `transform` when absent and fills it by two fits: args/src/tar from srcpointsenu
// onto despoints, then inv_args/inv_src/inv_tar from despoints onto srcpointsenu. Stored
// values of magnitude <= 1e-6, and NaN, are stored as 0. A failed direction keeps its
// values and is marked failed (argsFailed / invArgsFailed).
void fillTransformInfo(ProjectDefinition& definition);
