#pragma once

#include <string>

#include "coordinfo/coord_translate_info.h"
#include "coordinfo/enu_origin.h"
#include "parser/parse_coord_translate_info.h"
#include "coordinfo/process_context.h"

namespace coordtest {

// The driver's setting: a process context (process-wide info, origin, zone code) and a local
// info with an EnuOrigin of its own.
struct Parsing {
  ProcessContext process;
  EnuOrigin localOrigin;
  CoordTranslateInfo local;
  std::string error;
  std::vector<std::string> warnings;  // of parseLocal

  Parsing() { local.origin = &localOrigin; }
  Parsing(const Parsing&) = delete;
  Parsing& operator=(const Parsing&) = delete;

  [[nodiscard]] bool parseLocal(const std::string& text) {
    return parseCoordTranslateInfo(text, local, process, &error, &warnings);
  }
  [[nodiscard]] bool parseProcess(const std::string& text) {
    return parseCoordTranslateInfo(text, process.info, process, &error);
  }
};

}  // namespace coordtest
