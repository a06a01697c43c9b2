#pragma once

#include "parser/json_object_reader.h"
#include "coordinfo/projectinfo.h"

// Reads the five correction blocks of a "Custom Gauss" definition (siblings of "define" in
// `definitionObject`) in the order "planeparam", "altparam", "baseconv", "ellipsoidconv",
// "adjustconv".
//   - "planeparam", "altparam", "baseconv": a present block creates its record with the
//     defaults (or reuses an existing one) and each key present overwrites one field;
//   - "ellipsoidconv": only with both "srcellipsoid" and "desellipsoid" is the record created
//     and both names copied;
//   - "adjustconv": only with all of "eastoffset", "northoffset", "altoffset".
// Fails on a block that is not an object, a "type" or ellipsoid name that is not a string, or
// a field that is not a number.
[[nodiscard]] bool readCorrectionBlocks(const JsonObjectReader& definitionObject,
                                        projectinfo& info);
