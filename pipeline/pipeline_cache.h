#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "coordinfo/coord_translate_info.h"
#include "coordinfo/enu_origin.h"
#include "geodesy/control_transform.h"
#include "geodesy/enu_frame.h"
#include "geodesy/enu_frame_shift.h"
#include "geodesy/gauss_kruger.h"
#include "pipeline/definition_chain.h"

class BoundarySelector;  // pipeline/boundary_selector.h

// What the per-vertex conversions of one definition keep between points.
struct PreparedDefinition {
  // The projection chain of a non-control definition, set up for the origin of the cache.
  std::optional<DefinitionChain> chain;
  // The two parameter sets of a "Control points" definition, prepared on first use (which
  // fills a missing transform). Prepared but empty: that direction's fit failed.
  bool toProjectPrepared = false;
  std::optional<ControlApplier> toProject;  // args, src, tar
  bool toEnuPrepared = false;
  std::optional<ControlApplier> toEnu;      // inv_args, inv_src, inv_tar
  // The change from the frame a "Control points" definition was fitted in to the ENU frame of
  // the cache's origin; empty when the two are the same frame (then nothing is changed, bit
  // for bit). Built on first use for the present origin.
  bool shiftPrepared = false;
  std::optional<EnuFrameShift> shift;
};

// Prepared state of the per-vertex conversions of one CoordTranslateInfo. Everything here is
// derived from the definitions and the origin:
// - the per-definition state is dropped when the definition list is replaced or resized
//   (its count or its storage changes), and the chains and the origin frame also when any
//   value of the origin changes (the driver moves the origin to the base point);
// - a caller that edits a definition's `info` or `transform` in place after converting points
//   must reset `info.cache`, as the parse step does.
struct PipelineCache {
  std::vector<PreparedDefinition> definitions;
  const ProjectDefinition* definitionsData = nullptr;  // projects.data() when prepared
  EnuOrigin frameOrigin;                // the origin the chains and originFrame belong to
  std::optional<EnuFrame> originFrame;  // that origin set up once

  // The 3-degree zone projection of the code last used.
  std::optional<GaussKrugerProjection> zoneProjection;
  int32_t zoneProjectionCode = 0;

  // Boundary polygons of both frames and their GEOS context; rebuilt by selectDefinition when
  // the number of definitions or the origin (which the ENU polygons are about) changes.
  std::unique_ptr<BoundarySelector> boundarySelector;
  EnuOrigin selectorOrigin;
};

// The cache of `info`, created on first use.
PipelineCache& pipelineCacheOf(CoordTranslateInfo& info);

// The cache of `info` made current for its definitions and its origin (which must be set):
// one PreparedDefinition per definition, chains and frame of the present origin values.
PipelineCache& preparedCacheOf(CoordTranslateInfo& info);

// The projection chain of definition `index`, built on first use. preparedCacheOf(info) must
// have been called since the definitions or the origin last changed.
const DefinitionChain& definitionChainOf(CoordTranslateInfo& info, PipelineCache& cache,
                                         std::size_t index);

// The control applier of definition `index` in one direction; empty when its fit failed.
const std::optional<ControlApplier>& controlApplierOf(CoordTranslateInfo& info,
                                                       PipelineCache& cache, std::size_t index,
                                                       ControlDirection direction);

// The change from the fitted frame of control-point definition `index` to the ENU frame of the
// cache's origin (see PreparedDefinition::shift).
const std::optional<EnuFrameShift>& controlShiftOf(CoordTranslateInfo& info, PipelineCache& cache,
                                                   std::size_t index);

// The definition a conversion uses: the only one, or the nearest boundary's. Empty when the
// info has no origin or no definitions, or when the selection cannot be made (info.lastFailure
// says why).
std::optional<std::size_t> chooseDefinition(CoordTranslateInfo& info, const Point3& p,
                                            BoundaryFrame frame);
