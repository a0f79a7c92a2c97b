#pragma once

// Lets a test make one allocation fail, to see a handler cope with running out of memory.

#include <cstddef>

namespace link_test {

// The next allocation of at least `min_size` bytes on the calling thread throws std::bad_alloc.
void FailNextAllocation(std::size_t min_size);

}  // namespace link_test
