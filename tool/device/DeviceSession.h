#pragma once

#include "DevicePort.h"
#include "DeviceReport.h"
#include "portmon/BytePattern.h"
#include "portmon/PortMonReader.h"

#include <chrono>
#include <vector>

namespace quorvex {

// Plays the device side of a dump: what the host wrote is expected and compared,
// what the host read is answered, a purge discards unread input. Waits for the
// host to open the port first and to close it at the end. The time-out counts
// from the last thing the host was seen to do. Reports each step and a summary
// on stdout; true when every expected block arrived and matched and every
// answer was taken.
// A mask of a request's log line replaces its bytes; each request the host was
// expected to send is added to requests when given.
bool serveDump(PortMonReader& reader, DevicePort& port, std::chrono::milliseconds timeout,
               const MaskSet& masks = {}, std::vector<RequestRecord>* requests = nullptr);

}  // namespace quorvex
