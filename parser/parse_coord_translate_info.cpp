#include "parser/parse_coord_translate_info.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include <rapidjson/document.h>
#include <rapidjson/encodedstream.h>
#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>

#include "parser/control_points_block.h"
#include "parser/correction_blocks.h"
#include "parser/custom_gauss_block.h"
#include "parser/json_object_reader.h"
#include "parser/json_text_position.h"
#include "parser/parse_target.h"
#include "geodesy/zone.h"

namespace {

// Bounds that start the boundary-longitude fold of an array document; any real longitude
// lies inside them, so an array without boundaries gets the zone of longitude 0 (4509).
constexpr double kBoundaryFoldMinStart = 200.0;   // degree
constexpr double kBoundaryFoldMaxStart = -200.0;  // degree

// Working copies of the EnuOrigin records a parse may write, keyed by the real record. One
// copy per distinct record, so two names of one record (the process-wide info's origin and
// the process-wide origin) stay one record in the copy too.
class OriginCopies {
 public:
  EnuOrigin* copyOf(EnuOrigin* real) {
    if (real == nullptr) return nullptr;
    for (const Entry& entry : entries_) {
      if (entry.real == real) return entry.copy.get();
    }
    entries_.push_back({real, std::make_unique<EnuOrigin>(*real)});
    return entries_.back().copy.get();
  }

  EnuOrigin* realOf(EnuOrigin* copy) const {
    for (const Entry& entry : entries_) {
      if (entry.copy.get() == copy) return entry.real;
    }
    return copy;  // null, or a record the parse did not copy
  }

  void commit() const {
    for (const Entry& entry : entries_) *entry.real = *entry.copy;
  }

