#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace quorvex {

enum class ActionKind : std::int32_t {
    None = 0,
    Purge = 1,
    Send = 2,
    Recv = 3,
};

struct PortMonAction {
    ActionKind kind = ActionKind::None;
    std::vector<unsigned char> data;
};

// Turns a PortMon text log into purge/send/receive actions, one line at a time.
//
// A line is an action when one of its tab-separated fields is exactly
// IRP_MJ_WRITE (Send), IRP_MJ_READ (Recv) or IOCTL_SERIAL_PURGE (Purge), in any
// case; the last such field wins. The payload of Send and Recv is the hex text
// after the first ':' of the last field containing "Length " (case-sensitive),
// spaces removed. A Send or Recv line without such a field, or whose length field
// has no ':', yields the action with empty data. Purge never carries data.
// CR LF and LF line ends read alike; a last line without a line feed counts.
class PortMonReader {
public:
    // Opens the dump while other programs (PortMon itself) may keep writing to it.
    // Throws std::runtime_error "can't open '<fileName>'".
    explicit PortMonReader(const std::string& fileName);
    PortMonReader(const PortMonReader&) = delete;
    PortMonReader& operator=(const PortMonReader&) = delete;

    // The next action, or null at the end of the input (and after it). The record
    // belongs to the reader and is overwritten by the next call. A payload that is
    // not hexadecimal throws "invalid hex char '%c'"; that line is consumed.
    const PortMonAction* next();

private:
    bool readLine(std::string& line);
    void parse(const std::string& line);

    std::ifstream input_;
    PortMonAction action_;
};

}  // namespace quorvex
