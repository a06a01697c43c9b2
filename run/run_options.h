#pragma once

#include <optional>
#include <string>

#include "pipeline/base_point.h"
#include "pipeline/conversion_kind.h"
#include "run/batch_options.h"

// Whether a run shows its progress line and summary on standard error.
enum class ProgressChoice { automatic, on, off };  // automatic: when it is a terminal

// Whether the material libraries and texture maps the inputs name are brought beside the
// outputs: not at all (a warning names those missing there), copied, or hard-linked where the
// file system allows (else copied).
enum class MaterialsChoice { none, copy, link };

// Which production metadata.xml a run reads (and writes beside its outputs): the one found
// beside the input (run/metadata_plan.h), the one named, or none at all.
enum class MetadataChoice { automatic, none, path };

// What one run is asked to do, typed once from the command line: the conversion, the paths
// as given (not yet resolved or checked: see RunPlan) and the numbers already read.
struct RunOptions {
  ConversionKind mode = ConversionKind::projectToZone;
  std::string input;   // one OBJ file, or a folder searched for *.obj; empty: current folder
  std::string output;  // one output file or the output folder; unused when baseOnly
  std::string coord;   // the coordinate translation info file
  std::string base;    // zone code (zone mode) or computed base point (project -> ENU); "": none
  std::string report;  // HTML fit report; "": none
  // The ENU origin given on the command line (degrees), for project <-> ENU.
  std::optional<BasePoint> inputbase;
  unsigned threads = 1;       // at least 1
  bool baseOnly = false;      // project -> ENU: write the computed base point, convert nothing
  double maxResidual = 0.05;  // m: control-point residuals above it are highlighted
  double maxClosureMm = 1.0;  // mm: a file whose round trip exceeds it is warned of
  ProgressChoice progress = ProgressChoice::automatic;
  // Each input found below the -input folder is written to the same path below the output
  // folder (sub-folders created), instead of into the output folder itself.
  bool tree = false;
  MaterialsChoice materials = MaterialsChoice::none;
  // -metadata: auto, none or a path (metadataPath).
  MetadataChoice metadata = MetadataChoice::automatic;
  std::string metadataPath;
  // -dryrun: the plan and the frame facts of the inputs, nothing written.
  bool dryRun = false;
  // A part of a batch shared by many processes (baseOnly is set with its boundsOnly and
  // mergeBounds: they convert nothing).
  BatchOptions batch;
};
