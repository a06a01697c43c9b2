#include "obj/parallel_obj_convert.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "obj/block_cutter.h"
#include "obj/obj_line_reader.h"
#include "platform/atomic_file.h"

namespace {

class StringSink : public ObjSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  [[nodiscard]] bool write(std::string_view bytes) override {
    out_.append(bytes);
    return true;
  }

 private:
  std::string& out_;
};

struct Block {
  std::string input;
  std::uint64_t endOffset = 0;  // bytes of the file up to the end of this block
  bool end = false;             // no data: the file has ended (error: a read error)
  bool tooLong = false;         // end: the rest, from endOffset on, has a line too long
  bool fileStart = false;       // the block starts the file
  std::string error;
  // Set by the worker that converted it.
  bool done = false;
  std::string output;
  ConvertOutcome outcome;
  std::uint64_t lines = 0;  // line ends in the block
  ByteOrderMark mark = ByteOrderMark::none;  // a block that starts the file: the file's
  std::unique_ptr<BlockNotes> notes;

  // Ready to be read into again; the strings keep their memory, so that a block reused takes
  // no allocation and no page fault.
  void reset() {
    input.clear();
    endOffset = 0;
    end = tooLong = fileStart = done = false;
    error.clear();
    output.clear();
    outcome = ConvertOutcome{};
    lines = 0;
    mark = ByteOrderMark::none;
    notes.reset();
  }
};

// The streaming reader's block, for the rest of a file whose line is too long for a block.
constexpr std::size_t kReadSize = std::size_t{64} << 10;

// A block grows for a long line up to 4 block sizes, and at least this (tests use tiny
// blocks); a longer line sends the rest of the file through one streaming reader.
constexpr std::size_t kMinLongLine = std::size_t{64} << 10;

// Converts `block` with `worker`: the same rewriting as convertObjFile, from memory.
// `keep`: the converted text goes to block.output (else nowhere: a scan).
void convertBlock(Block& block, BlockWorker& worker, bool keep) {
  worker.beginBlock();
  std::string why;
  auto one = [&worker, &why](const double* in, double* out) {
    return worker.convert(in, out, &why);
  };
  auto many = [&worker, &why](const double* in, double* out, std::size_t count) {
    return worker.convertMany(in, out, count, &why);
  };
  const VertexConversion convert(one, many);
  // Read in place, as one piece: a line never straddles two pieces.
  ObjLineReader reader(std::max<std::size_t>(block.input.size(), 1));
  reader.openMemory(block.input, block.fileStart);
  block.output.clear();
  if (keep) block.output.reserve(block.input.size() + block.input.size() / 8);
  StringSink text(block.output);
  block.outcome = keep ? rewriteObjLines(reader, text, convert) : scanObjLines(reader, convert);
  if (block.outcome.status == ConvertStatus::convertFailed && !why.empty()) {
    block.outcome.detail += ": " + why;
  }
  block.lines = reader.linesEnded();
  block.mark = reader.byteOrderMark();
  block.notes = worker.endBlock();
}

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
      const bool more = cutter_.next(block->input);
      block->endOffset = cutter_.consumed();
      if (!more) {
        block->end = true;
        block->done = true;
        block->tooLong = cutter_.tooLong();
        block->error = cutter_.error();
        block->input.clear();
      }
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
      convertBlock(*block, worker, keep_);
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

  // A block written before, or a new one: the window's limit bounds how many there are.
  std::unique_ptr<Block> reuse() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (free_.empty()) return std::make_unique<Block>();
    std::unique_ptr<Block> block = std::move(free_.back());
    free_.pop_back();
    return block;
  }

  void stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    work_.notify_all();
    space_.notify_all();
  }

 private:
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

// To the output file; null: nowhere (a scan).
class WriterSink : public ObjSink {
 public:
  explicit WriterSink(AtomicFileWriter* writer) : writer_(writer) {}
  [[nodiscard]] bool write(std::string_view bytes) override {
    return writer_ == nullptr || writer_->write(bytes);
  }

 private:
  AtomicFileWriter* writer_;
};

// The libraries a later piece of the file names after those of the earlier ones, each once.
void addLibraries(std::vector<std::string>& to, std::vector<std::string>& from) {
  for (std::string& name : from) {
    if (std::find(to.begin(), to.end(), name) == to.end()) to.push_back(std::move(name));
  }
}

ConvertOutcome failure(ConvertStatus status, std::string detail) {
  ConvertOutcome outcome;
  outcome.status = status;
  outcome.detail = std::move(detail);
  return outcome;
}

}  // namespace

