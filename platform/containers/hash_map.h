#pragma once

// The framework's hash map for integer keys. Its iteration order is visible to users (the
// engineering window lists the command names in it), so the layout is reproduced: a fixed
// table of buckets, a new key goes to the head of its bucket, and iteration walks the buckets
// in index order, each from head to tail.
//
// As the class library's collections do, the map reports running out of memory with the
// framework's memory exception. Its memory comes from the default memory resource of the time
// it was made.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <iterator>
#include <memory_resource>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/exceptions.h"
#include "platform/win_types.h"

namespace platform {

inline constexpr std::size_t kDefaultHashTableSize = 17;

// One step of the Park-Miller generator taken as the hash of a 32-bit key, computed with
// Schrage's method so that no intermediate value leaves the signed 32-bit range.
constexpr std::uint32_t HashIntegerKey(std::uint32_t key) {
  constexpr std::int64_t kModulus = 2147483647;
  constexpr std::int64_t kMultiplier = 16807;
  constexpr std::int64_t kQuotient = kModulus / kMultiplier;   // 127773
  constexpr std::int64_t kRemainder = kModulus % kMultiplier;  // 2836
  std::int64_t hash = kMultiplier * (key % kQuotient) - kRemainder * (key / kQuotient);
  if (hash < 0) {
    hash += kModulus;
  }
  return static_cast<std::uint32_t>(hash);
}

// Runs `allocating`; an allocation failure comes out as the framework's memory exception.
template <typename Allocating>
decltype(auto) RaisingMemoryException(Allocating&& allocating) {
  try {
    return std::forward<Allocating>(allocating)();
  } catch (const std::bad_alloc&) {
    throw CMemoryException();
  }
}

template <typename Key, typename Value>
class HashMap {
  static_assert(std::is_integral_v<Key> && sizeof(Key) <= sizeof(std::uint32_t),
                "keys are integers of at most 32 bits");

 public:
  struct Entry {
    Key key;
    Value value;
  };

 private:
  using Bucket = std::pmr::forward_list<Entry>;
  // The vector hands its memory resource on to its buckets.
  using Buckets = std::pmr::vector<Bucket>;

 public:
  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Entry;
    using difference_type = std::ptrdiff_t;
    using pointer = const Entry*;
    using reference = const Entry&;

    const_iterator() = default;

    reference operator*() const { return *entry_; }
    pointer operator->() const { return &*entry_; }
    const_iterator& operator++() {
      ++entry_;
      SkipEmptyBuckets();
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++*this;
      return before;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.bucket_ == b.bucket_ && (a.bucket_ == a.end_ || a.entry_ == b.entry_);
    }

   private:
    friend class HashMap;
    using BucketIterator = typename Buckets::const_iterator;

    const_iterator(BucketIterator bucket, BucketIterator end) : bucket_(bucket), end_(end) {
      if (bucket_ != end_) {
        entry_ = bucket_->begin();
        SkipEmptyBuckets();
      }
    }
    void SkipEmptyBuckets() {
      while (entry_ == bucket_->end()) {
        if (++bucket_ == end_) {
          return;
        }
        entry_ = bucket_->begin();
      }
    }

    BucketIterator bucket_{};
    BucketIterator end_{};
    typename Bucket::const_iterator entry_{};
  };

  // A table size of 0 is taken as 1, so every key has a bucket.
  explicit HashMap(std::size_t hash_table_size = kDefaultHashTableSize)
      : buckets_(RaisingMemoryException(
            [hash_table_size] { return Buckets(std::max<std::size_t>(hash_table_size, 1)); })) {}

  // Replaces the value of an existing key in place (its iteration position stays).
  void SetAt(Key key, Value value) {
    Bucket& bucket = BucketOf(key);
    for (Entry& entry : bucket) {
      if (entry.key == key) {
        entry.value = std::move(value);
        return;
      }
    }
    RaisingMemoryException([&] { bucket.push_front(Entry{key, std::move(value)}); });
    ++count_;
  }

  BOOL Lookup(Key key, Value& value) const {
    for (const Entry& entry : BucketOf(key)) {
      if (entry.key == key) {
        value = entry.value;
        return TRUE;
      }
    }
    return FALSE;
  }

  std::size_t GetCount() const { return count_; }

  void RemoveAll() {
    for (Bucket& bucket : buckets_) bucket.clear();
    count_ = 0;
  }

  const_iterator begin() const { return const_iterator(buckets_.begin(), buckets_.end()); }
  const_iterator end() const { return const_iterator(buckets_.end(), buckets_.end()); }

 private:
  std::size_t BucketIndex(Key key) const {
    return HashIntegerKey(static_cast<std::uint32_t>(key)) % buckets_.size();
  }
  Bucket& BucketOf(Key key) { return buckets_[BucketIndex(key)]; }
  const Bucket& BucketOf(Key key) const { return buckets_[BucketIndex(key)]; }

  Buckets buckets_;
  std::size_t count_ = 0;
};

}  // namespace platform
