#pragma once

#include <cstdint>
#include <ctime>

namespace kq {
namespace logger {
namespace detail {

// Local broken-down time of a calendar time, safe to call from several threads at once
// (no shared static result buffer). It follows TZ as it changes while the program runs,
// and, without TZ, the system's zone file. All fields are zero if the conversion fails.
std::tm localTime(std::time_t seconds);

// A clock reading as a time stamp shows it: the local time of its whole second and the
// milliseconds within that second.
struct LocalClock {
    std::tm local;
    int milliseconds;  // 0 to 999, also before 1970
};

// ticks: 100-nanosecond ticks since 1970-01-01 00:00:00 UTC, negative before.
LocalClock localClock(std::int64_t ticks);

}  // namespace detail
}  // namespace logger
}  // namespace kq
