#pragma once

#include "PortMonAction.h"

#include <string>

namespace quorvex {

// What one line of a PortMon log says, before the reader decides what to do with it.
struct PortMonLine {
    ActionKind kind = ActionKind::None;
    // A read, write or purge request is named somewhere in the line, in any case.
    bool namesRequest = false;
    // The leading number of the line (lenient reading only), which joins a
    // request to its completion line.
    std::string sequence;
    // The field after the request, e.g. Serial0; empty where that is no port name.
    std::string port;
    // A length field with a ':' was found; payload is the text after that colon.
    bool hasPayload = false;
    std::string payload;
    // The count written after "Length", -1 where none is readable.
    long declared = -1;
    LineChange change;
    // The time column, looked for in the first fields before the request.
    LineTime time;
};

// Strict reading: tab-separated fields, a request keyword filling a field, the
// payload after the first ':' of the last field containing "Length ". Lenient
// reading also takes runs of spaces as separators, a request as any word of the
// line, a leading '#', the Windows 9x VCOMM names and "Length: N:".
// The baud rate and line control requests count only when settings is true.
PortMonLine parsePortMonLine(const std::string& line, bool lenient, bool settings);

}  // namespace quorvex
