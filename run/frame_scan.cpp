#include "run/frame_scan.h"

#include <memory>
#include <utility>

#include "obj/parallel_obj_convert.h"

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

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

class ScanWorker : public BlockWorker {
 public:
  ScanWorker(const Converter& converter, ConversionKind kind)
      : converter_(converter), kind_(kind), offset_(converter.inputOffset()) {}
  void beginBlock() override {
    notes_ = std::make_unique<ScanNotes>();
    notes_->definitions.resize(converter_.definitionCount() + 1);
  }
  bool convert(const double in[3], double out[3], std::string*) override {
    const Point3 p{in[0] + offset_.x, in[1] + offset_.y, in[2] + offset_.z};
    const std::size_t chosen =
        converter_.chooseFor(kind_, p, scratch_).value_or(converter_.definitionCount());
    DefinitionScan& scan = notes_->definitions[chosen];
    const double xyz[3] = {p.x, p.y, p.z};
    scan.box.add(xyz);
    if (!scan.first) scan.first = p;
    ++scan.vertexCount;
    out[0] = out[1] = out[2] = 0.0;  // nothing is written
    return true;
  }
  std::unique_ptr<BlockNotes> endBlock() override { return std::move(notes_); }

 private:
  const Converter& converter_;
  ConversionKind kind_;
  Point3 offset_;
  ConverterScratch scratch_;
  std::unique_ptr<ScanNotes> notes_;
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
    const ConvertOutcome outcome =
        convertObjFileParallel(path, std::string(), settler, threads, kBlock);
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
