#pragma once

// OBJ files converted in blocks through a plain function of one vertex, with no state that the
// file order settles (no frame, no zone, nothing printed once): the OBJ layer on its own, for
// its tests, the fuzz target and the benchmark of the rewriting.

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "obj/block_pipeline.h"

// A batch through `one` (bool(const double in[3], double out[3])), as a run's batch counts
// its vertices: up to the first that fails (`reason` its why), or including the first whose
// result is not finite.
template <class F>
struct FunctionBatch {
  F one;
  const char* reason = "";
  std::size_t calls = 0;
  std::size_t convertBatch(const double* in, double* out, std::size_t count, std::string& why) {
    ++calls;
    for (std::size_t i = 0; i < count; ++i) {
      if (!one(in + 3 * i, out + 3 * i)) {
        why = reason;
        return i;
      }
      const double* v = out + 3 * i;
      if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) return i + 1;
    }
    return count;
  }
};

struct CountNotes : BlockNotes {
  std::uint64_t vertices = 0;
};

// Workers converting through `one`; settle() counts the vertices settled and refuses every
// `refuseEvery`-th block once (0: never), so that blocks are converted again.
template <class F>
class FunctionSettler : public BlockSettler {
 public:
  explicit FunctionSettler(F one, const char* reason = "", unsigned refuseEvery = 0)
      : one_(one), reason_(reason), refuseEvery_(refuseEvery) {}

  std::unique_ptr<BlockWorker> makeWorker() override {
    return std::make_unique<Worker>(one_, reason_);
  }
  bool settle(BlockNotes& notes) override {
    ++calls_;
    if (refuseEvery_ != 0 && calls_ % refuseEvery_ == 0 && !refusedLast_) {
      refusedLast_ = true;
      return false;
    }
    refusedLast_ = false;
    vertices += static_cast<CountNotes&>(notes).vertices;
    return true;
  }

  std::uint64_t vertices = 0;  // settled

 private:
  class Worker : public BlockWorker {
   public:
    Worker(F one, const char* reason) : batch_{one, reason} {}
    void convertBlock(Block& block, bool keep) override {
      rewriteBlock(block, batch_, keep);
      block.notes = notes(block.outcome);
    }
    void convertRest(ObjLineReader& reader, ObjSink& output, Block& block) override {
      block.outcome = rewriteObjLines(reader, output, batch_);
      block.notes = notes(block.outcome);
    }

   private:
    static std::unique_ptr<BlockNotes> notes(const ConvertOutcome& outcome) {
      auto notes = std::make_unique<CountNotes>();
      notes->vertices = outcome.vertexCount;
      return notes;
    }
    FunctionBatch<F> batch_;
  };

  F one_;
  const char* reason_;
  unsigned refuseEvery_;
  unsigned calls_ = 0;
  bool refusedLast_ = false;
};

// `input` converted through `one` into `output` (empty: a scan) in blocks of `blockSize`
// bytes, by `workers` threads (1: on the calling thread).
template <class F>
ConvertOutcome convertFileThrough(F one, const std::string& input, const std::string& output,
                              unsigned workers = 1, std::size_t blockSize = kBlockBytes,
                              ProgressSink* progress = nullptr, BlockStats* stats = nullptr) {
  FunctionSettler<F> settler(one);
  return convertFileInBlocks(input, output, settler, workers, blockSize, progress, stats);
}

