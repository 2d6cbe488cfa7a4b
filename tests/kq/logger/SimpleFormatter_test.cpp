#include "TimeZone.h"

#include <kq/logger/SimpleFormatter.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <string>

using kq::logger::SimpleFormatter;

namespace {

const std::string Indent(32, ' ');

struct LayoutCase {
    std::string name;
    std::string message;
    std::string afterTime;  // everything after "HH:MM:SS.mmm"
};

class Layout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, MatchesTheLineLayout)
{
    const LayoutCase& c = GetParam();
    const std::string text = SimpleFormatter().format(c.name, c.message);
    ASSERT_GE(text.size(), 12u);
    const std::string time = text.substr(0, 12);
    for (size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 9u, 10u, 11u})
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(time[i]))) << time;
    EXPECT_EQ(':', time[2]);
    EXPECT_EQ(':', time[5]);
    EXPECT_EQ('.', time[8]);
    EXPECT_EQ(c.afterTime, text.substr(12));
}

INSTANTIATE_TEST_SUITE_P(
    SimpleFormatter, Layout,
    ::testing::Values(
        LayoutCase{"serial", "abc", " [serial          ] abc\n"},
        LayoutCase{"serial", "", " [serial          ] \n"},
        LayoutCase{"serial", "a\nb", " [serial          ] a\n" + Indent + "b\n"},
        LayoutCase{"serial", "a\n", " [serial          ] a\n" + Indent + "\n"},
        LayoutCase{"serial", "\n\n", " [serial          ] \n" + Indent + "\n" + Indent + "\n"},
        LayoutCase{"abcdefghijklmnopqrst", "x\ny", " [abcdefghijklmnopqrst] x\n" + Indent + "y\n"},
        LayoutCase{"", "m", " [                ] m\n"},
        LayoutCase{"n", "a\r\nb\r", " [n               ] a\r\n" + Indent + "b\r\n"},
        LayoutCase{"n", std::string("a\0b", 3), " [n               ] " + std::string("a\0b", 3) + "\n"}));

long millisecondOfDay(const std::string& text)
{
    return ((std::stol(text.substr(0, 2)) * 60 + std::stol(text.substr(3, 2))) * 60 +
            std::stol(text.substr(6, 2))) * 1000 + std::stol(text.substr(9, 3));
}

long nowMillisecondOfDay(long offsetSeconds)
{
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count() +
                         offsetSeconds * 1000LL;
    const long long day = 24LL * 3600 * 1000;
    return static_cast<long>(((ms % day) + day) % day);
}

struct ZoneCase {
    const char* tz;
    long offsetSeconds;
};

class TimeOfDay : public ::testing::TestWithParam<ZoneCase> {};

// The stamp is the local time of the moment of formatting, to the millisecond.
TEST_P(TimeOfDay, IsLocalTimeOfTheCall)
{
    kqtest::ScopedTimeZone zone(GetParam().tz);
    const long before = nowMillisecondOfDay(GetParam().offsetSeconds);
    const long stamp = millisecondOfDay(SimpleFormatter().format("n", "m"));
    const long after = nowMillisecondOfDay(GetParam().offsetSeconds);
    if (before <= after) {
        EXPECT_GE(stamp, before);
        EXPECT_LE(stamp, after);
    } else {
        // Local midnight passed during the call.
        EXPECT_TRUE(stamp >= before || stamp <= after) << stamp;
    }
}

INSTANTIATE_TEST_SUITE_P(SimpleFormatter, TimeOfDay,
                         ::testing::Values(ZoneCase{"UTC0", 0}, ZoneCase{"IST-05:30", 19800},
                                           ZoneCase{"WWW+12", -43200}));

}  // namespace
