// quorvex: converts the vertices of Wavefront OBJ files between a surveying project frame, a
// local east-north-up frame and the standard 3-degree Gauss-Krüger zone.
//
// This file holds the seven flags and the driver: it turns the results of the library into
// the fixed messages on standard output, one detail line on standard error, and the exit
// status (0 on success, -1 on any failure).
#include <gflags/gflags.h>

#define GEOS_USE_ONLY_R_API
#include <geos_c.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/coord_translate_info.h"
#include "parser/parse_coord_translate_info.h"
#include "coordinfo/process_context.h"
#include "obj/convert_obj_file.h"
#include "obj/input_discovery.h"
#include "obj/output_naming.h"
#include "obj/vertex_bounds.h"
#include "pipeline/base_point.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"
#include "platform/atomic_file.h"
#include "platform/filesystem.h"
#include "platform/read_text_file.h"

// Help texts: GBK bytes (code page 936) on Windows, the same characters in UTF-8 elsewhere.
#ifdef _WIN32
#define QX_HELP_INPUT "\x6f\x62\x6a\xce\xc4\xbc\xfe\xc2\xb7\xbe\xb6"
#define QX_HELP_COORD "\xd7\xf8\xb1\xea\xd7\xaa\xbb\xbb\xd0\xc5\xcf\xa2"
#define QX_HELP_OUTPUT "\xca\xe4\xb3\xf6\xce\xc4\xbc\xfe\xc2\xb7\xbe\xb6"
#define QX_HELP_BASE "\xca\xe4\xb3\xf6\xb5\xc4\xbb\xf9\xb5\xe3"
#define QX_HELP_INPUTBASE "\xca\xe4\xc8\xeb\xb5\xc4\xbb\xf9\xb5\xe3"
#define QX_HELP_ENU "\xca\xc7\xb7\xf1\xca\xc7\x65\x6e\x75\xd7\xf8\xb1\xea"
#else
#define QX_HELP_INPUT "obj文件路径"
#define QX_HELP_COORD "坐标转换信息"
#define QX_HELP_OUTPUT "输出文件路径"
#define QX_HELP_BASE "输出的基点"
#define QX_HELP_INPUTBASE "输入的基点"
#define QX_HELP_ENU "是否是enu坐标"
#endif

DEFINE_string(input, "", QX_HELP_INPUT);
DEFINE_string(coord, "", QX_HELP_COORD);
DEFINE_string(output, "", QX_HELP_OUTPUT);
DEFINE_string(base, "", QX_HELP_BASE);
DEFINE_string(inputbase, "", QX_HELP_INPUTBASE);
DEFINE_string(bENU, "0", QX_HELP_ENU);
DEFINE_string(toProj, "1", QX_HELP_ENU);

