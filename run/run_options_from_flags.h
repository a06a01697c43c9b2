#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "run/run_failure.h"
#include "run/run_options.h"

// The flag values as given on the command line.
struct FlagValues {
  std::string input, output, coord, base, inputbase, bENU, toProj;
  std::string report, maxresidual, progress, threads, baseonly, tree, materials,
      maxclosure;
  std::string metadata, dryrun;
  std::string filesfrom, shard, boundsonly, mergebounds, manifest;  // batches
  std::vector<std::pair<std::string, std::string>> given;  // (name, value) of the flags given
};

// The typed options of a run, or why the flags cannot make one:
// - bENUSet: -bENU=1 with -toProj=1 (given or its default), which reads project coordinates;
// - maxresidualSet: -maxresidual (looked at only with -report) is not a positive number;
// - maxclosureSet: -maxclosure is not a positive finite number (of millimetres);
// - threadsSet: -threads is not a whole number from 0 (all hardware threads) to 256;
// - baseonlySet: -baseonly=1 outside project -> ENU, without -base or with -inputbase;
// - inputbaseSet: -inputbase is not [PREFIX:]LON,LAT with a real position;
// - materialsSet: -materials is not none, copy or link.
// -tree and -dryrun are on when exactly "1"; -metadata is auto, none, or a path.
// - the flags of batches: see readBatchFlags.
// The mode: -toProj exactly "1" is the zone; else -bENU exactly "1" is ENU -> project; else
// project -> ENU.
struct OptionsResult {
  std::optional<RunOptions> options;
  RunFailure failure;  // when there are no options
};
OptionsResult runOptionsFromFlags(const FlagValues& flags);
