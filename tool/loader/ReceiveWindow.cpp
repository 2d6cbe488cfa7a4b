#include "ReceiveWindow.h"

#include "common/Console.h"
#include "common/Hex.h"
#include "common/Interrupt.h"

#include <kq/StringUtils.h>

#include <algorithm>

namespace quorvex {

void ExpectedBlock::add(const PortMonAction& read)
{
    const std::size_t length =
        std::max(read.data.size(), static_cast<std::size_t>(std::max(read.declared, 0L)));
    if (pieces_.empty()) {
        line_ = read.line;
    }
    pieces_.push_back(Piece{read.data, read.anyByte, length});
    count_ += length;
}

std::vector<unsigned char> ExpectedBlock::shown() const
{
    std::vector<unsigned char> bytes;
    for (const Piece& piece : pieces_) {
        bytes.insert(bytes.end(), piece.data.begin(), piece.data.end());
    }
    return bytes;
}

BytePattern ExpectedBlock::pattern() const
{
    BytePattern pattern;
    for (const Piece& piece : pieces_) {
        for (std::size_t i = 0; i < piece.length; ++i) {
            const bool known =
                i < piece.data.size() && !(i < piece.anyByte.size() && piece.anyByte[i]);
            pattern.bytes.push_back(known ? piece.data[i] : BytePattern::any);
        }
    }
    return pattern;
}

std::string ExpectedBlock::partly() const
{
    const std::size_t shownCount = shown().size();
    if (shownCount >= count_) {
        return {};
    }
    return kq::format(" (the log shows %ld of %ld bytes; compared on those)",
                      static_cast<long>(shownCount), static_cast<long>(count_));
}

// With nothing expected, a read needs at least one waiting byte: otherwise the
// window would spin printing empty reads as fast as the CPU allows.
std::vector<unsigned char> receive(kq::io::SerialIO& port, std::size_t count,
                                   const std::vector<unsigned char>& recorded, const Pacing& pacing,
                                   Timetable& timetable, bool gather, std::size_t arrived,
                                   Arrival* arrival)
{
    print(kq::format("ACTION: recv ( %ld ) %s\n", static_cast<long>(count),
                     spacedHex(recorded).c_str()));
    std::vector<unsigned char> got;
    const std::size_t due = pacing.fast ? count - std::min(count, arrived) : count;
    if (pacing.fast && due == 0) {
        return got;
    }
    const Timetable::Clock::time_point windowEnd = timetable.next(pacing.window);
    do {
        const Timetable::Clock::time_point lookedAt = Timetable::Clock::now();
        const unsigned int waiting = port.available();
        if (waiting == 0 || (!gather && waiting < due)) {
            ensurePresent(port);
            restUntil(std::min(lookedAt + pacing.poll, windowEnd));
            continue;
        }
        std::vector<unsigned char> buffer(waiting, 0);
        const unsigned int n = port.recv(buffer.data(), waiting);
        if (arrival && n > 0) {
            arrival->last = lookedAt;
            arrival->first = arrival->any ? arrival->first : lookedAt;
            arrival->any = true;
        }
        print(kq::format("read: ( %ld ) %s\n", static_cast<long>(n), hex(buffer).c_str()));
        got.insert(got.end(), buffer.begin(), buffer.begin() + n);
        if (pacing.fast && got.size() >= due) {
            timetable.cut();
            break;
        }
    } while (Timetable::Clock::now() <= windowEnd);
    return got;
}

void ensurePresent(kq::io::SerialIO& port)
{
    if (port.deviceLost()) {
        throw std::runtime_error(
            kq::format("the port '%s' has gone away", port.config().deviceName().c_str()));
    }
}

}  // namespace quorvex
