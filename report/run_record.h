#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "coordinfo/enu_origin.h"
#include "coordinfo/point3.h"

// The smallest box holding a set of points (x, y, z each), empty until the first point.
struct Bounds3 {
  std::array<double, 3> min{std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::infinity()};
  std::array<double, 3> max{-std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};

  bool empty() const { return !(min[0] <= max[0]); }
  void add(const double p[3]) {
    for (int k = 0; k < 3; ++k) {
      if (p[k] < min[k]) min[k] = p[k];
      if (p[k] > max[k]) max[k] = p[k];
    }
  }
};

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
  std::optional<int> zoneCode;      // the printed zone code of the zone mode
  std::vector<FileRecord> files;
  double seconds = 0.0;
  std::string outcome;  // "convert success!!" or the failure message and its detail
  bool succeeded = false;
};
