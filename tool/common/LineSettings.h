#pragma once

#include "portmon/PortMonAction.h"

#include <kq/io/SerialConfig.h>

#include <string>

namespace quorvex {

// The line both tools use unless told otherwise: 115200 baud, 8 data bits, no
// parity, one stop bit, no flow control. Time-outs and queue sizes are left to
// the caller, since the two tools read the port differently.
kq::io::SerialConfig fixedLineSettings(const std::string& deviceName);

// The settings a recorded change sets, leaving the others as they are.
void applyLineChange(kq::io::SerialConfig& config, const LineChange& change);
// The change in the serial configuration text form, e.g. "baud=9600;data=8".
std::string lineChangeText(const LineChange& change);

}  // namespace quorvex
