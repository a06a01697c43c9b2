#include "pipeline/converter.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

#include "geodesy/zone.h"
#include "pipeline/definition_chain_steps.h"
#include "pipeline/zone_step.h"

namespace {

std::uint64_t nextConverterId() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

bool isFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

void say(std::string* why, std::string text) {
  if (why != nullptr) *why = std::move(text);
}

const std::string kNothing;

}  // namespace

Converter::Converter(const CoordTranslateInfo& model, const EnuOrigin& given)
    : definitions_(model.projects),
      prepared_(model.projects.size()),
      boundaries_(model.projects.size()),
      frameEllipsoid_(chooseEnuFrameEllipsoid(model.projects)),
      frame_(onEllipsoid(given, frameEllipsoid_)),
      id_(nextConverterId()) {
  const EnuOrigin& origin = frame_.origin();
  for (std::size_t i = 0; i < definitions_.size(); ++i) {
    const ProjectDefinition& definition = definitions_[i];
    Prepared& prepared = prepared_[i];
    if (definition.isControlPoints() && definition.isDefined()) {
      // A missing transform is fitted as the first conversion through it used to; the model
      // keeps its own (the boundary ring is placed with what was parsed).
      ProjectDefinition filled = definition;
      if (!filled.transform) {
        const ConsoleText fitted = fillTransformInfo(filled);
        prepared.transformFitOut = fitted.out;
        prepared.transformFitErr = fitted.err;
      }
      const TransformInfo& t = *filled.transform;
      if (!t.argsFailed) prepared.toProject = ControlApplier::of(t, ControlDirection::enuToProject);
      if (!t.invArgsFailed) prepared.toEnu = ControlApplier::of(t, ControlDirection::projectToEnu);
      if (!definition.boundary.empty() && !definition.srcpointsenu.empty()) {
        prepared.boundaryFit = fitBoundary(definition);
      }
    }
    if (definition.zonecode >= 0) prepared.zone.emplace(zoneProjection(definition.zonecode));
    prepareForOrigin(i);
    boundaries_[i] =
        prepareBoundary(definition, origin, prepared.boundaryFit ? &*prepared.boundaryFit : nullptr,
                        prepared.chain ? &*prepared.chain : nullptr);
  }
}

void Converter::prepareForOrigin(std::size_t index) {
  const ProjectDefinition& definition = definitions_[index];
  Prepared& prepared = prepared_[index];
  const EnuOrigin& origin = frame_.origin();
  prepared.chain.reset();
  prepared.control.reset();
  if (!definition.isDefined()) return;  // converts nothing
  if (!definition.isControlPoints()) {
    prepared.chain.emplace(definition, origin);
    return;
  }
  prepared.control.emplace(prepared.toProject, prepared.toEnu,
                           definition.fittedFrame.value_or(origin), origin);
}

Converter Converter::withOrigin(const EnuOrigin& given,
                                const std::vector<bool>& boundariesSeen) const {
  Converter moved = *this;
  moved.frame_ = EnuFrame(onEllipsoid(given, frameEllipsoid_));
  const EnuOrigin& origin = moved.frame_.origin();
  moved.id_ = nextConverterId();
  for (std::size_t i = 0; i < moved.definitions_.size(); ++i) {
    moved.prepareForOrigin(i);
    const ProjectDefinition& definition = moved.definitions_[i];
    PreparedBoundary& boundary = moved.boundaries_[i];
    if (i < boundariesSeen.size() && boundariesSeen[i]) {
      boundary.enu = boundaryAbout(definition.boundary, origin);
      continue;
    }
    const Prepared& prepared = moved.prepared_[i];
    boundary = prepareBoundary(definition, origin,
                               prepared.boundaryFit ? &*prepared.boundaryFit : nullptr,
                               prepared.chain ? &*prepared.chain : nullptr);
  }
  return moved;
}

std::optional<std::size_t> Converter::choose(const Point3& p, BoundaryFrame frame,
                                             ConverterScratch& scratch, std::string* why) const {
  if (why != nullptr) why->clear();
  scratch.trace_ = ConversionTrace{};
  if (definitions_.empty()) return std::nullopt;
  // A single definition converts every point; its boundary is never looked at.
  if (definitions_.size() == 1) {
    scratch.trace_.chosen = 0;
    return std::size_t{0};
  }
  if (!scratch.selector_ || scratch.owner_ != id_) {
    scratch.selector_ = std::make_unique<BoundarySelector>(boundaries_);
    scratch.owner_ = id_;
  }
  const std::optional<std::size_t> chosen = scratch.selector_->select(p, frame, why);
  scratch.trace_.boundariesReached = scratch.selector_->lastReach();
  scratch.trace_.chosen = chosen;
  return chosen;
}

bool Converter::definesNothing(std::size_t index, std::string* why) const {
  const ProjectDefinition& definition = definitions_[index];
  if (definition.isDefined()) return false;
  say(why, "definition [" + std::to_string(index) + "] \"" + definition.projectid +
               "\" defines nothing (" + definition.undefinedReason + ")");
  return true;
}

