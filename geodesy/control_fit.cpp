#include "geodesy/control_fit.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>

#include <Eigen/LU>

namespace {

const char* const kFitPrefix = "control point fit: ";

// Points as an n × 3 matrix, row j = point j.
ControlPointRows toRows(const std::vector<Point3>& points) {
  ControlPointRows rows(static_cast<Eigen::Index>(points.size()), 3);
  for (std::size_t j = 0; j < points.size(); ++j) {
    const auto r = static_cast<Eigen::Index>(j);
    rows(r, 0) = points[j].x;
    rows(r, 1) = points[j].y;
    rows(r, 2) = points[j].z;
  }
  return rows;
}

// A short number for a message: three significant digits, exponent where needed.
std::string shortNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

bool allFinite(const std::vector<Point3>& points, std::size_t& bad) {
  for (std::size_t j = 0; j < points.size(); ++j) {
    const Point3& p = points[j];
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
      bad = j;
      return false;
    }
  }
  return true;
}

// Largest column sum of magnitudes.
double l1Norm(const ControlNormalMatrix& m) { return m.cwiseAbs().colwise().sum().maxCoeff(); }

// Solves N·Δ = b. N = AᵀA mixes units: the translation columns of A are 1, the rotation and
// scale columns are coordinates of order of the network size r, so N spans r² even for a good
// network. Jacobi equilibration (D = sqrt(diag N), S = D⁻¹·N·D⁻¹, unit diagonal) removes the
// units, and the reciprocal condition of S then measures the geometry alone: for points
// lying within δ of a line of length L it is about (δ/L)². The threshold 1e-12 thus rejects
// networks thinner than about 1e-6 of their extent (1 mm over 1 km), where the rotation about
// the line is fixed by rounding noise rather than by the points; coincident points give a
// zero diagonal, collinear ones rank 6 (full-pivoting LU, Eigen's default rank threshold).
// Δ = D⁻¹·S⁻¹·D⁻¹·b is the same solution as (AᵀA)⁻¹·Aᵀ·L.
// On failure `why` says how the matrix is singular.
bool solveNormalEquations(const ControlNormalMatrix& normal, const ControlParams& rhs,
                          ControlParams& delta, std::string& why) {
  ControlParams scale;
  for (int i = 0; i < 7; ++i) {
    const double d = normal(i, i);
    if (!(d > 0.0) || !std::isfinite(d)) {
      why = "singular (diagonal element " + std::to_string(i) + " is " + shortNumber(d) + ")";
      return false;
    }
    scale(i) = 1.0 / std::sqrt(d);
  }
  const ControlNormalMatrix equilibrated = scale.asDiagonal() * normal * scale.asDiagonal();
  const Eigen::FullPivLU<ControlNormalMatrix> lu(equilibrated);
  if (lu.rank() < 7) {
    why = "singular (rank " + std::to_string(lu.rank()) + " of 7)";
    return false;
  }
  // The exact L1 reciprocal condition, 1 / (‖S‖₁·‖S⁻¹‖₁); for 7 × 7 the inverse is cheap.
  const ControlNormalMatrix inverse = lu.inverse();
  const double rcond = 1.0 / (l1Norm(equilibrated) * l1Norm(inverse));
  if (!(rcond >= kControlFitMinRcond)) {
    why = "nearly singular (reciprocal condition " + shortNumber(rcond) + ")";
    return false;
  }
  const ControlParams scaledRhs = scale.cwiseProduct(rhs);
  delta = scale.cwiseProduct(lu.solve(scaledRhs));
  return true;
}

// The four label lines every fit's console starts with.
ConsoleText labelLines() {
  return {"source_points: \ntarget_points: \nave_src: \nave_tar: \n", {}};
}

ControlFitResult failure(std::string reason) {
  ControlFitResult result;
  result.console = labelLines();
  result.console.err = kFitPrefix + reason + '\n';
  result.reason = std::move(reason);
  return result;
}

}  // namespace

Eigen::RowVector3d evalControlModel(double x, double y, double z, const ControlParams& args) {
  const Point3 r = controlModelAt(args.data(), x, y, z);
  return Eigen::RowVector3d(r.x, r.y, r.z);
}

