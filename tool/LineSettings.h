#pragma once

#include <kq/io/SerialConfig.h>

#include <string>

namespace quorvex {

// The line both tools use unless told otherwise: 115200 baud, 8 data bits, no
// parity, one stop bit, no flow control. Time-outs and queue sizes are left to
// the caller, since the two tools read the port differently.
kq::io::SerialConfig fixedLineSettings(const std::string& deviceName);

}  // namespace quorvex
