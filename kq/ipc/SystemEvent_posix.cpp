#include <kq/ipc/detail/LocalName.h>
#include <kq/ipc/detail/MonotonicDeadline.h>
#include <kq/ipc/detail/SystemEventImpl.h>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <time.h>

#include <cerrno>
#include <climits>
#include <cstdint>

namespace kq {
namespace ipc {

namespace {

// A futex shared between processes: no FUTEX_PRIVATE_FLAG. A deadline, when given, is
// on CLOCK_MONOTONIC (FUTEX_WAIT_BITSET without FUTEX_CLOCK_REALTIME).
long futex(std::atomic<std::uint32_t>& word, int operation, int value,
           const timespec* deadline = nullptr)
{
    return ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), operation, value, deadline,
                     nullptr, FUTEX_BITSET_MATCH_ANY);
}

bool taken(std::atomic<std::uint32_t>& word)
{
    std::uint32_t set = 1;
    return word.compare_exchange_strong(set, 0);
}

}  // namespace

SystemEventImpl::SystemEventImpl(const std::string& name)
    : object_(detail::localName(name), detail::ObjectKind::Event, 0)
{
}

SystemEventImpl::~SystemEventImpl() = default;

// Every sleeper wakes and one of them takes the signal; waking only one could
// strand the others if that one were killed before it took it.
void SystemEventImpl::set()
{
    // Already set: whoever slept then was woken by that set, and nobody sleeps on a set word.
    std::atomic<std::uint32_t>& word = object_.header().event;
    if (word.load() == 0 && word.exchange(1) == 0) {
        futex(word, FUTEX_WAKE, INT_MAX);
    }
}

void SystemEventImpl::wait()
{
    std::atomic<std::uint32_t>& word = object_.header().event;
    while (!taken(word)) {
        // Returns at once when the word is no longer 0.
        futex(word, FUTEX_WAIT, 0);
    }
}

bool SystemEventImpl::tryWait(long timeout)
{
    const std::uint32_t ms = static_cast<std::uint32_t>(timeout);
    if (ms == detail::Infinite) {
        wait();
        return true;
    }
    std::atomic<std::uint32_t>& word = object_.header().event;
    const timespec deadline = detail::deadlineAfter(ms);
    while (!taken(word)) {
        if (futex(word, FUTEX_WAIT_BITSET, 0, &deadline) != 0 && errno == ETIMEDOUT) {
            return taken(word);
        }
    }
    return true;
}

}  // namespace ipc
}  // namespace kq
