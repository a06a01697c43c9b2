#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/bounds3.h"
#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"

// One converted file as the report shows it: its vertices' boxes in the input frame and in the
// output frame, and its outline on the Earth (lon°, lat° corners), when known.
struct FileRecord {
  std::string input;
  std::string output;
  std::uint64_t vertexCount = 0;
  Bounds3 inputBounds;
  Bounds3 outputBounds;
  std::vector<Point3> footprint;
};

// What a run did, for the report.
struct RunRecord {
  std::string mode;        // e.g. "project frame -> ENU"
  std::string coordPath;
  std::optional<EnuOrigin> origin;  // the ENU origin of the ENU modes
  std::string originSource;         // how the origin was chosen
  std::optional<int> zoneCode;      // the zone code printed last in the zone mode
  std::vector<FileRecord> files;
  double seconds = 0.0;
  std::string outcome;  // "convert success!!" or the failure message and its detail
  bool succeeded = false;
};
