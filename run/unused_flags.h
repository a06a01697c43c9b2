#pragma once

#include <string>
#include <vector>

#include "run/run_options_from_flags.h"
#include "run/run_options.h"

// One warning line for each flag given that this run does not use, e.g. "-base is not used:
// ENU -> project frame writes no base file": -base in ENU -> project or with -inputbase,
// -inputbase and -bENU in the zone mode, -maxresidual without -report, and -output, -tree,
// -materials and -maxclosure with -baseonly=1, -boundsonly or -mergebounds (the one given is
// named). The run goes on.
// A flag counts as given when it is in flags.given, even set to its default.
std::vector<std::string> unusedFlagWarnings(const FlagValues& flags, const RunOptions& options);
