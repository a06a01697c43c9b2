// Writes a synthetic photogrammetry tile for the benchmarks: a jittered grid of `v` lines in
// a project frame (eastings about 500000 m, northings about 3320000 m, heights 20-80 m, six
// decimals), one `vt` per vertex, and two textured triangles per grid cell ("f a/a b/b c/c"),
// after a header comment, `mtllib`, `o` and `usemtl` lines, as a mesh exporter writes them.
// The output is the same for the same vertex count (fixed seed): 1,000,000 vertices give
// about 148 MB.
//
// Usage: make_tile PATH [VERTEX_COUNT]   (default 1000000)

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr std::uint64_t kDefaultVertices = 1000000;
constexpr double kEastingOrigin = 500000.0;    // m
constexpr double kNorthingOrigin = 3320000.0;  // m
constexpr double kCellSize = 0.05;             // m: a 5 cm mesh, as from aerial imagery
constexpr std::uint64_t kSeed = 20240601;

int usage() {
  std::fputs("usage: make_tile PATH [VERTEX_COUNT]\n", stderr);
  return 2;
}

// Writes the tile; false (with a message on standard error) when it cannot.
bool writeTile(const char* path, std::uint64_t vertices) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    std::perror(path);
    return false;
  }
  std::vector<char> buffer(std::size_t{1} << 20);
  std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());

  // A grid of `columns` vertices per row; the last row may be partial.
  const auto columns = static_cast<std::uint64_t>(std::ceil(std::sqrt(static_cast<double>(vertices))));
  std::mt19937_64 random(kSeed);
  std::uniform_real_distribution<double> jitter(-0.01, 0.01);  // m
  std::uniform_real_distribution<double> height(20.0, 80.0);   // m

  std::fprintf(file,
               "# synthetic photogrammetry tile, project frame (CGCS2000 / CM 117)\n"
               "# vertices: %" PRIu64 "\n"
               "mtllib tile.mtl\n"
               "o tile\n",
               vertices);
  for (std::uint64_t i = 0; i < vertices; ++i) {
    const double column = static_cast<double>(i % columns);
    const double row = static_cast<double>(i / columns);
    std::fprintf(file, "v %.6f %.6f %.6f\n", kEastingOrigin + column * kCellSize + jitter(random),
                 kNorthingOrigin + row * kCellSize + jitter(random), height(random));
  }
  for (std::uint64_t i = 0; i < vertices; ++i) {
    const double u = static_cast<double>(i % columns) / static_cast<double>(columns);
    const double v = static_cast<double>(i / columns) / static_cast<double>(columns);
    std::fprintf(file, "vt %.6f %.6f\n", u, v);
  }
  std::fputs("usemtl tile_texture\n", file);
  // Two triangles per complete cell; indices are 1-based, texture index = vertex index.
  const std::uint64_t rows = vertices / columns;
  for (std::uint64_t r = 0; r + 1 < rows; ++r) {
    for (std::uint64_t c = 0; c + 1 < columns; ++c) {
      const std::uint64_t a = r * columns + c + 1;
      const std::uint64_t b = a + 1;
      const std::uint64_t d = a + columns;
      const std::uint64_t e = d + 1;
      std::fprintf(file, "f %" PRIu64 "/%" PRIu64 " %" PRIu64 "/%" PRIu64 " %" PRIu64 "/%" PRIu64
                         "\n", a, a, b, b, e, e);
      std::fprintf(file, "f %" PRIu64 "/%" PRIu64 " %" PRIu64 "/%" PRIu64 " %" PRIu64 "/%" PRIu64
                         "\n", a, a, e, e, d, d);
    }
  }
  if (std::ferror(file) != 0 || std::fclose(file) != 0) {
    std::perror(path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) return usage();
  std::uint64_t vertices = kDefaultVertices;
  if (argc == 3) {
    char* end = nullptr;
    vertices = std::strtoull(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || vertices == 0) return usage();
  }
  return writeTile(argv[1], vertices) ? 0 : 1;
}
