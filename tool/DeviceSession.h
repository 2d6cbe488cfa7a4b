#pragma once

#include "DevicePort.h"
#include "PortMonReader.h"

#include <chrono>

namespace quorvex {

// Plays the device side of a dump: what the host wrote is expected and compared,
// what the host read is answered, a purge discards unread input. Reports each
// step and a summary on stdout; true when every expected block arrived and matched.
bool serveDump(PortMonReader& reader, DevicePort& port, std::chrono::milliseconds blockTimeout);

}  // namespace quorvex
