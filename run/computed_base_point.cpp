#include "run/computed_base_point.h"

#include <cmath>
#include <memory>

#include "obj/block_pipeline.h"
#include "obj/vertex_bounds.h"
#include "pipeline/base_point.h"
#include "run/file_sequence.h"

namespace {

// The vertices of a scan grow the box of their numbers as read (a NaN moves no bound);
// nothing is converted or written.
struct BoundsBatch {
  Bounds3 box;
  std::size_t convertBatch(const double* in, double* out, std::size_t count, std::string&) {
    for (std::size_t i = 0; i < count; ++i) {
      box.add(in + 3 * i);
      out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = 0.0;  // always finite
    }
    return count;
  }
};

struct BoundsNotes : BlockNotes {
  Bounds3 box;
};

class BoundsWorker : public BlockWorker {
 public:
  void convertBlock(Block& block, bool keep) override {
    BoundsBatch batch;
    rewriteBlock(block, batch, keep);
    block.notes = notesOf(batch);
  }
  void convertRest(ObjLineReader& reader, ObjSink&, Block& block) override {
    BoundsBatch batch;
    block.outcome = scanObjLines(reader, batch);
    block.notes = notesOf(batch);
  }

 private:
  static std::unique_ptr<BlockNotes> notesOf(const BoundsBatch& batch) {
    auto notes = std::make_unique<BoundsNotes>();
    notes->box = batch.box;
    return notes;
  }
};

// A file of the base-point scan: its box in result().inputBox.
class BoundsSettler : public FileSettler {
 public:
  std::unique_ptr<BlockWorker> makeWorker() override { return std::make_unique<BoundsWorker>(); }
  bool settle(BlockNotes& notes) override {
    box_.merge(static_cast<BoundsNotes&>(notes).box);
    return true;
  }
  FileResult result() const override {
    FileResult result;
    result.inputBox = box_;
    return result;
  }

 private:
  Bounds3 box_;
};

ComputedBasePoint failed(RunMessage message, std::string detail) {
  ComputedBasePoint result;
  result.failure = RunFailure{message, std::move(detail)};
  return result;
}

}  // namespace

// The files as a run converts them (FileSequence), only read; the first failure in file order
// stops the scan.
VertexBounds scanBatchBounds(const std::vector<std::string>& files, unsigned threads,
                             FileProgress* progress) {
  VertexBounds all;
  const std::vector<std::string> noOutputs;
  FileSequence sequence(files, noOutputs, threads,
                        [](std::size_t, std::optional<std::uint64_t>) {
                          return std::make_unique<BoundsSettler>();
                        });
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (progress != nullptr) progress->startFile(i);
    const FileResult file = sequence.convertFile(i, progress);
    const ConvertOutcome& outcome = file.outcome;
    if (progress != nullptr) progress->finishFile(outcome.vertexCount);
    for (const std::string& warning : outcome.warnings) {
      all.warnings.push_back(files[i] + ": " + warning);
    }
    if (!outcome.converted()) {
      all.status = outcome.status == ConvertStatus::shortVertexLine
                       ? VertexBounds::Status::shortVertexLine
                       : VertexBounds::Status::openFailed;
      all.path = files[i];
      all.line = outcome.line;
      all.detail = outcome.detail;
      return all;
    }
    all.merge(file.inputBox);
    all.vertexCount += outcome.vertexCount;
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
