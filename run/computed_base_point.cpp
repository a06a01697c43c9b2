#include "run/computed_base_point.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "obj/vertex_bounds.h"
#include "pipeline/base_point.h"
#include "run/file_sequence.h"
#include "run/worker_pool.h"

namespace {

constexpr std::size_t kThreadedBlock = std::size_t{1} << 20;
// The read block of a small file scanned whole (several at once, each with its own).
constexpr std::size_t kSmallRead = std::size_t{256} << 10;

bool smallFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) || error) return false;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return !error && size <= FileSequence::kWholeFileBytes;
}

ComputedBasePoint failed(RunMessage message, std::string detail) {
  ComputedBasePoint result;
  result.failure = RunFailure{message, std::move(detail)};
  return result;
}

}  // namespace

// Small files whole, several at once on a pool, larger ones alone in blocks; the first
// failure in file order wins and the bounds are those of the files before it (min and max do
// not depend on the order they are taken in).
VertexBounds scanBatchBounds(const std::vector<std::string>& files, unsigned threads) {
  if (threads == 1) return scanVertexBounds(files);
  std::vector<VertexBounds> scanned(files.size());
  {
    WorkerPool pool(threads);
    std::vector<std::size_t> large;
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (!smallFile(files[i])) {
        large.push_back(i);
        continue;
      }
      pool.post([&scanned, &files, i] { scanned[i] = scanVertexBounds({files[i]}, kSmallRead); });
    }
    for (const std::size_t i : large) {
      scanned[i] = scanVertexBoundsThreaded({files[i]}, threads, kThreadedBlock);
    }
    pool.finish();
  }
  VertexBounds all;
  for (const VertexBounds& file : scanned) {
    if (file.status != VertexBounds::Status::ok) return file;
    all.merge(file);
    all.vertexCount += file.vertexCount;
    all.warnings.insert(all.warnings.end(), file.warnings.begin(), file.warnings.end());
  }
  return all;
}

std::optional<RunFailure> scanFailure(const VertexBounds& bounds) {
  switch (bounds.status) {
    case VertexBounds::Status::ok: return std::nullopt;
    case VertexBounds::Status::openFailed:
      return RunFailure{RunMessage::openObj, bounds.path + ": " + bounds.detail};
    case VertexBounds::Status::shortVertexLine:
      return RunFailure{RunMessage::vertexLine,
                        bounds.path + ":" + std::to_string(bounds.line) + ": " + bounds.detail};
  }
  return std::nullopt;
}

ComputedBasePoint basePointFromBounds(const VertexBounds& bounds, const Converter& converter,
                                      RunState& state) {
  if (auto failure = scanFailure(bounds)) return {failure, std::nullopt, {}};
  // No vertex, no centre: any base point would be made up.
  if (bounds.vertexCount == 0) return {std::nullopt, std::nullopt, bounds.warnings};
  const Point3 centre{boundsCentre(bounds.min[0], bounds.max[0]),
                      boundsCentre(bounds.min[1], bounds.max[1]),
                      boundsCentre(bounds.min[2], bounds.max[2])};
  Point3 enu{};
  std::string why;
  ConverterScratch scratch;
  const bool converted = converter.projectToEnu(centre, enu, scratch, &why);
  state.record(converter, scratch.trace());
  if (!converted || !std::isfinite(enu.x) || !std::isfinite(enu.y) || !std::isfinite(enu.z)) {
    return failed(RunMessage::convertVertex,
                  "the centre of all vertices could not be converted" +
                      (why.empty() ? std::string() : ": " + why));
  }
  const Point3 geodetic = converter.frame().enuToGeodetic(enu);
  if (!std::isfinite(geodetic.x) || !std::isfinite(geodetic.y)) {
    return failed(RunMessage::convertVertex, "the centre of all vertices has no geodetic position");
  }
  // About the point the base file names, not the unrounded centre (up to 5.5 cm away).
  const BasePoint written = basePointAsWritten({geodetic.x, geodetic.y});
  EnuOrigin origin = converter.origin();
  origin.lon = written.lon;
  origin.lat = written.lat;
  return {std::nullopt, origin, bounds.warnings};
}
