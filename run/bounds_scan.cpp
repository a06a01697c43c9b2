#include "run/bounds_scan.h"

#include "platform/atomic_file.h"
#include "platform/sha256.h"
#include "run/bounds_part.h"
#include "run/computed_base_point.h"
#include "run/report_gathering.h"

namespace {

// The SHA-256 of the -coord file, which a part records and a merge compares.
std::optional<RunFailure> coordinateFileSha256(const std::string& path, std::string& hex) {
  std::string error;
  if (sha256OfFile(path, hex, &error)) return std::nullopt;
  return RunFailure{RunMessage::coordfileEmpty, error};
}

}  // namespace

MergedBounds batchBounds(const RunPlan& plan, FileProgress* progress) {
  if (plan.mergeParts.empty()) {
    return {std::nullopt, scanBatchBounds(plan.inputs, plan.options.threads, progress), {}};
  }
  std::string sha256;
  if (auto failure = coordinateFileSha256(plan.options.coord, sha256)) return {failure, {}, {}};
  return mergeBoundsParts(plan.mergeParts, sha256, modeName(plan.options.mode));
}

std::optional<RunFailure> writeBoundsPart(const RunPlan& plan,
                                          std::vector<std::string>& warnings) {
  std::string coordinateSha256;
  if (auto failure = coordinateFileSha256(plan.options.coord, coordinateSha256)) return failure;
  const VertexBounds bounds = scanBatchBounds(plan.inputs, plan.options.threads);
  if (auto failure = scanFailure(bounds)) return failure;
  warnings = bounds.warnings;
  BoundsPart part;
  part.version = QUORVEX_VERSION;
  part.coordinateFileSha256 = coordinateSha256;
  part.mode = modeName(plan.options.mode);
  part.batchFiles = plan.batch.files;
  part.batchSha256 = plan.batch.digest;
  part.shard = plan.options.batch.shard;
  if (plan.metadata.metadata) {
    const Point3& origin = plan.metadata.metadata->origin;
    part.srsOrigin = std::array<double, 3>{origin.x, origin.y, origin.z};
  }
  part.files = plan.inputs.size();
  part.vertices = bounds.vertexCount;
  part.bounds = bounds;
  std::string error;
  if (!writeTextFile(plan.options.batch.boundsOnly, boundsPartJson(part), &error)) {
    return RunFailure{RunMessage::writeFile, error};
  }
  return std::nullopt;
}
