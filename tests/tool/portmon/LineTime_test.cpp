#include "portmon/LineTime.h"

#include <gtest/gtest.h>

namespace {

using quorvex::TimeForm;

// The delays the fields give are checked end to end by the device's latency test.
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

}  // namespace
