// quorvex: converts the vertices of Wavefront OBJ files between a surveying project frame, a
// local east-north-up frame and the standard 3-degree Gauss-Krüger zone.
//
// This file holds the seven flags and the driver: it turns the results of the library into
// the fixed messages on standard output, one detail line on standard error, and the exit
// status (0 on success, -1 on any failure).
#include <gflags/gflags.h>

#define GEOS_USE_ONLY_R_API
#include <geos_c.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "app/usage.h"
#include "coordinfo/coord_translate_info.h"
#include "coordinfo/process_context.h"
#include "obj/convert_obj_file.h"
#include "obj/input_discovery.h"
#include "obj/output_naming.h"
#include "obj/run_path_checks.h"
#include "obj/vertex_bounds.h"
#include "parser/parse_coord_translate_info.h"
#include "pipeline/base_point.h"
#include "pipeline/converter.h"
#include "pipeline/lane_batch.h"
#include "pipeline/run_state.h"
#include "pipeline/threaded_conversion.h"
#include "platform/atomic_file.h"
#include "platform/filesystem.h"
#include "platform/read_text_file.h"
#include "platform/terminal.h"
#include "report/control_fit_report.h"
#include "report/footprint.h"
#include "report/progress_line.h"
#include "report/report_html.h"
#include "report/run_record.h"

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
DEFINE_string(report, "", "HTML fit report (run, files, control-point residuals, map)");
DEFINE_string(progress, "",
              "1: progress line and summary on standard error; 0: none; empty: on a terminal");
DEFINE_string(maxresidual, "0.05",
              "control-point residual (m) above which the report highlights and warns");
DEFINE_string(baseonly, "0",
              "1: with -toProj=0 and -base, write the base point of the inputs, convert nothing");
DEFINE_string(threads, "0",
              "threads converting each file: 0 = all hardware threads, 1 = one (no other thread)");

