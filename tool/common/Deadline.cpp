#include "Deadline.h"

namespace quorvex {

Deadline::Deadline(std::chrono::milliseconds fromNow)
{
    restart(fromNow);
}

bool Deadline::passed() const
{
    return std::chrono::steady_clock::now() > at_;
}

std::chrono::milliseconds Deadline::left() const
{
    const auto rest = at_ - std::chrono::steady_clock::now();
    if (rest.count() <= 0) {
        return std::chrono::milliseconds(0);
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(rest);
}

void Deadline::restart(std::chrono::milliseconds fromNow)
{
    at_ = std::chrono::steady_clock::now() + fromNow;
}

}  // namespace quorvex
