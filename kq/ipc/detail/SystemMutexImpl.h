#pragma once

#include <string>

#if !defined(_WIN32)
#  include <kq/ipc/detail/NamedObject.h>

#  include <memory>
#  include <mutex>
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
    void released();
    bool heldByLiveThread();

    detail::NamedObject object_;
    // The locks the owner thread took through this object and has not released: while
    // it lives and holds any, its robust-mutex list points into the mapping, which must
    // then outlive us. A thread that has ended holds nothing.
    std::mutex ownerLock_;
    std::shared_ptr<const detail::ThreadLife> owner_;
    long held_ = 0;
#endif
};

}  // namespace ipc
}  // namespace kq
