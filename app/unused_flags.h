#pragma once

#include <set>
#include <string>
#include <vector>

#include "app/run_options_from_flags.h"
#include "run/run_options.h"

// The program's flags given on the command line (gflags has parsed it), by name: those defined
// in the same source file as `anyOwnFlag` whose value was set, even to their default.
std::set<std::string> flagsGiven(const char* anyOwnFlag);

// One warning line for each flag given that this run does not use, e.g. "-base is not used:
// ENU -> project frame writes no base file": -base in ENU -> project or with -inputbase,
// -inputbase and -bENU in the zone mode, -maxresidual without -report, and -output, -tree,
// -materials and -maxclosure with -baseonly=1. The run goes on.
std::vector<std::string> unusedFlagWarnings(const FlagValues& flags, const RunOptions& options,
                                            const std::set<std::string>& given);
