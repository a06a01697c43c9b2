#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/bounds3.h"
#include "coordinfo/point3.h"
#include "pipeline/conversion_kind.h"
#include "pipeline/converter.h"
#include "run/run_failure.h"

// The vertices of one file that one definition would convert: how many, their box and the
// first of them (numbers with the converter's inputOffset() added, in the input frame).
struct DefinitionScan {
  std::uint64_t vertexCount = 0;
  Bounds3 box;
  std::optional<Point3> first;
};

// Every input read once, each vertex's definition chosen as a `kind` conversion would choose
// it (Converter::chooseFor), nothing converted or written: per file, per definition (the last
// entry: vertices no definition takes).
struct FrameScan {
  std::optional<RunFailure> failure;  // an input unreadable, a bad vertex line
  std::vector<std::vector<DefinitionScan>> files;  // files[f][definition]
  std::vector<std::string> warnings;               // of the files read (no vertex line)
};
// `threads` convert blocks of each file at once.
FrameScan scanFrames(const std::vector<std::string>& files, unsigned threads,
                     const Converter& converter, ConversionKind kind);
