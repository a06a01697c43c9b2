#pragma once

#include <cstring>
#include <string>

#include "common/readme_site.h"
#include "coordinfo/coord_translate_info.h"
#include "pipeline/converter.h"
#include "pipeline/zone_codes.h"

namespace pipelinetest {

// The README's control-point site (an array element; its transform fitted on first use).
inline const std::string kSiteDefinition = testdocs::kReadmeSite;

// A "Control points" definition with a stored transform that is a plain shift, project =
// ENU + (500000, 3300000, 0), and no zone until its first point; appended to `info`.
inline ProjectDefinition& addShiftedControlPoints(CoordTranslateInfo& info) {
  ProjectDefinition& d = info.appendDefinition();
  d.type = "Control points";
  TransformInfo& t = d.transform.emplace();
  t.tar = {500000.0, 3300000.0, 0.0};
  t.inv_src = t.tar;
  return d;
}

inline bool sameBits(const Point3& a, const Point3& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// One thread's view of a run: a converter with its scratch, the zones the run fixes and the
// reason of the last failure.
struct Conversion {
  Converter converter;
  ConverterScratch scratch;
  ZoneCodes zones;
  std::string why;

  Conversion(const CoordTranslateInfo& model, const EnuOrigin& origin)
      : converter(model, origin), zones(converter.definitionCount()) {}
  explicit Conversion(Converter prepared)
      : converter(std::move(prepared)), zones(converter.definitionCount()) {}

  [[nodiscard]] bool toEnu(const Point3& in, Point3& out) {
    return converter.projectToEnu(in, out, scratch, &why);
  }
  [[nodiscard]] bool toProject(const Point3& in, Point3& out) {
    return converter.enuToProject(in, out, scratch, &why);
  }
  [[nodiscard]] bool toZone(const Point3& in, Point3& out) {
    return converter.projectToZone(in, out, scratch, zones, &why);
  }
  std::optional<std::size_t> chosen() const { return scratch.trace().chosen; }
};

}  // namespace pipelinetest
