#include "run/manifest_writing.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/sha256.h"
#include "platform/file_identity.h"
#include "report/batch_manifest.h"
#include "run/report_gathering.h"
#include "run/worker_pool.h"

namespace {

std::uint64_t sizeOrZero(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

std::optional<RunFailure> writeRunManifest(const RunPlan& plan, const RunRecord& record,
                                           const std::optional<RunFailure>& failure) {
  const RunOptions& options = plan.options;
  Manifest manifest;
  manifest.version = QUORVEX_VERSION;
  manifest.flags = options.batch.givenFlags;
  manifest.coordPath = options.coord;
  std::string ignored;
  if (!sha256OfFile(options.coord, manifest.coordSha256, &ignored)) manifest.coordSha256.clear();
  manifest.mode = modeName(options.mode);
  if (options.batch.shard) manifest.shard = shardText(*options.batch.shard);
  manifest.batchFiles = plan.batch.files;
  manifest.batchSha256 = plan.batch.digest;
  manifest.origin = record.origin;
  manifest.originSource = record.originSource;
  manifest.succeeded = !failure;
  manifest.message = failure ? fixedMessageText(failure->message) : "convert success!!";
  if (failure) manifest.detail = failure->detail;
  std::set<int> zones;
  std::vector<std::string> hashErrors(plan.inputs.size());
  manifest.files.resize(plan.inputs.size());
  {
    WorkerPool pool(options.threads);
    for (std::size_t i = 0; i < plan.inputs.size(); ++i) {
      ManifestFile& file = manifest.files[i];
      file.input = plan.inputs[i];
      file.inputBytes = sizeOrZero(file.input);
      if (i < record.files.size()) {
        const FileRecord& written = record.files[i];
        file.status = ManifestFile::Status::written;
        file.output = written.output;
        file.vertices = written.vertexCount;
        file.zone = written.zoneCode;
        file.roundTrip = written.roundTrip;
        if (written.zoneCode) zones.insert(*written.zoneCode);
        // A device or FIFO written directly has no bytes to read back.
        if (!isRegularFile(file.output)) continue;
        pool.post([&file, &error = hashErrors[i]] {
          file.outputBytes = sizeOrZero(file.output);
          if (!sha256OfFile(file.output, file.outputSha256, &error)) file.outputSha256.clear();
        });
      } else if (failure && record.failedInput == i) {
        file.status = ManifestFile::Status::failed;
        file.message = fixedMessageText(failure->message);
        file.detail = failure->detail;
      }
    }
    pool.finish();
  }
  for (const std::string& error : hashErrors) {
    if (!error.empty()) return RunFailure{RunMessage::writeFile, "-manifest: " + error};
  }
  manifest.zones.assign(zones.begin(), zones.end());
  std::string error;
  if (!writeTextFile(options.batch.manifest, manifestJson(manifest), &error)) {
    return RunFailure{RunMessage::writeFile, error};
  }
  return std::nullopt;
}
