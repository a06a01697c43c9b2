#include "run/run_recorder.h"

#include <string>
#include <utility>

#include "platform/atomic_file.h"
#include "run/frame_warnings.h"
#include "run/report_gathering.h"
#include "run/round_trip_sampler.h"

RunRecorder::RunRecorder(const RunPlan& plan, const Converter& converter,
                         int32_t globalZoneCode, RunOutput& output, RunRecord& record)
    : plan_(plan), converter_(converter), globalZoneCode_(globalZoneCode), output_(output),
      record_(record) {
  for (std::size_t i = 0; i < converter.definitionCount(); ++i) {
    if (const std::optional<double> meridian = converter.centralMeridian(i)) {
      meridians_.push_back(*meridian);
    }
  }
}

std::optional<RunFailure> RunRecorder::converted(std::size_t index, const FileResult& result) {
  const RunOptions& options = plan_.options;
  const ConversionKind mode = options.mode;
  const std::string& path = plan_.inputs[index];
  const ConvertOutcome& outcome = result.outcome;
  for (const std::string& warning : outcome.warnings) output_.warn(path + ": " + warning);
  if (options.materials == MaterialsChoice::none) {
    missingLibraries_.note(path, plan_.outputs[index], outcome.materialLibraries);
  }
  if (result.roundTrip.exceeds(options.maxClosureMm)) {
    output_.warn(roundTripWarning(path, result.roundTrip, options.maxClosureMm));
  }
  FileRecord file;
  file.input = path;
  file.output = plan_.outputs[index];
  file.vertexCount = outcome.vertexCount;
  file.inputBounds = result.inputBox;
  file.outputBounds = result.outputBox;
  file.roundTrip = result.roundTrip;
  // The zone of the file's vertices; a file without any prints the parsed code.
  const int32_t zoneCode = result.zone.value_or(globalZoneCode_);
  if (result.zone) ++filesOnZone_[*result.zone];
  if (mode == ConversionKind::projectToZone) {
    record_.zoneCode = zoneCode;  // as printed
    file.zoneCode = zoneCode;
  }
  recordFootprint(mode, zoneCode, file, record_);
  recordMeridianOffset(mode, meridians_, result.zone, file);
  if (auto warning = meridianWarning(path, file)) output_.warn(*warning);
  if (mode == ConversionKind::projectToEnu) enuBox_.merge(file.outputBounds);
  record_.files.push_back(std::move(file));
  if (mode != ConversionKind::projectToZone) return std::nullopt;
  const std::string zone = std::to_string(zoneCode);
  if (!output_.out(zone + "\n")) {
    return RunFailure{RunMessage::none, "standard output could not be written"};
  }
  std::string error;
  if (plan_.writesBase && !writeTextFile(options.base, zone, &error)) {
    return RunFailure{RunMessage::writeFile, error};
  }
  return std::nullopt;
}

void RunRecorder::finish() {
  for (const std::string& warning : plan_.materials.warnings) output_.warn(warning);
  for (const std::string& warning : missingLibraries_.warnings()) output_.warn(warning);
  if (filesOnZone_.size() > 1) {
    std::string counts;
    for (const auto& [code, files] : filesOnZone_) {
      counts += (counts.empty() ? "" : ", ") + std::to_string(code) + " (" +
                std::to_string(files) + (files == 1 ? " file)" : " files)");
    }
    output_.warn("the files of this run lie on " + std::to_string(filesOnZone_.size()) +
                 " zones: " + counts + "; -base holds the last file's code");
  }
  if (auto warning = farFromOriginWarning(enuBox_, converter_.origin())) output_.warn(*warning);
}
