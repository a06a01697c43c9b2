#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "obj/convert_obj_file.h"
#include "obj/vertex_conversion.h"
#include "obj/progress_sink.h"

// What one block's conversion learned that only the file order can settle (e.g. what it
// would print the first time, or an assumption it made about state that earlier blocks fix).
class BlockNotes {
 public:
  virtual ~BlockNotes() = default;
};

// Converts the vertices of blocks, on one thread at a time (each worker thread owns one).
class BlockWorker {
 public:
  virtual ~BlockWorker() = default;
  // Called before each block, on the thread that converts it.
  virtual void beginBlock() = 0;
  // One vertex, as VertexConversion does; `why` (not null) receives the reason of a failure.
  virtual bool convert(const double in[3], double out[3], std::string* why) = 0;
  // `count` vertices (x, y, z each) at once, as VertexConversion's batch: the number converted
  // from the first, all, up to the first that fails (its reason in `why`), or up to and
  // including the first not finite. Each vertex as convert() gives it; by default, convert()
  // one after the other.
  virtual std::size_t convertMany(const double* in, double* out, std::size_t count,
                                  std::string* why) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!convert(in + 3 * i, out + 3 * i, why)) return i;
      if (!finiteVertex(out + 3 * i)) return i + 1;
    }
    return count;
  }
  // After the block (also one that failed or stopped early): its notes.
  virtual std::unique_ptr<BlockNotes> endBlock() = 0;
};

// The order-dependent side of a threaded conversion. makeWorker() is called on the calling
// thread before any block is read; settle() in file order, on the calling thread, one block
// at a time, never at the same time as another settle().
class BlockSettler {
 public:
  virtual ~BlockSettler() = default;
  virtual std::unique_ptr<BlockWorker> makeWorker() = 0;
  // Takes a converted block's notes into the run's state, in file order. False when the block
  // was converted on an assumption that earlier blocks have since proved wrong: it is then
  // converted again on the calling thread (by a worker whose beginBlock sees the state as it
  // is now) and settled again.
  virtual bool settle(BlockNotes& notes) = 0;
};

// Counts of one threaded conversion, for tests and measurements.
struct ParallelStats {
  std::uint64_t blocks = 0;       // blocks converted and settled
  std::uint64_t reconverted = 0;  // of them, converted again because settle() refused them
};

// convertObjFile with `workers` threads (at least 1) converting blocks of whole logical lines
// (BlockCutter, about `blockSize` bytes each) and the calling thread writing them in file
// order: the output bytes are those of convertObjFile with one conversion. One more thread
// reads; blocks read and not yet written are at most 2 * workers + 2. A logical line longer
// than 4 blocks (and 64 KiB) is not held whole: from the block it starts on, the rest of the
// file is converted on the calling thread by one streaming reader (as one block, settled at
// its end). A failure is that of
// the first block, in file order, that fails (line numbers counted over the whole file,
// a conversion's reason after ": " in the detail); nothing is written then. `progress` is told
// the bytes of the blocks written so far, from the calling thread. An empty `outputPath`
// writes nothing: the file is only read and its vertices converted (a scan).
ConvertOutcome convertObjFileParallel(const std::string& inputPath,
                                      const std::string& outputPath, BlockSettler& settler,
                                      unsigned workers, std::size_t blockSize,
                                      ProgressSink* progress = nullptr,
                                      ParallelStats* stats = nullptr);
