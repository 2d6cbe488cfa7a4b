#include "LogTest.h"

#include <kq/logger/SimpleFormatter.h>

#include <cctype>
#include <chrono>

using kq::logger::SimpleFormatter;

namespace {

TEST(SimpleFormatter, LineLayout)
{
    const std::string indent(32, ' '), serial = " [serial          ] ", n = " [n               ] ";
    const struct {
        std::string name, message, afterTime;  // afterTime: everything after "HH:MM:SS.mmm"
    } cases[] = {
        {"serial", "abc", serial + "abc\n"},
        {"serial", "", serial + "\n"},
        {"serial", "a\nb", serial + "a\n" + indent + "b\n"},
        {"serial", "a\n", serial + "a\n" + indent + "\n"},
        {"serial", "\n\n", serial + "\n" + indent + "\n" + indent + "\n"},
        {"abcdefghijklmnopqrst", "x\ny", " [abcdefghijklmnopqrst] x\n" + indent + "y\n"},
        {"", "m", " [                ] m\n"},
        {"n", "a\r\nb\r", n + "a\r\n" + indent + "b\r\n"},
        {"n", std::string("a\0b", 3), n + std::string("a\0b", 3) + "\n"},
    };
    const std::string time = "00:00:00.000";  // '0' stands for any digit
    for (const auto& c : cases) {
        const std::string text = SimpleFormatter().format(c.name, c.message);
        ASSERT_GE(text.size(), time.size()) << text;
        for (size_t i = 0; i < time.size(); ++i) {
            EXPECT_TRUE(time[i] == '0' ? std::isdigit(static_cast<unsigned char>(text[i])) != 0
                                       : text[i] == time[i])
                << text;
        }
        EXPECT_EQ(c.afterTime, text.substr(time.size()));
    }
}

long millisecondOfDay(const std::string& text)
{
    return ((std::stol(text.substr(0, 2)) * 60 + std::stol(text.substr(3, 2))) * 60 +
            std::stol(text.substr(6, 2))) *
               1000 +
           std::stol(text.substr(9, 3));
}

long nowMillisecondOfDay(long offsetSeconds)
{
    using namespace std::chrono;
    const long long day = 24LL * 3600 * 1000;
    const long long ms =
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() +
        offsetSeconds * 1000LL;
    return static_cast<long>(((ms % day) + day) % day);
}

// The stamp is the local time of the moment of formatting, to the millisecond.
TEST(SimpleFormatter, TimeIsLocalTimeOfTheCall)
{
    const struct {
        const char* tz;
        long offsetSeconds;
    } zones[] = {{"UTC0", 0}, {"IST-05:30", 19800}, {"WWW+12", -43200}};
    for (const auto& zone : zones) {
        kqtest::ScopedTimeZone scoped(zone.tz);
        const long before = nowMillisecondOfDay(zone.offsetSeconds);
        const long stamp = millisecondOfDay(SimpleFormatter().format("n", "m"));
        const long after = nowMillisecondOfDay(zone.offsetSeconds);
        // When local midnight passed during the call, the window wraps.
        EXPECT_TRUE(before <= after ? stamp >= before && stamp <= after
                                    : stamp >= before || stamp <= after)
            << zone.tz << ": " << before << " " << stamp << " " << after;
    }
}

}  // namespace
