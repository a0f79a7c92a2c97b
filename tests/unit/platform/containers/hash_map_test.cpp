#include "platform/containers/hash_map.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/exceptions.h"
#include "tests/support/exhaustible_memory.h"

namespace platform {
namespace {

template <typename Value>
std::vector<std::pair<unsigned, Value>> Walk(const HashMap<unsigned, Value>& map) {
  std::vector<std::pair<unsigned, Value>> entries;
  for (const auto& entry : map) {
    entries.emplace_back(entry.key, entry.value);
  }
  return entries;
}

TEST(HashIntegerKeyTest, FollowsBothBranchesOfTheGenerator) {
  EXPECT_EQ(HashIntegerKey(0), 0u);
  EXPECT_EQ(HashIntegerKey(1), 16807u);
  EXPECT_EQ(HashIntegerKey(0xD001), 894955943u);
  // 127773 wraps below zero and is brought back by the modulus.
  EXPECT_EQ(HashIntegerKey(127773), 2147480811u);
  EXPECT_EQ(HashIntegerKey(0xFFFFFFFFu), 16807u);
}

TEST(HashMapTest, IteratesBucketsInOrderNewestFirstWithinABucket) {
  // 17 buckets: 1 -> 11, 2 -> 5, 3 -> 16, 18 -> 11 (16807 * 18 mod 17 = 11).
  HashMap<unsigned, int> map;
  map.SetAt(1, 10);
  map.SetAt(3, 30);
  map.SetAt(2, 20);
  map.SetAt(18, 180);
  const std::vector<std::pair<unsigned, int>> expected = {{2, 20}, {18, 180}, {1, 10}, {3, 30}};
  EXPECT_EQ(Walk(map), expected);
}

TEST(HashMapTest, ReplacingAValueKeepsItsPlaceAndTheCount) {
  HashMap<unsigned, std::string> map(1);
  map.SetAt(7, "a");
  map.SetAt(8, "b");
  map.SetAt(9, "c");
  map.SetAt(8, "B");
  ASSERT_EQ(map.GetCount(), 3u);
  const std::vector<std::pair<unsigned, std::string>> expected = {{9, "c"}, {8, "B"}, {7, "a"}};
  EXPECT_EQ(Walk(map), expected);
}

TEST(HashMapTest, LookupFindsOnlyStoredKeysAndLeavesTheValueOtherwise) {
  HashMap<unsigned, unsigned> map;
  map.SetAt(0xD002, 0xD102);
  unsigned value = 42;
  EXPECT_EQ(map.Lookup(0xD003, value), FALSE);
  EXPECT_EQ(value, 42u);
  // 0xD002 + 17 shares the bucket of 0xD002 but is another key.
  EXPECT_EQ(map.Lookup(0xD002 + 17, value), FALSE);
  EXPECT_EQ(map.Lookup(0xD002, value), TRUE);
  EXPECT_EQ(value, 0xD102u);
}

TEST(HashMapTest, EmptyMapAndZeroSizedTableAreUsable) {
  HashMap<unsigned, int> empty;
  EXPECT_EQ(empty.begin(), empty.end());
  HashMap<unsigned, int> single(0);
  single.SetAt(5, 1);
  EXPECT_EQ(Walk(single).size(), 1u);
}

TEST(HashMapTest, RunningOutOfMemoryRaisesTheFrameworksExceptionAndKeepsWhatIsStored) {
  tessaly_test::ExhaustibleMemory memory;
  HashMap<unsigned, int> map = [&memory] {
    const tessaly_test::DefaultMemoryScope scope(memory);
    return HashMap<unsigned, int>();
  }();
  map.SetAt(1, 10);
  memory.RunOutAfter(0);
  EXPECT_THROW(map.SetAt(2, 20), CMemoryException);
  map.SetAt(1, 11);  // a stored key needs no memory
  EXPECT_EQ(map.GetCount(), 1u);
  EXPECT_EQ(Walk(map), (std::vector<std::pair<unsigned, int>>{{1, 11}}));

  const tessaly_test::DefaultMemoryScope scope(memory);
  EXPECT_THROW((HashMap<unsigned, int>()), CMemoryException) << "no memory for the buckets";
}

}  // namespace
}  // namespace platform
