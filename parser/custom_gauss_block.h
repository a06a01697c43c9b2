#pragma once

#include "parser/json_object_reader.h"
#include "parser/parse_target.h"
#include "coordinfo/project_definition.h"

// Reads the "define" object of a "Custom Gauss" definition into `definition.info`, in the
// file's order: "centralMeridianLongitude", "centralOriginLatitude", "ellipsoid",
// "surfaceheight", "xoffset", "yoffset" (the five numbers lenient), then "basepoint" (into the
// definition's origin).
//
// An absent "xoffset" or "yoffset" becomes 0 (not the record default 500000). When
// "centralMeridianLongitude" is present the definition's `zonecode` is set to the zone code of
// the meridian kept (also when the value was unsupported and the field kept its value), and
// in an object document `globalzonecode` too. Fails, with the key path in the error text, on a
// value outside the format or a meridian without a 32-bit zone code.
[[nodiscard]] bool readCustomGaussDefine(const JsonObjectReader& define,
                                         ProjectDefinition& definition, ParseTarget& target);
