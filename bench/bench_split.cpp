// Splits the time of the project-to-ENU conversion of an OBJ file into its stages, each timed
// on its own in this process (median of RUNS runs per stage):
//
//   read + line scan   ObjLineReader over the whole file: blocks, logical lines, tokens
//   parse numbers      the same plus parseWholeNumber of the three numbers of every `v` line
//                      (shown as the difference), kept in memory
//   conversion         Converter::projectToEnu over the numbers in memory, one at a time;
//                      then Converter::convertInLanes per lane code the machine runs (the
//                      vectorised form, batches of 256), checked for the same bits
//   formatting         "v X Y Z\n" with formatFixed6 into a reused 1 MiB buffer
//   writing            AtomicFileWriter: a new file of the converted file's size, 1 MiB chunks
//   rest               the whole one-thread run of the file in blocks (convertFileThrough, a new
//                      file, one vertex at a time) minus
//                      the stages above: copying the other lines, chunking, the loop itself
//   round trip         the run's measured round trip on its own: the sample the file's size
//                      sets, converted back in lanes as written (six decimals) and measured;
//                      given against the whole run with the fastest lanes
//
// The coordinate file is parsed as the driver parses it (into a local and the process-wide
// info) and the origin set from INPUTBASE ("ENU:lon,lat"), so the conversion is the one of
// `quorvex -toProj=0 -inputbase=INPUTBASE`. The quorvex row of the benchmark adds process
// start-up, the coordinate file and exit to the whole.
//
// Each OTHER_COORD is then timed in the conversion stage alone, on the same numbers in memory,
// and its cost per vertex given over that of COORD: the conversion cost of a file of several
// definitions (selection included) without the reading and writing around it.
//
// Usage: bench_split TILE COORD INPUTBASE WORK_DIR RUNS [OTHER_COORD...]

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "coordinfo/coord_translate_info.h"
#include "parser/parse_coord_translate_info.h"
#include "coordinfo/process_context.h"
#include "obj/function_conversion.h"
#include "obj/obj_line_reader.h"
#include "pipeline/base_point.h"
#include "pipeline/converter.h"
#include "pipeline/lane_code.h"
#include "pipeline/zone_codes.h"
#include "platform/atomic_file.h"
#include "platform/number_text.h"
#include "platform/read_text_file.h"
#include "run/round_trip_sampler.h"

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;
volatile std::uint64_t sink = 0;

double now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Median wall time of `runs` calls of `stage`; `before` runs untimed before each call.
double timed(int runs, const std::function<void()>& stage,
             const std::function<void()>& before = [] {}) {
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) {
    before();
    const double start = now();
    stage();
    seconds.push_back(now() - start);
  }
  std::sort(seconds.begin(), seconds.end());
  const std::size_t middle = seconds.size() / 2;
  return seconds.size() % 2 == 1 ? seconds[middle] : (seconds[middle - 1] + seconds[middle]) / 2;
}

[[noreturn]] void die(const std::string& what) {
  std::fprintf(stderr, "bench_split: %s\n", what.c_str());
  std::exit(1);
}

// The driver's set-up for project -> ENU with an input base point.
struct EnuConversion {
  ProcessContext process;
  EnuOrigin localOrigin;
  CoordTranslateInfo local;
  std::optional<Converter> converter;
  ConverterScratch scratch;

  EnuConversion(const std::string& coord, const std::string& inputbase) {
    local.origin = &localOrigin;
    const std::string text = readTextFile(coord);
    std::string error;
    // A control-point fit prints its progress lines on std::cout: kept out of the table.
    std::ostringstream fitLines;
    std::streambuf* const console = std::cout.rdbuf(fitLines.rdbuf());
    const bool parsed = parseCoordTranslateInfo(text, local, process, &error) &&
                        parseCoordTranslateInfo(text, process.info, process, &error);
    std::cout.rdbuf(console);
    if (!parsed) die(coord + ": " + error);
    const BasePoint base = parseInputBase(inputbase).value();
    localOrigin.lon = base.lon;
    localOrigin.lat = base.lat;
    // A control-point fit made here keeps its label lines (they are printed by a run's
    // RunState, which the bench has none of).
    converter.emplace(local, localOrigin);
  }

  bool projectToEnu(const Point3& in, Point3& out) {
    return converter->projectToEnu(in, out, scratch);
  }

