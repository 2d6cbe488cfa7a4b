#pragma once

#include <chrono>
#include <string>

namespace quorvex {

// One line on standard error that a long replay redraws in place: "step 1234 of
// 30492, 4%, 2 mismatches, about 12 min left". Silent unless enabled (standard
// error is a terminal); cleared when done.
class Progress {
public:
    Progress(long total, bool enabled);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void step(long failures);
    void clear();

    // The line for done of total steps after elapsed.
    static std::string text(long done, long total, long failures, std::chrono::seconds elapsed);

private:
    const long total_;
    const bool enabled_;
    long done_ = 0;
    std::size_t shown_ = 0;
    const std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point drawn_;
};

}  // namespace quorvex
