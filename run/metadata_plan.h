#pragma once

#include <optional>
#include <string>
#include <vector>

#include "parser/model_metadata.h"
#include "run/run_failure.h"
#include "run/run_options.h"
#include "run/written_paths.h"

// The production metadata.xml of a run: the one it reads, what that says, and where the run
// writes its own.
struct MetadataPlan {
  std::string readPath;                   // empty: none read
  std::string text;                       // its text, as read
  std::optional<ModelMetadata> metadata;  // what it says
  // Where the run writes metadata.xml (a folder output, not -metadata=none or -baseonly; a
  // dry run only says it); empty: nowhere.
  std::string writePath;
};

// The metadata.xml a run reads:
// - automatic: the first "metadata.xml" that is a file in the -input folder (the current
//   folder when empty), then in the folder above it; for an -input that is one file, in its
//   folder, the one above and the one above that (Tile_x/ -> Data/ -> the production);
// - path: that file, which must exist;
// - none: none.
// metadataSet when the file named does not exist or cannot be read, or is not a metadata.xml
// readModelMetadata takes ("path:line: reason").
std::optional<RunFailure> findMetadata(const RunOptions& options, MetadataPlan& plan);

// Registers the metadata.xml read as a path the run reads (no written path may be it).
void addMetadataRead(const MetadataPlan& plan, WrittenPaths& written);

// Plans and checks where the run writes metadata.xml: the output folder, or with -tree the
// folder of the output tree that corresponds to the one read when that lies in the -input
// folder. As WrittenPaths::add (outputNameConflict, writeFile).
std::optional<RunFailure> addMetadataOutput(const RunOptions& options,
                                            const std::vector<std::string>& outputs,
                                            WrittenPaths& written, MetadataPlan& plan);
