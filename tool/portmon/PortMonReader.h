#pragma once

#include "LineTime.h"
#include "PortMonAction.h"
#include "PortMonLine.h"

#include <cstdio>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quorvex {

struct ReaderOptions {
    // Also the log variants that copies, older PortMon versions and other
    // display settings produce (see PortMonLine.h).
    bool lenient = false;
    // Only the lines of this port (the field after the request); empty: all.
    std::string port;
    // Also the baud rate and line control requests, as Settings actions.
    bool settings = false;
    // The log was saved without hex display: payloads are text, and a '.' in a send
    // stands for this byte (0 to 255); -1: payloads are hex.
    int dot = -1;
};

// A fault of the dump itself rather than of one payload: a line too long to be
// a PortMon line, or a read that failed. The message names the line.
class DumpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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
//
// Leniently read, a request line whose length has no ':' waits for the later
// line that starts with the same number and carries the payload; one that never
// completes is returned, without data, at the end of the dump.
class PortMonReader {
public:
    // The longest line read: far more than the hex of the largest payload PortMon shows.
    static constexpr std::size_t maxLineLength = 16 * 1024 * 1024;

    // Opens the dump while other programs (PortMon itself) may keep writing to it.
    // Throws std::runtime_error "can't open '<fileName>'".
    explicit PortMonReader(const std::string& fileName, const ReaderOptions& options = {});
    ~PortMonReader();
    PortMonReader(const PortMonReader&) = delete;
    PortMonReader& operator=(const PortMonReader&) = delete;

    // The next action, or null at the end of the input (and after it). The record
    // belongs to the reader and is overwritten by the next call. A payload that is
    // not hexadecimal throws "invalid hex char '%c'"; that line is consumed. A line
    // over maxLineLength or a failed read throws DumpError.
    const PortMonAction* next();

    // The number of the line read last, from 1.
    long lineNumber() const { return line_; }
    // Lines that name a read, write or purge request and yield no action.
    long notUnderstood() const { return notUnderstood_; }
    long firstNotUnderstood() const { return firstNotUnderstood_; }
    // How the elapsed time column reads, as far as the log has been read.
    ElapsedReading elapsedReading() const { return elapsedReading_; }
    // The port names of the action lines, whichever port was asked for.
    const std::set<std::string>& ports() const { return ports_; }

private:
    bool readLine(std::string& line);
    bool refill();
    bool take(const std::string& line);
    bool complete(const PortMonLine& parsed);
    void decodePayload(const PortMonLine& parsed);
    void countNotUnderstood();
    void takeTime(const LineTime& time);

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t bufferStart_ = 0;
    std::size_t bufferEnd_ = 0;
    const std::string fileName_;
    const ReaderOptions options_;
    PortMonAction action_;
    long line_ = 0;
    long notUnderstood_ = 0;
    long firstNotUnderstood_ = 0;
    std::set<std::string> ports_;
    ElapsedReading elapsedReading_ = ElapsedReading::Running;
    long long lastElapsed_ = 0;
    long long elapsedSum_ = 0;
    // Requests waiting for their completion line, by sequence number.
    std::vector<std::pair<std::string, PortMonAction>> pending_;
};

}  // namespace quorvex
