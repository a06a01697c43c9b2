#include "run/block_settler.h"

#include <string>
#include <vector>

#include "run/vertex_adapter.h"

namespace {

struct Notes : BlockNotes {
  std::vector<ConversionTrace> traces;  // those that could print something, in order
  // projectToZone: the zones this block fixed itself (definition, code).
  std::vector<std::pair<std::size_t, int32_t>> fixedZones;
  Bounds3 inputBox, outputBox;
  RoundTripTally roundTrip;
  // Zone mode: the file's zone when the block started (from earlier blocks), and its zone at
  // the end (the first vertex's when none was known at the start).
  bool zoneKnownAtStart = false;
  std::optional<int32_t> fileZone;
};


// One worker of many: the zones fixed when its block started (then those it fixes), and the
// traces that could print something kept in the block's notes, to be replayed in file order.
class BlockAdapter : public VertexAdapter {
 public:
  BlockAdapter(const Converter& converter, ConversionKind kind, const RoundTripSampling& sampling)
      : VertexAdapter(converter, kind, sampling), zones_(converter.definitionCount()) {}

  void begin(const ZoneCodes& zones, std::optional<int32_t> knownFileZone, Notes& notes) {
    notes_ = &notes;
    reached_ = 0;
    transformUsed_.assign(converter().definitionCount(), false);
    inputBox = outputBox = Bounds3{};
    if (kind() != ConversionKind::projectToZone) return;
    fileZone = knownFileZone;
    notes.zoneKnownAtStart = knownFileZone.has_value();
    zones_ = zones;
    fixedBefore_.assign(converter().definitionCount(), false);
    for (std::size_t i = 0; i < fixedBefore_.size(); ++i) {
      fixedBefore_[i] = zones_.code(i).has_value();
    }
  }

  void end() {
    notes_->inputBox = inputBox;
    notes_->outputBox = outputBox;
    notes_->roundTrip = takeRoundTrip();
    if (kind() != ConversionKind::projectToZone) return;
    notes_->fileZone = fileZone;
    for (std::size_t i = 0; i < fixedBefore_.size(); ++i) {
      if (fixedBefore_[i]) continue;
      if (const std::optional<int32_t> code = zones_.code(i)) {
        notes_->fixedZones.emplace_back(i, *code);
      }
    }
  }

 protected:
  ZoneCodes& zones() override { return zones_; }

  void traced(const ConversionTrace& trace) override {
    const bool newTransform = trace.controlTransformUsed && trace.chosen &&
                              *trace.chosen < transformUsed_.size() &&
                              !transformUsed_[*trace.chosen];
    if (trace.boundariesReached <= reached_ && !newTransform) return;
    notes_->traces.push_back(trace);
    if (trace.boundariesReached > reached_) reached_ = trace.boundariesReached;
    if (newTransform) transformUsed_[*trace.chosen] = true;
  }

 private:
  ZoneCodes zones_;
  std::vector<bool> fixedBefore_;
  Notes* notes_ = nullptr;
  std::size_t reached_ = 0;  // largest boundariesReached recorded in this block
  std::vector<bool> transformUsed_;
};

class Worker : public BlockWorker {
 public:
  Worker(FileSettler& settler, const Converter& converter, ConversionKind kind,
         const RoundTripSampling& sampling)
      : settler_(settler), adapter_(converter, kind, sampling) {}

  void beginBlock() override;
  bool convert(const double in[3], double out[3], std::string* why) override {
    return adapter_.convert(in, out, why);
  }
  std::size_t convertMany(const double* in, double* out, std::size_t count,
                          std::string* why) override {
    return adapter_.convertMany(in, out, count, why);
  }
  std::unique_ptr<BlockNotes> endBlock() override {
    adapter_.end();
    return std::move(notes_);
  }

 private:
  FileSettler& settler_;
  BlockAdapter adapter_;
  std::unique_ptr<Notes> notes_;
};

void Worker::beginBlock() {
  notes_ = std::make_unique<Notes>();
  const auto [zones, fileZone] = settler_.zones();
  adapter_.begin(zones, fileZone, *notes_);
}

}  // namespace

std::unique_ptr<BlockWorker> FileSettler::makeWorker() {
  return std::make_unique<Worker>(*this, converter_, kind_, sampling_);
}

bool FileSettler::settle(BlockNotes& blockNotes) {
  Notes& notes = static_cast<Notes&>(blockNotes);
  ZoneCodes& zones = state_.zones();
  // A zone fixed by this block that an earlier block has fixed otherwise since it started:
  // the block's vertices through that definition went to the wrong zone.
  for (const auto& [index, code] : notes.fixedZones) {
    const std::optional<int32_t> now = zones.code(index);
    if (now && *now != code) return false;
  }
  // A block converted before the file's zone was known, that began on another zone: its
  // first vertex is the one off the file's zone (and not a later one, as it found).
  if (!notes.zoneKnownAtStart && fileZone_ && notes.fileZone && *notes.fileZone != *fileZone_) {
    return false;
  }
  for (const ConversionTrace& trace : notes.traces) state_.record(converter_, trace);
  bool changed = false;
  for (const auto& [index, code] : notes.fixedZones) {
    if (zones.code(index)) continue;
    zones.fix(index, code);
    changed = true;
  }
  if (!fileZone_ && notes.fileZone) {
    fileZone_ = notes.fileZone;
    changed = true;
  }
  if (changed) {
    std::lock_guard<std::mutex> lock(mutex_);
    published_ = zones;
    publishedFileZone_ = fileZone_;
  }
  if (inputBox_ != nullptr) inputBox_->merge(notes.inputBox);
  if (outputBox_ != nullptr) outputBox_->merge(notes.outputBox);
  if (roundTrip_ != nullptr) roundTrip_->merge(notes.roundTrip);
  return true;
}
