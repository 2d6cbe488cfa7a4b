#include "Timetable.h"

#include <algorithm>

namespace quorvex {

Timetable::Timetable() : end_(Clock::now()) {}

Timetable::Clock::time_point Timetable::next(std::chrono::milliseconds length)
{
    const Clock::time_point now = Clock::now();
    end_ += length;
    if (end_ < now) {
        end_ = now + length;
    }
    return end_;
}

void Timetable::cut()
{
    end_ = std::min(end_, Clock::now());
}

}  // namespace quorvex
