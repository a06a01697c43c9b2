#include "run/shard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(Shard, ParsesKOfN) {
  EXPECT_EQ(parseShard("2/4"), (Shard{2, 4}));
  EXPECT_EQ(parseShard("1000000/1000000"), (Shard{1000000, 1000000}));
  for (const char* bad : {"0/4", "5/4", "1/0", "a/b", "1/4/", " 1/4", "1/1000001", "14", ""}) {
    EXPECT_FALSE(parseShard(bad).has_value()) << bad;
  }
}

// The greedy cut by bytes, expected parts worked by hand (largest first, each to the lightest
// part, equal sizes by name, equal totals to the lower part); the same whatever the order of
// the list, as every process must cut alike.
TEST(Shard, CutsByBytesWhateverTheOrderOfTheList) {
  struct Case {
    std::vector<ShardItem> items;
    unsigned n;
    std::vector<unsigned> part;  // of each item, 1-based
  };
  const Case cases[] = {
      {{{"big", 100}, {"a", 1}, {"b", 1}, {"c", 1}, {"d", 1}}, 2, {1, 2, 2, 2, 2}},
      {{{"a", 5}, {"b", 4}, {"c", 3}, {"d", 3}, {"e", 2}, {"f", 1}}, 2, {1, 2, 2, 1, 2, 1}},
      {{{"z", 1}, {"y", 1}, {"x", 1}}, 3, {3, 2, 1}},
      {{{"a", 0}, {"b", 7}}, 4, {2, 1}},  // parts 3 and 4 stay empty
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::vector<ShardItem> reversed(cases[i].items.rbegin(), cases[i].items.rend());
    const std::size_t count = cases[i].items.size();
    for (unsigned k = 1; k <= cases[i].n; ++k) {
      std::vector<std::size_t> expected, expectedReversed;
      for (std::size_t item = 0; item < count; ++item) {
        if (cases[i].part[item] == k) expected.push_back(item);
        if (cases[i].part[count - 1 - item] == k) expectedReversed.push_back(item);
      }
      EXPECT_EQ(shardMembers(cases[i].items, {k, cases[i].n}), expected) << i << ", part " << k;
      EXPECT_EQ(shardMembers(reversed, {k, cases[i].n}), expectedReversed) << i << ", " << k;
    }
    EXPECT_EQ(batchDigest(cases[i].items), batchDigest(reversed)) << i;
  }
  EXPECT_NE(batchDigest({{"a", 1}}), batchDigest({{"a", 2}}));
}

}  // namespace
