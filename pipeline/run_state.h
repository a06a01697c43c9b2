#pragma once

#include <cstddef>
#include <iostream>
#include <vector>

#include "pipeline/converter.h"
#include "pipeline/zone_codes.h"

// The state of a run that depends on the order of its vertices, owned by the driver and
// advanced in file order, one conversion after the other:
// - the label lines (and failure reasons) of control-point fits, printed the first time they
//   are needed, as a run has always printed them: a definition's boundary fit when a
//   selection first looks at its boundary, the fit of a missing transform when a conversion
//   first goes through that transform;
// - the zone a definition without a parsed zone code takes from the first point converted
//   through it (ZoneCodes, which projectToZone reads and fixes).
// The converter itself stays immutable; a converter made from another one by withOrigin goes
// on with the same RunState.
class RunState {
 public:
  // Text goes to `out` (label lines) and `err` (failure reasons), which must outlive the state.
  explicit RunState(const Converter& converter, std::ostream& out = std::cout,
                    std::ostream& err = std::cerr);

  // After each conversion (also a failed one), in file order: prints what it needed for the
  // first time in this run, boundaries in definition order before the transform.
  void record(const Converter& converter, const ConversionTrace& trace);

  // A selection has looked at the boundary of definition `index`.
  bool boundarySeen(std::size_t index) const {
    return index < boundarySeen_.size() && boundarySeen_[index];
  }

  ZoneCodes& zones() { return zones_; }
  const ZoneCodes& zones() const { return zones_; }

 private:
  void print(const std::string& out, const std::string& err);

  std::vector<bool> boundarySeen_;
  std::vector<bool> transformUsed_;
  ZoneCodes zones_;
  std::ostream* out_;
  std::ostream* err_;
};
