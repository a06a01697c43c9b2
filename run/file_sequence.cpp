#include "run/file_sequence.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "obj/block_pipeline.h"
#include "obj/obj_line_reader.h"
#include "platform/atomic_file.h"
#include "platform/file_identity.h"

// One small file converted whole on any thread (into memory, then into a temporary file beside
// its output), synced to the disk on another, then settled and renamed into place on the
// calling thread in file order: a job never committed leaves nothing. Made on the calling
// thread; convert() once on a worker, then sync() once on any thread; commit() on the calling
// thread.
class FileSequence::WholeFileJob {
 public:
  WholeFileJob(std::unique_ptr<FileSettler> settler, std::string inputPath,
               std::string outputPath, std::uint64_t size)
      : settler_(std::move(settler)),
        worker_(settler_->makeWorker()),
        inputPath_(std::move(inputPath)),
        outputPath_(std::move(outputPath)),
        size_(size) {}

  // Reads and converts the file and writes it to its temporary file (any thread).
  void convert() {
    writer_.reset();  // a temporary file of an earlier conversion is removed
    if (!readWholeFileBlock(inputPath_, size_, block_)) return;
    const bool writing = !outputPath_.empty();
    worker_->convertBlock(block_, writing);
    ConvertOutcome& outcome = block_.outcome;
    if (outcome.converted() && outcome.vertexCount == 0) {
      outcome.warnings.push_back(noVertexLineWarning(block_.mark));
    }
    if (!outcome.converted() || !writing) {
      block_.input = std::string();
      block_.output = std::string();
      return;
    }
    writer_ = std::make_unique<AtomicFileWriter>();
    if (!writer_->open(outputPath_) || !writer_->write(block_.output)) {
      outcome = ConvertOutcome::failed(ConvertStatus::writeFailed, 0, writer_->error());
      writer_.reset();
    }
    // Nothing of the file is held while it waits for its turn (a conversion again reads it
    // again).
    block_.input = std::string();
    block_.output = std::string();
  }

  // Waits for the device to hold the temporary file (any thread, after convert()).
  void sync() {
    if (writer_ && !writer_->sync()) {
      block_.outcome = ConvertOutcome::failed(ConvertStatus::writeFailed, 0, writer_->error());
      writer_.reset();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    finished_.notify_all();
  }

  // In file order: takes the file's notes into the run's state (converting it again here when
  // an earlier file fixed a zone it assumed otherwise), then renames it over its output when it
  // converted.
  FileResult commit() {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      finished_.wait(lock, [this] { return done_; });
    }
    while (block_.notes && !settler_->settle(*block_.notes)) {
      settler_->refresh();  // the zones the earlier files fixed
      convert();
    }
    if (block_.outcome.converted() && writer_ && !writer_->commit()) {
      block_.outcome = ConvertOutcome::failed(ConvertStatus::writeFailed, 0, writer_->error());
    }
    writer_.reset();
    FileResult result = settler_->result();
    result.outcome = std::move(block_.outcome);
    return result;
  }

 private:
  std::unique_ptr<FileSettler> settler_;
  std::unique_ptr<BlockWorker> worker_;
  std::string inputPath_;
  std::string outputPath_;
  std::uint64_t size_;
  Block block_;
  std::unique_ptr<AtomicFileWriter> writer_;  // the converted file, synced, not yet named
  std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
};

FileSequence::FileSequence(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs, unsigned threads,
                           SettlerFor settlerFor)
    : inputs_(inputs), outputs_(outputs), threads_(std::max(threads, 1u)),
      settlerFor_(std::move(settlerFor)), sizes_(inputs.size()) {
  for (std::size_t i = 0; i < inputs.size(); ++i) sizes_[i] = regularFileSize(inputs[i]);
}

FileSequence::~FileSequence() = default;

bool FileSequence::whole(std::size_t index) const {
  return sizes_[index] && *sizes_[index] <= kWholeFileBytes;
}

// Keeps the pools busy: queues the small files that follow, two per converting thread and one
// per syncing thread ahead, and at most kMaxAhead (each holds an open temporary file until it
// is named).
void FileSequence::queueAhead(std::size_t index) {
  const std::size_t lookahead =
      std::min(2 * static_cast<std::size_t>(threads_) + kSyncThreads, kMaxAhead);
  if (submitted_ < index) submitted_ = index;
  while (submitted_ < inputs_.size() && pending_.size() < lookahead && whole(submitted_)) {
    if (!pool_) {
      syncPool_ = std::make_unique<WorkerPool>(kSyncThreads);
      pool_ = std::make_unique<WorkerPool>(threads_);
    }
    const std::size_t i = submitted_++;
    pending_.push_back(std::make_unique<WholeFileJob>(
        settlerFor_(i, sizes_[i]), inputs_[i], outputs_.empty() ? std::string() : outputs_[i],
        *sizes_[i]));
    WholeFileJob* job = pending_.back().get();
    WorkerPool* syncing = syncPool_.get();
    pool_->post([job, syncing] {
      job->convert();
      syncing->post([job] { job->sync(); });
    });
  }
}

FileResult FileSequence::convertFile(std::size_t index, ProgressSink* progress) {
  queueAhead(index);
  if (pending_.empty()) {  // a larger file (or one thread): alone, in blocks
    submitted_ = index + 1;
    const std::unique_ptr<FileSettler> settler = settlerFor_(index, sizes_[index]);
    // A file smaller than a block is read into a block of its size: a block of 1 MiB for a
    // tile of 300 kB would be zero-filled and faulted in anew for every file (93,000 page
    // faults for 500 such tiles on one thread, against 3,300).
    std::size_t blockBytes = kBlockBytes;
    if (sizes_[index] && *sizes_[index] < kBlockBytes) {
      blockBytes = std::max(static_cast<std::size_t>(*sizes_[index]) + 1, kSmallestBlockBytes);
    }
    const ConvertOutcome outcome =
        convertFileInBlocks(inputs_[index], outputs_.empty() ? std::string() : outputs_[index],
                            *settler, threads_, blockBytes, progress);
    FileResult result = settler->result();
    result.outcome = outcome;
    return result;
  }
  const std::unique_ptr<WholeFileJob> job = std::move(pending_.front());
  pending_.pop_front();
  return job->commit();
}
