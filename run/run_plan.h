#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/batch_inputs.h"
#include "run/enu_origin_choice.h"
#include "run/material_plan.h"
#include "run/metadata_plan.h"
#include "run/run_failure.h"
#include "run/run_options.h"

// Every path one run reads and writes, found and checked before the first byte is read from
// an input or written anywhere, so that a mistake in the paths never leaves half a batch
// converted or a file replaced that the run was not asked to write.
struct RunPlan {
  RunOptions options;
  std::vector<std::string> inputs;   // the OBJ files, in the order they are converted
  std::vector<std::string> outputs;  // outputs[i] receives inputs[i]; empty with baseOnly
  // options.base may be written by this mode (project -> ENU writes it only when the
  // coordinate file gives no basepoint; it is checked as if it were written).
  bool writesBase = false;
  std::vector<std::string> warnings; // what the folder search noticed, one line each
  // Missing folders of the outputs (-tree) and of the material files, created just before the
  // first file is written (never for a run the plan refuses).
  std::vector<std::string> foldersToCreate;
  MaterialPlan materials;  // the material files to bring, and the warnings of the scan
  MetadataPlan metadata;   // the production's metadata.xml read, and where the run writes one
  // The whole input list when -shard cuts `inputs` (and `outputs`) to this process's part.
  BatchList batch;
  std::vector<std::string> mergeParts;  // -mergebounds: the bounds files, checked to exist

  // The base point may be computed from every vertex before the conversion pass.
  bool computesBasePoint() const { return mayComputeBasePoint(options.mode, options.inputbase); }
};

// The run's plan, or why it cannot start:
// - coordfileSet: no -coord, or it names nothing;
// - outputSet: no -output (but with baseOnly, which writes no output);
// - openObj: the folder search could not list a folder or tell an entry's kind, or a path is
//   too long;
// - treeSet: -tree=1 with one input file, or with -output naming one file;
// - writeFile: the folder of an output, of the base file or of the report does not exist (with
//   -tree, the sub-folders of the output folder are created; what exists of them must be
//   folders), or a written path is a folder;
// - metadataSet: the metadata.xml named or found cannot be read as one (findMetadata);
// - outputNameConflict: two inputs go to one output, or a written path (each output, the base
//   file where the mode writes it, the report) is the same file or the same name as an input,
//   the coordinate file or another written path (through links, hard links, "..", and letter
//   case on Windows), or on Windows is named like a device (con, aux, nul, com1 ...); a material
//   file to copy clashes so, or with a different existing file (see planMaterials); two
//   inputs of the whole batch (before -shard cuts it) go to one output;
// - the failures of listInputs (-filesfrom) and findMergeParts (-mergebounds). The list file
//   and the bounds files to merge are read paths, the bounds file and the manifest written
//   ones.
struct PlanResult {
  std::optional<RunPlan> plan;
  RunFailure failure;  // when there is no plan
};
PlanResult makeRunPlan(const RunOptions& options);
