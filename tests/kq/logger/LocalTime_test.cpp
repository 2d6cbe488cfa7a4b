#include "LogTest.h"

#include <kq/logger/detail/LocalTime.h>

namespace {

// "HH:MM:SS.mmm" of a clock reading, as a time stamp shows it.
std::string clockText(std::int64_t ticks)
{
    const kq::logger::detail::LocalClock clock = kq::logger::detail::localClock(ticks);
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", clock.local.tm_hour, clock.local.tm_min,
                  clock.local.tm_sec, clock.milliseconds);
    return text;
}

// Before 1970 the reading falls in the second before it: milliseconds stay 0 to 999.
TEST(LocalClock, MillisecondsCountFromTheStartOfTheirSecond)
{
    kqtest::ScopedTimeZone utc("UTC0");
    const struct {
        std::int64_t ticks;
        const char* text;
    } cases[] = {
        {0, "00:00:00.000"},         {9999, "00:00:00.000"},      {10000, "00:00:00.001"},
        {12345678, "00:00:01.234"},  {-1, "23:59:59.999"},        {-5000000, "23:59:59.500"},
        {-10000000, "23:59:59.000"}, {-10000001, "23:59:58.999"},
    };
    for (const auto& c : cases) {
#if defined(_WIN32)
        // The Windows runtime converts no time before 1970: only the milliseconds count.
        EXPECT_EQ(std::string(c.text).substr(9), clockText(c.ticks).substr(9)) << c.ticks;
#else
        EXPECT_EQ(c.text, clockText(c.ticks)) << c.ticks;
#endif
    }
}

}  // namespace
