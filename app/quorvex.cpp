// quorvex: converts the vertices of Wavefront OBJ files between a surveying project frame, a
// local east-north-up frame and the standard 3-degree Gauss-Krüger zone.
//
// This file holds the flags and main: flags in (typed once into RunOptions), the run's plan
// and the run itself (run/), messages out: the fixed messages on standard output, one detail
// line on standard error, and the exit status (0 on success, -1 on any failure).
#include <gflags/gflags.h>

#define GEOS_USE_ONLY_R_API
#include <geos_c.h>

#include <csignal>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/run_options_from_flags.h"
#include "run/switch_values.h"
#include "run/unused_flags.h"
#include "app/usage.h"
#include "pipeline/lane_code.h"
#include "platform/standard_streams.h"
#include "run/conversion_run.h"
#include "run/run_output.h"
#include "run/run_plan.h"

// Help texts: GBK bytes (code page 936) on Windows, the same characters in UTF-8 elsewhere.
#ifdef _WIN32
#define QX_HELP_INPUT "\x6f\x62\x6a\xce\xc4\xbc\xfe\xc2\xb7\xbe\xb6"
#define QX_HELP_COORD "\xd7\xf8\xb1\xea\xd7\xaa\xbb\xbb\xd0\xc5\xcf\xa2"
#define QX_HELP_OUTPUT "\xca\xe4\xb3\xf6\xce\xc4\xbc\xfe\xc2\xb7\xbe\xb6"
#define QX_HELP_BASE "\xca\xe4\xb3\xf6\xb5\xc4\xbb\xf9\xb5\xe3"
#define QX_HELP_INPUTBASE "\xca\xe4\xc8\xeb\xb5\xc4\xbb\xf9\xb5\xe3"
#define QX_HELP_ENU "\xca\xc7\xb7\xf1\xca\xc7\x65\x6e\x75\xd7\xf8\xb1\xea"
#define QX_HELP_TOPROJ_ZH                                  \
  "; 1: \xb9\xa4\xb3\xcc\xd7\xf8\xb1\xea\xd7\xaa\xb5\xbd"        \
  "3\xb6\xc8\xb4\xf8\xb8\xdf\xcb\xb9-\xbf\xcb\xc2\xc0\xb8\xf1" \
  "\xcd\xb6\xd3\xb0, 0: \xb9\xa4\xb3\xcc\xd7\xf8\xb1\xea\xd3\xeb"  \
  "ENU\xbb\xa5\xd7\xaa(\xb7\xbd\xcf\xf2\xbc\xfb-bENU)"
#else
#define QX_HELP_INPUT "obj文件路径"
#define QX_HELP_COORD "坐标转换信息"
#define QX_HELP_OUTPUT "输出文件路径"
#define QX_HELP_BASE "输出的基点"
#define QX_HELP_INPUTBASE "输入的基点"
#define QX_HELP_ENU "是否是enu坐标"
#define QX_HELP_TOPROJ_ZH "; 1: 工程坐标转到3度带高斯-克吕格投影, 0: 工程坐标与ENU互转(方向见-bENU)"
#endif
// -toProj: the original text, what the switch does in Chinese, and the same in English.
#define QX_HELP_TOPROJ     \
  QX_HELP_ENU QX_HELP_TOPROJ_ZH \
  " / 1: project frame -> 3-degree Gauss-Krueger zone, 0: project frame <-> ENU (see -bENU)"

DEFINE_string(input, "", QX_HELP_INPUT);
DEFINE_string(coord, "", QX_HELP_COORD);
DEFINE_string(output, "", QX_HELP_OUTPUT);
DEFINE_string(base, "", QX_HELP_BASE);
DEFINE_string(inputbase, "", QX_HELP_INPUTBASE);
DEFINE_string(bENU, "0", QX_HELP_ENU);
DEFINE_string(toProj, "1", QX_HELP_TOPROJ);
DEFINE_string(report, "", "HTML fit report (run, files, control-point residuals, map)");
DEFINE_string(progress, "",
              "1: progress line and summary on standard error; 0: none; empty: on a terminal");
DEFINE_string(maxresidual, "0.05",
              "control-point residual (m) above which the report highlights and warns");
DEFINE_string(maxclosure, "1",
              "round trip (mm) above which a file is warned of and highlighted in the report");
DEFINE_string(baseonly, "0",
              "1: with -toProj=0 and -base, write the ENU origin a converting run uses (the "
              "inputs' base point, or the coordinate file's basepoint), convert nothing");
DEFINE_string(threads, "0",
              "threads converting each file: 0 = all hardware threads, 1 = one (no other thread)");
DEFINE_string(tree, "0",
              "1: convert every .obj at every depth below the -input folder, each to the same "
              "path below the output folder (sub-folders created)");
DEFINE_string(materials, "none",
              "none: warn of material libraries not beside the outputs; copy: copy the "
              "libraries and their texture maps beside the outputs; link: hard-link them "
              "where possible, else copy");
DEFINE_string(metadata, "auto",
              "the production's metadata.xml (frame <SRS>, offset <SRSOrigin>): auto: the "
              "-input folder's or the one above; none: neither read nor written; or a path");
DEFINE_string(dryrun, "0",
              "1: print the plan and the frame facts of the inputs (read once), write nothing");
// Batches shared by many processes.
DEFINE_string(filesfrom, "",
              "LIST: the inputs are the paths in this file, one a line (relative to the -input "
              "folder), instead of the folder search");
DEFINE_string(shard, "",
              "K/N: convert (or scan) only part K of N of the inputs, the parts balanced by "
              "bytes and the same on every machine that sees the same files");
