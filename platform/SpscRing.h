#pragma once

// A bounded queue from one producer thread to one consumer thread, without locks or
// allocation: a device thread hands its records to the frame loop through it.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace Stimora {

/// Holds up to N records. A record that finds the ring full is not taken, and counted.
template <typename T, std::size_t N> class SpscRing {
public:
    /// Producer side; false (and counted) when full.
    bool push(const T& item) {
        const std::uint64_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == N) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        slots[tail % N] = item;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }
    /// Consumer side; false when empty.
    bool pop(T& item) {
        const std::uint64_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire))
            return false;
        item = slots[head % N];
        head_.store(head + 1, std::memory_order_release);
        return true;
    }
    /// Records refused because the ring was full, since it was made.
    std::uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

private:
    std::array<T, N> slots{};
    std::atomic<std::uint64_t> head_{0}, tail_{0}, dropped_{0};
};

} // namespace Stimora
