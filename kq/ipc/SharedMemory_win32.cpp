#include <kq/detail/SystemError.h>
#include <kq/ipc/detail/LocalName.h>
#include <kq/ipc/detail/SharedMemoryImpl.h>

#include <kq/win32/SecurityAttributes.h>

#include <windows.h>

namespace kq {
namespace ipc {

using kq::win32::SecurityAttributes;

namespace {

// READ_CONTROL and the five section rights.
constexpr DWORD SectionAccess = 0x0002001F;

}  // namespace

SharedMemoryImpl::SharedMemoryImpl(const std::string& name, unsigned int size)
    : size_(size), handle_(nullptr), view_(nullptr), created_(true)
{
    SecurityAttributes attributes(SecurityAttributes::SA_World, SectionAccess);
    const std::string fullName = detail::localName(name);
    handle_ = ::CreateFileMappingA(INVALID_HANDLE_VALUE, attributes, PAGE_READWRITE, 0, size,
                                   fullName.c_str());
    if (handle_ != nullptr) {
        // A handle to a mapping that already existed: someone else created it.
        created_ = ::GetLastError() != ERROR_ALREADY_EXISTS;
    } else {
        const DWORD createError = ::GetLastError();
        handle_ = ::OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, fullName.c_str());
        if (handle_ == nullptr) {
            kq::detail::throwOpenFailed("OpenFileMapping", fullName, ::GetLastError(), createError);
        }
        created_ = false;
    }
    // Read and write are all the handle of an opened mapping grants, and all we use.
    view_ = ::MapViewOfFile(handle_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
    if (view_ == nullptr) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle_);
        kq::detail::throwSizeFailed("MapViewOfFile", size, error);
    }
}

SharedMemoryImpl::~SharedMemoryImpl()
{
    ::UnmapViewOfFile(view_);
    ::CloseHandle(handle_);
}

void* SharedMemoryImpl::begin() const
{
    return view_;
}

bool SharedMemoryImpl::isCreated() const
{
    return created_;
}

}  // namespace ipc
}  // namespace kq
