#include "run/metadata_frame.h"


#include "geodesy/datum.h"
#include "geodesy/gauss_kruger.h"
#include "parser/srs_text.h"

#include "platform/number_text.h"

namespace {

constexpr FrameValue kCompared[] = {
    FrameValue::semiMajorAxis, FrameValue::flattening,   FrameValue::centralMeridian,
    FrameValue::originLatitude, FrameValue::scale,      FrameValue::falseEasting,
    FrameValue::falseNorthing};


std::string ellipsoidText(const Ellipsoid& e) {
  const EllipsoidNames names = ellipsoidNames(e);
  if (!names.ellipsoid.empty()) return names.ellipsoid;
  return "a " + shortestText(e.a) + " m, 1/f " + shortestText(1.0 / e.f);
}

// "central meridian 113.37 vs 114, false easting ..." for the values in which `a` and `b`
// differ (the ellipsoid once, by name); empty when they are the same frame.
std::string differences(const ProjectedFrame& a, const ProjectedFrame& b) {
  std::string text;
  bool ellipsoidSaid = false;
  for (const FrameValue value : kCompared) {
    const double x = frameValue(a, value), y = frameValue(b, value);
    if (sameFrameValue(value, x, y)) continue;
    const bool ofEllipsoid =
        value == FrameValue::semiMajorAxis || value == FrameValue::flattening;
    if (ofEllipsoid && ellipsoidSaid) continue;
    if (!text.empty()) text += ", ";
    if (ofEllipsoid) {
      text += "ellipsoid " + ellipsoidText(a.ellipsoid) + " vs " + ellipsoidText(b.ellipsoid);
      ellipsoidSaid = true;
      continue;
    }
    text += std::string(frameValueName(value)) + " " + shortestText(x) + " vs " + shortestText(y);
  }
  return text;
}

std::string definitionName(const ProjectDefinition& definition, std::size_t index) {
  return definition.projectid.empty() ? "definition " + std::to_string(index + 1)
                                      : "definition \"" + definition.projectid + "\"";
}

MetadataFrame refuse(std::string detail) {
  MetadataFrame result;
  result.failure = RunFailure{RunMessage::metadataSet, std::move(detail)};
  return result;
}

// The frame <SRS> states, or empty with a warning saying why it is not checked.
std::optional<ProjectedFrame> statedFrame(const SrsText& srs, const std::string& where,
                                          std::vector<std::string>& warnings) {
  if (srs.kind == SrsText::Kind::epsg) {
    if (std::optional<ProjectedFrame> frame = standardFrame(srs.code)) return frame;
    warnings.push_back(where + " EPSG:" + std::to_string(srs.code) + " is not checked against "
                       "the coordinate file: it is none of the Gauss-Krüger (CGCS2000, Xian "
                       "1980, Beijing 1954) or WGS 84 UTM codes quorvex knows");
    return std::nullopt;
  }
  if (srs.kind == SrsText::Kind::wkt && srs.frame) {
    if (const std::optional<ProjectedFrame> tagged =
            srs.code != 0 ? standardFrame(srs.code) : std::nullopt) {
      const std::string wrong = differences(*srs.frame, *tagged);
      if (!wrong.empty()) {
        warnings.push_back(where + " WKT \"" + srs.name + "\" is tagged EPSG:" +
                           std::to_string(srs.code) + " but its parameters are not that "
                           "frame's: " + wrong + " (EPSG:" + std::to_string(srs.code) +
                           "); its parameters are the ones compared");
      }
    }
    return srs.frame;
  }
  warnings.push_back(where + " '" + srs.text.substr(0, 80) + "' is not checked against the "
                     "coordinate file: " +
                     (srs.kind == SrsText::Kind::wkt
                          ? "its projection \"" + srs.projection + "\" is not Transverse_Mercator"
                          : std::string("only EPSG:CODE, a WKT PROJCS and ENU:LAT,LON are read")));
  return std::nullopt;
}

}  // namespace

