#pragma once

#include <string>
#include <vector>

#include "run/run_options_from_flags.h"

// One warning line for each switch (-toProj, -bENU, -baseonly, -tree, -dryrun, -progress)
// given a value other than "0" or "1" (or, for -progress, empty): a switch is on only for the
// exact text "1", so "-toProj=yes" runs project -> ENU and "-dryrun=true" converts for real.
// The run goes on as the values say; the line names what the value was taken as.
std::vector<std::string> switchValueWarnings(const FlagValues& flags);
