#include "portmon/LineTime.h"

#include <gtest/gtest.h>

namespace {

using quorvex::ElapsedReading;
using quorvex::TimeForm;

TEST(LineTime, ReadsTheElapsedAndTheClockForm)
{
    const struct {
        std::vector<std::string> fields;
        TimeForm form;
        long long micros;
    } cases[] = {
        {{"12", "0.00137000", "t.exe:12"}, TimeForm::Elapsed, 1370},
        {{"12", "2.5", "t.exe"}, TimeForm::Elapsed, 2500000},
        {{"3", "9:41:07"}, TimeForm::Clock, (9 * 3600 + 41 * 60 + 7) * 1000000LL},
        {{"3", "9:41:07.125 PM"}, TimeForm::Clock, (21 * 3600 + 41 * 60 + 7) * 1000000LL + 125000},
        {{"3", "12:00:01", "AM"}, TimeForm::Clock, 1000000},
        {{"12", "t.exe:12"}, TimeForm::None, 0},
        {{"0.", ".5", "1.2.3", "25:00:00", "9:41", "9:41:07 XM", "13:00:00 PM"}, TimeForm::None, 0},
    };
    for (const auto& c : cases) {
        const quorvex::LineTime time = quorvex::lineTimeOf(c.fields);
        EXPECT_EQ(time.form, c.form) << c.fields[1];
        EXPECT_EQ(time.micros, c.micros) << c.fields[1];
    }
}

quorvex::PortMonAction at(TimeForm form, long long micros, long long sum = 0)
{
    quorvex::PortMonAction action;
    action.time = {form, micros};
    action.elapsedSum = sum;
    return action;
}

TEST(LineTime, TheDelayBetweenTwoActions)
{
    using std::chrono::microseconds;
    const auto running = ElapsedReading::Running, durations = ElapsedReading::Durations;
    const auto elapsed = TimeForm::Elapsed, clock = TimeForm::Clock;
    const long long day = 86400000000LL;
    EXPECT_EQ(recordedDelay(at(elapsed, 100, 100), at(elapsed, 400, 900), running),
              microseconds(300));
    EXPECT_EQ(recordedDelay(at(elapsed, 100, 100), at(elapsed, 50, 900), durations),
              microseconds(800));
    EXPECT_EQ(recordedDelay(at(clock, day - 100), at(clock, 200), running), microseconds(300));
    EXPECT_EQ(recordedDelay(at(clock, 5), at(elapsed, 9), running), microseconds(-1));
    EXPECT_EQ(recordedDelay(at(TimeForm::None, 0), at(TimeForm::None, 0), running),
              microseconds(-1));
}

}  // namespace
