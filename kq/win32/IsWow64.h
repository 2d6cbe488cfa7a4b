#pragma once

#include <kq/export.h>

namespace kq {
namespace win32 {

// Whether this 32-bit process runs under WOW64 on 64-bit Windows; asked of the system at every
// call, and false whenever it cannot tell. Always false for a 64-bit Windows build and on Linux.
KQ_API bool IsWow64();

}  // namespace win32
}  // namespace kq
