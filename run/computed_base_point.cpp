#include "run/computed_base_point.h"

#include <cmath>

#include "obj/vertex_bounds.h"
#include "pipeline/base_point.h"

namespace {
constexpr std::size_t kThreadedBlock = std::size_t{1} << 20;
}  // namespace

ComputedBasePoint computeBasePoint(const std::vector<std::string>& files, unsigned threads,
                                   const Converter& converter, RunState& state) {
  const VertexBounds bounds = threads == 1
                                  ? scanVertexBounds(files)
                                  : scanVertexBoundsThreaded(files, threads, kThreadedBlock);
  if (bounds.status == VertexBounds::Status::openFailed) {
    return {RunFailure{RunMessage::openObj, bounds.path + ": " + bounds.detail}, {}};
  }
  if (bounds.status == VertexBounds::Status::shortVertexLine) {
    return {RunFailure{RunMessage::vertexLine,
                       bounds.path + ":" + std::to_string(bounds.line) + ": " + bounds.detail},
            {}};
  }
  if (bounds.vertexCount == 0) return {};  // no vertex, no centre: any base point is made up
  const Point3 centre{boundsCentre(bounds.min[0], bounds.max[0]),
                      boundsCentre(bounds.min[1], bounds.max[1]),
                      boundsCentre(bounds.min[2], bounds.max[2])};
  Point3 enu{};
  std::string why;
  ConverterScratch scratch;
  const bool converted = converter.projectToEnu(centre, enu, scratch, &why);
  state.record(converter, scratch.trace());
  if (!converted || !std::isfinite(enu.x) || !std::isfinite(enu.y) || !std::isfinite(enu.z)) {
    return {RunFailure{RunMessage::convertVertex,
                       "the centre of all vertices could not be converted" +
                           (why.empty() ? std::string() : ": " + why)},
            {}};
  }
  const Point3 geodetic = converter.frame().enuToGeodetic(enu);
  if (!std::isfinite(geodetic.x) || !std::isfinite(geodetic.y)) {
    return {RunFailure{RunMessage::convertVertex,
                       "the centre of all vertices has no geodetic position"},
            {}};
  }
  // About the point the base file names, not the unrounded centre (up to 5.5 cm away).
  const BasePoint written = basePointAsWritten({geodetic.x, geodetic.y});
  EnuOrigin origin = converter.origin();
  origin.lon = written.lon;
  origin.lat = written.lat;
  return {std::nullopt, origin};
}