ControlJacobian controlModelJacobian(double x, double y, double z, const ControlParams& args) {
  const double ex = args(3);
  const double ey = args(4);
  const double ez = args(5);
  const double s = 1.0 + args(6);
  ControlJacobian j = ControlJacobian::Zero();
  j.block<3, 3>(0, 0).setIdentity();  // ∂/∂(tx, ty, tz)
  j(0, 4) = -s * z;
  j(0, 5) = s * y;
  j(0, 6) = x + ez * y - ey * z;
  j(1, 3) = s * z;
  j(1, 5) = -s * x;
  j(1, 6) = y - ez * x + ex * z;
  j(2, 3) = -s * y;
  j(2, 4) = s * x;
  j(2, 6) = z + ey * x - ex * y;
  return j;
}

ControlDesignMatrix buildDesignMatrix(const ControlPointRows& reducedSource,
                                      const ControlParams& args) {
  ControlDesignMatrix a(3 * reducedSource.rows(), 7);
  for (Eigen::Index i = 0; i < reducedSource.rows(); ++i) {
    a.block<3, 7>(3 * i, 0) = controlModelJacobian(reducedSource(i, 0), reducedSource(i, 1),
                                                   reducedSource(i, 2), args);
  }
  return a;
}

Eigen::VectorXd buildResidualVector(const ControlPointRows& reducedSource,
                                    const ControlPointRows& reducedTarget,
                                    const ControlParams& args) {
  Eigen::VectorXd l(3 * reducedSource.rows());
  for (Eigen::Index i = 0; i < reducedSource.rows(); ++i) {
    const Point3 m = controlModelAt(args.data(), reducedSource(i, 0), reducedSource(i, 1),
                                    reducedSource(i, 2));
    l(3 * i) = reducedTarget(i, 0) - m.x;
    l(3 * i + 1) = reducedTarget(i, 1) - m.y;
    l(3 * i + 2) = reducedTarget(i, 2) - m.z;
  }
  return l;
}

ControlFitResult fitControlTransform(const std::vector<Point3>& source,
                                     const std::vector<Point3>& target) {
  if (source.size() != target.size()) {
    return failure(std::to_string(source.size()) + " source points but " +
                            std::to_string(target.size()) + " target points");
  }
  if (source.size() < 3) {
    return failure(std::to_string(source.size()) +
                            " point pairs; at least 3 not on one line are needed");
  }
  std::size_t bad = 0;
  if (!allFinite(source, bad)) {
    return failure("source point " + std::to_string(bad) + " is not finite");
  }
  if (!allFinite(target, bad)) {
    return failure("target point " + std::to_string(bad) + " is not finite");
  }

  ControlPointRows src = toRows(source);
  ControlPointRows tar = toRows(target);
  ControlFit fit;
  fit.sourceCentroid = src.colwise().mean();
  fit.targetCentroid = tar.colwise().mean();
  src.rowwise() -= fit.sourceCentroid;
  tar.rowwise() -= fit.targetCentroid;

  ControlParams delta = ControlParams::Ones();
  double e = delta.cwiseAbs().sum();
  while (e > kControlFitTolerance) {
    if (fit.passes == kControlFitMaxPasses) {
      return failure("no convergence after " + std::to_string(kControlFitMaxPasses) +
                              " passes (last correction " + shortNumber(e) + ")");
    }
    const ControlDesignMatrix a = buildDesignMatrix(src, fit.args);
    const Eigen::VectorXd l = buildResidualVector(src, tar, fit.args);
    const ControlNormalMatrix normal = a.transpose() * a;
    const ControlParams rhs = a.transpose() * l;
    std::string why;
    if (!solveNormalEquations(normal, rhs, delta, why)) {
      return failure("the normal matrix is " + why +
                              ": the points are collinear or coincident");
    }
    fit.args += delta;
    e = delta.cwiseAbs().sum();
    ++fit.passes;
    if (!fit.args.allFinite() || !std::isfinite(e)) {
      return failure("the parameters are not finite after pass " +
                              std::to_string(fit.passes));
    }
  }

  ControlFitResult result;
  result.ok = true;
  result.fit = fit;
  result.console = labelLines();
  return result;
}
