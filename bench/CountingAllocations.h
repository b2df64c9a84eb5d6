#pragma once

// Counts allocations while armed, to show that a frame allocates nothing. It replaces the
// global operator new and delete, so a program includes it in exactly one source file (each
// benchmark is a program of one file); benchmarks that count nothing leave it out and keep
// the standard allocator.

#include <cstdlib>
#include <new>

namespace Stimora::Bench {

/// While true, every operator new adds one to allocations.
inline bool countingAllocations = false;
/// Allocations counted since a benchmark last set it to 0.
inline long allocations = 0;

} // namespace Stimora::Bench

void* operator new(std::size_t size) {
    if (Stimora::Bench::countingAllocations)
        ++Stimora::Bench::allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
// The replacement pair is malloc/free throughout; GCC cannot see that across inlining.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop
