#pragma once

#include <optional>
#include <string>

#include "coordinfo/point3.h"

// A photogrammetry production's metadata.xml: the frame its tiles are in.
//
//   <?xml version="1.0" encoding="utf-8"?>
//   <ModelMetadata version="1">
//     <SRS>EPSG:4548</SRS>
//     <SRSOrigin>500000,3320000,0</SRSOrigin>
//   </ModelMetadata>
//
// <SRS> names the frame (parser/srs_text.h); <SRSOrigin> "x,y,z" is added to every vertex of
// the tiles to give its position in that frame. Read and written with pugixml.
struct ModelMetadata {
  std::string srs;        // the text of <SRS>, entities decoded
  Point3 origin{};        // <SRSOrigin>; 0, 0, 0 when absent
  bool originGiven = false;
};

// The metadata of `text`, or empty with "LINE: reason" in `*why`: not well-formed XML, a root
// element other than ModelMetadata, no <SRS> or an empty one, more than one of either, or an
// <SRSOrigin> that is not three finite numbers separated by ','.
std::optional<ModelMetadata> readModelMetadata(const std::string& text, std::string* why);

// `original` (a metadata.xml read; empty: none, a new ModelMetadata version="1") with the text
// of <SRS> and <SRSOrigin> replaced by `srs` and `origin` (added after <SRS> when missing), and
// every other element, attribute, comment and blank kept as it was. A declaration naming
// UTF-16 (the file was read recoded) is made to name "utf-8"; other encodings keep their name
// and their bytes.
std::string rewriteModelMetadata(const std::string& original, const std::string& srs,
                                 const Point3& origin);

// "x,y,z" as <SRSOrigin> holds it: each number the shortest text that reads back as it.
std::string formatSrsOrigin(const Point3& origin);
