#include "run/unused_flags.h"

#include <set>

std::vector<std::string> unusedFlagWarnings(const FlagValues& flags, const RunOptions& options) {
  std::set<std::string> given;
  for (const auto& [name, value] : flags.given) given.insert(name);
  std::vector<std::string> warnings;
  const auto unused = [&warnings](const char* flag, const char* why) {
    warnings.push_back(std::string("-") + flag + " is not used: " + why);
  };
  const bool zone = options.mode == ConversionKind::projectToZone;
  if (!flags.base.empty() && options.mode == ConversionKind::enuToProject) {
    unused("base", "ENU -> project frame writes no base file");
  }
  if (!flags.base.empty() && options.mode == ConversionKind::projectToEnu &&
      options.inputbase) {
    unused("base", "with -inputbase no base point is computed, so none is written");
  }
  if (!flags.inputbase.empty() && zone) {
    unused("inputbase", "the zone mode (-toProj=1) takes each vertex through its geodetic "
                        "position, whatever the ENU origin");
  }
  if (given.count("bENU") != 0 && zone) {
    unused("bENU", "it chooses the direction of -toProj=0 only");
  }
  if (given.count("maxresidual") != 0 && flags.report.empty()) {
    unused("maxresidual", "it marks control points in the -report, and no -report is given");
  }
  if (options.baseOnly) {
    // baseOnly is also set by -boundsonly and -mergebounds: the flag given is named.
    const char* why = !options.batch.boundsOnly.empty()    ? "-boundsonly converts nothing"
                      : !options.batch.mergeBounds.empty() ? "-mergebounds converts nothing"
                                                           : "-baseonly=1 converts nothing";
    if (!flags.output.empty()) unused("output", why);
    for (const char* flag : {"tree", "materials", "maxclosure"}) {
      if (given.count(flag) != 0) unused(flag, why);
    }
  }
  return warnings;
}
