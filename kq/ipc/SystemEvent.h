#pragma once

#include <kq/export.h>

#include <memory>
#include <string>

namespace kq {
namespace ipc {

class SystemEventImpl;

// A named auto-reset event shared by the processes of one log-on session
// ("Local\<name>"): each set() releases exactly one waiter; a set() while nobody
// waits lets exactly one later wait() return at once. Any process that opens the
// event may set it.
class KQ_API SystemEvent {
public:
    // Creates or opens the event, initially not signalled; throws std::runtime_error on failure.
    explicit SystemEvent(const std::string& name);
    ~SystemEvent();

    SystemEvent(const SystemEvent&) = delete;
    SystemEvent& operator=(const SystemEvent&) = delete;

    void set();
    // Waits without limit until the event is signalled.
    void wait();
    // Waits up to timeout milliseconds (-1: without limit), measured on a clock that
    // does not jump; true when the event was signalled (and is reset again).
    bool tryWait(long timeout);

private:
    std::unique_ptr<SystemEventImpl> impl_;
};

}  // namespace ipc
}  // namespace kq
