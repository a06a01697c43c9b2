#include "pipeline/definition_chain.h"

#include <cmath>
#include <utility>

namespace {

// Projection parameters of a definition on ellipsoid E: the axis enlarged to the surface.
GaussKrugerParams definitionProjection(const projectinfo& info, const Ellipsoid& e) {
  GaussKrugerParams params;
  params.centralMeridian = info.centralMeridianLongitude;
  params.falseEasting = info.xoffset;
  params.falseNorthing = info.yoffset;
  params.a = surfaceSemiMajorAxis(e, info.surfaceheight);
  params.f = e.f;
  params.originLatitude = info.centralOriginLatitude;
  return params;
}

std::optional<SevenParamTransform> datumOf(const projectinfo& info, const Ellipsoid& e) {
  if (!info.baseconv) return std::nullopt;
  return SevenParamTransform(*info.baseconv, e);
}

bool isFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace

DefinitionChain::DefinitionChain(const ProjectDefinition& definition, const EnuOrigin& origin)
    : adjust_(definition.info.adjustconv),
      toEnuProjection_(definitionProjection(
          definition.info, projectionEllipsoid(definition.info, ChainDirection::toEnu))),
      fromEnuProjection_(definitionProjection(
          definition.info, projectionEllipsoid(definition.info, ChainDirection::fromEnu))),
      toEnuDatum_(datumOf(definition.info,
                          projectionEllipsoid(definition.info, ChainDirection::toEnu))),
      fromEnuDatum_(datumOf(definition.info,
                            projectionEllipsoid(definition.info, ChainDirection::fromEnu))),
      frame_(origin) {
  const projectinfo& info = definition.info;
  if (info.altparam) alt_.emplace(*info.altparam);
  if (info.planeparam) plane_.emplace(*info.planeparam);
  if (ellipsoidChangeApplies(info)) {
    toEnuChange_.emplace(projectionEllipsoid(info, ChainDirection::toEnu),
                         lookupEllipsoid(info.ellipsoidconv->srcellipsoid));
    fromEnuChange_.emplace(lookupEllipsoid(info.ellipsoid),
                           projectionEllipsoid(info, ChainDirection::fromEnu));
  }
}

std::optional<Point3> DefinitionChain::projectToGeodetic(const Point3& in,
                                                        std::string* why) const {
  Point3 p = in;
  if (adjust_) p = removeAdjustOffsets(*adjust_, p);
  // The height model sees the position without offsets, with the plane transform in place.
  if (alt_) p.z = alt_->remove(p.x, p.y, p.z);
  if (plane_) p = plane_->remove(p);
  Point3 g = toEnuProjection_.inverse(p);  // z (the height) passes through
  // The series give finite numbers far beyond where they mean anything (an easting of 5e7 m
  // comes out as some longitude): such a point is not a position of this projection.
  if (auto off = offProjection(g, toEnuProjection_.params().centralMeridian)) {
    if (why != nullptr) *why = std::move(*off);
    return std::nullopt;
  }
  if (toEnuDatum_) g = toEnuDatum_->inverse(g);
  if (toEnuChange_) g = (*toEnuChange_)(g);
  return g;
}

std::optional<Point3> DefinitionChain::geodeticToProject(const Point3& geodetic,
                                                        std::string* why) const {
  Point3 g = geodetic;
  if (fromEnuChange_) g = (*fromEnuChange_)(g);
  if (fromEnuDatum_) g = fromEnuDatum_->forward(g);
  if (auto off = offProjection(g, fromEnuProjection_.params().centralMeridian)) {
    if (why != nullptr) *why = std::move(*off);
    return std::nullopt;
  }
  Point3 p = fromEnuProjection_.forward(g);  // z (the height) passes through
  if (plane_) p = plane_->apply(p);
  // Same position as going the other way: plane transform applied, offsets not yet added.
  if (alt_) p.z = alt_->apply(p.x, p.y, p.z);
  if (adjust_) p = applyAdjustOffsets(*adjust_, p);
  return p;
}

bool DefinitionChain::toEnu(const Point3& in, Point3& out, std::string* why) const {
  const std::optional<Point3> geodetic = projectToGeodetic(in, why);
  if (!geodetic) return false;
  const Point3 enu = frame_.ecefToEnu(frame_.geodeticToEcef(*geodetic));
  if (!isFinite(enu)) {
    if (why != nullptr) *why = "the result is not finite";
    return false;
  }
  out = enu;
  return true;
}

bool DefinitionChain::fromEnu(const Point3& in, Point3& out, std::string* why) const {
  const std::optional<Point3> project =
      geodeticToProject(frame_.ecefToGeodeticBowring(frame_.enuToEcef(in)), why);
  if (!project) return false;
  if (!isFinite(*project)) {
    if (why != nullptr) *why = "the result is not finite";
    return false;
  }
  out = *project;
  return true;
}
