#pragma once

#include <kq/io/SerialConfig.h>

struct termios;

namespace kq {
namespace io {
namespace detail {

// Raw byte transfer: no line editing, echo, signals, character mapping or
// output processing; the receiver on and modem-control lines ignored. Data
// bits, parity, stop bits, flow control and speed are left alone.
void makeRaw(termios& settings);

// Applies the line settings that are set (not 0). Returns false when a baud
// rate is set that termios has no speed constant for; setCustomBaudRate
// (Termios2.h) then applies it.
bool applyLineSettings(termios& settings, const SerialConfig& config);

}  // namespace detail
}  // namespace io
}  // namespace kq