namespace {

constexpr int kFailure = -1;

const char* const kUsage =
    "converts the vertices of Wavefront OBJ files between a surveying project frame, a local\n"
    "east-north-up frame and the standard 3-degree Gauss-Krueger zone.\n\n"
    "  quorvex -input=IN -coord=COORD.json -output=OUT [-base=FILE] [-inputbase=ENU:LON,LAT]\n"
    "          [-toProj=1|0] [-bENU=0|1]\n\n"
    "  -toProj=1 (default): project frame -> 3-degree zone; the zone code goes to -base\n"
    "  -toProj=0 -bENU=0:   project frame -> ENU; the computed base point goes to -base\n"
    "  -toProj=0 -bENU=1:   ENU -> project frame\n"
    "IN is one OBJ file or a folder searched for *.obj; OUT is a file (when it contains\n"
    "\".obj\") or a folder. See README.md for the coordinate file format.";

// What --version prints after the program's name: the version, then the compiler and the
// GEOS library it runs with (the polygon choice depends on GEOS's arithmetic).
std::string versionText() {
#if defined(__clang__)
  const std::string compiler = "clang " __clang_version__;
#elif defined(__GNUC__)
  const std::string compiler = "GCC " __VERSION__;
#else
  const std::string compiler = "unknown";
#endif
  return std::string(QUORVEX_VERSION) + "\ncompiler: " + compiler + "\nGEOS: " + GEOSversion();
}

struct Options {
  std::string input, output, coord, base, inputbase, bENU, toProj;
};

enum class Mode { toZone, enuToProject, projectToEnu };

// The fixed message on standard output, then one detail line on standard error.
int fail(const char* message, const std::string& detail) {
  std::fputs(message, stdout);
  std::fflush(stdout);
  if (!detail.empty()) std::fprintf(stderr, "quorvex: %s\n", detail.c_str());
  return kFailure;
}

std::vector<std::string> inputFiles(const std::string& input) {
  // A value naming one file: it contains ".obj", or it is not empty and is no folder (a path
  // that does not exist then fails where it is opened instead of being searched as a folder).
  if (input.find(".obj") != std::string::npos || (!input.empty() && !isDirectory(input))) {
    return {input};
  }
  return findFiles(input, "*.obj");
}

// Two inputs that would be written to the same output path: the second would silently replace
// the first one's output.
bool findOutputConflict(const std::string& output, const std::vector<std::string>& files,
                        std::string& detail) {
  if (output.find(".obj") != std::string::npos) return false;  // one named output file
  std::map<std::string, const std::string*> seen;
  for (const std::string& file : files) {
    const auto [it, inserted] = seen.emplace(makeOutputPath(output, file), &file);
    if (!inserted) {
      detail = "'" + *it->second + "' and '" + file + "' would both be written to '" +
               it->first + "'";
      return true;
    }
  }
  return false;
}

int reportConversionFailure(const ConvertOutcome& outcome, const std::string& path) {
  const std::string where = path + ":" + std::to_string(outcome.line) + ": " + outcome.detail;
  switch (outcome.status) {
    case ConvertStatus::openFailed:
      return fail("open obj error!!\n", path + ": " + outcome.detail);
    case ConvertStatus::shortVertexLine:
      return fail("vertex line error!!\n", where);
    case ConvertStatus::convertFailed:
      return fail("convert vertex error!!\n", where);
    case ConvertStatus::writeFailed:
      return fail("write file error!!\n", outcome.detail);
    case ConvertStatus::converted:
      break;
  }
  return 0;
}

void warn(const std::string& text) { std::fprintf(stderr, "quorvex: warning: %s\n", text.c_str()); }

// Project -> ENU without -inputbase: the ENU origin is the geodetic position of the centre of
// the bounding box of all vertices, whatever definition converts it; it is written to the base
// file. The centre is converted through `converter` (about the origin the file gave, or
// longitude 0, latitude 0), and `origin` receives the base point. 0, or the exit status of a
// failure; `moved` tells whether the origin was moved.
int setBasePoint(const Options& options, const std::vector<std::string>& files,
                 const Converter& converter, ConverterScratch& scratch, RunState& state,
                 EnuOrigin& origin, bool& moved) {
  moved = false;
  const VertexBounds bounds = scanVertexBounds(files);
  if (bounds.status == VertexBounds::Status::openFailed) {
    return fail("open obj error!!\n", bounds.path + ": " + bounds.detail);
  }
  if (bounds.status == VertexBounds::Status::shortVertexLine) {
    return fail("vertex line error!!\n",
                bounds.path + ":" + std::to_string(bounds.line) + ": " + bounds.detail);
  }
  if (bounds.vertexCount == 0) {
    // No vertex, no centre: any base point would be made up. Nothing is converted either.
    warn("the inputs hold no vertex: no base point is computed" +
         std::string(options.base.empty() ? "" : " and '" + options.base + "' is not written"));
    return 0;
  }
  const Point3 centre{boundsCentre(bounds.min[0], bounds.max[0]),
                      boundsCentre(bounds.min[1], bounds.max[1]),
                      boundsCentre(bounds.min[2], bounds.max[2])};
  // ENU about the origin the file gave (or longitude 0, latitude 0), then back to geodetic on
  // that origin: the position does not depend on which origin is used.
  Point3 enu{};
  std::string why;
  const bool converted = converter.projectToEnu(centre, enu, scratch, &why);
  state.record(converter, scratch.trace());
  if (!converted || !std::isfinite(enu.x) || !std::isfinite(enu.y) || !std::isfinite(enu.z)) {
    return fail("convert vertex error!!\n",
                "the centre of all vertices could not be converted" +
                    (why.empty() ? std::string() : ": " + why));
  }
  const Point3 geodetic = converter.frame().enuToGeodetic(enu);
  if (!std::isfinite(geodetic.x) || !std::isfinite(geodetic.y)) {
    return fail("convert vertex error!!\n", "the centre of all vertices has no geodetic position");
  }
  origin.lon = geodetic.x;
  origin.lat = geodetic.y;
  moved = true;
  std::string error;
  if (!options.base.empty() &&
      !writeTextFile(options.base, formatBasePoint({origin.lon, origin.lat}), &error)) {
    return fail("write file error!!\n", error);
  }
  return 0;
}

// ENU -> project: the origin the ENU vertices are about. -inputbase, else the file's
// "basepoint", else the frame of the last control-point definition with source points (the
// centre of those points), else longitude 0, latitude 0 with a warning.
void setEnuInputOrigin(const std::optional<BasePoint>& inputbase, CoordTranslateInfo& local) {
  EnuOrigin& origin = *local.origin;
  if (inputbase) {
    origin.lon = inputbase->lon;
    origin.lat = inputbase->lat;
    return;
  }
  if (local.basepointGiven) return;
  for (auto it = local.projects.rbegin(); it != local.projects.rend(); ++it) {
    if (it->isControlPoints() && it->fittedFrame) {
      origin = *it->fittedFrame;
      return;
    }
  }
  warn("no ENU origin given (-inputbase, or \"basepoint\" in the coordinate file): the ENU "
       "vertices are taken to be about longitude 0, latitude 0");
}

int run(const Options& options, ProcessContext& process) {
  const std::vector<std::string> files = inputFiles(options.input);

  if (options.coord.empty()) return fail("coordfile set error!!\n", "-coord is required");
  if (!pathExists(options.coord)) {
    return fail("coordfile set error!!\n",
                "coordinate file '" + options.coord + "' does not exist");
  }
  const std::string text = readTextFile(options.coord);
  if (text.empty()) {
    return fail("coordfile is empty!!\n",
                "coordinate file '" + options.coord + "' cannot be read or is empty");
  }

  EnuOrigin localOrigin;
  CoordTranslateInfo local;
  local.origin = &localOrigin;
  std::string error;
  std::vector<std::string> warnings;
  if (!parseCoordTranslateInfo(text, local, process, &error, &warnings) ||
      !parseCoordTranslateInfo(text, process.info, process, &error)) {
    return fail("parseCoordTranslateInfo error!!\n", options.coord + ": " + error);
  }
  for (const std::string& warning : warnings) warn(options.coord + ": " + warning);

  if (options.output.empty()) {
    return fail("output set error!!\n", "no output path given (-output)");
  }
  if (findOutputConflict(options.output, files, error)) {
    return fail("output name conflict!!\n", error);
  }

  const Mode mode = options.toProj == "1"  ? Mode::toZone
                    : options.bENU == "1" ? Mode::enuToProject
                                          : Mode::projectToEnu;
  std::optional<BasePoint> inputbase;
  if (!options.inputbase.empty()) {
    inputbase = parseInputBase(options.inputbase, &error);
    if (!inputbase) return fail("inputbase set error!!\n", error);
  }
  // Parse, prepare, convert: the converter is built from the parsed model and the run's
  // origin; the order-dependent state (fit label lines, zones fixed by a first point) is
  // `state`, advanced after every conversion in file order.
  const CoordTranslateInfo& model = mode == Mode::toZone ? process.info : local;
  EnuOrigin& origin = mode == Mode::toZone ? process.origin : localOrigin;
  if (mode == Mode::projectToEnu && inputbase) {
    origin.lon = inputbase->lon;
    origin.lat = inputbase->lat;
  } else if (mode == Mode::enuToProject) {
    setEnuInputOrigin(inputbase, local);
  }
  Converter converter(model, origin);
  RunState state(converter);
  ConverterScratch scratch;
  if (mode == Mode::projectToEnu && !inputbase) {
    bool moved = false;
    if (const int status = setBasePoint(options, files, converter, scratch, state, origin, moved);
        status != 0) {
      return status;
    }
    if (moved) converter = converter.withOrigin(origin, state);
  }

  // Why the last vertex failed, as the conversion knows it.
  std::string failure;
  auto convertWith = [&](auto convertPoint) {
    return [&, convertPoint](const double* in, double* out) {
      Point3 result{};
      const bool converted = convertPoint(Point3{in[0], in[1], in[2]}, result);
      state.record(converter, scratch.trace());
      if (!converted) return false;
      out[0] = result.x;
      out[1] = result.y;
      out[2] = result.z;
      return true;
    };
  };
  auto toZone = convertWith([&](const Point3& p, Point3& r) {
    return converter.projectToZone(p, r, scratch, state.zones(), &failure);
  });
  auto toProject = convertWith([&](const Point3& p, Point3& r) {
    return converter.enuToProject(p, r, scratch, &failure);
  });
  auto toEnu = convertWith([&](const Point3& p, Point3& r) {
    return converter.projectToEnu(p, r, scratch, &failure);
  });

  for (const std::string& path : files) {
    const std::string outputPath = makeOutputPath(options.output, path);
    const ConvertOutcome outcome =
        mode == Mode::toZone         ? convertObjFile(path, outputPath, toZone)
        : mode == Mode::enuToProject ? convertObjFile(path, outputPath, toProject)
                                     : convertObjFile(path, outputPath, toEnu);
    if (outcome.status != ConvertStatus::converted) {
      ConvertOutcome reported = outcome;
      if (reported.status == ConvertStatus::convertFailed && !failure.empty()) {
        reported.detail += ": " + failure;
      }
      return reportConversionFailure(reported, path);
    }
    if (mode == Mode::toZone) {
      const std::string zone = std::to_string(process.globalzonecode);
      std::printf("%s\n", zone.c_str());
      std::fflush(stdout);
      if (!options.base.empty() && !writeTextFile(options.base, zone, &error)) {
        return fail("write file error!!\n", error);
      }
    }
  }
  std::fputs("convert success!!\n", stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The process-wide info, its EnuOrigin (linked on construction) and the zone code.
  ProcessContext process;

  gflags::SetUsageMessage(kUsage);
  gflags::SetVersionString(versionText());
  gflags::ParseCommandLineFlags(&argc, &argv, true);
  const Options options{FLAGS_input,     FLAGS_output, FLAGS_coord, FLAGS_base,
                        FLAGS_inputbase, FLAGS_bENU,   FLAGS_toProj};
  gflags::ShutDownCommandLineFlags();

  return run(options, process);
}
