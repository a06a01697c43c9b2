#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "obj/convert_obj_file.h"
#include "obj/parallel_obj_convert.h"
#include "obj/progress_sink.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "pipeline/run_state.h"
#include "run/round_trip_sampler.h"
#include "coordinfo/bounds3.h"

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
// `inputBox` and `outputBox` (when not null) receive the boxes of the converted vertices,
// `roundTrip` (when not null) the round trip of the vertices `sampling` picks: the same
// figures for any number of workers and any block size.
ConvertOutcome convertObjFileThreaded(const std::string& inputPath,
                                      const std::string& outputPath, const Converter& converter,
                                      RunState& state, ConversionKind kind, unsigned workers,
                                      std::size_t blockSize, ProgressSink* progress = nullptr,
                                      Bounds3* inputBox = nullptr, Bounds3* outputBox = nullptr,
                                      ParallelStats* stats = nullptr,
                                      std::optional<int32_t>* fileZone = nullptr,
                                      const RoundTripSampling& sampling = {},
                                      RoundTripTally* roundTrip = nullptr);

// One file of a run: with one thread, convertObjFile streaming through a VertexAdapter that
// records every trace into `state` at once (so the converter's zones and label lines follow
// the vertices one by one); with more, convertObjFileThreaded. The two write the same bytes and
// leave `state` alike. A conversion's reason follows the detail of a convertFailed outcome
// after ": ". In the zone mode `fileZone` (when not null) receives the zone code the file's
// vertices were projected onto (a vertex on another one fails the file); empty without vertices.
ConvertOutcome convertRunFile(const std::string& inputPath, const std::string& outputPath,
                              const Converter& converter, RunState& state, ConversionKind kind,
                              unsigned threads, ProgressSink* progress = nullptr,
                              Bounds3* inputBox = nullptr, Bounds3* outputBox = nullptr,
                              std::optional<int32_t>* fileZone = nullptr,
                              const RoundTripSampling& sampling = {},
                              RoundTripTally* roundTrip = nullptr);
