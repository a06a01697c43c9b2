#pragma once

#include <string>
#include <vector>

#include <Eigen/Core>

#include "coordinfo/console_text.h"
#include "coordinfo/point3.h"

// Seven-parameter similarity (Bursa-Wolf form with linearised rotations) between two lists of
// paired points, estimated by Gauss-Newton least squares.
//
// Parameters, in this order: tx, ty, tz (coordinate unit), εx, εy, εz (radian), k (the scale
// factor is s = 1 + k). They relate centroid-reduced coordinates: for a source point p reduced
// by the source centroid,
//   model(p) = T + s·R·p,   R = | 1    εz  −εy |
//                               | −εz  1    εx |
//                               | εy   −εx  1  |
// and (target − target centroid) ≈ model(source − source centroid). R is used exactly as
// written (coordinate-frame sign convention, not orthonormalised, no sines or cosines), so a
// true rotation by θ is matched only to first order: the fit gives εz ≈ tan θ and k ≈ cos θ − 1
// for points spread mainly in the horizontal plane.

using ControlParams = Eigen::Matrix<double, 7, 1>;
using ControlJacobian = Eigen::Matrix<double, 3, 7>;
using ControlNormalMatrix = Eigen::Matrix<double, 7, 7>;
using ControlPointRows = Eigen::Matrix<double, Eigen::Dynamic, 3>;    // n × 3, row j = point j
using ControlDesignMatrix = Eigen::Matrix<double, Eigen::Dynamic, 7>;  // 3n × 7

// The model on plain numbers, the one implementation of it: evalControlModel and the
// per-vertex applier (geodesy/control_transform.h) both call it, so they give the same bits.
// Operation order: the bracket first (for X': x + εz·y, then − εy·z), then × (1 + k), then + t.
// For one value (V = double) or lanes (geodesy/lanes.h); the outputs may be the inputs.
template <class V>
void controlModelAt(const double* args, V x, V y, V z, V& rx, V& ry, V& rz) {
  const double s = 1.0 + args[6];
  rx = (x + args[5] * y - args[4] * z) * s + args[0];
  ry = (-args[5] * x + y + args[3] * z) * s + args[1];
  rz = (args[4] * x - args[3] * y + z) * s + args[2];
}
inline Point3 controlModelAt(const double* args, double x, double y, double z) {
  Point3 r;
  controlModelAt<double>(args, x, y, z, r.x, r.y, r.z);
  return r;
}

// (X', Y', Z') = model(x, y, z) for a point reduced by the source centroid; the result is
// reduced by the target centroid.
Eigen::RowVector3d evalControlModel(double x, double y, double z, const ControlParams& args);

// ∂(X', Y', Z') / ∂(tx, ty, tz, εx, εy, εz, k) at (x, y, z), with s = 1 + k:
//   | 1 0 0   0     −s·z   s·y    x + εz·y − εy·z |
//   | 0 1 0   s·z    0    −s·x    y − εz·x + εx·z |
//   | 0 0 1  −s·y   s·x    0      z + εy·x − εx·y |
ControlJacobian controlModelJacobian(double x, double y, double z, const ControlParams& args);

// The 3n × 7 design matrix: rows 3i..3i+2 are the Jacobian at reduced source point i.
ControlDesignMatrix buildDesignMatrix(const ControlPointRows& reducedSource,
                                      const ControlParams& args);

// The 3n × 1 vector of observed minus computed values, x0, y0, z0, x1, …, in the row order of
// the design matrix: reduced target i − model(reduced source i).
Eigen::VectorXd buildResidualVector(const ControlPointRows& reducedSource,
                                    const ControlPointRows& reducedTarget,
                                    const ControlParams& args);

// The iteration stops when the L1 norm of the correction Δ (coordinate units, radians and the
// dimensionless scale added together) is no longer above this.
inline constexpr double kControlFitTolerance = 1e-10;
// Gauss-Newton on this nearly linear model converges in a handful of passes (measured: 2 or 3
// passes for 2000 random sites of 3 to 12 points, ±1 km, rotations to 6e-3 rad, scales to
// 1.2e-4, 2 cm of noise); a fit still moving after this many passes is reported as not
// converged instead of hanging the run.
inline constexpr int kControlFitMaxPasses = 100;
// Smallest accepted reciprocal condition (L1) of the equilibrated normal matrix (see
// control_fit.cpp).
inline constexpr double kControlFitMinRcond = 1e-12;

struct ControlFit {
  ControlParams args = ControlParams::Zero();
  Eigen::RowVector3d sourceCentroid = Eigen::RowVector3d::Zero();  // mean x, y, z of the sources
  Eigen::RowVector3d targetCentroid = Eigen::RowVector3d::Zero();
  int passes = 0;  // Gauss-Newton passes run
};

struct ControlFitResult {
  bool ok = false;
  std::string reason;  // why the fit was rejected; empty when ok
  ControlFit fit;      // meaningful only when ok
  // Its four label lines (out) and, when rejected, the reason as one line (err).
  ConsoleText console;
};

// Estimates the parameters mapping `source` onto `target` (paired by position), from zero
// parameters: A = design matrix, L = residuals, Δ = (AᵀA)⁻¹·Aᵀ·L, args += Δ, while ‖Δ‖₁ > 1e-10.
// The normal equations are solved by a full-pivoting LU of the equilibrated AᵀA (the same
// solution as the explicit inverse, without forming it).
//
// Every result holds the four label lines "source_points: ", "target_points: ", "ave_src: ",
// "ave_tar: " (console.out), whatever follows. It fails, with one line in console.err saying
// why, when there are fewer than three pairs, the lists differ in length, a coordinate is not
// finite, the normal matrix is singular or nearly so (collinear or coincident points), the
// parameters stop being finite, or the iteration has not converged after kControlFitMaxPasses.
[[nodiscard]] ControlFitResult fitControlTransform(const std::vector<Point3>& source,
                                                   const std::vector<Point3>& target);
