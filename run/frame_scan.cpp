#include "run/frame_scan.h"

#include <memory>
#include <utility>

#include "obj/block_pipeline.h"

namespace {

struct ScanNotes : BlockNotes {
  std::vector<DefinitionScan> definitions;
};

void mergeInto(std::vector<DefinitionScan>& all, const std::vector<DefinitionScan>& block) {
  for (std::size_t i = 0; i < all.size(); ++i) {
    all[i].vertexCount += block[i].vertexCount;
    all[i].box.merge(block[i].box);
    if (!all[i].first) all[i].first = block[i].first;  // blocks settle in file order
  }
}

// Each vertex's definition chosen as the conversion would choose it; nothing converted.
class FrameBatch {
 public:
  FrameBatch(const Converter& converter, ConversionKind kind)
      : converter_(converter), kind_(kind), offset_(converter.inputOffset()) {}
  void begin() {
    definitions_.assign(converter_.definitionCount() + 1, DefinitionScan{});
  }
  std::size_t convertBatch(const double* in, double* out, std::size_t count, std::string&) {
    for (std::size_t i = 0; i < count; ++i) {
      const double* v = in + 3 * i;
      const Point3 p{v[0] + offset_.x, v[1] + offset_.y, v[2] + offset_.z};
      const std::size_t chosen =
          converter_.chooseFor(kind_, p, scratch_).value_or(converter_.definitionCount());
      DefinitionScan& scan = definitions_[chosen];
      const double xyz[3] = {p.x, p.y, p.z};
      scan.box.add(xyz);
      if (!scan.first) scan.first = p;
      ++scan.vertexCount;
      out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = 0.0;  // nothing is written
    }
    return count;
  }
  std::unique_ptr<BlockNotes> end() {
    auto notes = std::make_unique<ScanNotes>();
    notes->definitions = std::move(definitions_);
    return notes;
  }

 private:
  const Converter& converter_;
  ConversionKind kind_;
  Point3 offset_;
  ConverterScratch scratch_;
  std::vector<DefinitionScan> definitions_;
};

class ScanWorker : public BlockWorker {
 public:
  ScanWorker(const Converter& converter, ConversionKind kind) : batch_(converter, kind) {}
  void convertBlock(Block& block, bool keep) override {
    batch_.begin();
    rewriteBlock(block, batch_, keep);
    block.notes = batch_.end();
  }
  void convertRest(ObjLineReader& reader, ObjSink&, Block& block) override {
    batch_.begin();
    block.outcome = scanObjLines(reader, batch_);
    block.notes = batch_.end();
  }

 private:
  FrameBatch batch_;
};

class ScanSettler : public BlockSettler {
 public:
  ScanSettler(const Converter& converter, ConversionKind kind,
              std::vector<DefinitionScan>& file)
      : converter_(converter), kind_(kind), file_(file) {}
  std::unique_ptr<BlockWorker> makeWorker() override {
    return std::make_unique<ScanWorker>(converter_, kind_);
  }
  bool settle(BlockNotes& notes) override {
    mergeInto(file_, static_cast<ScanNotes&>(notes).definitions);
    return true;
  }

 private:
  const Converter& converter_;
  ConversionKind kind_;
  std::vector<DefinitionScan>& file_;
};

}  // namespace

FrameScan scanFrames(const std::vector<std::string>& files, unsigned threads,
                     const Converter& converter, ConversionKind kind) {
  FrameScan scan;
  for (const std::string& path : files) {
    scan.files.emplace_back(converter.definitionCount() + 1);
    ScanSettler settler(converter, kind, scan.files.back());
    const ConvertOutcome outcome = convertFileInBlocks(path, std::string(), settler, threads);
    for (const std::string& warning : outcome.warnings) {
      scan.warnings.push_back(path + ": " + warning);
    }
    switch (outcome.status) {
      case ConvertStatus::converted: continue;
      case ConvertStatus::shortVertexLine:
        scan.failure = RunFailure{RunMessage::vertexLine, path + ":" +
                                                              std::to_string(outcome.line) +
                                                              ": " + outcome.detail};
        return scan;
      default:
        scan.failure = RunFailure{RunMessage::openObj, path + ": " + outcome.detail};
        return scan;
    }
  }
  return scan;
}
