// Writes the coordinate files of the benchmark rows that need more than a plain Custom Gauss
// file, placed on the tile written by make_tile:
//
//   OUT_DIR/coord-control.json  an object document of type "Control points": eight control
//       points around the tile (20 m beyond its edges, heights 20-80 m), "srcpoints" as
//       geodetic positions and "despoints" in the tile's frame with a few millimetres of
//       survey residual; no "transform", so the parse step fits it.
//   OUT_DIR/coord-three.json    an array document of three copies of SOURCE (every
//       correction block kept, "projectid" numbered) whose "boundary" members are three
//       adjacent 100-point polygons: bands across the tile's eastings with wavy shared edges,
//       together covering the tile plus a 10 m margin, so that each band selects about a
//       third of the vertices.
//
// Positions in the tile's frame become longitude and latitude through SOURCE's own chain
// (DefinitionChain::projectToGeodetic), so the polygons lie where intended in that frame.
// As a sanity check it prints how a 20 x 20 grid over the tile divides among the three
// definitions, as chosen by the library's selection.
//
// Usage: make_coords TILE SOURCE_COORD OUT_DIR

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "coordinfo/coord_translate_info.h"
#include "parser/parse_coord_translate_info.h"
#include "coordinfo/process_context.h"
#include "obj/vertex_bounds.h"
#include "run/computed_base_point.h"
#include "pipeline/converter.h"
#include "pipeline/definition_chain.h"
#include "platform/atomic_file.h"
#include "platform/read_text_file.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kControlMargin = 20.0;  // m beyond the tile's edges
constexpr double kBoundaryMargin = 10.0;  // m
constexpr double kWaveAmplitude = 2.0;    // m, of the shared edges
constexpr int kEdgePoints = 25;           // per side: 4 x 25 = 100 points per polygon
constexpr int kGrid = 20;

using Allocator = rapidjson::Document::AllocatorType;

struct Box {
  double minX, minY, maxX, maxY;
};

bool write(const std::string& path, const rapidjson::Value& value) {
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
  writer.SetFormatOptions(rapidjson::kFormatSingleLineArray);
  value.Accept(writer);
  std::string error;
  if (!writeTextFile(path, std::string(buffer.GetString()) + "\n", &error)) {
    std::fprintf(stderr, "make_coords: %s\n", error.c_str());
    return false;
  }
  return true;
}

// Eight control points: the corners and edge midpoints of the tile grown by kControlMargin.
rapidjson::Value controlDocument(const DefinitionChain& chain, const Box& tile,
                                 Allocator& allocator) {
  rapidjson::Value src(rapidjson::kArrayType);
  rapidjson::Value des(rapidjson::kArrayType);
  const double x0 = tile.minX - kControlMargin;
  const double x1 = tile.maxX + kControlMargin;
  const double y0 = tile.minY - kControlMargin;
  const double y1 = tile.maxY + kControlMargin;
  const double xm = (x0 + x1) / 2;
  const double ym = (y0 + y1) / 2;
  const std::array<std::array<double, 2>, 8> corners{
      {{x0, y0}, {xm, y0}, {x1, y0}, {x1, ym}, {x1, y1}, {xm, y1}, {x0, y1}, {x0, ym}}};
  for (std::size_t k = 0; k < corners.size(); ++k) {
    const double z = 20.0 + 60.0 * static_cast<double>(k) / 7.0;
    const Point3 project{corners[k][0], corners[k][1], z};
    const Point3 geodetic = chain.projectToGeodetic(project).value();
    // Survey residuals of a few millimetres, fixed so that the file is always the same.
    const double r = 0.003 * std::sin(1.7 * static_cast<double>(k) + 0.3);
    src.PushBack(geodetic.x, allocator).PushBack(geodetic.y, allocator);
    src.PushBack(geodetic.z, allocator);
    des.PushBack(std::round((project.x + r) * 1e4) / 1e4, allocator);
    des.PushBack(std::round((project.y - r) * 1e4) / 1e4, allocator);
    des.PushBack(std::round((project.z + 0.5 * r) * 1e4) / 1e4, allocator);
  }
  rapidjson::Value define(rapidjson::kObjectType);
  define.AddMember("srcpoints", src, allocator);
  define.AddMember("despoints", des, allocator);
  rapidjson::Value root(rapidjson::kObjectType);
  root.AddMember("projectid", "bench-control", allocator);
  root.AddMember("type", "Control points", allocator);
  root.AddMember("define", define, allocator);
  return root;
}

// Easting of shared edge k (0..3) at northing y: the outer edges are straight, the inner ones
// waves across the tile's thirds.
double edgeX(int k, double y, const Box& area) {
  const double width = area.maxX - area.minX;
  if (k == 0) return area.minX;
  if (k == 3) return area.maxX;
  const double t = (y - area.minY) / (area.maxY - area.minY);
  return area.minX + width * k / 3.0 + kWaveAmplitude * std::sin(2 * kPi * t + k);
}

