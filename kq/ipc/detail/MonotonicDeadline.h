#pragma once

#include <time.h>

#include <cstdint>

namespace kq {
namespace ipc {
namespace detail {

// The timeout as Windows reads it: a 32-bit count, all ones meaning no limit.
constexpr std::uint32_t Infinite = 0xFFFFFFFFu;

// The moment ms milliseconds from now on CLOCK_MONOTONIC, as the waits that take
// an absolute deadline want it (POSIX only).
inline timespec deadlineAfter(std::uint32_t ms)
{
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    t.tv_sec += ms / 1000;
    t.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (t.tv_nsec >= 1000000000L) {
        ++t.tv_sec;
        t.tv_nsec -= 1000000000L;
    }
    return t;
}

}  // namespace detail
}  // namespace ipc
}  // namespace kq
