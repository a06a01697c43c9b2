#include "run/vertex_batch.h"

#include <algorithm>
#include <cmath>

namespace {

bool finiteVertex(const double v[3]) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

}  // namespace

VertexBatch::VertexBatch(const Converter& converter, ConversionKind kind,
                         const RoundTripSampling& sampling, LaneKernel kernel)
    : converter_(converter),
      kind_(kind),
      kernel_(kernel),
      offset_(converter.inputOffset()),
      offsetGiven_(offset_.x != 0.0 || offset_.y != 0.0 || offset_.z != 0.0),
      sampler_(sampling),
      zones_(converter.definitionCount()),
      firstUse_(converter.definitionCount()) {}

void VertexBatch::begin(const ZoneCodes& zones, std::optional<int32_t> fileZone) {
  notes_ = BatchNotes{};
  firstUse_ = FirstUse(converter_.definitionCount());
  if (kind_ != ConversionKind::projectToZone) return;
  notes_.fileZone = fileZone;
  notes_.zoneKnownAtStart = fileZone.has_value();
  zones_ = zones;
  fixedBefore_.assign(converter_.definitionCount(), false);
  for (std::size_t i = 0; i < fixedBefore_.size(); ++i) {
    fixedBefore_[i] = zones_.code(i).has_value();
  }
}

BatchNotes VertexBatch::end() {
  notes_.roundTrip = sampler_.take();
  if (kind_ == ConversionKind::projectToZone) {
    for (std::size_t i = 0; i < fixedBefore_.size(); ++i) {
      if (fixedBefore_[i]) continue;
      if (const std::optional<int32_t> code = zones_.code(i)) {
        notes_.fixedZones.emplace_back(i, *code);
      }
    }
  }
  return std::move(notes_);
}

void VertexBatch::traced(const ConversionTrace& trace) {
  if (firstUse_.take(trace).any()) notes_.traces.push_back(trace);
}

bool VertexBatch::accept(const double in[3], const double out[3], const ConversionTrace& trace,
                         std::string* why) {
  traced(trace);
  if (kind_ == ConversionKind::projectToZone) {
    // The zone of the definition chosen must be the file's.
    const std::optional<int32_t> code =
        trace.chosen ? converter_.zoneCode(*trace.chosen, zones_) : std::optional<int32_t>();
    if (code && !notes_.fileZone) {
      notes_.fileZone = code;
    } else if (code && *code != *notes_.fileZone) {
      if (why != nullptr) {
        *why = "this vertex lies on zone " + std::to_string(*code) +
               ", the vertices before it on zone " + std::to_string(*notes_.fileZone) +
               ": a file is projected onto one zone";
      }
      return false;
    }
  }
  notes_.inputBox.add(in);
  notes_.outputBox.add(out);
  if (sampler_.wanted(in)) sampler_.add(in, out, *trace.chosen, notes_.fileZone);
  return true;
}

bool VertexBatch::convertOne(const double in[3], double out[3], std::string& why) {
  const Point3 p{in[0], in[1], in[2]};
  Point3 result{};
  bool converted = false;
  switch (kind_) {
    case ConversionKind::projectToEnu:
      converted = converter_.projectToEnu(p, result, scratch_, &why);
      break;
    case ConversionKind::enuToProject:
      converted = converter_.enuToProject(p, result, scratch_, &why);
      break;
    case ConversionKind::projectToZone:
      converted = converter_.projectToZone(p, result, scratch_, zones_, &why);
      break;
  }
  if (!converted) {
    traced(scratch_.trace());
    return false;
  }
  const double converted3[3] = {result.x, result.y, result.z};
  if (!accept(in, converted3, scratch_.trace(), &why)) return false;
  std::copy_n(converted3, 3, out);
  return true;
}

void VertexBatch::convertInLanes(const double* in, double* out, std::size_t count) {
  const std::size_t definitions = converter_.definitionCount();
  done_.assign(count, 0);
  if (definitions <= 1) {
    converter_.convertInLanes(kernel_, kind_, zones_, 0, in, out, done_.data(), count);
    return;
  }
  // Each vertex's definition first, then the vertices of each definition in lanes together.
  chosen_.assign(count, definitions);  // `definitions`: none chosen
  traces_.resize(count);
  present_.clear();  // the definitions chosen in this batch, usually one or two
  for (std::size_t i = 0; i < count; ++i) {
    const Point3 p{in[3 * i], in[3 * i + 1], in[3 * i + 2]};
    if (const std::optional<std::size_t> c = converter_.chooseFor(kind_, p, scratch_)) {
      chosen_[i] = *c;
      if (std::find(present_.begin(), present_.end(), *c) == present_.end()) {
        present_.push_back(*c);
      }
    }
    traces_[i] = scratch_.trace();
  }
  for (const std::size_t d : present_) {
    gatherIn_.clear();
    at_.clear();
    for (std::size_t i = 0; i < count; ++i) {
      if (chosen_[i] != d) continue;
      gatherIn_.insert(gatherIn_.end(), in + 3 * i, in + 3 * i + 3);
      at_.push_back(i);
    }
    gatherOut_.assign(gatherIn_.size(), 0.0);
    gatherDone_.resize(at_.size());
    converter_.convertInLanes(kernel_, kind_, zones_, d, gatherIn_.data(), gatherOut_.data(),
                              gatherDone_.data(), at_.size());
    for (std::size_t k = 0; k < at_.size(); ++k) {
      if (gatherDone_[k] == 0) continue;
      std::copy_n(&gatherOut_[3 * k], 3, out + 3 * at_[k]);
      done_[at_[k]] = 1;
    }
  }
}

std::size_t VertexBatch::convertBatch(const double* read, double* out, std::size_t count,
                                      std::string& why) {
  const double* in = read;
  if (offsetGiven_) {
    offsetIn_.resize(3 * count);
    for (std::size_t i = 0; i < 3 * count; i += 3) {
      offsetIn_[i] = read[i] + offset_.x;
      offsetIn_[i + 1] = read[i + 1] + offset_.y;
      offsetIn_[i + 2] = read[i + 2] + offset_.z;
    }
    in = offsetIn_.data();
  }
  convertInLanes(in, out, count);
  const bool several = converter_.definitionCount() > 1;
  // A vertex the lanes converted through the only definition: its trace is the choice of it,
  // through its transform when it has control points.
  ConversionTrace only;
  only.chosen = 0;
  only.controlTransformUsed = converter_.isControlPoints(0);
  for (std::size_t i = 0; i < count; ++i) {
    const double* one = in + 3 * i;
    double* result = out + 3 * i;
    if (done_[i] != 0 && accept(one, result, several ? traces_[i] : only, nullptr)) continue;
    // Left by the lanes (or on another zone: the one-vertex conversion says why).
    if (!convertOne(one, result, why)) return i;
    if (!finiteVertex(result)) return i + 1;  // the rewriting stops at it
  }
  return count;
}
