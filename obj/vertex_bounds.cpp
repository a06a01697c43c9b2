#include "obj/vertex_bounds.h"

#include <memory>
#include <utility>

#include "obj/parallel_obj_convert.h"
#include "obj/vertex_line.h"

namespace {


struct BoundsNotes : BlockNotes {
  VertexBounds bounds;
};

class BoundsWorker : public BlockWorker {
 public:
  void beginBlock() override { notes_ = std::make_unique<BoundsNotes>(); }
  bool convert(const double in[3], double out[3], std::string*) override {
    notes_->bounds.add(in);  // NaN moves no bound
    out[0] = out[1] = out[2] = 0.0;  // nothing is written: zeros are always finite
    return true;
  }
  std::unique_ptr<BlockNotes> endBlock() override { return std::move(notes_); }

 private:
  std::unique_ptr<BoundsNotes> notes_;
};

class BoundsSettler : public BlockSettler {
 public:
  explicit BoundsSettler(VertexBounds& bounds) : bounds_(bounds) {}
  std::unique_ptr<BlockWorker> makeWorker() override { return std::make_unique<BoundsWorker>(); }
  bool settle(BlockNotes& notes) override {
    const VertexBounds& block = static_cast<BoundsNotes&>(notes).bounds;
    bounds_.merge(block);
    return true;
  }

 private:
  VertexBounds& bounds_;
};

}  // namespace

VertexBounds scanVertexBoundsThreaded(const std::vector<std::string>& files, unsigned workers,
                                      std::size_t blockSize, FileProgress* progress) {
  VertexBounds bounds;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& path = files[i];
    BoundsSettler settler(bounds);
    if (progress != nullptr) progress->startFile(i);
    const ConvertOutcome outcome =
        convertObjFileParallel(path, std::string(), settler, workers, blockSize, progress);
    if (progress != nullptr) progress->finishFile(outcome.vertexCount);
    bounds.vertexCount += outcome.vertexCount;
    for (const std::string& warning : outcome.warnings) {
      bounds.warnings.push_back(path + ": " + warning);
    }
    if (outcome.status == ConvertStatus::converted) continue;
    bounds.status = outcome.status == ConvertStatus::shortVertexLine
                        ? VertexBounds::Status::shortVertexLine
                        : VertexBounds::Status::openFailed;
    bounds.path = path;
    bounds.line = outcome.line;
    bounds.detail = outcome.detail;
    return bounds;
  }
  return bounds;
}

VertexBounds scanVertexBounds(const std::vector<std::string>& files, std::size_t blockSize,
                              FileProgress* progress) {
  VertexBounds bounds;
  auto fail = [&bounds](VertexBounds::Status status, const std::string& path, std::uint64_t line,
                        std::string detail) {
    bounds.status = status;
    bounds.path = path;
    bounds.line = line;
    bounds.detail = std::move(detail);
    return bounds;
  };
  ObjLineReader reader(blockSize);  // one block for all files
  reader.setProgress(progress);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& path = files[i];
    if (progress != nullptr) progress->startFile(i);
    if (!reader.openFile(path)) {
      return fail(VertexBounds::Status::openFailed, path, 0, reader.error());
    }
    const std::uint64_t before = bounds.vertexCount;
    while (reader.readObjLine()) {
      if (!reader.isVertexLine()) {
        reader.skipLines();
        continue;
      }
      double xyz[3];
      if (std::string why; !readVertexNumbers(reader, xyz, why)) {
        return fail(VertexBounds::Status::shortVertexLine, path, reader.lineNumber(),
                    std::move(why));
      }
      bounds.add(xyz);
      ++bounds.vertexCount;
    }
    if (reader.failed()) return fail(VertexBounds::Status::openFailed, path, 0, reader.error());
    if (progress != nullptr) progress->finishFile(bounds.vertexCount - before);
    if (bounds.vertexCount == before) {
      bounds.warnings.push_back(path + ": " + noVertexLineWarning(reader.byteOrderMark()));
    }
  }
  return bounds;
}
