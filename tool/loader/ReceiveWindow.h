#pragma once

#include "Timetable.h"
#include "common/BytePattern.h"
#include "portmon/PortMonAction.h"

#include <kq/io/SerialIO.h>

#include <chrono>
#include <string>
#include <vector>

namespace quorvex {

struct Pacing {
    std::chrono::milliseconds window{2000};
    // Between looks at the input queue while too little is waiting.
    std::chrono::milliseconds poll{100};
    bool fast = false;
};

// Recorded reads that are answered as one: their bytes as the log shows them,
// and how many bytes the device is to send for them.
class ExpectedBlock {
public:
    void add(const PortMonAction& read);
    bool empty() const { return pieces_.empty(); }
    std::size_t count() const { return count_; }
    // The log line of the first read.
    long line() const { return line_; }
    std::vector<unsigned char> shown() const;
    // What the answer is compared with: the shown bytes, any byte where the log
    // shows none (a payload cut short) or a '.' of a text log.
    BytePattern pattern() const;
    // " (the log shows 3 of 5 bytes; compared on those)" for a cut payload, else empty.
    std::string partly() const;

private:
    struct Piece {
        std::vector<unsigned char> data;
        std::vector<bool> anyByte;
        std::size_t length;
    };
    std::vector<Piece> pieces_;
    std::size_t count_ = 0;
    long line_ = 0;
};

// When the bytes of a window arrived, as the window's reads saw them.
struct Arrival {
    bool any = false;
    Timetable::Clock::time_point first, last;
};

// Prints the receive line, then watches the port for the window, the next
// stretch of the timetable, and returns everything read. Without gather, bytes
// are read only when at least the expected count is waiting, all of them at
// once; with gather, whatever waits. The fast pacing counts bytes that an
// earlier window read beyond its own (arrived) towards this one and ends the
// window once the rest is in.
std::vector<unsigned char> receive(kq::io::SerialIO& port, std::size_t count,
                                   const std::vector<unsigned char>& recorded, const Pacing& pacing,
                                   Timetable& timetable, bool gather, std::size_t arrived = 0,
                                   Arrival* arrival = nullptr);

// Throws when the device has gone away: a replay would otherwise take every later
// step for a short send or a silent device and end as if it had succeeded.
void ensurePresent(kq::io::SerialIO& port);

}  // namespace quorvex
