#include "parser/correction_blocks.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace {

struct NumberField {
  const char* key;
  double* field;
};

// Reads each listed key that is present into its field, in list order.
bool readNumbers(const JsonObjectReader& block, const NumberField* begin, const NumberField* end) {
  for (const NumberField* entry = begin; entry != end; ++entry) {
    if (!block.readNumber(entry->key, *entry->field)) return false;
  }
  return true;
}

template <std::size_t N>
bool readNumbers(const JsonObjectReader& block, const NumberField (&fields)[N]) {
  return readNumbers(block, fields, fields + N);
}

template <class Type>
struct TypeName {
  const char* name;
  Type type;
};

// The record's "type", when present, as one of `names` (exact, case-sensitive); a name outside
// them is `unknown`, with a warning that the correction is not applied.
template <class Type, std::size_t N>
bool readType(const JsonObjectReader& block, const TypeName<Type> (&names)[N], Type unknown,
              const char* record, Type& type) {
  std::string text;
  if (!block.readString("type", text)) return false;
  if (!block.has("type")) return true;
  std::string expected;
  for (const TypeName<Type>& entry : names) {
    if (text == entry.name) {
      type = entry.type;
      return true;
    }
    if (*entry.name == '\0') continue;
    expected += (expected.empty() ? "\"" : ", \"") + std::string(entry.name) + "\"";
  }
  type = unknown;
  block.warn("type", "unknown type \"" + text + "\" (expected " + expected + "): the " + record +
                         " is not applied");
  return true;
}

constexpr TypeName<PlaneType> kPlaneTypes[] = {
    {"", PlaneType::tgo}, {"TGO", PlaneType::tgo}, {"four_param", PlaneType::fourParam}};
constexpr TypeName<AltType> kAltTypes[] = {{"", AltType::tilt},
                                           {"TGO", AltType::tilt},
                                           {"fixed_correction", AltType::fixedCorrection},
                                           {"surface", AltType::surface},
                                           {"plane", AltType::plane}};

bool readPlaneParam(const JsonObjectReader& block, PlaneParam& plane) {
  block.warnUnknownKeys({"type", "startx", "starty", "offsetx", "offsety", "rotate", "scale"});
  const NumberField fields[] = {{"startx", &plane.startx},   {"starty", &plane.starty},
                                {"offsetx", &plane.offsetx}, {"offsety", &plane.offsety},
                                {"rotate", &plane.rotate},   {"scale", &plane.scale}};
  return readNumbers(block, fields) &&
         readType(block, kPlaneTypes, PlaneType::none, "plane correction", plane.type);
}

bool readAltParam(const JsonObjectReader& block, AltParam& alt) {
  block.warnUnknownKeys({"type", "startx", "starty", "ppmE", "ppmN", "altbase", "A", "B", "C",
                         "D", "E", "F", "X0", "Y0"});
  const NumberField fields[] = {
      {"starty", &alt.starty}, {"startx", &alt.startx}, {"ppmN", &alt.ppmN},
      {"ppmE", &alt.ppmE},     {"altbase", &alt.altbase}, {"A", &alt.A},
      {"B", &alt.B},           {"C", &alt.C},           {"D", &alt.D},
      {"E", &alt.E},           {"F", &alt.F},           {"X0", &alt.X0},
      {"Y0", &alt.Y0}};
  return readType(block, kAltTypes, AltType::none, "height correction", alt.type) &&
         readNumbers(block, fields);
}

bool readBaseConv(const JsonObjectReader& block, BaseConv& base) {
  block.warnUnknownKeys(
      {"xoffset", "yoffset", "zoffset", "xrotate", "yrotate", "zrotate", "ppmscale"});
  const NumberField fields[] = {{"xoffset", &base.xoffset},   {"yoffset", &base.yoffset},
                                {"zoffset", &base.zoffset},   {"xrotate", &base.xrotate},
                                {"yrotate", &base.yrotate},   {"zrotate", &base.zrotate},
                                {"ppmscale", &base.ppmscale}};
  return readNumbers(block, fields);
}

// Both names or nothing. The names are read into locals first so that a block with only one
// of them (or a rejected one) leaves an existing record untouched.
bool readEllipsoidConv(const JsonObjectReader& block, std::optional<EllipsoidConv>& record) {
  block.warnUnknownKeys({"srcellipsoid", "desellipsoid"});
  std::string source;
  std::string destination;
  if (!block.readString("srcellipsoid", source) ||
      !block.readString("desellipsoid", destination)) {
    return false;
  }
  if (!block.has("srcellipsoid") || !block.has("desellipsoid")) {
    block.warn(nullptr, "needs both \"srcellipsoid\" and \"desellipsoid\"; the block is ignored");
    return true;
  }
  if (!record) record.emplace();
  record->srcellipsoid = std::move(source);
  record->desellipsoid = std::move(destination);
  return true;
}

// All three offsets or nothing.
bool readAdjustConv(const JsonObjectReader& block, std::optional<AdjustConv>& record) {
  block.warnUnknownKeys({"eastoffset", "northoffset", "altoffset"});
  AdjustConv values;
  const NumberField fields[] = {{"eastoffset", &values.eastoffset},
                                {"northoffset", &values.northoffset},
                                {"altoffset", &values.altoffset}};
  if (!readNumbers(block, fields)) return false;
  if (!block.has("eastoffset") || !block.has("northoffset") || !block.has("altoffset")) {
    block.warn(nullptr,
               "needs all of \"eastoffset\", \"northoffset\" and \"altoffset\"; the block is "
               "ignored");
    return true;
  }
  if (!record) record.emplace();
  *record = values;
  return true;
}

// Finds block `key`; `reader` is set when the block is present and an object.
bool findBlock(const JsonObjectReader& definitionObject, const char* key,
               std::optional<JsonObjectReader>& reader) {
  const rapidjson::Value* block = nullptr;
  if (!definitionObject.readObject(key, block)) return false;
  if (block != nullptr) {
    reader.emplace(definitionObject.child(*block, key));
  }
  return true;
}

}  // namespace

bool readCorrectionBlocks(const JsonObjectReader& definitionObject, projectinfo& info) {
  std::optional<JsonObjectReader> block;

  if (!findBlock(definitionObject, "planeparam", block)) return false;
  if (block) {
    if (!info.planeparam) info.planeparam.emplace();
    if (!readPlaneParam(*block, *info.planeparam)) return false;
  }

  block.reset();
  if (!findBlock(definitionObject, "altparam", block)) return false;
  if (block) {
    if (!info.altparam) info.altparam.emplace();
    if (!readAltParam(*block, *info.altparam)) return false;
  }

  block.reset();
  if (!findBlock(definitionObject, "baseconv", block)) return false;
  if (block) {
    if (!info.baseconv) info.baseconv.emplace();
    if (!readBaseConv(*block, *info.baseconv)) return false;
  }

  block.reset();
  if (!findBlock(definitionObject, "ellipsoidconv", block)) return false;
  if (block && !readEllipsoidConv(*block, info.ellipsoidconv)) return false;

  block.reset();
  if (!findBlock(definitionObject, "adjustconv", block)) return false;
  if (block && !readAdjustConv(*block, info.adjustconv)) return false;

  return true;
}
