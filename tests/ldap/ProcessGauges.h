#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define OSTREL_HEAP_OF_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTREL_HEAP_OF_ASAN 1
#endif
#endif
#if defined(OSTREL_HEAP_OF_ASAN)
// From the sanitizer's run-time, whose header not every compiler ships.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

// What the process holds, for tests that a hostile server leaves nothing behind.
namespace gauges {

// Bytes the heap has handed out and not had back.
inline std::size_t allocatedBytes() {
#if defined(OSTREL_HEAP_OF_ASAN)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd; // large blocks are mapped on their own
#endif
}

inline std::size_t openDescriptors() {
    std::size_t n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++n;
    return n;
}

// The most the heap held above where it stood when this began, sampled every millisecond
// from a thread of its own until it ends.
class PeakGrowth {
public:
    PeakGrowth() : start_(allocatedBytes()), thread_([this] { sample(); }) {}
    ~PeakGrowth() { stop(); }
    std::size_t stop() {
        if (thread_.joinable()) {
            done_ = true;
            thread_.join();
        }
        return peak_;
    }

private:
    void sample() {
        while (!done_) {
            const std::size_t now = allocatedBytes();
            peak_ = std::max(peak_.load(), now > start_ ? now - start_ : 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    const std::size_t start_;
    std::atomic<std::size_t> peak_{0};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

} // namespace gauges
