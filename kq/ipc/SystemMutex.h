#pragma once

#include <kq/export.h>

#include <memory>
#include <string>

namespace kq {
namespace ipc {

class SystemMutexImpl;

// A named mutual-exclusion lock shared by the processes of one log-on session
// ("Local\<name>"). Ownership belongs to the locking thread and is recursive: the
// owner may lock again and unlocks as often. When an owner dies while holding it,
// the next waiter gets the lock; the data it protects may then be half-written.
//
// On Linux the object lives in POSIX shared memory, visible to the calling user only.
class KQ_API SystemMutex {
public:
    // Creates or opens the mutex; throws std::runtime_error on failure.
    explicit SystemMutex(const std::string& name);
    // Closes the mutex; does not release it when this thread owns it.
    ~SystemMutex();

    SystemMutex(const SystemMutex&) = delete;
    SystemMutex& operator=(const SystemMutex&) = delete;

    // Waits without limit for ownership.
    void lock();
    // Waits up to timeout milliseconds (-1: without limit); true when this thread now
    // owns the mutex, also when it was taken over from a dead owner.
    bool tryLock(long timeout);
    void unlock();

private:
    std::unique_ptr<SystemMutexImpl> impl_;
};

}  // namespace ipc
}  // namespace kq
