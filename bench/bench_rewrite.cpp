// Rewrites an OBJ file through convertFileThrough (one thread) with the identity conversion: the
// cost of the OBJ layer alone (cutting blocks, reading logical lines, the numbers, "%f", the
// atomic writer), without geodesy.
// Afterwards it prints the vertex count and the first `v` line of the input and of the
// output, as a sanity check that the numbers went through unchanged.
//
// Usage: bench_rewrite INPUT OUTPUT

#include <cstdio>
#include <cstring>
#include <string>

#include "obj/function_conversion.h"

namespace {

bool identity(const double* in, double* out) {
  for (int k = 0; k < 3; ++k) out[k] = in[k];
  return true;
}

// The first line of `path` that starts with "v " (without its line end), or "(none)".
std::string firstVertexLine(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return "(cannot open)";
  char line[4096];
  std::string found = "(none)";
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (std::strncmp(line, "v ", 2) == 0) {
      found.assign(line, std::strcspn(line, "\r\n"));
      break;
    }
  }
  std::fclose(file);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: bench_rewrite INPUT OUTPUT\n", stderr);
    return 2;
  }
  const ConvertOutcome outcome = convertFileThrough(identity, argv[1], argv[2]);
  if (outcome.status != ConvertStatus::converted) {
    std::fprintf(stderr, "bench_rewrite: %s: line %llu: %s\n", argv[1],
                 static_cast<unsigned long long>(outcome.line), outcome.detail.c_str());
    return 1;
  }
  std::printf("%llu vertices; first vertex \"%s\" -> \"%s\"\n",
              static_cast<unsigned long long>(outcome.vertexCount),
              firstVertexLine(argv[1]).c_str(), firstVertexLine(argv[2]).c_str());
  return 0;
}
