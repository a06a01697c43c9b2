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

// The bounds of every file, scanned with `threads` threads: small files whole, several at once
// on a pool, larger ones alone in blocks; the first failure in file order wins and the bounds
// are those of the files before it (min and max do not depend on the order they are taken in).
VertexBounds scanFiles(const std::vector<std::string>& files, unsigned threads) {
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

ComputedBasePoint failed(RunMessage message, std::string detail) {
  ComputedBasePoint result;
  result.failure = RunFailure{message, std::move(detail)};
  return result;
}

}  // namespace

ComputedBasePoint computeBasePoint(const std::vector<std::string>& files, unsigned threads,
                                   const Converter& converter, RunState& state) {
  const VertexBounds bounds = scanFiles(files, threads);
  if (bounds.status == VertexBounds::Status::openFailed) {
    return failed(RunMessage::openObj, bounds.path + ": " + bounds.detail);
  }
  if (bounds.status == VertexBounds::Status::shortVertexLine) {
    return failed(RunMessage::vertexLine,
                  bounds.path + ":" + std::to_string(bounds.line) + ": " + bounds.detail);
  }
  // No vertex, no centre: any base point would be made up.
  if (bounds.vertexCount == 0) return {std::nullopt, std::nullopt, bounds.warnings};
  ComputedBasePoint base = basePointOfBox(offsetBox(bounds, converter), converter, state);
  base.warnings = bounds.warnings;
  return base;
}

Bounds3 offsetBox(const Bounds3& read, const Converter& converter) {
  // Rounding is monotonic, so the bounds of the offset numbers are the offset bounds, to the
  // bit: the scan need not add the offset to every vertex.
  const double offset[3] = {converter.inputOffset().x, converter.inputOffset().y,
                            converter.inputOffset().z};
  Bounds3 box = read;
  for (int k = 0; k < 3; ++k) {
    box.min[k] += offset[k];
    box.max[k] += offset[k];
  }
  return box;
}

ComputedBasePoint basePointOfBox(const Bounds3& box, const Converter& converter,
                                 RunState& state) {
  const Point3 centre{boundsCentre(box.min[0], box.max[0]),
                      boundsCentre(box.min[1], box.max[1]),
                      boundsCentre(box.min[2], box.max[2])};
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
  return {std::nullopt, origin, {}};
}
