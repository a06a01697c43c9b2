#include "run/enu_origin_choice.h"

OriginChoice chooseEnuInputOrigin(const std::optional<BasePoint>& inputbase,
                                  CoordTranslateInfo& local) {
  EnuOrigin& origin = *local.origin;
  if (inputbase) {
    origin.lon = inputbase->lon;
    origin.lat = inputbase->lat;
    return {"-inputbase", {}};
  }
  if (local.basepointGiven) return {"\"basepoint\" of the coordinate file", {}};
  for (auto it = local.projects.rbegin(); it != local.projects.rend(); ++it) {
    if (it->isControlPoints() && it->fittedFrame) {
      origin = *it->fittedFrame;
      return {"the centre of the control points, or none given", {}};
    }
  }
  return {"the centre of the control points, or none given",
          "no ENU origin given (-inputbase, or \"basepoint\" in the coordinate file): the ENU "
          "vertices are taken to be about longitude 0, latitude 0"};
}
