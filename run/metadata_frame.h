#pragma once

#include <optional>
#include <string>
#include <vector>

#include "coordinfo/coord_translate_info.h"
#include "geodesy/standard_frames.h"
#include "parser/model_metadata.h"
#include "pipeline/base_point.h"
#include "pipeline/conversion_kind.h"
#include "run/run_failure.h"

// What a production's <SRS> (the metadata.xml at `path`) means for a run of `mode` over the
// definitions of `model`:
// - project -> ENU and the zone mode take tiles in a project frame: an ENU:LAT,LON frame is
//   refused (metadataSet). An EPSG code of the table (geodesy/standard_frames.h) or a
//   Transverse Mercator WKT is compared with each projected definition (ellipsoid, central
//   meridian, latitude of origin, scale factor with the projection surface, false easting and
//   northing): a difference is a warning naming both values; a WKT whose AUTHORITY code
//   contradicts its own parameters is warned of (its parameters are compared). Another form,
//   or a control-point definition, is warned of as not checked.
// - ENU -> project takes ENU tiles: anything but ENU:LAT,LON is refused (metadataSet); the
//   frame's origin is `enuOrigin`.
struct MetadataFrame {
  std::optional<RunFailure> failure;
  std::vector<std::string> warnings;
  std::optional<BasePoint> enuOrigin;
};
MetadataFrame checkMetadataFrame(const std::string& path, const ModelMetadata& metadata,
                                 ConversionKind mode, const CoordTranslateInfo& model);

// The Transverse Mercator frame of a projected definition's plane: its projection ellipsoid,
// parameters, and the surface height as the scale a′/a; empty for a control-point or
// undefined definition.
std::optional<ProjectedFrame> definitionFrame(const ProjectDefinition& definition);

// The <SRS> an ENU -> project run writes beside its outputs: the definitions' frame as WKT
// (with its EPSG code when it is exactly a standard one) when every definition is the same
// plain Gauss-Krüger projection (no plane, height, datum, ellipsoid or offset correction, on
// an ellipsoid of the table); otherwise empty, with why in `whyNone`.
struct WrittenSrs {
  std::string srs;
  std::string whyNone;
};
WrittenSrs projectFrameSrs(const CoordTranslateInfo& model);
