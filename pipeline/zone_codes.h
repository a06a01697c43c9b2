#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "geodesy/gauss_kruger.h"
#include "geodesy/zone.h"

// The zones a run fixes as it goes: a definition without a parsed zone code takes the zone of
// the first point converted through it, in file order, and keeps it for the rest of the run.
// Part of the order-dependent state of a run (pipeline/run_state.h); the converter reads and
// fixes it only in projectToZone.
class ZoneCodes {
 public:
  explicit ZoneCodes(std::size_t definitionCount) : fixed_(definitionCount) {}

  // The code fixed for definition `index`; empty when none is fixed yet.
  std::optional<int32_t> code(std::size_t index) const {
    if (index >= fixed_.size() || !fixed_[index]) return std::nullopt;
    return fixed_[index]->code;
  }
  // Its projection; null when none is fixed yet.
  const GaussKrugerProjection* projection(std::size_t index) const {
    return index < fixed_.size() && fixed_[index] ? &fixed_[index]->projection : nullptr;
  }
  // Fixes the zone of definition `index` (which must be below the count) to `zoneCode`.
  void fix(std::size_t index, int32_t zoneCode) {
    fixed_[index].emplace(Fixed{zoneCode, zoneProjection(zoneCode)});
  }

 private:
  struct Fixed {
    int32_t code;
    GaussKrugerProjection projection;
  };
  std::vector<std::optional<Fixed>> fixed_;
};