 private:
  struct Entry {
    EnuOrigin* real;
    std::unique_ptr<EnuOrigin> copy;  // stable address while entries_ grows
  };
  std::vector<Entry> entries_;
};

// ` ("Define" is not "define")` when the object holds `key` in another letter case.
std::string otherCaseHint(const JsonObjectReader& object, std::string_view key) {
  const std::string found = object.keyInOtherCase(key);
  if (found.empty()) return {};
  return " (\"" + found + "\" is not \"" + std::string(key) + "\": keys are case-sensitive)";
}

// Why the definition read from `object` defines no frame; empty when it defines one.
std::string undefinedReason(const JsonObjectReader& object, const ProjectDefinition& definition,
                            bool hasDefine) {
  std::string reason;
  if (!definition.isCustomGauss() && !definition.isControlPoints()) {
    reason = object.has("type") ? "unknown type \"" + definition.type + "\""
                                : "no \"type\"" + otherCaseHint(object, "type");
    reason += " (expected \"Custom Gauss\" or \"Control points\")";
  }
  if (!hasDefine) {
    if (!reason.empty()) reason += " and ";
    reason += "no \"define\"" + otherCaseHint(object, "define");
  }
  return reason;
}

// "projectid", "type" and the "define" object with the blocks its type selects. Shared by
// both document forms; the differences sit in the blocks and are keyed on target.form. A
// definition without a known type or without "define" is marked undefined
// (ProjectDefinition::undefinedReason) and nothing more is read from it.
bool readDefinition(const JsonObjectReader& object, ProjectDefinition& definition,
                    ParseTarget& target) {
  if (!object.readString("projectid", definition.projectid) ||
      !object.readString("type", definition.type)) {
    return false;
  }
  object.warnUnknownKeys({"projectid", "type", "define", "planeparam", "altparam", "baseconv",
                          "ellipsoidconv", "adjustconv", "boundary"});
  const rapidjson::Value* defineValue = nullptr;
  if (!object.readObject("define", defineValue)) return false;
  definition.undefinedReason = undefinedReason(object, definition, defineValue != nullptr);
  if (!definition.isDefined()) return true;
  const JsonObjectReader define = object.child(*defineValue, "define");

  // Exact, case-sensitive type names: "Custom Gauss", else (defined) "Control points".
  if (definition.isCustomGauss()) {
    define.warnUnknownKeys({"centralMeridianLongitude", "centralOriginLatitude", "ellipsoid",
                            "surfaceheight", "xoffset", "yoffset", "basepoint"});
    return readCustomGaussDefine(define, definition, target) &&
           readCorrectionBlocks(object, definition.info);
  }
  define.warnUnknownKeys({"srcpoints", "despoints", "transform", "basepoint"});
  return readControlPointsDefine(define, definition, target);
}

// A root object: one definition, filling the first one (appended when there is none). Its
// "boundary" is not read.
bool readObjectDocument(const rapidjson::Value& root, ParseTarget& target, std::string& error) {
  CoordTranslateInfo& info = target.info;
  if (info.projects.empty()) info.appendDefinition();
  const JsonObjectReader object(root, JsonPath(), error, target.warnings);
  ProjectDefinition& definition = info.projects.front();
  if (!readDefinition(object, definition, target)) return false;
  // The only definition: nothing could be converted through it.
  if (!definition.isDefined()) {
    error = "the definition defines nothing: " + definition.undefinedReason;
    return false;
  }
  return true;
}

// A root array: element i fills definition i (appended when the info started empty), reads
// its "boundary" and is pointed at the info's origin; the process-wide zone comes from the
// middle of all boundary longitudes.
bool readArrayDocument(const rapidjson::Value& root, ParseTarget& target, std::string& error) {
  CoordTranslateInfo& info = target.info;
  const std::size_t initialCount = info.projects.size();
  double minLon = kBoundaryFoldMinStart;
  double maxLon = kBoundaryFoldMaxStart;
  std::size_t defined = 0;
  std::string undefined;  // "[i]: reason" of each undefined element

  for (rapidjson::SizeType i = 0; i < root.Size(); ++i) {
    const JsonPath path = JsonPath().index(i);
    const rapidjson::Value& element = root[i];
    if (!element.IsObject()) {
      error = path.text() + ": expected an object";
      return false;
    }
    // Filling existing definitions by position; positions beyond them are appended.
    const bool append = initialCount == 0 || i >= info.projects.size();
    ProjectDefinition& definition = append ? info.appendDefinition() : info.projects[i];

    const JsonObjectReader object(element, path, error, target.warnings);
    if (!readDefinition(object, definition, target)) return false;
    if (definition.isDefined()) {
      ++defined;
    } else {
      undefined += (undefined.empty() ? "" : "; ") + path.text() + ": " +
                   definition.undefinedReason;
      object.warn(nullptr, "defines nothing (" + definition.undefinedReason +
                               "): a vertex converted through it fails");
    }

    std::vector<double> boundary;
    bool present = false;
    if (!object.readNumberArray("boundary", {.multipleOf = 2}, boundary, present)) return false;
    definition.boundary.reserve(definition.boundary.size() + boundary.size() / 2);
    for (std::size_t k = 0; k + 1 < boundary.size(); k += 2) {
      definition.boundary.push_back({boundary[k], boundary[k + 1], 0.0});
      minLon = std::min(minLon, boundary[k]);
      maxLon = std::max(maxLon, boundary[k]);
    }
    definition.origin = info.origin;
  }
  // Some definition must convert the vertices; undefined ones may only stand beside it.
  if (root.Size() == 0) {
    error = "the array holds no definition";
    return false;
  }
  if (defined == 0) {
    error = "no definition of the array defines anything: " + undefined;
    return false;
  }

  const std::optional<int32_t> zone = zoneCodeOf((minLon + maxLon) / 2);
  if (!zone) {
    error = "\"boundary\": the longitudes have no zone code in the 32-bit range";
    return false;
  }
  target.globalzonecode = *zone;
  return true;
}

bool reject(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

}  // namespace

namespace {

bool parseInto(std::string text, CoordTranslateInfo& info, ProcessContext& process,
               std::string* error, std::vector<std::string>* warnings, ParseConsole* console,
               bool basepointsAlsoToProcess) {
  if (text.empty()) return reject(error, "the coordinate text is empty");
  if (info.origin == nullptr) return reject(error, "the translation info has no ENU origin");

  // The text ends at its first NUL, as a C string would.
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);

