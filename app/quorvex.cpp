// quorvex: converts the vertices of Wavefront OBJ files between a surveying project frame, a
// local east-north-up frame and the standard 3-degree Gauss-Krüger zone.
//
// This file holds the seven flags and the driver: it turns the results of the library into
// the fixed messages on standard output, one detail line on standard error, and the exit
// status (0 on success, -1 on any failure).
#include <gflags/gflags.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/usage.h"
#include "coordinfo/control_points_block.h"
#include "coordinfo/coord_translate_info.h"
#include "coordinfo/parse_coord_translate_info.h"
#include "coordinfo/process_context.h"
#include "obj/convert_obj_file.h"
#include "obj/input_discovery.h"
#include "obj/output_naming.h"
#include "obj/vertex_bounds.h"
#include "pipeline/base_point.h"
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

// Sets the ENU origin of the local info: from `inputbase`, or from the centre of all vertices,
// which is then written to the base file. 0, or the exit status of a failure.
int setBasePoint(const Options& options, const std::vector<std::string>& files,
                 CoordTranslateInfo& local) {
  EnuOrigin& origin = *local.origin;
  if (!options.inputbase.empty()) {
    const BasePoint point = readInputBase(options.inputbase);
    origin.lon = point.lon;
    origin.lat = point.lat;
    return 0;
  }
  const VertexBounds bounds = scanVertexBounds(files);
  if (bounds.status == VertexBounds::Status::openFailed) {
    return fail("open obj error!!\n", bounds.path + ": " + bounds.detail);
  }
  if (bounds.status == VertexBounds::Status::shortVertexLine) {
    return fail("vertex line error!!\n",
                bounds.path + ":" + std::to_string(bounds.line) + ": " + bounds.detail);
  }
  const Point3 centre{boundsCentre(bounds.min[0], bounds.max[0]),
                      boundsCentre(bounds.min[1], bounds.max[1]),
                      boundsCentre(bounds.min[2], bounds.max[2])};
  Point3 enu{};
  if (!local.projectToEnu(centre, enu) || !std::isfinite(enu.x) || !std::isfinite(enu.y) ||
      !std::isfinite(enu.z)) {
    return fail("convert vertex error!!\n", "the centre of all vertices could not be converted");
  }
  const ProjectDefinition* chosen = local.currentDefinition();
  if (chosen != nullptr && chosen->isControlPoints() && !chosen->srcpoints.empty()) {
    // A control-point definition converts into the ENU frame its points were fitted in, about
    // the centre of its source points, whatever this origin is. That centre is the base point
    // that describes the output; the ENU centre read about this origin would name a place
    // that has nothing to do with the vertices.
    const Point3 centreOfPoints = sourcePointsCentre(chosen->srcpoints);
    origin.lon = centreOfPoints.x;
    origin.lat = centreOfPoints.y;
  } else {
    const Point3 geodetic = origin.enuToGeodetic(enu);
    if (!std::isfinite(geodetic.x) || !std::isfinite(geodetic.y)) {
      return fail("convert vertex error!!\n",
                  "the centre of all vertices has no geodetic position");
    }
    origin.lon = geodetic.x;
    origin.lat = geodetic.y;
  }
  std::string error;
  if (!options.base.empty() &&
      !writeTextFile(options.base, formatBasePoint({origin.lon, origin.lat}), &error)) {
    return fail("write file error!!\n", error);
  }
  return 0;
}

int run(const Options& options, ProcessContext& process) {
  const std::vector<std::string> files = inputFiles(options.input);

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
  if (!parseCoordTranslateInfo(text, local, process, &error) ||
      !parseCoordTranslateInfo(text, process.info, process, &error)) {
    return fail("parseCoordTranslateInfo error!!\n", options.coord + ": " + error);
  }

  if (options.output.empty()) {
    return fail("output set error!!\n", "no output path given (-output)");
  }
  if (findOutputConflict(options.output, files, error)) {
    return fail("output name conflict!!\n", error);
  }

  const Mode mode = options.toProj == "1"  ? Mode::toZone
                    : options.bENU == "1" ? Mode::enuToProject
                                          : Mode::projectToEnu;
  if (mode == Mode::projectToEnu) {
    if (const int status = setBasePoint(options, files, local); status != 0) return status;
  }

  auto convertWith = [](CoordTranslateInfo& info, auto member) {
    return [&info, member](const double* in, double* out) {
      Point3 result{};
      if (!(info.*member)(Point3{in[0], in[1], in[2]}, result)) return false;
      out[0] = result.x;
      out[1] = result.y;
      out[2] = result.z;
      return true;
    };
  };
  auto toZone = convertWith(process.info, &CoordTranslateInfo::projectToZone);
  auto toProject = convertWith(local, &CoordTranslateInfo::enuToProject);
  auto toEnu = convertWith(local, &CoordTranslateInfo::projectToEnu);

  for (const std::string& path : files) {
    const std::string outputPath = makeOutputPath(options.output, path);
    const ConvertOutcome outcome =
        mode == Mode::toZone         ? convertObjFile(path, outputPath, toZone)
        : mode == Mode::enuToProject ? convertObjFile(path, outputPath, toProject)
                                     : convertObjFile(path, outputPath, toEnu);
    if (outcome.status != ConvertStatus::converted) {
      return reportConversionFailure(outcome, path);
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

  switch (checkCommandLine(argc, argv, "input")) {
    case CommandLineCheck::helpShown:
      return 0;
    case CommandLineCheck::badFlag:
      return kFailure;
    case CommandLineCheck::run:
      break;
  }
  gflags::SetUsageMessage(usageLine());
  gflags::SetVersionString(QUORVEX_VERSION);
  gflags::ParseCommandLineFlags(&argc, &argv, true);
  const Options options{FLAGS_input,     FLAGS_output, FLAGS_coord, FLAGS_base,
                        FLAGS_inputbase, FLAGS_bENU,   FLAGS_toProj};
  gflags::ShutDownCommandLineFlags();

  return run(options, process);
}
