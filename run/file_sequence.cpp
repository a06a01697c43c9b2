#include "run/file_sequence.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "run/file_conversion.h"

FileSequence::FileSequence(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs, const Converter& converter,
                           RunState& state, ConversionKind kind, unsigned threads,
                           const WayBack* wayBack)
    : inputs_(inputs), outputs_(outputs), converter_(converter), state_(state), kind_(kind),
      threads_(threads), wayBack_(wayBack) {}

RoundTripSampling FileSequence::sampling(std::size_t index) const {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(inputs_[index]),
                                                          error);
  return {wayBack_, sampleStride(error ? 0 : static_cast<std::uint64_t>(size))};
}

bool FileSequence::small(std::size_t index) const {
  if (threads_ < 2) return false;
  std::error_code error;
  const std::filesystem::path path(inputs_[index]);
  if (!std::filesystem::is_regular_file(path, error) || error) return false;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return !error && size <= kWholeFileBytes;
}

ConvertOutcome FileSequence::convert(std::size_t index, ProgressSink* progress,
                                     Bounds3* inputBox, Bounds3* outputBox,
                                     std::optional<int32_t>* fileZone,
                                     RoundTripTally* roundTrip) {
  // Keep the pools busy: queue the small files that follow, two per converting thread and one
  // per syncing thread ahead, and at most kMaxAhead (each holds an open temporary file until
  // it is named).
  const std::size_t lookahead =
      std::min(2 * static_cast<std::size_t>(threads_) + kSyncThreads, kMaxAhead);
  if (submitted_ < index) submitted_ = index;
  while (submitted_ < inputs_.size() && pending_.size() < lookahead && small(submitted_)) {
    if (!pool_) {
      syncPool_ = std::make_unique<WorkerPool>(kSyncThreads);
      pool_ = std::make_unique<WorkerPool>(threads_);
    }
    pending_.push_back(
        std::make_unique<WholeFileJob>(converter_, state_, kind_, inputs_[submitted_],
                                       outputs_[submitted_], sampling(submitted_)));
    WholeFileJob* job = pending_.back().get();
    WorkerPool* syncing = syncPool_.get();
    pool_->post([job, syncing] {
      job->convert();
      syncing->post([job] { job->sync(); });
    });
    ++submitted_;
  }
  if (pending_.empty()) {  // a larger file (or one thread): alone, in blocks
    submitted_ = index + 1;
    return convertRunFile(inputs_[index], outputs_[index], converter_, state_, kind_, threads_,
                          progress, inputBox, outputBox, fileZone, sampling(index), roundTrip);
  }
  std::unique_ptr<WholeFileJob> job = std::move(pending_.front());
  pending_.pop_front();
  job->wait();
  return job->commit(inputBox, outputBox, fileZone, roundTrip);
}
