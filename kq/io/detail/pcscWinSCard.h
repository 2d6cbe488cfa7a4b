#pragma once

// What differs between the two PC/SC services. WinSCard and pcsc-lite share
// the function names (the Windows headers map them to the narrow A forms) and
// the constants' names, not always their values or widths.

#if defined(_WIN32)
#  include <windows.h>
#  include <winscard.h>
#else
#  include <PCSC/winscard.h>
#endif

namespace kq {
namespace io {
namespace detail {

// A result code as the 32-bit value the service documents; pcsc-lite's LONG
// is 64 bits wide on x86-64.
inline unsigned int resultCode(LONG result)
{
    return static_cast<unsigned int>(result);
}

// Whether the card state reported by SCardStatus is `state`, one of
// SCARD_ABSENT to SCARD_SPECIFIC; the caller asks from the highest state down.
// WinSCard reports one of these values. pcsc-lite reports a bit mask with the
// reader's event counter in the top 16 bits; its highest state bit counts.
inline bool reportsState(DWORD reported, DWORD state)
{
#if defined(_WIN32)
    return reported == state;
#else
    return (reported & 0xFFFF & state) != 0;
#endif
}

}  // namespace detail
}  // namespace io
}  // namespace kq
