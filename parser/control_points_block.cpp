#include "parser/control_points_block.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

#include "parser/basepoint_member.h"
#include "geodesy/zone.h"
#include "geodesy/control_transform.h"
#include "geodesy/enu_frame.h"

namespace {

// Longitude bounds that start the zone fold of an object document: any real longitude lies
// inside them.
constexpr double kZoneFoldMinStart = 200.0;   // degree
constexpr double kZoneFoldMaxStart = -200.0;  // degree

constexpr NumberArrayShape kPointTriples{.multipleOf = 3};
constexpr NumberArrayShape kSourcePointTriples{.minCount = 3, .multipleOf = 3};

void appendTriples(const std::vector<double>& values, std::vector<Point3>& points) {
  points.reserve(points.size() + values.size() / 3);
  for (std::size_t k = 0; k + 2 < values.size(); k += 3) {
    points.push_back({values[k], values[k + 1], values[k + 2]});
  }
}

bool readDespoints(const JsonObjectReader& define, ProjectDefinition& definition) {
  std::vector<double> values;
  bool present = false;
  if (!define.readNumberArray("despoints", kPointTriples, values, present)) return false;
  appendTriples(values, definition.despoints);
  return true;
}

// "srcpoints" and the source-point processing.
bool readSrcpoints(const JsonObjectReader& define, ProjectDefinition& definition,
                   ParseTarget& target) {
  std::vector<double> values;
  bool present = false;
  if (!define.readNumberArray("srcpoints", kSourcePointTriples, values, present)) return false;
  if (!present) return true;
  appendTriples(values, definition.srcpoints);

  const Point3 centre = sourcePointsCentre(definition.srcpoints);
  EnuOrigin& origin = target.processOrigin;
  origin.lon = centre.x;
  origin.lat = centre.y;
  origin.height = 0.0;
  origin.spare1 = 0.0;
  origin.spare2 = 0.0;
  definition.srcpointsenu = sourcePointsToEnu(definition.srcpoints, origin);
  definition.fittedFrame = origin;

  if (target.form == DocumentForm::object) {
    const std::optional<int32_t> zone =
        zoneCodeOf(sourcePointsZoneLongitude(definition.srcpoints));
    if (!zone) {
      return define.fail("srcpoints", "the longitudes have no zone code in the 32-bit range");
    }
    target.globalzonecode = *zone;
  }
  return true;
}

template <std::size_t N>
bool readTransformArray(const JsonObjectReader& transform, const char* key,
                        std::array<double, N>& field) {
  std::vector<double> values;
  bool present = false;
  if (!transform.readNumberArray(key, {.maxCount = N}, values, present)) return false;
  // Copied as given: the fit's cleaning of tiny values does not apply to stored values.
  std::copy(values.begin(), values.end(), field.begin());
  return true;
}

// Reads a "transform" object when there is one; `read` tells whether it was.
bool readTransform(const JsonObjectReader& define, ProjectDefinition& definition, bool& read) {
  const rapidjson::Value* object = define.find("transform");
  read = object != nullptr && object->IsObject();
  if (!read) return true;
  const JsonObjectReader transform = define.child(*object, "transform");
  transform.warnUnknownKeys({"args", "inv_args", "src", "tar", "inv_src", "inv_tar"});
  if (!definition.transform) definition.transform.emplace();
  TransformInfo& info = *definition.transform;
  return readTransformArray(transform, "args", info.args) &&
         readTransformArray(transform, "inv_args", info.inv_args) &&
         readTransformArray(transform, "src", info.src) &&
         readTransformArray(transform, "inv_src", info.inv_src) &&
         readTransformArray(transform, "tar", info.tar) &&
         readTransformArray(transform, "inv_tar", info.inv_tar);
}

}  // namespace

Point3 sourcePointsCentre(const std::vector<Point3>& points) {
  double minLon = points.front().x;
  double maxLon = minLon;
  double minLat = points.front().y;
  double maxLat = minLat;
  for (const Point3& p : points) {
    minLon = std::min(minLon, p.x);
    maxLon = std::max(maxLon, p.x);
    minLat = std::min(minLat, p.y);
    maxLat = std::max(maxLat, p.y);
  }
  return {(minLon + maxLon) / 2, (minLat + maxLat) / 2, 0.0};
}

double sourcePointsZoneLongitude(const std::vector<Point3>& points) {
  double minLon = kZoneFoldMinStart;
  double maxLon = kZoneFoldMaxStart;
  for (const Point3& p : points) {
    minLon = std::min(minLon, p.x);
    maxLon = std::max(maxLon, p.x);
  }
  return (minLon + maxLon) / 2;
}

std::vector<Point3> sourcePointsToEnu(const std::vector<Point3>& srcpoints,
                                      const EnuOrigin& origin) {
  const EnuFrame frame(origin);
  std::vector<Point3> enu;
  enu.reserve(srcpoints.size());
  for (const Point3& p : srcpoints) enu.push_back(frame.ecefToEnu(frame.geodeticToEcef(p)));
  return enu;
}

bool readControlPointsDefine(const JsonObjectReader& define, ProjectDefinition& definition,
                             ParseTarget& target) {
  if (!readDespoints(define, definition)) return false;
  bool transformRead = false;

  if (target.form == DocumentForm::object) {
    if (!readSrcpoints(define, definition, target)) return false;
    if (!readTransform(define, definition, transformRead)) return false;
    // No stored transform: estimate both directions from the pairs as they stand now.
    if (!transformRead) target.fitConsole->append(fillTransformInfo(definition));
    return readBasepoint(define, definition.origin, target.info.basepointGiven,
                       target.basepointsAlsoToProcess ? &target.processOrigin : nullptr);
  }

  // Array document: a missing transform stays missing until the first conversion needs it.
  if (!readTransform(define, definition, transformRead)) return false;
  if (!readBasepoint(define, definition.origin, target.info.basepointGiven,
                     target.basepointsAlsoToProcess ? &target.processOrigin : nullptr)) {
    return false;
  }
  return readSrcpoints(define, definition, target);
}
