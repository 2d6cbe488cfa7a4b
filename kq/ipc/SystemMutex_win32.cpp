#include <kq/detail/SystemError.h>
#include <kq/ipc/detail/LocalName.h>
#include <kq/ipc/detail/SystemMutexImpl.h>

#include <kq/win32/SecurityAttributes.h>

#include <windows.h>

namespace kq {
namespace ipc {

using kq::win32::SecurityAttributes;

SystemMutexImpl::SystemMutexImpl(const std::string& name)
{
    SecurityAttributes attributes(SecurityAttributes::SA_World, SYNCHRONIZE);
    const std::string fullName = detail::localName(name);
    handle_ = ::CreateMutexA(attributes, FALSE, fullName.c_str());
    if (handle_ == nullptr) {
        // The creator's descriptor grants others SYNCHRONIZE only, which is all a wait and a
        // release need.
        const DWORD createError = ::GetLastError();
        handle_ = ::OpenMutexA(SYNCHRONIZE, FALSE, fullName.c_str());
        if (handle_ == nullptr) {
            kq::detail::throwOpenFailed("OpenMutex", fullName, ::GetLastError(), createError);
        }
    }
}

SystemMutexImpl::~SystemMutexImpl()
{
    ::CloseHandle(handle_);
}

void SystemMutexImpl::lock()
{
    ::WaitForSingleObject(handle_, INFINITE);
}

// WAIT_ABANDONED makes the caller the owner, as a normal grant does.
bool SystemMutexImpl::tryLock(long timeout)
{
    const DWORD result = ::WaitForSingleObject(handle_, static_cast<DWORD>(timeout));
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void SystemMutexImpl::unlock()
{
    ::ReleaseMutex(handle_);
}

}  // namespace ipc
}  // namespace kq
