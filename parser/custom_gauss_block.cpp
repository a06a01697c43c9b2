#include "parser/custom_gauss_block.h"

#include <optional>

#include "parser/basepoint_member.h"
#include "geodesy/zone.h"
#include "geodesy/ellipsoid.h"

namespace {

// "ellipsoid": a name outside the table converts on the WGS84 values, which a misspelt name
// (e.g. "XIAN 80") would silently do.
bool readEllipsoidName(const JsonObjectReader& define, std::string& name) {
  if (!define.readString("ellipsoid", name)) return false;
  if (define.has("ellipsoid") && !findEllipsoid(name)) {
    define.warn("ellipsoid", "unknown ellipsoid \"" + name +
                                 "\" (known: CGCS2000, XIAN80, BJ54, WGS84); the WGS84 values "
                                 "are used");
  }
  return true;
}

}  // namespace

bool readCustomGaussDefine(const JsonObjectReader& define, ProjectDefinition& definition,
                           ParseTarget& target) {
  projectinfo& info = definition.info;

  if (!define.readLenientNumber("centralMeridianLongitude", info.centralMeridianLongitude)) {
    return false;
  }
  if (define.has("centralMeridianLongitude")) {
    // The zone of the meridian kept, also when the file's value was unsupported.
    const std::optional<int32_t> zone = zoneCodeOf(info.centralMeridianLongitude);
    if (!zone) {
      return define.fail("centralMeridianLongitude",
                         "the meridian has no zone code in the 32-bit range");
    }
    definition.zonecode = *zone;
    // An array of definitions takes its process-wide zone from the boundaries instead.
    if (target.form == DocumentForm::object) target.globalzonecode = *zone;
  }

  if (!define.readLenientNumber("centralOriginLatitude", info.centralOriginLatitude) ||
      !readEllipsoidName(define, info.ellipsoid) ||
      !define.readLenientNumber("surfaceheight", info.surfaceheight)) {
    return false;
  }

  // A file without false offsets means none: absent keys give 0, not the record's 500000.
  if (!define.has("xoffset")) info.xoffset = 0.0;
  if (!define.has("yoffset")) info.yoffset = 0.0;
  if (!define.readLenientNumber("xoffset", info.xoffset) ||
      !define.readLenientNumber("yoffset", info.yoffset)) {
    return false;
  }

  return readBasepoint(define, definition.origin, target.info.basepointGiven,
                       target.basepointsAlsoToProcess ? &target.processOrigin : nullptr);
}
