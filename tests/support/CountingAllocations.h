#pragma once

// Counts allocations while armed, to show that a frame allocates nothing. It replaces the
// global operator new and delete, so a program includes it in exactly one source file; the
// programs that count nothing leave it out and keep the standard allocator.
// AddressSanitizer brings its own operator new family, which a partial replacement would
// mismatch: there nothing is replaced and STIMORA_COUNT_ALLOCATIONS is 0.

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define STIMORA_COUNT_ALLOCATIONS 0
#else
#define STIMORA_COUNT_ALLOCATIONS 1
#endif

namespace Stimora::Testing {

/// While true, every operator new adds one to allocations.
inline bool countingAllocations = false;
/// Allocations counted since the caller last set it to 0.
inline long allocations = 0;

} // namespace Stimora::Testing

#if STIMORA_COUNT_ALLOCATIONS
void* operator new(std::size_t size) {
    if (Stimora::Testing::countingAllocations)
        ++Stimora::Testing::allocations;
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
#endif
