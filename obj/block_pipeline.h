#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "obj/convert_outcome.h"
#include "obj/obj_line_reader.h"
#include "obj/obj_rewriting.h"
#include "obj/progress_sink.h"
#include "obj/text_sink.h"

// What one block's conversion learned that only the file order can settle (e.g. what it
// would print the first time, or an assumption it made about state that earlier blocks fix).
class BlockNotes {
 public:
  virtual ~BlockNotes() = default;
};

// A piece of a file of whole logical lines (BlockCutter), or a whole small file, and what its
// conversion gave.
struct Block {
  std::string input;
  bool fileStart = false;  // the block starts the file
  // Set by the worker that converted it.
  std::string output;  // the converted text; empty in a scan
  ConvertOutcome outcome;
  std::uint64_t lines = 0;                   // line ends in the block
  ByteOrderMark mark = ByteOrderMark::none;  // a block that starts the file: the file's
  std::unique_ptr<BlockNotes> notes;
  // The pipeline's own.
  std::uint64_t endOffset = 0;  // bytes of the file up to the end of this block
  bool end = false;             // no data: the file has ended (error: a read error)
  bool tooLong = false;         // end: the rest, from endOffset on, has a line too long
  bool done = false;
  std::string error;

  // Ready to be read into again; the strings keep their memory, so that a block reused takes
  // no allocation and no page fault.
  void reset();
};

// Converts blocks on one thread (each thread its own worker).
class BlockWorker {
 public:
  virtual ~BlockWorker() = default;
  // Converts `block`: its text into block.output when `keep` (else it is only read: a scan),
  // its outcome, line ends and mark, and what only the file order can settle in block.notes.
  virtual void convertBlock(Block& block, bool keep) = 0;
  // The rest of a file whose logical line is too long for a block, streamed from `reader` to
  // `output` as one block (block.outcome, block.notes).
  virtual void convertRest(ObjLineReader& reader, ObjSink& output, Block& block) = 0;
};

// The order-dependent side of converting one file in blocks. makeWorker() is called on the
// calling thread before any block is read; settle() in file order, on the calling thread, one
// block at a time.
class BlockSettler {
 public:
  virtual ~BlockSettler() = default;
  virtual std::unique_ptr<BlockWorker> makeWorker() = 0;
  // Takes a converted block's notes into the run's state, in file order. False when the block
  // was converted on an assumption that earlier blocks have since proved wrong: it is then
  // converted again on the calling thread (by a worker whose convertBlock sees the state as it
  // is now) and settled again.
  virtual bool settle(BlockNotes& notes) = 0;
};

// The block's text rewritten (or only read, without `keep`) by `batch`, read in place from
// memory as one piece: the part of a worker's convertBlock that reads and writes OBJ.
template <ConvertsVertices Batch>
void rewriteBlock(Block& block, Batch& batch, bool keep) {
  ObjLineReader reader(block.input.size() + 1);
  reader.openMemory(block.input, block.fileStart);
  block.output.clear();
  if (keep) {
    block.output.reserve(block.input.size() + block.input.size() / 8);
    TextSink sink(block.output);
    block.outcome = rewriteObjLines(reader, sink, batch);
  } else {
    block.outcome = scanObjLines(reader, batch);
  }
  block.lines = reader.linesEnded();
  block.mark = reader.byteOrderMark();
}

// Counts of one conversion in blocks, for tests and measurements.
struct BlockStats {
  std::uint64_t blocks = 0;       // blocks converted and settled
  std::uint64_t reconverted = 0;  // of them, converted again because settle() refused them
};

// The size of a block (1 MiB, so that the 2N + 2 blocks in flight, each with its converted
// copy, stay small) and the most a block grows for a long logical line.
inline constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

// Converts one OBJ file into `outputPath` in blocks of whole logical lines (BlockCutter, about
// `blockSize` bytes each), settled and written in file order: with `workers` > 1, blocks are
// converted on that many threads while one more reads (at most 2 * workers + 2 read and not
// yet written) and the calling thread settles and writes; with 1, block after block on the
// calling thread alone. Either gives the same bytes. A logical line longer than 4 blocks (and
// 64 KiB) is not held whole: from the block it starts on, the rest of the file is converted
// on the calling thread by one streaming reader (as one block, settled at its end).
// The input is opened (and its first block read) before the output, so that an input that
// cannot be read fails first and a file converted onto itself reads the original; the output
// goes to a temporary file that replaces `outputPath` only when the whole file has been
// converted. A failure is that of the first block, in file order, that fails (line numbers
// over the whole file); nothing is written then. `progress` is told the bytes of the blocks
// written so far. An empty `outputPath` writes nothing: the file is only read (a scan).
// A file without any vertex line converts with noVertexLineWarning.
ConvertOutcome convertFileInBlocks(const std::string& inputPath, const std::string& outputPath,
                                   BlockSettler& settler, unsigned workers,
                                   std::size_t blockSize = kBlockBytes,
                                   ProgressSink* progress = nullptr, BlockStats* stats = nullptr);

// The whole file at `path` (a small one, of about `size` bytes) as one block that starts the
// file; false with the reason in block.outcome (openFailed) when it cannot be read.
[[nodiscard]] bool readWholeFileBlock(const std::string& path, std::uint64_t size, Block& block);
