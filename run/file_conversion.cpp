#include "run/file_conversion.h"

#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "obj/parallel_obj_convert.h"
#include "run/block_settler.h"
#include "run/vertex_adapter.h"

namespace {

// The block size of the one-thread path, and that of the threaded one: 1 MiB, so that the
// 2N + 2 blocks in flight (each with its converted copy) stay small.
constexpr std::size_t kOneThreadBlock = ObjLineReader::kDefaultBlockSize;
constexpr std::size_t kThreadedBlock = std::size_t{1} << 20;

// One thread: the run's own zones, and every trace recorded into the run's state at once.
class DirectAdapter : public VertexAdapter {
 public:
  DirectAdapter(const Converter& converter, ConversionKind kind, RunState& state,
                const RoundTripSampling& sampling)
      : VertexAdapter(converter, kind, sampling), state_(state) {}

 protected:
  ZoneCodes& zones() override { return state_.zones(); }
  void traced(const ConversionTrace& trace) override { state_.record(converter(), trace); }

 private:
  RunState& state_;
};

}  // namespace

ConvertOutcome convertObjFileThreaded(const std::string& inputPath,
                                      const std::string& outputPath, const Converter& converter,
                                      RunState& state, ConversionKind kind, unsigned workers,
                                      std::size_t blockSize, ProgressSink* progress,
                                      Bounds3* inputBox, Bounds3* outputBox,
                                      ParallelStats* stats, std::optional<int32_t>* fileZone,
                                      const RoundTripSampling& sampling,
                                      RoundTripTally* roundTrip) {
  FileSettler settler(converter, state, kind, inputBox, outputBox, sampling, roundTrip);
  ConvertOutcome outcome = convertObjFileParallel(inputPath, outputPath, settler, workers,
                                                  blockSize, progress, stats);
  if (fileZone != nullptr) *fileZone = settler.fileZone();
  return outcome;
}

ConvertOutcome convertRunFile(const std::string& inputPath, const std::string& outputPath,
                              const Converter& converter, RunState& state, ConversionKind kind,
                              unsigned threads, ProgressSink* progress, Bounds3* inputBox,
                              Bounds3* outputBox, std::optional<int32_t>* fileZone,
                              const RoundTripSampling& sampling, RoundTripTally* roundTrip) {
  if (threads > 1) {
    return convertObjFileThreaded(inputPath, outputPath, converter, state, kind, threads,
                                  kThreadedBlock, progress, inputBox, outputBox, nullptr,
                                  fileZone, sampling, roundTrip);
  }
  DirectAdapter adapter(converter, kind, state, sampling);
  std::string why;  // the reason of the last failed conversion
  auto one = [&](const double* in, double* out) { return adapter.convert(in, out, &why); };
  auto many = [&](const double* in, double* out, std::size_t count) {
    return adapter.convertMany(in, out, count, &why);
  };
  ConvertOutcome outcome = convertObjFile(inputPath, outputPath, VertexConversion(one, many),
                                          kOneThreadBlock, progress);
  if (outcome.status == ConvertStatus::convertFailed && !why.empty()) {
    outcome.detail += ": " + why;
  }
  if (inputBox != nullptr) inputBox->merge(adapter.inputBox);
  if (outputBox != nullptr) outputBox->merge(adapter.outputBox);
  if (fileZone != nullptr) *fileZone = adapter.fileZone;
  if (roundTrip != nullptr) roundTrip->merge(adapter.takeRoundTrip());
  return outcome;
}
