#include <kq/detail/SystemError.h>
#include <kq/ipc/detail/LocalName.h>
#include <kq/ipc/detail/SystemEventImpl.h>

#include <kq/win32/SecurityAttributes.h>

#include <windows.h>

namespace kq {
namespace ipc {

using kq::win32::SecurityAttributes;

namespace {

// What every process needs to wait for the event and to set it.
constexpr DWORD EventAccess = SYNCHRONIZE | EVENT_MODIFY_STATE;

}  // namespace

SystemEventImpl::SystemEventImpl(const std::string& name)
{
    SecurityAttributes attributes(SecurityAttributes::SA_World, EventAccess);
    const std::string fullName = detail::localName(name);
    handle_ = ::CreateEventA(attributes, FALSE, FALSE, fullName.c_str());
    if (handle_ == nullptr) {
        // CreateEventA asks for full access to an existing event, which the creator's
        // descriptor refuses; open it for what the event is used for.
        const DWORD createError = ::GetLastError();
        handle_ = ::OpenEventA(EventAccess, FALSE, fullName.c_str());
        if (handle_ == nullptr) {
            kq::detail::throwCallFailed("CreateEvent", name, createError);
        }
    }
}

SystemEventImpl::~SystemEventImpl()
{
    ::CloseHandle(handle_);
}

void SystemEventImpl::set()
{
    ::SetEvent(handle_);
}

void SystemEventImpl::wait()
{
    ::WaitForSingleObject(handle_, INFINITE);
}

bool SystemEventImpl::tryWait(long timeout)
{
    return ::WaitForSingleObject(handle_, static_cast<DWORD>(timeout)) == WAIT_OBJECT_0;
}

}  // namespace ipc
}  // namespace kq
