#pragma once

#include <chrono>
#include <string>

namespace quorvex {

// One line (or more) on standard output, flushed at once: a person watches the
// tools as they run, and a test reads their output while they run.
void print(const std::string& text);
// The same on standard error, for warnings that must not mix with the step lines.
void printError(const std::string& text);

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
