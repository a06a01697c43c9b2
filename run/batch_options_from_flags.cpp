#include "run/batch_options_from_flags.h"

#include <string>

namespace {

constexpr const char* kNeedsProjectToEnu = "needs project -> ENU (-toProj=0, -bENU=0)";

RunFailure refuse(RunMessage message, std::string detail) {
  return RunFailure{message, std::move(detail)};
}

}  // namespace

std::optional<RunFailure> readBatchFlags(const FlagValues& flags, RunOptions& options) {
  BatchOptions& batch = options.batch;
  const bool baseonly = flags.baseonly == "1";
  const bool toEnu = options.mode == ConversionKind::projectToEnu;
  batch.filesFrom = flags.filesfrom;
  batch.boundsOnly = flags.boundsonly;
  batch.mergeBounds = flags.mergebounds;
  batch.manifest = flags.manifest;
  if (!flags.shard.empty()) {
    batch.shard = parseShard(flags.shard);
    if (!batch.shard) {
      return refuse(RunMessage::shardSet, "-shard: expected K/N with 1 <= K <= N <= " +
                                              std::to_string(kMaxShards) + " (e.g. 2/8), got '" +
                                              flags.shard + "'");
    }
    if (baseonly) {
      return refuse(RunMessage::shardSet,
                    "-baseonly=1 computes the base point of the whole batch, not of a part: "
                    "write each part's bounds with -boundsonly and merge them with -mergebounds");
    }
  }
  if (!batch.boundsOnly.empty()) {
    const char* why = !toEnu                     ? kNeedsProjectToEnu
                      : baseonly                 ? "writes bounds, -baseonly=1 a base point: "
                                                   "give one of them"
                      : !flags.inputbase.empty() ? "scans for the base point: -inputbase "
                                                   "cannot be given"
                      : !flags.base.empty()      ? "writes no base file: -mergebounds writes "
                                                   "-base from the bounds files"
                                                 : nullptr;
    if (why != nullptr) return refuse(RunMessage::boundsonlySet, std::string("-boundsonly ") + why);
  }
  if (!batch.mergeBounds.empty()) {
    const char* why = !toEnu ? kNeedsProjectToEnu
                      : !batch.boundsOnly.empty() || baseonly || batch.shard ||
                              !batch.filesFrom.empty()
                          ? "reads the bounds files, no input: -boundsonly, -baseonly=1, -shard "
                            "and -filesfrom cannot be given"
                      : flags.base.empty()       ? "needs -base=FILE"
                      : !flags.inputbase.empty() ? "computes the base point: -inputbase cannot "
                                                   "be given"
                                                 : nullptr;
    if (why != nullptr) {
      return refuse(RunMessage::mergeboundsSet, std::string("-mergebounds ") + why);
    }
  }
  if (!batch.manifest.empty() &&
      (baseonly || !batch.boundsOnly.empty() || !batch.mergeBounds.empty())) {
    return refuse(RunMessage::manifestSet,
                  "-manifest records the files a run converts: -baseonly=1, -boundsonly and "
                  "-mergebounds convert none");
  }
  return std::nullopt;
}
