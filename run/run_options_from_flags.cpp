#include "run/run_options_from_flags.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>
#include <thread>

#include "run/batch_options_from_flags.h"

namespace {

// The largest -threads value taken: more threads than this only cost memory.
constexpr unsigned kMaxThreads = 256;

// -threads: a non-negative integer up to kMaxThreads; 0 is the hardware's thread count (1
// when it is not known).
std::optional<unsigned> threadCount(const std::string& text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      value > kMaxThreads) {
    return std::nullopt;
  }
  if (value == 0) value = std::max(1u, std::thread::hardware_concurrency());
  return value;
}

std::optional<double> positiveNumber(const std::string& text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !(value > 0.0) ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

OptionsResult refuse(RunMessage message, std::string detail) {
  return {std::nullopt, {message, std::move(detail)}};
}

// Flag -`name`'s `text` as a positive finite number of `unit` into `value`; else the refusal.
std::optional<OptionsResult> readPositive(const char* name, const std::string& text,
                                          const char* unit, RunMessage message, double& value) {
  const std::optional<double> number = positiveNumber(text);
  if (!number) {
    return refuse(message, std::string("-") + name + ": expected a positive number of " + unit +
                               ", got '" + text + "'");
  }
  value = *number;
  return std::nullopt;
}

}  // namespace

OptionsResult runOptionsFromFlags(const FlagValues& flags) {
  // The zone mode reads project coordinates: ENU vertices would be taken for them.
  if (flags.bENU == "1" && flags.toProj == "1") {
    return refuse(RunMessage::bENUSet,
                  "-bENU=1 says the vertices are ENU, but -toProj=1 (the default) projects "
                  "project-frame vertices onto the zone: add -toProj=0 to convert ENU -> "
                  "project frame");
  }
  RunOptions options;
  options.input = flags.input;
  options.output = flags.output;
  options.coord = flags.coord;
  options.base = flags.base;
  options.report = flags.report;
  options.mode = flags.toProj == "1"  ? ConversionKind::projectToZone
                 : flags.bENU == "1" ? ConversionKind::enuToProject
                                     : ConversionKind::projectToEnu;
  options.progress = flags.progress == "1"   ? ProgressChoice::on
                     : flags.progress == "0" ? ProgressChoice::off
                                             : ProgressChoice::automatic;
  if (!flags.report.empty()) {
    if (auto refused = readPositive("maxresidual", flags.maxresidual, "metres",
                                    RunMessage::maxresidualSet, options.maxResidual)) {
      return *refused;
    }
  }
  if (auto refused = readPositive("maxclosure", flags.maxclosure, "millimetres",
                                  RunMessage::maxclosureSet, options.maxClosureMm)) {
    return *refused;
  }
  const std::optional<unsigned> threads = threadCount(flags.threads);
  if (!threads) {
    return refuse(RunMessage::threadsSet, "-threads: expected a whole number from 0 to " +
                                              std::to_string(kMaxThreads) + ", got '" +
                                              flags.threads + "'");
  }
  options.threads = *threads;
  options.tree = flags.tree == "1";
  if (flags.materials == "none") {
    options.materials = MaterialsChoice::none;
  } else if (flags.materials == "copy") {
    options.materials = MaterialsChoice::copy;
  } else if (flags.materials == "link") {
    options.materials = MaterialsChoice::link;
  } else {
    return refuse(RunMessage::materialsSet,
                  "-materials: expected none, copy or link, got '" + flags.materials + "'");
  }
  options.dryRun = flags.dryrun == "1";
  if (flags.metadata.empty()) {
    return refuse(RunMessage::metadataSet, "-metadata: expected auto, none or the path of a "
                                           "metadata.xml, got ''");
  }
  options.metadata = flags.metadata == "auto"   ? MetadataChoice::automatic
                     : flags.metadata == "none" ? MetadataChoice::none
                                                : MetadataChoice::path;
  if (options.metadata == MetadataChoice::path) options.metadataPath = flags.metadata;
  if (auto failure = readBatchFlags(flags, options)) return {std::nullopt, *failure};
  options.batch.givenFlags = flags.given;
  options.baseOnly = flags.baseonly == "1";
  if (options.baseOnly) {
    const char* why = options.mode != ConversionKind::projectToEnu
                          ? "-baseonly=1 needs project -> ENU (-toProj=0, -bENU=0)"
                      : flags.base.empty()       ? "-baseonly=1 needs -base=FILE"
                      : !flags.inputbase.empty() ? "-baseonly=1 computes the base point: "
                                                   "-inputbase cannot be given"
                                                 : nullptr;
    if (why != nullptr) return refuse(RunMessage::baseonlySet, why);
  }
  // A mistake in -inputbase is refused in every mode (only the two ENU modes use it).
  if (!flags.inputbase.empty()) {
    std::string why;
    options.inputbase = parseInputBase(flags.inputbase, &why);
    if (!options.inputbase) return refuse(RunMessage::inputbaseSet, why);
  }
  // Bounds and their merge convert nothing, as -baseonly=1.
  if (!options.batch.boundsOnly.empty() || !options.batch.mergeBounds.empty()) {
    options.baseOnly = true;
  }
  return {options, {}};
}
