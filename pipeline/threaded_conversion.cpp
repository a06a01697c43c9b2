#include "pipeline/threaded_conversion.h"

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "obj/parallel_obj_convert.h"
#include "pipeline/lane_batch.h"

void VertexBoxes::add(const double in[3], const double out[3]) {
  for (int k = 0; k < 3; ++k) {
    if (in[k] < inMin[k]) inMin[k] = in[k];
    if (in[k] > inMax[k]) inMax[k] = in[k];
    if (out[k] < outMin[k]) outMin[k] = out[k];
    if (out[k] > outMax[k]) outMax[k] = out[k];
  }
}

void VertexBoxes::merge(const VertexBoxes& other) {
  for (int k = 0; k < 3; ++k) {
    if (other.inMin[k] < inMin[k]) inMin[k] = other.inMin[k];
    if (other.inMax[k] > inMax[k]) inMax[k] = other.inMax[k];
    if (other.outMin[k] < outMin[k]) outMin[k] = other.outMin[k];
    if (other.outMax[k] > outMax[k]) outMax[k] = other.outMax[k];
  }
}

namespace {

struct Notes : BlockNotes {
  std::vector<ConversionTrace> traces;  // those that could print something, in order
  // projectToZone: the zones this block fixed itself (definition, code).
  std::vector<std::pair<std::size_t, int32_t>> fixedZones;
  VertexBoxes boxes;
};

class Settler;

class Worker : public BlockWorker {
 public:
  Worker(Settler& settler, const Converter& converter, ConversionKind kind)
      : settler_(settler), converter_(converter), kind_(kind),
        zones_(converter.definitionCount()), lanes_(converter, kind) {}

  void beginBlock() override;
  bool convert(const double in[3], double out[3], std::string* why) override;
  std::size_t convertMany(const double* in, double* out, std::size_t count,
                          std::string* why) override;
  std::unique_ptr<BlockNotes> endBlock() override;

 private:
  Settler& settler_;
  const Converter& converter_;
  ConversionKind kind_;
  ConverterScratch scratch_;
  ZoneCodes zones_;  // the zones fixed when the block started, then those it fixes
  std::vector<bool> fixedBefore_;
  std::unique_ptr<Notes> notes_;
  std::size_t reached_ = 0;  // largest boundariesReached recorded in this block
  std::vector<bool> transformUsed_;
  LaneBatch lanes_;
};

class Settler : public BlockSettler {
 public:
  Settler(const Converter& converter, RunState& state, ConversionKind kind, VertexBoxes* boxes)
      : converter_(converter), state_(state), kind_(kind), boxes_(boxes),
        published_(state.zones()) {}

  std::unique_ptr<BlockWorker> makeWorker() override {
    return std::make_unique<Worker>(*this, converter_, kind_);
  }

  bool settle(BlockNotes& blockNotes) override {
    Notes& notes = static_cast<Notes&>(blockNotes);
    ZoneCodes& zones = state_.zones();
    // A zone fixed by this block that an earlier block has fixed otherwise since it started:
    // the block's vertices through that definition went to the wrong zone.
    for (const auto& [index, code] : notes.fixedZones) {
      const std::optional<int32_t> now = zones.code(index);
      if (now && *now != code) return false;
    }
    for (const ConversionTrace& trace : notes.traces) state_.record(converter_, trace);
    bool changed = false;
    for (const auto& [index, code] : notes.fixedZones) {
      if (zones.code(index)) continue;
      zones.fix(index, code);
      changed = true;
    }
    if (changed) {
      std::lock_guard<std::mutex> lock(mutex_);
      published_ = zones;
    }
    if (boxes_ != nullptr) boxes_->merge(notes.boxes);
    return true;
  }

  // The zones fixed so far, as a block starting now must assume them.
  ZoneCodes zones() {
    std::lock_guard<std::mutex> lock(mutex_);
    return published_;
  }

 private:
  const Converter& converter_;
  RunState& state_;
  ConversionKind kind_;
  VertexBoxes* boxes_;
  std::mutex mutex_;
  ZoneCodes published_;  // a copy of state_.zones() the workers may read under mutex_
};

void Worker::beginBlock() {
  notes_ = std::make_unique<Notes>();
  reached_ = 0;
  transformUsed_.assign(converter_.definitionCount(), false);
  if (kind_ == ConversionKind::projectToZone) {
    zones_ = settler_.zones();
    fixedBefore_.assign(converter_.definitionCount(), false);
    for (std::size_t i = 0; i < fixedBefore_.size(); ++i) {
      fixedBefore_[i] = zones_.code(i).has_value();
    }
  }
}

bool Worker::convert(const double in[3], double out[3], std::string* why) {
  const Point3 p{in[0], in[1], in[2]};
  Point3 result{};
  bool converted = false;
  switch (kind_) {
    case ConversionKind::projectToEnu:
      converted = converter_.projectToEnu(p, result, scratch_, why);
      break;
    case ConversionKind::enuToProject:
      converted = converter_.enuToProject(p, result, scratch_, why);
      break;
    case ConversionKind::projectToZone:
      converted = converter_.projectToZone(p, result, scratch_, zones_, why);
      break;
  }
  const ConversionTrace& trace = scratch_.trace();
  const bool newTransform = trace.controlTransformUsed && trace.chosen &&
                            *trace.chosen < transformUsed_.size() &&
                            !transformUsed_[*trace.chosen];
  if (trace.boundariesReached > reached_ || newTransform) {
    notes_->traces.push_back(trace);
    if (trace.boundariesReached > reached_) reached_ = trace.boundariesReached;
    if (newTransform) transformUsed_[*trace.chosen] = true;
  }
  if (!converted) return false;
  out[0] = result.x;
  out[1] = result.y;
  out[2] = result.z;
  notes_->boxes.add(in, out);
  return true;
}

std::size_t Worker::convertMany(const double* in, double* out, std::size_t count,
                                std::string* why) {
  return lanes_.convert(
      zones_, in, out, count,
      [this, why](const double* one, double* result) { return convert(one, result, why); },
      [this](const double* one, const double* result) { notes_->boxes.add(one, result); });
}

std::unique_ptr<BlockNotes> Worker::endBlock() {
  if (kind_ == ConversionKind::projectToZone) {
    for (std::size_t i = 0; i < fixedBefore_.size(); ++i) {
      if (fixedBefore_[i]) continue;
      if (const std::optional<int32_t> code = zones_.code(i)) {
        notes_->fixedZones.emplace_back(i, *code);
      }
    }
  }
  return std::move(notes_);
}

}  // namespace

ConvertOutcome convertObjFileThreaded(const std::string& inputPath,
                                      const std::string& outputPath, const Converter& converter,
                                      RunState& state, ConversionKind kind, unsigned workers,
                                      std::size_t blockSize, ProgressSink* progress,
                                      VertexBoxes* boxes, ParallelStats* stats) {
  Settler settler(converter, state, kind, boxes);
  return convertObjFileParallel(inputPath, outputPath, settler, workers, blockSize, progress,
                                stats);
}
