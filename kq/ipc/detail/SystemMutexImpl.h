#pragma once

#include <string>

#if !defined(_WIN32)
#  include <kq/ipc/detail/NamedObject.h>

#  include <atomic>
#endif

namespace kq {
namespace ipc {

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
    detail::NamedObject object_;
    // Locks taken through this object and not yet released: while any is held, this
    // process's robust-mutex list points into the mapping, which must then outlive us.
    std::atomic<long> held_{0};
#endif
};

}  // namespace ipc
}  // namespace kq
