#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/run_failure.h"
#include "run/run_options.h"

// The batch a run is a part of: the whole input list before the cut of -shard.
struct BatchList {
  std::vector<std::string> inputs;  // every input of the batch, in list order
  std::size_t files = 0;            // inputs.size()
  std::string digest;  // batchDigest of their names and sizes (with -shard, -boundsonly,
                       // -manifest; else empty)
};

// -filesfrom: the entries of the list as the inputs, in its order, each checked before
// anything is read: it must exist and not be a folder (openObj), name no file an earlier line
// names (outputNameConflict), and with -tree lie below the -input folder (treeSet). The list
// itself must be readable (openObj), and -input a folder (filesfromSet). `warnings` receives
// one line when the list names no file.
std::optional<RunFailure> listInputs(const RunOptions& options, std::vector<std::string>& inputs,
                                     std::vector<std::string>& warnings);

// With -shard, keeps only this part's `inputs` and `outputs` (outputs may be empty), warning
// when the part is empty; `batch` receives the whole list first and, where a record needs it,
// its digest. The name of a file for the cut is its path below the -input folder ('/' between
// folders on every system).
void cutShard(const RunOptions& options, std::vector<std::string>& inputs,
              std::vector<std::string>& outputs, BatchList& batch,
              std::vector<std::string>& warnings);

// -mergebounds: the bounds files named (comma-separated), or the *.json files of the folder
// named, in name order. mergeboundsSet when one is missing, is a folder, is named twice (also
// through another name or link), or the folder holds none or cannot be listed.
std::optional<RunFailure> findMergeParts(const std::string& value,
                                         std::vector<std::string>& parts);
