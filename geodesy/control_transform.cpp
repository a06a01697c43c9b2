#include "geodesy/control_transform.h"

#include <cmath>
#include <cstddef>

namespace {

// NaN fails the comparison and is stored as 0 too.
double cleaned(double value, double floor) { return std::fabs(value) > floor ? value : 0.0; }

// The floor of parameter i (tx, ty, tz, εx, εy, εz, k).
double parameterFloor(std::size_t i) {
  return i < 3 ? kStoredShiftFloorM : i < 6 ? kStoredRotationFloorRad : kStoredScaleFloor;
}

void storeCleaned(std::array<double, 7>& args, const ControlParams& values) {
  for (std::size_t i = 0; i < 7; ++i) {
    args[i] = cleaned(values(static_cast<Eigen::Index>(i)), parameterFloor(i));
  }
}

void storeCleaned(std::array<double, 3>& centroid, const Eigen::RowVector3d& values) {
  for (std::size_t i = 0; i < 3; ++i) {
    centroid[i] = cleaned(values(static_cast<Eigen::Index>(i)), kStoredShiftFloorM);
  }
}

// Stores one successful fit; a failed one leaves the three fields as they were.
void storeFit(const ControlFitResult& result, std::array<double, 7>& args,
              std::array<double, 3>& source, std::array<double, 3>& target, bool& failed) {
  failed = !result.ok;
  if (!result.ok) return;
  storeCleaned(args, result.fit.args);
  storeCleaned(source, result.fit.sourceCentroid);
  storeCleaned(target, result.fit.targetCentroid);
}

}  // namespace

ControlApplier ControlApplier::of(const TransformInfo& transform, ControlDirection direction) {
  if (direction == ControlDirection::enuToProject) {
    return ControlApplier(transform.args, transform.src, transform.tar);
  }
  return ControlApplier(transform.inv_args, transform.inv_src, transform.inv_tar);
}

Point3 applyControlTransform(const Point3& p, const ControlParams& args,
                             const Eigen::RowVector3d& sourceCentroid,
                             const Eigen::RowVector3d& targetCentroid) {
  const Point3 m = controlModelAt(args.data(), p.x - sourceCentroid(0), p.y - sourceCentroid(1),
                                  p.z - sourceCentroid(2));
  return Point3{m.x + targetCentroid(0), m.y + targetCentroid(1), m.z + targetCentroid(2)};
}


ConsoleText fillTransformInfo(ProjectDefinition& definition) {
  if (!definition.transform) definition.transform.emplace();
  TransformInfo& t = *definition.transform;
  const ControlFitResult forward = fitControlTransform(definition.srcpointsenu, definition.despoints);
  storeFit(forward, t.args, t.src, t.tar, t.argsFailed);
  const ControlFitResult reverse = fitControlTransform(definition.despoints, definition.srcpointsenu);
  storeFit(reverse, t.inv_args, t.inv_src, t.inv_tar, t.invArgsFailed);
  ConsoleText console = forward.console;
  console.append(reverse.console);
  return console;
}

std::optional<ControlApplier> prepareControlApplier(ProjectDefinition& definition,
                                                    ControlDirection direction) {
  // The label lines and reasons are not needed: the caller only needs the outcome.
  if (!definition.transform) fillTransformInfo(definition);
  const TransformInfo& t = *definition.transform;
  const bool failed =
      direction == ControlDirection::enuToProject ? t.argsFailed : t.invArgsFailed;
  if (failed) return std::nullopt;
  return ControlApplier::of(t, direction);
}

bool controlEnuToProject(ProjectDefinition& definition, const Point3& in, Point3& out) {
  const std::optional<ControlApplier> applier =
      prepareControlApplier(definition, ControlDirection::enuToProject);
  if (!applier) return false;
  out = applier->apply(in);
  return true;
}

bool controlProjectToEnu(ProjectDefinition& definition, const Point3& in, Point3& out) {
  const std::optional<ControlApplier> applier =
      prepareControlApplier(definition, ControlDirection::projectToEnu);
  if (!applier) return false;
  out = applier->apply(in);
  return true;
}
