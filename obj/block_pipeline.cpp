#include "obj/block_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "obj/block_cutter.h"
#include "platform/atomic_file.h"

void Block::reset() {
  input.clear();
  fileStart = false;
  output.clear();
  outcome = ConvertOutcome{};
  lines = 0;
  mark = ByteOrderMark::none;
  notes.reset();
  endOffset = 0;
  end = tooLong = done = false;
  error.clear();
}

namespace {

// The streaming reader's block, for the rest of a file whose line is too long for a block.
constexpr std::size_t kReadSize = std::size_t{64} << 10;

// A block grows for a long line up to 4 block sizes, and at least this (tests use tiny
// blocks); a longer line sends the rest of the file through one streaming reader.
constexpr std::size_t kMinLongLine = std::size_t{64} << 10;

// The next block of `cutter` into `block`, marked as the file's end when there is none.
void cutNext(BlockCutter& cutter, Block& block) {
  const bool more = cutter.next(block.input);
  block.endOffset = cutter.consumed();
  if (more) return;
  block.end = block.done = true;
  block.tooLong = cutter.tooLong();
  block.error = cutter.error();
  block.input.clear();
}

// Blocks read on one thread, converted on `workers` others, handed out in file order.
class Pipeline {
 public:
  Pipeline(BlockCutter& cutter, unsigned workers, bool keep)
      : cutter_(cutter), limit_(2 * workers + 2), keep_(keep) {}

  void push(std::unique_ptr<Block> block) {
    std::lock_guard<std::mutex> lock(mutex_);
    window_.push_back(std::move(block));
    work_.notify_one();
  }

  // The reader thread: blocks until the file ends, fails, or stop().
  void readAll() {
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        space_.wait(lock, [this] { return stopped_ || window_.size() < limit_; });
        if (stopped_) return;
      }
      std::unique_ptr<Block> block = reuse();
      cutNext(cutter_, *block);
      const bool more = !block->end;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        window_.push_back(std::move(block));
        if (more) {
          work_.notify_one();
        } else {
          done_.notify_all();
        }
      }
      if (!more) return;
    }
  }

  // A worker thread: converts blocks until stop().
  void work(BlockWorker& worker) {
    for (;;) {
      Block* block = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        work_.wait(lock, [this] { return stopped_ || claimed_ < front_ + window_.size(); });
        if (stopped_) return;
        block = window_[claimed_ - front_].get();
        ++claimed_;
        if (block->end) continue;
      }
      worker.convertBlock(*block, keep_);
      std::lock_guard<std::mutex> lock(mutex_);
      block->done = true;
      done_.notify_all();
    }
  }

  // The writer: the next block in file order, once converted (it stays in the window until
  // pop()).
  Block& next() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return !window_.empty() && window_.front()->done; });
    return *window_.front();
  }

  void pop() {
    std::lock_guard<std::mutex> lock(mutex_);
    window_.front()->reset();
    free_.push_back(std::move(window_.front()));
    window_.pop_front();
    ++front_;
    space_.notify_one();
  }

  void stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    work_.notify_all();
    space_.notify_all();
  }

 private:
  // A block written before, or a new one: the window's limit bounds how many there are.
  std::unique_ptr<Block> reuse() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (free_.empty()) return std::make_unique<Block>();
    std::unique_ptr<Block> block = std::move(free_.back());
    free_.pop_back();
    return block;
  }

  BlockCutter& cutter_;
  const std::size_t limit_;
  const bool keep_;  // the converted text is written (else the file is only scanned)
  std::mutex mutex_;
  std::condition_variable work_, done_, space_;
  std::deque<std::unique_ptr<Block>> window_;  // read, not yet written, in file order
  std::vector<std::unique_ptr<Block>> free_;   // written, to be read into again
  std::uint64_t front_ = 0;                    // index of window_.front() in the file
  std::uint64_t claimed_ = 0;                  // index of the next block to convert
  bool stopped_ = false;
};

// The libraries a later piece of the file names after those of the earlier ones, each once.
void addLibraries(std::vector<std::string>& to, std::vector<std::string>& from) {
  for (std::string& name : from) {
    if (std::find(to.begin(), to.end(), name) == to.end()) to.push_back(std::move(name));
  }
}

// What the calling thread does with the blocks in file order: settles each (converting it
// again with `again` while refused), adds its outcome to the file's and writes its text.
class FileAssembly {
 public:
  FileAssembly(const std::string& inputPath, BlockSettler& settler, BlockWorker& again,
               AtomicFileWriter* writer, ProgressSink* progress, BlockStats& stats)
      : inputPath_(inputPath), settler_(settler), again_(again), writer_(writer),
        progress_(progress), stats_(stats) {}

  // One block in file order; false when the file ends with it (done() says how).
  [[nodiscard]] bool take(Block& block) {
    if (block.end && block.tooLong) {
      rest(block);
      return false;
    }
    if (block.end) {
      if (!block.error.empty()) {
        outcome_ = ConvertOutcome::failed(ConvertStatus::openFailed, 0, block.error);
      }
      return false;
    }
    ++stats_.blocks;
    while (!settler_.settle(*block.notes)) {
      ++stats_.reconverted;
      again_.convertBlock(block, writer_ != nullptr);
    }
    if (!block.outcome.converted()) {
      outcome_ = block.outcome;
      if (outcome_.line != 0) outcome_.line += lineOffset_;
      return false;
    }
    if (writer_ != nullptr && !writer_->write(block.output)) {
      outcome_ = ConvertOutcome::failed(ConvertStatus::writeFailed, 0, writer_->error());
      return false;
    }
    outcome_.vertexCount += block.outcome.vertexCount;
    addLibraries(outcome_.materialLibraries, block.outcome.materialLibraries);
    if (block.fileStart) mark_ = block.mark;
    lineOffset_ += block.lines;
    if (progress_ != nullptr) progress_->advanced(block.endOffset);
    return true;
  }

