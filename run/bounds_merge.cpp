#include "run/bounds_merge.h"

#include <array>
#include <map>
#include <utility>

#include "platform/read_text_file.h"
#include "run/bounds_part.h"

namespace {

std::string inQuotes(const std::string& path) { return "'" + path + "'"; }

MergedBounds refuse(std::string detail) {
  MergedBounds merged;
  merged.failure = RunFailure{RunMessage::mergeboundsSet, "-mergebounds: " + std::move(detail)};
  return merged;
}

std::string originText(const std::optional<std::array<double, 3>>& origin) {
  if (!origin) return "none";
  return std::to_string((*origin)[0]) + "," + std::to_string((*origin)[1]) + "," +
         std::to_string((*origin)[2]);
}

// Sharded parts: one batch, each part once, none missing.
std::optional<std::string> checkShards(const std::vector<std::string>& paths,
                                       const std::vector<BoundsPart>& parts) {
  const BoundsPart& first = parts.front();
  std::map<unsigned, const std::string*> byPart;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const BoundsPart& part = parts[i];
    if (!part.shard) {
      return inQuotes(paths[i]) + " is the bounds of a run without -shard, " + inQuotes(paths[0]) +
             " part " + shardText(*first.shard) + " of a batch: merge the parts of one batch";
    }
    if (part.shard->n != first.shard->n || part.batchSha256 != first.batchSha256) {
      return inQuotes(paths[i]) + " (part " + shardText(*part.shard) + ") is a part of another "
             "batch than " + inQuotes(paths[0]) + " (part " + shardText(*first.shard) +
             "): other files, or another count of parts";
    }
    const auto [it, inserted] = byPart.emplace(part.shard->k, &paths[i]);
    if (!inserted) {
      return inQuotes(*it->second) + " and " + inQuotes(paths[i]) + " are both part " +
             shardText(*part.shard);
    }
  }
  std::string missing;
  std::size_t count = 0;
  for (unsigned k = 1; k <= first.shard->n; ++k) {
    if (byPart.count(k) != 0) continue;
    if (++count <= 8) missing += (missing.empty() ? "" : ", ") + shardText({k, first.shard->n});
  }
  if (count == 0) return std::nullopt;
  return std::to_string(count) + " of the " + std::to_string(first.shard->n) + " parts " +
         (count == 1 ? "is" : "are") + " missing: " + missing + (count > 8 ? ", ..." : "");
}

}  // namespace

MergedBounds mergeBoundsParts(const std::vector<std::string>& paths,
                              const std::string& coordinateFileSha256, const std::string& mode) {
  std::vector<BoundsPart> parts;
  for (const std::string& path : paths) {
    std::string text, why;
    if (!readWholeFile(path, text, &why)) return refuse(why);
    BoundsPart part;
    if (!readBoundsPart(text, part, why)) {
      return refuse(inQuotes(path) + " is not a bounds file of -boundsonly: " + why);
    }
    if (part.coordinateFileSha256 != coordinateFileSha256) {
      return refuse(inQuotes(path) + " was scanned with another coordinate file (SHA-256 " +
                    part.coordinateFileSha256 + ") than -coord (SHA-256 " +
                    coordinateFileSha256 + ")");
    }
    if (part.mode != mode) {
      return refuse(inQuotes(path) + " holds the bounds of the mode \"" + part.mode +
                    "\", not of \"" + mode + "\"");
    }
    // No metadata offset and a zero one give the same numbers: only another offset differs.
    const auto offset = [](const BoundsPart& p) {
      return p.srsOrigin.value_or(std::array<double, 3>{});
    };
    if (!parts.empty() && offset(part) != offset(parts.front())) {
      return refuse(inQuotes(path) + " was scanned with the <SRSOrigin> offset " +
                    originText(part.srsOrigin) + ", " + inQuotes(paths.front()) + " with " +
                    originText(parts.front().srsOrigin));
    }
    parts.push_back(std::move(part));
  }
  bool anySharded = false;
  for (const BoundsPart& part : parts) anySharded = anySharded || part.shard.has_value();
  if (anySharded) {
    // The first sharded part leads, so that a part without -shard is named as the odd one.
    std::vector<std::string> ordered = paths;
    std::vector<BoundsPart> sorted = parts;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
      if (!sorted[i].shard) continue;
      std::swap(sorted[0], sorted[i]);
      std::swap(ordered[0], ordered[i]);
      break;
    }
    if (auto why = checkShards(ordered, sorted)) return refuse(*why);
  } else {
    std::map<std::string, const std::string*> byBatch;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const auto [it, inserted] = byBatch.emplace(parts[i].batchSha256, &paths[i]);
      if (!inserted) {
        return refuse(inQuotes(*it->second) + " and " + inQuotes(paths[i]) +
                      " hold the bounds of the same inputs");
      }
    }
  }
  MergedBounds merged;
  for (const BoundsPart& part : parts) {
    merged.bounds.merge(part.bounds);
    merged.bounds.vertexCount += part.vertices;
  }
  if (!parts.empty()) merged.srsOrigin = parts.front().srsOrigin;
  return merged;
}
