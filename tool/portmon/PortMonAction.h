#pragma once

#include <kq/io/SerialConfig.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quorvex {

enum class ActionKind : std::int32_t {
    None = 0,
    Purge = 1,
    Send = 2,
    Recv = 3,
    // A baud rate or line control request; read only when asked for.
    Settings = 4,
};

// The line settings a Settings action changes; 0 leaves a setting as it is.
struct LineChange {
    unsigned int baudRate = 0;
    kq::io::DataSize dataSize = kq::io::DataBitsUnchanged;
    kq::io::Parity parity = kq::io::ParityUnchanged;
    kq::io::StopBits stopBits = kq::io::StopBitsUnchanged;
};

// The log's time column: how long the request took (PortMon's elapsed form, or
// a time since the start in logs that show one) or the time of day it was made
// (its clock-time form), in microseconds.
enum class TimeForm : std::int32_t { None = 0, Elapsed = 1, Clock = 2 };

struct LineTime {
    TimeForm form = TimeForm::None;
    long long micros = 0;
};

struct PortMonAction {
    ActionKind kind = ActionKind::None;
    std::vector<unsigned char> data;
    // Where the action stands in the dump, counting lines from 1.
    long line = 0;
    // The count the log writes after "Length"; -1 where none is readable. PortMon
    // shows only the first bytes of a long payload, so data may be shorter.
    long declared = -1;
    std::string port;
    LineChange change;
    // Read from a log saved without hex display: true where a read's byte may be
    // anything (the log shows '.'); empty otherwise.
    std::vector<bool> anyByte;
    LineTime time;
    // The elapsed times of every line up to this one, added up.
    long long elapsedSum = 0;
};

}  // namespace quorvex