  // The file's outcome, its output committed when it converted.
  ConvertOutcome done() {
    if (!outcome_.converted()) return outcome_;
    if (writer_ != nullptr && !writer_->commit()) {
      return ConvertOutcome::failed(ConvertStatus::writeFailed, 0, writer_->error());
    }
    if (outcome_.vertexCount == 0) outcome_.warnings.push_back(noVertexLineWarning(mark_));
    return outcome_;
  }

 private:
  // A logical line longer than a block may grow to: the rest of the file is converted here,
  // streaming, so memory stays bounded. All earlier blocks are written and settled: the state
  // is as it is now, and the rest settles at once.
  void rest(Block& block) {
    ObjLineReader reader(kReadSize);
    reader.setProgress(progress_);
    if (!reader.openFile(inputPath_, block.endOffset)) {
      outcome_ = ConvertOutcome::failed(ConvertStatus::openFailed, 0, reader.error());
      return;
    }
    std::string text;
    TextSink sink(text, writer_);
    again_.convertRest(reader, sink, block);
    if (block.endOffset == 0) mark_ = reader.byteOrderMark();
    (void)settler_.settle(*block.notes);
    ++stats_.blocks;
    ConvertOutcome& rest = block.outcome;
    if (rest.converted() && !sink.flush()) {
      rest = ConvertOutcome::failed(ConvertStatus::writeFailed, 0, "");
    }
    if (rest.converted()) {
      outcome_.vertexCount += rest.vertexCount;
      addLibraries(outcome_.materialLibraries, rest.materialLibraries);
      return;
    }
    outcome_ = rest;
    if (outcome_.status == ConvertStatus::writeFailed && writer_ != nullptr) {
      outcome_.detail = writer_->error();
    }
    if (outcome_.line != 0) outcome_.line += lineOffset_;
  }

  const std::string& inputPath_;
  BlockSettler& settler_;
  BlockWorker& again_;
  AtomicFileWriter* writer_;
  ProgressSink* progress_;
  BlockStats& stats_;
  ConvertOutcome outcome_;
  std::uint64_t lineOffset_ = 0;
  ByteOrderMark mark_ = ByteOrderMark::none;  // the file's, from the block that starts it
};

}  // namespace

ConvertOutcome convertFileInBlocks(const std::string& inputPath, const std::string& outputPath,
                                   BlockSettler& settler, unsigned workers,
                                   std::size_t blockSize, ProgressSink* progress,
                                   BlockStats* stats) {
  BlockStats counts;
  BlockCutter cutter(blockSize, std::max(4 * blockSize, kMinLongLine));
  if (!cutter.open(inputPath)) {
    return ConvertOutcome::failed(ConvertStatus::openFailed, 0, cutter.error());
  }
  auto first = std::make_unique<Block>();
  first->fileStart = true;
  cutNext(cutter, *first);
  if (cutter.failed()) return ConvertOutcome::failed(ConvertStatus::openFailed, 0, cutter.error());
  AtomicFileWriter writer;
  const bool writing = !outputPath.empty();
  if (writing && !writer.open(outputPath)) {
    return ConvertOutcome::failed(ConvertStatus::writeFailed, 0, writer.error());
  }
  const std::unique_ptr<BlockWorker> again = settler.makeWorker();
  FileAssembly assembly(inputPath, settler, *again, writing ? &writer : nullptr, progress,
                        counts);
  if (workers <= 1) {
    // One thread: each block converted, settled and written before the next is read.
    Block& block = *first;
    for (bool more = true; more;) {
      if (!block.end) again->convertBlock(block, writing);
      more = assembly.take(block);
      if (!more) break;
      block.reset();
      cutNext(cutter, block);
    }
  } else {
    std::vector<std::unique_ptr<BlockWorker>> owned;
    for (unsigned i = 0; i < workers; ++i) owned.push_back(settler.makeWorker());
    Pipeline pipeline(cutter, workers, writing);
    const bool more = !first->end;
    pipeline.push(std::move(first));
    std::vector<std::thread> threads;
    if (more) threads.emplace_back([&pipeline] { pipeline.readAll(); });
    for (auto& worker : owned) {
      threads.emplace_back([&pipeline, &worker] { pipeline.work(*worker); });
    }
    while (assembly.take(pipeline.next())) pipeline.pop();
    pipeline.stop();
    for (std::thread& thread : threads) thread.join();
  }
  if (stats != nullptr) *stats = counts;
  return assembly.done();
}

bool readWholeFileBlock(const std::string& path, std::uint64_t size, Block& block) {
  block.reset();
  block.fileStart = true;
  // Blocks larger than the file: one read takes all of it (and a file grown since its size
  // was taken comes whole too, in pieces of whole lines).
  const std::size_t expected = static_cast<std::size_t>(size) + 1;
  BlockCutter cutter(expected, std::string().max_size() / 2);
  if (!cutter.open(path)) {
    block.outcome = ConvertOutcome::failed(ConvertStatus::openFailed, 0, cutter.error());
    return false;
  }
  block.input.reserve(expected);
  if (cutter.next(block.input)) {
    for (std::string piece; cutter.next(piece);) block.input += piece;
  }
  if (cutter.failed()) {
    block.outcome = ConvertOutcome::failed(ConvertStatus::openFailed, 0, cutter.error());
    return false;
  }
  return true;
}
