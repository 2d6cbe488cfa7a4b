#pragma once

#include <chrono>

namespace quorvex {

// The replay's pauses and read windows as stretches laid end to end on the
// monotonic clock. Each ends at a fixed point, the end of the one before plus its
// own length, so that the delays of waking up do not add up over a long dump.
class Timetable {
public:
    using Clock = std::chrono::steady_clock;

    Timetable();

    // Lays out the next stretch and returns its end. When a step took longer than
    // its share, so that the stretch would already be over, it starts now instead.
    Clock::time_point next(std::chrono::milliseconds length);
    // Ends the current stretch at the present moment, for a window closed early.
    void cut();

private:
    Clock::time_point end_;
};

}  // namespace quorvex
