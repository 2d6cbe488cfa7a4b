#pragma once

#include <string>

#if !defined(_WIN32)
#  include <kq/ipc/detail/NamedObject.h>

#  include <atomic>
#endif

namespace kq {
namespace ipc {

#if !defined(_WIN32)
namespace detail {
struct ThreadLife;
}
#endif

// The system object behind SystemMutex; SystemMutex_win32.cpp and
// SystemMutex_posix.cpp each define all of it.
class SystemMutexImpl {
public:
    explicit SystemMutexImpl(const std::string& name);
    ~SystemMutexImpl();

    SystemMutexImpl(const SystemMutexImpl&) = delete;
    SystemMutexImpl& operator=(const SystemMutexImpl&) = delete;

    void lock();
    bool tryLock(long timeout);
    void unlock();

private:
#if defined(_WIN32)
    void* handle_;  // HANDLE
#else
    void counted();

    detail::NamedObject object_;
    // The locks the owner thread took through this object and has not released: while
    // it lives and holds any, its robust-mutex list points into the mapping, which must
    // then outlive us. A thread that has ended holds nothing. Changed only by a thread
    // that holds the mutex; atomic for the destructor, which may run on another thread.
    std::atomic<detail::ThreadLife*> owner_{nullptr};
    std::atomic<long> held_{0};
#endif
};

}  // namespace ipc
}  // namespace kq
