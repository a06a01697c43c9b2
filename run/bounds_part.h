#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "coordinfo/bounds3.h"
#include "run/shard.h"

// What one process of a batch writes with -boundsonly: the bounds of its inputs' vertices, and
// what a merge checks to know that the parts belong together. A JSON document:
//   {"quorvex": "bounds", "version": "0.1.0",
//    "coordinateFileSha256": "<64 hex digits>", "mode": "project frame -> ENU",
//    "srsOrigin": null | [x, y, z],
//    "batch": {"files": 500, "sha256": "<batchDigest of the whole list>"},
//    "shard": "2/4" | null, "files": 125, "vertices": 250000,
//    "min": [x, y, z] | null, "max": [x, y, z] | null}
// Numbers are written so that they read back to the same bits.
struct BoundsPart {
  std::string version;
  std::string coordinateFileSha256;
  std::string mode;
  // The offset the production's metadata adds to every vertex before the scan (metres), when
  // it gives one.
  std::optional<std::array<double, 3>> srsOrigin;
  std::uint64_t batchFiles = 0;
  std::string batchSha256;
  std::optional<Shard> shard;
  std::uint64_t files = 0;
  std::uint64_t vertices = 0;
  Bounds3 bounds;  // empty without vertices
};

std::string boundsPartJson(const BoundsPart& part);

// The part a JSON text holds; false with the reason in `why` when the text is not a bounds
// file (invalid JSON, another document, a key missing or of the wrong type).
[[nodiscard]] bool readBoundsPart(const std::string& text, BoundsPart& part, std::string& why);
