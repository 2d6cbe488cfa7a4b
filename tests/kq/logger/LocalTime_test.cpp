#include "LogTest.h"

#include <kq/logger/detail/LocalTime.h>

namespace {

// Before 1970 a reading falls in the second before it: milliseconds stay 0 to 999.
TEST(LocalClock, MillisecondsCountFromTheStartOfTheirSecond)
{
    kqtest::ScopedTimeZone utc("UTC0");
    // 100-nanosecond ticks since 1970, and the time stamp they show.
    const std::pair<std::int64_t, std::string> cases[] = {
        {12345678, "00:00:01.234"},
        {-1, "23:59:59.999"},
        {-5000000, "23:59:59.500"},
        {-10000001, "23:59:58.999"},
    };
    for (const auto& c : cases) {
        const auto clock = kq::logger::detail::localClock(c.first);
        char text[64];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", clock.local.tm_hour,
                      clock.local.tm_min, clock.local.tm_sec, clock.milliseconds);
#if defined(_WIN32)
        // The Windows runtime converts no time before 1970: only the milliseconds count.
        EXPECT_EQ(c.second.substr(9), std::string(text).substr(9)) << c.first;
#else
        EXPECT_EQ(c.second, text) << c.first;
#endif
    }
}

}  // namespace
