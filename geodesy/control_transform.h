#pragma once

#include <array>
#include <optional>

#include <Eigen/Core>

#include "coordinfo/point3.h"
#include "coordinfo/project_definition.h"
#include "coordinfo/transform_info.h"
#include "geodesy/control_fit.h"

// Application of the seven-parameter control transform of a "Control points" definition
// (model and parameters: geodesy/control_fit.h). A point p is mapped as
//   out = model(p − Cs) + Ct
// with Cs the centroid of the fit's sources and Ct that of its targets; the subtraction and the
// addition are per coordinate, the model keeps its own operation order. Units are those of the
// points the fit was given (ENU metres one side, project coordinates the other).

// Fitted values at or below these magnitudes, and NaN, are stored as 0 in a TransformInfo, as
// they always have been (converted coordinates depend on the stored values):
// - translations and centroids, in the points' unit (m): 1 µm, the resolution of the output;
inline constexpr double kStoredShiftFloorM = 1e-6;
// - rotations εx, εy, εz (rad): 1e-6 rad = 0.21″, which moves a point 1 mm per km from the
//   centroid, so a site of a few km can lose a few mm to it;
inline constexpr double kStoredRotationFloorRad = 1e-6;
// - the scale k (dimensionless): 1 ppm, likewise 1 mm per km from the centroid.
inline constexpr double kStoredScaleFloor = 1e-6;

// Which stored parameter set a conversion uses.
enum class ControlDirection {
  enuToProject,  // args, src, tar
  projectToEnu,  // inv_args, inv_src, inv_tar
};

// One parameter set prepared for many points: plain numbers, straight-line arithmetic per
// point (the same bits as applyControlTransform on the same values).
class ControlApplier {
 public:
  ControlApplier(const std::array<double, 7>& args, const std::array<double, 3>& source,
                 const std::array<double, 3>& target)
      : args_(args), source_(source), target_(target) {}
  static ControlApplier of(const TransformInfo& transform, ControlDirection direction);

  Point3 apply(const Point3& p) const {
    Point3 q = p;
    applyTo(q.x, q.y, q.z);
    return q;
  }
  // The same in place, for one value or lanes (geodesy/lanes.h): each lane gets the bits of
  // apply().
  template <class V>
  void applyTo(V& x, V& y, V& z) const {
    controlModelAt<V>(args_.data(), x - source_[0], y - source_[1], z - source_[2], x, y, z);
    x = x + target_[0];
    y = y + target_[1];
    z = z + target_[2];
  }

 private:
  std::array<double, 7> args_;
  std::array<double, 3> source_;
  std::array<double, 3> target_;
};

// out = model(p − Cs) + Ct on a fit's matrices as they are (uncleaned). With fixed-size
// parameters there is no shape to get wrong, so this cannot fail.
Point3 applyControlTransform(const Point3& p, const ControlParams& args,
                             const Eigen::RowVector3d& sourceCentroid,
                             const Eigen::RowVector3d& targetCentroid);

// Creates `transform` when absent and fills it by two fits: args/src/tar from srcpointsenu
// onto despoints, then inv_args/inv_src/inv_tar from despoints onto srcpointsenu. Values are
// stored cleaned (cleanedControlValue). A failed direction keeps its previous values and is
// marked failed (argsFailed / invArgsFailed). Returns what the two fits would print: eight
// label lines, and the reason of each failed fit.
ConsoleText fillTransformInfo(ProjectDefinition& definition);

// The applier of one direction of `definition`, filling a missing transform first (its label
// lines and reason are not kept). Empty when
// that direction's fit failed: converting through it would silently be wrong.
std::optional<ControlApplier> prepareControlApplier(ProjectDefinition& definition,
                                                    ControlDirection direction);

// ENU -> project through args/src/tar (filling a missing transform first). False, leaving
// `out` untouched, when that direction's fit failed.
[[nodiscard]] bool controlEnuToProject(ProjectDefinition& definition, const Point3& in,
                                       Point3& out);
// Project -> ENU through inv_args/inv_src/inv_tar (filling a missing transform first).
[[nodiscard]] bool controlProjectToEnu(ProjectDefinition& definition, const Point3& in,
                                       Point3& out);
