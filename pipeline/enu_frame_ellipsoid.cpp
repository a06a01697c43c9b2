#include "pipeline/enu_frame_ellipsoid.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "geodesy/ellipsoid.h"
#include "geodesy/units.h"

namespace {

// The ellipsoids a 6378137 m axis names here (WGS84, CGCS2000) share the stored WGS84 frame.
bool onWgs84Axis(const Ellipsoid& e) { return e.a == kWgs84.a; }

std::string ellipsoidName(const ProjectDefinition& d) {
  return findEllipsoid(d.info.ellipsoid) ? d.info.ellipsoid : "WGS84";
}

// (6378137 − a)/a in ppm, with one decimal (two under 1 ppm).
std::string scaleErrorPpm(const Ellipsoid& e) {
  const double ppm = (kWgs84.a - e.a) / e.a * kPartsPerMillion;
  char text[32];
  std::snprintf(text, sizeof text, std::fabs(ppm) < 1.0 ? "%+.2f" : "%+.1f", ppm);
  return text;
}

}  // namespace

EnuFrameEllipsoid chooseEnuFrameEllipsoid(const std::vector<ProjectDefinition>& definitions) {
  std::optional<Ellipsoid> common;
  std::string commonName;
  bool mixed = false;
  for (const ProjectDefinition& d : definitions) {
    if (!d.isDefined() || d.isControlPoints()) continue;
    const Ellipsoid e = lookupEllipsoid(d.info.ellipsoid);
    if (!common) {
      common = e;
      commonName = ellipsoidName(d);
    } else if (e.a != common->a || (!onWgs84Axis(e) && e.f != common->f)) {
      mixed = true;
    }
  }
  EnuFrameEllipsoid chosen;
  if (!common || (onWgs84Axis(*common) && !mixed)) return chosen;
  if (!mixed) {
    chosen.a = common->a;
    chosen.f = common->f;
    chosen.b = common->a * (1 - common->f);
    chosen.name = commonName;
    return chosen;
  }
  for (std::size_t i = 0; i < definitions.size(); ++i) {
    const ProjectDefinition& d = definitions[i];
    if (!d.isDefined() || d.isControlPoints()) continue;
    const Ellipsoid e = lookupEllipsoid(d.info.ellipsoid);
    if (onWgs84Axis(e)) continue;
    chosen.warnings.push_back(
        "definition [" + std::to_string(i) + "] \"" + d.projectid + "\" ends on " +
        ellipsoidName(d) + " (a = " + std::to_string(static_cast<long long>(e.a)) +
        " m) while others end on another axis: the ENU frame stays on WGS84, so its " +
        "distances are off by " + scaleErrorPpm(e) + " ppm (convert each frame in a run " +
        "of its own)");
  }
  return chosen;
}

EnuOrigin onEllipsoid(EnuOrigin origin, const EnuFrameEllipsoid& ellipsoid) {
  origin.a = ellipsoid.a;
  origin.b = ellipsoid.b;
  origin.f = ellipsoid.f;
  return origin;
}