bool Converter::controlApply(std::size_t index, ControlDirection direction, const Point3& in,
                             Point3& out, std::string* why) const {
  const ControlStep& step = *prepared_[index].control;
  const bool toEnu = direction == ControlDirection::projectToEnu;
  if (!(toEnu ? step.convertsToEnu() : step.convertsToProject())) {
    say(why, "the control-point fit of definition \"" + definitions_[index].projectid +
                 "\" failed");
    return false;
  }
  Point3 result = in;
  const bool finite = toEnu ? step.toEnu<double, bool>(result.x, result.y, result.z)
                            : step.fromEnu<double, bool>(result.x, result.y, result.z);
  if (!finite) {
    say(why, "the result is not finite");
    return false;
  }
  out = result;
  return true;
}

bool Converter::projectToEnu(const Point3& in, Point3& out, ConverterScratch& scratch,
                             std::string* why) const {
  const std::optional<std::size_t> chosen = choose(in, BoundaryFrame::project, scratch, why);
  if (!chosen || definesNothing(*chosen, why)) return false;
  if (definitions_[*chosen].isControlPoints()) {
    scratch.trace_.controlTransformUsed = true;
    return controlApply(*chosen, ControlDirection::projectToEnu, in, out, why);
  }
  return prepared_[*chosen].chain->toEnu(in, out, why);
}

bool Converter::enuToProject(const Point3& in, Point3& out, ConverterScratch& scratch,
                             std::string* why) const {
  const std::optional<std::size_t> chosen = choose(in, BoundaryFrame::enu, scratch, why);
  if (!chosen || definesNothing(*chosen, why)) return false;
  const ProjectDefinition& definition = definitions_[*chosen];
  if (definition.isControlPoints()) {
    scratch.trace_.controlTransformUsed = true;
    return controlApply(*chosen, ControlDirection::enuToProject, in, out, why);
  }
  if (!definition.isCustomGauss()) {
    say(why, "definition \"" + definition.projectid + "\" of type \"" + definition.type +
                 "\" cannot convert ENU to the project frame");
    return false;
  }
  return prepared_[*chosen].chain->fromEnu(in, out, why);
}

bool Converter::projectToZone(const Point3& in, Point3& out, ConverterScratch& scratch,
                              ZoneCodes& zones, std::string* why) const {
  Point3 enu{};
  if (!projectToEnu(in, enu, scratch, why)) return false;
  const std::size_t index = *scratch.trace_.chosen;
  Point3 geodetic;
  enuToGeodetic<double, bool>(frame_, enu.x, enu.y, enu.z, geodetic.x, geodetic.y, geodetic.z);
  const GaussKrugerProjection* zone = nullptr;
  int32_t code = definitions_[index].zonecode;
  if (prepared_[index].zone) {
    zone = &*prepared_[index].zone;
  } else {
    if (!zones.code(index)) {
      const std::optional<int32_t> first = zoneCodeOf(geodetic.x);
      if (!first) {
        say(why, "the longitude of the point has no zone code");
        return false;
      }
      zones.fix(index, *first);
    }
    code = *zones.code(index);
    zone = zones.projection(index);
  }
  // A point far from the zone's meridian (a zone fixed by an earlier point elsewhere, or a
  // position that is no place on the Earth) has no coordinates on this zone.
  Point3 plane;
  std::string off;
  if (!geodeticToZonePlane<double, bool>(*zone, geodetic.x, geodetic.y, geodetic.z, plane.x,
                                         plane.y, plane.z, &off)) {
    say(why, "on zone " + std::to_string(code) + ": " + off);
    return false;
  }
  out = plane;
  return true;
}

void Converter::convertInLanes(LaneKernel kernel, ConversionKind kind, const ZoneCodes& zones,
                               const double* in, double* out, unsigned char* done,
                               std::size_t count) const {
  if (definitions_.size() != 1) {
    std::fill(done, done + count, 0);
    return;
  }
  convertInLanes(kernel, kind, zones, 0, in, out, done, count);
}

std::optional<std::size_t> Converter::chooseFor(ConversionKind kind, const Point3& p,
                                                ConverterScratch& scratch) const {
  const std::optional<std::size_t> chosen =
      choose(p, kind == ConversionKind::enuToProject ? BoundaryFrame::enu : BoundaryFrame::project,
             scratch, nullptr);
  // A conversion through a control-point definition goes through its transform.
  scratch.trace_.controlTransformUsed = chosen && prepared_[*chosen].control.has_value();
  return chosen;
}

bool Converter::isControlPoints(std::size_t index) const {
  return index < prepared_.size() && prepared_[index].control.has_value();
}

