#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"
#include "coordinfo/project_definition.h"
#include "geodesy/control_transform.h"
#include "pipeline/definition_chain.h"

// The boundary polygon of one definition in both frames a selection measures in, prepared
// once by the converter (pipeline/converter.h) and read by every thread's BoundarySelector.
struct PreparedBoundary {
  std::string projectid;      // for the reason of a failed selection
  std::size_t pointCount = 0;  // points of the definition's "boundary"; 0: it has none
  // Each boundary point (lon°, lat°, 0) in the project frame (m) and in ENU about the
  // converter's origin (m), in order. A ring of another size than pointCount is no polygon.
  std::vector<Point3> project;
  std::vector<Point3> enu;
  // The project ring is not a polygon of this definition: its control-point fit failed
  // (fitFailed), or `projectFailure` says why (empty when the ring is usable). The ring then
  // holds (0, 0, 0) per point.
  bool fitFailed = false;
  std::string projectFailure;
};

// The fresh fit a "Control points" definition with source points places its project polygon
// with: srcpointsenu onto despoints, used as fitted (not cleaned) and not stored. What the fit
// printed (four label lines, a failure reason) is kept, not printed: a run prints it when a
// selection first looks at the definition (pipeline/run_state.h).
struct BoundaryFit {
  std::optional<ControlApplier> applier;  // empty: the fit failed
  std::string out;                        // label lines
  std::string err;                        // the failure reason
};
BoundaryFit fitBoundary(const ProjectDefinition& definition);

// Each `boundary` point (lon°, lat°, h m) to ENU (m) about `origin`, on its ellipsoid.
std::vector<Point3> boundaryAbout(const std::vector<Point3>& boundary, const EnuOrigin& origin);

// The boundary of `definition` about `origin`. A "Control points" definition takes each
// point into the frame it was fitted in (`fittedFrame`, or the origin when it has none) and
// through its ENU-to-project parameters: with source points `fit` (fitBoundary of the same
// definition; must not be null then), without them the stored `transform`. When that fit
// failed, or there is neither, fitFailed or projectFailure says so. Any other definition
// converts through `chain` (its chain for `origin`; must not be null then); a point it cannot
// convert (off the projection) sets projectFailure and stays (0, 0, 0). An undefined
// definition has no project ring (projectFailure says so). An empty boundary gives empty
// rings.
PreparedBoundary prepareBoundary(const ProjectDefinition& definition, const EnuOrigin& origin,
                                 const BoundaryFit* fit, const DefinitionChain* chain);
