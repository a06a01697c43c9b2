#include "run/conversion_run.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "coordinfo/process_context.h"
#include "geodesy/standard_frames.h"
#include "geodesy/zone.h"
#include "parser/parse_coord_translate_info.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"
#include "platform/atomic_file.h"
#include "platform/file_copy.h"
#include "platform/file_identity.h"
#include "platform/filesystem.h"
#include "platform/interrupt_cleanup.h"
#include "platform/read_text_file.h"
#include "platform/terminal.h"
#include "report/progress_line.h"
#include "run/bounds_scan.h"
#include "run/computed_base_point.h"
#include "run/dry_run.h"
#include "run/enu_origin_choice.h"
#include "run/file_sequence.h"
#include "run/frame_warnings.h"
#include "run/metadata_frame.h"
#include "run/manifest_writing.h"
#include "run/report_gathering.h"
#include "run/round_trip_sampler.h"
#include "run/run_recorder.h"

namespace {

std::uint64_t fileSizeOrZero(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<std::uint64_t>(size);
}

RunFailure conversionFailure(const ConvertOutcome& outcome, const std::string& path) {
  const std::string where = path + ":" + std::to_string(outcome.line) + ": " + outcome.detail;
  switch (outcome.status) {
    case ConvertStatus::openFailed: return {RunMessage::openObj, path + ": " + outcome.detail};
    case ConvertStatus::shortVertexLine: return {RunMessage::vertexLine, where};
    case ConvertStatus::convertFailed: return {RunMessage::convertVertex, where};
    case ConvertStatus::writeFailed: return {RunMessage::writeFile, outcome.detail};
    case ConvertStatus::converted: break;
  }
  return {};
}

// What the run prints as it goes, in order: label lines on standard output, and each fit
// failure reason once per run on standard error, however many times a fit reports it.
class Console {
 public:
  explicit Console(RunOutput& output) : output_(output) {}

  [[nodiscard]] bool print(const std::string& out, const std::string& err) {
    std::size_t start = 0;
    while (start < err.size()) {
      std::size_t end = err.find('\n', start);
      if (end == std::string::npos) end = err.size();
      std::string line = err.substr(start, end - start);
      if (!line.empty() && reasons_.insert(line).second) output_.note(line);
      start = end + 1;
    }
    return out.empty() || output_.out(out);
  }

  [[nodiscard]] bool drain(RunState& state) {
    if (!state.hasPrinted()) return true;
    const RunState::Printed printed = state.takePrinted();
    return print(printed.out, printed.err);
  }

 private:
  RunOutput& output_;
  std::set<std::string> reasons_;
};

// Whether a zone code names an EPSG code of the CGCS2000 3-degree zones by central meridian
// (4534..4554): the code of a zone is one where the zone lies in the table.
bool isZoneEpsgCode(int32_t code) {
  const std::optional<ProjectedFrame> frame = standardFrame(code);
  return frame && frame->centralMeridian == zoneCentralMeridian(code) &&
         frame->falseEasting == 500000.0 && frame->scale == 1.0;
}

const RunFailure kStandardOutputFailed{RunMessage::none,
                                       "standard output could not be written"};

class Run {
 public:
  Run(const RunPlan& plan, RunOutput& output)
      : plan_(plan), options_(plan.options), output_(output), console_(output) {
    local_.origin = &localOrigin_;
  }

  std::optional<RunFailure> parse();
  std::optional<RunFailure> convertRun();
  // Whether the run got past its checks to read an input's vertices or write a file: a
  // failure before is a refusal, one after is the run's (see runConversion).
  bool started() const { return started_; }
  std::optional<RunFailure> writeReport(bool succeeded, double seconds);
  // After a failure: the folders the run created that stayed empty, deepest first.
  void removeEmptyCreatedFolders() const;
  std::optional<RunFailure> writeManifest(const std::optional<RunFailure>& failure) const {
    return writeRunManifest(plan_, record_, failure);
  }

