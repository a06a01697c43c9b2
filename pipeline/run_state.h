#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "pipeline/converter.h"
#include "pipeline/first_use.h"
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
// on with the same RunState. What is to be printed is kept here, in order, until the run
// takes it (takePrinted), since the state prints nothing itself.
class RunState {
 public:
  explicit RunState(const Converter& converter);

  // After each conversion (also a failed one), in file order: keeps what it needed for the
  // first time in this run to be printed, boundaries in definition order before the transform.
  void record(const Converter& converter, const ConversionTrace& trace);

  // The text kept since the last call: label lines for standard output, failure reasons (one
  // line each) for standard error.
  struct Printed {
    std::string out, err;
    bool empty() const { return out.empty() && err.empty(); }
  };
  bool hasPrinted() const { return !pending_.empty(); }
  Printed takePrinted();

  // A selection has looked at the boundary of definition `index`.
  bool boundarySeen(std::size_t index) const { return firstUse_.boundarySeen(index); }

  ZoneCodes& zones() { return zones_; }
  const ZoneCodes& zones() const { return zones_; }

  // boundariesSeen()[i]: a selection has looked at the boundary of definition i.
  std::vector<bool> boundariesSeen() const;

 private:
  void print(const std::string& out, const std::string& err);

  std::size_t definitionCount_;
  FirstUse firstUse_;
  ZoneCodes zones_;
  Printed pending_;
};
