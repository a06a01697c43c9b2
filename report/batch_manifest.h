#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "coordinfo/enu_origin.h"
#include "pipeline/round_trip_tally.h"

// The record of one run of a batch (-manifest), as one JSON document:
//   {"quorvex": "manifest", "version", "flags": {NAME: VALUE, ...},
//    "coordinateFile": {"path", "sha256" | null}, "mode", "shard": "K/N" | null,
//    "batch": {"files", "sha256" | null}, "origin": {"lon", "lat", "source"} | null,
//    "zones": [CODE, ...], "outcome": {"status": "success" | "failed", "message", "detail"},
//    "files": [FILE, ...]}
// and per file (every input of the run, in its order):
//   {"input", "inputBytes", "status": "written" | "failed" | "not reached", and when written
//    "output", "outputBytes", "outputSha256" (null for a device), "vertices", "zone" (zone mode),
//    "roundTripMm": {"largest" | null when a way back failed, "rmsHorizontal",
//    "rmsVertical", "sampled", "failed"}; when failed "message" and "detail"}.
// Paths are UTF-8 (platform/utf8_path.h); the files of several manifests of one batch, each
// run on its own part (-shard), are every file of the batch once.
struct ManifestFile {
  enum class Status { written, failed, notReached };
  std::string input;
  std::uint64_t inputBytes = 0;
  Status status = Status::notReached;
  std::string output;
  std::uint64_t outputBytes = 0;
  std::string outputSha256;
  std::uint64_t vertices = 0;
  std::optional<int> zone;
  RoundTripTally roundTrip;
  std::string message, detail;  // failed: the fixed message and "path:line: reason"
};

struct Manifest {
  std::string version;
  std::vector<std::pair<std::string, std::string>> flags;
  std::string coordPath;
  std::string coordSha256;  // empty: the file could not be read
  std::string mode;
  std::string shard;  // "K/N"; empty without -shard
  std::uint64_t batchFiles = 0;
  std::string batchSha256;
  std::optional<EnuOrigin> origin;
  std::string originSource;
  std::vector<int> zones;  // zone mode: the distinct zone codes of the files written
  bool succeeded = false;
  std::string message, detail;
  std::vector<ManifestFile> files;
};

std::string manifestJson(const Manifest& manifest);
