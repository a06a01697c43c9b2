#include "run/switch_values.h"

std::vector<std::string> switchValueWarnings(const FlagValues& flags) {
  struct Switch {
    const char* name;
    const std::string& value;
    bool emptyMeansAuto;  // else any value but "1" is off
  };
  const Switch switches[] = {
      {"toProj", flags.toProj, false}, {"bENU", flags.bENU, false},
      {"baseonly", flags.baseonly, false}, {"tree", flags.tree, false},
      {"dryrun", flags.dryrun, false}, {"progress", flags.progress, true},
  };
  std::vector<std::string> warnings;
  for (const Switch& s : switches) {
    if (s.value == "0" || s.value == "1" || (s.emptyMeansAuto && s.value.empty())) continue;
    warnings.push_back(std::string("-") + s.name + "='" + s.value + "' is taken as " +
                       (s.emptyMeansAuto ? "empty (on when standard error is a terminal)"
                                         : "0 (off)") +
                       ": a switch is on only for the text 1");
  }
  return warnings;
}
