#pragma once

#include <vector>

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"
#include "coordinfo/project_definition.h"

// A parsed coordinate translation info: its definitions in file order and the ENU origin
// they all refer to. Plain data: the conversions live in pipeline/converter.h, which is built
// from this record and never writes to it.
struct CoordTranslateInfo {
  std::vector<ProjectDefinition> projects;
  EnuOrigin* origin = nullptr;  // not owned; set before parsing
  // A "basepoint" member was read into `origin` (the ENU origin then comes from the file).
  bool basepointGiven = false;

  // Appends a default definition that refers to this info's origin; the parser's only way to
  // create definitions.
  ProjectDefinition& appendDefinition();
};
