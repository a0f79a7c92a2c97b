#pragma once

// Memory that runs out when a test says so, for the collections that take theirs from a memory
// resource, and a scope that makes it the default resource while they are made.

#include <cstddef>
#include <limits>
#include <memory_resource>
#include <new>

namespace tessaly_test {

class ExhaustibleMemory final : public std::pmr::memory_resource {
 public:
  // The next `allocations` allocations succeed; every later one fails.
  void RunOutAfter(std::size_t allocations) { left_ = allocations; }

 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    if (left_ == 0) throw std::bad_alloc();
    --left_;
    return std::pmr::new_delete_resource()->allocate(bytes, alignment);
  }
  void do_deallocate(void* memory, std::size_t bytes, std::size_t alignment) override {
    std::pmr::new_delete_resource()->deallocate(memory, bytes, alignment);
  }
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  std::size_t left_ = std::numeric_limits<std::size_t>::max();
};

// `memory` is the default resource for the scope's lifetime.
class DefaultMemoryScope {
 public:
  explicit DefaultMemoryScope(std::pmr::memory_resource& memory)
      : previous_(std::pmr::set_default_resource(&memory)) {}
  DefaultMemoryScope(const DefaultMemoryScope&) = delete;
  DefaultMemoryScope& operator=(const DefaultMemoryScope&) = delete;
  ~DefaultMemoryScope() { std::pmr::set_default_resource(previous_); }

 private:
  std::pmr::memory_resource* previous_;
};

}  // namespace tessaly_test
