#include "tests/unit/device_link/allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {

thread_local std::size_t t_fail_from_size = 0;  // 0: no failure armed

void* Allocate(std::size_t size) {
  if (t_fail_from_size != 0 && size >= t_fail_from_size) {
    t_fail_from_size = 0;
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}

}  // namespace

namespace link_test {

void FailNextAllocation(std::size_t min_size) { t_fail_from_size = min_size; }

}  // namespace link_test

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
// Every form of new must come from malloc too, since every form of delete below frees.
void* operator new(std::size_t size, const std::nothrow_t& /*tag*/) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& /*tag*/) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* memory, const std::nothrow_t& /*tag*/) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t& /*tag*/) noexcept { std::free(memory); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t /*size*/) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t /*size*/) noexcept { std::free(memory); }
