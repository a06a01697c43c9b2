#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One process's part of a batch (-shard=K/N): part k of n, 1 <= k <= n.
struct Shard {
  unsigned k = 1;
  unsigned n = 1;
  friend bool operator==(const Shard&, const Shard&) = default;
};

// The most parts a batch is cut into.
inline constexpr unsigned kMaxShards = 1000000;

// "K/N", digits only, 1 <= K <= N <= kMaxShards; empty for anything else.
std::optional<Shard> parseShard(std::string_view text);

// "K/N" again.
std::string shardText(const Shard& shard);

// A file of a batch as the cut sees it: its name in the list (the path below the -input
// folder, or the list file's line) and its size.
struct ShardItem {
  std::string name;
  std::uint64_t bytes = 0;
};

// The items (indices into `items`, in list order) of part `shard`. Every item is in exactly one
// part, and the parts are balanced by bytes: the items in decreasing size (equal sizes by name)
// each go to the part with the fewest bytes so far (equal totals: the lowest part). So the cut
// depends on the names and sizes alone, not on the order the list gives them in: every process
// that sees the same files cuts the same parts. No part exceeds the mean by more than its
// largest item.
std::vector<std::size_t> shardMembers(const std::vector<ShardItem>& items, const Shard& shard);

// SHA-256 (hex) of the names and sizes of `items`, in name order: the same for every process
// cutting the same batch, whatever order it found the files in.
std::string batchDigest(const std::vector<ShardItem>& items);
