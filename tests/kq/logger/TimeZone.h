#pragma once

#include <ctime>
#include <string>

namespace kqtest {

// Sets TZ for this process for its lifetime, then restores the previous value.
// tz is a POSIX-style zone such as "XXX-14" (14 hours east of UTC).
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& tz);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

    static void set(const std::string& tz);

private:
    bool hadValue;
    std::string previous;
};

// The calendar date of UTC shifted by offsetSeconds, as "YYYY-MM-DD".
std::string dateAtOffset(std::time_t utc, long offsetSeconds);

}  // namespace kqtest
