#include "loader/Timetable.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using std::chrono::milliseconds;

// Each stretch ends where the one before ended plus its length, however late the
// caller comes back: delays of waking up must not add up.
TEST(Timetable, LaysStretchesEndToEnd)
{
    quorvex::Timetable timetable;
    const auto window = timetable.next(milliseconds(2000));
    EXPECT_EQ(timetable.next(milliseconds(100)), window + milliseconds(100));
    EXPECT_EQ(timetable.next(milliseconds(0)), window + milliseconds(100));
}

// A step that overran its share gets its whole next stretch: a read window laid
// out in the past would see nothing.
TEST(Timetable, StretchAfterAnOverrunStartsNow)
{
    quorvex::Timetable timetable;
    std::this_thread::sleep_until(timetable.next(milliseconds(0)) + milliseconds(5));
    const auto before = quorvex::Timetable::Clock::now();
    EXPECT_GE(timetable.next(milliseconds(1)), before + milliseconds(1));
}

// A window closed early ends its stretch there, so the next pause is not taken
// from the window's full length.
TEST(Timetable, CutEndsTheStretchNow)
{
    quorvex::Timetable timetable;
    const auto window = timetable.next(milliseconds(2000));
    timetable.cut();
    EXPECT_LT(timetable.next(milliseconds(0)), window);
}

}  // namespace