void Converter::convertInLanes(LaneKernel kernel, ConversionKind kind, const ZoneCodes& zones,
                               std::size_t index, const double* in, double* out,
                               unsigned char* done, std::size_t count) const {
  std::fill(done, done + count, 0);
  if (kernel == nullptr || index >= definitions_.size()) return;
  const Prepared& prepared = prepared_[index];
  LaneJob job;
  job.kind = kind;
  job.frame = &frame_;
  // The step of the definition's type, chosen here once for the whole batch.
  bool toEnu = false, toProject = false;
  if (prepared.chain) {
    job.chain = &*prepared.chain;
    toEnu = job.chain->lanesToEnu();
    toProject = definitions_[index].isCustomGauss() && job.chain->lanesFromEnu();
  } else if (prepared.control) {
    job.control = &*prepared.control;
    toEnu = job.control->convertsToEnu();
    toProject = job.control->convertsToProject();
  }
  switch (kind) {
    case ConversionKind::projectToEnu:
      if (!toEnu) return;
      break;
    case ConversionKind::enuToProject:
      if (!toProject) return;
      break;
    case ConversionKind::projectToZone:
      if (!toEnu) return;
      // A zone not fixed yet is fixed by the first point, in file order: one at a time.
      job.zone = prepared.zone ? &*prepared.zone : zones.projection(index);
      if (job.zone == nullptr) return;
      break;
  }
  kernel(job, in, out, done, count);
}

bool Converter::toProjectThrough(std::size_t index, const Point3& enu, Point3& out) const {
  if (index >= definitions_.size() || !definitions_[index].isDefined()) return false;
  if (definitions_[index].isControlPoints()) {
    return controlApply(index, ControlDirection::enuToProject, enu, out, nullptr);
  }
  return prepared_[index].chain->fromEnu(enu, out);
}

bool Converter::toEnuThrough(std::size_t index, const Point3& project, Point3& out) const {
  if (index >= definitions_.size() || !definitions_[index].isDefined()) return false;
  if (definitions_[index].isControlPoints()) {
    return controlApply(index, ControlDirection::projectToEnu, project, out, nullptr);
  }
  return prepared_[index].chain->toEnu(project, out);
}

bool Converter::convertBack(ConversionKind kind, std::size_t index,
                            const GaussKrugerProjection* zone, const Point3& result,
                            Point3& back) const {
  switch (kind) {
    case ConversionKind::projectToEnu:
      return toProjectThrough(index, result, back);
    case ConversionKind::enuToProject:
      return toEnuThrough(index, result, back);
    case ConversionKind::projectToZone: {
      if (zone == nullptr) return false;
      Point3 geodetic;
      if (!zonePlaneToGeodetic<double, bool>(*zone, result.x, result.y, result.z, geodetic.x,
                                             geodetic.y, geodetic.z)) {
        return false;
      }
      if (index < definitions_.size() && prepared_[index].chain) {
        Point3 project;
        if (!prepared_[index].chain->geodeticToProject<double, bool>(
                geodetic.x, geodetic.y, geodetic.z, project.x, project.y, project.z)) {
          return false;
        }
        back = project;
        return true;
      }
      const Point3 enu = frame_.ecefToEnu(frame_.geodeticToEcef(geodetic));
      return isFinite(enu) && toProjectThrough(index, enu, back);
    }
  }
  return false;
}

void Converter::convertBackInLanes(LaneKernel kernel, ConversionKind kind,
                                   const GaussKrugerProjection* zone, const double* in,
                                   double* out, unsigned char* done, std::size_t count) const {
  std::fill(done, done + count, 0);
  if (kernel == nullptr || definitions_.size() != 1) return;
  const Prepared& prepared = prepared_[0];
  LaneJob job;
  job.kind = kind;
  job.back = true;
  job.frame = &frame_;
  job.zone = zone;
  // The way back of ENU -> project goes to ENU; of the other two, to the project frame.
  bool lanes = false;
  if (prepared.chain) {
    job.chain = &*prepared.chain;
    lanes = kind == ConversionKind::enuToProject ? job.chain->lanesToEnu()
                                                 : job.chain->lanesFromEnu();
  } else if (prepared.control) {
    job.control = &*prepared.control;
    lanes = kind == ConversionKind::enuToProject ? job.control->convertsToEnu()
                                                 : job.control->convertsToProject();
  }
  if (!lanes || (kind == ConversionKind::projectToZone && zone == nullptr)) return;
  kernel(job, in, out, done, count);
}

std::optional<double> Converter::centralMeridian(std::size_t index) const {
  if (index >= definitions_.size() || !prepared_[index].chain) return std::nullopt;
  return definitions_[index].info.centralMeridianLongitude;
}

std::optional<int32_t> Converter::zoneCode(std::size_t index, const ZoneCodes& zones) const {
  if (index >= definitions_.size()) return std::nullopt;
  if (definitions_[index].zonecode >= 0) return definitions_[index].zonecode;
  return zones.code(index);
}

const std::string& Converter::boundaryFitOut(std::size_t index) const {
  const std::optional<BoundaryFit>& fit = prepared_[index].boundaryFit;
  return fit ? fit->out : kNothing;
}

const std::string& Converter::boundaryFitErr(std::size_t index) const {
  const std::optional<BoundaryFit>& fit = prepared_[index].boundaryFit;
  return fit ? fit->err : kNothing;
}

const std::string& Converter::transformFitOut(std::size_t index) const {
  return prepared_[index].transformFitOut;
}

const std::string& Converter::transformFitErr(std::size_t index) const {
  return prepared_[index].transformFitErr;
}
