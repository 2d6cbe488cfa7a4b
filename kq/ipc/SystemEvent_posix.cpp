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

// Counts a waiter in for one sleep. It is counted before the kernel looks at the word
// and set() sets the word before it looks at the count (both sequentially consistent),
// so a set() that finds no one counted comes before any sleep: that sleep sees the word
// set and does not begin.
class Sleeping {
public:
    explicit Sleeping(std::atomic<std::uint32_t>& sleepers) : sleepers_(sleepers) { ++sleepers_; }
    ~Sleeping() { --sleepers_; }

private:
    std::atomic<std::uint32_t>& sleepers_;
};

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
    // Nobody asleep: no call into the kernel.
    detail::ObjectHeader& header = object_.header();
    if (header.event.load() == 0 && header.event.exchange(1) == 0 && header.sleepers.load() != 0) {
        futex(header.event, FUTEX_WAKE, INT_MAX);
    }
}

void SystemEventImpl::wait()
{
    detail::ObjectHeader& header = object_.header();
    while (!taken(header.event)) {
        const Sleeping sleeping(header.sleepers);
        // Returns at once when the word is no longer 0.
        futex(header.event, FUTEX_WAIT, 0);
    }
}

bool SystemEventImpl::tryWait(long timeout)
{
    const std::uint32_t ms = static_cast<std::uint32_t>(timeout);
    if (ms == detail::Infinite) {
        wait();
        return true;
    }
    detail::ObjectHeader& header = object_.header();
    const timespec deadline = detail::deadlineAfter(ms);
    while (!taken(header.event)) {
        const Sleeping sleeping(header.sleepers);
        if (futex(header.event, FUTEX_WAIT_BITSET, 0, &deadline) != 0 && errno == ETIMEDOUT) {
            return taken(header.event);
        }
    }
    return true;
}

}  // namespace ipc
}  // namespace kq
