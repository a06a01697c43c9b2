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
#include "pipeline/round_trip_tally.h"

// One converted file as the report shows it: its vertices' boxes in the input frame and in the
// output frame, its outline on the Earth (lon°, lat° corners), when known, and its accuracy.
struct FileRecord {
  std::string input;
  std::string output;
  std::uint64_t vertexCount = 0;
  Bounds3 inputBounds;
  Bounds3 outputBounds;
  std::vector<Point3> footprint;
  RoundTripTally roundTrip;
  // Degree: the largest distance of the footprint's corners from the central meridian of the
  // projections converting them; empty without a projection (control points) or footprint.
  std::optional<double> meridianOffset;
  double largestLatitude = 0.0;  // degree: the largest |latitude| of the footprint's corners
  std::optional<int> zoneCode;   // zone mode: the zone of the file's vertices (as printed)
};

// What a run did, for the report.
struct RunRecord {
  std::string mode;        // e.g. "project frame -> ENU"
  std::string coordPath;
  std::optional<EnuOrigin> origin;  // the ENU origin of the ENU modes
  std::string originSource;         // how the origin was chosen
  std::optional<int> zoneCode;      // the zone code printed last in the zone mode
  double maxClosureMm = 1.0;        // -maxclosure: a larger round trip is highlighted
  std::vector<FileRecord> files;  // files[i] is the run's input i, written
  std::vector<std::string> materialFiles;  // the material libraries and maps copied or linked
  std::optional<std::size_t> failedInput;  // the index of the input the run failed on
  double seconds = 0.0;
  std::string outcome;  // "convert success!!" or the failure message and its detail
  bool succeeded = false;
};