std::optional<ProjectedFrame> definitionFrame(const ProjectDefinition& definition) {
  if (definition.isControlPoints() || !definition.isDefined()) return std::nullopt;
  const projectinfo& info = definition.info;
  ProjectedFrame frame;
  frame.ellipsoid = projectionEllipsoid(info, ChainDirection::toEnu);
  frame.centralMeridian = info.centralMeridianLongitude;
  frame.originLatitude = info.centralOriginLatitude;
  // The projection on the axis enlarged to the surface is that on the ellipsoid scaled by a′/a.
  frame.scale = surfaceSemiMajorAxis(frame.ellipsoid, info.surfaceheight) / frame.ellipsoid.a;
  frame.falseEasting = info.xoffset;
  frame.falseNorthing = info.yoffset;
  return frame;
}

MetadataFrame checkMetadataFrame(const std::string& path, const ModelMetadata& metadata,
                                 ConversionKind mode, const CoordTranslateInfo& model) {
  const std::string where = path + ": <SRS>";
  std::string why;
  const std::optional<SrsText> srs = readSrsText(metadata.srs, &why);
  if (!srs) return refuse(where + ": " + why);
  if (mode == ConversionKind::enuToProject) {
    if (srs->kind != SrsText::Kind::enu) {
      return refuse(where + " '" + srs->text.substr(0, 80) + "' is not an ENU frame "
                    "(ENU:LAT,LON): ENU -> project (-bENU=1) converts tiles in ENU; give "
                    "-bENU=0 to convert tiles in a project frame");
    }
    MetadataFrame result;
    result.enuOrigin = BasePoint{srs->longitude, srs->latitude};
    return result;
  }
  if (srs->kind == SrsText::Kind::enu) {
    return refuse(where + " " + srs->text + " is an ENU frame; convert it back with -toProj=0 "
                  "-bENU=1");
  }
  MetadataFrame result;
  const std::optional<ProjectedFrame> stated = statedFrame(*srs, where, result.warnings);
  if (!stated) return result;
  for (std::size_t i = 0; i < model.projects.size(); ++i) {
    const ProjectDefinition& definition = model.projects[i];
    const std::optional<ProjectedFrame> own = definitionFrame(definition);
    if (!own) {
      result.warnings.push_back(where + " is not checked against " +
                                definitionName(definition, i) +
                                ": it defines no projection (control points or undefined)");
      continue;
    }
    const std::string wrong = differences(*stated, *own);
    if (wrong.empty()) continue;
    result.warnings.push_back(where + " '" + srs->text.substr(0, 80) + "' and " +
                              definitionName(definition, i) + " differ: " + wrong +
                              " (metadata.xml vs the coordinate file; a local frame is often "
                              "declared by its nearest standard code: are the tiles in it?)");
  }
  return result;
}

WrittenSrs projectFrameSrs(const CoordTranslateInfo& model) {
  std::optional<ProjectedFrame> common;
  for (std::size_t i = 0; i < model.projects.size(); ++i) {
    const ProjectDefinition& definition = model.projects[i];
    const projectinfo& info = definition.info;
    const std::optional<ProjectedFrame> frame = definitionFrame(definition);
    const char* correction = !frame                         ? "control points or no projection"
                             : info.planeparam              ? "a plane correction"
                             : info.altparam                ? "a height correction"
                             : info.baseconv                ? "a datum conversion"
                             : ellipsoidChangeApplies(info) ? "an ellipsoid change"
                             : info.adjustconv              ? "offset corrections"
                             : ellipsoidNames(frame->ellipsoid).ellipsoid.empty()
                                 ? "an ellipsoid outside the table"
                                 : nullptr;
    if (correction != nullptr) {
      return {{}, definitionName(definition, i) + " has " + correction +
                      ": no standard frame states the project frame"};
    }
    if (common && !differences(*common, *frame).empty()) {
      return {{}, "the definitions project differently: no one frame states them all"};
    }
    common = frame;
  }
  if (!common) return {{}, "the coordinate file has no definition"};
  const std::optional<int> code = standardCode(*common);
  const std::string& id = model.projects.front().projectid;
  return {formatWktProjcs(*common, id.empty() ? "quorvex project frame" : id, code.value_or(0)),
          {}};
}
