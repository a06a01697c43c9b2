#include "run/dry_run.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "geodesy/zone.h"
#include "parser/model_metadata.h"
#include "pipeline/base_point.h"
#include "run/bounds_scan.h"
#include "run/computed_base_point.h"
#include "run/frame_scan.h"
#include "run/frame_warnings.h"
#include "run/report_gathering.h"

namespace {

const RunFailure kStandardOutputFailed{RunMessage::none, "standard output could not be written"};

std::string format(const char* pattern, double a, double b) {
  char text[80];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

// "x a..b, y c..d, z e..f" of a box, each number with `decimals` decimals.
std::string boxText(const Bounds3& box, const char* names, const char* pattern) {
  std::string text;
  for (int k = 0; k < 3 && names[k] != '\0'; ++k) {
    if (!text.empty()) text += ", ";
    text += std::string(1, names[k]) + " " + format(pattern, box.min[k], box.max[k]);
  }
  return text;
}

// The four corners of a box at its middle height.
std::vector<Point3> corners(const Bounds3& box) {
  const double z = (box.min[2] + box.max[2]) * 0.5;
  return {{box.min[0], box.min[1], z}, {box.max[0], box.min[1], z},
          {box.max[0], box.max[1], z}, {box.min[0], box.max[1], z}};
}

// What one definition's box is on the Earth, through that definition.
struct Outline {
  std::vector<Point3> geodetic;  // lon°, lat°, h of the corners that convert
  Bounds3 enu, project;          // the corners in ENU and in the project frame
};

// A point of the frame read, through definition `index`, in ENU and in the project frame;
// false when it does not convert.
bool place(const Converter& converter, ConversionKind mode, std::size_t index, const Point3& p,
           Point3& enu, Point3& project) {
  enu = project = p;
  return mode == ConversionKind::enuToProject
             ? converter.convertBack(ConversionKind::projectToEnu, index, nullptr, p, project)
             : converter.convertBack(ConversionKind::enuToProject, index, nullptr, p, enu);
}

Outline outlineOf(const Converter& converter, ConversionKind mode, std::size_t index,
                  const Bounds3& box) {
  Outline outline;
  for (const Point3& corner : corners(box)) {
    Point3 enu, project;
    if (!place(converter, mode, index, corner, enu, project)) continue;
    const double e[3] = {enu.x, enu.y, enu.z}, p[3] = {project.x, project.y, project.z};
    outline.enu.add(e);
    outline.project.add(p);
    outline.geodetic.push_back(converter.frame().enuToGeodetic(enu));
  }
  return outline;
}

std::string definitionName(const CoordTranslateInfo& model, std::size_t i) {
  if (i >= model.projects.size()) return "no definition";
  const std::string& id = model.projects[i].projectid;
  return "definition " + std::to_string(i + 1) + (id.empty() ? "" : " \"" + id + "\"");
}

class Printer {
 public:
  explicit Printer(RunOutput& output) : output_(output) {}
  void line(const std::string& text) { ok_ = ok_ && output_.out(text + "\n"); }
  bool ok() const { return ok_; }

 private:
  RunOutput& output_;
  bool ok_ = true;
};

void printPlan(const RunPlan& plan, Printer& print) {
  const RunOptions& options = plan.options;
  print.line(std::string("dry run: ") + modeName(options.mode) + ", nothing is written");
  for (std::size_t i = 0; i < plan.inputs.size(); ++i) {
    print.line("input '" + plan.inputs[i] + "'" +
               (i < plan.outputs.size() ? " -> '" + plan.outputs[i] + "'" : std::string()));
  }
  for (const std::string& part : plan.mergeParts) print.line("bounds file read '" + part + "'");
  if (!options.batch.boundsOnly.empty()) {
    print.line("bounds file '" + options.batch.boundsOnly + "'");
  }
  if (plan.writesBase) print.line("base file '" + options.base + "'");
  if (!options.report.empty()) print.line("report '" + options.report + "'");
  if (plan.metadata.metadata) {
    print.line("metadata.xml read '" + plan.metadata.readPath + "': <SRS>" +
               plan.metadata.metadata->srs.substr(0, 200) + "</SRS>, <SRSOrigin>" +
               formatSrsOrigin(plan.metadata.metadata->origin) + "</SRSOrigin>" +
               (plan.metadata.metadata->originGiven ? "" : " (none given)"));
  } else {
    print.line("metadata.xml read: none");
  }
  if (!plan.metadata.writePath.empty()) {
    print.line("metadata.xml written '" + plan.metadata.writePath + "' (if the run succeeds)");
  }
}

// The facts of each definition over all files (its vertices, box, place on the Earth and
// zone) printed; the zones of the definitions that have vertices, with their counts.
std::map<int32_t, int> printDefinitions(const std::vector<DefinitionScan>& all,
                                        const CoordTranslateInfo& model,
                                        const Converter& converter, const RunState& state,
                                        ConversionKind mode, Printer& print) {
  const std::size_t definitions = converter.definitionCount();
  const char* frame = mode == ConversionKind::enuToProject ? "ENU" : "project frame";
  std::map<int32_t, int> zones;
  for (std::size_t i = 0; i <= definitions; ++i) {
    const DefinitionScan& d = all[i];
    if (d.vertexCount == 0 && i == definitions) continue;
    std::string text = definitionName(model, i) + ": " + std::to_string(d.vertexCount) +
                       " vertices";
    if (d.vertexCount > 0) {
      text += "; box (" + std::string(frame) + ", m) " + boxText(d.box, "xyz", "%.3f..%.3f");
    }
    print.line(text);
    if (d.vertexCount == 0 || i == definitions) continue;
    const Outline outline = outlineOf(converter, mode, i, d.box);
    Bounds3 geodetic;
    for (const Point3& g : outline.geodetic) {
      const double xyz[3] = {g.x, g.y, g.z};
      geodetic.add(xyz);
    }
    std::string facts = "  longitude/latitude of the box's corners " +
                        boxText(geodetic, "xy", "%.6f..%.6f");
    if (mode == ConversionKind::enuToProject) {
      facts += "; project frame (m) " + boxText(outline.project, "xy", "%.3f..%.3f");
    }
    if (const auto meridian = converter.centralMeridian(i)) {
      double largest = 0.0;
      for (const Point3& g : outline.geodetic) {
        largest = std::max(largest, std::fabs(std::remainder(g.x - *meridian, 360.0)));
      }
      facts += format("; central meridian %g, largest distance %.3f degrees", *meridian, largest);
    }
    // The zone: parsed, else the one the definition's first vertex fixes (zone mode).
    std::optional<int32_t> zone = converter.zoneCode(i, state.zones());
    Point3 enu, project;
    if (!zone && d.first && mode == ConversionKind::projectToZone &&
        place(converter, mode, i, *d.first, enu, project)) {
      zone = zoneCodeOf(converter.frame().enuToGeodetic(enu).x);
    }
    if (zone && mode == ConversionKind::projectToZone) {
      facts += "; zone " + std::to_string(*zone);
      ++zones[*zone];
    }
    print.line(facts);
  }
  return zones;
}

// The warnings the run would give of where the vertices lie: per file far from the central
// meridian, and project -> ENU far from the origin.
void warnOfPlaces(const RunPlan& plan, const FrameScan& scan, const Converter& converter,
                  const std::map<int32_t, int>& zones, RunOutput& output) {
  const ConversionKind mode = plan.options.mode;
  std::vector<double> meridians;
  for (std::size_t i = 0; i < converter.definitionCount(); ++i) {
    if (const auto meridian = converter.centralMeridian(i)) meridians.push_back(*meridian);
  }
  const std::optional<int> onlyZone =
      zones.size() == 1 ? std::optional<int>(zones.begin()->first) : std::nullopt;
  Bounds3 enuBox;
  for (std::size_t f = 0; f < scan.files.size(); ++f) {
    FileRecord file;
    for (std::size_t i = 0; i < converter.definitionCount(); ++i) {
      if (scan.files[f][i].vertexCount == 0) continue;
      const Outline outline = outlineOf(converter, mode, i, scan.files[f][i].box);
      file.footprint.insert(file.footprint.end(), outline.geodetic.begin(),
                            outline.geodetic.end());
      enuBox.merge(outline.enu);
    }
    recordMeridianOffset(mode, meridians, onlyZone, file);
    if (auto warning = meridianWarning(plan.inputs[f], file)) output.warn(*warning);
  }
  if (mode == ConversionKind::projectToEnu) {
    if (auto warning = farFromOriginWarning(enuBox, converter.origin())) output.warn(*warning);
  }
}

void printOrigin(const EnuOrigin& origin, const std::string& source, Printer& print) {
  print.line("ENU origin " + formatBasePoint({origin.lon, origin.lat}) + " (latitude first; " +
             source + ")");
}

// -mergebounds: the bounds files merged and checked as the run merges them (no input is read),
// and the base point they give.
std::optional<RunFailure> dryRunMerge(const RunPlan& plan, const Converter& given,
                                      RunState& state, bool computesBase,
                                      const std::string& originSource, RunOutput& output,
                                      Printer& print) {
  std::uint64_t vertices = 0;
  if (!computesBase) {
    printOrigin(given.origin(), originSource, print);
  } else {
    const MergedBounds merged = batchBounds(plan);
    if (merged.failure) return merged.failure;
    Converter converter = given;
    const std::array<double, 3> offset = merged.srsOrigin.value_or(std::array<double, 3>{});
    converter.setInputOffset({offset[0], offset[1], offset[2]});
    const ComputedBasePoint base = basePointFromBounds(merged.bounds, converter, state);
    if (base.failure) return base.failure;
    for (const std::string& warning : base.warnings) output.warn(warning);
    vertices = merged.bounds.vertexCount;
    if (base.origin) {
      printOrigin(*base.origin, "the centre of all vertices", print);
    } else {
      output.warn("the inputs hold no vertex: no base point is computed");
    }
  }
  print.line("dry run: " + std::to_string(plan.mergeParts.size()) + " bounds files, " +
             std::to_string(vertices) + " vertices merged; nothing written");
  if (!print.ok()) return kStandardOutputFailed;
  return std::nullopt;
}

}  // namespace

std::optional<RunFailure> dryRun(const RunPlan& plan, const CoordTranslateInfo& model,
                                 const Converter& given, RunState& state,
                                 bool computesBase, const std::string& originSource,
                                 RunOutput& output) {
  Printer print(output);
  printPlan(plan, print);
  if (!plan.mergeParts.empty()) {
    return dryRunMerge(plan, given, state, computesBase, originSource, output, print);
  }
  const ConversionKind mode = plan.options.mode;
  const FrameScan scan = scanFrames(plan.inputs, plan.options.threads, given, mode);
  for (const std::string& warning : scan.warnings) output.warn(warning);
  if (scan.failure) return scan.failure;
  const std::size_t definitions = given.definitionCount();
  std::vector<DefinitionScan> all(definitions + 1);
  for (const std::vector<DefinitionScan>& file : scan.files) {
    for (std::size_t i = 0; i <= definitions; ++i) {
      all[i].vertexCount += file[i].vertexCount;
      all[i].box.merge(file[i].box);
      if (!all[i].first) all[i].first = file[i].first;
    }
  }
  Converter converter = given;
  if (computesBase) {
    Bounds3 box;
    for (const DefinitionScan& d : all) box.merge(d.box);
    if (box.empty()) {
      output.warn("the inputs hold no vertex: no base point is computed");
    } else {
      const ComputedBasePoint base = basePointOfBox(box, converter, state);
      if (base.failure) return base.failure;
      converter = converter.withOrigin(*base.origin, state.boundariesSeen());
    }
  }
  if (mode != ConversionKind::projectToZone) {
    printOrigin(converter.origin(), computesBase ? "the centre of all vertices" : originSource,
                print);
  }
  const std::map<int32_t, int> zones =
      printDefinitions(all, model, converter, state, mode, print);
  warnOfPlaces(plan, scan, converter, zones, output);
  for (const std::string& warning : plan.materials.warnings) output.warn(warning);
  if (zones.size() > 1) {
    output.warn("the definitions' vertices lie on " + std::to_string(zones.size()) +
                " zones: no metadata.xml would be written, and -base would hold the last "
                "file's code");
  }
  std::uint64_t vertices = 0;
  for (const DefinitionScan& d : all) vertices += d.vertexCount;
  print.line("dry run: " + std::to_string(plan.inputs.size()) + " files, " +
             std::to_string(vertices) + " vertices read; nothing written");
  if (!print.ok()) return kStandardOutputFailed;
  return std::nullopt;
}
