#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "run/shard.h"

// What makes one run a part of a batch that many processes, on one machine or many, share.
struct BatchOptions {
  // The input files are the paths of this list file (see obj/input_list.h), relative to the
  // -input folder, instead of those the folder search finds. "": the search.
  std::string filesFrom;
  // This process takes only its part of the input list (see shardMembers).
  std::optional<Shard> shard;
  // Write the bounds of this run's vertices (and what a merge checks them by) to this file,
  // instead of converting anything (project -> ENU).
  std::string boundsOnly;
  // Write the base point of the bounds files given (comma-separated, or one folder of *.json
  // files) to -base, as -baseonly=1 over all their inputs would; nothing is read but them.
  std::string mergeBounds;
  // Write the record of the run (see run/manifest_writing.h) to this file at its end.
  std::string manifest;
  // The flags given on the command line (name, value), for the manifest.
  std::vector<std::pair<std::string, std::string>> givenFlags;
};
