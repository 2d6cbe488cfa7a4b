#include "Progress.h"

#include <kq/StringUtils.h>

#include <cstdio>

namespace quorvex {

namespace {

// Often enough to look alive, seldom enough to cost nothing.
const std::chrono::milliseconds redraw(250);

std::string timeLeft(std::chrono::seconds left)
{
    if (left.count() >= 90) {
        return kq::format("about %ld min left", static_cast<long>((left.count() + 30) / 60));
    }
    return kq::format("about %ld s left", static_cast<long>(left.count()));
}

}  // namespace

Progress::Progress(long total, bool enabled)
    : total_(total), enabled_(enabled), start_(std::chrono::steady_clock::now()), drawn_(start_)
{
}

Progress::~Progress()
{
    clear();
}

std::string Progress::text(long done, long total, long failures, std::chrono::seconds elapsed)
{
    const long percent = total > 0 ? static_cast<long>(100.0 * done / total) : 100;
    std::string line = kq::format("step %ld of %ld, %ld%%, %ld %s", done, total, percent, failures,
                                  failures == 1 ? "mismatch" : "mismatches");
    if (done > 0 && done < total) {
        line += ", " + timeLeft(std::chrono::seconds(elapsed.count() * (total - done) / done));
    }
    return line;
}

void Progress::step(long failures)
{
    ++done_;
    const auto now = std::chrono::steady_clock::now();
    if (!enabled_ || now - drawn_ < redraw) {
        return;
    }
    drawn_ = now;
    const std::string line = text(done_, total_, failures,
                                  std::chrono::duration_cast<std::chrono::seconds>(now - start_));
    // Spaces over what a longer line before left: not every console knows erase codes.
    const std::size_t pad = shown_ > line.size() ? shown_ - line.size() : 0;
    std::fprintf(stderr, "\r%s%s\r", line.c_str(), std::string(pad, ' ').c_str());
    std::fflush(stderr);
    shown_ = line.size();
}

void Progress::clear()
{
    if (shown_ == 0) {
        return;
    }
    std::fprintf(stderr, "\r%s\r", std::string(shown_, ' ').c_str());
    std::fflush(stderr);
    shown_ = 0;
}

}  // namespace quorvex
