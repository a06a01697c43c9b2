// Placeholder until the control-point fit lands: every direction reports failure.
#include "geodesy/control_transform.h"

void fillTransformInfo(ProjectDefinition& definition) {
  if (!definition.transform) definition.transform.emplace();
  definition.transform->argsFailed = true;
  definition.transform->invArgsFailed = true;
}

bool controlEnuToProject(ProjectDefinition&, const Point3&, Point3&) { return false; }
bool controlProjectToEnu(ProjectDefinition&, const Point3&, Point3&) { return false; }
