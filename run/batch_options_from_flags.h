#pragma once

#include <optional>

#include "run/run_options_from_flags.h"

// The flags of a batch shared by many processes into `options.batch` (options.mode already
// set from the flags), or why they cannot be taken:
// - shardSet: -shard is not K/N (1 <= K <= N), or comes with -baseonly=1 (the base point of a
//   part is not the batch's);
// - boundsonlySet: -boundsonly outside project -> ENU, or with -baseonly=1, -inputbase or
//   -base;
// - mergeboundsSet: -mergebounds outside project -> ENU, without -base, or with a flag that
//   reads inputs (-boundsonly, -baseonly=1, -shard, -filesfrom) or with -inputbase;
// - manifestSet: -manifest on a run that converts nothing (-baseonly=1, -boundsonly,
//   -mergebounds).
std::optional<RunFailure> readBatchFlags(const FlagValues& flags, RunOptions& options);
