#include "coordinfo/coord_translate_info.h"

ProjectDefinition& CoordTranslateInfo::appendDefinition() {
  ProjectDefinition& definition = projects.emplace_back();
  definition.origin = origin;
  return definition;
}
