#include <kq/win32/IsWow64.h>

#include <windows.h>

namespace kq {
namespace win32 {

bool IsWow64()
{
    // Looked up at run time: the entry point is missing from older kernels.
    using IsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) {
        return false;
    }
    const auto query = reinterpret_cast<IsWow64Process>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")));
    if (query == nullptr) {
        return false;
    }
    BOOL wow64 = FALSE;
    if (!query(::GetCurrentProcess(), &wow64)) {
        return false;
    }
    return wow64 == 1;
}

}  // namespace win32
}  // namespace kq
