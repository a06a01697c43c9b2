#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geodesy/standard_frames.h"

// The text of a production's <SRS> (metadata.xml), read:
// - "ENU:LAT,LON": a local east-north-up frame about latitude LAT, longitude LON (degrees,
//   latitude first, as the base file writes it);
// - "EPSG:CODE": a code of the EPSG registry (prefix in any letter case);
// - a WKT "PROJCS[...]" (OGC WKT 1): its name, its projection, and for "Transverse_Mercator"
//   the frame its SPHEROID and PARAMETERs state; its own AUTHORITY["EPSG", CODE] when it
//   has one;
// - anything else: another form, kept as text.
// Blanks around the text are ignored.
struct SrsText {
  enum class Kind { enu, epsg, wkt, other };
  Kind kind = Kind::other;
  std::string text;  // as given, without the blanks around it
  // enu
  double latitude = 0.0, longitude = 0.0;
  // epsg, and the AUTHORITY of a wkt (0: none)
  int code = 0;
  // wkt
  std::string name, projection;
  std::optional<ProjectedFrame> frame;  // Transverse Mercator with every number it needs
};

// The text read, or empty with the reason in `*why`: an "ENU:" text that is not two numbers
// (latitude within ±90°, longitude within −180°..360°), an "EPSG:" text that is not a whole
// number, a "PROJCS[" text that is not well-formed WKT (brackets, quotes, numbers), or a
// Transverse Mercator WKT without a SPHEROID or one of its PARAMETERs.
std::optional<SrsText> readSrsText(std::string_view text, std::string* why);

// A Transverse Mercator frame as WKT 1 (PROJCS named `name`, metres), with
// AUTHORITY["EPSG", code] when `code` is not 0; the ellipsoid one of the table's four.
std::string formatWktProjcs(const ProjectedFrame& frame, const std::string& name, int code);