 private:
  std::optional<RunFailure> convertFiles(const Converter& converter, RunState& state,
                                         ProgressLine& progress);
  std::optional<RunFailure> writeGivenBasePoint();
  std::optional<RunFailure> checkMetadata();
  std::optional<RunFailure> chooseOrigin();
  std::optional<RunFailure> writeMetadata(const std::map<int32_t, std::size_t>& filesOnZone);
  std::optional<RunFailure> checkReadableTwice() const;
  std::optional<RunFailure> writeBounds();
  std::optional<RunFailure> createFolders();
  std::optional<RunFailure> copyMaterials(std::size_t index, std::size_t& next);
  bool showProgress() const {
    return options_.progress == ProgressChoice::on ||
           (options_.progress == ProgressChoice::automatic &&
            output_.progressStream() != nullptr && isTerminal(output_.progressStream()));
  }
  std::optional<RunFailure> drain(RunState& state) {
    if (console_.drain(state)) return std::nullopt;
    return kStandardOutputFailed;
  }

  const RunPlan& plan_;
  const RunOptions& options_;
  RunOutput& output_;
  Console console_;
  ProcessContext process_;
  EnuOrigin localOrigin_;
  CoordTranslateInfo local_;
  RunRecord record_;
  std::vector<std::string> createdFolders_;  // outermost first
  CleanupFolders interruptFolders_;           // the same, removed when empty on a signal
  MetadataFrame metadataFrame_;  // what the metadata.xml read says for this run
  OriginSource originSource_ = OriginSource::none;
  bool started_ = false;
};

std::optional<RunFailure> Run::parse() {
  const std::string text = readTextFile(options_.coord);
  if (text.empty()) {
    return RunFailure{RunMessage::coordfileEmpty,
                      "coordinate file '" + options_.coord + "' cannot be read or is empty"};
  }
  std::string error;
  std::vector<std::string> warnings;
  ParseConsole console;
  const bool parsed = parseCoordinateViews(text, local_, process_, &error, &warnings, &console);
  if (!console_.print(console.out, console.err)) return kStandardOutputFailed;
  if (!parsed) {
    return RunFailure{RunMessage::parseCoordTranslateInfo, options_.coord + ": " + error};
  }
  for (const std::string& warning : warnings) output_.warn(options_.coord + ": " + warning);
  record_.coordPath = options_.coord;
  return checkMetadata();
}

// The frame the metadata.xml read names, against the mode and the definitions.
std::optional<RunFailure> Run::checkMetadata() {
  if (!plan_.metadata.metadata) return std::nullopt;
  const bool toZone = options_.mode == ConversionKind::projectToZone;
  metadataFrame_ = checkMetadataFrame(plan_.metadata.readPath, *plan_.metadata.metadata,
                                      options_.mode, toZone ? process_.info : local_);
  for (const std::string& warning : metadataFrame_.warnings) output_.warn(warning);
  return metadataFrame_.failure;
}

// The run's ENU origin (chooseEnuOrigin): in ENU -> project a given one must be the one the
// metadata.xml read states, to 1e-6 degrees; one taken from it is said on standard error.
std::optional<RunFailure> Run::chooseOrigin() {
  const std::optional<BasePoint>& stated = metadataFrame_.enuOrigin;
  const std::string& path = plan_.metadata.readPath;
  const OriginChoice choice = chooseEnuOrigin(options_.mode, options_.inputbase, stated, local_);
  originSource_ = choice.source;
  record_.originSource = choice.text;
  if (choice.source == OriginSource::metadata) {
    record_.originSource = "<SRS> of " + path;
    output_.note("the ENU origin is <SRS>" + formatBasePoint(*stated) + "</SRS> of '" + path +
                 "' (latitude first)");
  } else if (stated && options_.mode == ConversionKind::enuToProject) {
    constexpr double kSameDegrees = 1e-6;
    if (std::fabs(std::remainder(localOrigin_.lon - stated->lon, 360.0)) > kSameDegrees ||
        std::fabs(localOrigin_.lat - stated->lat) > kSameDegrees) {
      return RunFailure{RunMessage::inputbaseSet,
                        "the ENU origin " + choice.text + " gives, longitude " +
                            std::to_string(localOrigin_.lon) + ", latitude " +
                            std::to_string(localOrigin_.lat) + ", is not the one '" + path +
                            "' states, <SRS>" + formatBasePoint(*stated) +
                            "</SRS> (latitude first): longitude " + std::to_string(stated->lon) +
                            ", latitude " + std::to_string(stated->lat)};
    }
  }
  if (!choice.warning.empty()) output_.warn(choice.warning);
  return std::nullopt;
}

std::optional<RunFailure> Run::convertRun() {
  const ConversionKind mode = options_.mode;
  // A part's bounds do not depend on the origin: no origin is chosen (a dry run shows the one
  // -baseonly=1 over this part would write).
  if (!options_.batch.boundsOnly.empty() && !options_.dryRun) {
    started_ = true;
    return writeBounds();
  }
  const bool toZone = mode == ConversionKind::projectToZone;
  // Parse, prepare, convert: the converter is built from the parsed model and the run's
  // origin; the order-dependent state (fit label lines, zones fixed by a first point) is
  // `state`, advanced after every conversion in file order.
  const CoordTranslateInfo& model = toZone ? process_.info : local_;
  EnuOrigin& origin = toZone ? process_.origin : localOrigin_;
  record_.mode = modeName(mode);
  if (auto failure = chooseOrigin()) return failure;
  // -baseonly writes the origin a converting run uses: the file's "basepoint" as given.
  const bool computeBase = originSource_ == OriginSource::computed;
  const bool givenBase =
      originSource_ == OriginSource::basepoint && mode == ConversionKind::projectToEnu;
  if (givenBase && !options_.baseOnly && plan_.writesBase) {
    output_.warn("'" + options_.base + "' is not written: the ENU origin is the \"basepoint\" "
                 "of the coordinate file");
  }
  Converter converter(model, origin);
  for (const std::string& warning : converter.frameEllipsoid().warnings) output_.warn(warning);
  if (plan_.metadata.metadata) converter.setInputOffset(plan_.metadata.metadata->origin);
  RunState state(converter);
  if (options_.dryRun) {
    return dryRun(plan_, model, converter, state, computeBase, record_.originSource, output_);
  }
  if (computeBase) {
    if (options_.batch.shard && !options_.baseOnly) {
      return RunFailure{RunMessage::shardSet,
                        "-shard=" + shardText(*options_.batch.shard) + " converts a part of the "
                        "batch, whose base point is the batch's: give it as -inputbase (from "
                        "-boundsonly per part and -mergebounds), not computed from this part"};
    }
    if (auto failure = checkReadableTwice()) return failure;
  }
  // A merge reads the bounds files only: parts that do not belong together are refused.
  MergedBounds merged;
  if (computeBase && !plan_.mergeParts.empty()) {
    merged = batchBounds(plan_);
    if (merged.failure) return merged.failure;
  }
  started_ = true;
  if (givenBase && options_.baseOnly) {
    if (auto failure = writeGivenBasePoint()) return failure;
  }
  const bool show = showProgress();
  std::uint64_t totalBytes = 0;
  if (show) {
    for (const std::string& path : plan_.inputs) totalBytes += fileSizeOrZero(path);
    if (computeBase && !options_.baseOnly) totalBytes *= 2;  // read for the base point first
  }
  ProgressLine progress(output_.progressStream(), show, totalBytes, plan_.inputs.size());
  if (computeBase) {
    if (plan_.mergeParts.empty()) {
      ScanProgress scanProgress(progress, plan_.inputs, fileSizeOrZero);
      progress.setScanning(true);
      merged = batchBounds(plan_, show ? &scanProgress : nullptr);
      progress.setScanning(false);
      progress.erase();
    }
    const MergedBounds& bounds = merged;
    if (bounds.failure) return bounds.failure;
    if (bounds.bounds.status != VertexBounds::Status::ok) {
      for (std::size_t i = 0; i < plan_.inputs.size(); ++i) {
        if (plan_.inputs[i] == bounds.bounds.path) record_.failedInput = i;
      }
    }
    // A merge takes the offset its parts were scanned with (they agree: mergeBoundsParts).
    if (!plan_.mergeParts.empty()) {
      const std::array<double, 3> offset = bounds.srsOrigin.value_or(std::array<double, 3>{});
      converter.setInputOffset({offset[0], offset[1], offset[2]});
    }
    const ComputedBasePoint base = basePointFromBounds(bounds.bounds, converter, state);
    if (auto failure = drain(state)) return failure;
    if (base.failure) return base.failure;
    // Without -baseonly the conversion that follows warns of the same files.
    if (options_.baseOnly) {
      for (const std::string& warning : base.warnings) output_.warn(warning);
    }
    if (!base.origin) {
      output_.warn("the inputs hold no vertex: no base point is computed" +
                   std::string(options_.base.empty()
                                   ? ""
                                   : " and '" + options_.base + "' is not written"));
    } else {
      origin = *base.origin;
      std::string error;
      if (plan_.writesBase &&
          !writeTextFile(options_.base, formatBasePoint({origin.lon, origin.lat}), &error)) {
        return RunFailure{RunMessage::writeFile, error};
      }
      converter = converter.withOrigin(origin, state.boundariesSeen());
    }
  }
  if (!toZone) record_.origin = *local_.origin;
  if (toZone) record_.zoneCode = process_.globalzonecode;
  if (options_.baseOnly) {
    if (computeBase) progress.summary();
    return std::nullopt;
  }
  return convertFiles(converter, state, progress);
}

// -baseonly=1 with the coordinate file's "basepoint": the base file names it, to the bit, as
// -inputbase reads it.
std::optional<RunFailure> Run::writeGivenBasePoint() {
  const EnuOrigin& origin = *local_.origin;
  std::string error;
  if (!writeTextFile(options_.base, formatBasePointExact({origin.lon, origin.lat}), &error)) {
    return RunFailure{RunMessage::writeFile, error};
  }
  output_.note("'" + options_.base + "' holds the \"basepoint\" of the coordinate file, the " +
               "ENU origin of every run converting with it (no vertex was read)");
  return std::nullopt;
}

// The base point reads every input once before converting it: a FIFO cannot be read twice.
std::optional<RunFailure> Run::checkReadableTwice() const {
  if (options_.baseOnly) return std::nullopt;
  for (const std::string& input : plan_.inputs) {
    if (pathExists(input) && !isRegularFile(input)) {
      return RunFailure{RunMessage::openObj,
                        "'" + input + "' is not a regular file, so it cannot be read twice " +
                            "(for the base point, then to convert it); give the base point " +
                            "with -inputbase"};
    }
  }
  return std::nullopt;
}

// -boundsonly: the bounds of this part's inputs, and the warnings of the scan.
std::optional<RunFailure> Run::writeBounds() {
  std::vector<std::string> warnings;
  auto failure = writeBoundsPart(plan_, warnings);
  for (const std::string& warning : warnings) output_.warn(warning);
  return failure;
}

// The folders the plan found missing, just before the first file is written into them.
std::optional<RunFailure> Run::createFolders() {
  for (const std::string& folder : plan_.foldersToCreate) {
    std::string error;
    const std::size_t before = createdFolders_.size();
    // Made and handed to the signal handler as one step: a signal leaves none behind empty.
    const CleanupCreationGuard creation;
    const bool made = ::createFolders(folder, &error, &createdFolders_);
    for (std::size_t i = before; i < createdFolders_.size(); ++i) {
      interruptFolders_.add(createdFolders_[i].c_str());
    }
    if (!made) return RunFailure{RunMessage::writeFile, error};
  }
  return std::nullopt;
}

void Run::removeEmptyCreatedFolders() const {
  for (auto it = createdFolders_.rbegin(); it != createdFolders_.rend(); ++it) {
    removeFolderIfEmpty(*it);
  }
}

// The material files the input `index` is the first to need, from copies[next] on.
std::optional<RunFailure> Run::copyMaterials(std::size_t index, std::size_t& next) {
  const std::vector<MaterialCopy>& copies = plan_.materials.copies;
  const CopyWay way =
      options_.materials == MaterialsChoice::link ? CopyWay::link : CopyWay::copy;
  for (; next < copies.size() && copies[next].afterInput == index; ++next) {
    std::string error;
    if (!copyFile(copies[next].source, copies[next].destination, way, &error)) {
      return RunFailure{RunMessage::writeFile, error};
    }
    record_.materialFiles.push_back(copies[next].destination);
  }
  return std::nullopt;
}

std::optional<RunFailure> Run::convertFiles(const Converter& converter, RunState& state,
                                           ProgressLine& progress) {
  const ConversionKind mode = options_.mode;
  if (auto failure = createFolders()) return failure;
  std::size_t nextCopy = 0;
  const bool show = showProgress();
  RunRecorder recorder(plan_, converter, process_.globalzonecode, output_, record_);
  const ConverterWayBack wayBack(converter, mode);
  // Each file's round trip measured on a sample whose stride its size sets.
  FileSequence sequence(plan_.inputs, plan_.outputs, options_.threads,
                        [&](std::size_t, std::optional<std::uint64_t> size) {
                          return std::make_unique<ConversionSettler>(
                              converter, state, mode,
                              RoundTripSampling{&wayBack, sampleStride(size.value_or(0))});
                        });
  for (std::size_t index = 0; index < plan_.inputs.size(); ++index) {
    const std::string& path = plan_.inputs[index];
    if (show) progress.startFile(index + 1, path, fileSizeOrZero(path));
    const FileResult result = sequence.convertFile(index, &progress);
    progress.erase();
    if (auto failure = drain(state)) return failure;
    if (!result.outcome.converted()) {
      recorder.failed(index);
      return conversionFailure(result.outcome, path);
    }
    progress.finishFile(result.outcome.vertexCount, result.roundTrip);
    if (auto failure = recorder.converted(index, result)) return failure;
    // After the file is in the record: a failed copy's report lists what was written.
    if (auto failure = copyMaterials(index, nextCopy)) {
      recorder.failed(index);
      return failure;
    }
  }
  progress.summary();
  recorder.finish();
  return writeMetadata(recorder.filesOnZone());
}

// metadata.xml beside the outputs, last: the one read with <SRS> and <SRSOrigin> of the frame
// the vertices written are in, or none, with the reason.
std::optional<RunFailure> Run::writeMetadata(const std::map<int32_t, std::size_t>& filesOnZone) {
  const std::string& path = plan_.metadata.writePath;
  if (path.empty()) return std::nullopt;
  WrittenSrs srs;
  switch (options_.mode) {
    case ConversionKind::projectToEnu:
      srs.srs = formatBasePoint({local_.origin->lon, local_.origin->lat});
      break;
    case ConversionKind::projectToZone:
      if (filesOnZone.size() > 1) {
        srs.whyNone = "the files lie on " + std::to_string(filesOnZone.size()) + " zones";
      } else if (!record_.zoneCode || !isZoneEpsgCode(*record_.zoneCode)) {
        srs.whyNone = record_.zoneCode ? "zone code " + std::to_string(*record_.zoneCode) +
                                             " is no EPSG code of a CGCS2000 3-degree zone"
                                       : "no vertex was projected onto a zone";
      } else {
        srs.srs = "EPSG:" + std::to_string(*record_.zoneCode);
      }
      break;
    case ConversionKind::enuToProject:
      srs = projectFrameSrs(local_);
      break;
  }
  if (srs.srs.empty()) {
    output_.note("'" + path + "' is not written: " + srs.whyNone);
    return std::nullopt;
  }
  std::string error;
  if (!writeTextFile(path, rewriteModelMetadata(plan_.metadata.text, srs.srs, Point3{}),
                     &error)) {
    return RunFailure{RunMessage::writeFile, error};
  }
  return std::nullopt;
}

std::optional<RunFailure> Run::writeReport(bool succeeded, double seconds) {
  record_.succeeded = succeeded;
  record_.maxClosureMm = options_.maxClosureMm;
  record_.seconds = seconds;
  std::vector<std::string> warnings;
  auto failure = writeRunReport(options_.report, local_, record_, options_.maxResidual, warnings);
  for (const std::string& warning : warnings) output_.warn(warning);
  return failure;
}

}  // namespace

std::optional<RunFailure> runConversion(const RunPlan& plan, RunOutput& output) {
  Run run(plan, output);
  const auto start = std::chrono::steady_clock::now();
  std::optional<RunFailure> failure = run.parse();
  if (!failure) failure = run.convertRun();
  if (failure) run.removeEmptyCreatedFolders();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The records of the run, also of one that failed once started; a run refused before it
  // starts (by the coordinate file, the metadata.xml's frame, the origin, a computed base
  // point it cannot take, the merge's parts) and a dry run write none. The first failure is
  // the run's.
  const bool recorded = run.started();
  std::optional<RunFailure> recordFailure;
  if (recorded && !plan.options.report.empty()) {
    recordFailure = run.writeReport(!failure.has_value(), seconds);
    if (recordFailure && failure) {
      output.warn("the report could not be written: " + recordFailure->detail);
    }
  }
  if (recorded && !plan.options.batch.manifest.empty()) {
    std::optional<RunFailure> manifestFailure = run.writeManifest(failure);
    if (manifestFailure && (failure || recordFailure)) {
      output.warn("the manifest could not be written: " + manifestFailure->detail);
    }
    if (!recordFailure) recordFailure = std::move(manifestFailure);
  }
  return failure ? failure : recordFailure;
}