// Polygon of band k (100 points, counter-clockwise, not closed): bottom, right edge up, top,
// left edge down. Shared edges use the same northings, so neighbours meet exactly.
std::vector<Point3> bandPolygon(int k, const Box& area) {
  std::vector<double> ys;
  for (int j = 0; j <= kEdgePoints; ++j) {
    ys.push_back(area.minY + (area.maxY - area.minY) * j / kEdgePoints);
  }
  std::vector<Point3> ring;
  const double left0 = edgeX(k, ys.front(), area), right0 = edgeX(k + 1, ys.front(), area);
  const double left1 = edgeX(k, ys.back(), area), right1 = edgeX(k + 1, ys.back(), area);
  for (int j = 0; j < kEdgePoints; ++j) {
    ring.push_back({left0 + (right0 - left0) * j / kEdgePoints, ys.front(), 0.0});
  }
  for (int j = 0; j < kEdgePoints; ++j) ring.push_back({edgeX(k + 1, ys[j], area), ys[j], 0.0});
  for (int j = 0; j < kEdgePoints; ++j) {
    ring.push_back({right1 + (left1 - right1) * j / kEdgePoints, ys.back(), 0.0});
  }
  for (int j = kEdgePoints; j > 0; --j) ring.push_back({edgeX(k, ys[j], area), ys[j], 0.0});
  return ring;
}

rapidjson::Value threeDocument(const rapidjson::Document& source, const DefinitionChain& chain,
                               const Box& tile, Allocator& allocator) {
  const Box area{tile.minX - kBoundaryMargin, tile.minY - kBoundaryMargin,
                 tile.maxX + kBoundaryMargin, tile.maxY + kBoundaryMargin};
  rapidjson::Value root(rapidjson::kArrayType);
  for (int k = 0; k < 3; ++k) {
    rapidjson::Value definition(source, allocator);
    const std::string id = "bench-region-" + std::to_string(k + 1);
    if (definition.HasMember("projectid")) {
      definition["projectid"].SetString(id.c_str(), allocator);
    } else {
      definition.AddMember("projectid", rapidjson::Value(id.c_str(), allocator), allocator);
    }
    rapidjson::Value boundary(rapidjson::kArrayType);
    for (const Point3& p : bandPolygon(k, area)) {
      const Point3 geodetic = chain.projectToGeodetic(p).value();
      boundary.PushBack(geodetic.x, allocator).PushBack(geodetic.y, allocator);
    }
    definition.AddMember("boundary", boundary, allocator);
    root.PushBack(definition, allocator);
  }
  return root;
}

// How a grid over the tile divides among the definitions of `path`.
bool printSelection(const std::string& path, const Box& tile, const EnuOrigin& origin) {
  ProcessContext process;
  EnuOrigin localOrigin = origin;
  CoordTranslateInfo info;
  info.origin = &localOrigin;
  std::string error;
  if (!parseCoordTranslateInfo(readTextFile(path), info, process, &error)) {
    std::fprintf(stderr, "make_coords: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  const Converter converter(info, localOrigin);
  ConverterScratch scratch;
  std::vector<int> counts(info.projects.size(), 0);
  for (int i = 0; i < kGrid; ++i) {
    for (int j = 0; j < kGrid; ++j) {
      const Point3 p{tile.minX + (tile.maxX - tile.minX) * (i + 0.5) / kGrid,
                     tile.minY + (tile.maxY - tile.minY) * (j + 0.5) / kGrid, 50.0};
      Point3 enu;
      (void)converter.projectToEnu(p, enu, scratch);  // only the choice counts here
      if (const std::optional<std::size_t> chosen = scratch.trace().chosen) ++counts[*chosen];
    }
  }
  std::printf("%s: a %dx%d grid over the tile selects", path.c_str(), kGrid, kGrid);
  for (std::size_t k = 0; k < counts.size(); ++k) {
    std::printf("%s %d", k == 0 ? "" : " /", counts[k]);
  }
  std::printf(" points of definitions 1..%zu\n", counts.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: make_coords TILE SOURCE_COORD OUT_DIR\n", stderr);
    return 2;
  }
  const std::string outDir = argv[3];
  const VertexBounds bounds = scanBatchBounds({argv[1]}, 1);
  if (bounds.status != VertexBounds::Status::ok || bounds.vertexCount == 0) {
    std::fprintf(stderr, "make_coords: %s: no vertices (%s)\n", argv[1], bounds.detail.c_str());
    return 1;
  }
  const Box tile{bounds.min[0], bounds.min[1], bounds.max[0], bounds.max[1]};

  const std::string text = readTextFile(argv[2]);
  rapidjson::Document source;
  source.Parse(text.c_str());
  ProcessContext process;
  EnuOrigin origin;
  CoordTranslateInfo info;
  info.origin = &origin;
  std::string error;
  if (source.HasParseError() || !source.IsObject() ||
      !parseCoordTranslateInfo(text, info, process, &error) || info.projects.empty() ||
      !info.projects[0].isCustomGauss()) {
    std::fprintf(stderr, "make_coords: %s: not a Custom Gauss object document %s\n", argv[2],
                 error.c_str());
    return 1;
  }
  // Origin at the tile's centre (it only matters for the sanity check's ENU round trip).
  const DefinitionChain chain(info.projects[0], origin);
  const Point3 centre =
      chain.projectToGeodetic({(tile.minX + tile.maxX) / 2, (tile.minY + tile.maxY) / 2, 0.0})
          .value();
  origin.lon = centre.x;
  origin.lat = centre.y;

  rapidjson::Document out;
  Allocator& allocator = out.GetAllocator();
  const std::string control = outDir + "/coord-control.json";
  const std::string three = outDir + "/coord-three.json";
  if (!write(control, controlDocument(chain, tile, allocator)) ||
      !write(three, threeDocument(source, chain, tile, allocator))) {
    return 1;
  }
  return printSelection(three, tile, origin) ? 0 : 1;
}
