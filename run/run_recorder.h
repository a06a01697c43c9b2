#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "coordinfo/bounds3.h"
#include "pipeline/converter.h"
#include "report/run_record.h"
#include "run/file_result.h"
#include "run/material_plan.h"
#include "run/run_failure.h"
#include "run/run_output.h"
#include "run/run_plan.h"

// What a run makes of its files' results, in file order: the run record (the report's and the
// manifest's), the warnings of each file and of the whole run, and, in the zone mode, the code
// of each file printed and written to -base.
class RunRecorder {
 public:
  // `globalZoneCode`: the code printed for a file without vertices (the coordinate file's).
  RunRecorder(const RunPlan& plan, const Converter& converter, int32_t globalZoneCode,
              RunOutput& output, RunRecord& record);

  // File `index`, converted (result.outcome converted). A failure when its zone code cannot be
  // printed or written.
  [[nodiscard]] std::optional<RunFailure> converted(std::size_t index, const FileResult& result);
  // The run stopped at file `index`.
  void failed(std::size_t index) { record_.failedInput = index; }
  // After the last file: the warnings of the whole run.
  void finish();

  // Zone mode: the files by the zone of their vertices.
  const std::map<int32_t, std::size_t>& filesOnZone() const { return filesOnZone_; }

 private:
  const RunPlan& plan_;
  const Converter& converter_;
  int32_t globalZoneCode_;
  RunOutput& output_;
  RunRecord& record_;
  std::vector<double> meridians_;  // of the definitions with a projection
  std::map<int32_t, std::size_t> filesOnZone_;
  MissingLibraries missingLibraries_;
  Bounds3 enuBox_;  // project -> ENU: the box of every vertex written
};
