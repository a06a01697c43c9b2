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
  const std::string advice =
      "; give the base point of the run that wrote them as -inputbase=ENU:LON,LAT (its base "
      "file holds ENU:LAT,LON)";
  for (auto it = local.projects.rbegin(); it != local.projects.rend(); ++it) {
    if (it->isControlPoints() && it->fittedFrame) {
      origin = *it->fittedFrame;
      return {"the centre of the control points",
              "no ENU origin given (-inputbase, or \"basepoint\" in the coordinate file): the "
              "ENU vertices are taken to be about the centre of the control points of \"" +
                  it->projectid + "\", longitude " + std::to_string(origin.lon) +
                  ", latitude " + std::to_string(origin.lat) + advice};
    }
  }
  return {"none given: longitude 0, latitude 0",
          "no ENU origin given (-inputbase, or \"basepoint\" in the coordinate file): the ENU "
          "vertices are taken to be about longitude 0, latitude 0" + advice};
}
