#include "run/whole_file_job.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "obj/obj_line_reader.h"
#include "obj/vertex_conversion.h"

namespace {

class MemorySink : public ObjSink {
 public:
  explicit MemorySink(std::string& bytes) : bytes_(bytes) {}
  bool write(std::string_view bytes) override {
    bytes_.append(bytes);
    return true;
  }

 private:
  std::string& bytes_;
};

// The smallest read block of a small file.
constexpr std::size_t kMinReadBytes = std::size_t{64} << 10;

ConvertOutcome writeFailure(std::string detail) {
  ConvertOutcome outcome;
  outcome.status = ConvertStatus::writeFailed;
  outcome.detail = std::move(detail);
  return outcome;
}

}  // namespace

WholeFileJob::WholeFileJob(const Converter& converter, RunState& state, ConversionKind kind,
                           std::string inputPath, std::string outputPath,
                           const RoundTripSampling& sampling)
    : inputPath_(std::move(inputPath)),
      outputPath_(std::move(outputPath)),
      settler_(converter, state, kind, &inputBox_, &outputBox_, sampling, &roundTrip_),
      worker_(settler_.makeWorker()) {}

void WholeFileJob::convertNow() {
  writer_.reset();  // a temporary file of an earlier conversion is removed
  // Sized for the file (at most FileSequence's small-file size): one read, and the converted
  // text (about as long as the input) without growing.
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(inputPath_, error);
  const std::size_t expected = error ? 0 : static_cast<std::size_t>(size);
  std::string bytes;
  bytes.reserve(expected + expected / 8);
  ObjLineReader reader(std::clamp(expected + 1, kMinReadBytes, ObjLineReader::kDefaultBlockSize));
  worker_->beginBlock();
  if (!reader.openFile(inputPath_)) {
    outcome_ = ConvertOutcome{};
    outcome_.status = ConvertStatus::openFailed;
    outcome_.detail = reader.error();
  } else {
    std::string why;
    auto one = [this, &why](const double* in, double* out) {
      return worker_->convert(in, out, &why);
    };
    auto many = [this, &why](const double* in, double* out, std::size_t count) {
      return worker_->convertMany(in, out, count, &why);
    };
    MemorySink sink(bytes);
    outcome_ = rewriteObjLines(reader, sink, VertexConversion(one, many));
    if (outcome_.status == ConvertStatus::convertFailed && !why.empty()) {
      outcome_.detail += ": " + why;
    }
    if (outcome_.status == ConvertStatus::converted && outcome_.vertexCount == 0) {
      outcome_.warnings.push_back(noVertexLineWarning(reader.byteOrderMark()));
    }
  }
  notes_ = worker_->endBlock();
  if (outcome_.status != ConvertStatus::converted) return;
  writer_ = std::make_unique<AtomicFileWriter>();
  if (!writer_->open(outputPath_) || !writer_->write(bytes)) {
    outcome_ = writeFailure(writer_->error());
    writer_.reset();
  }
}

void WholeFileJob::convert() { convertNow(); }

void WholeFileJob::sync() {
  if (writer_ && !writer_->sync()) {
    outcome_ = writeFailure(writer_->error());
    writer_.reset();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  finished_.notify_all();
}

void WholeFileJob::wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait(lock, [this] { return done_; });
}

ConvertOutcome WholeFileJob::commit(Bounds3* inputBox, Bounds3* outputBox,
                                    std::optional<int32_t>* fileZone,
                                    RoundTripTally* roundTrip) {
  while (!settler_.settle(*notes_)) {
    settler_.refresh();  // the zones the earlier files fixed
    convertNow();
  }
  if (outcome_.status == ConvertStatus::converted && !writer_->commit()) {
    outcome_ = writeFailure(writer_->error());
  }
  writer_.reset();
  if (inputBox != nullptr) inputBox->merge(inputBox_);
  if (outputBox != nullptr) outputBox->merge(outputBox_);
  if (fileZone != nullptr) *fileZone = settler_.fileZone();
  if (roundTrip != nullptr) roundTrip->merge(roundTrip_);
  return outcome_;
}
