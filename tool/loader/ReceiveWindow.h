#pragma once

#include "Timetable.h"
#include "portmon/PortMonAction.h"

#include <kq/io/SerialIO.h>

#include <chrono>
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
    std::vector<unsigned char> shown() const;
    // Prints "match" or "MISMATCH expected <hex> got <hex>"; true on a match. A
    // payload the log shows shorter than its length is compared on what is shown.
    bool compare(const std::vector<unsigned char>& got) const;

private:
    struct Piece {
        std::vector<unsigned char> data;
        std::size_t length;
    };
    std::vector<Piece> pieces_;
    std::size_t count_ = 0;
};

// Prints the receive line, then watches the port for the window, the next
// stretch of the timetable, and returns everything read. Without gather, bytes
// are read only when at least the expected count is waiting, all of them at
// once; with gather, whatever waits. The fast pacing counts bytes that an
// earlier window read beyond its own (arrived) towards this one and ends the
// window once the rest is in.
std::vector<unsigned char> receive(kq::io::SerialIO& port, std::size_t count,
                                   const std::vector<unsigned char>& recorded, const Pacing& pacing,
                                   Timetable& timetable, bool gather, std::size_t arrived = 0);

// Throws when the device has gone away: a replay would otherwise take every later
// step for a short send or a silent device and end as if it had succeeded.
void ensurePresent(kq::io::SerialIO& port);

}  // namespace quorvex
