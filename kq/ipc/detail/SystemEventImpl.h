#pragma once

#include <string>

#if !defined(_WIN32)
#  include <kq/ipc/detail/NamedObject.h>
#endif

namespace kq {
namespace ipc {

// The system object behind SystemEvent; SystemEvent_win32.cpp and
// SystemEvent_posix.cpp each define all of it.
class SystemEventImpl {
public:
    explicit SystemEventImpl(const std::string& name);
    ~SystemEventImpl();

    SystemEventImpl(const SystemEventImpl&) = delete;
    SystemEventImpl& operator=(const SystemEventImpl&) = delete;

    void set();
    void wait();
    bool tryWait(long timeout);

private:
#if defined(_WIN32)
    void* handle_;  // HANDLE
#else
    detail::NamedObject object_;
#endif
};

}  // namespace ipc
}  // namespace kq
