#include "run/file_settler.h"

#include <string>

#include "obj/obj_rewriting.h"
#include "run/vertex_batch.h"

namespace {

struct Notes : BlockNotes {
  BatchNotes batch;
};

// One thread's blocks: each converted by its VertexBatch about the zones as they are when the
// block starts.
class Worker : public BlockWorker {
 public:
  Worker(ConversionSettler& settler, const Converter& converter, ConversionKind kind,
         const RoundTripSampling& sampling, LaneKernel kernel)
      : settler_(settler), batch_(converter, kind, sampling, kernel) {}

  void convertBlock(Block& block, bool keep) override {
    begin();
    rewriteBlock(block, batch_, keep);
    block.notes = end();
  }
  void convertRest(ObjLineReader& reader, ObjSink& output, Block& block) override {
    begin();
    block.outcome = rewriteObjLines(reader, output, batch_);
    block.notes = end();
  }

 private:
  void begin() {
    const auto [zones, fileZone] = settler_.zones();
    batch_.begin(zones, fileZone);
  }
  std::unique_ptr<BlockNotes> end() {
    auto notes = std::make_unique<Notes>();
    notes->batch = batch_.end();
    return notes;
  }

  ConversionSettler& settler_;
  VertexBatch batch_;
};

}  // namespace

std::unique_ptr<BlockWorker> ConversionSettler::makeWorker() {
  return std::make_unique<Worker>(*this, converter_, kind_, sampling_, kernel_);
}

bool ConversionSettler::settle(BlockNotes& blockNotes) {
  const BatchNotes& notes = static_cast<Notes&>(blockNotes).batch;
  ZoneCodes& zones = state_.zones();
  // A zone fixed by this block that an earlier block has fixed otherwise since it started:
  // the block's vertices through that definition went to the wrong zone.
  for (const auto& [index, code] : notes.fixedZones) {
    const std::optional<int32_t> now = zones.code(index);
    if (now && *now != code) return false;
  }
  // A block converted before the file's zone was known, that began on another zone: its
  // first vertex is the one off the file's zone (and not a later one, as it found).
  if (!notes.zoneKnownAtStart && result_.zone && notes.fileZone &&
      *notes.fileZone != *result_.zone) {
    return false;
  }
  for (const ConversionTrace& trace : notes.traces) state_.record(converter_, trace);
  bool changed = false;
  for (const auto& [index, code] : notes.fixedZones) {
    if (zones.code(index)) continue;
    zones.fix(index, code);
    changed = true;
  }
  if (!result_.zone && notes.fileZone) {
    result_.zone = notes.fileZone;
    changed = true;
  }
  if (changed) {
    std::lock_guard<std::mutex> lock(mutex_);
    published_ = zones;
    publishedFileZone_ = result_.zone;
  }
  result_.inputBox.merge(notes.inputBox);
  result_.outputBox.merge(notes.outputBox);
  result_.roundTrip.merge(notes.roundTrip);
  return true;
}
