#pragma once

#include <optional>
#include <string>
#include <type_traits>

#include "coordinfo/enu_origin.h"
#include "geodesy/control_transform.h"
#include "geodesy/elementary.h"
#include "geodesy/enu_frame.h"
#include "geodesy/enu_frame_shift.h"

// The conversion of one "Control points" definition, prepared once: its two fitted
// seven-parameter transforms (geodesy/control_transform.h; a direction whose fit failed is
// empty) and the change from the ENU frame they were fitted in to the run's (EnuFrameShift;
// none when the two are the same frame, so nothing moves by a bit). Written once for one
// value (V = double, M = bool) and lanes (V = Lanes, M = Mask; include geodesy/lanes.h
// first): each lane gets the bits of its point converted alone. M{} is false in every lane.
class ControlStep {
 public:
  ControlStep(std::optional<ControlApplier> toProject, std::optional<ControlApplier> toEnu,
              const EnuOrigin& fitted, const EnuOrigin& run)
      : toProject_(std::move(toProject)), toEnu_(std::move(toEnu)), frame_(run) {
    if (!sameEnuFrame(fitted, run)) shift_.emplace(fitted, run);
  }

  // Whether each direction's fit succeeded.
  bool convertsToEnu() const { return toEnu_.has_value(); }
  bool convertsToProject() const { return toProject_.has_value(); }

  // Project frame -> ENU about the run's origin: inv_args, inv_src, inv_tar, giving ENU in
  // the frame fitted, then the change to the run's. False where the fit failed or the result
  // is not finite.
  template <class V, class M>
  M toEnu(V& x, V& y, V& z) const {
    using elementary::isFinite;
    if (!toEnu_) return M{};
    toEnu_->applyTo(x, y, z);
    if (shift_) shift_->forwardIn(x, y, z);
    return isFinite(x) & isFinite(y) & isFinite(z);
  }
  // ENU about the run's origin -> project frame: the change back into the frame fitted, then
  // args, src, tar.
  template <class V, class M>
  M fromEnu(V& x, V& y, V& z) const {
    using elementary::isFinite;
    if (!toProject_) return M{};
    if (shift_) shift_->inverseIn(x, y, z);
    toProject_->applyTo(x, y, z);
    return isFinite(x) & isFinite(y) & isFinite(z);
  }
  // Geodetic (lon°, lat°, h m) on the run's frame -> project frame, through its ENU.
  template <class V, class M>
  M geodeticToProject(V lon, V lat, V h, V& x, V& y, V& z) const {
    using elementary::isFinite;
    V ex, ey, ez;
    frame_.geodeticToEcef(lon, lat, h, ex, ey, ez);
    frame_.ecefToEnu(ex, ey, ez, x, y, z);
    const M enu = isFinite(x) & isFinite(y) & isFinite(z);
    if constexpr (std::is_same_v<V, double>) {
      if (!enu) return false;
    }
    return enu & fromEnu<V, M>(x, y, z);
  }

 private:
  std::optional<ControlApplier> toProject_;  // args, src, tar
  std::optional<ControlApplier> toEnu_;      // inv_args, inv_src, inv_tar
  std::optional<EnuFrameShift> shift_;       // fitted frame -> the run's; empty: same
  EnuFrame frame_;                           // the run's
};
