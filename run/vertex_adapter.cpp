#include "run/vertex_adapter.h"

bool VertexAdapter::sameZoneAsFile(std::string* why) {
  return sameZoneAsFile(scratch_.trace().chosen, why);
}

bool VertexAdapter::sameZoneAsFile(std::optional<std::size_t> chosen, std::string* why) {
  const std::optional<int32_t> code =
      chosen ? converter_.zoneCode(*chosen, zones()) : std::optional<int32_t>();
  if (!code) return true;
  if (!fileZone) {
    fileZone = code;
    return true;
  }
  if (*code == *fileZone) return true;
  if (why != nullptr) {
    *why = "this vertex lies on zone " + std::to_string(*code) + ", the vertices before it on " +
           "zone " + std::to_string(*fileZone) + ": a file is projected onto one zone";
  }
  return false;
}

bool VertexAdapter::convert(const double read[3], double out[3], std::string* why) {
  if (!offsetGiven_) return convertOffset(read, out, why);
  const double in[3] = {read[0] + offset_[0], read[1] + offset_[1], read[2] + offset_[2]};
  return convertOffset(in, out, why);
}

bool VertexAdapter::convertOffset(const double in[3], double out[3], std::string* why) {
  const Point3 p{in[0], in[1], in[2]};
  Point3 result{};
  bool converted = false;
  switch (kind_) {
    case ConversionKind::projectToEnu:
      converted = converter_.projectToEnu(p, result, scratch_, why);
      break;
    case ConversionKind::enuToProject:
      converted = converter_.enuToProject(p, result, scratch_, why);
      break;
    case ConversionKind::projectToZone:
      converted = converter_.projectToZone(p, result, scratch_, zones(), why);
      break;
  }
  traced(scratch_.trace());
  if (!converted) return false;
  if (kind_ == ConversionKind::projectToZone && !sameZoneAsFile(why)) return false;
  out[0] = result.x;
  out[1] = result.y;
  out[2] = result.z;
  inputBox.add(in);
  outputBox.add(out);
  if (sampler_.wanted(in)) sampler_.add(in, out, *scratch_.trace().chosen, fileZone);
  return true;
}

std::size_t VertexAdapter::convertMany(const double* read, double* out, std::size_t count,
                                       std::string* why) {
  const double* in = read;
  if (offsetGiven_) {
    offsetBatch_.resize(3 * count);
    for (std::size_t i = 0; i < 3 * count; i += 3) {
      offsetBatch_[i] = read[i] + offset_[0];
      offsetBatch_[i + 1] = read[i + 1] + offset_[1];
      offsetBatch_[i + 2] = read[i + 2] + offset_[2];
    }
    in = offsetBatch_.data();
  }
  auto single = [this, why](const double* one, double* result) {
    return convertOffset(one, result, why);
  };
  if (converter_.definitionCount() > 1) {
    return lanes_.convertByDefinition(
        scratch_, zones(), in, out, count, single,
        [this](const double* one, const double* result, const ConversionTrace& trace) {
          // The zone of the definition chosen must be the file's; else the one-vertex
          // conversion says why.
          if (kind_ == ConversionKind::projectToZone && !sameZoneAsFile(trace.chosen, nullptr)) {
            return false;
          }
          traced(trace);
          inputBox.add(one);
          outputBox.add(result);
          if (sampler_.wanted(one)) sampler_.add(one, result, *trace.chosen, fileZone);
          return true;
        });
  }
  // Vertices the lanes convert through a control-point transform have used it: the run prints
  // what fitting it printed the first time (the one-vertex conversion records the same).
  if (converter_.isControlPoints(0)) {
    ConversionTrace trace;
    trace.chosen = 0;
    trace.controlTransformUsed = true;
    traced(trace);
  }
  return lanes_.convert(
      zones(), in, out, count, single,
      [this](const double* one, const double* result) {
        // Lanes convert through the only definition, whose zone is fixed: the file's.
        if (kind_ == ConversionKind::projectToZone && !fileZone) {
          fileZone = converter_.zoneCode(0, zones());
        }
        inputBox.add(one);
        outputBox.add(result);
        if (sampler_.wanted(one)) sampler_.add(one, result, 0, fileZone);
        return true;
      });
}
