#include "run/enu_origin_choice.h"

OriginChoice chooseEnuOrigin(ConversionKind mode, const std::optional<BasePoint>& inputbase,
                             const std::optional<BasePoint>& metadata,
                             CoordTranslateInfo& local) {
  if (mode == ConversionKind::projectToZone) return {};
  EnuOrigin& origin = *local.origin;
  if (inputbase) {
    origin.lon = inputbase->lon;
    origin.lat = inputbase->lat;
    return {OriginSource::inputbase, "-inputbase", {}};
  }
  if (local.basepointGiven) {
    return {OriginSource::basepoint, "\"basepoint\" of the coordinate file", {}};
  }
  if (mode == ConversionKind::projectToEnu) {
    return {OriginSource::computed, "the centre of all vertices", {}};
  }
  if (metadata) {
    origin.lon = metadata->lon;
    origin.lat = metadata->lat;
    return {OriginSource::metadata, "<SRS> of metadata.xml", {}};
  }
  const std::string advice =
      "; give the base point of the run that wrote them as -inputbase=ENU:LON,LAT (its base "
      "file holds ENU:LAT,LON)";
  for (auto it = local.projects.rbegin(); it != local.projects.rend(); ++it) {
    if (it->isControlPoints() && it->fittedFrame) {
      origin = *it->fittedFrame;
      return {OriginSource::controlCentre, "the centre of the control points",
              "no ENU origin given (-inputbase, or \"basepoint\" in the coordinate file): the "
              "ENU vertices are taken to be about the centre of the control points of \"" +
                  it->projectid + "\", longitude " + std::to_string(origin.lon) +
                  ", latitude " + std::to_string(origin.lat) + advice};
    }
  }
  return {OriginSource::zero, "none given: longitude 0, latitude 0",
          "no ENU origin given (-inputbase, or \"basepoint\" in the coordinate file): the ENU "
          "vertices are taken to be about longitude 0, latitude 0" + advice};
}
