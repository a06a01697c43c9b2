#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "obj/convert_obj_file.h"
#include "obj/parallel_obj_convert.h"
#include "obj/progress_sink.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"

// The smallest boxes of the three input and output numbers of the vertices converted (empty:
// min above max).
struct VertexBoxes {
  static constexpr double kInf = std::numeric_limits<double>::infinity();
  std::array<double, 3> inMin{kInf, kInf, kInf}, inMax{-kInf, -kInf, -kInf};
  std::array<double, 3> outMin{kInf, kInf, kInf}, outMax{-kInf, -kInf, -kInf};
  void add(const double in[3], const double out[3]);
  void merge(const VertexBoxes& other);
};

// Converts one OBJ file through `converter` with `workers` threads (convertObjFileParallel),
// the output byte for byte that of convertObjFile converting one vertex after the other and
// calling state.record after each, as the one-thread run does:
// - each block records the traces that could print something (a trace whose boundariesReached
//   exceeds the block's largest so far, or whose control-point transform the block had not
//   used yet); they are replayed into `state` in file order, so label lines come out as with
//   one thread;
// - projectToZone: each block converts with a copy of the zones fixed when it starts; in file
//   order a zone the block fixed is taken into `state` when still unfixed there, and when an
//   earlier block has meanwhile fixed it to another code, the block is converted again with
//   the zones as they are.
// `boxes` (when not null) receives the boxes of the converted vertices.
ConvertOutcome convertObjFileThreaded(const std::string& inputPath,
                                      const std::string& outputPath, const Converter& converter,
                                      RunState& state, ConversionKind kind, unsigned workers,
                                      std::size_t blockSize, ProgressSink* progress = nullptr,
                                      VertexBoxes* boxes = nullptr,
                                      ParallelStats* stats = nullptr);