ConvertOutcome convertObjFileParallel(const std::string& inputPath,
                                      const std::string& outputPath, BlockSettler& settler,
                                      unsigned workers, std::size_t blockSize,
                                      ProgressSink* progress, ParallelStats* stats) {
  ParallelStats counts;
  if (workers == 0) workers = 1;
  BlockCutter cutter(blockSize, std::max(4 * blockSize, kMinLongLine));
  if (!cutter.open(inputPath)) return failure(ConvertStatus::openFailed, cutter.error());
  // The first block is read before the output is opened, so that an input that cannot be read
  // (a folder) fails as with convertObjFile, and a file converted onto itself reads the
  // original.
  auto first = std::make_unique<Block>();
  first->fileStart = true;
  const bool more = cutter.next(first->input);
  if (cutter.failed()) return failure(ConvertStatus::openFailed, cutter.error());
  first->endOffset = cutter.consumed();
  if (!more) {
    first->end = first->done = true;
    first->tooLong = cutter.tooLong();
  }
  AtomicFileWriter writer;
  const bool writing = !outputPath.empty();
  if (writing && !writer.open(outputPath)) {
    return failure(ConvertStatus::writeFailed, writer.error());
  }

  std::vector<std::unique_ptr<BlockWorker>> owned;
  for (unsigned i = 0; i < workers; ++i) owned.push_back(settler.makeWorker());
  const std::unique_ptr<BlockWorker> again = settler.makeWorker();

  Pipeline pipeline(cutter, workers, writing);
  pipeline.push(std::move(first));
  std::vector<std::thread> threads;
  if (more) threads.emplace_back([&pipeline] { pipeline.readAll(); });
  for (auto& worker : owned) {
    threads.emplace_back([&pipeline, &worker] { pipeline.work(*worker); });
  }

  ConvertOutcome outcome;
  std::uint64_t lineOffset = 0;
  ByteOrderMark mark = ByteOrderMark::none;  // the file's, from the block that starts it
  for (;;) {
    Block& block = pipeline.next();
    if (block.end && block.tooLong) {
      // A logical line longer than a block may grow to: the rest of the file is converted
      // here, streaming as convertObjFile does, so memory stays bounded. All earlier blocks
      // are written and settled: the zones are as they are, and the block settles at once.
      ObjLineReader reader(kReadSize);
      reader.setProgress(progress);
      if (!reader.openFile(inputPath, block.endOffset)) {
        outcome = failure(ConvertStatus::openFailed, reader.error());
        break;
      }
      again->beginBlock();
      std::string why;
      auto one = [&again, &why](const double* in, double* out) {
        return again->convert(in, out, &why);
      };
      auto many = [&again, &why](const double* in, double* out, std::size_t count) {
        return again->convertMany(in, out, count, &why);
      };
      const VertexConversion convert(one, many);
      WriterSink sink(writing ? &writer : nullptr);
      ConvertOutcome rest = rewriteObjLines(reader, sink, convert);
      if (block.endOffset == 0) mark = reader.byteOrderMark();
      const std::unique_ptr<BlockNotes> notes = again->endBlock();
      (void)settler.settle(*notes);
      ++counts.blocks;
      if (rest.status == ConvertStatus::converted) {
        outcome.vertexCount += rest.vertexCount;
        addLibraries(outcome.materialLibraries, rest.materialLibraries);
        break;
      }
      outcome = rest;
      if (outcome.status == ConvertStatus::writeFailed) outcome.detail = writer.error();
      if (outcome.status == ConvertStatus::convertFailed && !why.empty()) {
        outcome.detail += ": " + why;
      }
      if (outcome.line != 0) outcome.line += lineOffset;
      break;
    }
    if (block.end) {
      if (!block.error.empty()) outcome = failure(ConvertStatus::openFailed, block.error);
      break;
    }
    ++counts.blocks;
    while (!settler.settle(*block.notes)) {
      ++counts.reconverted;
      convertBlock(block, *again, writing);
    }
    if (block.outcome.status != ConvertStatus::converted) {
      outcome = block.outcome;
      if (outcome.line != 0) outcome.line += lineOffset;
      break;
    }
    if (writing && !writer.write(block.output)) {
      outcome = failure(ConvertStatus::writeFailed, writer.error());
      break;
    }
    outcome.vertexCount += block.outcome.vertexCount;
    addLibraries(outcome.materialLibraries, block.outcome.materialLibraries);
    if (block.fileStart) mark = block.mark;
    lineOffset += block.lines;
    if (progress != nullptr) progress->advanced(block.endOffset);
    pipeline.pop();
  }
  pipeline.stop();
  for (std::thread& thread : threads) thread.join();
  if (stats != nullptr) *stats = counts;
  if (outcome.status != ConvertStatus::converted) return outcome;
  if (writing && !writer.commit()) return failure(ConvertStatus::writeFailed, writer.error());
  if (outcome.vertexCount == 0) outcome.warnings.push_back(noVertexLineWarning(mark));
  return outcome;
}