  // Median time of converting the vertices `in` (x, y, z each) into `out`.
  double time(int runs, const std::vector<double>& in, std::vector<double>& out) {
    out.resize(in.size());
    return timed(runs, [&] {
      for (std::size_t i = 0; i < in.size() / 3; ++i) {
        Point3 result{};
        if (!projectToEnu(Point3{in[3 * i], in[3 * i + 1], in[3 * i + 2]}, result)) {
          die("vertex " + std::to_string(i) + " could not be converted");
        }
        out[3 * i] = result.x;
        out[3 * i + 1] = result.y;
        out[3 * i + 2] = result.z;
      }
    });
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fputs("usage: bench_split TILE COORD INPUTBASE WORK_DIR RUNS [OTHER_COORD...]\n",
               stderr);
    return 2;
  }
  const std::string tile = argv[1];
  const std::string work = argv[4];
  const int runs = std::max(1, std::atoi(argv[5]));
  const std::string converted = work + "/split-convert.obj";
  const std::string written = work + "/split-write.obj";

  EnuConversion conversion(argv[2], argv[3]);

  // read + line scan
  std::uint64_t tokenCount = 0;
  auto scan = [&](bool parse, std::vector<double>* numbers) {
    ObjLineReader reader;
    if (!reader.openFile(tile)) die(tile + ": " + reader.error());
    while (reader.readObjLine()) {
      if (!reader.isVertexLine()) {
        reader.skipLines();  // the runs of other lines, as the rewriting copies them
        continue;
      }
      const std::size_t count = reader.readNumbers();
      tokenCount += count;
      if (!parse || count < 3) continue;
      double xyz[3];
      for (std::size_t i = 0; i < 3; ++i) {
        if (!parseWholeNumber(reader.number(i), xyz[i])) die(tile + ": not a number");
      }
      numbers->insert(numbers->end(), xyz, xyz + 3);
    }
    if (reader.failed()) die(tile + ": " + reader.error());
  };
  std::vector<double> in;
  const double tScan = timed(runs, [&] { scan(false, nullptr); });
  const double tParse = timed(runs, [&] { scan(true, &in); }, [&] { in.clear(); });
  const std::size_t vertices = in.size() / 3;

  std::vector<double> out;
  const double tConvert = conversion.time(runs, in, out);

  // The same conversion in lanes, in batches of 256 as the OBJ rewriting makes them, per lane
  // code this machine runs; each must convert every vertex, to the one-value bits.
  struct LaneRow {
    LaneCode code;
    double seconds;
    bool same;
  };
  std::vector<LaneRow> laneRows;
  for (const LaneCode code : {LaneCode::baseline, LaneCode::avx2}) {
    if (!laneCodeNamed(laneCodeName(code))) continue;
    constexpr std::size_t kBatch = 256;
    std::vector<double> lanes(in.size());
    std::vector<unsigned char> done(kBatch);
    const ZoneCodes zones(conversion.converter->definitionCount());
    std::size_t left = 0;
    const double seconds = timed(runs, [&] {
      left = 0;
      for (std::size_t start = 0; start < vertices; start += kBatch) {
        const std::size_t count = std::min(kBatch, vertices - start);
        conversion.converter->convertInLanes(laneKernel(code), ConversionKind::projectToEnu,
                                             zones, &in[3 * start], &lanes[3 * start],
                                             done.data(), count);
        for (std::size_t i = 0; i < count; ++i) left += done[i] == 0 ? 1 : 0;
      }
    });
    laneRows.push_back({code, seconds,
                        left == 0 && std::memcmp(lanes.data(), out.data(),
                                                 out.size() * sizeof(double)) == 0});
  }

  // The run's own round trip: the vertices of the sample its file size sets (chosen by the
  // hash of their numbers), as written, converted back in lanes and measured.
  const double stride = sampleStride(std::filesystem::file_size(tile));
  const ConverterWayBack wayBack(*conversion.converter, ConversionKind::projectToEnu);
  std::uint64_t sampled = 0;
  const double tRoundTrip = timed(runs, [&] {
    RoundTripSampler sampler(RoundTripSampling{&wayBack, stride});
    for (std::size_t i = 0; i < vertices; ++i) {
      if (sampler.wanted(&in[3 * i])) sampler.add(&in[3 * i], &out[3 * i], 0, std::nullopt);
    }
    sampled = sampler.take().sampled();
  });

  std::vector<char> buffer(kChunk);
  std::string firstLine;
  std::uint64_t checksum = 0;
  const double tFormat = timed(runs, [&] {
    std::size_t used = 0;
    for (std::size_t i = 0; i < vertices; ++i) {
      if (buffer.size() - used < 4 + 3 * static_cast<std::size_t>(kFixed6MaxChars)) {
        checksum += static_cast<unsigned char>(buffer[used - 1]);
        used = 0;
      }
      char* const start = buffer.data() + used;
      char* p = start;
      *p++ = 'v';
      *p++ = ' ';
      p = formatFixed6(p, out[3 * i]);
      *p++ = ' ';
      p = formatFixed6(p, out[3 * i + 1]);
      *p++ = ' ';
      p = formatFixed6(p, out[3 * i + 2]);
      *p++ = '\n';
      if (i == 0) firstLine.assign(start, static_cast<std::size_t>(p - start - 1));
      used = static_cast<std::size_t>(p - buffer.data());
    }
  });

