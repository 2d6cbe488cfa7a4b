#pragma once

#include <chrono>

namespace quorvex {

// A point in time on the monotonic clock, some milliseconds from now.
class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds fromNow);

    bool passed() const;
    // What is left, rounded down; zero once passed.
    std::chrono::milliseconds left() const;
    // Moves the point to fromNow after the present moment.
    void restart(std::chrono::milliseconds fromNow);

private:
    std::chrono::steady_clock::time_point at_;
};

}  // namespace quorvex
