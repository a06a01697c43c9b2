#include "app/usage.h"

#include <gflags/gflags.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsageLine =
    "usage: quorvex -input=IN -coord=COORD.json -output=OUT [-base=FILE]"
    " [-inputbase=ENU:LON,LAT] [-toProj=1|0] [-bENU=0|1] [-threads=N] [-baseonly=1]"
    " [-report=FILE.html] [-maxresidual=M] [-maxclosure=MM] [-progress=1|0] [-tree=1]"
    " [-materials=none|copy|link] [-metadata=auto|none|PATH] [-dryrun=1]"
    " [-filesfrom=LIST] [-shard=K/N] [-boundsonly=FILE.json]"
    " [-mergebounds=A.json,B.json,...|FOLDER] [-manifest=FILE.json]";

constexpr const char* kPurpose =
    "quorvex converts the vertices of Wavefront OBJ files between a surveying project frame, a\n"
    "local east-north-up (ENU) frame and the standard 3-degree Gauss-Krueger zone.\n";

constexpr const char* kModes =
    "modes:\n"
    "  project frame -> 3-degree zone (-toProj=1, the default); the zone code goes to -base:\n"
    "    quorvex -input=tiles -coord=coord.json -output=out/zone -base=out/zone.txt\n"
    "  project frame -> ENU (-toProj=0); the computed base point goes to -base:\n"
    "    quorvex -input=tiles -coord=coord.json -output=out/enu -base=out/base.txt -toProj=0\n"
    "  ENU -> project frame (-toProj=0 -bENU=1); the origin is -inputbase, else the coordinate\n"
    "  file's basepoint:\n"
    "    quorvex -input=out/enu -coord=coord.json -output=out/back -toProj=0 -bENU=1\n"
    "A production's metadata.xml beside IN (or -metadata=PATH) gives the tiles' frame and the\n"
    "offset <SRSOrigin> added to every vertex; one is written beside the outputs.\n"
    "IN is one OBJ file or a folder searched for *.obj (links to folders followed; -tree=1:\n"
    "every depth, the folders kept below OUT); OUT is a file (a name with \".obj\" in any\n"
    "letter case that is not a folder; one input only) or an existing folder. -bENU=1 needs\n"
    "-toProj=0. Only flags are taken: any other argument is refused. See README.md (or man\n"
    "quorvex) for the coordinate file format.\n"
    "A batch over N processes or machines (README.md, \"Large batches\"): one frame for all,\n"
    "computed by all, then each part converted about it (K = 1..N):\n"
    "    quorvex -input=tiles -coord=coord.json -toProj=0 -shard=K/N -boundsonly=b/K.json\n"
    "    quorvex -coord=coord.json -toProj=0 -mergebounds=b -base=base.txt\n"
    "    quorvex -input=tiles -coord=coord.json -output=out -toProj=0 -shard=K/N \\\n"
    "      -inputbase=ENU:LON,LAT -manifest=m/K.json   (LON,LAT: base.txt holds ENU:LAT,LON)\n"
    "-shard=K/N takes part K of the inputs (the search's or -filesfrom's): every file in\n"
    "exactly one part, the parts balanced by bytes, decided by the names below -input and the\n"
    "sizes alone. An empty part is a warning, not a failure.\n";

// gflags' own help flags print its help (which finds no flags on Windows) and exit 1: each
// shows the program's usage instead.
bool isHelpRequest(std::string_view name) {
  for (const std::string_view help : {"help", "h", "helpshort", "helpfull", "helpon", "helpmatch",
                                      "helppackage", "helpxml"}) {
    if (name == help) return true;
  }
  return false;
}

void printUsage(const std::string& ownFile) {
  std::printf("%s\n%s\n\n%s\nflags:\n", kPurpose, kUsageLine, kModes);
  std::vector<gflags::CommandLineFlagInfo> flags;
  gflags::GetAllFlags(&flags);
  for (const gflags::CommandLineFlagInfo& flag : flags) {
    if (flag.filename != ownFile) continue;
    std::printf("  -%s (%s) default: \"%s\"\n", flag.name.c_str(), flag.description.c_str(),
                flag.default_value.c_str());
  }
  std::fflush(stdout);
}

CommandLineCheck badFlag(const std::string& reason) {
  std::printf("%s\n", kUsageLine);
  std::fflush(stdout);
  std::fprintf(stderr, "quorvex: %s\n", reason.c_str());
  return CommandLineCheck::badFlag;
}

// An argument that is no flag, `where` it was met.
CommandLineCheck notAFlag(const char* arg, const char* where) {
  std::string reason = "'";
  reason.append(arg).append("'").append(where);
  reason.append(" is not a flag: quorvex takes flags only (-input=FILE names an input)");
  return badFlag(reason);
}

}  // namespace

const char* usageLine() { return kUsageLine; }

CommandLineCheck checkCommandLine(int argc, char** argv, const char* anyOwnFlag) {
  gflags::CommandLineFlagInfo own;
  const std::string ownFile =
      gflags::GetCommandLineFlagInfo(anyOwnFlag, &own) ? own.filename : std::string();
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    // gflags would leave these to the program, which takes no other arguments: a file named
    // alone would be ignored while the run converts something else.
    if (arg == "--" && i + 1 < argc) return notAFlag(argv[i + 1], " after '--'");
    if (arg == "--") break;
    if (arg.size() < 2 || arg[0] != '-') return notAFlag(argv[i], "");
    arg.remove_prefix(arg[1] == '-' ? 2 : 1);
    const std::size_t equals = arg.find('=');
    const std::string name(arg.substr(0, equals));
    if (isHelpRequest(name)) {
      printUsage(ownFile);
      return CommandLineCheck::helpShown;
    }
    gflags::CommandLineFlagInfo info;
    if (gflags::GetCommandLineFlagInfo(name.c_str(), &info)) {
      // The flag library's own flags (-flagfile, -fromenv, ...) would set flags past these
      // checks, and fail with an exit status of their own: --version is the one taken.
      if (info.filename != ownFile && name != "version") {
        return badFlag("unknown flag '" + std::string(argv[i]) + "'");
      }
      // A flag other than a switch takes the next argument as its value when it has no '=',
      // but not when that argument is a flag itself ("-base -toProj=0" would write the base
      // to a file named "-toProj=0" and run the default mode). A value may start with '-'
      // followed by a digit or '.': "-inputbase -70.5,45".
      if (equals == std::string_view::npos && info.type != "bool") {
        const bool nextIsFlag = i + 1 < argc && argv[i + 1][0] == '-' &&
                                std::string_view("0123456789.").find(argv[i + 1][1]) ==
                                    std::string_view::npos;
        if (i + 1 >= argc || nextIsFlag) {
          return badFlag("flag '" + std::string(argv[i]) + "' has no value" +
                         (nextIsFlag ? " (write -" + name + "=VALUE; '" + argv[i + 1] +
                                           "' is a flag, not its value)"
                                     : std::string()));
        }
        ++i;
      }
      continue;
    }
    // "-noNAME" turns a switch off.
    if (equals == std::string_view::npos && name.rfind("no", 0) == 0 &&
        gflags::GetCommandLineFlagInfo(name.c_str() + 2, &info) && info.type == "bool") {
      continue;
    }
    return badFlag("unknown flag '" + std::string(argv[i]) + "'");
  }
  return CommandLineCheck::run;
}
