#include "run/bounds_scan.h"

#include "platform/atomic_file.h"
#include "run/bounds_part.h"
#include "run/computed_base_point.h"
#include "run/report_gathering.h"

std::optional<RunFailure> writeBoundsPart(const RunPlan& plan,
                                          const std::string& coordinateFileSha256,
                                          std::vector<std::string>& warnings) {
  const VertexBounds bounds = scanBatchBounds(plan.inputs, plan.options.threads);
  if (auto failure = scanFailure(bounds)) return failure;
  warnings = bounds.warnings;
  BoundsPart part;
  part.version = QUORVEX_VERSION;
  part.coordinateFileSha256 = coordinateFileSha256;
  part.mode = modeName(plan.options.mode);
  part.batchFiles = plan.batch.files;
  part.batchSha256 = plan.batch.digest;
  part.shard = plan.options.batch.shard;
  part.files = plan.inputs.size();
  part.vertices = bounds.vertexCount;
  part.bounds = bounds;
  std::string error;
  if (!writeTextFile(plan.options.batch.boundsOnly, boundsPartJson(part), &error)) {
    return RunFailure{RunMessage::writeFile, error};
  }
  return std::nullopt;
}
