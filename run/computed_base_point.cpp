#include "run/computed_base_point.h"

#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
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

// A one-file scan's progress as that of file `index` of the whole list.
class OneFileProgress : public FileProgress {
 public:
  OneFileProgress(FileProgress* all, std::size_t index) : all_(all), index_(index) {}
  void startFile(std::size_t) override { all_->startFile(index_); }
  void finishFile(std::uint64_t vertices) override { all_->finishFile(vertices); }
  void advanced(std::uint64_t bytesRead) override { all_->advanced(bytesRead); }

 private:
  FileProgress* all_;
  std::size_t index_;
};

// The small files of a scan, each done by the pool in its own time, waited for in file order.
class SmallScans {
 public:
  explicit SmallScans(std::size_t files) : done_(files, false) {}
  void finished(std::size_t i) {
    const std::lock_guard<std::mutex> lock(mutex_);
    done_[i] = true;
    changed_.notify_all();
  }
  void wait(std::size_t i) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this, i] { return done_[i]; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<bool> done_;
};

ComputedBasePoint failed(RunMessage message, std::string detail) {
  ComputedBasePoint result;
  result.failure = RunFailure{message, std::move(detail)};
  return result;
}

}  // namespace

// Small files whole, several at once on a pool, larger ones alone in blocks; the first
// failure in file order wins and the bounds are those of the files before it (min and max do
// not depend on the order they are taken in).
VertexBounds scanBatchBounds(const std::vector<std::string>& files, unsigned threads,
                             FileProgress* progress) {
  if (threads == 1) return scanVertexBounds(files, ObjLineReader::kDefaultBlockSize, progress);
  std::vector<VertexBounds> scanned(files.size());
  VertexBounds all;
  SmallScans smalls(files.size());  // outlives the pool, whose tasks tell it
  {
    WorkerPool pool(threads);
    std::vector<bool> small(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
      small[i] = smallFile(files[i]);
      if (!small[i]) continue;
      pool.post([&scanned, &files, &smalls, i] {
        scanned[i] = scanVertexBounds({files[i]}, kSmallRead);
        smalls.finished(i);
      });
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (small[i]) {
        if (progress != nullptr) progress->startFile(i);
        smalls.wait(i);
        if (progress != nullptr) progress->finishFile(scanned[i].vertexCount);
      } else {
        OneFileProgress one(progress, i);
        scanned[i] = scanVertexBoundsThreaded({files[i]}, threads, kThreadedBlock,
                                              progress != nullptr ? &one : nullptr);
      }
      const VertexBounds& file = scanned[i];
      if (file.status != VertexBounds::Status::ok) return file;  // the pool drops the rest
      all.merge(file);
      all.vertexCount += file.vertexCount;
      all.warnings.insert(all.warnings.end(), file.warnings.begin(), file.warnings.end());
    }
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