  // UTF-8 over memory: this stream skips a leading EF, then BB, then BF, each only if present.
  rapidjson::MemoryStream memory(text.data(), text.size());
  rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> stream(memory);
  const std::size_t jsonStart = memory.Tell();
  rapidjson::Document document;
  // Iterative parsing accepts the same texts as the default recursive one, with its stack on
  // the heap: deep nesting cannot overflow the call stack.
  document.ParseStream<rapidjson::kParseIterativeFlag | rapidjson::kParseDefaultFlags,
                       rapidjson::UTF8<>>(stream);
  if (document.HasParseError()) {
    const std::string_view json = std::string_view(text).substr(jsonStart);
    const std::size_t offset =
        std::clamp(document.GetErrorOffset(), jsonStart, text.size()) - jsonStart;
    const JsonTextPosition at = jsonTextPositionOf(json, offset);
    return reject(error, "line " + std::to_string(at.line) + ", column " +
                             std::to_string(at.column) + ": " +
                             rapidjson::GetParseError_En(document.GetParseError()));
  }

  // Read into working copies; move them in only when the whole document is accepted.
  OriginCopies origins;
  CoordTranslateInfo scratch;
  scratch.origin = origins.copyOf(info.origin);
  scratch.projects = info.projects;
  scratch.basepointGiven = info.basepointGiven;
  for (ProjectDefinition& definition : scratch.projects) {
    definition.origin = origins.copyOf(definition.origin);
  }
  EnuOrigin& processOrigin = *origins.copyOf(&process.origin);
  int32_t globalzonecode = process.globalzonecode;

  std::string reason;
  std::vector<std::string> found;
  ConsoleText fitConsole;
  bool accepted = true;
  if (document.IsObject()) {
    ParseTarget target{scratch,  processOrigin, globalzonecode,          DocumentForm::object,
                       &found,   &fitConsole,   basepointsAlsoToProcess};
    accepted = readObjectDocument(document, target, reason);
  } else if (document.IsArray()) {
    ParseTarget target{scratch, processOrigin, globalzonecode,          DocumentForm::array,
                       &found,  &fitConsole,   basepointsAlsoToProcess};
    accepted = readArrayDocument(document, target, reason);
  } else {
    // A text, a number, true, false or null holds no definition: nothing could be converted.
    return reject(error, std::string("the root is ") + jsonKindOf(document) +
                             "; expected a definition object or an array of them");
  }
  if (console != nullptr) console->append(fitConsole);
  if (!accepted) return reject(error, std::move(reason));
  if (warnings != nullptr) warnings->insert(warnings->end(), found.begin(), found.end());

  for (ProjectDefinition& definition : scratch.projects) {
    definition.origin = origins.realOf(definition.origin);
  }
  info.projects = std::move(scratch.projects);
  info.basepointGiven = scratch.basepointGiven;
  origins.commit();
  process.globalzonecode = globalzonecode;
  return true;
}

}  // namespace

bool parseCoordTranslateInfo(std::string text, CoordTranslateInfo& info,
                             ProcessContext& process, std::string* error,
                             std::vector<std::string>* warnings, ParseConsole* console) {
  return parseInto(std::move(text), info, process, error, warnings, console, false);
}

bool parseCoordinateViews(std::string text, CoordTranslateInfo& local, ProcessContext& process,
                          std::string* error, std::vector<std::string>* warnings,
                          ParseConsole* console) {
  if (!parseInto(std::move(text), local, process, error, warnings, console, true)) return false;
  process.info.projects = local.projects;
  for (ProjectDefinition& definition : process.info.projects) definition.origin = &process.origin;
  process.info.basepointGiven = local.basepointGiven;
  return true;
}
