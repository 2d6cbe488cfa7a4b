#include "Interrupt.h"

#include <kq/StringUtils.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <thread>

namespace quorvex {

namespace {

std::atomic<int> requested(0);

// How long a rest may go without looking for a request.
const std::chrono::milliseconds restSlice(50);

}  // namespace

Interrupted::Interrupted(const char* signalName, int signal)
    : std::runtime_error(kq::format("interrupted by %s", signalName)), exitStatus_(128 + signal)
{
}

void noteInterrupt(int signal)
{
    requested = signal;
}

bool interruptRequested()
{
    return requested != 0;
}

void throwIfInterrupted()
{
    const int signal = requested;
    if (signal == SIGINT) {
        throw Interrupted("SIGINT", SIGINT);
    }
    if (signal != 0) {
        throw Interrupted("SIGTERM", SIGTERM);
    }
}

void restUntil(std::chrono::steady_clock::time_point end)
{
    for (;;) {
        throwIfInterrupted();
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) {
            return;
        }
        std::this_thread::sleep_until(std::min(end, now + restSlice));
    }
}

}  // namespace quorvex
