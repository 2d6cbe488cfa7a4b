#pragma once

#include "DevicePort.h"
#include "DeviceReport.h"
#include "Responder.h"
#include "portmon/PortMonReader.h"

#include <vector>

namespace quorvex {

// A whole dump, read before the host is served.
struct LoadedDump {
    std::vector<PortMonAction> actions;
    ElapsedReading elapsed = ElapsedReading::Running;
};

LoadedDump loadDump(PortMonReader& reader);

// Plays the device side of a dump in its order: what the host wrote is expected
// and compared, what the host read is answered. A purge is the host's own: it
// discards nothing here, but an answer the log records after purges waits for
// them (see Responder). Waits for the host to open the port first and to close
// it at the end. The time-out counts from the last thing the host was seen to
// do. Reports each step and a summary on stdout; true when every expected
// block arrived and matched and every answer was taken. A mask of a request's
// log line (options.masks) replaces its bytes; each request the host was
// expected to send is added to requests when given.
bool serveDump(const LoadedDump& dump, DevicePort& port, const DeviceOptions& options,
               std::vector<RequestRecord>* requests = nullptr);

// Answers each request the host sends by what the log answered to the same
// bytes, in any order, until the host closes the port or stays silent for the
// time-out. Reports each request and a summary; true when every request was
// known and every answer taken.
bool serveRequests(const LoadedDump& dump, DevicePort& port, const DeviceOptions& options);

}  // namespace quorvex
