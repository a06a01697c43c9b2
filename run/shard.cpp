#include "run/shard.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <numeric>
#include <queue>
#include <system_error>
#include <utility>

#include "platform/sha256.h"

namespace {

std::optional<unsigned> digits(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// Item indices in name order.
std::vector<std::size_t> byName(const std::vector<ShardItem>& items) {
  std::vector<std::size_t> order(items.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&items](std::size_t a, std::size_t b) { return items[a].name < items[b].name; });
  return order;
}

}  // namespace

std::optional<Shard> parseShard(std::string_view text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::optional<unsigned> k = digits(text.substr(0, slash));
  const std::optional<unsigned> n = digits(text.substr(slash + 1));
  if (!k || !n || *k < 1 || *k > *n || *n > kMaxShards) return std::nullopt;
  return Shard{*k, *n};
}

std::string shardText(const Shard& shard) {
  return std::to_string(shard.k) + "/" + std::to_string(shard.n);
}

std::vector<std::size_t> shardMembers(const std::vector<ShardItem>& items, const Shard& shard) {
  std::vector<std::size_t> order = byName(items);
  std::stable_sort(order.begin(), order.end(), [&items](std::size_t a, std::size_t b) {
    return items[a].bytes > items[b].bytes;
  });
  // The parts as (bytes so far, part index), the smallest on top.
  using Part = std::pair<std::uint64_t, unsigned>;
  std::priority_queue<Part, std::vector<Part>, std::greater<Part>> parts;
  const unsigned used = static_cast<unsigned>(std::min<std::size_t>(shard.n, items.size()));
  for (unsigned p = 0; p < used; ++p) parts.push({0, p});
  std::vector<std::size_t> members;
  for (const std::size_t item : order) {
    auto [bytes, part] = parts.top();
    parts.pop();
    if (part == shard.k - 1) members.push_back(item);
    parts.push({bytes + items[item].bytes, part});
  }
  std::sort(members.begin(), members.end());
  return members;
}

std::string batchDigest(const std::vector<ShardItem>& items) {
  Sha256 hasher;
  for (const std::size_t i : byName(items)) {
    hasher.update(std::to_string(items[i].bytes) + " " + items[i].name + "\n");
  }
  return hasher.finish();
}
