#pragma once

#include <cstdint>
#include "coordinfo/console_text.h"
#include <string>
#include <vector>

#include "coordinfo/coord_translate_info.h"
#include "coordinfo/enu_origin.h"

// The two forms of a coordinate file: one definition object, or an array of them. The
// Control points block runs its steps in a different order for each.
enum class DocumentForm { object, array };

// What one parse writes into. parseCoordTranslateInfo points these at working copies (the
// info, every EnuOrigin it may touch, the zone code) and moves them into the caller's records
// only when the whole file has been read, so a rejected file changes nothing.
//
// `processOrigin` is the process-wide EnuOrigin, which Control points blocks move to the
// centre of their source points whichever info is parsed; when the parsed info is the
// process-wide one, `*info.origin` and `processOrigin` are the same record.
struct ParseTarget {
  CoordTranslateInfo& info;
  EnuOrigin& processOrigin;
  int32_t& globalzonecode;
  DocumentForm form;
  std::vector<std::string>* warnings = nullptr;  // mistakes that do not reject the file
  // What a control-point fit made while parsing would print: its label lines, its failure
  // reason.
  ConsoleText* fitConsole = nullptr;
  // The "basepoint" members are written into processOrigin too, in file order with the
  // control-point centres: as a second read of the text into the process-wide info would.
  bool basepointsAlsoToProcess = false;
};
