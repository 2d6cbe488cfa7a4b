#include <kq/win32/IsWow64.h>

namespace kq {
namespace win32 {

// A native Linux process is never a 32-bit guest on a 64-bit system in the Windows sense.
bool IsWow64()
{
    return false;
}

}  // namespace win32
}  // namespace kq