DEFINE_string(boundsonly, "",
              "FILE.json: with -toProj=0, write the bounds of the inputs' vertices for "
              "-mergebounds, convert nothing");
DEFINE_string(mergebounds, "",
              "A.json,B.json,...|FOLDER: with -toProj=0 and -base, write the base point of all "
              "these bounds files, as -baseonly=1 over all their inputs would");
DEFINE_string(manifest, "",
              "FILE.json: the record of the run (flags, origin, per file: sizes, SHA-256, "
              "round trip, status), written at its end");

namespace {

constexpr int kFailure = -1;

// What --version prints after the program's name: the version, then the compiler and the
// GEOS library it runs with (the polygon choice depends on GEOS's arithmetic), and the lane
// code converting vertices (every one gives the same bits; QUORVEX_LANES chooses).
std::string versionText() {
#if defined(__clang__)
  const std::string compiler = "clang " __clang_version__;
#elif defined(__GNUC__)
  const std::string compiler = "GCC " __VERSION__;
#else
  const std::string compiler = "unknown";
#endif
  return std::string(QUORVEX_VERSION) + "\ncompiler: " + compiler + "\nGEOS: " + GEOSversion() +
         "\nlanes: " + laneCodeName(laneCodeInUse());
}

void printError(std::string_view text) {
  std::fprintf(stderr, "quorvex: %.*s\n", static_cast<int>(text.size()), text.data());
}

bool writeOut(std::string_view text, std::string& why) {
  return writeStandardOutput(text, &why);
}

// The program's standard streams as the run's output.
class StandardStreams : public RunOutput {
 public:
  bool out(std::string_view text) override {
    if (writeOut(text, why_)) return true;
    return false;
  }
  void warn(std::string_view text) override {
    std::fprintf(stderr, "quorvex: warning: %.*s\n", static_cast<int>(text.size()), text.data());
  }
  void note(std::string_view text) override { printError(text); }
  std::FILE* progressStream() override { return stderr; }
  const std::string& why() const { return why_; }

 private:
  std::string why_;
};

// The fixed message on standard output, then the detail line on standard error. A message
// that cannot be written is said on standard error.
int fail(const RunFailure& failure, const std::string& outputWhy = {}) {
  std::string why;
  const std::string message = fixedMessageText(failure.message);
  if (!message.empty() && !writeOut(message + "\n", why)) {
    printError(std::string("standard output could not be written: ") + why);
  }
  std::string detail = failure.detail;
  if (failure.message == RunMessage::none && !outputWhy.empty()) detail += ": " + outputWhy;
  if (!detail.empty()) printError(detail);
  return kFailure;
}

// The program's own flags given on the command line, as (name, value), for the manifest.
std::vector<std::pair<std::string, std::string>> givenFlags() {
  gflags::CommandLineFlagInfo own;
  gflags::GetCommandLineFlagInfo("input", &own);
  std::vector<gflags::CommandLineFlagInfo> all;
  gflags::GetAllFlags(&all);
  std::vector<std::pair<std::string, std::string>> given;
  for (const gflags::CommandLineFlagInfo& flag : all) {
    if (flag.filename == own.filename && !flag.is_default) {
      given.emplace_back(flag.name, flag.current_value);
    }
  }
  return given;
}

}  // namespace

int main(int argc, char** argv) {
  openClosedStandardStreams();  // before any file is opened, so none takes descriptor 1
#ifndef _WIN32
  // A closed pipe on standard output is then a failed write (exit -1 with a line, temporary
  // files removed), not a silent end by the signal.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  switch (checkCommandLine(argc, argv, "input")) {
    case CommandLineCheck::helpShown:
      return 0;
    case CommandLineCheck::badFlag:
      return kFailure;
    case CommandLineCheck::run:
      break;
  }
  const bool noArguments = argc == 1;
  gflags::SetUsageMessage(usageLine());
  gflags::SetVersionString(versionText());
  gflags::ParseCommandLineFlags(&argc, &argv, true);
  const FlagValues flags{FLAGS_input,       FLAGS_output,   FLAGS_coord,   FLAGS_base,
                         FLAGS_inputbase,   FLAGS_bENU,     FLAGS_toProj,  FLAGS_report,
                         FLAGS_maxresidual, FLAGS_progress, FLAGS_threads, FLAGS_baseonly,
                         FLAGS_tree,        FLAGS_materials, FLAGS_maxclosure,
                         FLAGS_metadata,    FLAGS_dryrun,
                         FLAGS_filesfrom,   FLAGS_shard,    FLAGS_boundsonly, FLAGS_mergebounds,
                         FLAGS_manifest,    givenFlags()};
  gflags::ShutDownCommandLineFlags();

  const OptionsResult options = runOptionsFromFlags(flags);
  if (!options.options) return fail(options.failure);
  StandardStreams streams;
  for (const std::string& warning : switchValueWarnings(flags)) streams.warn(warning);
  for (const std::string& warning : unusedFlagWarnings(flags, *options.options)) {
    streams.warn(warning);
  }
  const PlanResult plan = makeRunPlan(*options.options);
  if (!plan.plan) {
    const int status = fail(plan.failure);
    if (noArguments) std::fprintf(stderr, "%s\n", usageLine());
    return status;
  }
  for (const std::string& warning : plan.plan->warnings) streams.warn(warning);
  if (const auto failure = runConversion(*plan.plan, streams)) return fail(*failure, streams.why());
  if (plan.plan->options.dryRun) return 0;  // it converted nothing: it says so itself
  std::string why;
  if (!writeOut("convert success!!\n", why)) {
    printError("standard output could not be written: " + why);
    return kFailure;
  }
  return 0;
}
