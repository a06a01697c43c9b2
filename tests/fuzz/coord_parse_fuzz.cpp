// libFuzzer target: arbitrary bytes through the coordinate-file parse step, as the driver
// calls it (a local info with its own origin, in a fresh process context each run). The
// parse must return without crashing, leaking or undefined behaviour; when it refuses the
// text, nothing may have changed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "coordinfo/coord_translate_info.h"
#include "coordinfo/enu_origin.h"
#include "parser/parse_coord_translate_info.h"
#include "coordinfo/process_context.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ProcessContext process;
  EnuOrigin localOrigin;
  CoordTranslateInfo local;
  local.origin = &localOrigin;
  std::string error;

  if (!parseCoordTranslateInfo(text, local, process, &error)) {
    // A refusal changes nothing and says why.
    if (!local.projects.empty() || !(localOrigin == EnuOrigin{}) ||
        !(process.origin == EnuOrigin{}) || process.globalzonecode != 0 || error.empty()) {
      std::abort();
    }
    return 0;
  }
  // The driver's second parse, into the process-wide info (whose origin is the
  // process-wide record), must accept what the first accepted.
  if (!parseCoordTranslateInfo(text, process.info, process, &error)) std::abort();
  for (const ProjectDefinition& definition : local.projects) {
    if (definition.origin != &localOrigin) std::abort();
    if (definition.srcpointsenu.size() != definition.srcpoints.size()) std::abort();
  }
  for (const ProjectDefinition& definition : process.info.projects) {
    if (definition.origin != &process.origin) std::abort();
  }
  return 0;
}
