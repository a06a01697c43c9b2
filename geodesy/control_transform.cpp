// Placeholder until the control-point fit lands: marks both directions failed.
#include "geodesy/control_transform.h"

void fillTransformInfo(ProjectDefinition& definition) {
  if (!definition.transform) definition.transform.emplace();
  definition.transform->argsFailed = true;
  definition.transform->invArgsFailed = true;
}