  auto toEnu = [&conversion](const double* from, double* to) {
    Point3 result{};
    if (!conversion.projectToEnu(Point3{from[0], from[1], from[2]}, result)) return false;
    to[0] = result.x;
    to[1] = result.y;
    to[2] = result.z;
    return true;
  };
  auto remove = [](const std::string& path) {
    return [path] {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
    };
  };
  const double tWhole = timed(runs, [&] {
    const ConvertOutcome outcome = convertFileThrough(toEnu, tile, converted);
    if (outcome.status != ConvertStatus::converted) die(tile + ": " + outcome.detail);
  }, remove(converted));
  const std::uintmax_t outputBytes = std::filesystem::file_size(converted);

  const double tWrite = timed(runs, [&] {
    AtomicFileWriter writer;
    if (!writer.open(written)) die(writer.error());
    for (std::uintmax_t left = outputBytes; left > 0;) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uintmax_t>(left, kChunk));
      if (!writer.write(std::string_view(buffer.data(), n))) die(writer.error());
      left -= n;
    }
    if (!writer.commit()) die(writer.error());
  }, remove(written));
  remove(written)();

  // Sanity: the formatted first vertex is the first vertex line of the converted file.
  std::string fileFirst = "(none)";
  {
    ObjLineReader reader;
    if (reader.openFile(converted)) {
      while (reader.readObjLine()) {
        if (reader.isVertexLine() && reader.readNumbers() == 3) {
          fileFirst = "v " + std::string(reader.number(0)) + " " + std::string(reader.number(1)) +
                      " " + std::string(reader.number(2));
          break;
        }
      }
    }
  }
  remove(converted)();

  const double rest = tWhole - tParse - tConvert - tFormat - tWrite;
  auto line = [&](const char* what, double seconds) {
    std::printf("  %-44s %8.3f s %6.1f %% %8.0f ns/vertex\n", what, seconds,
                100.0 * seconds / tWhole, 1e9 * seconds / static_cast<double>(vertices));
  };
  std::printf("time split of project->ENU in one process, %zu vertices, median of %d runs:\n",
              vertices, runs);
  line("read + line scan (blocks, lines, tokens)", tScan);
  line("parse numbers (parseWholeNumber, 3 per v)", tParse - tScan);
  line("conversion (projectToEnu, in memory)", tConvert);
  for (const LaneRow& row : laneRows) {
    const std::string what = std::string("  the same in lanes, ") + laneCodeName(row.code) +
                             (row.same ? " (same bits)" : " (DIFFERENT BITS)");
    std::printf("  %-44s %8.3f s %6.1f x %8.1f ns/vertex\n", what.c_str(), row.seconds,
                tConvert / row.seconds, 1e9 * row.seconds / static_cast<double>(vertices));
  }
  line("formatting (formatFixed6, in memory)", tFormat);
  line("writing (AtomicFileWriter, same bytes)", tWrite);
  line("rest (other lines, chunking, loop)", rest);
  line("whole file in blocks, new file", tWhole);
  // Against the whole run with the fastest lanes in place of the one-vertex conversion.
  double fastest = tConvert;
  for (const LaneRow& row : laneRows) fastest = std::min(fastest, row.seconds);
  const double inLanes = tWhole - tConvert + fastest;
  std::printf("  %-44s %8.3f s %6.1f %% %8.0f ns/vertex (%llu sampled; %% of the whole run "
              "in lanes, %.3f s)\n",
              "round trip (sample converted back)", tRoundTrip, 100.0 * tRoundTrip / inLanes,
              1e9 * tRoundTrip / static_cast<double>(vertices),
              static_cast<unsigned long long>(sampled), inLanes);
  sink = checksum + tokenCount;  // keeps the measured loops from being optimised away
  std::printf("  sanity: first vertex \"%s\" %s the converted file's \"%s\"\n",
              firstLine.c_str(), firstLine == fileFirst ? "matches" : "DIFFERS FROM",
              fileFirst.c_str());
  for (int k = 6; k < argc; ++k) {
    std::vector<double> other;
    const double t = EnuConversion(argv[k], argv[3]).time(runs, in, other);
    std::printf("  conversion with %s: %.0f ns/vertex, %.2f x that of %s\n", argv[k],
                1e9 * t / static_cast<double>(vertices), t / tConvert, argv[2]);
  }
  bool lanesSame = true;
  for (const LaneRow& row : laneRows) lanesSame = lanesSame && row.same;
  return firstLine == fileFirst && lanesSame ? 0 : 1;
}
