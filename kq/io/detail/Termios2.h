#pragma once

// The termios2 interface, kept apart: <asm/termbits.h> clashes with <termios.h>.
namespace kq {
namespace io {
namespace detail {

// Any rate through the termios2 interface (BOTHER); a refusal by the driver
// goes unreported, like every other settings change.
void setCustomBaudRate(int fd, unsigned int rate);

}  // namespace detail
}  // namespace io
}  // namespace kq
