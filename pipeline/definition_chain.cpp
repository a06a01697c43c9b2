#include "pipeline/definition_chain.h"

#include "pipeline/definition_chain_steps.h"

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

std::optional<Point3> DefinitionChain::projectToGeodetic(const Point3& project,
                                                        std::string* why) const {
  Point3 p = project;
  if (!projectToGeodeticSteps<double, bool>(p.x, p.y, p.z, why)) return std::nullopt;
  return p;
}

std::optional<Point3> DefinitionChain::geodeticToProject(const Point3& geodetic,
                                                        std::string* why) const {
  Point3 p = geodetic;
  if (!geodeticToProjectSteps<double, bool>(p.x, p.y, p.z, why)) return std::nullopt;
  return p;
}

bool DefinitionChain::toEnu(const Point3& in, Point3& out, std::string* why) const {
  Point3 p = in;
  if (!toEnuSteps<double, bool>(p.x, p.y, p.z, why)) return false;
  out = p;
  return true;
}

bool DefinitionChain::fromEnu(const Point3& in, Point3& out, std::string* why) const {
  Point3 p = in;
  if (!fromEnuSteps<double, bool>(p.x, p.y, p.z, why)) return false;
  out = p;
  return true;
}