namespace {

constexpr int kFailure = -1;

// What --version prints after the program's name: the version, then the compiler and the
// GEOS library it runs with (the polygon choice depends on GEOS's arithmetic), and the lane
// code converting vertices (every one gives the same bits; QUORVEX_LANES chooses).
std::string versionText() {
#if defined(__clang__)
  const std::string compiler = "clang " __clang_version__;
#elif defined(__GNUC__)
  const std::string compiler = "GCC " __VERSION__;
#else
  const std::string compiler = "unknown";
#endif
  return std::string(QUORVEX_VERSION) + "\ncompiler: " + compiler + "\nGEOS: " + GEOSversion() +
         "\nlanes: " + laneCodeName(laneCodeInUse());
}

struct Options {
  std::string input, output, coord, base, inputbase, bENU, toProj;
  std::string report, maxresidual, progress, threads, baseonly;
};

enum class Mode { toZone, enuToProject, projectToEnu };

// The fixed message on standard output, then one detail line on standard error.
int fail(const char* message, const std::string& detail) {
  std::fputs(message, stdout);
  std::fflush(stdout);
  if (!detail.empty()) std::fprintf(stderr, "quorvex: %s\n", detail.c_str());
  return kFailure;
}

void warn(const std::string& text) {
  std::fprintf(stderr, "quorvex: warning: %s\n", text.c_str());
}

std::vector<std::string> inputFiles(const std::string& input) {
  // A value naming one file: anything but an existing folder (a path that does not exist then
  // fails where it is opened instead of being searched as a folder).
  if (!input.empty() && !isDirectory(input)) return {input};
  std::vector<SkippedFolders> skipped;
  std::vector<std::string> files = findFiles(input, "*.obj", &skipped);
  const std::string folder = input.empty() ? "the current folder" : "'" + input + "'";
  if (files.empty()) warn("no .obj file found in " + folder + " or below it");
  // The search rule: a folder holding OBJ files is not searched below (but for sub-folders
  // named *.obj), which surprises whoever keeps tiles beside a stray file.
  for (const SkippedFolders& s : skipped) {
    warn(std::to_string(s.count) + " sub-folder" + (s.count == 1 ? "" : "s") + " of '" +
         s.folder + "' not searched: that folder holds .obj files itself (give a sub-folder " +
         "as -input to convert its files)");
  }
  return files;
}

// The fixed message of a path check that failed; 0 when it passed.
int reportPathCheck(const RunPathCheck& check) {
  switch (check.status) {
    case RunPathStatus::nameConflict:
      return fail("output name conflict!!\n", check.detail);
    case RunPathStatus::outputFolderMissing:
      return fail("write file error!!\n", check.detail);
    case RunPathStatus::inputNotRereadable:
      return fail("open obj error!!\n", check.detail);
    case RunPathStatus::ok:
      break;
  }
  return 0;
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

constexpr std::size_t kBlock = ObjLineReader::kDefaultBlockSize;
// With several threads: blocks of 1 MiB, so that the 2N + 2 blocks in flight (each with its
// converted copy) stay small.
constexpr std::size_t kThreadedBlock = std::size_t{1} << 20;

// Project -> ENU without -inputbase: the ENU origin is the geodetic position of the centre of
// the bounding box of all vertices, whatever definition converts it; it is written to the base
// file. The centre is converted through `converter` (about the origin the file gave, or
// longitude 0, latitude 0), and `origin` receives the base point. 0, or the exit status of a
// failure; `moved` tells whether the origin was moved.
int setBasePoint(const Options& options, const std::vector<std::string>& files,
                 unsigned threads, const Converter& converter, ConverterScratch& scratch,
                 RunState& state, EnuOrigin& origin, bool& moved) {
  moved = false;
  const VertexBounds bounds = threads == 1
                                  ? scanVertexBounds(files)
                                  : scanVertexBoundsThreaded(files, threads, kThreadedBlock);
  if (bounds.status == VertexBounds::Status::openFailed) {
    return fail("open obj error!!\n", bounds.path + ": " + bounds.detail);
  }
  if (bounds.status == VertexBounds::Status::shortVertexLine) {
    return fail("vertex line error!!\n",
                bounds.path + ":" + std::to_string(bounds.line) + ": " + bounds.detail);
  }
  // Without -baseonly the conversion that follows warns of the same files.
  if (options.baseonly == "1") {
    for (const std::string& warning : bounds.warnings) warn(warning);
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

// The largest -threads value taken: more threads than this only cost memory.
constexpr unsigned kMaxThreads = 256;

// -threads: a non-negative integer up to kMaxThreads; 0 is the hardware's thread count (1
// when it is not known).
std::optional<unsigned> threadCount(const std::string& text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      value > kMaxThreads) {
    return std::nullopt;
  }
  if (value == 0) value = std::max(1u, std::thread::hardware_concurrency());
  return value;
}

std::optional<double> positiveNumber(const std::string& text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !(value > 0.0) ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

const char* modeName(Mode mode) {
  switch (mode) {
    case Mode::toZone: return "project frame -> 3-degree zone";
    case Mode::enuToProject: return "ENU -> project frame";
    case Mode::projectToEnu: break;
  }
  return "project frame -> ENU";
}

void recordMode(Mode mode, const Options& options, const CoordTranslateInfo& local,
                const ProcessContext& process, RunRecord& record) {
  record.mode = modeName(mode);
  if (mode == Mode::toZone) {
    record.zoneCode = process.globalzonecode;
    return;
  }
  record.origin = *local.origin;
  if (!options.inputbase.empty()) {
    record.originSource = "-inputbase";
  } else if (mode == Mode::projectToEnu) {
    record.originSource = "the centre of all vertices";
  } else if (local.basepointGiven) {
    record.originSource = "\"basepoint\" of the coordinate file";
  } else {
    record.originSource = "the centre of the control points, or none given";
  }
}

void recordFootprint(Mode mode, const ProcessContext& process, FileRecord& file,
                     const RunRecord& record) {
  if (mode == Mode::toZone) {
    file.footprint = zoneFootprint(file.outputBounds, process.globalzonecode);
  } else if (record.origin) {
    file.footprint = enuFootprint(
        mode == Mode::projectToEnu ? file.outputBounds : file.inputBounds, *record.origin);
  }
}

// Writes the report of a run that ended with `status`; the residual warnings go to standard
// error. A report that cannot be written fails a run that had succeeded.
int writeReport(const Options& options, const CoordTranslateInfo& local, RunRecord& record,
                int status) {
  const double threshold = positiveNumber(options.maxresidual).value_or(0.05);
  if (!record.succeeded) {
    record.outcome = "The run failed (exit status 255): the message is on standard output, "
                     "the reason on standard error. Files listed below were written.";
  } else {
    record.outcome = "convert success!!";
  }
  std::vector<ControlFitReport> fits;
  for (const ProjectDefinition& definition : local.projects) {
    if (!definition.isControlPoints()) continue;
    fits.push_back(reportControlFit(definition));
    const ControlFitReport& fit = fits.back();
    for (std::size_t i = 0; i < fit.points.size(); ++i) {
      const ControlPointResidual& p = fit.points[i];
      if (!exceeds(p, threshold)) continue;
      char text[200];
      std::snprintf(text, sizeof text,
                    "control point %zu: residual east %.4f, north %.4f, up %.4f m exceeds "
                    "-maxresidual=%g m",
                    i + 1, p.residual.x, p.residual.y, p.residual.z, threshold);
      warn("\"" + fit.projectid + "\" " + text);
    }
  }
  std::string error;
  if (!writeTextFile(options.report, renderReportHtml(record, local, fits, threshold), &error)) {
    if (status != 0) {
      warn("the report could not be written: " + error);
      return status;
    }
    return fail("write file error!!\n", error);
  }
  return status;
}

std::uint64_t fileSizeOrZero(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<std::uint64_t>(size);
}


// Converts every file once the coordinate file is read (0 when all were written, without the
// success message); fills `record` (when not null) for the report.
int convertParsed(const Options& options, ProcessContext& process, CoordTranslateInfo& local,
                  const std::vector<std::string>& files, RunRecord* record);

int run(const Options& options, ProcessContext& process) {
  const std::vector<std::string> files = inputFiles(options.input);
  if (!options.report.empty()) {
    const std::optional<double> threshold = positiveNumber(options.maxresidual);
    if (!threshold) {
      return fail("maxresidual set error!!\n",
                  "-maxresidual: expected a positive number of metres, got '" +
                      options.maxresidual + "'");
    }
  }

  if (!threadCount(options.threads)) {
    return fail("threads set error!!\n", "-threads: expected a whole number from 0 to " +
                                              std::to_string(kMaxThreads) + ", got '" +
                                              options.threads + "'");
  }

  if (options.baseonly == "1") {
    const char* why = options.toProj == "1" || options.bENU == "1"
                          ? "-baseonly=1 needs project -> ENU (-toProj=0, -bENU=0)"
                      : options.base.empty()       ? "-baseonly=1 needs -base=FILE"
                      : !options.inputbase.empty() ? "-baseonly=1 computes the base point: "
                                                     "-inputbase cannot be given"
                                                   : nullptr;
    if (why != nullptr) return fail("baseonly set error!!\n", why);
  }

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

  int status = 0;
  if (options.report.empty()) {
    status = convertParsed(options, process, local, files, nullptr);
  } else {
    RunRecord record;
    record.coordPath = options.coord;
    const auto start = std::chrono::steady_clock::now();
    status = convertParsed(options, process, local, files, &record);
    record.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    status = writeReport(options, local, record, status);
  }
  if (status == 0) std::fputs("convert success!!\n", stdout);
  return status;
}

int convertParsed(const Options& options, ProcessContext& process, CoordTranslateInfo& local,
                  const std::vector<std::string>& files, RunRecord* record) {
  std::string error;
  // -baseonly=1 (checked in run): the base point only; -output is not looked at.
  const bool baseOnly = options.baseonly == "1";
  if (options.output.empty() && !baseOnly) {
    return fail("output set error!!\n", "no output path given (-output)");
  }
  const bool readTwice = options.toProj != "1" && options.bENU != "1" &&
                         options.inputbase.empty() && !baseOnly;
  const std::string output = baseOnly ? std::string() : options.output;
  if (const int status = reportPathCheck(checkRunPaths(output, options.base, files, readTwice))) {
    return status;
  }
  // The report must not replace an input either.
  if (!options.report.empty()) {
    if (const int status = reportPathCheck(checkRunPaths(output, options.report, files, false))) {
      return status;
    }
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
  EnuOrigin& origin = mode == Mode::toZone ? process.origin : *local.origin;
  if (mode == Mode::projectToEnu && inputbase) {
    origin.lon = inputbase->lon;
    origin.lat = inputbase->lat;
  } else if (mode == Mode::enuToProject) {
    setEnuInputOrigin(inputbase, local);
  }
  const unsigned threads = threadCount(options.threads).value_or(1);
  Converter converter(model, origin);
  RunState state(converter);
  ConverterScratch scratch;
  if (mode == Mode::projectToEnu && !inputbase) {
    bool moved = false;
    if (const int status =
            setBasePoint(options, files, threads, converter, scratch, state, origin, moved);
        status != 0) {
      return status;
    }
    if (moved) converter = converter.withOrigin(origin, state);
  }
  if (baseOnly) {
    if (record != nullptr) {
      recordMode(mode, options, local, process, *record);
      record->succeeded = true;
    }
    return 0;
  }
  if (record != nullptr) recordMode(mode, options, local, process, *record);

  // Why the last vertex failed, as the conversion knows it.
  std::string failure;
  // The boxes of the file being converted, for the report.
  FileRecord* tracked = nullptr;
  auto convertWith = [&](auto convertPoint) {
    return [&, convertPoint](const double* in, double* out) {
      Point3 result{};
      const bool converted = convertPoint(Point3{in[0], in[1], in[2]}, result);
      state.record(converter, scratch.trace());
      if (!converted) return false;
      out[0] = result.x;
      out[1] = result.y;
      out[2] = result.z;
      if (tracked != nullptr) {
        tracked->inputBounds.add(in);
        tracked->outputBounds.add(out);
      }
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
  // The same in batches: in lanes where the run allows it (same bits), else one by one.
  auto track = [&](const double* in, const double* out) {
    if (tracked != nullptr) {
      tracked->inputBounds.add(in);
      tracked->outputBounds.add(out);
    }
  };
  LaneBatch zoneLanes(converter, ConversionKind::projectToZone);
  LaneBatch projectLanes(converter, ConversionKind::enuToProject);
  LaneBatch enuLanes(converter, ConversionKind::projectToEnu);
  auto toZoneMany = [&](const double* in, double* out, std::size_t count) {
    return zoneLanes.convert(state.zones(), in, out, count, toZone, track);
  };
  auto toProjectMany = [&](const double* in, double* out, std::size_t count) {
    return projectLanes.convert(state.zones(), in, out, count, toProject, track);
  };
  auto toEnuMany = [&](const double* in, double* out, std::size_t count) {
    return enuLanes.convert(state.zones(), in, out, count, toEnu, track);
  };

  const bool showProgress =
      options.progress == "1" || (options.progress != "0" && isTerminal(stderr));
  std::uint64_t totalBytes = 0;
  if (showProgress) {
    for (const std::string& path : files) totalBytes += fileSizeOrZero(path);
  }
  ProgressLine progress(stderr, showProgress, totalBytes, files.size());

  for (std::size_t index = 0; index < files.size(); ++index) {
    const std::string& path = files[index];
    const std::string outputPath = makeOutputPath(options.output, path);
    if (showProgress) progress.startFile(index + 1, path, fileSizeOrZero(path));
    FileRecord file;
    if (record != nullptr) tracked = &file;
    ConvertOutcome outcome;
    if (threads == 1) {
      const VertexConversion convert = mode == Mode::toZone ? VertexConversion(toZone, toZoneMany)
                                       : mode == Mode::enuToProject
                                           ? VertexConversion(toProject, toProjectMany)
                                           : VertexConversion(toEnu, toEnuMany);
      outcome = convertObjFile(path, outputPath, convert, kBlock, &progress);
    } else {
      const ConversionKind kind = mode == Mode::toZone         ? ConversionKind::projectToZone
                                  : mode == Mode::enuToProject ? ConversionKind::enuToProject
                                                               : ConversionKind::projectToEnu;
      VertexBoxes boxes;
      outcome = convertObjFileThreaded(path, outputPath, converter, state, kind, threads,
                                       kThreadedBlock, &progress, &boxes);
      if (record != nullptr && outcome.status == ConvertStatus::converted) {
        file.inputBounds.min = boxes.inMin;
        file.inputBounds.max = boxes.inMax;
        file.outputBounds.min = boxes.outMin;
        file.outputBounds.max = boxes.outMax;
      }
    }
    progress.erase();
    if (outcome.status != ConvertStatus::converted) {
      ConvertOutcome reported = outcome;
      if (reported.status == ConvertStatus::convertFailed && !failure.empty()) {
        reported.detail += ": " + failure;
      }
      return reportConversionFailure(reported, path);
    }
    for (const std::string& warning : outcome.warnings) warn(path + ": " + warning);
    progress.finishFile(outcome.vertexCount);
    if (record != nullptr) {
      file.input = path;
      file.output = outputPath;
      file.vertexCount = outcome.vertexCount;
      recordFootprint(mode, process, file, *record);
      record->files.push_back(std::move(file));
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
  progress.summary();
  if (record != nullptr) record->succeeded = true;
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
  gflags::SetVersionString(versionText());
  gflags::ParseCommandLineFlags(&argc, &argv, true);
  const Options options{FLAGS_input,     FLAGS_output, FLAGS_coord,  FLAGS_base,
                        FLAGS_inputbase, FLAGS_bENU,   FLAGS_toProj, FLAGS_report,
                        FLAGS_maxresidual, FLAGS_progress, FLAGS_threads, FLAGS_baseonly};
  gflags::ShutDownCommandLineFlags();

  return run(options, process);
}
